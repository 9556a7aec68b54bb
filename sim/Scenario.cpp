#include "sim/Scenario.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <set>
#include <sstream>

#include "sim/ConfigRom.h"

namespace sim {
namespace {

FeatureSpec MakeFeature(std::uint32_t minimum, std::uint32_t maximum, std::uint32_t value,
                        std::uint32_t flags) {
    FeatureSpec f;
    f.inquiry = reg::kInqPresent | flags | ((minimum & reg::kValueMask) << reg::kInqMinShift) |
                (maximum & reg::kValueMask);
    f.initialValue = value;
    return f;
}

int FeatureIndex(reg::Feature feature) {
    return static_cast<int>(feature);
}

}  // namespace

CameraSpec MonochromeCamera() {
    CameraSpec c;
    c.name = "mono";
    c.vendor = "Oriscope Simulation";
    c.model = "SIM-M1280 Mono";
    c.uniqueId = 0x0030530000A1B2C3ull;
    // Format 0: 640x480 Y-8 and Y-16; Format 1: 800x600 and 1024x768 Y-8 and
    // Y-16; Format 2: 1280x960 and 1600x1200 Y-8 and Y-16.
    c.modeInquiry[0] = 0x06;     // modes 5, 6
    c.modeInquiry[1] = 0x27;     // modes 2, 5, 6, 7
    c.modeInquiry[2] = 0x27;     // modes 2, 5, 6, 7
    c.rateInquiry[0][5] = 0xFC;  // 1.875 .. 60
    c.rateInquiry[0][6] = 0xF8;  // 1.875 .. 30
    c.rateInquiry[1][2] = 0x3C;  // 7.5 .. 60
    c.rateInquiry[1][5] = 0xF8;
    c.rateInquiry[1][6] = 0x78;
    c.rateInquiry[1][7] = 0xF0;
    c.rateInquiry[2][2] = 0xF0;  // 1.875 .. 15
    c.rateInquiry[2][5] = 0xF0;
    c.rateInquiry[2][6] = 0xE0;
    c.rateInquiry[2][7] = 0xE0;
    using reg::Feature;
    const std::uint32_t manual = reg::kInqManual | reg::kInqReadOut;
    c.features[FeatureIndex(Feature::Brightness)] = MakeFeature(0, 255, 128, manual);
    c.features[FeatureIndex(Feature::Shutter)] =
        MakeFeature(1, 4095, 800, manual | reg::kInqAuto | reg::kInqOnePush);
    c.features[FeatureIndex(Feature::Gain)] = MakeFeature(0, 680, 100, manual | reg::kInqAuto);
    c.features[FeatureIndex(Feature::Gamma)] = MakeFeature(0, 1, 0, manual | reg::kInqOnOff);
    return c;
}

CameraSpec ColourCamera() {
    CameraSpec c;
    c.name = "colour";
    c.vendor = "Oriscope Simulation";
    c.model = "SIM-C1024 Colour";
    c.uniqueId = 0x0030530000D4E5F6ull;
    // Format 0: 320x240 YUV-422, 640x480 YUV-411/YUV-422/RGB-8/Y-8;
    // Format 1: 1024x768 YUV-422 and RGB-8.
    c.modeInquiry[0] = 0x7C;  // modes 1..5
    c.modeInquiry[1] = 0x18;  // modes 3, 4
    c.rateInquiry[0][1] = 0x78;
    c.rateInquiry[0][2] = 0x78;
    c.rateInquiry[0][3] = 0x78;
    c.rateInquiry[0][4] = 0x70;
    c.rateInquiry[0][5] = 0x7C;
    c.rateInquiry[1][3] = 0x70;
    c.rateInquiry[1][4] = 0x60;
    Format7ModeSpec m0;
    m0.present = true;
    m0.maxWidth = 1024;
    m0.maxHeight = 768;
    m0.unitWidth = 8;
    m0.unitHeight = 2;
    m0.hasUnitPosition = true;
    m0.positionUnitWidth = 4;
    m0.positionUnitHeight = 2;
    // Y-8, YUV-411, YUV-422, YUV-444, RGB-8, Y-16, RGB-16
    m0.colourInquiry = 0xFE;
    m0.packetUnit = 8;
    m0.maxPacket = 4096;
    c.format7[0] = m0;
    Format7ModeSpec m1 = m0;  // 2x2 binned, without UNIT_POSITION_INQ
    m1.maxWidth = 512;
    m1.maxHeight = 384;
    m1.unitWidth = 4;
    m1.unitHeight = 4;
    m1.hasUnitPosition = false;
    m1.colourInquiry = 0xA8;  // Y-8, YUV-422, RGB-8
    m1.packetUnit = 4;
    m1.maxPacket = 2048;
    m1.hasValueSetting = false;
    c.format7[1] = m1;
    using reg::Feature;
    const std::uint32_t full = reg::kInqManual | reg::kInqReadOut | reg::kInqAuto |
                               reg::kInqOnePush | reg::kInqOnOff | reg::kInqAbsolute;
    const std::uint32_t manual = reg::kInqManual | reg::kInqReadOut;
    c.features[FeatureIndex(Feature::Brightness)] = MakeFeature(0, 255, 96, full);
    c.features[FeatureIndex(Feature::AutoExposure)] = MakeFeature(0, 1023, 512, full);
    c.features[FeatureIndex(Feature::Sharpness)] = MakeFeature(0, 7, 2, manual | reg::kInqAuto);
    c.features[FeatureIndex(Feature::WhiteBalance)] =
        MakeFeature(0, 1023, (600u << reg::kCtlUShift) | 440u, full);
    c.features[FeatureIndex(Feature::Hue)] = MakeFeature(0, 255, 128, manual | reg::kInqOnOff);
    c.features[FeatureIndex(Feature::Saturation)] =
        MakeFeature(0, 511, 256, manual | reg::kInqAuto);
    c.features[FeatureIndex(Feature::Gamma)] = MakeFeature(0, 2, 1, manual | reg::kInqOnOff);
    c.features[FeatureIndex(Feature::Shutter)] = MakeFeature(1, 3000, 750, full);
    c.features[FeatureIndex(Feature::Gain)] = MakeFeature(0, 1023, 64, full);
    c.features[FeatureIndex(Feature::Iris)] = MakeFeature(0, 15, 8, manual | reg::kInqAuto);
    c.features[FeatureIndex(Feature::Focus)] =
        MakeFeature(0, 1000, 500, manual | reg::kInqAuto | reg::kInqOnePush);
    c.features[FeatureIndex(Feature::Zoom)] = MakeFeature(40, 400, 40, manual);
    return c;
}

Scenario DefaultScenario() {
    Scenario s;
    CardSpec card;
    card.slot = 0;
    card.linkName = "\\DosDevices\\TKSIM0";
    card.systemId = 0x01020301;  // type 1, shown as "(1-2-3)"
    s.cards.push_back(card);
    s.cameras.push_back(MonochromeCamera());
    s.cameras.push_back(ColourCamera());
    return s;
}

std::string ScenarioError::Text() const {
    std::string text = file;
    if (line > 0) {
        text += ":" + std::to_string(line);
    }
    return text + ": " + message;
}

namespace {

std::string Trim(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) {
        ++b;
    }
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) {
        --e;
    }
    return std::string(s.substr(b, e - b));
}

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

std::vector<std::string> Words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> words;
    std::string w;
    while (in >> w) {
        words.push_back(w);
    }
    return words;
}

// The parser's working state; every failure stops the parse with one error.
class Parser {
public:
    explicit Parser(std::string fileName) : file_(std::move(fileName)) {}

    ScenarioResult Parse(std::string_view text);

private:
    enum class Section { None, Simulator, Card, Node, Camera, Format7, Events };

    struct Failure {};

    [[noreturn]] void Fail(const std::string& message) { Fail(line_, message); }
    [[noreturn]] void Fail(int line, const std::string& message) {
        error_ = ScenarioError{file_, line, message};
        throw Failure{};
    }

    std::uint64_t Number(const std::string& word, std::uint64_t maximum, const char* what);
    std::uint32_t Number32(const std::string& word, std::uint32_t maximum, const char* what) {
        return static_cast<std::uint32_t>(Number(word, maximum, what));
    }
    bool YesNo(const std::string& value, const char* what);
    std::pair<std::uint16_t, std::uint16_t> Size(const std::string& value, const char* what);

    void StartSection(const std::string& name);
    void EndSection();
    void Key(const std::string& key, const std::string& value);
    void CameraKey(const std::string& key, const std::string& value);
    void Format7Key(const std::string& key, const std::string& value);
    void EventKey(const std::string& key, const std::string& value);
    void Validate();

    CameraSpec& CurrentCamera() { return scenario_.cameras.back(); }

    std::string file_;
    int line_ = 0;
    ScenarioError error_;
    Scenario scenario_;
    Section section_ = Section::None;
    int sectionLine_ = 0;
    std::vector<int> cameraLines_;
    std::vector<int> cardLines_;
    std::vector<int> nodeLines_;
    std::vector<int> eventLines_;
    std::vector<bool> cardSlotGiven_;
    // Format 7 section being read.
    int format7Mode_ = -1;
    Format7ModeSpec format7_;
    bool format7HasSize_ = false;
};

std::uint64_t Parser::Number(const std::string& word, std::uint64_t maximum, const char* what) {
    std::uint64_t v = 0;
    const char* b = word.data();
    const char* e = word.data() + word.size();
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        b += 2;
        base = 16;
    }
    auto [p, ec] = std::from_chars(b, e, v, base);
    if (word.empty() || ec != std::errc() || p != e) {
        Fail(std::string(what) + ": '" + word + "' is not a number");
    }
    if (v > maximum) {
        Fail(std::string(what) + ": " + word + " is larger than " + std::to_string(maximum));
    }
    return v;
}

bool Parser::YesNo(const std::string& value, const char* what) {
    const std::string v = Lower(value);
    if (v == "yes" || v == "1" || v == "true") {
        return true;
    }
    if (v == "no" || v == "0" || v == "false") {
        return false;
    }
    Fail(std::string(what) + ": expected yes or no, got '" + value + "'");
}

std::pair<std::uint16_t, std::uint16_t> Parser::Size(const std::string& value, const char* what) {
    const std::size_t x = Lower(value).find('x');
    if (x == std::string::npos) {
        Fail(std::string(what) + ": expected WIDTHxHEIGHT, got '" + value + "'");
    }
    const auto w = Number32(Trim(value.substr(0, x)), 0xFFFF, what);
    const auto h = Number32(Trim(value.substr(x + 1)), 0xFFFF, what);
    if (w == 0 || h == 0) {
        Fail(std::string(what) + ": width and height must not be 0");
    }
    return {static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h)};
}

void Parser::StartSection(const std::string& rawName) {
    EndSection();
    const std::string name = Lower(rawName);
    sectionLine_ = line_;
    if (name == "simulator") {
        section_ = Section::Simulator;
    } else if (name == "card") {
        section_ = Section::Card;
        CardSpec card;
        card.slot = static_cast<int>(scenario_.cards.size());
        card.systemId = 0x01020301;
        scenario_.cards.push_back(card);
        cardLines_.push_back(line_);
        cardSlotGiven_.push_back(false);
    } else if (name == "node") {
        section_ = Section::Node;
        scenario_.otherNodes.push_back(OtherNodeSpec{});
        nodeLines_.push_back(line_);
    } else if (name == "camera") {
        section_ = Section::Camera;
        CameraSpec camera;
        camera.name.clear();
        camera.trigger = true;
        scenario_.cameras.push_back(camera);
        cameraLines_.push_back(line_);
    } else if (name == "format7") {
        if (scenario_.cameras.empty() || section_ == Section::None) {
            Fail("[format7] must follow the [camera] it belongs to");
        }
        section_ = Section::Format7;
        format7Mode_ = -1;
        format7_ = Format7ModeSpec{};
        format7_.present = true;
        format7HasSize_ = false;
    } else if (name == "events") {
        section_ = Section::Events;
    } else {
        Fail("unknown section [" + rawName +
             "] (expected simulator, card, node, camera, format7 or events)");
    }
}

void Parser::EndSection() {
    if (section_ == Section::Format7) {
        if (format7Mode_ < 0) {
            Fail(sectionLine_, "[format7] without 'mode'");
        }
        if (!format7HasSize_) {
            Fail(sectionLine_, "[format7] without 'maxsize'");
        }
        if (format7_.colourInquiry == 0) {
            Fail(sectionLine_, "[format7] without 'colours'");
        }
        CurrentCamera().format7[static_cast<std::size_t>(format7Mode_)] = format7_;
        section_ = Section::Camera;
    }
}

void Parser::Key(const std::string& key, const std::string& value) {
    switch (section_) {
        case Section::None:
            Fail("'" + key + "' outside a section");
        case Section::Simulator:
            if (key == "memory") {
                scenario_.memoryBudgetMiB = Number32(value, 4096, "memory");
                if (scenario_.memoryBudgetMiB == 0) {
                    Fail("memory: must be at least 1 MiB");
                }
                return;
            }
            break;
        case Section::Card: {
            CardSpec& card = scenario_.cards.back();
            if (key == "slot") {
                card.slot = static_cast<int>(Number(value, 15, "slot"));
                cardSlotGiven_.back() = true;
                return;
            }
            if (key == "link") {
                if (value.empty() || value.size() > 200) {
                    Fail("link: must be 1 to 200 characters");
                }
                card.linkName = value;
                return;
            }
            if (key == "systemid") {
                card.systemId = Number32(value, 0xFFFFFFFF, "systemid");
                return;
            }
            break;
        }
        case Section::Node: {
            OtherNodeSpec& node = scenario_.otherNodes.back();
            if (key == "card") {
                node.card = static_cast<int>(Number(value, 15, "card"));
                return;
            }
            if (key == "speed") {
                node.speed = static_cast<std::uint8_t>(Number(value, 2, "speed"));
                return;
            }
            if (key == "kind") {
                const std::string v = Lower(value);
                if (v == "plain") {
                    node.kind = NodeKind::Plain;
                } else if (v == "extended") {
                    node.kind = NodeKind::Extended;
                } else if (v == "inactive") {
                    node.kind = NodeKind::Inactive;
                } else {
                    Fail("kind: expected plain, extended or inactive, got '" + value + "'");
                }
                return;
            }
            break;
        }
        case Section::Camera:
            CameraKey(key, value);
            return;
        case Section::Format7:
            Format7Key(key, value);
            return;
        case Section::Events:
            EventKey(key, value);
            return;
    }
    Fail("unknown key '" + key + "' in this section");
}

void Parser::CameraKey(const std::string& key, const std::string& value) {
    CameraSpec& c = CurrentCamera();
    if (key == "preset") {
        const std::string v = Lower(value);
        CameraSpec preset;
        if (v == "monochrome" || v == "mono") {
            preset = MonochromeCamera();
        } else if (v == "colour" || v == "color") {
            preset = ColourCamera();
        } else {
            Fail("preset: expected monochrome or colour, got '" + value + "'");
        }
        preset.name = c.name;
        preset.card = c.card;
        preset.plugged = c.plugged;
        c = preset;
    } else if (key == "name") {
        if (value.empty() || value.find(' ') != std::string::npos) {
            Fail("name: must be one word");
        }
        c.name = value;
    } else if (key == "card") {
        c.card = static_cast<int>(Number(value, 15, "card"));
    } else if (key == "plugged") {
        c.plugged = YesNo(value, "plugged");
    } else if (key == "vendor" || key == "model") {
        if (value.size() > 200) {
            Fail(key + ": at most 200 characters");
        }
        (key == "vendor" ? c.vendor : c.model) = value;
    } else if (key == "uniqueid") {
        c.uniqueId = Number(value, ~0ull, "uniqueid");
    } else if (key == "speed") {
        c.speed = static_cast<std::uint8_t>(Number(value, 2, "speed"));
    } else if (key == "base") {
        const auto base = Number32(value, 0xFFFFFFFF, "base");
        if (base < 0xF0000800 || (base & 3) != 0 || base > 0xFFFFE000) {
            Fail("base: must be quadlet aligned, above the configuration ROM and below 0xFFFFE000");
        }
        c.commandBase = base;
    } else if (key == "mode") {
        // format mode rate...
        const auto w = Words(value);
        if (w.size() < 3) {
            Fail("mode: expected FORMAT MODE RATE [RATE...]");
        }
        const auto f = Number32(w[0], 6, "mode format");
        const auto m = Number32(w[1], 7, "mode number");
        c.modeInquiry[f] |= static_cast<std::uint8_t>(0x80u >> m);
        for (std::size_t i = 2; i < w.size(); ++i) {
            const auto r = Number32(w[i], 7, "mode rate");
            c.rateInquiry[f][m] |= static_cast<std::uint8_t>(0x80u >> r);
        }
    } else if (key == "feature") {
        // name min max value [flags]
        const auto w = Words(value);
        if (w.size() < 4) {
            Fail(
                "feature: expected NAME MIN MAX VALUE [manual auto onepush onoff readout "
                "absolute]");
        }
        const std::string name = Lower(w[0]);
        auto it = std::find_if(reg::kFeatures.begin(), reg::kFeatures.end(),
                               [&](const reg::FeatureInfo& f) { return name == f.name; });
        if (it == reg::kFeatures.end()) {
            Fail("feature: unknown feature '" + w[0] + "'");
        }
        const auto lo = Number32(w[1], 0xFFF, "feature minimum");
        const auto hi = Number32(w[2], 0xFFF, "feature maximum");
        if (lo > hi) {
            Fail("feature: minimum " + w[1] + " is above maximum " + w[2]);
        }
        std::uint32_t value12 = 0;
        const bool whiteBalance = it->feature == reg::Feature::WhiteBalance;
        const std::size_t slash = w[3].find('/');
        if (whiteBalance && slash != std::string::npos) {
            const auto u = Number32(w[3].substr(0, slash), hi, "feature value U");
            const auto v = Number32(w[3].substr(slash + 1), hi, "feature value V");
            value12 = (u << reg::kCtlUShift) | v;
        } else {
            const auto v = Number32(w[3], hi, "feature value");
            if (v < lo) {
                Fail("feature: value " + w[3] + " is below the minimum " + w[1]);
            }
            value12 = whiteBalance ? ((v << reg::kCtlUShift) | v) : v;
        }
        std::uint32_t flags = 0;
        for (std::size_t i = 4; i < w.size(); ++i) {
            const std::string f = Lower(w[i]);
            if (f == "manual") {
                flags |= reg::kInqManual;
            } else if (f == "auto") {
                flags |= reg::kInqAuto;
            } else if (f == "onepush") {
                flags |= reg::kInqOnePush;
            } else if (f == "onoff") {
                flags |= reg::kInqOnOff;
            } else if (f == "readout") {
                flags |= reg::kInqReadOut;
            } else if (f == "absolute") {
                flags |= reg::kInqAbsolute;
            } else {
                Fail("feature: unknown flag '" + w[i] + "'");
            }
        }
        if (flags == 0) {
            flags = reg::kInqManual | reg::kInqReadOut;
        }
        FeatureSpec& spec = c.features[static_cast<std::size_t>(it->feature)];
        spec.inquiry = reg::kInqPresent | flags | (lo << reg::kInqMinShift) | hi;
        spec.initialValue = value12;
    } else if (key == "trigger") {
        c.trigger = YesNo(value, "trigger");
    } else if (key == "register") {
        const auto w = Words(value);
        if (w.size() != 2) {
            Fail("register: expected OFFSET VALUE");
        }
        const auto offset = Number32(w[0], 0xFFC, "register offset");
        if ((offset & 3) != 0) {
            Fail("register: offset " + w[0] + " is not quadlet aligned");
        }
        if (offset < reg::kVFormatInq || offset >= reg::kCurVFrmRate) {
            Fail("register: only inquiry registers (offsets 0x100 to 0x5FC) can be given");
        }
        c.registers[offset] = Number32(w[1], 0xFFFFFFFF, "register value");
    } else if (key == "rom") {
        for (const auto& q : Words(value)) {
            if (c.rom.size() >= (reg::kConfigRomEnd - reg::kConfigRom) / 4) {
                Fail("rom: more than 256 quadlets");
            }
            c.rom.push_back(Number32(q, 0xFFFFFFFF, "rom quadlet"));
        }
    } else {
        Fail("unknown key '" + key + "' in [camera]");
    }
}

void Parser::Format7Key(const std::string& key, const std::string& value) {
    Format7ModeSpec& m = format7_;
    if (key == "mode") {
        format7Mode_ = static_cast<int>(Number(value, 7, "mode"));
    } else if (key == "maxsize") {
        std::tie(m.maxWidth, m.maxHeight) = Size(value, "maxsize");
        format7HasSize_ = true;
    } else if (key == "unitsize") {
        std::tie(m.unitWidth, m.unitHeight) = Size(value, "unitsize");
    } else if (key == "unitposition") {
        std::tie(m.positionUnitWidth, m.positionUnitHeight) = Size(value, "unitposition");
        m.hasUnitPosition = true;
    } else if (key == "colours" || key == "colors") {
        m.colourInquiry = 0;
        for (const auto& w : Words(value)) {
            const auto code = Number32(w, reg::kColourCodingCount - 1, "colours");
            m.colourInquiry |= static_cast<std::uint8_t>(0x80u >> code);
        }
    } else if (key == "packetunit") {
        m.packetUnit = static_cast<std::uint16_t>(Number(value, 4096, "packetunit"));
        if (m.packetUnit == 0 || (m.packetUnit & 3) != 0) {
            Fail("packetunit: must be a non-zero multiple of 4");
        }
    } else if (key == "maxpacket") {
        m.maxPacket = static_cast<std::uint16_t>(Number(value, 4096, "maxpacket"));
        if (m.maxPacket == 0) {
            Fail("maxpacket: must not be 0");
        }
    } else if (key == "valuesetting") {
        m.hasValueSetting = YesNo(value, "valuesetting");
    } else if (key == "register") {
        const auto w = Words(value);
        if (w.size() != 2) {
            Fail("register: expected OFFSET VALUE");
        }
        const auto offset = Number32(w[0], reg::kF7BlockSize - 4, "register offset");
        if (offset != reg::kF7MaxImageSizeInq && offset != reg::kF7UnitSizeInq &&
            offset != reg::kF7ColorCodingInq && offset != reg::kF7PacketParaInq &&
            offset != reg::kF7UnitPositionInq) {
            Fail(
                "register: only the inquiry registers 0x000, 0x004, 0x014, 0x040 and 0x04C "
                "can be given");
        }
        m.registers[offset] = Number32(w[1], 0xFFFFFFFF, "register value");
    } else {
        Fail("unknown key '" + key + "' in [format7]");
    }
}

void Parser::EventKey(const std::string& key, const std::string& value) {
    if (key != "at") {
        Fail("unknown key '" + key + "' in [events] (expected 'at = TIME ACTION ...')");
    }
    const auto w = Words(value);
    if (w.size() < 2) {
        Fail("at: expected TIME ACTION [ARGUMENTS]");
    }
    ScriptedEvent e;
    e.atMilliseconds = Number32(w[0], 0xFFFFFFFF, "at time");
    const std::string action = Lower(w[1]);
    auto args = [&](std::size_t lo, std::size_t hi, const char* usage) {
        if (w.size() < lo + 2 || w.size() > hi + 2) {
            Fail(std::string("at: usage: TIME ") + usage);
        }
    };
    if (action == "plug" || action == "unplug" || action == "trigger") {
        args(1, 1, (action + " CAMERA").c_str());
        e.action = action == "plug"     ? EventAction::Plug
                   : action == "unplug" ? EventAction::Unplug
                                        : EventAction::Trigger;
        e.camera = w[2];
    } else if (action == "reset") {
        args(0, 1, "reset [CARD]");
        e.action = EventAction::Reset;
        e.card = w.size() > 2 ? static_cast<int>(Number(w[2], 15, "card")) : 0;
    } else if (action == "error") {
        args(1, 2, "error BITS [CARD]");
        e.action = EventAction::Error;
        e.value = Number32(w[2], 0xFFFFFFFF, "error bits");
        if (e.value == 0) {
            Fail("error: the error bits must not be 0");
        }
        e.card = w.size() > 3 ? static_cast<int>(Number(w[3], 15, "card")) : 0;
    } else if (action == "notify") {
        args(1, 2, "notify COUNT [CARD]");
        e.action = EventAction::Notify;
        e.count = Number32(w[2], 1000, "notify count");
        e.card = w.size() > 3 ? static_cast<int>(Number(w[3], 15, "card")) : 0;
    } else if (action == "fail") {
        args(3, 3, "fail CAMERA COUNT STATUS");
        e.action = EventAction::Fail;
        e.camera = w[2];
        e.count = Number32(w[3], 1000000, "fail count");
        e.value = Number32(w[4], 23, "fail status");
        if (e.value == 0) {
            Fail("fail: the status must be a driver code 1..23");
        }
    } else {
        Fail("at: unknown action '" + w[1] +
             "' (expected plug, unplug, trigger, reset, error, notify or fail)");
    }
    scenario_.events.push_back(e);
    eventLines_.push_back(line_);
}

void Parser::Validate() {
    if (scenario_.cards.empty()) {
        CardSpec card;
        card.slot = 0;
        card.systemId = 0x01020301;
        scenario_.cards.push_back(card);
        cardLines_.push_back(0);
        cardSlotGiven_.push_back(false);
    }
    std::set<int> slots;
    for (std::size_t i = 0; i < scenario_.cards.size(); ++i) {
        CardSpec& card = scenario_.cards[i];
        if (i >= reg::kMaxCards) {
            Fail(cardLines_[i], "more than 16 cards");
        }
        if (!slots.insert(card.slot).second) {
            Fail(cardLines_[i], "slot " + std::to_string(card.slot) + " is used by two cards");
        }
        if (card.linkName.empty()) {
            card.linkName = "\\DosDevices\\TKSIM" + std::to_string(card.slot);
        }
    }
    const int cardCount = static_cast<int>(scenario_.cards.size());
    std::set<std::string> names;
    std::vector<int> nodesPerCard(static_cast<std::size_t>(cardCount), 1);
    for (std::size_t i = 0; i < scenario_.cameras.size(); ++i) {
        CameraSpec& c = scenario_.cameras[i];
        if (c.name.empty()) {
            c.name = "camera" + std::to_string(i + 1);
        }
        if (!names.insert(c.name).second) {
            Fail(cameraLines_[i], "two cameras are named '" + c.name + "'");
        }
        if (c.card >= cardCount) {
            Fail(cameraLines_[i], "card " + std::to_string(c.card) + " is not configured (" +
                                      std::to_string(cardCount) + " card(s))");
        }
        ++nodesPerCard[static_cast<std::size_t>(c.card)];
        if (c.uniqueId == 0) {
            c.uniqueId = 0x0030530000000000ull + i + 1;
        }
        if (!c.rom.empty()) {
            const RomLayout layout = ParseConfigRom(c.rom);
            if (!layout.error.empty()) {
                Fail(cameraLines_[i], "rom: " + layout.error);
            }
            c.commandBase = layout.commandBase;
        }
    }
    for (std::size_t i = 0; i < scenario_.otherNodes.size(); ++i) {
        const OtherNodeSpec& node = scenario_.otherNodes[i];
        if (node.card >= cardCount) {
            Fail(nodeLines_[i], "card " + std::to_string(node.card) + " is not configured (" +
                                    std::to_string(cardCount) + " card(s))");
        }
        ++nodesPerCard[static_cast<std::size_t>(node.card)];
    }
    for (int card = 0; card < cardCount; ++card) {
        if (nodesPerCard[static_cast<std::size_t>(card)] > 63) {
            Fail(0, "card " + std::to_string(card) + " has more than 63 nodes");
        }
    }
    for (std::size_t i = 0; i < scenario_.events.size(); ++i) {
        ScriptedEvent& e = scenario_.events[i];
        if (!e.camera.empty()) {
            auto it = std::find_if(scenario_.cameras.begin(), scenario_.cameras.end(),
                                   [&](const CameraSpec& c) { return c.name == e.camera; });
            if (it == scenario_.cameras.end()) {
                Fail(eventLines_[i], "no camera is named '" + e.camera + "'");
            }
            e.card = it->card;
        } else if (e.card >= cardCount) {
            Fail(eventLines_[i], "card " + std::to_string(e.card) + " is not configured");
        }
    }
}

ScenarioResult Parser::Parse(std::string_view text) {
    try {
        std::size_t pos = 0;
        while (pos <= text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) {
                end = text.size();
            }
            ++line_;
            std::string_view raw = text.substr(pos, end - pos);
            // A '#' after a blank starts a comment; one inside a word does not.
            for (std::size_t i = 1; i < raw.size(); ++i) {
                if (raw[i] == '#' && (raw[i - 1] == ' ' || raw[i - 1] == '\t')) {
                    raw = raw.substr(0, i);
                    break;
                }
            }
            const std::string line = Trim(raw);
            pos = end + 1;
            if (line.empty() || line[0] == '#' || line[0] == ';') {
                continue;
            }
            if (line.front() == '[') {
                if (line.back() != ']') {
                    Fail("section header without ']'");
                }
                StartSection(Trim(line.substr(1, line.size() - 2)));
                continue;
            }
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos) {
                Fail("expected 'key = value' or '[section]', got '" + line + "'");
            }
            const std::string key = Lower(Trim(line.substr(0, eq)));
            if (key.empty()) {
                Fail("a key is missing before '='");
            }
            Key(key, Trim(line.substr(eq + 1)));
        }
        line_ = 0;
        EndSection();
        Validate();
    } catch (const Failure&) {
        return ScenarioResult{std::nullopt, error_};
    }
    return ScenarioResult{std::move(scenario_), {}};
}

}  // namespace

ScenarioResult ParseScenario(std::string_view text, const std::string& fileName) {
    Parser parser(fileName);
    return parser.Parse(text);
}

ScenarioResult LoadScenarioFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return ScenarioResult{std::nullopt, ScenarioError{path, 0, "cannot open the file"}};
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        return ScenarioResult{std::nullopt, ScenarioError{path, 0, "cannot read the file"}};
    }
    std::string text = content.str();
    if (text.find('\0') != std::string::npos) {
        return ScenarioResult{std::nullopt,
                              ScenarioError{path, 0, "not a text file (it holds zero bytes)"}};
    }
    // Windows line ends.
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return ParseScenario(text, path);
}

}  // namespace sim
