// Classes: ProgramUnderTest
//
// End-to-end test support: runs the real Oriscope.exe as a process of its
// own and drives its windows with real messages, the way a user's clicks and
// selections reach them. Reads what the windows show, finds the program's
// dialogs, and ends the program. The destructor always ends the process, so a
// failing test never leaves one behind.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace oriscope_test {

// The Windows path of Oriscope.exe of this build.
std::string ProgramPath();

// A scenario file for the simulated bus, written to the temporary directory and
// removed again by the destructor.
class TemporaryFile {
public:
    TemporaryFile(const std::string& name, const std::string& contents);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// A window's text as the window itself answers (another process's windows too).
std::string WindowText(HWND window);

// Polls `condition` every 20 ms until it holds or `timeoutMs` passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

class ProgramUnderTest {
public:
    static constexpr DWORD kDefaultTimeoutMs = 10000;

    ProgramUnderTest() = default;
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    // Starts the program with the arguments and waits for its main window.
    // False (and a reason in `error`) when it cannot be started or no main window shows.
    bool Start(const std::string& arguments, std::string* error);
    bool Running() const;
    DWORD ProcessId() const { return m_processId; }

    // --- Main window ---------------------------------------------------------
    HWND MainFrame() const { return m_frame; }
    // The form inside the frame that holds the controls.
    HWND Form() const { return m_form; }
    HWND Control(int id) const;
    // Waits until the form has handled everything posted to it so far. A form
    // that is waiting for camera threads to end answers early: wait for the
    // outcome with WaitUntil then.
    bool Sync() const;

    // Opens and closes a combo box's drop-down list, as a click on its arrow does.
    void DropDownCombo(int id);
    // Selects a combo box line and sends the parent its CBN_SELCHANGE.
    void SelectComboItem(int id, int index);
    int ComboSelection(int id) const;
    std::vector<std::string> ComboLines(int id) const;

    std::vector<std::string> ListLines(int id) const;
    int ListSelection(int id) const;
    // Selects a list box line and sends the parent its LBN_SELCHANGE.
    void SelectListItem(int id, int index);

    std::string Text(HWND window) const;
    std::string ControlText(int id) const { return Text(Control(id)); }
    bool ControlEnabled(int id) const;

    // A button click as the button reports it to its parent (posted, so a click
    // that opens a modal dialog does not block the test).
    void ClickButton(int id);
    void ClickButtonIn(HWND dialog, int id);
    // A menu command as it reaches the form from a popup menu.
    void SendMenuCommand(int id);

    // --- Other top-level windows of the program -------------------------------
    // A visible dialog of the program with this title (null: any title), or null.
    HWND FindDialog(const char* title) const;
    HWND WaitForDialog(const char* title, DWORD timeoutMs = kDefaultTimeoutMs) const;
    // Visible top-level windows of the program other than the main frame and dialogs.
    std::vector<HWND> OtherWindows() const;
    std::string DialogItemText(HWND dialog, int id) const;
    bool DialogItemEnabled(HWND dialog, int id) const;

    // --- Ending ---------------------------------------------------------------
    // Closes the main window as its close box does and waits for the process to end.
    // False when it did not end in time; `exitCode` gets its exit code.
    bool Close(DWORD timeoutMs, DWORD* exitCode);
    // Ends the process at once (used when a test failed midway).
    void Kill();

private:
    HWND FindMainFrame() const;

    PROCESS_INFORMATION m_process{};
    DWORD m_processId = 0;
    HWND m_frame = nullptr;
    HWND m_form = nullptr;
};

}  // namespace oriscope_test
