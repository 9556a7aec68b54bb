// The library's own failure box: "DEBUGOUT" with a short fixed text and a number.
#pragma once

// Shows "<text>(<number>)" in a message box owned by the main window, if any.
void DebugMessage(const char* text, long number);
