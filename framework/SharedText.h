#pragma once
// TSharedText: a text that one thread may replace while others read it.
//
// Hosts ask for names from their UI, scanner and worker threads while
// another thread renames a program; a plain std::string read during the
// assignment would copy freed memory. Reads hand out a copy taken under a
// short lock, so the caller's text stays valid whatever happens next.
//
// Not for the audio thread: reading copies (allocates) and takes a lock.

#include <mutex>
#include <string>
#include <string_view>

namespace tessel {

class TSharedText {
public:
    TSharedText() = default;
    explicit TSharedText(std::string text) : FText(std::move(text)) {}
    TSharedText(const TSharedText&) = delete;
    TSharedText& operator=(const TSharedText&) = delete;

    // A copy of the current text. [any-thread]
    std::string Get() const;
    // Replaces the text. [any-thread]
    void Set(std::string_view text);
    bool Empty() const;  // [any-thread]

private:
    mutable std::mutex FLock;  // held only while a text is copied in or out
    std::string FText;
};

}  // namespace tessel
