#pragma once
// A row of a stored description that could not be applied: which row (its
// property name, with the path through collection items, such as
// "ParameterProperties[3].Min") and why. [any-thread], every function.

#include <string>
#include <utility>

#include "framework/VSTError.h"

namespace tessel {

class EStoredRowError : public EVSTError {
public:
    EStoredRowError(std::string row, std::string reason)
        : EVSTError(row + ": " + reason), FRow(std::move(row)), FReason(std::move(reason)) {}

    const std::string& Row() const noexcept { return FRow; }
    const std::string& Reason() const noexcept { return FReason; }

private:
    std::string FRow;
    std::string FReason;
};

}  // namespace tessel
