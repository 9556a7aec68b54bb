// IidcRegisters: the IIDC camera registers this program uses, as offsets from
// the camera's command register base (or from a Format 7 mode's block base).
// Every address is the low 32 bits of a node address whose high word is 0xFFFF.
#pragma once

#include <cstdint>

namespace iidc {

// Address high word of every camera access: the node's initial register space.
inline constexpr std::uint16_t kAddressHigh = 0xFFFF;

// First register of the node's register space (STATE_CLEAR), absolute.
inline constexpr std::uint32_t kStateClearAddress = 0xF0000000u;
// Base of the quadlet offsets reported by V_CSR_INQ_7, absolute.
inline constexpr std::uint32_t kRegisterSpaceBase = 0xF0000000u;

// Inquiry.
inline constexpr std::uint32_t kVFormatInq = 0x100;
inline constexpr std::uint32_t kVModeInqBase = 0x180;  // + 4 * format
inline constexpr std::uint32_t kVRateInqBase = 0x200;  // + 0x20 * format + 4 * mode
inline constexpr std::uint32_t kVCsrInq7Base = 0x2E0;  // + 4 * mode

constexpr std::uint32_t VModeInq(unsigned format) {
    return kVModeInqBase + 4 * format;
}
constexpr std::uint32_t VRateInq(unsigned format, unsigned mode) {
    return kVRateInqBase + 0x20 * format + 4 * mode;
}
constexpr std::uint32_t VCsrInq7(unsigned mode) {
    return kVCsrInq7Base + 4 * mode;
}

// Video mode, isochronous transmission and trigger.
inline constexpr std::uint32_t kCurVFrmRate = 0x600;
inline constexpr std::uint32_t kCurVMode = 0x604;
inline constexpr std::uint32_t kCurVFormat = 0x608;
inline constexpr std::uint32_t kIsoChannelSpeed = 0x60C;
inline constexpr std::uint32_t kIsoEn = 0x614;
inline constexpr std::uint32_t kOneShot = 0x61C;
inline constexpr std::uint32_t kTriggerMode = 0x830;

inline constexpr std::uint32_t kIsoEnOn = 0x80000000u;
inline constexpr std::uint32_t kOneShotRequest = 0x80000000u;
inline constexpr std::uint32_t kTriggerModeExternal = 0x82000000u;
inline constexpr std::uint32_t kStateClearValue = 0x80000000u;

// Features: the control register sits at the inquiry register + 0x300.
inline constexpr std::uint32_t kFeatureControlDistance = 0x300;
inline constexpr std::uint32_t kBrightness = 0x500;
inline constexpr std::uint32_t kAutoExposure = 0x504;
inline constexpr std::uint32_t kSharpness = 0x508;
inline constexpr std::uint32_t kWhiteBalance = 0x50C;
inline constexpr std::uint32_t kHue = 0x510;
inline constexpr std::uint32_t kSaturation = 0x514;
inline constexpr std::uint32_t kGamma = 0x518;
inline constexpr std::uint32_t kShutter = 0x51C;
inline constexpr std::uint32_t kGain = 0x520;
inline constexpr std::uint32_t kIris = 0x524;
inline constexpr std::uint32_t kFocus = 0x528;
inline constexpr std::uint32_t kZoom = 0x580;

// Control register bit 30: absolute-value control, never used by this program.
inline constexpr std::uint32_t kFeatureAbsoluteControl = 0x40000000u;

// Format 7 mode block, offsets from the block base.
inline constexpr std::uint32_t kMaxImageSizeInq = 0x000;
inline constexpr std::uint32_t kUnitSizeInq = 0x004;
inline constexpr std::uint32_t kImagePosition = 0x008;
inline constexpr std::uint32_t kImageSize = 0x00C;
inline constexpr std::uint32_t kColorCodingId = 0x010;
inline constexpr std::uint32_t kColorCodingInq = 0x014;
inline constexpr std::uint32_t kTotalBytesLoInq = 0x03C;
inline constexpr std::uint32_t kPacketParaInq = 0x040;
inline constexpr std::uint32_t kBytePerPacket = 0x044;
inline constexpr std::uint32_t kUnitPositionInq = 0x04C;
inline constexpr std::uint32_t kValueSetting = 0x07C;

inline constexpr std::uint32_t kValueSettingPresence = 0x80000000u;
inline constexpr std::uint32_t kValueSettingSetting1 = 0x40000000u;
inline constexpr std::uint32_t kValueSettingErrors = 0x00C00000u;

}  // namespace iidc
