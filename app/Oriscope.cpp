// The program's one application object; WinMain comes with the window library.
#include "app/ViewerApp.h"

namespace {

ViewerApp theViewerApp;

}  // namespace
