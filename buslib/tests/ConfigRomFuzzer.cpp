// libFuzzer target: arbitrary configuration ROMs for the ROM reader. The
// reader must stay inside the ROM space, end after a bounded number of reads
// and leave zero-terminated names.
//
// Input: byte 0 selects the form. Even: the rest is a whole ROM image from
// 0xF0000400 in bus order (quadlets past its end fail). Odd: the rest is a list
// of (quadlet index, 4 bytes) edits applied to a well-formed camera ROM, which
// reaches the deeper parts of the reader quickly. Bytes 1..2 name one read
// that fails (0xFFFF: none).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "RomImage.h"
#include "buslib/ConfigRom.h"

namespace {

// Root and unit dependent walks, two leaves and the fixed reads, with room to spare.
constexpr int kMaxReads = 200;

class FuzzSource final : public tk::detail::QuadletSource {
public:
    FuzzSource(const tk::testing::Rom& rom, int failingRead) : rom_(rom), failing_(failingRead) {}

    bool Read(std::uint32_t address, std::uint32_t* value) override {
        if (!tk::detail::InConfigRom(address) || ++reads_ > kMaxReads) {
            std::abort();
        }
        if (reads_ - 1 == failing_) {
            return false;
        }
        const auto it = rom_.find(address);
        if (it == rom_.end()) {
            return false;
        }
        *value = it->second;
        return true;
    }

private:
    const tk::testing::Rom& rom_;
    int failing_;
    int reads_ = 0;
};

std::uint32_t BusOrder(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const bool edits = (data[0] & 1) != 0;
    const int failingRead = (data[1] << 8) | data[2];
    data += 3;
    size -= 3;

    tk::testing::Rom rom;
    if (edits) {
        rom = tk::testing::CameraRom{}.Build();
        for (std::size_t i = 0; i + 5 <= size; i += 5) {
            rom[0xF0000400 + 4u * data[i]] = BusOrder(data + i + 1);
        }
    } else {
        for (std::size_t i = 0; i + 4 <= size && i < 1024; i += 4) {
            rom[static_cast<std::uint32_t>(0xF0000400 + i)] = BusOrder(data + i);
        }
    }

    FuzzSource source(rom, failingRead == 0xFFFF ? -1 : failingRead);
    NodeRecord record;
    std::memset(&record, 0xA5, sizeof record);
    if (tk::detail::ReadConfigRom(source, 1, 0x81408000, record)) {
        if (std::memchr(record.vendorName, 0, sizeof record.vendorName) == nullptr ||
            std::memchr(record.modelName, 0, sizeof record.modelName) == nullptr) {
            std::abort();
        }
    }
    return 0;
}
