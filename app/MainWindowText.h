// The texts the main window shows: card lines, node lines and the two status
// figures, and whether the platform still offers the driver utilities.
#pragma once

#include <cstdint>
#include <string>

#include "buslib/TK.h"

namespace app {

// "%s (%d-%d-%d)": chip name from the low two bits of the system id, then bits
// 31..24, 23..16 and 15..8.
std::string CardLineText(std::uint32_t systemId);

// The second number of a node line: the low 16 bits of the second unique-id
// quadlet plus 100000.
std::uint32_t NodeLineNumber(std::uint32_t uniqueIdLow);

// "%s %s (%d-%d)": vendor, model, node number and NodeLineNumber. The names
// are taken up to their 128 bytes even when a device left them unterminated.
std::string NodeLineText(const NodeRecord& record);

// The iso payload sum as "%ld".
std::string PayloadText(std::int32_t payloadSum);

// The memory sum in decimal megabytes, "%0.2lf".
std::string MemoryText(std::int32_t memorySumBytes);

// Installing the kernel driver from the program is offered only up to
// version 4.1 of the platform; later systems refuse such drivers.
bool UtilitiesAvailable(std::uint32_t majorVersion, std::uint32_t minorVersion);

}  // namespace app
