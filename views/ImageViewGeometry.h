// The image view's arithmetic, kept apart from its window: which scroll bars
// an image needs and their values, the visible part of the image and where it
// goes, the new position after a scroll request, and the arguments of the one
// StretchDIBits call that paints the image.
#pragma once

#include <cstdint>

namespace imageview {

struct Rect {
    std::int32_t x0 = 0;
    std::int32_t y0 = 0;
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

// Source in image coordinates (rows counted from the top); destination in client coordinates.
struct Rectangles {
    Rect source;
    Rect destination;
    // 1 when the image is narrower or lower than the client area: bands around it.
    int border = 0;

    friend bool operator==(const Rectangles&, const Rectangles&) = default;
};

// One scroll bar as SetScrollInfo gets it; all zero hides the bar.
struct ScrollBarValues {
    std::int32_t maximum = 0;
    std::uint32_t page = 0;
    std::int32_t position = 0;

    friend bool operator==(const ScrollBarValues&, const ScrollBarValues&) = default;
};

struct AxisLayout {
    std::int32_t range = 0;  // largest scroll position; 0: the image fits, no bar
    std::int32_t position = 0;
    ScrollBarValues bar;

    friend bool operator==(const AxisLayout&, const AxisLayout&) = default;
};

struct ScrollLayoutInput {
    std::int32_t clientWidth = 0;  // as GetClientRect gives it, bars taken off
    std::int32_t clientHeight = 0;
    bool verticalBarShown = false;
    bool horizontalBarShown = false;
    std::int32_t verticalBarWidth = 0;     // SM_CXVSCROLL
    std::int32_t horizontalBarHeight = 0;  // SM_CYHSCROLL
    std::int32_t imageWidth = 0;
    std::int32_t imageHeight = 0;
    std::int32_t positionX = 0;
    std::int32_t positionY = 0;
};

struct ScrollLayout {
    // The client area left once the needed bars are there.
    std::int32_t width = 0;
    std::int32_t height = 0;
    AxisLayout horizontal;
    AxisLayout vertical;
    Rectangles rectangles;

    friend bool operator==(const ScrollLayout&, const ScrollLayout&) = default;
};

// The image shown 1:1: the part that fits into width x height from the scroll position on,
// or the whole image centred when it is smaller.
Rectangles ComputeRectangles(std::int32_t width, std::int32_t height, std::int32_t imageWidth,
                             std::int32_t imageHeight, std::int32_t positionX,
                             std::int32_t positionY);

// Decides the bars for an image shown 1:1 and computes their values, the positions kept
// within the new ranges, and the rectangles.
ScrollLayout LayOutScrollBars(const ScrollLayoutInput& input);

// The position after a scroll bar request (SB_LINEUP ... SB_THUMBTRACK), within 0..range.
// thumb is the high half of the message's wParam.
std::int32_t ScrollRequestPosition(int code, std::uint16_t thumb, std::int32_t position,
                                   std::int32_t range);

struct StretchArguments {
    std::int32_t destinationX = 0;
    std::int32_t destinationY = 0;
    std::int32_t destinationWidth = 0;
    std::int32_t destinationHeight = 0;
    std::int32_t sourceX = 0;
    std::int32_t sourceY = 0;  // counted from the bottom edge of the image
    std::int32_t sourceWidth = 0;
    std::int32_t sourceHeight = 0;

    friend bool operator==(const StretchArguments&, const StretchArguments&) = default;
};

struct StretchInput {
    bool scrollMode = false;
    Rect client;
    Rectangles rectangles;
    std::int32_t imageWidth = 0;
    std::int32_t imageHeight = 0;
    std::int32_t rangeX = 0;
    std::int32_t rangeY = 0;
};

// Without scroll mode the whole image stretched over the client area; with it the
// rectangles 1:1. Scrolled to the left and the bottom with both bars, the bottom image
// row is left out.
StretchArguments SelectStretchArguments(const StretchInput& input);

// The four bands around a centred image: above, left, right, below.
struct Bands {
    Rect band[4];
};
Bands ComputeBands(const Rect& client, const Rect& destination);

}  // namespace imageview
