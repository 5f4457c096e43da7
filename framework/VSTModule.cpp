#include "framework/VSTModule.h"

#include <typeinfo>

#include "framework/StoredDescription.h"

namespace tessel {

TVSTModule::TVSTModule() = default;
TVSTModule::~TVSTModule() = default;

void TVSTModule::AfterConstruction() {
    if (typeid(*this) != typeid(TVSTModule)) ReadStoredDescription();
    if (OnCreate) {
        try {
            OnCreate(*this);
        } catch (const std::exception& failure) {
            TModuleOwner::Instance().ReportError(failure);
        }
    }
}

void TVSTModule::BeforeDestruction() {
    if (OnDestroy) OnDestroy(*this);
    TDspVSTModule::BeforeDestruction();
}

void TVSTModule::ReadStoredDescription() {
    // Any failure while reading leaves the module with what was applied so far.
    try {
        const auto* description = TStoredDescriptions::Find(ClassName());
        if (!description) throw EVSTError("Resource " + std::string(ClassName()) + " not found");
        TMethodTable methods;
        PublishMethods(methods);
        TPropertyTable properties;
        DefineProperties(properties, methods);
        DescriptionLoading();
        ApplyStoredProperties(description->properties, properties);
        if (OnInitialize) OnInitialize(*this);
    } catch (const std::exception&) {
    }
}

void TVSTModule::DefineProperties(TPropertyTable& t, const TMethodTable& m) {
    TDspVSTModule::DefineProperties(t, m);
    t.Define("OldCreateOrder", [this](const TStoredValue& v) { SetOldCreateOrder(StoredBoolean(v)); });
    DefineEvent(t, "OnCreate", OnCreate, m);
    DefineEvent(t, "OnDestroy", OnDestroy, m);
    // Design-time placement of the module; nothing uses it at run time.
    for (const char* name : {"Left", "Top", "Height", "Width"}) t.Define(name, [](const TStoredValue&) {});
}

}  // namespace tessel
