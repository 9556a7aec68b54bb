// Classes: CApplication
//
// The one application object of a program: program entry, registration of the
// library's window classes and the message loop. The program defines exactly
// one as a static object; its constructor makes it the application object.
#pragma once

#include <windows.h>

#include <atomic>

class CBasicWindow;

class CApplication {
public:
    CApplication();
    virtual ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // --- Overridables -------------------------------------------------------
    virtual int InitApplication() { return 1; }
    virtual int InitInstance() { return 1; }
    virtual int ExitInstance() { return 1; }
    // Non-zero when the program handled the help request itself.
    virtual int HelpHook(HELPINFO* /*info*/) { return 0; }
    // Runs the message loop until WM_QUIT; returns 0.
    virtual int Run();
    // Non-zero asks for another idle call before waiting for a message.
    virtual int OnIdle() { return 0; }
    // Gets one message and hands it on; 0 at WM_QUIT.
    virtual int PumpMessage();
    // Non-zero when a window on the message's way up to the main window consumed it.
    virtual int PreTranslate(MSG* message);

    // --- Accessors ----------------------------------------------------------
    CBasicWindow* MainWindow() const { return m_mainWindow.load(); }
    // Returns the previous main window.
    CBasicWindow* SetMainWindow(CBasicWindow* window) { return m_mainWindow.exchange(window); }
    HINSTANCE InstanceHandle() const { return m_instance; }
    HANDLE ProcessHandle() const { return m_process; }
    HINSTANCE PreviousInstance() const { return m_previousInstance; }
    const char* CommandLine() const { return m_commandLine; }
    HICON Icon() const { return m_icon; }
    int ShowCommand() const { return m_showCommand; }
    HCURSOR ArrowCursor() const { return m_arrowCursor; }

    // The application object, or null.
    static CApplication* Instance();

    // Stores the start arguments and registers the four window classes (skipped when a
    // previous instance is given). 0 when there is no application object or a class fails.
    static int RegisterWindowClasses(HINSTANCE instance, HINSTANCE previousInstance,
                                     LPSTR commandLine, int showCommand);
    // The body of WinMain: register, initialise, run the loop, clean up.
    static int ProgramEntry(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                            int showCommand);

private:
    // Read by every thread (owner of the failure box, default parent of frames).
    std::atomic<CBasicWindow*> m_mainWindow{nullptr};
    HINSTANCE m_instance = nullptr;
    HANDLE m_process = nullptr;
    HINSTANCE m_previousInstance = nullptr;
    const char* m_commandLine = nullptr;
    HICON m_icon = nullptr;
    int m_showCommand = 0;
    HCURSOR m_arrowCursor = nullptr;
};
