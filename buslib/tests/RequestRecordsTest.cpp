#include "buslib/RequestRecords.h"

#include "buslib/TK.h"  // the public types must compile in every build

#include <gtest/gtest.h>

#include <vector>

namespace tk::records {
namespace {

struct NamedField {
    const char* name;
    Field field;
};

struct RecordLayout {
    const RequestSpec* spec;
    std::vector<NamedField> fields;
};

// Every request with the fields it carries beyond the header.
std::vector<RecordLayout> AllLayouts() {
    return {
        {&request::DriverVersion, {}},
        {&request::OpenBus,
         {{"BusNumber", open_bus::BusNumber},
          {"Sizing1", open_bus::Sizing1},
          {"Sizing2", open_bus::Sizing2},
          {"Sizing3", open_bus::Sizing3},
          {"Sizing4", open_bus::Sizing4},
          {"Fixed36", open_bus::Fixed36},
          {"Fixed38", open_bus::Fixed38},
          {"Pointer40", open_bus::Pointer40},
          {"Fixed44", open_bus::Fixed44},
          {"Fixed46", open_bus::Fixed46},
          {"Fixed48", open_bus::Fixed48},
          {"Fixed50", open_bus::Fixed50},
          {"Fixed52", open_bus::Fixed52},
          {"Reply56", open_bus::Reply56},
          {"Reply57", open_bus::Reply57},
          {"Reply60", open_bus::Reply60},
          {"Reply64", open_bus::Reply64}}},
        {&request::CloseBus, {}},
        {&request::BusInfo,
         {{"Reported16", bus_info::Reported16},
          {"LocalNode", bus_info::LocalNode},
          {"Unused19", bus_info::Unused19},
          {"Unused20", bus_info::Unused20},
          {"NodeCount", bus_info::NodeCount},
          {"Unused24", bus_info::Unused24},
          {"NodesDescribed", bus_info::NodesDescribed},
          {"Capacity", bus_info::Capacity},
          {"BufferAddress", bus_info::BufferAddress}}},
        {&request::WriteQuad,
         {{"Speed", quad::Speed},
          {"BusNumber", quad::BusNumber},
          {"Node", quad::Node},
          {"AddressHigh", quad::AddressHigh},
          {"AddressLow", quad::AddressLow},
          {"Quadlet", quad::Quadlet},
          {"ResultA", quad::ResultA},
          {"ResultB", quad::ResultB}}},
        {&request::WaitEvents, {}},
        {&request::IsoInquire,
         {{"BufferHandle", iso_frame::BufferHandle},
          {"Top", iso_frame::Top},
          {"Left", iso_frame::Left},
          {"Height", iso_frame::Height},
          {"Width", iso_frame::Width},
          {"ColourCode", iso_frame::ColourCode},
          {"FrameMark", iso_frame::FrameMark},
          {"PostContext", iso_frame::PostContext},
          {"Unused34", iso_frame::Unused34},
          {"UnusedPointer", iso_frame::UnusedPointer},
          {"DataAddress", iso_frame::DataAddress}}},
        {&request::IsoStart,
         {{"BuffersRequested", iso_start::BuffersRequested},
          {"PacketsPerFrame", iso_start::PacketsPerFrame},
          {"BytesPerPacket", iso_start::BytesPerPacket},
          {"FirstPacketSelection", iso_start::FirstPacketSelection},
          {"DmaChannelSelection", iso_start::DmaChannelSelection},
          {"Top", iso_start::Top},
          {"Left", iso_start::Left},
          {"Height", iso_start::Height},
          {"Width", iso_start::Width},
          {"ColourCode", iso_start::ColourCode},
          {"Context", iso_start::Context},
          {"BuffersAllocated", iso_start::BuffersAllocated}}},
    };
}

// The wide layout is the compact one laid out again for 64-bit pointers: same
// order, natural alignment, pointer-sized fields 8 bytes wide, size rounded to 8.
TEST(RequestRecordsTest, WideLayoutFollowsCompactLayout) {
    for (const RecordLayout& layout : AllLayouts()) {
        SCOPED_TRACE(layout.spec->name);
        std::vector<NamedField> fields = {{"Code", header::Code},
                                          {"Param1", header::Param1},
                                          {"Param2", header::Param2},
                                          {"Param3", header::Param3}};
        fields.insert(fields.end(), layout.fields.begin(), layout.fields.end());
        std::uint32_t compactEnd = 0;
        std::uint32_t wideEnd = 0;
        for (const NamedField& f : fields) {
            SCOPED_TRACE(f.name);
            const Field& field = f.field;
            EXPECT_GE(field.compactOffset, compactEnd);
            EXPECT_GE(field.wideOffset, wideEnd);
            EXPECT_EQ(0u, field.compactOffset % field.compactWidth);
            EXPECT_EQ(0u, field.wideOffset % field.wideWidth);
            if (field.compactWidth != field.wideWidth) {
                EXPECT_EQ(4u, field.compactWidth);  // only pointer-sized fields widen
                EXPECT_EQ(8u, field.wideWidth);
            }
            compactEnd = field.compactOffset + field.compactWidth;
            wideEnd = field.wideOffset + field.wideWidth;
        }
        EXPECT_LE(compactEnd, layout.spec->compactSize);
        EXPECT_LE(wideEnd, layout.spec->wideSize);
        EXPECT_EQ(0u, layout.spec->wideSize % 8u);
        EXPECT_GE(layout.spec->compactSize, HeaderSize(Layout::Compact));
        EXPECT_GE(layout.spec->wideSize, HeaderSize(Layout::Wide));
        EXPECT_LE(layout.spec->wideSize, kMaxRecordSize);
    }
}

struct ReplyCase {
    std::uint32_t code;
    Layout layout;
    std::uint32_t length;
    bool bufferGiven;
    bool accepted;
};

TEST(RequestRecordsTest, ReplyLengthRules) {
    const ReplyCase cases[] = {
        {102, Layout::Compact, 16, true, true},  {102, Layout::Compact, 17, true, false},
        {102, Layout::Compact, 15, true, false}, {102, Layout::Wide, 32, true, true},
        {102, Layout::Wide, 16, true, false},    {105, Layout::Compact, 68, true, true},
        {105, Layout::Compact, 67, true, false}, {105, Layout::Wide, 88, true, true},
        {105, Layout::Wide, 68, true, false},    {108, Layout::Compact, 16, true, true},
        {108, Layout::Compact, 15, true, false}, {108, Layout::Wide, 31, true, false},
        {108, Layout::Wide, 64, true, true},     {109, Layout::Compact, 15, true, false},
        {109, Layout::Compact, 36, true, true},  {110, Layout::Wide, 32, true, true},
        {110, Layout::Wide, 31, true, false},    {113, Layout::Compact, 16, true, true},
        {113, Layout::Wide, 16, true, false},    {116, Layout::Compact, 16, true, true},
        {116, Layout::Wide, 72, true, true},     {118, Layout::Wide, 31, true, false},
        {118, Layout::Compact, 56, true, true},  {120, Layout::Compact, 16, true, true},
        {120, Layout::Compact, 44, true, false}, {120, Layout::Compact, 44, false, true},
        {120, Layout::Wide, 32, true, true},     {120, Layout::Wide, 72, true, false},
        {120, Layout::Wide, 72, false, true},    {135, Layout::Wide, 32, true, true},
        {117, Layout::Compact, 20, true, false},
    };
    for (const ReplyCase& c : cases) {
        const RequestSpec* spec = FindRequest(c.code);
        ASSERT_NE(nullptr, spec) << c.code;
        EXPECT_EQ(c.accepted, ReplyLengthAccepted(*spec, c.layout, c.length, c.bufferGiven))
            << "request " << c.code << (c.layout == Layout::Wide ? " wide" : " compact")
            << " reply " << c.length;
    }
    EXPECT_EQ(nullptr, FindRequest(107));
}

TEST(RequestRecordsTest, FieldsAreLittleEndianAtTheirOffsets) {
    RequestRecord compact(request::ReadQuad, Layout::Compact);
    RequestRecord wide(request::ReadQuad, Layout::Wide);
    for (RequestRecord* r : {&compact, &wide}) {
        r->Set(quad::AddressLow, 0xF000040Cu);
        r->Set(header::Param3, 0x11223344u);
        r->Set(quad::Node, 0x1C5);  // only the low byte fits
    }
    const std::uint8_t* c = compact.Data();
    EXPECT_EQ(110u, Get32(c));
    EXPECT_EQ(0x0Cu, c[24]);
    EXPECT_EQ(0xF0u, c[27]);
    EXPECT_EQ(0x11223344u, Get32(c + 12));
    EXPECT_EQ(0xC5u, c[20]);
    EXPECT_EQ(0u, c[21]);
    const std::uint8_t* w = wide.Data();
    EXPECT_EQ(110u, Get32(w));
    EXPECT_EQ(0xF000040Cu, Get32(w + 40));
    EXPECT_EQ(0x11223344u, Get64(w + 24));
    EXPECT_EQ(0xC5u, w[36]);
    EXPECT_EQ(36u, compact.Size());
    EXPECT_EQ(56u, wide.Size());

    std::uint8_t bytes[4];
    PutBus32(bytes, 0x12345678u);
    EXPECT_EQ(0x12u, bytes[0]);
    EXPECT_EQ(0x78u, bytes[3]);
    EXPECT_EQ(0x12345678u, GetBus32(bytes));
}

}  // namespace
}  // namespace tk::records
