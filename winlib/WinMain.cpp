// The program entry of a program built on the library; test programs have their own main.
#include <windows.h>

#include "winlib/CApplication.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand) {
    return CApplication::ProgramEntry(instance, previousInstance, commandLine, showCommand);
}
