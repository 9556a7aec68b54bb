#include "winlib/CRectangle.h"

void CRectangle::SetDefaultPosition() {
    left = static_cast<long>(CW_USEDEFAULT);
    top = 0;
    right = 0;
    bottom = 0;
}

void CRectangle::Set(const RECT& rect) {
    left = rect.left;
    top = rect.top;
    right = rect.right;
    bottom = rect.bottom;
}

RECT CRectangle::ToRect() const {
    RECT rect;
    rect.left = left;
    rect.top = top;
    rect.right = right;
    rect.bottom = bottom;
    return rect;
}

void CRectangle::SetSize(long width, long height) {
    right = left + width;
    bottom = top + height;
}

void CRectangle::MoveTo(long x, long y) {
    const long width = Width();
    const long height = Height();
    left = x;
    top = y;
    SetSize(width, height);
}
