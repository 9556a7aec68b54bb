// Waits until a visible top-level window with the given class and title shows
// on this program's desktop, then creates the marker file. Started by the run
// script inside Wine's virtual desktop, which it cannot look into from outside.
//
//   WaitForWindow CLASS TITLE TIMEOUT_MS MARKER_FILE
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: WaitForWindow CLASS TITLE TIMEOUT_MS MARKER_FILE\n");
        return 2;
    }
    const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
    const DWORD start = GetTickCount();
    for (;;) {
        Search search{argv[1], argv[2], false};
        EnumWindows(&Check, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            HANDLE marker = CreateFileA(argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            if (marker != INVALID_HANDLE_VALUE) {
                CloseHandle(marker);
            }
            return 0;
        }
        if (GetTickCount() - start >= timeout) {
            return 1;
        }
        Sleep(100);
    }
}
