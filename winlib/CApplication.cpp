#include "winlib/CApplication.h"

#include "winlib/CBasicWindow.h"
#include "winlib/DebugMessage.h"

namespace {

std::atomic<CApplication*> g_application{nullptr};

struct WindowClassSpec {
    const char* name;
    UINT style;
    HBRUSH background;
};

// The library's window classes, registered in this order. Nothing creates a window of the
// third class, but programs have always registered it at start-up.
const WindowClassSpec kWindowClasses[] = {
    {"Brask32BasicWindow", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, nullptr},
    {"Brask32ControlWindow", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
    {"Brask32MDIFraemWindow", CS_DBLCLKS, nullptr},
    {"Brask32FrameOrViewWindow", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
     reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)},
};

}  // namespace

CApplication::CApplication() {
    g_application.store(this);
}

CApplication::~CApplication() {
    CApplication* self = this;
    g_application.compare_exchange_strong(self, nullptr);
}

CApplication* CApplication::Instance() {
    return g_application.load();
}

int CApplication::RegisterWindowClasses(HINSTANCE instance, HINSTANCE previousInstance,
                                        LPSTR commandLine, int showCommand) {
    CApplication* app = Instance();
    if (app == nullptr) {
        DebugMessage("NO APPLICATION OBJECT", 0);
        return 0;
    }
    app->m_instance = instance;
    app->m_previousInstance = previousInstance;
    app->m_commandLine = commandLine;
    app->m_showCommand = showCommand;
    app->m_process = GetCurrentProcess();
    app->m_arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
    if (previousInstance != nullptr) {
        return 1;
    }
    app->m_icon = LoadIconA(instance, "MAINICON");
    for (const WindowClassSpec& spec : kWindowClasses) {
        WNDCLASSA windowClass{};
        windowClass.style = spec.style;
        windowClass.lpfnWndProc = BasicWindowProc;
        windowClass.cbClsExtra = 0;
        windowClass.cbWndExtra = CBasicWindow::kWindowExtraBytes;
        windowClass.hInstance = instance;
        windowClass.hIcon = app->m_icon;
        windowClass.hCursor = app->m_arrowCursor;
        windowClass.hbrBackground = spec.background;
        windowClass.lpszMenuName = nullptr;
        windowClass.lpszClassName = spec.name;
        if (RegisterClassA(&windowClass) == 0) {
            return 0;
        }
    }
    return 1;
}

int CApplication::ProgramEntry(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                               int showCommand) {
    if (!RegisterWindowClasses(instance, previousInstance, commandLine, showCommand)) {
        return -1;
    }
    CApplication* app = Instance();
    if (previousInstance == nullptr && !app->InitApplication()) {
        return -1;
    }
    int result = 0;
    if (app->InitInstance()) {
        result = app->Run();
        app->ExitInstance();
    } else {
        result = app->ExitInstance();
    }
    if (app->m_icon != nullptr) {
        DestroyIcon(app->m_icon);
        app->m_icon = nullptr;
    }
    return result;
}

// With the default OnIdle the loop simply waits in GetMessageA.
int CApplication::Run() {
    for (;;) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && OnIdle()) {
            continue;
        }
        if (!PumpMessage()) {
            return 0;
        }
    }
}

int CApplication::PumpMessage() {
    MSG message;
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
        return 0;
    }
    if (!PreTranslate(&message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 1;
}

// This is how dialogs and forms get IsDialogMessageA for their keyboard interface.
int CApplication::PreTranslate(MSG* message) {
    CBasicWindow* main = MainWindow();
    for (HWND window = message->hwnd; window != nullptr; window = GetParent(window)) {
        if (!CBasicWindow::IsLibraryWindow(window)) {
            continue;
        }
        CBasicWindow* object = CBasicWindow::ObjectOf(window);
        if (object == nullptr) {
            continue;
        }
        if (object->PreTranslate(message)) {
            return 1;
        }
        if (object == main) {
            return 0;
        }
    }
    return main != nullptr ? main->PreTranslate(message) : 0;
}
