// Classes: ViewerApp
//
// The program's application object: starts the bus library and the main
// window, and shuts the library down at the end.
#pragma once

#include "winlib/CApplication.h"

class ViewerApp : public CApplication {
public:
    int InitInstance() override;
    int ExitInstance() override;
};
