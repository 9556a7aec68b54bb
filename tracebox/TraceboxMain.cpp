#include <windows.h>

#include "tracebox/TraceboxApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    tbx::TraceboxApp app;
    return app.Run(instance);
}
