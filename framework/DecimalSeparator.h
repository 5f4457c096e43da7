#pragma once
// The decimal separator numbers are written and read with.
//
// Parameter displays and typed values follow the user's regional settings:
// the separator is that of the process's current numeric locale (as the host
// set it up), taken afresh on every call. Tests fix it with Override so that
// they do not depend on which locales a machine has installed.
//
// Threads: [any-thread] everywhere here, not for the audio thread (a short
// mutex guards the override, and texts are built).

#include <string>

namespace tessel {

class TDecimalSeparator {
public:
    // The fixed separator if one is set, else the locale's ("." when the
    // locale names none). [any-thread]
    static std::string Current();
    // Fixes the separator; an empty text returns to the locale's. [any-thread]
    static void Override(std::string separator);
};

// Fixes the separator for one scope and restores the previous setting. [any-thread]
class TDecimalSeparatorScope {
public:
    explicit TDecimalSeparatorScope(std::string separator);
    ~TDecimalSeparatorScope();
    TDecimalSeparatorScope(const TDecimalSeparatorScope&) = delete;
    TDecimalSeparatorScope& operator=(const TDecimalSeparatorScope&) = delete;

private:
    std::string FPrevious;
};

}  // namespace tessel
