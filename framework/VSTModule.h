#pragma once
// TVSTModule: the level concrete plug-ins derive from. It builds a module from
// the stored description of its concrete class and fires the create and
// destroy events.
//
// C++ cannot call a derived class's handlers from a base constructor, so a
// module is finished in a second step: CreateModule<T>() constructs it and
// then runs AfterConstruction(), which reads the description and fires
// OnCreate. Destruction mirrors it: the owner runs BeforeDestruction() (which
// fires OnDestroy while the whole object is still alive) and then deletes.

#include <memory>
#include <string>
#include <string_view>

#include "framework/DspVSTModule.h"
#include "framework/ModuleOwner.h"
#include "framework/PropertyTable.h"

namespace tessel {

class TVSTModule : public TDspVSTModule {
public:
    // ---- Building, tearing down, loading [ui-thread] ----
    TVSTModule();
    ~TVSTModule() override;

    // The name the stored description is registered under. [any-thread]
    virtual std::string_view ClassName() const { return "TVSTModule"; }

    void AfterConstruction();
    void BeforeDestruction() override;

    // The row of the stored description that failed to apply, and why
    // ("ParameterProperties[3].Min: Invalid property value"); empty when every
    // row applied or when there is no description at all.
    const std::string& DescriptionFailure() const { return FDescriptionFailure; }

    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool v) { FOldCreateOrder = v; }
    TNotifyEvent OnCreate, OnDestroy;

    void DefineProperties(TPropertyTable& table, const TMethodTable& methods) override;

protected:
    // Concrete modules publish the handlers their description binds by name.
    virtual void PublishMethods(TMethodTable&) {}

private:
    void ReadStoredDescription();
    bool FOldCreateOrder = false;
    std::string FDescriptionFailure;
};

using TModulePtr = std::unique_ptr<TVSTModule, TModuleDeleter>;

// Constructs a T and finishes it; throws what construction throws. [ui-thread]
template <class T>
std::unique_ptr<T, TModuleDeleter> CreateModule() {
    std::unique_ptr<T, TModuleDeleter> module(new T());
    module->AfterConstruction();
    return module;
}

}  // namespace tessel
