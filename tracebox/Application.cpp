#include "tracebox/Application.h"

namespace tbx {

int Application::Run(HINSTANCE instance) {
    instance_ = instance;
    InitInstance();
    return ExitInstance();
}

HICON Application::LoadIconResource(int id) const {
    return LoadIconA(instance_, MAKEINTRESOURCEA(id));
}

}  // namespace tbx
