// Classes: TraceboxApp.
//
// The viewer program: one viewer at a time, which runs its dialog until a
// publisher tells it to quit.
#pragma once

#include <windows.h>

#include "tracebox/Application.h"

namespace tbx {

// Name of the registered message publishers send; title publishers look for.
inline constexpr char kTraceMessageName[] = "WMQMXTRACER";
inline constexpr char kViewerTitle[] = "Tracebox";

class TraceboxApp : public Application {
protected:
    void InitInstance() override;
};

// The first top-level window titled exactly "Tracebox", or null.
HWND FindRunningViewer();

}  // namespace tbx
