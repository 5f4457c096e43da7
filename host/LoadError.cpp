#include "host/LoadError.h"

namespace tessel::host {

const char* LoadFailureText(TLoadFailure failure) noexcept {
    switch (failure) {
        case TLoadFailure::FileMissing:
            return "file missing";
        case TLoadFailure::NotLoadable:
            return "not a loadable shared object";
        case TLoadFailure::NoEntryPoint:
            return "no VST entry point";
        case TLoadFailure::EntryReturnedNull:
            return "entry point returned no instance";
        case TLoadFailure::BadMagic:
            return "record has the wrong magic";
    }
    return "unknown failure";
}

}  // namespace tessel::host
