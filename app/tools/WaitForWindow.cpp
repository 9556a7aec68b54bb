// Waits until a visible top-level window with the given class and title exists
// on a desktop of this window station (Wine's virtual desktops are desktops).
// Used by the run script to know when to take its screenshot.
//
//   WaitForWindow DESKTOP CLASS TITLE TIMEOUT_MS
//
// Exit code 0 when the window showed, 1 when the time passed, 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Search {
    const char* className;
    const char* title;
    bool found;
};

BOOL CALLBACK Check(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    char name[256] = {};
    char title[256] = {};
    GetClassNameA(window, name, sizeof(name));
    GetWindowTextA(window, title, sizeof(title));
    if (std::strcmp(name, search->className) == 0 && std::strcmp(title, search->title) == 0 &&
        IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool Shows(const char* desktopName, Search* search) {
    HDESK desktop = OpenDesktopA(desktopName, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (desktop == nullptr) {
        return false;
    }
    EnumDesktopWindows(desktop, &Check, reinterpret_cast<LPARAM>(search));
    CloseDesktop(desktop);
    return search->found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: WaitForWindow DESKTOP CLASS TITLE TIMEOUT_MS\n");
        return 2;
    }
    const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10));
    const DWORD start = GetTickCount();
    for (;;) {
        Search search{argv[2], argv[3], false};
        if (Shows(argv[1], &search)) {
            return 0;
        }
        if (GetTickCount() - start >= timeout) {
            return 1;
        }
        Sleep(100);
    }
}
