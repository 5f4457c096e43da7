#pragma once
// TOrvaneModule: the Tessel EQ module. Everything the host sees is built from
// its stored description (OrvaneModuleDescription.cpp); this class adds the
// equaliser's handlers.

#include <string_view>

#include "framework/VSTModule.h"

namespace tessel {

class TOrvaneModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TOrvaneModule"; }
};

}  // namespace tessel
