#include "framework/DecimalSeparator.h"

#include <clocale>
#include <mutex>

namespace tessel {

namespace {
struct TOverride {
    std::mutex lock;
    std::string separator;  // empty: follow the locale
};
TOverride& TheOverride() {
    static TOverride instance;
    return instance;
}
std::string Fixed() {
    auto& o = TheOverride();
    std::lock_guard guard(o.lock);
    return o.separator;
}
}  // namespace

std::string TDecimalSeparator::Current() {
    auto fixed = Fixed();
    if (!fixed.empty()) return fixed;
    const std::lconv* conventions = std::localeconv();
    if (conventions && conventions->decimal_point && conventions->decimal_point[0] != '\0')
        return conventions->decimal_point;
    return ".";
}

void TDecimalSeparator::Override(std::string separator) {
    auto& o = TheOverride();
    std::lock_guard guard(o.lock);
    o.separator = std::move(separator);
}

TDecimalSeparatorScope::TDecimalSeparatorScope(std::string separator) : FPrevious(Fixed()) {
    TDecimalSeparator::Override(std::move(separator));
}

TDecimalSeparatorScope::~TDecimalSeparatorScope() { TDecimalSeparator::Override(FPrevious); }

}  // namespace tessel
