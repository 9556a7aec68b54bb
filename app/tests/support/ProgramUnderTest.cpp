#include "app/tests/support/ProgramUnderTest.h"

#include <cstring>

namespace oriscope_test {

namespace {

constexpr char kFrameClass[] = "Brask32FrameOrViewWindow";
constexpr char kMainTitle[] = "Oriscope - Brask (c)";
constexpr char kDialogClass[] = "#32770";
constexpr UINT kSyncTimeoutMs = 10000;

std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) {
        search->windows.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

// Another process's combo and list lines: Wine carries these texts between
// processes in their wide form only, so they are read wide and converted.
std::vector<std::string> ItemTexts(HWND control, UINT countMessage, UINT lengthMessage,
                                   UINT textMessage) {
    std::vector<std::string> lines;
    const LRESULT count = SendMessageW(control, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(control, lengthMessage, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            lines.emplace_back();
            continue;
        }
        std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(control, textMessage, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(wide.data()));
        char text[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof(text) - 1, nullptr, nullptr);
        lines.emplace_back(text);
    }
    return lines;
}

}  // namespace

std::string ProgramPath() {
    std::string path = ORISCOPE_PROGRAM_PATH;
    // Wine shows the host's file system as drive Z:.
    if (!path.empty() && path.front() == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

TemporaryFile::TemporaryFile(const std::string& name, const std::string& contents) {
    char directory[MAX_PATH] = {};
    GetTempPathA(sizeof(directory), directory);
    m_path = std::string(directory) + name;
    HANDLE file = CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
        CloseHandle(file);
    }
}

TemporaryFile::~TemporaryFile() {
    DeleteFileA(m_path.c_str());
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(20);
    }
}

ProgramUnderTest::~ProgramUnderTest() {
    Kill();
}

bool ProgramUnderTest::Start(const std::string& arguments, std::string* error) {
    const std::string program = ProgramPath();
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &m_process)) {
        *error = "CreateProcessA(" + program + ") failed with " + std::to_string(GetLastError());
        return false;
    }
    m_processId = m_process.dwProcessId;
    const bool shown = WaitUntil(
        [this] {
            m_frame = FindMainFrame();
            return m_frame != nullptr && IsWindowVisible(m_frame) &&
                   FindWindowExA(m_frame, nullptr, kDialogClass, nullptr) != nullptr;
        },
        kDefaultTimeoutMs);
    if (!shown) {
        *error = Running() ? "no main window within the time" : "the program ended at start";
        return false;
    }
    m_form = FindWindowExA(m_frame, nullptr, kDialogClass, nullptr);
    return true;
}

bool ProgramUnderTest::Running() const {
    return m_process.hProcess != nullptr &&
           WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

HWND ProgramUnderTest::FindMainFrame() const {
    for (HWND window : TopLevelWindows(m_processId)) {
        if (ClassOf(window) == kFrameClass && Text(window) == kMainTitle) {
            return window;
        }
    }
    return nullptr;
}

HWND ProgramUnderTest::Control(int id) const {
    return GetDlgItem(m_form, id);
}

bool ProgramUnderTest::Sync() const {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(m_form, WM_NULL, 0, 0, SMTO_NORMAL, kSyncTimeoutMs, &ignored) != 0;
}

void ProgramUnderTest::DropDownCombo(int id) {
    SendMessageA(Control(id), CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageA(Control(id), CB_SHOWDROPDOWN, FALSE, 0);
    Sync();
}

void ProgramUnderTest::SelectComboItem(int id, int index) {
    const HWND combo = Control(id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(m_form, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    Sync();
}

int ProgramUnderTest::ComboSelection(int id) const {
    return static_cast<int>(SendMessageA(Control(id), CB_GETCURSEL, 0, 0));
}

std::vector<std::string> ProgramUnderTest::ComboLines(int id) const {
    return ItemTexts(Control(id), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

std::vector<std::string> ProgramUnderTest::ListLines(int id) const {
    return ItemTexts(Control(id), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

int ProgramUnderTest::ListSelection(int id) const {
    return static_cast<int>(SendMessageA(Control(id), LB_GETCURSEL, 0, 0));
}

void ProgramUnderTest::SelectListItem(int id, int index) {
    const HWND list = Control(id);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(m_form, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    Sync();
}

std::string WindowText(HWND window) {
    char text[1024] = {};
    // WM_GETTEXT, unlike GetWindowTextA, reads another process's controls too.
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

std::string ProgramUnderTest::Text(HWND window) const {
    return WindowText(window);
}

bool ProgramUnderTest::ControlEnabled(int id) const {
    return IsWindowEnabled(Control(id)) != FALSE;
}

void ProgramUnderTest::ClickButton(int id) {
    ClickButtonIn(m_form, id);
    Sync();
}

void ProgramUnderTest::ClickButtonIn(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ProgramUnderTest::SendMenuCommand(int id) {
    PostMessageA(m_form, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Sync();
}

HWND ProgramUnderTest::FindDialog(const char* title) const {
    for (HWND window : TopLevelWindows(m_processId)) {
        if (ClassOf(window) == kDialogClass && IsWindowVisible(window) &&
            (title == nullptr || Text(window) == title)) {
            return window;
        }
    }
    return nullptr;
}

HWND ProgramUnderTest::WaitForDialog(const char* title, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindDialog(title);
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::vector<HWND> ProgramUnderTest::OtherWindows() const {
    std::vector<HWND> others;
    for (HWND window : TopLevelWindows(m_processId)) {
        if (window != m_frame && IsWindowVisible(window) && ClassOf(window) != kDialogClass) {
            others.push_back(window);
        }
    }
    return others;
}

std::string ProgramUnderTest::DialogItemText(HWND dialog, int id) const {
    return Text(GetDlgItem(dialog, id));
}

bool ProgramUnderTest::DialogItemEnabled(HWND dialog, int id) const {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool ProgramUnderTest::Close(DWORD timeoutMs, DWORD* exitCode) {
    if (!Running()) {
        return false;
    }
    PostMessageA(m_frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_process.hProcess, &code);
    *exitCode = code;
    return true;
}

void ProgramUnderTest::Kill() {
    if (m_process.hProcess == nullptr) {
        return;
    }
    if (Running()) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
    m_process = PROCESS_INFORMATION{};
}

}  // namespace oriscope_test
