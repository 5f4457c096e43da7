#include "host/PluginLibrary.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "host/LoadError.h"

namespace tessel::host {
namespace {

// Entry-point symbols in the order hosts look for them.
constexpr const char* kEntryNames[] = {"VSTPluginMain", "main"};

std::string LoaderMessage() {
    const char* text = dlerror();
    return text ? text : "unknown loader error";
}

// dlopen searches the library path for a name without a slash; a plug-in
// path is always meant as a file, so make it one.
std::string AsFilePath(const std::string& path) { return path.find('/') == std::string::npos ? "./" + path : path; }

void CheckFile(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) throw TLoadError(TLoadFailure::FileMissing, "no such file: " + path);
        throw TLoadError(TLoadFailure::NotLoadable, path + ": " + std::strerror(error));
    }
    if (!S_ISREG(info.st_mode)) throw TLoadError(TLoadFailure::NotLoadable, path + ": not a regular file");
}

// dlsym on a handle also searches the library's dependencies; a "main" found
// in one of those (or anywhere else) is not this library's entry point.
bool DefinedBy(void* handle, void* symbol) {
    struct link_map* library = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &library) != 0 || library == nullptr) return false;
    Dl_info info{};
    struct link_map* owner = nullptr;
    if (dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0) return false;
    return owner == library;
}

}  // namespace

std::shared_ptr<TPluginLibrary> TPluginLibrary::Open(const std::string& path) {
    const std::string file = AsFilePath(path);
    CheckFile(file);
    dlerror();
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) throw TLoadError(TLoadFailure::NotLoadable, LoaderMessage());

    for (const char* name : kEntryNames) {
        void* symbol = dlsym(handle, name);
        if (symbol != nullptr && DefinedBy(handle, symbol)) {
            // The ABI hands the entry point out as data; this is the one cast that turns it back.
            auto entry = reinterpret_cast<VstPluginMainProc>(symbol);
            return std::shared_ptr<TPluginLibrary>(new TPluginLibrary(path, handle, name, entry));
        }
    }
    dlclose(handle);
    throw TLoadError(TLoadFailure::NoEntryPoint, path + " defines neither VSTPluginMain nor main");
}

TPluginLibrary::TPluginLibrary(std::string path, void* handle, std::string entryName, VstPluginMainProc entry)
    : path_(std::move(path)), handle_(handle), entryName_(std::move(entryName)), entry_(entry) {}

TPluginLibrary::~TPluginLibrary() {
    if (!pinned_) dlclose(handle_);
}

}  // namespace tessel::host
