// The stored description of TOrvaneModule: module identity and capabilities,
// applied in this order through the module's setters when an instance is built.

#include "framework/StoredDescription.h"

namespace tessel {
namespace {

using namespace stored;

TStoredDescription OrvaneModuleDescription() {
    return {"TOrvaneModule",
            {
                Boolean("OldCreateOrder", false),
                Set("Flags", {"effFlagsHasEditor", "effFlagsCanMono", "effFlagsCanReplacing",
                              "effFlagsCanDoubleReplacing"}),
                Text("Version", "1.0"),
                Text("EffectName", "Tessel EQ"),
                Text("ProductName", "Tessel EQ"),
                Text("VendorName", "Dravik"),
                Ident("PlugCategory", "vpcEffect"),
                Set("CanDos", {"vcdPlugAsChannelInsert", "vcdPlugAsSend", "vcd2in2out"}),
                Float("SampleRate", 44100.0),
                Text("UniqueID", "Tssl"),
                Ident("ProcessPrecisition", "pp64"),
                // Design-time placement, kept with the description.
                Integer("Left", 300),
                Integer("Top", 221),
                Integer("Height", 150),
                Integer("Width", 215),
            }};
}

const bool kRegistered = TStoredDescriptions::Register(OrvaneModuleDescription());

}  // namespace
}  // namespace tessel
