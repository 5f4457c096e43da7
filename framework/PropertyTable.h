#pragma once
// Published properties and published methods: how a stored description
// reaches an object.
//
// Each class level adds its settable properties to a TPropertyTable (name ->
// setter taking a stored value); the concrete module adds its handlers to a
// TMethodTable (name -> bound event of one event type). Loading looks a name
// up and calls the setter, exactly as run-time code would.
//
// Threads: [ui-thread], every function: descriptions load while a module is built.

#include <any>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "framework/EnumSet.h"
#include "framework/StoredDescription.h"
#include "framework/StoredRowError.h"
#include "framework/VSTError.h"

namespace tessel {

class TMethodTable {
public:
    // Stores an event value (a std::function of the event's type) under a name.
    template <class Event>
    void Publish(std::string name, Event event) {
        FMethods.insert_or_assign(std::move(name), std::any(std::move(event)));
    }

    // Publishes one of an object's member functions as an Event.
    template <class Event, class TObject, class TMember>
    void PublishMember(std::string name, TObject* object, TMember member) {
        Publish<Event>(std::move(name), Event([object, member](auto&&... args) -> decltype(auto) {
                           return (object->*member)(std::forward<decltype(args)>(args)...);
                       }));
    }

    // The handler of that name as an Event; fails when it is missing or of another type.
    template <class Event>
    Event Bind(const std::string& name) const {
        auto it = FMethods.find(name);
        if (it == FMethods.end()) throw EVSTError("Method " + name + " not found");
        if (const auto* event = std::any_cast<Event>(&it->second)) return *event;
        throw EVSTError("Method " + name + " has the wrong signature");
    }

private:
    std::map<std::string, std::any, std::less<>> FMethods;
};

class TPropertyTable {
public:
    using TSetter = std::function<void(const TStoredValue&)>;

    void Define(std::string name, TSetter setter) { FSetters.insert_or_assign(std::move(name), std::move(setter)); }
    const TSetter* Find(std::string_view name) const {
        auto it = FSetters.find(name);
        return it == FSetters.end() ? nullptr : &it->second;
    }

private:
    std::map<std::string, TSetter, std::less<>> FSetters;
};

// Defines an event property: assigning a handler name binds that published method.
// The method table must outlive the loading that uses this table.
template <class Event>
void DefineEvent(TPropertyTable& table, std::string name, Event& field, const TMethodTable& methods) {
    table.Define(std::move(name), [&field, &methods](const TStoredValue& v) {
        if (v.kind != TStoredValue::TKind::Method) throw EVSTError("Invalid property value");
        field = methods.Bind<Event>(v.text);
    });
}

// Applies assignments in order; the first failure stops loading and
// propagates as an EStoredRowError naming the row.
void ApplyStoredProperties(const std::vector<TStoredProperty>& properties, const TPropertyTable& table);

// Defines a collection property: assigning it clears the collection, then
// makes every stored item through Add(), as run-time code would, and applies
// the item's own assignments (events bind against the module's methods).
template <class TCollection>
void DefineCollection(TPropertyTable& table, std::string name, TCollection& collection, const TMethodTable& methods) {
    table.Define(std::move(name), [&collection, &methods](const TStoredValue& v) {
        if (v.kind != TStoredValue::TKind::Collection) throw EVSTError("Invalid property value");
        collection.Clear();
        for (std::size_t i = 0; i < v.items.size(); ++i) {
            auto& item = collection.Add();
            TPropertyTable itemTable;
            item.DefineProperties(itemTable, methods);
            try {
                ApplyStoredProperties(v.items[i].properties, itemTable);
            } catch (const EStoredRowError& failure) {
                throw EStoredRowError("[" + std::to_string(i) + "]." + failure.Row(), failure.Reason());
            }
        }
    });
}

// ---- Converting stored values, failing on a value of the wrong kind ----
bool StoredBoolean(const TStoredValue& v);
std::int32_t StoredInteger(const TStoredValue& v);
double StoredFloat(const TStoredValue& v);  // integers are accepted too
const std::string& StoredText(const TStoredValue& v);
const std::string& StoredMethodName(const TStoredValue& v);

template <class E, std::size_t N>
E StoredEnum(const TStoredValue& v, const std::array<std::string_view, N>& names) {
    if (v.kind != TStoredValue::TKind::Identifier) throw EVSTError("Invalid property value");
    for (std::size_t i = 0; i < N; ++i)
        if (names[i] == v.text) return static_cast<E>(i);
    throw EVSTError("Invalid property value " + v.text);
}

// Member names are indexed by bit number; empty names are unused bits.
template <class E, std::size_t N>
TEnumSet<E> StoredSet(const TStoredValue& v, const std::array<std::string_view, N>& names) {
    if (v.kind != TStoredValue::TKind::Set) throw EVSTError("Invalid property value");
    TEnumSet<E> set;
    for (const auto& member : v.members) {
        std::size_t i = 0;
        while (i < N && (names[i].empty() || names[i] != member)) ++i;
        if (i == N) throw EVSTError("Invalid property value " + member);
        set.Include(static_cast<E>(i));
    }
    return set;
}

}  // namespace tessel
