// Classes: Application.
//
// The program object in the place an application framework would give us:
// it is handed the instance on start, does the program's work in InitInstance
// (a dialog program runs its dialog there) and gives the exit code from
// ExitInstance.
#pragma once

#include <windows.h>

namespace tbx {

class Application {
public:
    Application() = default;
    virtual ~Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the whole program and returns its exit code.
    int Run(HINSTANCE instance);

    HINSTANCE Instance() const { return instance_; }

    // Loads an icon resource of this program; null when there is none.
    HICON LoadIconResource(int id) const;

protected:
    // Overridables.
    virtual void InitInstance() = 0;
    virtual int ExitInstance() { return exitCode_; }

    void SetExitCode(int code) { exitCode_ = code; }

private:
    HINSTANCE instance_ = nullptr;
    int exitCode_ = 0;
};

}  // namespace tbx
