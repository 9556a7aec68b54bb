// SimulatedCamera: one IIDC camera node as a register model.
//
// Answers quadlet reads and writes of its configuration ROM, command
// registers and Format 7 blocks with the semantics the camera model relies
// on, and says when its isochronous stream has the next frame ready. Time is
// given by the caller (microseconds of the simulation); the camera keeps no
// clock and takes no lock: SimulatedBus serialises all access.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "sim/Scenario.h"
#include "sim/TestPattern.h"

namespace sim {

// What a camera is sending: the geometry of its frames and where.
struct StreamFormat {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t coding = 0;
    std::uint32_t periodMicros = 0;  // time between frames
    std::uint32_t packetBytes = 0;   // payload of its isochronous packets
    std::uint8_t channel = 0;
    std::uint8_t speed = 0;
    std::uint64_t FrameBytes() const {
        return reg::ImageBytes(coding, std::uint64_t{width} * height);
    }
};

class SimulatedCamera {
public:
    explicit SimulatedCamera(const CameraSpec& spec);

    const CameraSpec& Spec() const { return spec_; }
    const std::vector<std::uint32_t>& Rom() const { return rom_; }
    std::uint32_t CommandBase() const { return spec_.commandBase; }

    // Power-on state: what a camera has after it was plugged in.
    void PowerOn(std::uint64_t nowMicros);

    // One quadlet transaction at an address low (high is 0xFFFF). The result
    // is a driver status: 0, or 15 when the address is not implemented.
    std::uint32_t Read(std::uint32_t address, std::uint64_t nowMicros, std::uint32_t* value);
    std::uint32_t Write(std::uint32_t address, std::uint32_t value, std::uint64_t nowMicros);

    // The time of the next frame, or nothing when the camera sends none.
    std::optional<std::uint64_t> NextFrameDue() const;
    // Takes the frame that is due: its stream format and number, and schedules
    // the next one. Only call when NextFrameDue() <= now.
    struct Frame {
        StreamFormat format;
        std::uint64_t number;
    };
    std::optional<Frame> TakeFrame(std::uint64_t nowMicros);
    // One pulse on the external trigger input.
    void Trigger(std::uint64_t nowMicros);

    // The pattern for a stream format, kept while the format stays the same.
    const TestPattern& PatternFor(const StreamFormat& format);

    // What the current registers select; nothing when no valid mode is selected.
    std::optional<StreamFormat> CurrentFormat() const;

    std::uint64_t FramesSent() const { return framesSent_; }

private:
    struct FeatureState {
        std::uint32_t control = 0;
        std::uint64_t autoSince = 0;
        std::uint64_t onePushEnds = 0;
    };
    struct Format7State {
        std::uint32_t block = 0;  // address low of the register block
        std::uint32_t position = 0;
        std::uint32_t size = 0;
        std::uint8_t coding = 0;
        std::uint16_t bytesPerPacket = 0;
        bool errorSize = false;
        bool errorPacket = false;
        std::uint64_t settingEnds = 0;  // Setting_1 reads 1 until then
    };

    std::uint32_t Inquiry(std::uint32_t offset) const;
    bool ReadCommand(std::uint32_t offset, std::uint64_t now, std::uint32_t* value);
    bool WriteCommand(std::uint32_t offset, std::uint32_t value, std::uint64_t now);
    int Format7At(std::uint32_t address) const;
    bool ReadFormat7(int mode, std::uint32_t offset, std::uint64_t now, std::uint32_t* value);
    bool WriteFormat7(int mode, std::uint32_t offset, std::uint32_t value, std::uint64_t now);
    std::uint32_t Format7Inquiry(int mode, std::uint32_t offset) const;
    std::uint64_t Format7TotalBytes(int mode) const;
    std::uint16_t Format7Recommended(int mode) const;
    bool Format7Valid(int mode) const;
    std::uint32_t FeatureControl(int feature, std::uint64_t now);
    void WriteFeature(int feature, std::uint32_t value, std::uint64_t now);
    void StartStreamClock(std::uint64_t now);

    CameraSpec spec_;
    std::vector<std::uint32_t> rom_;
    std::map<std::uint32_t, std::uint32_t> inquiry_;  // read-only command registers
    std::array<std::map<std::uint32_t, std::uint32_t>, 8> format7Inquiry_;

    std::uint32_t rate_ = 0, mode_ = 0, format_ = 0;  // CUR_V_* values (bits 31..29)
    std::uint32_t isoChannel_ = 0;
    bool isoEnabled_ = false;
    bool oneShotPending_ = false;
    std::uint32_t triggerMode_ = 0;
    std::uint32_t triggersPending_ = 0;
    std::uint64_t nextFrame_ = 0;
    std::uint64_t framesSent_ = 0;
    std::array<FeatureState, reg::kFeatureCount> features_{};
    std::array<Format7State, 8> format7_{};
    std::unique_ptr<TestPattern> pattern_;
};

}  // namespace sim
