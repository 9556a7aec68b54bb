#include "camera/IidcCamera.h"

#include <cstring>
#include <limits>

#include "buslib/Clock.h"
#include "camera/IidcRegisters.h"

namespace {

void Pause(std::uint32_t milliseconds) {
    tk::CurrentClock().Sleep(milliseconds);
}

constexpr std::uint32_t Upper16(std::uint32_t value) {
    return value >> 16;
}
constexpr std::uint32_t Lower16(std::uint32_t value) {
    return value & 0xFFFFu;
}
constexpr std::uint8_t TopByte(std::uint32_t value) {
    return static_cast<std::uint8_t>(value >> 24);
}
// Bit 7 stands for entry 0, bit 0 for entry 7 (the IIDC inquiry order).
constexpr bool Offered(std::uint8_t bits, unsigned index) {
    return index < 8 && (bits & (0x80u >> index)) != 0;
}
constexpr std::uint8_t FirstOffered(std::uint8_t bits) {
    for (std::uint8_t i = 0; i < 8; ++i) {
        if (Offered(bits, i)) {
            return i;
        }
    }
    return 0;
}
constexpr std::uint32_t InBits31To29(std::uint32_t value) {
    return value << 29;
}

constexpr unsigned kFormat7 = 7;
// Every Format 7 mode is shown with frame rates 0..5.
constexpr std::uint8_t kFormat7Rates = 0xFC;

}  // namespace

IidcCamera::IidcCamera() {
    std::memset(&settings, 0, sizeof settings);
    settings.speed = 2;
    settings.formatInquiry = 0xFF;
    settings.format = 2;
    std::memset(settings.modeInquiry, 0xFF, sizeof settings.modeInquiry);
    settings.mode = 2;
    std::memset(settings.rateInquiry, 0x78, sizeof settings.rateInquiry);
    settings.frameRate = 2;
    settings.colourCode = 0;
    settings.width = 1280;
    settings.height = 960;
    settings.packetsPerFrame = 960;
    settings.bytesPerPacket = 1280;
    settings.frameBuffers = 10;
    settings.dmaChannelEnable = 0x3F;
    settings.channelMask = 0x0000FFFF;
    settings.firstPacketEnable = 15;
    settings.firstPacketValue = 1;

    std::memset(&nodeInfo, 0, sizeof nodeInfo);
    std::strcpy(nodeInfo.vendorName, "Vendor");
    std::strcpy(nodeInfo.modelName, "Model");
}

IidcCamera::~IidcCamera() = default;

// Computed wide and held at the largest 32-bit count: a wrapped size would
// look small enough to fit.
std::uint32_t IidcCamera::ImageSize() const {
    const std::uint64_t pixels = std::uint64_t{settings.width} * settings.height;
    std::uint64_t bytes = pixels;
    switch (settings.colourCode) {
        case 1:
            bytes = pixels * 3 / 2;
            break;
        case 2:
            bytes = pixels * 2;
            break;
        case 3:
            bytes = pixels * 3;
            break;
        case 4:
            bytes = pixels * 3;
            break;
        case 5:
            bytes = pixels * 2;
            break;
        case 6:
            bytes = pixels * 6;
            break;
        default:
            break;
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(bytes < kMax ? bytes : kMax);
}

bool IidcCamera::InquireFormats() {
    std::uint32_t value = 0;
    if (ReadRegister(CommandAddress(iidc::kVFormatInq), value) != TK_OK) {
        return false;
    }
    settings.formatInquiry = TopByte(value);
    settings.format = FirstOffered(settings.formatInquiry);
    return true;
}

bool IidcCamera::InquireModes() {
    for (unsigned f = 0; f < 8; ++f) {
        if (!Offered(settings.formatInquiry, f)) {
            settings.modeInquiry[f] = 0;
            continue;
        }
        std::uint32_t value = 0;
        if (ReadRegister(CommandAddress(iidc::VModeInq(f)), value) != TK_OK) {
            return false;
        }
        settings.modeInquiry[f] = TopByte(value);
    }
    settings.mode = settings.format < 8 ? FirstOffered(settings.modeInquiry[settings.format]) : 0;
    return true;
}

bool IidcCamera::InquireRates() {
    std::memset(settings.rateInquiry, 0, sizeof settings.rateInquiry);
    for (unsigned f = 0; f < kFormat7; ++f) {
        if (!Offered(settings.formatInquiry, f)) {
            continue;
        }
        for (unsigned m = 0; m < 8; ++m) {
            if (!Offered(settings.modeInquiry[f], m)) {
                continue;
            }
            std::uint32_t value = 0;
            if (ReadRegister(CommandAddress(iidc::VRateInq(f, m)), value) != TK_OK) {
                return false;
            }
            settings.rateInquiry[f][m] = TopByte(value);
        }
    }
    std::memset(settings.rateInquiry[kFormat7], kFormat7Rates, sizeof settings.rateInquiry[0]);

    if (!Offered(settings.formatInquiry, kFormat7)) {
        return true;
    }
    for (unsigned m = 0; m < 8; ++m) {
        if (Offered(settings.modeInquiry[kFormat7], m) && !ReadFormat7Mode(m)) {
            return false;
        }
    }
    return true;
}

// The capabilities of one Format 7 mode: where its register block is, its
// maximum size, its colour codings and its size and position units.
bool IidcCamera::ReadFormat7Mode(unsigned mode) {
    std::uint32_t value = 0;
    if (ReadRegister(CommandAddress(iidc::VCsrInq7(mode)), value) != TK_OK) {
        return false;
    }
    settings.format7CsrOffset[mode] = value * 4;
    const std::uint32_t block = iidc::kRegisterSpaceBase + settings.format7CsrOffset[mode];

    if (ReadRegister(block + iidc::kMaxImageSizeInq, settings.format7MaxSize[mode]) != TK_OK) {
        return false;
    }
    if (ReadRegister(block + iidc::kColorCodingInq, value) != TK_OK) {
        return false;
    }
    settings.format7ColourInquiry[mode] = TopByte(value);

    std::uint32_t unitSize = 0;
    if (ReadRegister(block + iidc::kUnitSizeInq, unitSize) != TK_OK) {
        return false;
    }
    settings.format7UnitSize[mode] = unitSize;
    settings.format7UnitPosition[mode] = unitSize;

    // Cameras without UNIT_POSITION_INQ answer with an error response (code
    // 15); their position unit is the size unit, and so is any half left 0.
    std::uint32_t position = 0;
    const std::uint32_t code = ReadRegister(block + iidc::kUnitPositionInq, position);
    if (code == TKDRV_RCODE) {
        return true;
    }
    if (code != TK_OK) {
        return false;
    }
    if (Upper16(position) == 0) {
        position |= unitSize & 0xFFFF0000u;
    }
    if (Lower16(position) == 0) {
        position |= Lower16(unitSize);
    }
    settings.format7UnitPosition[mode] = position;
    return true;
}

std::uint32_t IidcCamera::WriteRegister(std::uint32_t address, std::uint32_t value) {
    std::uint32_t code = TK_OK;
    for (int attempt = 0; attempt < kRegisterAttempts; ++attempt) {
        code = TKWriteQuad(settings.card, settings.node, iidc::kAddressHigh, address, value);
        if (code == TK_OK) {
            Pause(kAfterWritePauseMs);
            return TK_OK;
        }
        Pause(kRetryPauseMs);
    }
    AddLogEntry(TK_LOG_ERROR, code, "TKWriteQuad");
    return code;
}

std::uint32_t IidcCamera::ReadRegister(std::uint32_t address, std::uint32_t& value) {
    std::uint32_t code = TK_OK;
    for (int attempt = 0; attempt < kRegisterAttempts; ++attempt) {
        std::uint32_t read = 0;
        code = TKReadQuad(settings.card, settings.node, iidc::kAddressHigh, address, &read);
        if (code == TK_OK) {
            value = read;
            Pause(kAfterReadPauseMs);
            return TK_OK;
        }
        Pause(kRetryPauseMs);
    }
    AddLogEntry(TK_LOG_ERROR, code, "TKReadQuad");
    return code;
}

bool IidcCamera::SettingsEqual(const VideoSettings& other) const {
    return settings == other;
}

bool IidcCamera::WriteStateClear() {
    return WriteRegister(iidc::kStateClearAddress, iidc::kStateClearValue) == TK_OK;
}

bool IidcCamera::InquireAll() {
    return InquireFormats() && InquireModes() && InquireRates();
}

// Only the low 4 bits of the channel fit the register.
std::uint32_t IidcCamera::IsoChannelSpeedValue(std::uint32_t channel) const {
    return ((channel * 16u) | settings.speed) << 24;
}

bool IidcCamera::StartContinuous() {
    if (WriteRegister(CommandAddress(iidc::kIsoChannelSpeed),
                      IsoChannelSpeedValue(settings.isoChannel)) != TK_OK) {
        return false;
    }
    // A camera that refuses one of these still gets the enable: the stream
    // shows whether it worked.
    (void)WriteRegister(CommandAddress(iidc::kCurVFrmRate), InBits31To29(settings.frameRate));
    (void)WriteRegister(CommandAddress(iidc::kCurVMode), InBits31To29(settings.mode));
    (void)WriteRegister(CommandAddress(iidc::kCurVFormat), InBits31To29(settings.format));
    (void)WriteRegister(CommandAddress(iidc::kTriggerMode),
                        settings.triggerMode == 1 ? iidc::kTriggerModeExternal : 0);
    Pause(kBeforeIsoEnablePauseMs);
    (void)WriteRegister(CommandAddress(iidc::kIsoEn), iidc::kIsoEnOn);
    return true;
}

bool IidcCamera::StopTransmission() {
    return WriteRegister(CommandAddress(iidc::kIsoEn), 0) == TK_OK;
}

bool IidcCamera::StartOneShot() {
    if (WriteRegister(CommandAddress(iidc::kTriggerMode),
                      settings.triggerMode == 1 ? iidc::kTriggerModeExternal : 0) != TK_OK) {
        return false;
    }
    (void)WriteRegister(CommandAddress(iidc::kCurVFrmRate), InBits31To29(settings.frameRate));
    (void)WriteRegister(CommandAddress(iidc::kCurVMode), InBits31To29(settings.mode));
    (void)WriteRegister(CommandAddress(iidc::kCurVFormat), InBits31To29(settings.format));
    (void)WriteRegister(CommandAddress(iidc::kIsoChannelSpeed),
                        IsoChannelSpeedValue(settings.isoChannel));
    (void)WriteRegister(CommandAddress(iidc::kOneShot), iidc::kOneShotRequest);
    return true;
}

// Names are compared within their 128 bytes, so an unterminated one cannot
// run past the record.
bool IidcCamera::IsSameCamera(const NodeRecord& record) const {
    return record.uniqueIdHigh == nodeInfo.uniqueIdHigh &&
           record.uniqueIdLow == nodeInfo.uniqueIdLow &&
           std::strncmp(record.vendorName, nodeInfo.vendorName, sizeof nodeInfo.vendorName) == 0 &&
           std::strncmp(record.modelName, nodeInfo.modelName, sizeof nodeInfo.modelName) == 0;
}

bool IidcCamera::SetupFormat7(Format7Request& request) {
    const unsigned mode = request.mode;
    if (!Offered(settings.formatInquiry, kFormat7) || mode >= 8 ||
        !Offered(settings.modeInquiry[kFormat7], mode) || request.width == 0 ||
        request.height == 0) {
        return false;
    }
    const std::uint32_t unitPosition = settings.format7UnitPosition[mode];
    const std::uint32_t unitSize = settings.format7UnitSize[mode];
    if (Upper16(unitPosition) == 0 || Lower16(unitPosition) == 0 || Upper16(unitSize) == 0 ||
        Lower16(unitSize) == 0 ||
        !Offered(settings.format7ColourInquiry[mode], request.colourCode)) {
        return false;
    }

    // Rounded and checked wide: a region near the 32-bit limit must not wrap
    // into one that seems to fit.
    const auto roundUp = [](std::uint32_t value, std::uint32_t unit) {
        return (std::uint64_t{value} - 1) / unit * unit + unit;
    };
    request.left = request.left / Upper16(unitPosition) * Upper16(unitPosition);
    request.top = request.top / Lower16(unitPosition) * Lower16(unitPosition);
    const std::uint64_t width = roundUp(request.width, Upper16(unitSize));
    const std::uint64_t height = roundUp(request.height, Lower16(unitSize));
    const std::uint32_t maxSize = settings.format7MaxSize[mode];
    if (width > std::numeric_limits<std::uint32_t>::max() ||
        height > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    request.width = static_cast<std::uint32_t>(width);
    request.height = static_cast<std::uint32_t>(height);
    if (request.left + width > Upper16(maxSize) || request.top + height > Lower16(maxSize)) {
        return false;
    }

    // The channel is programmed again at the next start.
    if (WriteRegister(CommandAddress(iidc::kIsoChannelSpeed), IsoChannelSpeedValue(0)) != TK_OK) {
        return false;
    }
    const std::uint32_t block = iidc::kRegisterSpaceBase + settings.format7CsrOffset[mode];
    if (WriteRegister(block + iidc::kColorCodingId, std::uint32_t{request.colourCode} << 24) !=
            TK_OK ||
        WriteRegister(block + iidc::kImagePosition, (request.left << 16) | request.top) != TK_OK ||
        WriteRegister(block + iidc::kImageSize, (request.width << 16) | request.height) != TK_OK) {
        return false;
    }
    if (!WaitForValueSetting(block)) {
        return false;
    }

    if (ReadRegister(block + iidc::kPacketParaInq, request.packetParameters) != TK_OK) {
        return false;
    }
    std::uint32_t bytePerPacket = 0;
    if (ReadRegister(block + iidc::kBytePerPacket, bytePerPacket) != TK_OK) {
        return false;
    }
    if (request.bytesPerPacket == 0) {
        // The camera's recommendation, else its maximum, else as many of its
        // current payloads as fit one line.
        std::uint32_t payload = Lower16(bytePerPacket);
        if (payload == 0) {
            payload = Lower16(request.packetParameters);
        }
        if (payload == 0) {
            const std::uint32_t current = Upper16(bytePerPacket);
            if (current == 0) {
                return false;
            }
            payload = current * (request.width / current);
        }
        if (payload == 0) {
            return false;
        }
        request.bytesPerPacket = payload;
    }
    // The register holds 16 bits; a larger payload would be programmed as
    // something else than the packet count below assumes.
    if (request.bytesPerPacket > 0xFFFFu) {
        return false;
    }
    const std::uint32_t payload = request.bytesPerPacket;
    if (WriteRegister(block + iidc::kBytePerPacket, (payload << 16) | payload) != TK_OK) {
        return false;
    }

    std::uint32_t totalBytes = 0;
    if (ReadRegister(block + iidc::kTotalBytesLoInq, totalBytes) != TK_OK) {
        return false;
    }
    // A camera reporting no bytes per image has not taken the region.
    if (totalBytes == 0) {
        return false;
    }
    request.packetsPerFrame = (totalBytes - 1) / payload + 1;
    return true;
}

// After Setting_1 is written, a camera with VALUE_SETTING reports the new
// region's packet figures once it has cleared bit 30; one without it is given
// a fixed pause. A camera without the register may refuse the write as well
// as the read (code 15); neither makes the set-up fail.
bool IidcCamera::WaitForValueSetting(std::uint32_t blockBase) {
    const std::uint32_t address = blockBase + iidc::kValueSetting;
    const std::uint32_t written = WriteRegister(address, iidc::kValueSettingSetting1);
    if (written != TK_OK && written != TKDRV_RCODE) {
        return false;
    }
    std::uint32_t value = 0;
    const std::uint32_t code = ReadRegister(address, value);
    if (code == TKDRV_RCODE) {
        Pause(kValueSettingPauseMs);
        return true;
    }
    if (code != TK_OK) {
        return false;
    }
    if ((value & iidc::kValueSettingPresence) == 0) {
        Pause(kValueSettingPauseMs);
        return true;
    }
    constexpr std::uint32_t kBusy = iidc::kValueSettingPresence | iidc::kValueSettingSetting1;
    for (int poll = 0; poll < kValueSettingPolls && (value & kBusy) == kBusy; ++poll) {
        if (ReadRegister(address, value) != TK_OK) {
            return false;
        }
    }
    if ((value & kBusy) == kBusy) {
        return false;
    }
    return (value & iidc::kValueSettingPresence) == 0 || (value & iidc::kValueSettingErrors) == 0;
}

bool IidcCamera::SetFeature(std::uint32_t offset, std::uint32_t& control) {
    control &= ~iidc::kFeatureAbsoluteControl;
    return WriteRegister(CommandAddress(offset + iidc::kFeatureControlDistance), control) == TK_OK;
}

bool IidcCamera::GetFeature(std::uint32_t offset, std::uint32_t& inquiry, std::uint32_t& control) {
    if (ReadRegister(CommandAddress(offset), inquiry) != TK_OK ||
        ReadRegister(CommandAddress(offset + iidc::kFeatureControlDistance), control) != TK_OK) {
        return false;
    }
    // A camera left in absolute-value mode is switched back to plain values;
    // the feature was read either way.
    if ((control & iidc::kFeatureAbsoluteControl) != 0) {
        (void)SetFeature(offset, control);
    }
    return true;
}

bool IidcCamera::SetBrightness(std::uint32_t& control) {
    return SetFeature(iidc::kBrightness, control);
}
bool IidcCamera::GetBrightness(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kBrightness, inquiry, control);
}
bool IidcCamera::SetShutter(std::uint32_t& control) {
    return SetFeature(iidc::kShutter, control);
}
bool IidcCamera::GetShutter(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kShutter, inquiry, control);
}
bool IidcCamera::SetGain(std::uint32_t& control) {
    return SetFeature(iidc::kGain, control);
}
bool IidcCamera::GetGain(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kGain, inquiry, control);
}
bool IidcCamera::SetAutoExposure(std::uint32_t& control) {
    return SetFeature(iidc::kAutoExposure, control);
}
bool IidcCamera::GetAutoExposure(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kAutoExposure, inquiry, control);
}
bool IidcCamera::SetSharpness(std::uint32_t& control) {
    return SetFeature(iidc::kSharpness, control);
}
bool IidcCamera::GetSharpness(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kSharpness, inquiry, control);
}
bool IidcCamera::SetWhiteBalance(std::uint32_t& control) {
    return SetFeature(iidc::kWhiteBalance, control);
}
bool IidcCamera::GetWhiteBalance(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kWhiteBalance, inquiry, control);
}
bool IidcCamera::SetHue(std::uint32_t& control) {
    return SetFeature(iidc::kHue, control);
}
bool IidcCamera::GetHue(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kHue, inquiry, control);
}
bool IidcCamera::SetSaturation(std::uint32_t& control) {
    return SetFeature(iidc::kSaturation, control);
}
bool IidcCamera::GetSaturation(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kSaturation, inquiry, control);
}
bool IidcCamera::SetGamma(std::uint32_t& control) {
    return SetFeature(iidc::kGamma, control);
}
bool IidcCamera::GetGamma(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kGamma, inquiry, control);
}
bool IidcCamera::SetIris(std::uint32_t& control) {
    return SetFeature(iidc::kIris, control);
}
bool IidcCamera::GetIris(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kIris, inquiry, control);
}
bool IidcCamera::SetFocusFeature(std::uint32_t& control) {
    return SetFeature(iidc::kFocus, control);
}
bool IidcCamera::GetFocusFeature(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kFocus, inquiry, control);
}
bool IidcCamera::SetZoom(std::uint32_t& control) {
    return SetFeature(iidc::kZoom, control);
}
bool IidcCamera::GetZoom(std::uint32_t& inquiry, std::uint32_t& control) {
    return GetFeature(iidc::kZoom, inquiry, control);
}

std::uint32_t IidcCamera::CommandAddress(std::uint32_t offset) const {
    return nodeInfo.commandRegisterBase + offset;
}
