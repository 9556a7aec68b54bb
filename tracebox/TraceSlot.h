// Classes: TraceSlot.
//
// One publisher's slot: its shared memory block, opened read-only, and the
// text gathered from it so far.
#pragma once

#include <windows.h>

#include <string>

namespace tbx {

struct TraceSlot {
    HANDLE mapping = nullptr;    // null while the slot is not open
    const char* view = nullptr;  // null while not mapped
    std::string text;            // survives close; newest line first
    bool counted = false;        // counted among the open slots

    // Opens the block "TRACER<slot>" and maps all of it. Returns 0, or the
    // system's error code; on failure the slot keeps what it had. A slot that
    // was open already gives up its previous block for the new one.
    DWORD Open(int slot);
    // Unmaps and closes the block; false when the slot was not open.
    bool Close();
    // The zero-terminated text at the start of the view, empty without one.
    std::string ReadText() const;
};

// The text at `view`, up to its terminating zero but never past the end of
// the readable pages the view starts with: a publisher that leaves the block
// unterminated gets its text cut at the end of the view.
std::string ReadBoundedText(const char* view);

}  // namespace tbx
