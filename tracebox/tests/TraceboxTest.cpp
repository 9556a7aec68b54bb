// The viewer driven as its publishers drive it: a real Tracebox.exe in its own
// process, commands sent with the registered message, blocks published in
// named shared memory, and what the edit field shows read back with WM_GETTEXT.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "tracebox/ResourceIds.h"
#include "tracebox/TraceSlot.h"
#include "tracebox/TraceboxApp.h"
#include "tracebox/TraceboxDialog.h"

namespace {

constexpr DWORD kWaitMs = 10000;
constexpr WPARAM kOpen = 1;
constexpr WPARAM kShow = 2;
constexpr WPARAM kAddLine = 3;
constexpr WPARAM kClose = 4;
constexpr WPARAM kQuit = 5;
constexpr WPARAM kClear = 6;

DWORD PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

// Tracebox.exe lies beside this test program.
std::string ViewerPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length == sizeof path) {
        return {};
    }
    std::string exe(path, length);
    exe.resize(exe.find_last_of("\\/") + 1);
    return exe + "Tracebox.exe";
}

constexpr COLORREF kYellow = 0x8CFFFF;

// The colour at a screen point once the viewer has painted it there, or the
// last colour seen after kWaitMs.
COLORREF ScreenPixelSoon(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = CLR_INVALID;
    ULONGLONG deadline = GetTickCount64() + kWaitMs;
    do {
        colour = GetPixel(screen, x, y);
        if (colour == kYellow) {
            break;
        }
        Sleep(20);
    } while (GetTickCount64() < deadline);
    ReleaseDC(nullptr, screen);
    return colour;
}

// A publisher's block "TRACER<slot>", writable here and readable by the viewer.
class Publisher {
public:
    explicit Publisher(int slot, DWORD size = 4096) : size_(size) {
        char name[32];
        std::snprintf(name, sizeof name, "TRACER%d", slot);
        mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
        if (mapping_ != nullptr) {
            data_ = static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
        }
    }
    ~Publisher() {
        if (data_ != nullptr) {
            UnmapViewOfFile(data_);
        }
        if (mapping_ != nullptr) {
            CloseHandle(mapping_);
        }
    }
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    bool Ready() const { return data_ != nullptr; }
    void Write(const std::string& text) { std::memcpy(data_, text.c_str(), text.size() + 1); }
    char* Data() { return data_; }
    DWORD Size() const { return size_; }

private:
    DWORD size_;
    HANDLE mapping_ = nullptr;
    char* data_ = nullptr;
};

// One Tracebox.exe started from beside this test program.
class ViewerProcess {
public:
    ViewerProcess() = default;
    ~ViewerProcess() { End(); }
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    // Returns 0 or the error of CreateProcessA.
    DWORD Start() {
        std::string exe = ViewerPath();
        if (exe.empty()) {
            return GetLastError();
        }
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + exe + "\"";
        if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process_)) {
            return GetLastError();
        }
        started_ = true;
        return 0;
    }

    // The viewer's dialog once it is up, or null after kWaitMs.
    HWND WaitForWindow() const {
        WaitForInputIdle(process_.hProcess, kWaitMs);
        ULONGLONG deadline = GetTickCount64() + kWaitMs;
        do {
            Search search{process_.dwProcessId, nullptr};
            EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
            if (search.found != nullptr) {
                return search.found;
            }
            Sleep(20);
        } while (GetTickCount64() < deadline);
        return nullptr;
    }

    // True when the process ended within kWaitMs; its exit code in `code`.
    bool WaitForExit(DWORD& code) const {
        if (WaitForSingleObject(process_.hProcess, kWaitMs) != WAIT_OBJECT_0) {
            return false;
        }
        return GetExitCodeProcess(process_.hProcess, &code) != FALSE;
    }

    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

    // Ends the process if it still runs, so no test leaves a viewer behind.
    void End() {
        if (!started_) {
            return;
        }
        if (Running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, kWaitMs);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        started_ = false;
    }

private:
    struct Search {
        DWORD processId;
        HWND found;
    };
    static BOOL CALLBACK MatchOwnWindow(HWND hwnd, LPARAM param) {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        char title[32];
        if (owner == search->processId && GetWindowTextA(hwnd, title, sizeof title) > 0 &&
            std::strcmp(title, "Tracebox") == 0) {
            search->found = hwnd;
            return FALSE;
        }
        return TRUE;
    }

    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

class TraceboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Only one viewer may run at a time, and tests run in parallel: each
        // test holds the viewer for itself while it runs.
        lock_ = CreateMutexA(nullptr, FALSE, "OriscopeTraceboxTestViewer");
        ASSERT_NE(lock_, nullptr) << "CreateMutexA failed, error " << GetLastError();
        DWORD waited = WaitForSingleObject(lock_, INFINITE);
        ASSERT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) << "wait gave " << waited;
        locked_ = true;

        ASSERT_EQ(tbx::FindRunningViewer(), nullptr) << "a viewer from elsewhere is running";
        traceMessage_ = RegisterWindowMessageA("WMQMXTRACER");
        ASSERT_NE(traceMessage_, 0u);
        ASSERT_EQ(viewer_.Start(), 0u) << "could not start Tracebox.exe";
        hwnd_ = viewer_.WaitForWindow();
        ASSERT_NE(hwnd_, nullptr) << "the viewer's window did not appear";
        edit_ = GetDlgItem(hwnd_, IDC_TRACE_TEXT);
        ASSERT_NE(edit_, nullptr) << "the dialog has no edit field " << IDC_TRACE_TEXT;
    }

    void TearDown() override {
        viewer_.End();
        if (locked_) {
            ReleaseMutex(lock_);
        }
        if (lock_ != nullptr) {
            CloseHandle(lock_);
        }
    }

    // Sends one command as a publisher does; the viewer's result.
    LRESULT Send(WPARAM command, LPARAM argument) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(hwnd_, traceMessage_, command, argument, SMTO_ABORTIFHUNG, kWaitMs,
                                 &result)) {
            ADD_FAILURE() << "command " << command << " (" << argument << ") got no answer, error "
                          << GetLastError();
            return -1;
        }
        return static_cast<LRESULT>(result);
    }

    // Chooses a "Display" item, or another menu command.
    void Choose(UINT command) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(
            SendMessageTimeoutA(hwnd_, WM_COMMAND, command, 0, SMTO_ABORTIFHUNG, kWaitMs, &result))
            << "menu command " << command << " got no answer";
    }

    std::string EditText() {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutA(edit_, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWaitMs,
                                 &length)) {
            ADD_FAILURE() << "WM_GETTEXTLENGTH got no answer";
            return {};
        }
        std::string text(length + 1, '\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutA(edit_, WM_GETTEXT, text.size(),
                                 reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kWaitMs,
                                 &copied)) {
            ADD_FAILURE() << "WM_GETTEXT got no answer";
            return {};
        }
        text.resize(copied);
        return text;
    }

    // Quit must end the viewer, with exit code 0.
    void ExpectQuitEndsViewer() {
        EXPECT_EQ(Send(kQuit, 0), 0);
        DWORD code = 0;
        ASSERT_TRUE(viewer_.WaitForExit(code)) << "the viewer did not end on quit";
        EXPECT_EQ(code, 0u);
    }

    // Proves the dialog still runs its message loop: a command posted behind
    // everything queued so far must still be carried out. `publisher` is an
    // open slot's block and `slot` its number.
    void ExpectViewerStillRuns(Publisher& publisher, int slot) {
        publisher.Write("still running");
        ASSERT_TRUE(PostMessageA(hwnd_, traceMessage_, kAddLine, slot))
            << "the viewer's window is gone, error " << GetLastError();
        ULONGLONG deadline = GetTickCount64() + kWaitMs;
        while (EditText().rfind("still running\r\n", 0) != 0 && GetTickCount64() < deadline) {
            Sleep(20);
        }
        EXPECT_EQ(EditText().rfind("still running\r\n", 0), 0u)
            << "posted line never shown; edit shows \"" << EditText() << "\"";
        EXPECT_TRUE(viewer_.Running());
    }

    ViewerProcess viewer_;
    HWND hwnd_ = nullptr;
    HWND edit_ = nullptr;
    UINT traceMessage_ = 0;

private:
    HANDLE lock_ = nullptr;
    bool locked_ = false;
};

TEST_F(TraceboxTest, DialogIsTopmostAtTopLeftWithoutCloseBox) {
    RECT rect;
    ASSERT_TRUE(GetWindowRect(hwnd_, &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
    LONG exStyle = GetWindowLongA(hwnd_, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_SYSMENU, 0) << "the dialog has a system menu and close box";
    EXPECT_NE(style & WS_VISIBLE, 0);
    EXPECT_NE(exStyle & WS_EX_TOPMOST, 0) << "the dialog is not topmost";

    LONG editStyle = GetWindowLongA(edit_, GWL_STYLE);
    EXPECT_NE(editStyle & ES_MULTILINE, 0);
    EXPECT_NE(editStyle & ES_READONLY, 0);
    EXPECT_NE(editStyle & WS_VSCROLL, 0);
    EXPECT_EQ(EditText(), "");

    // The edit field is painted light yellow where there is no text.
    RECT editRect;
    ASSERT_TRUE(GetWindowRect(edit_, &editRect));
    EXPECT_EQ(ScreenPixelSoon(editRect.left + 20, editRect.bottom - 10), kYellow);
}

TEST_F(TraceboxTest, CloseMessageDoesNotEndTheViewer) {
    Publisher publisher(3);
    ASSERT_TRUE(publisher.Ready());
    publisher.Write("open");
    ASSERT_EQ(Send(kOpen, 3), 0);
    // Alt+F4 arrives as WM_CLOSE too.
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(hwnd_, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &result));
    ExpectViewerStillRuns(publisher, 3);
}

TEST_F(TraceboxTest, OpenOfMissingBlockGivesNotFound) {
    EXPECT_EQ(Send(kOpen, 3), static_cast<LRESULT>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(EditText(), "");
    // Nothing was counted as open, so quit is accepted.
    ExpectQuitEndsViewer();
}

TEST_F(TraceboxTest, AddedLinesShowNewestFirstAboveTheTitle) {
    Publisher publisher(3);
    ASSERT_TRUE(publisher.Ready()) << "CreateFileMappingA failed, error " << GetLastError();
    publisher.Write("Title of three");
    ASSERT_EQ(Send(kOpen, 3), 0);
    EXPECT_EQ(EditText(), "Title of three");

    for (const char* line : {"a", "b", "c"}) {
        publisher.Write(line);
        EXPECT_EQ(Send(kAddLine, 3), 0);
    }
    EXPECT_EQ(EditText(), "c\r\nb\r\na\r\nTitle of three");

    // Clearing the current slot empties the field; later lines start afresh.
    EXPECT_EQ(Send(kClear, 3), 0);
    EXPECT_EQ(EditText(), "");
    publisher.Write("d");
    EXPECT_EQ(Send(kAddLine, 3), 0);
    EXPECT_EQ(EditText(), "d\r\n");
}

TEST_F(TraceboxTest, LinesOfAnotherSlotShowOnlyWhenItIsChosen) {
    Publisher three(3);
    Publisher five(5);
    ASSERT_TRUE(three.Ready() && five.Ready());
    three.Write("three");
    five.Write("five");
    ASSERT_EQ(Send(kOpen, 3), 0);
    ASSERT_EQ(Send(kOpen, 5), 0);
    EXPECT_EQ(EditText(), "five");

    three.Write("x");
    EXPECT_EQ(Send(kAddLine, 3), 0);
    EXPECT_EQ(EditText(), "five") << "a line of slot 3 reached the field while slot 5 is shown";
    EXPECT_EQ(Send(kClear, 5), 0);
    EXPECT_EQ(EditText(), "");

    Choose(ID_DISPLAY_FIRST + 3);
    EXPECT_EQ(EditText(), "x\r\nthree");
    Choose(ID_DISPLAY_FIRST + 5);
    EXPECT_EQ(EditText(), "");
    // A slot never opened shows its empty text too.
    Choose(ID_DISPLAY_FIRST + 9);
    EXPECT_EQ(EditText(), "");
}

TEST_F(TraceboxTest, ClosedSlotKeepsItsTextUntilOpenedAgain) {
    {
        Publisher publisher(3);
        ASSERT_TRUE(publisher.Ready());
        publisher.Write("first run");
        ASSERT_EQ(Send(kOpen, 3), 0);
        publisher.Write("line");
        ASSERT_EQ(Send(kAddLine, 3), 0);
        ASSERT_EQ(Send(kClose, 3), 0);
    }
    EXPECT_EQ(EditText(), "line\r\nfirst run");
    // With no block left, lines add empty text rather than fail.
    EXPECT_EQ(Send(kAddLine, 3), 0);
    EXPECT_EQ(EditText(), "\r\nline\r\nfirst run");

    Publisher again(3);
    ASSERT_TRUE(again.Ready());
    again.Write("second run");
    ASSERT_EQ(Send(kOpen, 3), 0);
    EXPECT_EQ(EditText(), "second run");
}

TEST_F(TraceboxTest, OpeningTwiceAndClosingOnceLeavesNoSlotOpen) {
    Publisher publisher(3);
    ASSERT_TRUE(publisher.Ready());
    publisher.Write("twice");
    ASSERT_EQ(Send(kOpen, 3), 0);
    ASSERT_EQ(Send(kOpen, 3), 0);
    EXPECT_EQ(EditText(), "twice");
    ASSERT_EQ(Send(kClose, 3), 0);
    ExpectQuitEndsViewer();
}

TEST_F(TraceboxTest, QuitIsRefusedWhileASlotIsOpen) {
    Publisher publisher(3);
    ASSERT_TRUE(publisher.Ready());
    publisher.Write("busy");
    ASSERT_EQ(Send(kOpen, 3), 0);
    EXPECT_EQ(Send(kQuit, 0), 0);
    ExpectViewerStillRuns(publisher, 3);

    ASSERT_EQ(Send(kClose, 3), 0);
    ExpectQuitEndsViewer();
}

TEST_F(TraceboxTest, CloseOfSlotNotOpenChangesNothing) {
    Publisher publisher(3);
    ASSERT_TRUE(publisher.Ready());
    publisher.Write("open");
    ASSERT_EQ(Send(kOpen, 3), 0);
    EXPECT_EQ(Send(kClose, 7), 0);
    EXPECT_EQ(EditText(), "open");
    // Slot 3 is still open: quit is still refused.
    EXPECT_EQ(Send(kQuit, 0), 0);
    ExpectViewerStillRuns(publisher, 3);
}

TEST_F(TraceboxTest, SlotsOutsideTheRangeGiveOneAndChangeNothing) {
    Publisher publisher(3);
    ASSERT_TRUE(publisher.Ready());
    publisher.Write("title");
    ASSERT_EQ(Send(kOpen, 3), 0);
    publisher.Write("never shown");

    for (WPARAM command : {kOpen, kAddLine, kClose, kClear}) {
        for (LPARAM slot : {10, -1, 1000}) {
            SCOPED_TRACE("command " + std::to_string(command) + ", slot " + std::to_string(slot));
            EXPECT_EQ(Send(command, slot), 1);
            EXPECT_EQ(EditText(), "title");
        }
    }
    // Slot 3 is still the one open slot.
    EXPECT_EQ(Send(kQuit, 0), 0);
    ExpectViewerStillRuns(publisher, 3);
    ASSERT_EQ(Send(kClose, 3), 0);
    ExpectQuitEndsViewer();
}

TEST_F(TraceboxTest, UnknownCommandsAnswerZeroAndDoNothing) {
    for (WPARAM command : {WPARAM{0}, WPARAM{7}, WPARAM{1000}}) {
        EXPECT_EQ(Send(command, 3), 0) << "command " << command;
    }
    EXPECT_EQ(EditText(), "");
    EXPECT_TRUE(viewer_.Running());
}

TEST_F(TraceboxTest, ShowCommandAndHideItemShowAndHideTheWindow) {
    EXPECT_EQ(Send(kShow, SW_HIDE), 0);
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    EXPECT_EQ(Send(kShow, SW_SHOW), 0);
    EXPECT_TRUE(IsWindowVisible(hwnd_));

    Choose(ID_STATUS_HIDE);
    EXPECT_FALSE(IsWindowVisible(hwnd_)) << "\"&Hide\" left the window visible";
    EXPECT_EQ(Send(kShow, SW_SHOW), 0);
    EXPECT_TRUE(IsWindowVisible(hwnd_));

    EXPECT_EQ(Send(kShow, SW_MINIMIZE), 0);
    EXPECT_TRUE(IsIconic(hwnd_));
}

TEST_F(TraceboxTest, SecondStartRestoresTheFirstWindowAndEnds) {
    ASSERT_EQ(Send(kShow, SW_MINIMIZE), 0);
    ASSERT_TRUE(IsIconic(hwnd_));

    ViewerProcess second;
    ASSERT_EQ(second.Start(), 0u);
    DWORD code = 1;
    ASSERT_TRUE(second.WaitForExit(code)) << "the second viewer did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(IsIconic(hwnd_)) << "the first viewer was not restored";
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    EXPECT_TRUE(viewer_.Running());
}

TEST_F(TraceboxTest, UnterminatedBlockIsShownUpToTheEndOfTheView) {
    // A block of exactly one page has no zero anywhere in its view.
    const DWORD size = PageSize();
    Publisher publisher(3, size);
    ASSERT_TRUE(publisher.Ready());
    std::string pattern;
    for (DWORD i = 0; i < size; ++i) {
        pattern += static_cast<char>('a' + i % 26);
    }
    std::memcpy(publisher.Data(), pattern.data(), size);

    ASSERT_EQ(Send(kOpen, 3), 0);
    std::string shown = EditText();
    EXPECT_EQ(shown.size(), pattern.size());
    EXPECT_TRUE(shown == pattern) << "the field does not show the whole block";

    EXPECT_EQ(Send(kAddLine, 3), 0);
    shown = EditText();
    EXPECT_EQ(shown.size(), 2 * pattern.size() + 2);
    EXPECT_TRUE(shown == pattern + "\r\n" + pattern) << "the field does not show both lines";
}

// The dialog run inside this process, so that its menu can be read: menus
// belong to their process. A second thread drives it as a publisher would.
class TraceboxDialogInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        lock_ = CreateMutexA(nullptr, FALSE, "OriscopeTraceboxTestViewer");
        ASSERT_NE(lock_, nullptr);
        DWORD waited = WaitForSingleObject(lock_, INFINITE);
        ASSERT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED);
        locked_ = true;
    }
    void TearDown() override {
        if (locked_) {
            ReleaseMutex(lock_);
        }
        if (lock_ != nullptr) {
            CloseHandle(lock_);
        }
    }

private:
    HANDLE lock_ = nullptr;
    bool locked_ = false;
};

struct MenuItemSeen {
    std::string text;
    bool grey = true;
};

TEST_F(TraceboxDialogInProcess, OpenNamesAndEnablesTheSlotsDisplayItem) {
    UINT traceMessage = RegisterWindowMessageA("WMQMXTRACER");
    Publisher publisher(4);
    ASSERT_TRUE(publisher.Ready());
    publisher.Write("Camera 4");

    std::array<MenuItemSeen, 10> before;
    std::array<MenuItemSeen, 10> after;
    LRESULT openResult = -1;
    LRESULT quitResult = -1;
    HWND dialogWindow = nullptr;
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    LRESULT dragIcon = 0;
    std::thread publisherThread([&] {
        ULONGLONG deadline = GetTickCount64() + kWaitMs;
        while ((dialogWindow = tbx::FindRunningViewer()) == nullptr &&
               GetTickCount64() < deadline) {
            Sleep(20);
        }
        if (dialogWindow == nullptr) {
            return;
        }
        auto readItems = [&](std::array<MenuItemSeen, 10>& items) {
            HMENU menu = GetMenu(dialogWindow);
            for (int slot = 0; slot < 10; ++slot) {
                char text[64] = "";
                UINT command = static_cast<UINT>(ID_DISPLAY_FIRST + slot);
                GetMenuStringA(menu, command, text, sizeof text, MF_BYCOMMAND);
                items[static_cast<size_t>(slot)].text = text;
                items[static_cast<size_t>(slot)].grey =
                    (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
            }
        };
        readItems(before);
        dragIcon = SendMessageA(dialogWindow, WM_QUERYDRAGICON, 0, 0);
        openResult = SendMessageA(dialogWindow, traceMessage, kOpen, 4);
        readItems(after);
        SendMessageA(dialogWindow, traceMessage, kClose, 4);
        quitResult = SendMessageA(dialogWindow, traceMessage, kQuit, 0);
        if (IsWindow(dialogWindow)) {
            // Whatever went wrong, the dialog must end for the test to end.
            PostMessageA(dialogWindow, WM_COMMAND, IDCANCEL, 0);
        }
    });
    tbx::TraceboxDialog dialog(traceMessage, icon);
    INT_PTR ended = dialog.DoModal(GetModuleHandleA(nullptr));
    publisherThread.join();

    ASSERT_NE(dialogWindow, nullptr) << "the dialog did not appear";
    EXPECT_EQ(ended, 0) << "the dialog did not end by quit";
    EXPECT_EQ(openResult, 0);
    EXPECT_EQ(quitResult, 0);
    EXPECT_EQ(dragIcon, reinterpret_cast<LRESULT>(icon));
    for (int slot = 0; slot < 10; ++slot) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        const MenuItemSeen& start = before[static_cast<size_t>(slot)];
        const MenuItemSeen& opened = after[static_cast<size_t>(slot)];
        EXPECT_EQ(start.text, "T" + std::to_string(slot + 1));
        EXPECT_TRUE(start.grey) << "every item starts greyed";
        EXPECT_EQ(opened.text, slot == 4 ? "Camera 4" : start.text);
        EXPECT_EQ(opened.grey, slot != 4);
    }
}

// The program's resources as the dialog and its publishers rely on them.
class TraceboxResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(ViewerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << "cannot load Tracebox.exe, error " << GetLastError();
    }
    void TearDown() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    static std::string ItemText(HMENU menu, UINT position) {
        char text[64] = "";
        GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
        return text;
    }
    HMODULE module_ = nullptr;
};

TEST_F(TraceboxResources, IconAndDialogArePresent) {
    HANDLE icon = LoadImageA(module_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 32, 32, 0);
    EXPECT_NE(icon, nullptr) << "no icon " << IDR_MAINFRAME << ", error " << GetLastError();
    if (icon != nullptr) {
        DestroyIcon(static_cast<HICON>(icon));
    }
    EXPECT_NE(FindResourceA(module_, MAKEINTRESOURCEA(IDD_TRACEBOX), MAKEINTRESOURCEA(5)), nullptr)
        << "no dialog " << IDD_TRACEBOX;
}

TEST_F(TraceboxResources, StatusMenuHasDisplayItemsAndHide) {
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_STATUS_MENU));
    ASSERT_NE(menu, nullptr) << "no menu " << IDR_STATUS_MENU;
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(ItemText(menu, 0), "Status");
    HMENU status = GetSubMenu(menu, 0);
    ASSERT_NE(status, nullptr);
    ASSERT_EQ(GetMenuItemCount(status), 2);
    EXPECT_EQ(ItemText(status, 0), "Display");
    EXPECT_EQ(ItemText(status, 1), "&Hide");
    EXPECT_EQ(GetMenuItemID(status, 1), static_cast<UINT>(ID_STATUS_HIDE));

    HMENU display = GetSubMenu(status, 0);
    ASSERT_NE(display, nullptr);
    ASSERT_EQ(GetMenuItemCount(display), 10);
    for (int slot = 0; slot < 10; ++slot) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        UINT position = static_cast<UINT>(slot);
        EXPECT_EQ(ItemText(display, position), "T" + std::to_string(slot + 1));
        EXPECT_EQ(GetMenuItemID(display, slot), static_cast<UINT>(ID_DISPLAY_FIRST + slot));
        bool grey = (GetMenuState(display, position, MF_BYPOSITION) & MF_GRAYED) != 0;
        EXPECT_EQ(grey, slot == 0);
    }
    DestroyMenu(menu);
}

// The bounded read on its own: the page after the text cannot be read, so a
// read that ran past the end would fault.
TEST(TraceSlotRead, StopsAtTheZeroOrTheEndOfTheReadablePages) {
    EXPECT_EQ(tbx::ReadBoundedText(nullptr), "");

    const DWORD page = PageSize();
    auto* memory = static_cast<char*>(
        VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(memory, nullptr) << "error " << GetLastError();
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(memory + page, page, PAGE_NOACCESS, &old));

    std::memset(memory, 'q', page);
    EXPECT_EQ(tbx::ReadBoundedText(memory), std::string(page, 'q'));
    EXPECT_EQ(tbx::ReadBoundedText(memory + page - 3), "qqq");
    EXPECT_EQ(tbx::ReadBoundedText(memory + page), "") << "read from a page that cannot be read";
    memory[10] = '\0';
    EXPECT_EQ(tbx::ReadBoundedText(memory), std::string(10, 'q'));

    VirtualFree(memory, 0, MEM_RELEASE);
}

}  // namespace
