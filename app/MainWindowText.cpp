#include "app/MainWindowText.h"

#include <cstdio>
#include <cstring>

namespace app {

namespace {

// A name field of a node record: at most its 128 bytes.
std::string NameField(const char (&field)[128]) {
    const void* end = std::memchr(field, '\0', sizeof(field));
    const std::size_t length = end != nullptr
                                   ? static_cast<std::size_t>(static_cast<const char*>(end) - field)
                                   : sizeof(field);
    return std::string(field, length);
}

}  // namespace

std::string CardLineText(std::uint32_t systemId) {
    static const char* const kChipNames[4] = {"Pcilynx", "Ohcilynx", "?", "?"};
    char text[64];
    std::snprintf(text, sizeof(text), "%s (%d-%d-%d)", kChipNames[systemId & 3],
                  static_cast<int>((systemId >> 24) & 0xFF),
                  static_cast<int>((systemId >> 16) & 0xFF),
                  static_cast<int>((systemId >> 8) & 0xFF));
    return text;
}

std::uint32_t NodeLineNumber(std::uint32_t uniqueIdLow) {
    return (uniqueIdLow & 0xFFFF) + 100000;
}

std::string NodeLineText(const NodeRecord& record) {
    const std::string vendor = NameField(record.vendorName);
    const std::string model = NameField(record.modelName);
    char numbers[48];
    std::snprintf(numbers, sizeof(numbers), " (%d-%d)", static_cast<int>(record.node),
                  static_cast<int>(NodeLineNumber(record.uniqueIdLow)));
    return vendor + " " + model + numbers;
}

std::string PayloadText(std::int32_t payloadSum) {
    char text[24];
    std::snprintf(text, sizeof(text), "%ld", static_cast<long>(payloadSum));
    return text;
}

std::string MemoryText(std::int32_t memorySumBytes) {
    char text[32];
    std::snprintf(text, sizeof(text), "%0.2lf", static_cast<double>(memorySumBytes) * 1e-6);
    return text;
}

bool UtilitiesAvailable(std::uint32_t majorVersion, std::uint32_t minorVersion) {
    if (majorVersion > 4) {
        return false;
    }
    return !(majorVersion == 4 && minorVersion >= 2);
}

}  // namespace app
