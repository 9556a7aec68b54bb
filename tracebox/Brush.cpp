#include "tracebox/Brush.h"

namespace tbx {

bool Brush::CreateSolid(COLORREF colour) {
    Delete();
    brush_ = CreateSolidBrush(colour);
    return brush_ != nullptr;
}

void Brush::Delete() {
    if (brush_ != nullptr) {
        DeleteObject(brush_);
        brush_ = nullptr;
    }
}

}  // namespace tbx
