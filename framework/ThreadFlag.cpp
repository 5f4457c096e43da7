#include "framework/ThreadFlag.h"

namespace tessel {

namespace {
// Innermost open scope of the calling thread; scopes chain through the stack,
// so setting a flag never allocates.
thread_local TThreadFlag::TScope* tInnermost = nullptr;
}  // namespace

bool TThreadFlag::IsSet() const noexcept {
    for (const TScope* s = tInnermost; s; s = s->FOuter)
        if (s->FFlag == this) return true;
    return false;
}

TThreadFlag::TScope::TScope(const TThreadFlag& flag) noexcept : FFlag(&flag), FOuter(tInnermost) { tInnermost = this; }

TThreadFlag::TScope::~TScope() { tInnermost = FOuter; }

}  // namespace tessel
