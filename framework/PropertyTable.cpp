#include "framework/PropertyTable.h"

namespace tessel {

void ApplyStoredProperties(const std::vector<TStoredProperty>& properties, const TPropertyTable& table) {
    for (const auto& property : properties) {
        const auto* setter = table.Find(property.name);
        if (!setter) throw EStoredRowError(property.name, "Property " + property.name + " does not exist");
        try {
            (*setter)(property.value);
        } catch (const EStoredRowError& failure) {  // a row inside a collection item
            throw EStoredRowError(property.name + failure.Row(), failure.Reason());
        } catch (const std::exception& failure) {
            throw EStoredRowError(property.name, failure.what());
        }
    }
}

bool StoredBoolean(const TStoredValue& v) {
    if (v.kind != TStoredValue::TKind::Boolean) throw EVSTError("Invalid property value");
    return v.boolean;
}

std::int32_t StoredInteger(const TStoredValue& v) {
    if (v.kind != TStoredValue::TKind::Integer) throw EVSTError("Invalid property value");
    return static_cast<std::int32_t>(v.integer);
}

double StoredFloat(const TStoredValue& v) {
    if (v.kind == TStoredValue::TKind::Float) return v.number;
    if (v.kind == TStoredValue::TKind::Integer) return static_cast<double>(v.integer);
    throw EVSTError("Invalid property value");
}

const std::string& StoredText(const TStoredValue& v) {
    if (v.kind != TStoredValue::TKind::Text) throw EVSTError("Invalid property value");
    return v.text;
}

const std::string& StoredMethodName(const TStoredValue& v) {
    if (v.kind != TStoredValue::TKind::Method) throw EVSTError("Invalid property value");
    return v.text;
}

}  // namespace tessel
