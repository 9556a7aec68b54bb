// SimRegisters: the register layout the simulated bus and cameras answer, in
// one place. Tests assert against these constants; nothing else in sim/
// spells out a register offset or bit.
//
// Addresses are the low 32 bits of a node address whose high 16 bits are
// 0xFFFF (the initial register space). Camera register offsets are relative
// to the command register base named by the configuration ROM.
#pragma once

#include <array>
#include <cstdint>

namespace sim::reg {

// ---- node address space -------------------------------------------------------

inline constexpr std::uint32_t kAddressHigh = 0xFFFF;
inline constexpr std::uint32_t kRegisterSpace = 0xF0000000;  // CSR base; STATE_CLEAR lives here
inline constexpr std::uint32_t kStateClear = 0xF0000000;
inline constexpr std::uint32_t kStateSet = 0xF0000004;
inline constexpr std::uint32_t kConfigRom = 0xF0000400;
inline constexpr std::uint32_t kConfigRomEnd = 0xF0000800;  // 1 KiB of ROM space
inline constexpr std::uint32_t kBusInfoName = 0xF0000404;   // "1394"
inline constexpr std::uint32_t kUniqueIdHigh = 0xF000040C;
inline constexpr std::uint32_t kUniqueIdLow = 0xF0000410;
inline constexpr std::uint32_t kRootDirectory = 0xF0000414;
inline constexpr std::uint32_t kBusName1394 = 0x31333934;

// Directory keys (upper 8 bits of an entry).
inline constexpr std::uint8_t kKeyModuleVendorId = 0x03;
inline constexpr std::uint8_t kKeyNodeCapabilities = 0x0C;
inline constexpr std::uint8_t kKeyUnitSpecId = 0x12;
inline constexpr std::uint8_t kKeyUnitSwVersion = 0x13;
inline constexpr std::uint8_t kKeyCommandRegsBase = 0x40;
inline constexpr std::uint8_t kKeyVendorNameLeaf = 0x81;
inline constexpr std::uint8_t kKeyModelNameLeaf = 0x82;
inline constexpr std::uint8_t kKeyNodeUniqueIdLeaf = 0x8D;
inline constexpr std::uint8_t kKeyUnitDirectory = 0xD1;
inline constexpr std::uint8_t kKeyUnitDependentDirectory = 0xD4;
inline constexpr std::uint32_t kIidcSpecId = 0x00A02D;
inline constexpr std::uint32_t kIidcVersion131 = 0x000102;

// Where the built-in description puts the command registers.
inline constexpr std::uint32_t kDefaultCommandBase = 0xF0F00000;
// Format 7 register blocks of the built-in description: base + 0x1000 + 0x100 m... as
// an offset from the command register base.
inline constexpr std::uint32_t kDefaultFormat7Blocks = 0x1000;
inline constexpr std::uint32_t kFormat7BlockStride = 0x100;

// ---- camera command registers (offsets from the command register base) -----

inline constexpr std::uint32_t kInitialize = 0x000;
inline constexpr std::uint32_t kVFormatInq = 0x100;
inline constexpr std::uint32_t kVModeInq = 0x180;  // + 4 * format
inline constexpr std::uint32_t kVRateInq = 0x200;  // + 0x20 * format + 4 * mode (formats 0..6)
inline constexpr std::uint32_t kVCsrInq7 = 0x2E0;  // + 4 * mode: quadlet offset from 0xF0000000
inline constexpr std::uint32_t kBasicFuncInq = 0x400;
inline constexpr std::uint32_t kFeatureHiInq = 0x404;
inline constexpr std::uint32_t kFeatureLoInq = 0x408;
inline constexpr std::uint32_t kTriggerInq = 0x530;
inline constexpr std::uint32_t kCurVFrmRate = 0x600;  // value in bits 31..29
inline constexpr std::uint32_t kCurVMode = 0x604;
inline constexpr std::uint32_t kCurVFormat = 0x608;
inline constexpr std::uint32_t kIsoChannel = 0x60C;  // channel bits 31..28, speed bits 25..24
inline constexpr std::uint32_t kCameraPower = 0x610;
inline constexpr std::uint32_t kIsoEn = 0x614;    // bit 31
inline constexpr std::uint32_t kOneShot = 0x61C;  // bit 31 one shot
inline constexpr std::uint32_t kTriggerMode = 0x830;
inline constexpr std::uint32_t kFeatureControlDistance = 0x300;  // control = inquiry + 0x300

inline constexpr std::uint32_t kBit31 = 0x80000000;
inline constexpr std::uint32_t kValueShift = 29;  // CUR_V_* values sit in bits 31..29
inline constexpr std::uint32_t kBasicOneShotInq = 1u << 12;
inline constexpr std::uint32_t kBasicCamPowerInq = 1u << 15;
inline constexpr std::uint32_t kTriggerOn = 1u << 25;

// ---- features ---------------------------------------------------------------------

enum class Feature : std::uint8_t {
    Brightness,
    AutoExposure,
    Sharpness,
    WhiteBalance,
    Hue,
    Saturation,
    Gamma,
    Shutter,
    Gain,
    Iris,
    Focus,
    Zoom,
};
inline constexpr int kFeatureCount = 12;

struct FeatureInfo {
    Feature feature;
    const char* name;        // as written in scenario files
    std::uint32_t inquiry;   // inquiry register offset; control = + 0x300
    std::uint32_t presence;  // bit in FEATURE_HI_INQ (or FEATURE_LO_INQ for zoom)
    bool inLowInquiry;
};

inline constexpr std::array<FeatureInfo, kFeatureCount> kFeatures{{
    {Feature::Brightness, "brightness", 0x500, 1u << 31, false},
    {Feature::AutoExposure, "autoexposure", 0x504, 1u << 30, false},
    {Feature::Sharpness, "sharpness", 0x508, 1u << 29, false},
    {Feature::WhiteBalance, "whitebalance", 0x50C, 1u << 28, false},
    {Feature::Hue, "hue", 0x510, 1u << 27, false},
    {Feature::Saturation, "saturation", 0x514, 1u << 26, false},
    {Feature::Gamma, "gamma", 0x518, 1u << 25, false},
    {Feature::Shutter, "shutter", 0x51C, 1u << 24, false},
    {Feature::Gain, "gain", 0x520, 1u << 23, false},
    {Feature::Iris, "iris", 0x524, 1u << 22, false},
    {Feature::Focus, "focus", 0x528, 1u << 21, false},
    {Feature::Zoom, "zoom", 0x580, 1u << 31, true},
}};

// Feature inquiry register bits.
inline constexpr std::uint32_t kInqPresent = 1u << 31;
inline constexpr std::uint32_t kInqAbsolute = 1u << 30;
inline constexpr std::uint32_t kInqOnePush = 1u << 28;
inline constexpr std::uint32_t kInqReadOut = 1u << 27;
inline constexpr std::uint32_t kInqOnOff = 1u << 26;
inline constexpr std::uint32_t kInqAuto = 1u << 25;
inline constexpr std::uint32_t kInqManual = 1u << 24;
inline constexpr int kInqMinShift = 12;  // bits 23..12 minimum, 11..0 maximum
inline constexpr std::uint32_t kValueMask = 0xFFF;

// Feature control register bits.
inline constexpr std::uint32_t kCtlPresent = 1u << 31;
inline constexpr std::uint32_t kCtlAbsolute = 1u << 30;
inline constexpr std::uint32_t kCtlOnePush = 1u << 26;
inline constexpr std::uint32_t kCtlOn = 1u << 25;
inline constexpr std::uint32_t kCtlAuto = 1u << 24;
inline constexpr int kCtlUShift = 12;  // white balance: U in bits 23..12, V in 11..0

// ---- Format 7 block registers (offsets from the block base) ----------------------

inline constexpr std::uint32_t kF7MaxImageSizeInq = 0x000;
inline constexpr std::uint32_t kF7UnitSizeInq = 0x004;
inline constexpr std::uint32_t kF7ImagePosition = 0x008;
inline constexpr std::uint32_t kF7ImageSize = 0x00C;
inline constexpr std::uint32_t kF7ColorCodingId = 0x010;  // bits 31..24
inline constexpr std::uint32_t kF7ColorCodingInq = 0x014;
inline constexpr std::uint32_t kF7PixelNumberInq = 0x034;
inline constexpr std::uint32_t kF7TotalBytesHiInq = 0x038;
inline constexpr std::uint32_t kF7TotalBytesLoInq = 0x03C;
inline constexpr std::uint32_t kF7PacketParaInq = 0x040;  // unit bits 31..16, max bits 15..0
inline constexpr std::uint32_t kF7BytePerPacket = 0x044;  // current 31..16, recommended 15..0
inline constexpr std::uint32_t kF7PacketPerFrameInq = 0x048;
inline constexpr std::uint32_t kF7UnitPositionInq = 0x04C;
inline constexpr std::uint32_t kF7ValueSetting = 0x07C;
inline constexpr std::uint32_t kF7BlockSize = 0x080;

inline constexpr std::uint32_t kVsPresence = 1u << 31;
inline constexpr std::uint32_t kVsSetting1 = 1u << 30;
inline constexpr std::uint32_t kVsErrorFlag1 = 1u << 23;  // position, size or colour coding
inline constexpr std::uint32_t kVsErrorFlag2 = 1u << 22;  // byte per packet

// ---- colour codings -------------------------------------------------------------

enum ColourCoding : std::uint8_t {
    kY8 = 0,
    kYuv411 = 1,
    kYuv422 = 2,
    kYuv444 = 3,
    kRgb8 = 4,
    kY16 = 5,
    kRgb16 = 6,
};
inline constexpr int kColourCodingCount = 7;

// Bytes of an image of `pixels` pixels; YUV-411 packs 4 pixels into 6 bytes.
constexpr std::uint64_t ImageBytes(std::uint8_t coding, std::uint64_t pixels) {
    switch (coding) {
        case kYuv411:
            return pixels * 3 / 2;
        case kYuv422:
        case kY16:
            return pixels * 2;
        case kYuv444:
        case kRgb8:
            return pixels * 3;
        case kRgb16:
            return pixels * 6;
        default:
            return pixels;
    }
}

// ---- fixed formats 0..2 -------------------------------------------------------

struct FixedMode {
    std::uint16_t width;
    std::uint16_t height;
    std::uint8_t coding;
};

// Formats 0..2, modes 0..7 (IIDC). Width 0: no such mode.
inline constexpr std::array<std::array<FixedMode, 8>, 3> kFixedModes{{
    {{{160, 120, kYuv444},
      {320, 240, kYuv422},
      {640, 480, kYuv411},
      {640, 480, kYuv422},
      {640, 480, kRgb8},
      {640, 480, kY8},
      {640, 480, kY16},
      {0, 0, kY8}}},
    {{{800, 600, kYuv422},
      {800, 600, kRgb8},
      {800, 600, kY8},
      {1024, 768, kYuv422},
      {1024, 768, kRgb8},
      {1024, 768, kY8},
      {800, 600, kY16},
      {1024, 768, kY16}}},
    {{{1280, 960, kYuv422},
      {1280, 960, kRgb8},
      {1280, 960, kY8},
      {1600, 1200, kYuv422},
      {1600, 1200, kRgb8},
      {1600, 1200, kY8},
      {1280, 960, kY16},
      {1600, 1200, kY16}}},
}};

// Frame period of frame rate index 0..5 (1.875 .. 60 frames per second), in microseconds.
inline constexpr std::array<std::uint32_t, 6> kFramePeriodMicros{533333, 266667, 133333,
                                                                 66667,  33333,  16667};

// ---- isochronous timing and bandwidth --------------------------------------------

inline constexpr std::uint32_t kCycleMicros = 125;          // one isochronous cycle
inline constexpr std::uint32_t kBandwidthUnitsS400 = 4915;  // available per cycle
// Bandwidth units of one packet of `payloadBytes` at S400.
constexpr std::uint32_t PacketBandwidthUnits(std::uint32_t payloadBytes) {
    return ((payloadBytes + 3) / 4 + 3) * 4;
}
// First packet of a frame carries sync value 1 (IIDC).
inline constexpr std::uint32_t kFrameStartSync = 1;

// ---- driver ---------------------------------------------------------------------

inline constexpr std::uint32_t kDriverVersion = 0x02070100;
inline constexpr int kContextsPerCard = 4;
inline constexpr int kMaxCards = 16;

// Event word bits.
inline constexpr std::uint32_t kEventContext0 = 0x0001;  // << context
inline constexpr std::uint32_t kEventBusReset = 0x0100;
inline constexpr std::uint32_t kEventErrors = 0x0400;
inline constexpr std::uint32_t kEventStop = 0x1000;
inline constexpr std::uint32_t kEventNotifications = 0x2000;

// Driver status codes the simulator answers with.
inline constexpr std::uint32_t kStatusOk = 0;
inline constexpr std::uint32_t kStatusNoMemory = 3;
inline constexpr std::uint32_t kStatusTimeout = 5;
inline constexpr std::uint32_t kStatusStartedTwice = 6;
inline constexpr std::uint32_t kStatusNotStarted = 7;
inline constexpr std::uint32_t kStatusNoResources = 9;
inline constexpr std::uint32_t kStatusNoData = 10;
inline constexpr std::uint32_t kStatusNoAck = 11;
inline constexpr std::uint32_t kStatusRcode = 15;
inline constexpr std::uint32_t kStatusInputParameters = 17;
inline constexpr std::uint32_t kStatusNotImplemented = 20;
inline constexpr std::uint32_t kStatusBusReset = 23;

}  // namespace sim::reg
