// The real program's automatic capture mode on the simulated bus: timed and
// telnet runs writing bitmap files into the default directory c:\tmp of the
// test's Wine prefix, read back with a reader of this test's own; hostile
// telnet clients. The trigger server listens on 127.0.0.1 (the /telnet
// switch) and the test's clients connect there only.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/tests/support/CameraWindows.h"
#include "app/tests/support/ProgramUnderTest.h"
#include "resources/resource.h"

namespace {

using namespace std::string_literals;
using oriscope_test::ProgramUnderTest;
using oriscope_test::WaitUntil;

constexpr char kDirectory[] = "c:\\tmp";
constexpr char kMovedDirectory[] = "c:\\tmp-oriscope-moved";
constexpr DWORD kNodeListTimeoutMs = 15000;
constexpr DWORD kRunTimeoutMs = 20000;
const std::string kGreeting = "Oriscope Telnet Interface\n\r\0>\0"s;
const std::string kAnswer = "\n\r\0>\0"s;

TEST(AutoModeEndToEnd, AnUnusableTelnetSwitchIsReportedAndTheProgramRuns) {
    ProgramUnderTest program;
    std::string error;
    ASSERT_TRUE(program.Start("/simulate /telnet:127.0.0.1:70000", &error)) << error;
    HWND dialog = program.WaitForDialog("Message");
    ASSERT_NE(nullptr, dialog);
    const std::string text = program.DialogItemText(dialog, IDC_MESSAGE_TEXT);
    EXPECT_EQ(
        "The port of the /telnet switch must be a number from 1 to 65535.\r\r\n"
        "The trigger server listens on the machine's address, port 23.",
        text);
    program.ClickButtonIn(dialog, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return program.FindDialog(nullptr) == nullptr; }, 5000));
    DWORD exitCode = 1;
    EXPECT_TRUE(program.Close(5000, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

// --- Bitmap files, read independently of the program's writer ----------------------------

std::uint32_t Read32(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

std::uint16_t Read16(const std::string& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                      (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

struct BitmapFile {
    bool valid = false;
    std::string problem;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    // Pixels top row first, 3 bytes (blue, green, red) per pixel whatever the file's depth.
    std::vector<unsigned char> pixels;
};

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

BitmapFile ReadBitmap(const std::string& path) {
    BitmapFile result;
    const std::string bytes = ReadWholeFile(path);
    auto fail = [&](const std::string& why) {
        result.problem = path + ": " + why;
        return result;
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
        return fail("no bitmap file header");
    }
    if (Read32(bytes, 2) != bytes.size()) {
        return fail("bfSize " + std::to_string(Read32(bytes, 2)) + " but " +
                    std::to_string(bytes.size()) + " bytes");
    }
    const std::uint32_t offset = Read32(bytes, 10);
    if (Read32(bytes, 14) != 40 || Read16(bytes, 26) != 1 || Read32(bytes, 30) != 0) {
        return fail("not an uncompressed 40-byte info header");
    }
    const auto width = static_cast<std::int32_t>(Read32(bytes, 18));
    const auto height = static_cast<std::int32_t>(Read32(bytes, 22));
    const int bits = Read16(bytes, 28);
    if (width <= 0 || height <= 0 || (bits != 8 && bits != 24)) {
        return fail("size or depth not as written by a camera view");
    }
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * (bits / 8) + 3) / 4 * 4;
    const std::uint32_t colours = Read32(bytes, 46);
    if (offset != 54 + colours * 4 || Read32(bytes, 34) != rowBytes * height ||
        offset + rowBytes * height != bytes.size()) {
        return fail("offsets and sizes do not agree");
    }
    if (bits == 8) {
        if (colours != 256) {
            return fail("8 bits per pixel without a 256-entry palette");
        }
        for (std::uint32_t i = 0; i < 256; ++i) {
            if (Read32(bytes, 54 + i * 4) != (i | (i << 8) | (i << 16))) {
                return fail("palette entry " + std::to_string(i) + " is not grey");
            }
        }
    }
    result.width = width;
    result.height = height;
    result.bitsPerPixel = bits;
    result.pixels.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = offset + rowBytes * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            unsigned char* out = &result.pixels[(static_cast<std::size_t>(y) * width + x) * 3];
            if (bits == 8) {
                out[0] = out[1] = out[2] = static_cast<unsigned char>(bytes[row + x]);
            } else {
                std::memcpy(out, &bytes[row + static_cast<std::size_t>(x) * 3], 3);
            }
        }
    }
    result.valid = true;
    return result;
}

// What a window's client area shows on the screen, top row first, blue-green-red.
std::vector<unsigned char> CaptureClient(HWND window, int* width, int* height) {
    const oriscope_test::Picture picture = oriscope_test::Capture(window);
    *width = picture.width;
    *height = picture.height;
    std::vector<unsigned char> pixels;
    pixels.reserve(picture.pixels.size() * 3);
    for (const std::uint32_t p : picture.pixels) {
        pixels.push_back(static_cast<unsigned char>(p & 0xFF));
        pixels.push_back(static_cast<unsigned char>((p >> 8) & 0xFF));
        pixels.push_back(static_cast<unsigned char>((p >> 16) & 0xFF));
    }
    return pixels;
}

// A window's text as it answers WM_GETTEXT, read wide as Wine carries it between processes.
std::string AskedText(HWND window) {
    wchar_t wide[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(wide));
    char text[512] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
    return text;
}

// --- The directory the program writes into --------------------------------------------------

std::vector<std::string> BitmapNames(const std::string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*.bmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveDirectoryWithBitmaps(const std::string& directory) {
    for (const std::string& name : BitmapNames(directory)) {
        DeleteFileA((directory + "\\" + name).c_str());
    }
    RemoveDirectoryA(directory.c_str());
}

// The number N of "dd-hh-mm-ss-N.bmp", or -1.
int NumberOf(const std::string& name) {
    if (name.size() < 17 || name.compare(name.size() - 4, 4, ".bmp") != 0) {
        return -1;
    }
    for (int i = 0; i < 11; ++i) {
        const bool separator = i % 3 == 2;
        if (separator ? name[i] != '-' : (name[i] < '0' || name[i] > '9')) {
            return -1;
        }
    }
    return std::atoi(name.substr(12, name.size() - 16).c_str());
}

// --- A telnet client on 127.0.0.1 ----------------------------------------------------------

class TelnetClient {
public:
    explicit TelnetClient(std::uint16_t port) {
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected =
            connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
        u_long nonBlocking = 1;
        ioctlsocket(m_socket, FIONBIO, &nonBlocking);
    }
    ~TelnetClient() { closesocket(m_socket); }
    TelnetClient(const TelnetClient&) = delete;
    TelnetClient& operator=(const TelnetClient&) = delete;

    bool Connected() const { return m_connected; }

    // Sends everything (reading meanwhile); false when the server stopped taking it.
    bool Send(const std::string& bytes, DWORD timeoutMs = 20000) {
        std::size_t sent = 0;
        const DWORD start = GetTickCount();
        while (sent < bytes.size() && GetTickCount() - start < timeoutMs) {
            const int result =
                send(m_socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (result > 0) {
                sent += static_cast<std::size_t>(result);
            } else if (WSAGetLastError() != WSAEWOULDBLOCK) {
                return false;
            } else {
                Sleep(1);
            }
            TakeIn();
        }
        return sent == bytes.size();
    }

    std::string Read(std::size_t count, DWORD timeoutMs = 10000) {
        const DWORD start = GetTickCount();
        while (m_received.size() < count && !m_ended && GetTickCount() - start < timeoutMs) {
            if (!TakeIn()) {
                Sleep(5);
            }
        }
        const std::string result = m_received.substr(0, count);
        m_received.erase(0, result.size());
        return result;
    }

    // Reads up to and including the next line end and prompt; the text before them.
    std::string ReadReply(DWORD timeoutMs = 10000) {
        const DWORD start = GetTickCount();
        std::size_t end = std::string::npos;
        while ((end = m_received.find(kAnswer)) == std::string::npos && !m_ended &&
               GetTickCount() - start < timeoutMs) {
            if (!TakeIn()) {
                Sleep(5);
            }
        }
        if (end == std::string::npos) {
            return "(no reply)";
        }
        const std::string reply = m_received.substr(0, end);
        m_received.erase(0, end + kAnswer.size());
        return reply;
    }

    bool WaitForEnd(DWORD timeoutMs = 10000) {
        const DWORD start = GetTickCount();
        while (!m_ended && GetTickCount() - start < timeoutMs) {
            if (!TakeIn()) {
                Sleep(5);
            }
        }
        return m_ended;
    }

private:
    bool TakeIn() {
        char buffer[4096];
        const int result = recv(m_socket, buffer, sizeof(buffer), 0);
        if (result > 0) {
            m_received.append(buffer, static_cast<std::size_t>(result));
            return true;
        }
        if (result == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
            m_ended = true;
        }
        return false;
    }

    SOCKET m_socket = INVALID_SOCKET;
    bool m_connected = false;
    bool m_ended = false;
    std::string m_received;
};

std::uint16_t FreeLoopbackPort() {
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    int length = sizeof(address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(probe);
    return ntohs(address.sin_port);
}

// --- The program with one camera window and its automatic mode dialog -----------------------

class AutoModeEndToEndRun : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test here writes into the same c:\tmp: one at a time, whichever program runs it.
        m_lock = CreateMutexA(nullptr, FALSE, "OriscopeAutoModeEndToEndDirectory");
        ASSERT_NE(nullptr, m_lock);
        ASSERT_NE(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(m_lock, 300000));
        WSADATA data{};
        ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
        RemoveDirectoryWithBitmaps(kDirectory);
        RemoveDirectoryWithBitmaps(kMovedDirectory);
    }
    void TearDown() override {
        program.Kill();
        RemoveDirectoryWithBitmaps(kDirectory);
        RemoveDirectoryWithBitmaps(kMovedDirectory);
        WSACleanup();
        if (m_lock != nullptr) {
            ReleaseMutex(m_lock);
            CloseHandle(m_lock);
        }
    }

    // Starts the program with its trigger server on 127.0.0.1, connects the simulated
    // colour camera, confirms its settings, sizes the view to the image and opens the
    // automatic mode.
    void OpenAutoMode() {
        port = FreeLoopbackPort();
        std::string error;
        ASSERT_TRUE(program.Start("/simulate /telnet:127.0.0.1:" + std::to_string(port), &error))
            << error;
        program.DropDownCombo(IDC_CARD_LIST);
        program.SelectComboItem(IDC_CARD_LIST, 1);
        ASSERT_TRUE(WaitUntil([&] { return program.ListLines(IDC_NODE_LIST).size() == 2; },
                              kNodeListTimeoutMs));
        const std::vector<std::string> nodes = program.ListLines(IDC_NODE_LIST);
        const auto colour = std::find_if(nodes.begin(), nodes.end(), [](const std::string& line) {
            return line.find("Colour") != std::string::npos;
        });
        ASSERT_NE(nodes.end(), colour) << ::testing::PrintToString(nodes);
        program.SelectListItem(IDC_NODE_LIST, static_cast<int>(colour - nodes.begin()));
        program.ClickButton(IDC_CONNECT);
        HWND settings = program.WaitForDialog(nullptr);
        ASSERT_NE(nullptr, settings) << "no preferences dialog";
        program.ClickButtonIn(settings, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return program.FindDialog(nullptr) == nullptr; }, 10000));
        ASSERT_EQ(1u, program.OtherWindows().size());
        camera = program.OtherWindows().front();
        const std::string title = program.Text(camera);
        ASSERT_EQ(2, std::sscanf(title.c_str() + title.rfind('(') + 1, "%dx%d", &imageWidth,
                                 &imageHeight))
            << title;
        // The view shows the image pixel for pixel.
        PostMessageA(camera, WM_COMMAND, static_cast<WPARAM>(ViewSizeCommand()), 0);
        PostMessageA(camera, WM_COMMAND, static_cast<WPARAM>(IDM_AUTOMATIC_MODE), 0);
        dialog = program.WaitForDialog("Automatic mode");
        ASSERT_NE(nullptr, dialog);
        // Out of the way of the camera window, which a screen capture looks at.
        RECT frame{};
        GetWindowRect(camera, &frame);
        SetWindowPos(dialog, nullptr, 0, frame.bottom + 10, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    int ViewSizeCommand() const {
        struct Size {
            int width, height, command;
        };
        for (const Size& size : {Size{160, 120, IDM_VIEW_160X120}, Size{320, 240, IDM_VIEW_320X240},
                                 Size{640, 480, IDM_VIEW_640X480}, Size{800, 600, IDM_VIEW_800X600},
                                 Size{1024, 768, IDM_VIEW_1024X768}}) {
            if (size.width == imageWidth && size.height == imageHeight) {
                return size.command;
            }
        }
        ADD_FAILURE() << "no view size for " << imageWidth << "x" << imageHeight;
        return IDM_VIEW_640X480;
    }

    void SetItem(int id, const char* text) {
        const std::wstring wide(text, text + std::strlen(text));
        SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    void ChooseMode(int id) {
        SendMessageA(GetDlgItem(dialog, IDC_AUTO_TIMED), BM_SETCHECK,
                     id == IDC_AUTO_TIMED ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessageA(GetDlgItem(dialog, IDC_AUTO_TELNET), BM_SETCHECK,
                     id == IDC_AUTO_TELNET ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    void Start(const char* interval, const char* count, int mode) {
        SetItem(IDC_AUTO_INTERVAL, interval);
        SetItem(IDC_AUTO_FRAME_COUNT, count);
        ChooseMode(mode);
        program.ClickButtonIn(dialog, IDC_AUTO_START);
        ASSERT_TRUE(
            WaitUntil([&] { return program.DialogItemEnabled(dialog, IDC_AUTO_STOP); }, 10000))
            << "the run did not start";
    }
    bool WaitForRunEnd(DWORD timeoutMs = kRunTimeoutMs) {
        return WaitUntil([&] { return program.DialogItemEnabled(dialog, IDC_AUTO_START); },
                         timeoutMs);
    }
    std::string LastFile() const { return program.DialogItemText(dialog, IDC_AUTO_LAST_FILE); }

    HWND StatusLine() const {
        for (HWND child = GetWindow(camera, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (AskedText(child).rfind("Seen: ", 0) == 0) {
                return child;
            }
        }
        return nullptr;
    }
    HWND ImageView() const {
        HWND status = StatusLine();
        for (HWND child = GetWindow(camera, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (child != status) {
                return child;
            }
        }
        return nullptr;
    }
    // Frames shown since the start, from the status line.
    long Seen() const {
        const std::string text = AskedText(StatusLine());
        return text.rfind("Seen: ", 0) == 0 ? std::atol(text.c_str() + 6) : -1;
    }
    // The window still answers messages.
    static bool Responsive(HWND window) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
    }

    ProgramUnderTest program;
    std::uint16_t port = 0;
    HWND camera = nullptr;
    HWND dialog = nullptr;
    int imageWidth = 0;
    int imageHeight = 0;

private:
    HANDLE m_lock = nullptr;
};

TEST_F(AutoModeEndToEndRun, TimedModeWritesThreeNumberedFilesOfTheShownImageAndStops) {
    CreateDirectoryA(kDirectory, nullptr);
    OpenAutoMode();
    Start("1", "3", IDC_AUTO_TIMED);
    ASSERT_TRUE(WaitForRunEnd()) << "the run did not stop by itself";
    const std::vector<std::string> names = BitmapNames(kDirectory);
    ASSERT_EQ(3u, names.size()) << ::testing::PrintToString(names);
    std::vector<int> numbers;
    for (const std::string& name : names) {
        numbers.push_back(NumberOf(name));
    }
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ((std::vector<int>{1, 2, 3}), numbers);
    const std::string last = LastFile();
    EXPECT_EQ(3, NumberOf(last)) << last;
    EXPECT_EQ(3, Seen());  // only the requested frames were shown

    for (const std::string& name : names) {
        const BitmapFile file = ReadBitmap(std::string(kDirectory) + "\\" + name);
        EXPECT_TRUE(file.valid) << file.problem;
        EXPECT_EQ(imageWidth, file.width) << name;
        EXPECT_EQ(imageHeight, file.height) << name;
        EXPECT_EQ(24, file.bitsPerPixel) << name;
    }
    // Acquisition stopped with the last file: the view still shows its image.
    const BitmapFile shown = ReadBitmap(std::string(kDirectory) + "\\" + last);
    ASSERT_TRUE(shown.valid) << shown.problem;
    RedrawWindow(ImageView(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_TRUE(Responsive(camera));
    int width = 0;
    int height = 0;
    const std::vector<unsigned char> screen = CaptureClient(ImageView(), &width, &height);
    ASSERT_EQ(imageWidth, width);
    ASSERT_EQ(imageHeight, height);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < screen.size(); ++i) {
        if (std::abs(screen[i] - shown.pixels[i]) > 2) {
            ++differing;
        }
    }
    EXPECT_EQ(0u, differing) << "of " << screen.size() << " colour values";
}

TEST_F(AutoModeEndToEndRun, TelnetModeStoresAFilePerTriggerAndReportsItsName) {
    CreateDirectoryA(kDirectory, nullptr);
    OpenAutoMode();
    Start("1", "0", IDC_AUTO_TELNET);
    TelnetClient client(port);
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(kGreeting, client.Read(kGreeting.size()));
    for (int number = 1; number <= 3; ++number) {
        ASSERT_TRUE(client.Send("trigger\r\n"));
        EXPECT_EQ("trigger", client.ReadReply());
        const std::string name = client.ReadReply();
        EXPECT_EQ(number, NumberOf(name)) << name;
        EXPECT_EQ(name, LastFile());
        const BitmapFile file = ReadBitmap(std::string(kDirectory) + "\\" + name);
        EXPECT_TRUE(file.valid) << file.problem;
    }
    EXPECT_EQ(3u, BitmapNames(kDirectory).size());
    // Anything else is only echoed.
    ASSERT_TRUE(client.Send("Trigger\r"));
    EXPECT_EQ("Trigger", client.ReadReply());
    program.ClickButtonIn(dialog, IDC_AUTO_STOP);
    EXPECT_TRUE(WaitForRunEnd());
    EXPECT_TRUE(client.WaitForEnd());
    EXPECT_EQ(3u, BitmapNames(kDirectory).size());
}

TEST_F(AutoModeEndToEndRun, UnwritableDirectoryWritesNothingAndKeepsTheLastFile) {
    CreateDirectoryA(kDirectory, nullptr);
    OpenAutoMode();
    Start("1", "0", IDC_AUTO_TIMED);
    ASSERT_TRUE(WaitUntil([&] { return !LastFile().empty(); }, kRunTimeoutMs));
    const std::string first = LastFile();
    EXPECT_EQ(1, NumberOf(first)) << first;
    // The directory goes away under the running mode.
    ASSERT_TRUE(MoveFileA(kDirectory, kMovedDirectory));
    const long seen = Seen();
    ASSERT_TRUE(WaitUntil([&] { return Seen() >= seen + 2; }, kRunTimeoutMs))
        << "no more frames were shown";
    program.ClickButtonIn(dialog, IDC_AUTO_STOP);
    EXPECT_TRUE(WaitForRunEnd());
    EXPECT_EQ(first, LastFile());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kDirectory));
    EXPECT_EQ(std::vector<std::string>{first}, BitmapNames(kMovedDirectory));
}

TEST_F(AutoModeEndToEndRun, HostileTelnetClientsLeaveTheServerAndTheCameraWindowWorking) {
    CreateDirectoryA(kDirectory, nullptr);
    OpenAutoMode();
    Start("1", "0", IDC_AUTO_TELNET);
    {
        TelnetClient garbage(port);
        ASSERT_TRUE(garbage.Connected());
        EXPECT_EQ(kGreeting, garbage.Read(kGreeting.size()));
        std::mt19937 random(7);
        std::string bytes(256 * 1024, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() & 0xFF);
        }
        EXPECT_TRUE(garbage.Send(bytes));
        EXPECT_TRUE(garbage.Send(std::string(1024 * 1024, 'x')));
        EXPECT_TRUE(Responsive(camera));
        EXPECT_TRUE(Responsive(dialog));
    }
    // A client that never sends holds the place; everyone else is turned away.
    auto silent = std::make_unique<TelnetClient>(port);
    std::vector<std::unique_ptr<TelnetClient>> others;
    const DWORD start = GetTickCount();
    std::string first;
    while (first.empty() && GetTickCount() - start < 10000) {
        first = silent->Read(kGreeting.size(), 200);
        if (first.empty()) {  // still the previous client's place: try again
            silent = std::make_unique<TelnetClient>(port);
        }
    }
    EXPECT_EQ(kGreeting, first);
    for (int i = 0; i < 30; ++i) {
        others.push_back(std::make_unique<TelnetClient>(port));
    }
    for (auto& other : others) {
        EXPECT_TRUE(other->WaitForEnd());
    }
    EXPECT_TRUE(Responsive(camera));
    EXPECT_TRUE(Responsive(dialog));
    silent.reset();

    // The server still serves a well-behaved client.
    std::unique_ptr<TelnetClient> client;
    const DWORD again = GetTickCount();
    while (!client && GetTickCount() - again < 10000) {
        auto candidate = std::make_unique<TelnetClient>(port);
        if (candidate->Read(kGreeting.size(), 500) == kGreeting) {
            client = std::move(candidate);
        }
    }
    ASSERT_TRUE(client) << "no client was greeted again";
    ASSERT_TRUE(client->Send("trigger\r"));
    EXPECT_EQ("trigger", client->ReadReply());
    const std::string name = client->ReadReply();
    EXPECT_EQ(1, NumberOf(name)) << name;
    EXPECT_EQ(std::vector<std::string>{name}, BitmapNames(kDirectory));
}

TEST_F(AutoModeEndToEndRun, CloseBoxIsIgnoredWhileRunningAndTheMenuNeedsAStoppedCamera) {
    OpenAutoMode();
    Start("1", "0", IDC_AUTO_TIMED);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Responsive(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog));
    program.ClickButtonIn(dialog, IDC_AUTO_STOP);
    ASSERT_TRUE(WaitForRunEnd());
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));

    // While the camera acquires, the menu command opens nothing.
    PostMessageA(camera, WM_COMMAND, static_cast<WPARAM>(IDM_TOGGLE_ACQUISITION), 0);
    ASSERT_TRUE(WaitUntil([&] { return Seen() > 0; }, kRunTimeoutMs));
    PostMessageA(camera, WM_COMMAND, static_cast<WPARAM>(IDM_AUTOMATIC_MODE), 0);
    EXPECT_TRUE(Responsive(camera));
    EXPECT_EQ(nullptr, program.FindDialog("Automatic mode"));
}

}  // namespace
