#pragma once
// TCustomVstShellPlugins: the module's owned list of shell sub-plug-ins.
//
// Items are created through Add(), which both run-time code and loading a
// stored description use, and are owned here; their addresses stay valid
// until they are removed. [ui-thread], every function.

#include <cstdint>
#include <memory>
#include <vector>

namespace tessel {

class TCustomVSTModule;
class TCustomVstShellPlugin;

class TCustomVstShellPlugins {
public:
    explicit TCustomVstShellPlugins(TCustomVSTModule& owner);
    ~TCustomVstShellPlugins();
    TCustomVstShellPlugins(const TCustomVstShellPlugins&) = delete;
    TCustomVstShellPlugins& operator=(const TCustomVstShellPlugins&) = delete;

    // A new item with default properties, owned by this list, at the end.
    TCustomVstShellPlugin& Add();
    void Clear();
    std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
    // index must be below Count(); throws "Index out of bounds" otherwise.
    TCustomVstShellPlugin& Items(std::int32_t index) const;
    // The first item whose unique ID equals id, or null.
    TCustomVstShellPlugin* FindByUniqueID(std::int32_t id) const;

    // Rebuilds this list from source item by item (each copy takes only the
    // display name, as copying an item does).
    void Assign(const TCustomVstShellPlugins& source);

    TCustomVSTModule& Owner() const { return *FOwner; }

private:
    TCustomVSTModule* FOwner;
    std::vector<std::unique_ptr<TCustomVstShellPlugin>> FItems;
};

}  // namespace tessel
