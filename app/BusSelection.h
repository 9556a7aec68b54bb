// The bus the program talks to, chosen on the command line before the bus
// library starts: the real driver, or with "/simulate[:FILE]" the simulated
// bus with its built-in scenario or the one in FILE.
#pragma once

#include <string>

namespace app {

// Installs the driver platform the command line asks for. Returns the message
// to show the user, "" for none. A scenario file that cannot be read or parsed
// gives a simulated bus without cards, never a half-configured one.
std::string SelectBus(const char* commandLine);

// Restores the default platform; after TKExitModule.
void ReleaseBus();

}  // namespace app
