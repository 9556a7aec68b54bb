// SimulateSwitch: the program's command-line switch for the simulated bus,
// "/simulate" (the built-in default) or "/simulate:FILE" (a scenario file).
#pragma once

#include <string>
#include <string_view>

namespace sim {

struct SimulateSwitch {
    bool present = false;
    std::string scenarioPath;  // empty: the built-in default
};

// Finds the switch among the words of a command line (case-insensitive; a
// path in double quotes may hold blanks). The last one given counts.
SimulateSwitch FindSimulateSwitch(std::string_view commandLine);

}  // namespace sim
