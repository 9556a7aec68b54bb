// ConfigRom: reading a camera node's configuration ROM into its NodeRecord.
//
// The ROM comes from a device, so nothing in it is trusted: every address the
// reader follows must lie in the configuration ROM space (0xFFFFF0000400 to
// 0xFFFFF00007FF), directories are walked for a bounded number of entries and
// text leaves are bounded by the record's 128 bytes. A malformed ROM only
// leaves its node out.
#pragma once

#include <cstdint>

#include "buslib/TK.h"

namespace tk::detail {

// Low 32 bits of the configuration ROM space (address high 0xFFFF).
inline constexpr std::uint32_t kConfigRomFirst = 0xF0000400u;
inline constexpr std::uint32_t kConfigRomLast = 0xF00007FCu;  // the last quadlet
// Directories of real cameras have a handful of entries.
inline constexpr std::uint32_t kMaxDirectoryEntries = 32;

inline bool InConfigRom(std::uint32_t address) {
    return address >= kConfigRomFirst && address <= kConfigRomLast && (address & 3) == 0;
}

// Reads one quadlet of the node's address space (address high 0xFFFF);
// false when the read failed.
class QuadletSource {
public:
    virtual ~QuadletSource() = default;
    virtual bool Read(std::uint32_t addressLow, std::uint32_t* value) = 0;
};

// Reads the ROM of the node whose self-ID packet 0 is `selfId` into `record`
// (zeroed first). True when the record was read completely.
bool ReadConfigRom(QuadletSource& source, std::uint32_t card, std::uint32_t selfId,
                   NodeRecord& record);

}  // namespace tk::detail
