// RequestRecords: the request records exchanged with tkdrv, as data.
//
// Every record exists in two layouts: the compact one (32-bit pointers,
// control code 0x80002000) and the wide one that a 32-bit process uses on
// 64-bit Windows (pointer-sized fields widened to 64 bits and 8-byte aligned,
// control code 0x80002040). Each field below carries its offset and width in
// both layouts; records are read and written byte by byte, little-endian, so
// the host's own pointer size and byte order never matter.
//
// The library packs requests with these tables and the simulated driver parses
// them with the same ones, so each layout is written down exactly once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "buslib/DriverPlatform.h"

namespace tk::records {

enum class Layout : std::uint8_t { Compact, Wide };

constexpr std::uint32_t ControlCode(Layout layout) {
    return layout == Layout::Wide ? tk::kControlCodeWide : tk::kControlCodeCompact;
}

// The header every record starts with: 16 bytes compact, 32 bytes wide.
constexpr std::uint32_t HeaderSize(Layout layout) {
    return layout == Layout::Wide ? 32u : 16u;
}

// ---- byte-wise little-endian access -------------------------------------

inline void Put8(std::uint8_t* p, std::uint8_t v) {
    p[0] = v;
}
inline void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
inline void Put64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
inline std::uint8_t Get8(const std::uint8_t* p) {
    return p[0];
}
inline std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Get32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}
inline std::uint64_t Get64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

// Quadlets travel in bus order: most significant byte first.
inline void PutBus32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    }
}
inline std::uint32_t GetBus32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// ---- fields ---------------------------------------------------------------

// One field of a record: offset and width (in bytes) in each layout.
struct Field {
    std::uint16_t compactOffset;
    std::uint16_t wideOffset;
    std::uint8_t compactWidth;
    std::uint8_t wideWidth;

    constexpr std::uint32_t Offset(Layout layout) const {
        return layout == Layout::Wide ? wideOffset : compactOffset;
    }
    constexpr std::uint32_t Width(Layout layout) const {
        return layout == Layout::Wide ? wideWidth : compactWidth;
    }
};

// Reads a field (zero-extended). Widths are 1, 2, 4 or 8 bytes.
std::uint64_t GetField(const std::uint8_t* record, Layout layout, const Field& field);
// Writes the low Width bytes of `value` (a pointer-sized value is zero-extended
// in the wide layout).
void PutField(std::uint8_t* record, Layout layout, const Field& field, std::uint64_t value);

// Header: request code in, driver status out; three parameters, pointer-sized.
namespace header {
inline constexpr Field Code{0, 0, 4, 4};
inline constexpr Field Status{0, 0, 4, 4};
inline constexpr Field Param1{4, 8, 4, 8};
inline constexpr Field Param2{8, 16, 4, 8};
inline constexpr Field Param3{12, 24, 4, 8};
}  // namespace header

// 102 driver version: Param1 out = version (the low 32 bits in the wide layout).
// 113 wait for events: Param1 in = wait time in ms (0xFFFFFFFF none), out = event word.
// 115 error events: Param1 out = error event word.
// 117 isochronous clear, 119 isochronous stop: Param1 in = context index.
// 106 close bus, 114 cancel wait, 135 discard notification: header only.

// 105 open bus.
namespace open_bus {
inline constexpr Field BusNumber{16, 32, 2, 2};  // in: 1023
inline constexpr Field Sizing1{20, 36, 4, 4};    // in
inline constexpr Field Sizing2{24, 40, 4, 4};    // in/out
inline constexpr Field Sizing3{28, 44, 4, 4};    // in
inline constexpr Field Sizing4{32, 48, 4, 4};    // in/out
inline constexpr Field Fixed36{36, 52, 2, 2};    // in: 16
inline constexpr Field Fixed38{38, 54, 1, 1};    // in: 0
inline constexpr Field Pointer40{40, 56, 4, 8};  // in: 0, pointer-sized
inline constexpr Field Fixed44{44, 64, 2, 2};    // in: 0
inline constexpr Field Fixed46{46, 66, 2, 2};    // in: 1
inline constexpr Field Fixed48{48, 68, 2, 2};    // in: 0
inline constexpr Field Fixed50{50, 70, 1, 1};    // in: 1
inline constexpr Field Fixed52{52, 72, 4, 4};    // in: 0
inline constexpr Field Reply56{56, 76, 1, 1};    // out, not used
inline constexpr Field Reply57{57, 77, 1, 1};    // out, not used
inline constexpr Field Reply60{60, 80, 4, 4};    // in 0 / out, not used
inline constexpr Field Reply64{64, 84, 4, 4};    // in 0 / out, not used

struct FixedInput {
    Field field;
    std::uint32_t value;
};
// The inputs the library always sends with the same value.
inline constexpr std::array<FixedInput, 11> kFixedInputs{{
    {BusNumber, 1023},
    {Fixed36, 16},
    {Fixed38, 0},
    {Pointer40, 0},
    {Fixed44, 0},
    {Fixed46, 1},
    {Fixed48, 0},
    {Fixed50, 1},
    {Fixed52, 0},
    {Reply60, 0},
    {Reply64, 0},
}};
// The fields the driver reports back (copied from a wide record into the compact one).
inline constexpr std::array<Field, 6> kOutFields{
    {Sizing2, Sizing4, Reply56, Reply57, Reply60, Reply64}};
}  // namespace open_bus

// 109 write quadlet, 110 read quadlet. Param2 in = 0; Param3 in = the address
// of the compact record itself (the driver's business; zero-extended wide).
namespace quad {
inline constexpr Field Speed{16, 32, 1, 1};        // in: speed code of the node
inline constexpr Field BusNumber{18, 34, 2, 2};    // in: 1023, the local bus
inline constexpr Field Node{20, 36, 1, 1};         // in: node AND 0x3F
inline constexpr Field AddressHigh{22, 38, 2, 2};  // in
inline constexpr Field AddressLow{24, 40, 4, 4};   // in
inline constexpr Field Quadlet{28, 44, 4, 4};      // in (109) / out (110), bus order
inline constexpr Field ResultA{32, 48, 1, 1};      // out, not used
inline constexpr Field ResultB{33, 49, 1, 1};      // out, not used
}  // namespace quad

// 108 bus information.
namespace bus_info {
inline constexpr Field Reported16{16, 32, 2, 2};      // out, not used
inline constexpr Field LocalNode{18, 34, 1, 1};       // out: the adapter's own node
inline constexpr Field Unused19{19, 35, 1, 1};        // out, not used
inline constexpr Field Unused20{20, 36, 1, 1};        // out, not used
inline constexpr Field NodeCount{21, 37, 1, 1};       // out
inline constexpr Field Unused24{24, 40, 4, 4};        // out, not used
inline constexpr Field NodesDescribed{28, 44, 4, 4};  // out: nodes in the quadlet buffer
inline constexpr Field Capacity{32, 48, 4, 4};        // in: buffer size in quadlets (32)
inline constexpr Field BufferAddress{36, 56, 4, 8};   // in: the caller's quadlet buffer
inline constexpr std::uint32_t kBufferQuadlets = 32;
}  // namespace bus_info

// 118 isochronous start. The header parameters are not set.
namespace iso_start {
inline constexpr Field BuffersRequested{16, 32, 2, 2};      // in
inline constexpr Field PacketsPerFrame{20, 36, 4, 4};       // in, not 0
inline constexpr Field BytesPerPacket{24, 40, 4, 4};        // in, 16 bits used, not 0
inline constexpr Field FirstPacketSelection{28, 44, 4, 4};  // in: enable << 16 | value
inline constexpr Field DmaChannelSelection{32, 48, 4, 4};   // in: enable << 16 | value
inline constexpr Field Top{36, 52, 2, 2};                   // in
inline constexpr Field Left{38, 54, 2, 2};                  // in
inline constexpr Field Height{40, 56, 2, 2};                // in
inline constexpr Field Width{42, 58, 2, 2};                 // in
inline constexpr Field ColourCode{44, 60, 2, 2};            // in
inline constexpr Field Context{48, 64, 4, 4};               // out: context index
inline constexpr Field BuffersAllocated{52, 68, 4, 4};      // out
}  // namespace iso_start

// 116 isochronous inquire (Param1 in = context) and 120 isochronous post share
// this layout.
namespace iso_frame {
inline constexpr Field BufferHandle{16, 32, 4, 8};   // out (116) / in (120); 0 = none
inline constexpr Field Top{20, 40, 2, 2};            // out
inline constexpr Field Left{22, 42, 2, 2};           // out
inline constexpr Field Height{24, 44, 2, 2};         // out
inline constexpr Field Width{26, 46, 2, 2};          // out
inline constexpr Field ColourCode{28, 48, 2, 2};     // out
inline constexpr Field FrameMark{30, 50, 2, 2};      // out
inline constexpr Field PostContext{32, 52, 1, 1};    // in (120): context index
inline constexpr Field Unused33{33, 53, 1, 1};       // out, not used
inline constexpr Field Unused34{34, 54, 2, 2};       // out, not used
inline constexpr Field UnusedPointer{36, 56, 4, 8};  // out, not used
inline constexpr Field DataAddress{40, 64, 4, 8};    // out (116): the frame's bytes
inline constexpr Field PostMarker{40, 64, 4, 8};     // in (120): 1
}  // namespace iso_frame

// ---- requests ---------------------------------------------------------------

enum class ReplyRule : std::uint8_t {
    ExactSize,      // exactly the record size
    AtLeastHeader,  // at least the header (16 / 32 bytes)
    // Post: exactly the header when a buffer handle is given, else exactly the size.
    HeaderWhenBufferGiven,
};

struct RequestSpec {
    std::uint32_t code;
    std::uint16_t compactSize;
    std::uint16_t wideSize;
    ReplyRule rule;
    const char* name;

    constexpr std::uint32_t Size(Layout layout) const {
        return layout == Layout::Wide ? wideSize : compactSize;
    }
};

namespace request {
inline constexpr RequestSpec DriverVersion{102, 16, 32, ReplyRule::ExactSize, "driver version"};
inline constexpr RequestSpec OpenBus{105, 68, 88, ReplyRule::ExactSize, "open bus"};
inline constexpr RequestSpec CloseBus{106, 16, 32, ReplyRule::ExactSize, "close bus"};
inline constexpr RequestSpec BusInfo{108, 40, 64, ReplyRule::AtLeastHeader, "bus information"};
inline constexpr RequestSpec WriteQuad{109, 36, 56, ReplyRule::AtLeastHeader, "write quadlet"};
inline constexpr RequestSpec ReadQuad{110, 36, 56, ReplyRule::AtLeastHeader, "read quadlet"};
inline constexpr RequestSpec WaitEvents{113, 16, 32, ReplyRule::ExactSize, "wait for events"};
inline constexpr RequestSpec CancelWait{114, 16, 32, ReplyRule::ExactSize, "cancel the event wait"};
inline constexpr RequestSpec ErrorEvents{115, 16, 32, ReplyRule::ExactSize, "error events"};
inline constexpr RequestSpec IsoInquire{116, 44, 72, ReplyRule::AtLeastHeader,
                                        "isochronous inquire"};
inline constexpr RequestSpec IsoClear{117, 16, 32, ReplyRule::ExactSize, "isochronous clear"};
inline constexpr RequestSpec IsoStart{118, 56, 72, ReplyRule::AtLeastHeader, "isochronous start"};
inline constexpr RequestSpec IsoStop{119, 16, 32, ReplyRule::ExactSize, "isochronous stop"};
inline constexpr RequestSpec IsoPost{120, 44, 72, ReplyRule::HeaderWhenBufferGiven,
                                     "isochronous post"};
inline constexpr RequestSpec DiscardNotification{135, 16, 32, ReplyRule::ExactSize,
                                                 "discard one queued notification"};
}  // namespace request

inline constexpr std::array<RequestSpec, 15> kAllRequests{{
    request::DriverVersion,
    request::OpenBus,
    request::CloseBus,
    request::BusInfo,
    request::WriteQuad,
    request::ReadQuad,
    request::WaitEvents,
    request::CancelWait,
    request::ErrorEvents,
    request::IsoInquire,
    request::IsoClear,
    request::IsoStart,
    request::IsoStop,
    request::IsoPost,
    request::DiscardNotification,
}};

// The largest record of either layout.
inline constexpr std::uint32_t kMaxRecordSize = 88;

// The request with this code, or nullptr.
const RequestSpec* FindRequest(std::uint32_t code);

// Whether a reply of `replyLength` bytes is accepted for `spec`. `bufferGiven`
// matters only for the post request (a post without buffer handle expects the
// whole record back).
bool ReplyLengthAccepted(const RequestSpec& spec, Layout layout, std::uint32_t replyLength,
                         bool bufferGiven = true);

// One record in its own zeroed, suitably aligned storage, with the request code
// written. Unset fields stay zero.
class RequestRecord {
public:
    RequestRecord(const RequestSpec& spec, Layout layout);

    void Set(const Field& field, std::uint64_t value) { PutField(bytes_, layout_, field, value); }
    std::uint64_t Get(const Field& field) const { return GetField(bytes_, layout_, field); }
    std::uint32_t Status() const { return static_cast<std::uint32_t>(Get(header::Status)); }

    std::uint8_t* Data() { return bytes_; }
    const std::uint8_t* Data() const { return bytes_; }
    std::uint32_t Size() const { return spec_->Size(layout_); }
    Layout GetLayout() const { return layout_; }
    const RequestSpec& Spec() const { return *spec_; }

private:
    const RequestSpec* spec_;
    Layout layout_;
    alignas(8) std::uint8_t bytes_[kMaxRecordSize];
};

}  // namespace tk::records
