// Scenario: what the simulated bus holds — cards, cameras, other nodes and
// scripted events — either the built-in default or read from a small
// INI-style file (format in the README, "Simulated bus scenario files").
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimRegisters.h"

namespace sim {

struct FeatureSpec {
    // The feature inquiry register as the camera reports it (0: feature absent).
    std::uint32_t inquiry = 0;
    // Value bits of the control register at power-on (white balance: U << 12 | V).
    std::uint32_t initialValue = 0;
};

struct Format7ModeSpec {
    bool present = false;
    std::uint16_t maxWidth = 0;
    std::uint16_t maxHeight = 0;
    std::uint16_t unitWidth = 1;
    std::uint16_t unitHeight = 1;
    bool hasUnitPosition = false;  // without it the register read fails with an rcode
    std::uint16_t positionUnitWidth = 0;
    std::uint16_t positionUnitHeight = 0;
    std::uint8_t colourInquiry = 0;  // bit 7 = colour code 0
    std::uint16_t packetUnit = 4;    // bytes per packet step
    std::uint16_t maxPacket = 4096;  // bytes per packet at most
    bool hasValueSetting = true;     // VALUE_SETTING with the Setting_1 handshake
    // Values read from a real camera: block offset -> value (inquiry registers).
    std::map<std::uint32_t, std::uint32_t> registers;
};

struct CameraSpec {
    std::string name;  // identifies the camera in events and in the test API
    int card = 0;      // index into Scenario::cards
    bool plugged = true;
    std::string vendor = "Oriscope";
    std::string model = "Camera";
    std::uint64_t uniqueId = 0;
    std::uint8_t speed = 2;  // maximum speed code of the node (S400)
    std::uint32_t commandBase = reg::kDefaultCommandBase;
    // Fixed formats 0..6: modes offered per format (bit 7 = mode 0) and rates
    // offered per format and mode (bit 7 = rate 0).
    std::array<std::uint8_t, 7> modeInquiry{};
    std::array<std::array<std::uint8_t, 8>, 7> rateInquiry{};
    std::array<FeatureSpec, reg::kFeatureCount> features{};
    std::array<Format7ModeSpec, 8> format7{};
    bool trigger = true;  // TRIGGER_INQ present
    // Values read from a real camera: command register offset -> value.
    std::map<std::uint32_t, std::uint32_t> registers;
    // Raw configuration ROM from 0xFFFFF0000400 on; empty: built from the fields above.
    std::vector<std::uint32_t> rom;
};

enum class NodeKind : std::uint8_t {
    Plain,     // a node without camera registers
    Extended,  // its self-ID has extension packets
    Inactive,  // link layer inactive: answers no transaction
};

struct OtherNodeSpec {
    int card = 0;
    NodeKind kind = NodeKind::Plain;
    std::uint8_t speed = 1;
};

struct CardSpec {
    int slot = 0;            // registry slot 0..15
    std::string linkName;    // "SymbolicLinkName" + slot
    std::uint32_t systemId;  // "CardSystemId" + slot
};

enum class EventAction : std::uint8_t {
    Plug,     // camera
    Unplug,   // camera
    Reset,    // card
    Error,    // card, value = error event bits
    Notify,   // card, count = notifications queued
    Fail,     // camera, count transactions fail with status = value
    Trigger,  // camera: one external trigger
};

struct ScriptedEvent {
    std::uint32_t atMilliseconds = 0;  // after the card's bus was first opened
    EventAction action = EventAction::Reset;
    int card = 0;
    std::string camera;
    std::uint32_t value = 0;
    std::uint32_t count = 0;
};

struct Scenario {
    std::vector<CardSpec> cards;
    std::vector<CameraSpec> cameras;
    std::vector<OtherNodeSpec> otherNodes;
    std::vector<ScriptedEvent> events;
    std::uint32_t memoryBudgetMiB = 192;  // frame buffers of all contexts together
};

// One card with two cameras: a monochrome one with Formats 0 to 2 and a
// colour one with Format 7 and all twelve features.
Scenario DefaultScenario();

// A camera description with sensible contents, as the built-in default and
// scenario files start from.
CameraSpec MonochromeCamera();
CameraSpec ColourCamera();

struct ScenarioError {
    std::string file;
    int line = 0;  // 0: the file as a whole
    std::string message;

    std::string Text() const;  // "file:line: message"
};

struct ScenarioResult {
    std::optional<Scenario> scenario;
    ScenarioError error;  // when there is no scenario
};

ScenarioResult ParseScenario(std::string_view text, const std::string& fileName);
ScenarioResult LoadScenarioFile(const std::string& path);

}  // namespace sim
