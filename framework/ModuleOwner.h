#pragma once
// The library-wide owner of module instances.
//
// Hosts are supposed to close every instance, but some unload the library
// with instances still open: the owner destroys those survivors when the
// library goes away, so their editors, filters and buffers are released.

#include <exception>
#include <mutex>
#include <unordered_set>

namespace tessel {

class TBasicVSTModule;

// Threads: [any-thread], every function; hosts create and close instances
// on several UI threads at once.
class TModuleOwner {
public:
    static TModuleOwner& Instance();

    // Takes ownership of a module that was just built.
    void Adopt(TBasicVSTModule* module);
    // Runs the module's destruction steps and deletes it; unknown pointers are
    // still deleted (a module the owner never saw is the caller's to end).
    void Destroy(TBasicVSTModule* module);
    std::size_t Count();

    // Reports a failure that must not stop construction (a create handler's).
    void ReportError(const std::exception& failure) noexcept;

    ~TModuleOwner();

private:
    TModuleOwner() = default;
    std::mutex FLock;  // instances are created and closed on the host's UI threads
    std::unordered_set<TBasicVSTModule*> FModules;
};

// Destroys a module through its owner; use as a smart pointer's deleter. [any-thread]
struct TModuleDeleter {
    void operator()(TBasicVSTModule* module) const { TModuleOwner::Instance().Destroy(module); }
};

}  // namespace tessel
