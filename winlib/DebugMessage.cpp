#include "winlib/DebugMessage.h"

#include <windows.h>

#include <cstdio>

#include "winlib/CApplication.h"
#include "winlib/CBasicWindow.h"

void DebugMessage(const char* text, long number) {
    // Bounded formatting: a long text is cut, never written past the buffer.
    char buffer[120];
    std::snprintf(buffer, sizeof buffer, "%s(%ld)", text ? text : "", number);
    HWND owner = nullptr;
    if (CApplication* app = CApplication::Instance()) {
        if (CBasicWindow* main = app->MainWindow()) {
            owner = main->Handle();
        }
    }
    MessageBoxA(owner, buffer, "DEBUGOUT", MB_OK);
}
