// The parameter and program settings the playing subcommands (render,
// bench, response) take on the command line, and applying them to a plug-in.
//
//   --program N        select program N first
//   --set I=V          parameter I to normalised V (0..1) through setParameter
//   --param NAME=TEXT  the parameter named NAME (or "#I") to the natural value
//                      TEXT through effString2Parameter
//
// --set and --param apply in the order given, after the program.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/PluginInstance.h"
#include "host/tools/OptionTable.h"

namespace tessel::host::tool {

struct TParameterSetting {
    bool natural = false;     // --param (text) rather than --set (normalised)
    int32_t index = -1;       // --set
    float normalised = 0.0f;  // --set
    std::string name;         // --param: a parameter name, or "#I"
    std::string text;         // --param
};

struct TParameterSettings {
    std::optional<int32_t> program;
    std::vector<TParameterSetting> parameters;
};

// The rows of --set, --param and --program.
TOptionTable<TParameterSettings> SettingOptionRows();

// Applies the settings to an opened plug-in and writes one line per
// parameter set to `report` (index, name, the plug-in's display and label,
// normalised value). Problems go to stderr; returns a TExitCode: kExitUsage
// for an unknown name, an index or program the plug-in does not have, or a
// text the plug-in cannot be set to.
int ApplySettings(TPluginInstance& plugin, const TParameterSettings& settings, std::ostream& report);

}  // namespace tessel::host::tool
