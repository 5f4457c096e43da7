#include "framework/VSTModule.h"

#include <mutex>
#include <set>
#include <string>
#include <typeinfo>

#include "framework/StoredDescription.h"
#include "framework/StoredRowError.h"

namespace tessel {

namespace {
// True the first time a class's description fails to apply in this process.
bool FirstFailureOfClass(std::string_view className) {
    static std::mutex lock;  // instances are built on any of the host's threads
    static std::set<std::string, std::less<>> reported;
    std::lock_guard guard(lock);
    return reported.emplace(className).second;
}
}  // namespace

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
    } catch (const EStoredRowError& failure) {
        // A shipped description that does not apply is a defect: say so, once
        // per class rather than once per instance of a host's scan.
        FDescriptionFailure = failure.what();
        if (FirstFailureOfClass(ClassName()))
            TModuleOwner::Instance().ReportError(
                EVSTError("stored description of " + std::string(ClassName()) + ", row " + FDescriptionFailure));
    } catch (const std::exception&) {
        // A missing description leaves the defaults of construction.
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
