#include "app/MainWindowText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CardLineText, ChipNameFromTheLowBitsAndThreeNumbersFromTheHighBytes) {
    struct Case {
        std::uint32_t systemId;
        const char* expected;
    };
    const Case cases[] = {
        {0x01020300, "Pcilynx (1-2-3)"}, {0x01020301, "Ohcilynx (1-2-3)"},
        {0x0A141E02, "? (10-20-30)"},    {0xFFFFFFFF, "? (255-255-255)"},
        {0x00000000, "Pcilynx (0-0-0)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, app::CardLineText(c.systemId)) << std::hex << c.systemId;
    }
}

NodeRecord Record(const char* vendor, const char* model, std::uint32_t node,
                  std::uint32_t uniqueIdLow) {
    NodeRecord record{};
    std::strncpy(record.vendorName, vendor, sizeof(record.vendorName) - 1);
    std::strncpy(record.modelName, model, sizeof(record.modelName) - 1);
    record.node = node;
    record.uniqueIdLow = uniqueIdLow;
    return record;
}

TEST(NodeLineText, SecondNumberIsTheLowSixteenBitsOfTheUniqueIdPlus100000) {
    struct Case {
        std::uint32_t uniqueIdLow;
        std::uint32_t node;
        const char* expected;
    };
    const Case cases[] = {
        {0x12340000, 0, "ACME Cam (0-100000)"},
        {0x1234FFFF, 1, "ACME Cam (1-165535)"},
        {0xFFFF0001, 31, "ACME Cam (31-100001)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, app::NodeLineText(Record("ACME", "Cam", c.node, c.uniqueIdLow)));
    }
}

TEST(NodeLineText, NamesWithoutTerminatorStopAtTheirField) {
    NodeRecord record = Record("", "M", 2, 5);
    std::memset(record.vendorName, 'V', sizeof(record.vendorName));
    const std::string line = app::NodeLineText(record);
    EXPECT_EQ(std::string(128, 'V') + " M (2-100005)", line);
}

TEST(StatusFigures, PayloadAsIntegerAndMemoryAsDecimalMegabytes) {
    EXPECT_EQ("0", app::PayloadText(0));
    EXPECT_EQ("-4096", app::PayloadText(-4096));
    EXPECT_EQ("2147483647", app::PayloadText(2147483647));

    EXPECT_EQ("0.00", app::MemoryText(0));
    EXPECT_EQ("1.57", app::MemoryText(1572864));
    EXPECT_EQ("-1.57", app::MemoryText(-1572864));
    EXPECT_EQ("2147.48", app::MemoryText(2147483647));
}

TEST(UtilitiesAvailable, OnlyUpToVersionFourPointOne) {
    struct Case {
        std::uint32_t major;
        std::uint32_t minor;
        bool expected;
    };
    const Case cases[] = {
        {3, 51, true},  {4, 0, true},  {4, 1, true},  {4, 2, false},
        {4, 10, false}, {5, 0, false}, {6, 2, false}, {10, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, app::UtilitiesAvailable(c.major, c.minor))
            << c.major << "." << c.minor;
    }
}

}  // namespace
