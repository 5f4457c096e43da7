// Why a plug-in could not be loaded or instantiated.
#pragma once

#include <stdexcept>
#include <string>

namespace tessel::host {

enum class TLoadFailure {
    FileMissing,        // no file at the path
    NotLoadable,        // the dynamic loader refused it (not a shared object, missing dependency, ...)
    NoEntryPoint,       // neither VSTPluginMain nor main is defined by the library itself
    EntryReturnedNull,  // the entry point made no instance (it may have refused the host)
    BadMagic            // the returned record does not start with 'VstP'
};

// Short fixed text for a failure kind ("file missing", ...).
const char* LoadFailureText(TLoadFailure failure) noexcept;

class TLoadError : public std::runtime_error {
public:
    TLoadError(TLoadFailure failure, const std::string& message) : std::runtime_error(message), failure_(failure) {}

    TLoadFailure Failure() const noexcept { return failure_; }

private:
    TLoadFailure failure_;
};

}  // namespace tessel::host
