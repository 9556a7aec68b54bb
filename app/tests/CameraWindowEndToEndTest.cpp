// Camera windows of the real program on the simulated bus: connecting, the
// preferences dialog, live acquisition with its statistics and picture, bus
// resets, saving and closing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <windows.h>

#include <dlgs.h>

#include "app/tests/support/CameraWindows.h"
#include "app/tests/support/ProgramUnderTest.h"
#include "resources/resource.h"

namespace {

using oriscope_test::CameraImageView;
using oriscope_test::CameraStatusFields;
using oriscope_test::Capture;
using oriscope_test::Colour;
using oriscope_test::ComboSelectionText;
using oriscope_test::FindDescendant;
using oriscope_test::Picture;
using oriscope_test::ProgramUnderTest;
using oriscope_test::SelectComboText;
using oriscope_test::TemporaryFile;
using oriscope_test::WaitUntil;

constexpr DWORD kNodeListTimeoutMs = 15000;
constexpr DWORD kWindowTimeoutMs = 10000;
constexpr char kColourModel[] = "SIM-C1024 Colour";
constexpr char kVendor[] = "Oriscope Simulation";

// White, yellow, cyan, green, magenta, red, blue, black: the simulated camera's bars.
constexpr Colour kBarColours[8] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                   {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

// The bar a colour belongs to, or -1 when it is none of them (an edge, the ramp).
int BarOf(const Colour& c) {
    for (int i = 0; i < 8; ++i) {
        const Colour& bar = kBarColours[i];
        if (std::abs(c.r - bar.r) < 70 && std::abs(c.g - bar.g) < 70 &&
            std::abs(c.b - bar.b) < 70) {
            return i;
        }
    }
    return -1;
}

// The bars along one row, left to right, each run once.
std::vector<int> BarsAlongRow(const Picture& picture, int y) {
    std::vector<int> bars;
    for (int x = 0; x < picture.width; ++x) {
        const int bar = BarOf(picture.At(x, y));
        if (bar >= 0 && (bars.empty() || bars.back() != bar)) {
            bars.push_back(bar);
        }
    }
    return bars;
}

class CameraWindowEndToEnd : public ::testing::Test {
protected:
    void StartProgram(const std::string& arguments) {
        std::string error;
        ASSERT_TRUE(program.Start(arguments, &error)) << error;
    }

    void OpenCard(int line, std::size_t expectedNodes) {
        program.DropDownCombo(IDC_CARD_LIST);
        program.SelectComboItem(IDC_CARD_LIST, line);
        ASSERT_TRUE(
            WaitUntil([&] { return program.ListLines(IDC_NODE_LIST).size() == expectedNodes; },
                      kNodeListTimeoutMs))
            << "node list never reached " << expectedNodes << " lines";
    }

    // Connects the node whose line names `model`; returns its preferences dialog.
    HWND Connect(const std::string& model) {
        const std::vector<std::string> lines = program.ListLines(IDC_NODE_LIST);
        int line = -1;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].find(model) != std::string::npos) {
                line = static_cast<int>(i);
            }
        }
        EXPECT_GE(line, 0) << model << " not in the node list";
        if (line < 0) {
            return nullptr;
        }
        ConnectLine(line);
        const std::string title = std::string("Preferences for ") + kVendor + " " + model;
        return program.WaitForDialog(title.c_str());
    }

    // Connects a node list line and waits for its camera window.
    void ConnectLine(int line) {
        const std::vector<HWND> before = program.OtherWindows();
        program.SelectListItem(IDC_NODE_LIST, line);
        program.ClickButton(IDC_CONNECT);
        newCamera = nullptr;
        EXPECT_TRUE(WaitUntil(
            [&] {
                for (HWND window : program.OtherWindows()) {
                    if (std::find(before.begin(), before.end(), window) == before.end()) {
                        newCamera = window;
                    }
                }
                return newCamera != nullptr;
            },
            kWindowTimeoutMs))
            << "no camera window";
    }

    // OK in the preferences dialog; returns the camera window once the dialog is gone.
    HWND Accept(HWND dialog) {
        program.ClickButtonIn(dialog, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kWindowTimeoutMs))
            << "the preferences dialog stays open";
        return newCamera;
    }

    HWND ConnectAndAccept(const std::string& model) {
        HWND dialog = Connect(model);
        EXPECT_NE(dialog, nullptr) << "no preferences dialog for " << model;
        return dialog != nullptr ? Accept(dialog) : nullptr;
    }

    static HWND ImageViewOf(HWND camera) { return CameraImageView(camera); }
    static std::map<std::string, std::string> Fields(HWND camera) {
        return CameraStatusFields(camera);
    }
    static long Seen(HWND camera) { return oriscope_test::CameraFramesSeen(camera); }

    static void Command(HWND camera, int id) {
        PostMessageA(camera, WM_COMMAND, static_cast<WPARAM>(id), 0);
    }

    std::string Title(HWND window) const { return program.Text(window); }

    ProgramUnderTest program;
    HWND newCamera = nullptr;
};

TEST_F(CameraWindowEndToEnd, ConnectingOpensThePreferencesAndOkNamesCameraAndGeometry) {
    StartProgram("/simulate");
    OpenCard(1, 2);
    HWND dialog = Connect(kColourModel);
    ASSERT_NE(dialog, nullptr);
    const std::string payload = program.Text(FindDescendant(dialog, IDC_PACKET_PAYLOAD));
    HWND camera = Accept(dialog);
    ASSERT_NE(camera, nullptr);

    const std::string title = Title(camera);
    const std::string prefix = std::string(kVendor) + " - " + kColourModel + " (";
    ASSERT_EQ(title.rfind(prefix, 0), 0u) << title;
    int width = 0, height = 0, card = -1, node = -1;
    ASSERT_EQ(
        std::sscanf(title.c_str() + prefix.size(), "%dx%d %d/%d)", &width, &height, &card, &node),
        4)
        << title;
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    EXPECT_EQ(card, 0);

    // The stream's payload is announced to the main window.
    EXPECT_TRUE(WaitUntil([&] { return program.ControlText(IDC_ISO_PAYLOAD) == payload; }, 5000))
        << "payload " << program.ControlText(IDC_ISO_PAYLOAD) << ", dialog said " << payload;
    const std::map<std::string, std::string> fields = Fields(camera);
    EXPECT_EQ(fields.at("Seen"), "0");
    EXPECT_EQ(fields.at("Skipped"), "0");
    EXPECT_EQ(fields.at("Rate"), "---");
    EXPECT_EQ(fields.at("Status"), "Off");

    // The image view fills the client area above the status line: 320 x 240.
    RECT view{};
    GetClientRect(ImageViewOf(camera), &view);
    EXPECT_EQ(view.right, 320);
    EXPECT_EQ(view.bottom, 240);
}

TEST_F(CameraWindowEndToEnd, AcquisitionCountsAndPaintsEveryFrameAtTheCameraRate) {
    StartProgram("/simulate");
    OpenCard(1, 2);
    HWND dialog = Connect(kColourModel);
    ASSERT_NE(dialog, nullptr);
    const double cameraRate =
        std::atof(ComboSelectionText(FindDescendant(dialog, IDC_FRAME_RATE)).c_str());
    ASSERT_GT(cameraRate, 0.0);
    HWND camera = Accept(dialog);
    ASSERT_NE(camera, nullptr);

    Command(camera, IDM_TOGGLE_ACQUISITION);
    ASSERT_TRUE(WaitUntil([&] { return Fields(camera)["Status"] == "Run"; }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return Seen(camera) >= 20; }, 20000))
        << "frames seen: " << Seen(camera);
    const DWORD start = GetTickCount();
    const long seenAtStart = Seen(camera);
    Sleep(3000);
    const long seenAtEnd = Seen(camera);
    const double measured = (seenAtEnd - seenAtStart) * 1000.0 / (GetTickCount() - start);

    std::map<std::string, std::string> fields = Fields(camera);
    EXPECT_EQ(fields["Skipped"], "0");
    const double shownRate = std::atof(fields["Rate"].c_str());
    EXPECT_NEAR(shownRate, cameraRate, cameraRate * 0.25) << "Rate: " << fields["Rate"];
    EXPECT_NEAR(measured, cameraRate, cameraRate * 0.35);

    // The colour bars in their order, moving from picture to picture.
    HWND view = ImageViewOf(camera);
    const Picture first = Capture(view);
    ASSERT_GT(first.width, 0);
    const int row = first.height / 3;
    const std::vector<int> bars = BarsAlongRow(first, row);
    ASSERT_GE(bars.size(), 8u) << "bars along the row: " << ::testing::PrintToString(bars);
    for (std::size_t i = 1; i < bars.size(); ++i) {
        EXPECT_EQ(bars[i], (bars[i - 1] + 1) % 8) << ::testing::PrintToString(bars);
    }
    Sleep(300);
    const Picture second = Capture(view);
    EXPECT_NE(first.pixels, second.pixels) << "the picture does not move";

    // Stopping keeps the last picture and resets the fields.
    Command(camera, IDM_TOGGLE_ACQUISITION);
    ASSERT_TRUE(WaitUntil([&] { return Fields(camera)["Status"] == "Off"; }, 5000));
    EXPECT_EQ(Fields(camera)["Rate"], "---");
    const long stoppedAt = Seen(camera);
    Sleep(500);
    EXPECT_EQ(Seen(camera), stoppedAt);
    EXPECT_GE(BarsAlongRow(Capture(view), row).size(), 8u);
}

TEST_F(CameraWindowEndToEnd, SettingsWhileRunningAreRefusedWithAMessage) {
    StartProgram("/simulate");
    OpenCard(1, 2);
    HWND camera = ConnectAndAccept(kColourModel);
    ASSERT_NE(camera, nullptr);
    Command(camera, IDM_TOGGLE_ACQUISITION);
    ASSERT_TRUE(WaitUntil([&] { return Fields(camera)["Status"] == "Run"; }, 5000));
    const std::string payload = program.ControlText(IDC_ISO_PAYLOAD);

    Command(camera, IDM_EDIT_SETTINGS);
    HWND message = program.WaitForDialog("Message");
    ASSERT_NE(message, nullptr);
    EXPECT_NE(program.Text(FindDescendant(message, IDC_MESSAGE_TEXT))
                  .find("Please stop acquisition first."),
              std::string::npos);
    program.ClickButtonIn(message, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(message); }, 5000));
    EXPECT_EQ(program.ControlText(IDC_ISO_PAYLOAD), payload);
    EXPECT_EQ(Fields(camera)["Status"], "Run");
}

TEST_F(CameraWindowEndToEnd, ViewSizeCommandsSizeTheImageViewExactly) {
    StartProgram("/simulate");
    OpenCard(1, 2);
    HWND camera = ConnectAndAccept(kColourModel);
    ASSERT_NE(camera, nullptr);
    HWND view = ImageViewOf(camera);
    const struct {
        int id, width, height;
    } sizes[] = {
        {IDM_VIEW_160X120, 160, 120}, {IDM_VIEW_640X480, 640, 480}, {IDM_VIEW_320X240, 320, 240}};
    for (const auto& size : sizes) {
        Command(camera, size.id);
        EXPECT_TRUE(WaitUntil(
            [&] {
                RECT client{};
                GetClientRect(view, &client);
                return client.right == size.width && client.bottom == size.height;
            },
            5000))
            << size.width << "x" << size.height;
    }
}

// The camera leaves the bus and comes back while acquiring.
constexpr char kReplugScenario[] =
    "[camera]\n"
    "preset = colour\n"
    "name = colour\n"
    "vendor = Oriscope Simulation\n"
    "model = SIM-C1024 Colour\n"
    "[events]\n"
    "at = 12000 unplug colour\n"
    "at = 16000 plug colour\n";

TEST_F(CameraWindowEndToEnd, UnpluggedCameraShowsIdleAndComesBackAcquiring) {
    TemporaryFile scenario("oriscope-replug.ini", kReplugScenario);
    StartProgram("/simulate:" + scenario.Path());
    OpenCard(1, 1);
    HWND camera = ConnectAndAccept(kColourModel);
    ASSERT_NE(camera, nullptr);
    const std::string connected = Title(camera);
    Command(camera, IDM_TOGGLE_ACQUISITION);
    ASSERT_TRUE(WaitUntil([&] { return Seen(camera) > 0; }, 10000));

    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::string title = Title(camera);
            return title.size() > 5 && title.compare(title.size() - 5, 5, "IDLE)") == 0;
        },
        20000))
        << Title(camera);
    ASSERT_TRUE(WaitUntil([&] { return Title(camera) == connected; }, 20000)) << Title(camera);
    // The camera was programmed and enabled again: frames keep coming.
    const long seen = Seen(camera);
    EXPECT_TRUE(WaitUntil([&] { return Seen(camera) > seen + 5; }, 10000));
    EXPECT_EQ(Fields(camera)["Status"], "Run");
}

// Four colour cameras on an OHCI card, all acquiring when the program ends.
constexpr char kFourCameraScenario[] =
    "[card]\nslot = 0\nsystemid = 0x01020301\n"
    "[camera]\npreset = colour\nname = a\nmodel = Cam A\nuniqueid = 0x0030530000000001\n"
    "[camera]\npreset = colour\nname = b\nmodel = Cam B\nuniqueid = 0x0030530000000002\n"
    "[camera]\npreset = colour\nname = c\nmodel = Cam C\nuniqueid = 0x0030530000000003\n"
    "[camera]\npreset = colour\nname = d\nmodel = Cam D\nuniqueid = 0x0030530000000004\n";

TEST_F(CameraWindowEndToEnd, AFifthConnectionIsRefusedAndFourRunningCamerasEndCleanly) {
    TemporaryFile scenario("oriscope-four.ini", kFourCameraScenario);
    StartProgram("/simulate:" + scenario.Path());
    OpenCard(1, 4);
    std::vector<HWND> cameras;
    for (const char* model : {"Cam A", "Cam B", "Cam C", "Cam D"}) {
        HWND camera = ConnectAndAccept(model);
        ASSERT_NE(camera, nullptr) << model;
        cameras.push_back(camera);
    }
    // A fifth connection is refused.
    program.SelectListItem(IDC_NODE_LIST, 0);
    program.ClickButton(IDC_CONNECT);
    HWND message = program.WaitForDialog("Message");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(program.DialogItemText(message, IDC_MESSAGE_TEXT),
              "Error: Maximum number of connections reached.");
    program.ClickButtonIn(message, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(message); }, 5000));
    EXPECT_EQ(program.OtherWindows().size(), 4u);

    for (HWND camera : cameras) {
        Command(camera, IDM_TOGGLE_ACQUISITION);
    }
    for (HWND camera : cameras) {
        EXPECT_TRUE(WaitUntil([&] { return Seen(camera) > 3; }, 20000)) << Title(camera);
    }
    DWORD exitCode = 1;
    ASSERT_TRUE(program.Close(15000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// The colour camera's Format 7 mode 0 with a two-pixel size unit, so that a
// Y-8 row need not be a multiple of four bytes.
constexpr char kFormat7Scenario[] =
    "[camera]\n"
    "preset = colour\n"
    "name = colour\n"
    "[format7]\n"
    "mode = 0\n"
    "maxsize = 1024x768\n"
    "unitsize = 2x2\n"
    "unitposition = 2x2\n"
    "colours = 0 4\n"
    "packetunit = 4\n"
    "maxpacket = 4096\n";

class Format7EndToEnd : public CameraWindowEndToEnd {
protected:
    // Chooses a Format 7 region in the preferences dialog and confirms it.
    void ChooseRegion(HWND dialog, const char* colour, int width, int height) {
        ASSERT_TRUE(SelectComboText(FindDescendant(dialog, IDC_VIDEO_FORMAT), "7"));
        ASSERT_TRUE(SelectComboText(FindDescendant(dialog, IDC_COLOUR_MODE), colour));
        SetWindowTextA(FindDescendant(dialog, IDC_X_SIZE), std::to_string(width).c_str());
        SetWindowTextA(FindDescendant(dialog, IDC_Y_SIZE), std::to_string(height).c_str());
        SetWindowTextA(FindDescendant(dialog, IDC_PACKET_PAYLOAD), "0");
        Accept(dialog);
    }

    void StartAndWaitForFrames(HWND camera) {
        const long before = Seen(camera);
        Command(camera, IDM_TOGGLE_ACQUISITION);
        ASSERT_TRUE(WaitUntil([&] { return Seen(camera) >= before + 10; }, 20000))
            << "frames seen: " << Seen(camera);
    }

    void Stop(HWND camera) {
        Command(camera, IDM_TOGGLE_ACQUISITION);
        ASSERT_TRUE(WaitUntil([&] { return Fields(camera)["Status"] == "Off"; }, 5000));
    }
};

TEST_F(Format7EndToEnd, ARegionChangesTitleAndFrames) {
    TemporaryFile scenario("oriscope-format7.ini", kFormat7Scenario);
    StartProgram("/simulate:" + scenario.Path());
    OpenCard(1, 1);
    HWND dialog = Connect(kColourModel);
    ASSERT_NE(dialog, nullptr);
    // 322 grey pixels: rows of 322 bytes.
    ChooseRegion(dialog, "Y-8", 322, 240);
    HWND camera = newCamera;
    ASSERT_NE(camera, nullptr);
    EXPECT_NE(Title(camera).find("(322x240 0/0)"), std::string::npos) << Title(camera);
    StartAndWaitForFrames(camera);
    Stop(camera);

    // How rows of 322 bytes are painted is checked on real windows by the image
    // view's own tests; read from the screen here it met other tests' windows.

    // Another region in colour.
    Command(camera, IDM_EDIT_SETTINGS);
    dialog = program.WaitForDialog(
        (std::string("Preferences for ") + kVendor + " " + kColourModel).c_str());
    ASSERT_NE(dialog, nullptr);
    ChooseRegion(dialog, "RGB-8", 512, 384);
    EXPECT_TRUE(
        WaitUntil([&] { return Title(camera).find("(512x384 0/0)") != std::string::npos; }, 5000))
        << Title(camera);
    StartAndWaitForFrames(camera);
    const Picture colour = Capture(ImageViewOf(camera));
    const std::vector<int> bars = BarsAlongRow(colour, colour.height / 3);
    ASSERT_GE(bars.size(), 8u) << ::testing::PrintToString(bars);
    for (std::size_t i = 1; i < bars.size(); ++i) {
        EXPECT_EQ(bars[i], (bars[i - 1] + 1) % 8) << ::testing::PrintToString(bars);
    }
}

// Reads a 24-bit bitmap file: width, height and rows top down as colours.
struct BitmapFile {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::vector<std::vector<Colour>> rows;
};

bool ReadBitmapFile(const std::string& path, BitmapFile* bitmap, std::string* error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open " + path;
        return false;
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    std::fclose(file);
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                          static_cast<std::uint32_t>(bytes[at + 3]) << 24);
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
        *error = "not a bitmap file";
        return false;
    }
    const std::uint32_t offset = u32(10);
    bitmap->width = static_cast<int>(u32(18));
    bitmap->height = static_cast<int>(u32(22));
    bitmap->bitCount = bytes[28] | bytes[29] << 8;
    if (u32(2) != bytes.size()) {
        *error =
            "bfSize " + std::to_string(u32(2)) + " but " + std::to_string(bytes.size()) + " bytes";
        return false;
    }
    if (bitmap->bitCount != 24) {
        return true;
    }
    const std::size_t stride = (static_cast<std::size_t>(bitmap->width) * 3 + 3) / 4 * 4;
    if (offset + stride * bitmap->height != bytes.size()) {
        *error = "pixel rows do not fill the file";
        return false;
    }
    for (int y = 0; y < bitmap->height; ++y) {
        // Bottom-up in the file.
        const std::size_t row = offset + stride * (bitmap->height - 1 - y);
        std::vector<Colour> colours;
        for (int x = 0; x < bitmap->width; ++x) {
            const std::size_t at = row + static_cast<std::size_t>(x) * 3;
            colours.push_back({bytes[at + 2], bytes[at + 1], bytes[at]});
        }
        bitmap->rows.push_back(std::move(colours));
    }
    return true;
}

TEST_F(CameraWindowEndToEnd, SaveBitmapWritesTheShownImage) {
    StartProgram("/simulate");
    OpenCard(1, 2);
    HWND camera = ConnectAndAccept(kColourModel);
    ASSERT_NE(camera, nullptr);
    Command(camera, IDM_TOGGLE_ACQUISITION);
    ASSERT_TRUE(WaitUntil([&] { return Seen(camera) >= 5; }, 20000));
    Command(camera, IDM_TOGGLE_ACQUISITION);
    ASSERT_TRUE(WaitUntil([&] { return Fields(camera)["Status"] == "Off"; }, 5000));

    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    const std::string path = std::string(directory) + "oriscope-saved.bmp";
    DeleteFileA(path.c_str());

    Command(camera, IDM_SAVE_BITMAP);
    HWND dialog = program.WaitForDialog("Save Bitmap");
    ASSERT_NE(dialog, nullptr);
    HWND name = FindDescendant(dialog, cmb13);
    if (name == nullptr) {
        name = FindDescendant(dialog, edt1);
    }
    ASSERT_NE(name, nullptr);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    program.ClickButtonIn(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
    ASSERT_TRUE(WaitUntil(
        [&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000));

    BitmapFile bitmap;
    std::string error;
    ASSERT_TRUE(WaitUntil([&] { return ReadBitmapFile(path, &bitmap, &error); }, 5000)) << error;
    int width = 0, height = 0;
    const std::string title = Title(camera);
    ASSERT_EQ(std::sscanf(title.c_str() + title.rfind('(') + 1, "%dx%d", &width, &height), 2);
    EXPECT_EQ(bitmap.width, width);
    EXPECT_EQ(bitmap.height, height);
    ASSERT_EQ(bitmap.bitCount, 24);

    // The bars in their order, as on the screen.
    std::vector<int> bars;
    for (const Colour& c : bitmap.rows[bitmap.height / 3]) {
        const int bar = BarOf(c);
        if (bar >= 0 && (bars.empty() || bars.back() != bar)) {
            bars.push_back(bar);
        }
    }
    ASSERT_GE(bars.size(), 8u) << ::testing::PrintToString(bars);
    for (std::size_t i = 1; i < bars.size(); ++i) {
        EXPECT_EQ(bars[i], (bars[i - 1] + 1) % 8) << ::testing::PrintToString(bars);
    }
    DeleteFileA(path.c_str());
}

}  // namespace
