// Classes: Brush.
//
// A GDI brush owned by its object: deleted by Delete or on destruction.
#pragma once

#include <windows.h>

namespace tbx {

class Brush {
public:
    Brush() = default;
    ~Brush() { Delete(); }
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;

    // Replaces any brush held; false when GDI could not create it.
    bool CreateSolid(COLORREF colour);
    void Delete();

    HBRUSH Handle() const { return brush_; }

private:
    HBRUSH brush_ = nullptr;
};

}  // namespace tbx
