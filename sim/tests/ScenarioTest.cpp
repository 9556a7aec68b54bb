#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "sim/Scenario.h"

namespace sim {
namespace {

TEST(DefaultScenario, OneCardWithAMonochromeAndAColourCamera) {
    const Scenario s = DefaultScenario();
    ASSERT_EQ(1u, s.cards.size());
    EXPECT_EQ(0, s.cards[0].slot);
    EXPECT_EQ("\\DosDevices\\TKSIM0", s.cards[0].linkName);
    ASSERT_EQ(2u, s.cameras.size());
    const CameraSpec& mono = s.cameras[0];
    const CameraSpec& colour = s.cameras[1];
    // Monochrome: Formats 0 to 2, no Format 7.
    for (int f = 0; f < 3; ++f) {
        EXPECT_NE(0, mono.modeInquiry[f]) << "format " << f;
    }
    for (const auto& m : mono.format7) {
        EXPECT_FALSE(m.present);
    }
    // Colour: Format 7 and all twelve features.
    EXPECT_TRUE(colour.format7[0].present);
    for (int i = 0; i < reg::kFeatureCount; ++i) {
        EXPECT_NE(0u, colour.features[i].inquiry & reg::kInqPresent) << reg::kFeatures[i].name;
    }
    EXPECT_NE(mono.uniqueId, colour.uniqueId);
}

constexpr const char* kFullScenario = R"(# two cards
[simulator]
memory = 64

[card]
slot = 2
link = \Device\Sim2
systemid = 0x00030201

[card]

[node]
card = 0
kind = extended

[camera]
preset = monochrome
name = left
vendor = ACME Vision
model = Model  X
uniqueid = 0x0001020304050607
speed = 1

[camera]
name = right
card = 1
plugged = no
mode = 0 5 2 4
feature = brightness 0 255 100 manual auto
feature = whitebalance 10 1000 500/400 onepush
register = 0x100 0x80000000

[format7]
mode = 1
maxsize = 640x480
unitsize = 8x2
colours = 0 4
valuesetting = no
register = 0x040 0x00040800

[events]
at = 100 unplug left
at = 50 plug right
at = 200 fail left 3 11
at = 300 error 0x00020001 1
at = 400 notify 2
at = 500 reset
)";

TEST(ScenarioFile, ReadsEverySectionAndKey) {
    const ScenarioResult r = ParseScenario(kFullScenario, "full.ini");
    ASSERT_TRUE(r.scenario) << r.error.Text();
    const Scenario& s = *r.scenario;
    EXPECT_EQ(64u, s.memoryBudgetMiB);
    ASSERT_EQ(2u, s.cards.size());
    EXPECT_EQ(2, s.cards[0].slot);
    EXPECT_EQ("\\Device\\Sim2", s.cards[0].linkName);
    EXPECT_EQ(0x00030201u, s.cards[0].systemId);
    EXPECT_EQ(1, s.cards[1].slot);
    EXPECT_EQ("\\DosDevices\\TKSIM1", s.cards[1].linkName);
    ASSERT_EQ(1u, s.otherNodes.size());
    EXPECT_EQ(NodeKind::Extended, s.otherNodes[0].kind);

    ASSERT_EQ(2u, s.cameras.size());
    const CameraSpec& left = s.cameras[0];
    EXPECT_EQ("left", left.name);
    EXPECT_EQ("ACME Vision", left.vendor);
    EXPECT_EQ("Model  X", left.model);
    EXPECT_EQ(0x0001020304050607u, left.uniqueId);
    EXPECT_EQ(1, left.speed);
    EXPECT_EQ(MonochromeCamera().modeInquiry, left.modeInquiry);

    const CameraSpec& right = s.cameras[1];
    EXPECT_EQ(1, right.card);
    EXPECT_FALSE(right.plugged);
    EXPECT_EQ(0x04, right.modeInquiry[0]);
    EXPECT_EQ(0x28, right.rateInquiry[0][5]);
    const auto& brightness = right.features[static_cast<int>(reg::Feature::Brightness)];
    EXPECT_EQ(reg::kInqPresent | reg::kInqManual | reg::kInqAuto | (0u << 12) | 255u,
              brightness.inquiry);
    EXPECT_EQ(100u, brightness.initialValue);
    const auto& wb = right.features[static_cast<int>(reg::Feature::WhiteBalance)];
    EXPECT_EQ((500u << 12) | 400u, wb.initialValue);
    EXPECT_EQ(reg::kInqPresent | reg::kInqOnePush | (10u << 12) | 1000u, wb.inquiry);
    EXPECT_EQ(0x80000000u, right.registers.at(0x100));
    const Format7ModeSpec& f7 = right.format7[1];
    EXPECT_TRUE(f7.present);
    EXPECT_EQ(640, f7.maxWidth);
    EXPECT_EQ(480, f7.maxHeight);
    EXPECT_EQ(8, f7.unitWidth);
    EXPECT_EQ(2, f7.unitHeight);
    EXPECT_FALSE(f7.hasUnitPosition);
    EXPECT_EQ(0x88, f7.colourInquiry);
    EXPECT_FALSE(f7.hasValueSetting);
    EXPECT_EQ(0x00040800u, f7.registers.at(0x040));

    ASSERT_EQ(6u, s.events.size());
    EXPECT_EQ(EventAction::Unplug, s.events[0].action);
    EXPECT_EQ("left", s.events[0].camera);
    EXPECT_EQ(1, s.events[1].card);  // a camera's event goes to its card
    EXPECT_EQ(EventAction::Fail, s.events[2].action);
    EXPECT_EQ(3u, s.events[2].count);
    EXPECT_EQ(11u, s.events[2].value);
    EXPECT_EQ(0x00020001u, s.events[3].value);
    EXPECT_EQ(1, s.events[3].card);
    EXPECT_EQ(2u, s.events[4].count);
    EXPECT_EQ(EventAction::Reset, s.events[5].action);
}

// The example of the README, as documented.
constexpr const char* kReadmeExample = R"([simulator]
memory = 192              # MiB of frame buffers for all contexts together

[card]                    # one adapter card; none given: one card in slot 0
slot = 0                  # registry slot 0..15 (default: the card's index)
link = \DosDevices\TKSIM0 # "SymbolicLinkName<slot>"; the device is \\.\TKSIM0
systemid = 0x01020301     # "CardSystemId<slot>": type 1 in the low byte

[node]                    # a node that is not a camera
card = 0
kind = extended           # plain | extended (self-ID extension packets) | inactive (link off)
speed = 1                 # 0 = S100, 1 = S200, 2 = S400

[camera]
preset = colour           # start from a built-in camera: monochrome | colour
name = left               # one word; events and tests use it (default camera<N>)
card = 0
plugged = yes             # no: the camera is plugged in later by an event
vendor = ACME Vision      # vendor and model name leaves of the ROM
model = Model X
uniqueid = 0x0030530000000042
speed = 2                 # maximum speed of the node
base = 0xF0F00000         # command register base
mode = 0 5 2 3 4          # FORMAT MODE RATE...: Formats 0..6; rates 0 (1.875) .. 5 (60)
feature = brightness 0 255 128 manual auto onepush onoff readout absolute
feature = whitebalance 0 1023 600/440 manual onepush   # U/V
trigger = yes             # TRIGGER_INQ and TRIGGER_MODE present
register = 0x100 0x81000000   # an inquiry register (0x100..0x5FC) as read from a real camera

[format7]                 # a Format 7 mode of the [camera] above
mode = 0
maxsize = 1024x768
unitsize = 8x2
unitposition = 4x2        # leave out: UNIT_POSITION_INQ is absent (reads fail with code 15)
colours = 0 1 2 3 4 5 6   # colour codings offered: Y-8 .. RGB-16
packetunit = 8            # PACKET_PARA_INQ: bytes per packet step and maximum
maxpacket = 4096
valuesetting = yes        # VALUE_SETTING with the Setting_1 handshake
register = 0x040 0x00084000   # 0x000, 0x004, 0x014, 0x040, 0x04C as read from a real camera

[events]                  # TIME in ms after the card's bus was first opened
at = 2000 unplug left     # hot-plug, each followed by a bus reset
at = 4000 plug left
at = 5000 reset           # a bus reset on card 0 (or: reset CARD)
at = 6000 error 0x00020001    # error events (read with TKGetErrors); optional CARD
at = 6500 notify 3        # queued notifications; optional CARD
at = 7000 fail left 5 11  # the next 5 transactions to the camera fail with status 11
at = 8000 trigger left    # one pulse on the external trigger input
)";

TEST(ScenarioFile, TheDocumentedExampleIsValid) {
    const ScenarioResult r = ParseScenario(kReadmeExample, "README.md");
    ASSERT_TRUE(r.scenario) << r.error.Text();
    EXPECT_EQ(192u, r.scenario->memoryBudgetMiB);
    EXPECT_EQ("\\DosDevices\\TKSIM0", r.scenario->cards[0].linkName);
    ASSERT_EQ(1u, r.scenario->cameras.size());
    EXPECT_EQ("Model X", r.scenario->cameras[0].model);
    EXPECT_EQ(7u, r.scenario->events.size());
}

TEST(ScenarioFile, HashInsideAWordIsNotAComment) {
    const ScenarioResult r = ParseScenario("[camera]\nmodel = Cam#1 # the first\n", "x.ini");
    ASSERT_TRUE(r.scenario) << r.error.Text();
    EXPECT_EQ("Cam#1", r.scenario->cameras[0].model);
}

TEST(ScenarioFile, CamerasWithoutNamesAndCardsGetDefaults) {
    const ScenarioResult r = ParseScenario("[camera]\n[camera]\npreset = colour\n", "x.ini");
    ASSERT_TRUE(r.scenario) << r.error.Text();
    ASSERT_EQ(1u, r.scenario->cards.size());
    EXPECT_EQ("camera1", r.scenario->cameras[0].name);
    EXPECT_EQ("camera2", r.scenario->cameras[1].name);
    EXPECT_NE(r.scenario->cameras[0].uniqueId, r.scenario->cameras[1].uniqueId);
    EXPECT_TRUE(r.scenario->cameras[1].format7[0].present);
}

struct BadScenario {
    const char* text;
    int line;
    const char* message;  // a part of the message
};

class ScenarioErrors : public ::testing::TestWithParam<BadScenario> {};

TEST_P(ScenarioErrors, NameFileLineAndWhatIsWrong) {
    const BadScenario& bad = GetParam();
    const ScenarioResult r = ParseScenario(bad.text, "bad.ini");
    ASSERT_FALSE(r.scenario) << "accepted: " << bad.text;
    EXPECT_EQ("bad.ini", r.error.file);
    EXPECT_EQ(bad.line, r.error.line) << r.error.Text();
    EXPECT_NE(std::string::npos, r.error.message.find(bad.message))
        << "expected '" << bad.message << "' in: " << r.error.Text();
    EXPECT_EQ(0u, r.error.Text().find("bad.ini:")) << r.error.Text();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScenarioErrors,
    ::testing::Values(
        BadScenario{"[camera]\nspeed = 3\n", 2, "speed: 3 is larger than 2"},
        BadScenario{"[camera]\nspeed = fast\n", 2, "'fast' is not a number"},
        BadScenario{"speed = 1\n", 1, "outside a section"},
        BadScenario{"[cameras]\n", 1, "unknown section [cameras]"},
        BadScenario{"[camera\n", 1, "without ']'"},
        BadScenario{"[camera]\n\nmodel\n", 3, "expected 'key = value'"},
        BadScenario{"[camera]\ncolour = red\n", 2, "unknown key 'colour'"},
        BadScenario{"[camera]\nmode = 0 5\n", 2, "FORMAT MODE RATE"},
        BadScenario{"[camera]\nmode = 0 8 1\n", 2, "mode number: 8 is larger than 7"},
        BadScenario{"[camera]\nfeature = loudness 0 1 0\n", 2, "unknown feature 'loudness'"},
        BadScenario{"[camera]\nfeature = gain 10 5 7\n", 2, "above maximum"},
        BadScenario{"[camera]\nfeature = gain 0 5 3 turbo\n", 2, "unknown flag 'turbo'"},
        BadScenario{"[camera]\nregister = 0x101 1\n", 2, "not quadlet aligned"},
        BadScenario{"[camera]\nregister = 0x614 1\n", 2, "only inquiry registers"},
        BadScenario{"[camera]\nrom = 0x0404 zz\n", 2, "'zz' is not a number"},
        BadScenario{"[camera]\nrom = 0x04040000 0x31333934\n", 1, "rom: too short"},
        BadScenario{"[camera]\nbase = 0xF0000401\n", 2, "base: must be quadlet aligned"},
        BadScenario{"[format7]\nmode = 0\n", 1, "must follow the [camera]"},
        BadScenario{"[camera]\n[format7]\nmaxsize = 64x64\ncolours = 0\n", 2, "without 'mode'"},
        BadScenario{"[camera]\n[format7]\nmode = 0\ncolours = 0\n", 2, "without 'maxsize'"},
        BadScenario{"[camera]\n[format7]\nmode = 0\nmaxsize = 64*64\n", 4, "WIDTHxHEIGHT"},
        BadScenario{"[camera]\n[format7]\nmode = 0\nmaxsize = 64x64\n", 2, "without 'colours'"},
        BadScenario{"[camera]\n[format7]\nmode=0\npacketunit = 6\n", 4, "multiple of 4"},
        BadScenario{"[camera]\nname = a\n[camera]\nname = a\n", 3, "two cameras are named 'a'"},
        BadScenario{"[camera]\ncard = 1\n", 1, "card 1 is not configured"},
        BadScenario{"[card]\n[node]\ncard = 2\n", 2, "card 2 is not configured"},
        BadScenario{"[node]\nkind = loud\n", 2, "expected plain, extended or inactive"},
        BadScenario{"[card]\nslot = 3\n[card]\nslot = 3\n", 3, "slot 3 is used by two cards"},
        BadScenario{"[card]\nslot = 16\n", 2, "slot: 16 is larger than 15"},
        BadScenario{"[events]\nat = 10 explode\n", 2, "unknown action 'explode'"},
        BadScenario{"[events]\nat = 10 unplug ghost\n", 2, "no camera is named 'ghost'"},
        BadScenario{"[events]\nat = 10 fail x 1\n", 2, "fail CAMERA COUNT STATUS"},
        BadScenario{"[events]\nat = 10 error 0\n", 2, "must not be 0"},
        BadScenario{"[events]\nwhen = 10 reset\n", 2, "unknown key 'when'"},
        BadScenario{"[events]\nat = soon reset\n", 2, "'soon' is not a number"}));

TEST(ScenarioFile, GarbageNeverCrashesAndAlwaysExplains) {
    // Lines made of scenario words and junk in every order.
    const char* pieces[] = {"[camera]", "[format7]", "[events]",
                            "[card]",   "[node]",    "mode",
                            "=",        "0x",        "99999999999999999999",
                            "at",       "rom",       "feature",
                            "gain",     "x",         "\t",
                            " ",        "#",         "[",
                            "]",        "register",  "0x100",
                            "plug",     "-1",        "7"};
    std::uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int words = 1 + round % 23;
        for (int w = 0; w < words; ++w) {
            seed = seed * 1103515245u + 12345u;
            text += pieces[(seed >> 16) % (sizeof pieces / sizeof pieces[0])];
            text += (seed >> 8) % 4 == 0 ? "\n" : " ";
        }
        const ScenarioResult r = ParseScenario(text, "junk.ini");
        if (!r.scenario) {
            EXPECT_FALSE(r.error.message.empty()) << text;
        }
    }
}

TEST(ScenarioFile, MissingFileIsReportedWithItsName) {
    const ScenarioResult r = LoadScenarioFile("/nonexistent/dir/none.ini");
    ASSERT_FALSE(r.scenario);
    EXPECT_EQ("/nonexistent/dir/none.ini: cannot open the file", r.error.Text());
}

TEST(ScenarioFile, LoadsAFileWithWindowsLineEnds) {
    const std::string path = ::testing::TempDir() + "sim_scenario_crlf.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "[camera]\r\nname = cam\r\nvendor = V\r\n\r\n[camera]\r\nspeed = 9\r\n";
    }
    const ScenarioResult r = LoadScenarioFile(path);
    ASSERT_FALSE(r.scenario);
    EXPECT_EQ(path + ":6: speed: 9 is larger than 2", r.error.Text());
    std::remove(path.c_str());
}

}  // namespace
}  // namespace sim
