// IidcCamera: one IIDC (1394 DCAM) camera node as a set of registers. Every
// operation is a sequence of single quadlet reads and writes through the bus
// access library, each with up to three attempts.
//
// The virtual operations keep a fixed order (the feature dialog and the
// acquisition engine reach the camera only through them); results are 1/0 as
// bool for camera operations and library codes for the register access.
#pragma once

#include <cstdint>

#include "buslib/TK.h"
#include "camera/Format7Request.h"
#include "camera/VideoSettings.h"

class IidcCamera {
public:
    IidcCamera();
    virtual ~IidcCamera();

    IidcCamera(const IidcCamera&) = delete;
    IidcCamera& operator=(const IidcCamera&) = delete;

    // Bytes of one image of the current geometry and colour coding.
    virtual std::uint32_t ImageSize() const;

    // Inquiry: which formats, modes and frame rates the camera offers.
    [[nodiscard]] virtual bool InquireFormats();
    [[nodiscard]] virtual bool InquireModes();
    [[nodiscard]] virtual bool InquireRates();

    // One register access at an address (low 32 bits, high word 0xFFFF) with
    // up to three attempts; returns the library code. A read stores the value
    // only on success.
    [[nodiscard]] virtual std::uint32_t WriteRegister(std::uint32_t address, std::uint32_t value);
    [[nodiscard]] virtual std::uint32_t ReadRegister(std::uint32_t address, std::uint32_t& value);

    [[nodiscard]] virtual bool SettingsEqual(const VideoSettings& other) const;
    [[nodiscard]] virtual bool WriteStateClear();
    [[nodiscard]] virtual bool InquireAll();

    // Video (the camera is programmed from `settings`).
    [[nodiscard]] virtual bool StartContinuous();
    [[nodiscard]] virtual bool StopTransmission();
    [[nodiscard]] virtual bool StartOneShot();

    // Same unique id, vendor and model: the same camera, wherever it now sits on the bus.
    [[nodiscard]] virtual bool IsSameCamera(const NodeRecord& record) const;

    [[nodiscard]] virtual bool SetupFormat7(Format7Request& request);

    // Features, by inquiry register offset. SetFeature clears the absolute
    // control bit in `control` before writing it.
    [[nodiscard]] virtual bool SetFeature(std::uint32_t offset, std::uint32_t& control);
    [[nodiscard]] virtual bool GetFeature(std::uint32_t offset, std::uint32_t& inquiry,
                                          std::uint32_t& control);

    [[nodiscard]] virtual bool SetBrightness(std::uint32_t& control);
    [[nodiscard]] virtual bool GetBrightness(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetShutter(std::uint32_t& control);
    [[nodiscard]] virtual bool GetShutter(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetGain(std::uint32_t& control);
    [[nodiscard]] virtual bool GetGain(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetAutoExposure(std::uint32_t& control);
    [[nodiscard]] virtual bool GetAutoExposure(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetSharpness(std::uint32_t& control);
    [[nodiscard]] virtual bool GetSharpness(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetWhiteBalance(std::uint32_t& control);
    [[nodiscard]] virtual bool GetWhiteBalance(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetHue(std::uint32_t& control);
    [[nodiscard]] virtual bool GetHue(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetSaturation(std::uint32_t& control);
    [[nodiscard]] virtual bool GetSaturation(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetGamma(std::uint32_t& control);
    [[nodiscard]] virtual bool GetGamma(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetIris(std::uint32_t& control);
    [[nodiscard]] virtual bool GetIris(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetFocusFeature(std::uint32_t& control);
    [[nodiscard]] virtual bool GetFocusFeature(std::uint32_t& inquiry, std::uint32_t& control);
    [[nodiscard]] virtual bool SetZoom(std::uint32_t& control);
    [[nodiscard]] virtual bool GetZoom(std::uint32_t& inquiry, std::uint32_t& control);

    // The owner sets `nodeInfo` from the camera's NodeRecord and the identity
    // bytes of `settings` (card, node, speed) from it.
    VideoSettings settings;
    NodeRecord nodeInfo;

    // Attempts per register access, and the pauses around them (milliseconds).
    static constexpr int kRegisterAttempts = 3;
    static constexpr std::uint32_t kRetryPauseMs = 5;
    static constexpr std::uint32_t kAfterReadPauseMs = 20;
    static constexpr std::uint32_t kAfterWritePauseMs = 50;
    // Pause before enabling the stream, and for cameras without VALUE_SETTING.
    static constexpr std::uint32_t kBeforeIsoEnablePauseMs = 100;
    static constexpr std::uint32_t kValueSettingPauseMs = 50;
    // Reads of VALUE_SETTING after the first, while the camera is busy.
    static constexpr int kValueSettingPolls = 100;

private:
    std::uint32_t CommandAddress(std::uint32_t offset) const;
    bool ReadFormat7Mode(unsigned mode);
    bool WaitForValueSetting(std::uint32_t blockBase);
    std::uint32_t IsoChannelSpeedValue(std::uint32_t channel) const;
};
