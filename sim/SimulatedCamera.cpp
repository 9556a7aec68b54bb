#include "sim/SimulatedCamera.h"

#include <algorithm>

#include "sim/ConfigRom.h"

namespace sim {
namespace {

constexpr std::uint64_t kOnePushMicros = 250000;  // one-push adjustment time
constexpr std::uint64_t kSettingMicros = 20000;   // Setting_1 busy time
constexpr std::uint64_t kAutoPeriodMicros = 6000000;
constexpr std::uint64_t kTriggerLatencyMicros = 1000;
constexpr std::uint32_t kRecommendedPackets = 533;  // about 15 frames per second

std::uint32_t Hi16(std::uint32_t v) {
    return v >> 16;
}
std::uint32_t Lo16(std::uint32_t v) {
    return v & 0xFFFF;
}

// 0 .. 1000 .. 0 over a period.
std::uint32_t Triangle(std::uint64_t t, std::uint64_t period) {
    const std::uint64_t p = t % period;
    const std::uint64_t half = period / 2;
    return static_cast<std::uint32_t>(p < half ? p * 1000 / half : (period - p) * 1000 / half);
}

}  // namespace

SimulatedCamera::SimulatedCamera(const CameraSpec& spec) : spec_(spec) {
    rom_ = spec_.rom.empty()
               ? BuildCameraRom({spec_.uniqueId, spec_.commandBase, spec_.vendor, spec_.model})
               : spec_.rom;

    std::uint32_t formats = 0;
    for (int f = 0; f < 7; ++f) {
        if (spec_.modeInquiry[f] != 0) {
            formats |= reg::kBit31 >> f;
        }
        inquiry_[reg::kVModeInq + 4 * f] = std::uint32_t{spec_.modeInquiry[f]} << 24;
        for (int m = 0; m < 8; ++m) {
            inquiry_[reg::kVRateInq + 0x20 * f + 4 * m] = std::uint32_t{spec_.rateInquiry[f][m]}
                                                          << 24;
        }
    }
    std::uint32_t format7Modes = 0;
    for (int m = 0; m < 8; ++m) {
        std::uint32_t csr = 0;
        if (spec_.format7[m].present) {
            format7Modes |= reg::kBit31 >> m;
            const std::uint32_t block = spec_.commandBase + reg::kDefaultFormat7Blocks +
                                        reg::kFormat7BlockStride * static_cast<std::uint32_t>(m);
            csr = (block - reg::kRegisterSpace) / 4;
        }
        inquiry_[reg::kVCsrInq7 + 4 * m] = csr;
    }
    if (format7Modes != 0) {
        formats |= 1u << 24;
    }
    inquiry_[reg::kVFormatInq] = formats;
    inquiry_[reg::kVModeInq + 4 * 7] = format7Modes;
    inquiry_[reg::kBasicFuncInq] = reg::kBasicOneShotInq | reg::kBasicCamPowerInq;
    std::uint32_t hi = 0;
    std::uint32_t lo = 0;
    for (std::uint32_t off = 0x500; off < 0x600; off += 4) {
        inquiry_[off] = 0;
    }
    for (const auto& info : reg::kFeatures) {
        const std::uint32_t inq = spec_.features[static_cast<std::size_t>(info.feature)].inquiry;
        inquiry_[info.inquiry] = inq;
        if (inq & reg::kInqPresent) {
            (info.inLowInquiry ? lo : hi) |= info.presence;
        }
    }
    if (spec_.trigger) {
        hi |= 1u << 19;
        inquiry_[reg::kTriggerInq] =
            reg::kInqPresent | reg::kInqReadOut | reg::kInqOnOff | (1u << 15);  // trigger mode 0
    }
    inquiry_[reg::kFeatureHiInq] = hi;
    inquiry_[reg::kFeatureLoInq] = lo;
    // Values read from a real camera win over the description.
    for (const auto& [offset, value] : spec_.registers) {
        inquiry_[offset] = value;
    }
    // The camera behaves by what it reports.
    for (const auto& info : reg::kFeatures) {
        spec_.features[static_cast<std::size_t>(info.feature)].inquiry = inquiry_[info.inquiry];
    }
    spec_.trigger = (inquiry_[reg::kTriggerInq] & reg::kInqPresent) != 0;

    for (int m = 0; m < 8; ++m) {
        const Format7ModeSpec& f7 = spec_.format7[m];
        if (!f7.present) {
            continue;
        }
        auto& inq = format7Inquiry_[m];
        inq[reg::kF7MaxImageSizeInq] = (std::uint32_t{f7.maxWidth} << 16) | f7.maxHeight;
        inq[reg::kF7UnitSizeInq] = (std::uint32_t{f7.unitWidth} << 16) | f7.unitHeight;
        inq[reg::kF7ColorCodingInq] = std::uint32_t{f7.colourInquiry} << 24;
        inq[reg::kF7PacketParaInq] = (std::uint32_t{f7.packetUnit} << 16) | f7.maxPacket;
        if (f7.hasUnitPosition) {
            inq[reg::kF7UnitPositionInq] =
                (std::uint32_t{f7.positionUnitWidth} << 16) | f7.positionUnitHeight;
        }
        for (const auto& [offset, value] : f7.registers) {
            inq[offset] = value;
        }
        format7_[m].block = reg::kRegisterSpace + 4 * inquiry_[reg::kVCsrInq7 + 4 * m];
    }
}

std::uint32_t SimulatedCamera::Inquiry(std::uint32_t offset) const {
    auto it = inquiry_.find(offset);
    return it == inquiry_.end() ? 0 : it->second;
}

void SimulatedCamera::PowerOn(std::uint64_t now) {
    const std::uint32_t formats = Inquiry(reg::kVFormatInq) >> 24;
    format_ = 0;
    mode_ = 0;
    rate_ = 0;
    for (std::uint32_t f = 0; f < 8; ++f) {
        if (formats & (0x80u >> f)) {
            format_ = f;
            break;
        }
    }
    const std::uint32_t modes = Inquiry(reg::kVModeInq + 4 * format_) >> 24;
    for (std::uint32_t m = 0; m < 8; ++m) {
        if (modes & (0x80u >> m)) {
            mode_ = m;
            break;
        }
    }
    if (format_ < 7) {
        const std::uint32_t rates = Inquiry(reg::kVRateInq + 0x20 * format_ + 4 * mode_) >> 24;
        for (std::uint32_t r = 0; r < 8; ++r) {
            if (rates & (0x80u >> r)) {
                rate_ = r;
                break;
            }
        }
    }
    isoChannel_ = std::uint32_t{spec_.speed} << 24;
    isoEnabled_ = false;
    oneShotPending_ = false;
    triggerMode_ = 0;
    triggersPending_ = 0;
    for (int i = 0; i < reg::kFeatureCount; ++i) {
        const std::uint32_t inq = spec_.features[i].inquiry;
        features_[i] = FeatureState{};
        if (inq & reg::kInqPresent) {
            const std::uint32_t lo = (inq >> reg::kInqMinShift) & reg::kValueMask;
            const std::uint32_t hi = inq & reg::kValueMask;
            std::uint32_t value = spec_.features[i].initialValue;
            if (reg::kFeatures[i].feature == reg::Feature::WhiteBalance) {
                const std::uint32_t u =
                    std::clamp((value >> reg::kCtlUShift) & reg::kValueMask, lo, hi);
                const std::uint32_t v = std::clamp(value & reg::kValueMask, lo, hi);
                value = (u << reg::kCtlUShift) | v;
            } else {
                value = std::clamp(value & reg::kValueMask, lo, hi);
            }
            features_[i].control = reg::kCtlPresent | reg::kCtlOn | value;
            features_[i].autoSince = now;
        }
    }
    for (int m = 0; m < 8; ++m) {
        if (!spec_.format7[m].present) {
            continue;
        }
        Format7State& s = format7_[m];
        const std::uint32_t max = Format7Inquiry(m, reg::kF7MaxImageSizeInq);
        const std::uint32_t unit = Format7Inquiry(m, reg::kF7UnitSizeInq);
        const std::uint32_t uw = std::max<std::uint32_t>(Hi16(unit), 1);
        const std::uint32_t uh = std::max<std::uint32_t>(Lo16(unit), 1);
        s.position = 0;
        s.size = ((Hi16(max) / uw * uw) << 16) | (Lo16(max) / uh * uh);
        const std::uint32_t colours = Format7Inquiry(m, reg::kF7ColorCodingInq) >> 24;
        s.coding = 0;
        for (std::uint8_t c = 0; c < 8; ++c) {
            if (colours & (0x80u >> c)) {
                s.coding = c;
                break;
            }
        }
        s.bytesPerPacket = Format7Recommended(m);
        s.errorSize = !Format7Valid(m);
        s.errorPacket = false;
        s.settingEnds = 0;
    }
    pattern_.reset();
}

std::uint32_t SimulatedCamera::Read(std::uint32_t address, std::uint64_t now,
                                    std::uint32_t* value) {
    if ((address & 3) != 0) {
        return reg::kStatusRcode;
    }
    if (address >= reg::kConfigRom && address < reg::kConfigRomEnd) {
        const std::size_t i = (address - reg::kConfigRom) / 4;
        if (i >= rom_.size()) {
            return reg::kStatusRcode;
        }
        *value = rom_[i];
        return reg::kStatusOk;
    }
    if (address == reg::kStateClear || address == reg::kStateSet) {
        *value = 0;
        return reg::kStatusOk;
    }
    if (address >= spec_.commandBase && address - spec_.commandBase < 0x1000) {
        return ReadCommand(address - spec_.commandBase, now, value) ? reg::kStatusOk
                                                                    : reg::kStatusRcode;
    }
    const int mode = Format7At(address);
    if (mode >= 0) {
        return ReadFormat7(mode, address - format7_[mode].block, now, value) ? reg::kStatusOk
                                                                             : reg::kStatusRcode;
    }
    return reg::kStatusRcode;
}

std::uint32_t SimulatedCamera::Write(std::uint32_t address, std::uint32_t value,
                                     std::uint64_t now) {
    if ((address & 3) != 0) {
        return reg::kStatusRcode;
    }
    if (address == reg::kStateClear || address == reg::kStateSet) {
        return reg::kStatusOk;
    }
    if (address >= spec_.commandBase && address - spec_.commandBase < 0x1000) {
        return WriteCommand(address - spec_.commandBase, value, now) ? reg::kStatusOk
                                                                     : reg::kStatusRcode;
    }
    const int mode = Format7At(address);
    if (mode >= 0) {
        return WriteFormat7(mode, address - format7_[mode].block, value, now) ? reg::kStatusOk
                                                                              : reg::kStatusRcode;
    }
    // The ROM is read-only; everything else is not there.
    return reg::kStatusRcode;
}

bool SimulatedCamera::ReadCommand(std::uint32_t offset, std::uint64_t now, std::uint32_t* value) {
    if (auto it = inquiry_.find(offset); it != inquiry_.end()) {
        *value = it->second;
        return true;
    }
    for (int i = 0; i < reg::kFeatureCount; ++i) {
        if (offset == reg::kFeatures[i].inquiry + reg::kFeatureControlDistance) {
            *value = FeatureControl(i, now);
            return true;
        }
    }
    switch (offset) {
        case reg::kInitialize:
            *value = 0;
            return true;
        case reg::kCurVFrmRate:
            *value = rate_ << reg::kValueShift;
            return true;
        case reg::kCurVMode:
            *value = mode_ << reg::kValueShift;
            return true;
        case reg::kCurVFormat:
            *value = format_ << reg::kValueShift;
            return true;
        case reg::kIsoChannel:
            *value = isoChannel_;
            return true;
        case reg::kCameraPower:
            *value = reg::kBit31;
            return true;
        case reg::kIsoEn:
            *value = isoEnabled_ ? reg::kBit31 : 0;
            return true;
        case reg::kOneShot:
            *value = oneShotPending_ ? reg::kBit31 : 0;
            return true;
        case reg::kTriggerMode:
            if (!spec_.trigger) {
                return false;
            }
            *value = reg::kCtlPresent | triggerMode_;
            return true;
        default:
            break;
    }
    // Control registers of features the camera lacks read as absent.
    if (offset >= 0x800 && offset < 0x900) {
        *value = 0;
        return true;
    }
    return false;
}

bool SimulatedCamera::WriteCommand(std::uint32_t offset, std::uint32_t value, std::uint64_t now) {
    if (inquiry_.count(offset) != 0) {
        return true;  // read-only: the write is taken and ignored
    }
    for (int i = 0; i < reg::kFeatureCount; ++i) {
        if (offset == reg::kFeatures[i].inquiry + reg::kFeatureControlDistance) {
            WriteFeature(i, value, now);
            return true;
        }
    }
    switch (offset) {
        case reg::kInitialize:
            if (value & reg::kBit31) {
                PowerOn(now);
            }
            return true;
        case reg::kCurVFrmRate:
            rate_ = value >> reg::kValueShift;
            return true;
        case reg::kCurVMode:
            mode_ = value >> reg::kValueShift;
            return true;
        case reg::kCurVFormat:
            format_ = value >> reg::kValueShift;
            return true;
        case reg::kIsoChannel:
            isoChannel_ = value & 0xF3000000;
            return true;
        case reg::kCameraPower:
            return true;
        case reg::kIsoEn:
            if ((value & reg::kBit31) && !isoEnabled_) {
                isoEnabled_ = true;
                oneShotPending_ = false;
                StartStreamClock(now);
            } else if (!(value & reg::kBit31)) {
                isoEnabled_ = false;
            }
            return true;
        case reg::kOneShot:
            if ((value & reg::kBit31) && !isoEnabled_ && !oneShotPending_) {
                oneShotPending_ = true;
                StartStreamClock(now);
            }
            return true;
        case reg::kTriggerMode:
            if (!spec_.trigger) {
                return false;
            }
            triggerMode_ = value & 0x03FF0FFF;
            return true;
        default:
            break;
    }
    return offset >= 0x800 && offset < 0x900;
}

void SimulatedCamera::StartStreamClock(std::uint64_t now) {
    const auto format = CurrentFormat();
    nextFrame_ = now + (format ? format->periodMicros : reg::kFramePeriodMicros[4]);
}

std::uint32_t SimulatedCamera::FeatureControl(int i, std::uint64_t now) {
    FeatureState& s = features_[i];
    const std::uint32_t inq = spec_.features[i].inquiry;
    if (!(inq & reg::kInqPresent)) {
        return 0;
    }
    const std::uint32_t lo = (inq >> reg::kInqMinShift) & reg::kValueMask;
    const std::uint32_t hi = inq & reg::kValueMask;
    const bool whiteBalance = reg::kFeatures[i].feature == reg::Feature::WhiteBalance;
    auto place = [&](std::uint32_t u, std::uint32_t v) {
        const std::uint32_t bits = whiteBalance ? ((u << reg::kCtlUShift) | v) : v;
        s.control = (s.control & ~0xFFFFFFu) | bits;
    };
    if ((s.control & reg::kCtlOnePush) && now >= s.onePushEnds) {
        // The adjustment settles on the middle of the range (white balance: neutral).
        s.control &= ~reg::kCtlOnePush;
        place((lo + hi) / 2, (lo + hi) / 2);
    }
    if (s.control & reg::kCtlAuto) {
        const std::uint32_t span = hi - lo;
        const std::uint64_t t = now - s.autoSince;
        const std::uint32_t a = lo + span / 4 + Triangle(t, kAutoPeriodMicros) * (span / 2) / 1000;
        const std::uint32_t b =
            lo + span / 4 +
            Triangle(t + kAutoPeriodMicros / 3, kAutoPeriodMicros) * (span / 2) / 1000;
        place(a, b);
    }
    return s.control | reg::kCtlPresent;
}

void SimulatedCamera::WriteFeature(int i, std::uint32_t value, std::uint64_t now) {
    const std::uint32_t inq = spec_.features[i].inquiry;
    if (!(inq & reg::kInqPresent)) {
        return;
    }
    const std::uint32_t current = FeatureControl(i, now);
    FeatureState& s = features_[i];
    const std::uint32_t lo = (inq >> reg::kInqMinShift) & reg::kValueMask;
    const std::uint32_t hi = inq & reg::kValueMask;
    std::uint32_t control = reg::kCtlPresent;
    if (inq & reg::kInqAbsolute) {
        control |= value & reg::kCtlAbsolute;
    }
    control |= (inq & reg::kInqOnOff) ? (value & reg::kCtlOn) : reg::kCtlOn;
    const bool automatic = (inq & reg::kInqAuto) && (value & reg::kCtlAuto);
    if (automatic) {
        control |= reg::kCtlAuto;
        if (!(current & reg::kCtlAuto)) {
            s.autoSince = now;
        }
    }
    std::uint32_t bits = current & 0xFFFFFF;  // auto mode keeps moving from where it is
    if (!automatic) {
        if (reg::kFeatures[i].feature == reg::Feature::WhiteBalance) {
            const std::uint32_t u =
                std::clamp((value >> reg::kCtlUShift) & reg::kValueMask, lo, hi);
            const std::uint32_t v = std::clamp(value & reg::kValueMask, lo, hi);
            bits = (u << reg::kCtlUShift) | v;
        } else {
            bits = std::clamp(value & reg::kValueMask, lo, hi);
        }
        if ((inq & reg::kInqOnePush) && (value & reg::kCtlOnePush)) {
            control |= reg::kCtlOnePush;
            s.onePushEnds = now + kOnePushMicros;
        }
    }
    s.control = control | bits;
}

int SimulatedCamera::Format7At(std::uint32_t address) const {
    for (int m = 0; m < 8; ++m) {
        if (spec_.format7[m].present && address >= format7_[m].block &&
            address - format7_[m].block < reg::kF7BlockSize) {
            return m;
        }
    }
    return -1;
}

std::uint32_t SimulatedCamera::Format7Inquiry(int mode, std::uint32_t offset) const {
    const auto& inq = format7Inquiry_[mode];
    auto it = inq.find(offset);
    return it == inq.end() ? 0 : it->second;
}

std::uint64_t SimulatedCamera::Format7TotalBytes(int mode) const {
    const Format7State& s = format7_[mode];
    return reg::ImageBytes(s.coding, std::uint64_t{Hi16(s.size)} * Lo16(s.size));
}

std::uint16_t SimulatedCamera::Format7Recommended(int mode) const {
    const std::uint32_t para = Format7Inquiry(mode, reg::kF7PacketParaInq);
    const std::uint32_t unit = std::max<std::uint32_t>(Hi16(para), 1);
    const std::uint32_t max = std::max(Lo16(para) / unit * unit, unit);
    const std::uint64_t wanted =
        (Format7TotalBytes(mode) + kRecommendedPackets - 1) / kRecommendedPackets;
    const std::uint64_t rounded = (wanted + unit - 1) / unit * unit;
    return static_cast<std::uint16_t>(std::clamp<std::uint64_t>(rounded, unit, max));
}

bool SimulatedCamera::Format7Valid(int mode) const {
    const Format7State& s = format7_[mode];
    const std::uint32_t max = Format7Inquiry(mode, reg::kF7MaxImageSizeInq);
    const std::uint32_t unit = Format7Inquiry(mode, reg::kF7UnitSizeInq);
    std::uint32_t position = unit;
    if (auto it = format7Inquiry_[mode].find(reg::kF7UnitPositionInq);
        it != format7Inquiry_[mode].end()) {
        position = ((Hi16(it->second) ? Hi16(it->second) : Hi16(unit)) << 16) |
                   (Lo16(it->second) ? Lo16(it->second) : Lo16(unit));
    }
    const std::uint32_t w = Hi16(s.size);
    const std::uint32_t h = Lo16(s.size);
    const std::uint32_t left = Hi16(s.position);
    const std::uint32_t top = Lo16(s.position);
    const std::uint32_t colours = Format7Inquiry(mode, reg::kF7ColorCodingInq) >> 24;
    auto multiple = [](std::uint32_t v, std::uint32_t u) { return u != 0 && v % u == 0; };
    return w != 0 && h != 0 && multiple(w, Hi16(unit)) && multiple(h, Lo16(unit)) &&
           multiple(left, Hi16(position)) && multiple(top, Lo16(position)) &&
           left + w <= Hi16(max) && top + h <= Lo16(max) && s.coding < 8 &&
           (colours & (0x80u >> s.coding)) != 0;
}

bool SimulatedCamera::ReadFormat7(int mode, std::uint32_t offset, std::uint64_t now,
                                  std::uint32_t* value) {
    const Format7State& s = format7_[mode];
    switch (offset) {
        case reg::kF7MaxImageSizeInq:
        case reg::kF7UnitSizeInq:
        case reg::kF7ColorCodingInq:
        case reg::kF7PacketParaInq:
        case reg::kF7UnitPositionInq: {
            const auto& inq = format7Inquiry_[mode];
            auto it = inq.find(offset);
            if (it == inq.end()) {
                return false;  // a camera without UNIT_POSITION_INQ
            }
            *value = it->second;
            return true;
        }
        case reg::kF7ImagePosition:
            *value = s.position;
            return true;
        case reg::kF7ImageSize:
            *value = s.size;
            return true;
        case reg::kF7ColorCodingId:
            *value = std::uint32_t{s.coding} << 24;
            return true;
        case reg::kF7PixelNumberInq:
            *value = Hi16(s.size) * Lo16(s.size);
            return true;
        case reg::kF7TotalBytesHiInq:
            *value = static_cast<std::uint32_t>(Format7TotalBytes(mode) >> 32);
            return true;
        case reg::kF7TotalBytesLoInq:
            *value = static_cast<std::uint32_t>(Format7TotalBytes(mode));
            return true;
        case reg::kF7BytePerPacket:
            *value = (std::uint32_t{s.bytesPerPacket} << 16) | Format7Recommended(mode);
            return true;
        case reg::kF7PacketPerFrameInq:
            *value = s.bytesPerPacket == 0
                         ? 0
                         : static_cast<std::uint32_t>(
                               (Format7TotalBytes(mode) + s.bytesPerPacket - 1) / s.bytesPerPacket);
            return true;
        case reg::kF7ValueSetting:
            if (!spec_.format7[mode].hasValueSetting) {
                return false;
            }
            *value = reg::kVsPresence | (now < s.settingEnds ? reg::kVsSetting1 : 0) |
                     (s.errorSize ? reg::kVsErrorFlag1 : 0) |
                     (s.errorPacket ? reg::kVsErrorFlag2 : 0);
            return true;
        default:
            return false;
    }
}

bool SimulatedCamera::WriteFormat7(int mode, std::uint32_t offset, std::uint32_t value,
                                   std::uint64_t now) {
    Format7State& s = format7_[mode];
    switch (offset) {
        case reg::kF7ImagePosition:
        case reg::kF7ImageSize:
        case reg::kF7ColorCodingId:
            if (offset == reg::kF7ImagePosition) {
                s.position = value;
            } else if (offset == reg::kF7ImageSize) {
                s.size = value;
            } else {
                s.coding = static_cast<std::uint8_t>(value >> 24);
            }
            s.errorSize = !Format7Valid(mode);
            return true;
        case reg::kF7BytePerPacket: {
            const std::uint32_t para = Format7Inquiry(mode, reg::kF7PacketParaInq);
            const std::uint32_t bpp = Hi16(value);
            const bool ok =
                bpp != 0 && Hi16(para) != 0 && bpp % Hi16(para) == 0 && bpp <= Lo16(para);
            if (ok) {
                s.bytesPerPacket = static_cast<std::uint16_t>(bpp);
            }
            s.errorPacket = !ok;
            return true;
        }
        case reg::kF7ValueSetting:
            if (!spec_.format7[mode].hasValueSetting) {
                return false;
            }
            if (value & reg::kVsSetting1) {
                s.settingEnds = now + kSettingMicros;
                s.errorSize = !Format7Valid(mode);
                s.errorPacket = false;
            }
            return true;
        case reg::kF7MaxImageSizeInq:
        case reg::kF7UnitSizeInq:
        case reg::kF7ColorCodingInq:
        case reg::kF7PacketParaInq:
        case reg::kF7PixelNumberInq:
        case reg::kF7TotalBytesHiInq:
        case reg::kF7TotalBytesLoInq:
        case reg::kF7PacketPerFrameInq:
            return true;
        case reg::kF7UnitPositionInq:
            return format7Inquiry_[mode].count(offset) != 0;
        default:
            return false;
    }
}

std::optional<StreamFormat> SimulatedCamera::CurrentFormat() const {
    StreamFormat f;
    f.channel = static_cast<std::uint8_t>(isoChannel_ >> 28);
    f.speed = static_cast<std::uint8_t>((isoChannel_ >> 24) & 3);
    const std::uint32_t formats = Inquiry(reg::kVFormatInq) >> 24;
    if (format_ > 7 || !(formats & (0x80u >> format_))) {
        return std::nullopt;
    }
    const std::uint32_t modes = Inquiry(reg::kVModeInq + 4 * format_) >> 24;
    if (mode_ > 7 || !(modes & (0x80u >> mode_))) {
        return std::nullopt;
    }
    if (format_ <= 2) {
        const reg::FixedMode& fm = reg::kFixedModes[format_][mode_];
        const std::uint32_t rates = Inquiry(reg::kVRateInq + 0x20 * format_ + 4 * mode_) >> 24;
        if (fm.width == 0 || rate_ > 5 || !(rates & (0x80u >> rate_))) {
            return std::nullopt;
        }
        f.width = fm.width;
        f.height = fm.height;
        f.coding = fm.coding;
        f.periodMicros = reg::kFramePeriodMicros[rate_];
        const std::uint64_t packets = 3840u >> rate_;
        f.packetBytes = static_cast<std::uint32_t>((f.FrameBytes() + packets - 1) / packets);
        return f;
    }
    if (format_ == 7 && spec_.format7[mode_].present) {
        const int m = static_cast<int>(mode_);
        const Format7State& s = format7_[m];
        if (s.errorSize || s.bytesPerPacket == 0 || !Format7Valid(m)) {
            return std::nullopt;
        }
        f.width = Hi16(s.size);
        f.height = Lo16(s.size);
        f.coding = s.coding;
        f.packetBytes = s.bytesPerPacket;
        const std::uint64_t packets = (f.FrameBytes() + s.bytesPerPacket - 1) / s.bytesPerPacket;
        f.periodMicros = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(packets * reg::kCycleMicros, 60000000));
        return f;
    }
    return std::nullopt;  // formats 3..6 are not simulated
}

std::optional<std::uint64_t> SimulatedCamera::NextFrameDue() const {
    if (!isoEnabled_ && !oneShotPending_) {
        return std::nullopt;
    }
    if (isoEnabled_ && (triggerMode_ & reg::kTriggerOn) && triggersPending_ == 0) {
        return std::nullopt;
    }
    if (!CurrentFormat()) {
        return std::nullopt;
    }
    return nextFrame_;
}

std::optional<SimulatedCamera::Frame> SimulatedCamera::TakeFrame(std::uint64_t now) {
    const auto due = NextFrameDue();
    if (!due || *due > now) {
        return std::nullopt;
    }
    Frame frame{*CurrentFormat(), framesSent_++};
    if (oneShotPending_ && !isoEnabled_) {
        oneShotPending_ = false;
    } else if (triggerMode_ & reg::kTriggerOn) {
        --triggersPending_;
        nextFrame_ = now + kTriggerLatencyMicros;
    } else {
        nextFrame_ += frame.format.periodMicros;
    }
    return frame;
}

void SimulatedCamera::Trigger(std::uint64_t now) {
    if ((triggerMode_ & reg::kTriggerOn) && isoEnabled_) {
        if (triggersPending_ == 0) {
            nextFrame_ = now + kTriggerLatencyMicros;
        }
        ++triggersPending_;
    }
}

const TestPattern& SimulatedCamera::PatternFor(const StreamFormat& f) {
    if (!pattern_ || pattern_->Width() != f.width || pattern_->Height() != f.height ||
        pattern_->Coding() != f.coding) {
        pattern_ = std::make_unique<TestPattern>(f.width, f.height, f.coding);
    }
    return *pattern_;
}

}  // namespace sim
