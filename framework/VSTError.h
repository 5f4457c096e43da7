#pragma once
// The framework's failures: raised with a short message and caught at the
// places that own them (dispatcher, entry point, description loading ...).

#include <stdexcept>
#include <string>

namespace tessel {

class EVSTError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace tessel
