#include "YuvTables.h"

#include <mutex>

namespace {

std::uint32_t tableU[256];
std::uint32_t tableV[256];
std::once_flag tablesBuilt;

std::uint32_t Pack(int upper, int lower) {
    return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(upper)) << 16) |
           static_cast<std::uint16_t>(lower);
}

// Conversion to int truncates toward zero, which is the rounding wanted.
int Part(double factor, int d) {
    return static_cast<int>(factor * d);
}

void BuildTables() {
    for (int c = 0; c < 256; ++c) {
        const int d = c - 128;
        tableU[c] = Pack(Part(1.771, d), Part(-0.3457, d));
        tableV[c] = Pack(Part(1.4022, d), Part(-0.7144, d));
    }
}

}  // namespace

void InitYuvTables() {
    std::call_once(tablesBuilt, BuildTables);
}

const std::uint32_t* YuvTableU() {
    return tableU;
}

const std::uint32_t* YuvTableV() {
    return tableV;
}
