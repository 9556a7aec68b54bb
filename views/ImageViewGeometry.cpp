#include "views/ImageViewGeometry.h"

#include <algorithm>

namespace imageview {

namespace {

constexpr int kLineUp = 0;
constexpr int kLineDown = 1;
constexpr int kPageUp = 2;
constexpr int kPageDown = 3;
constexpr int kThumbTrack = 5;
constexpr std::int32_t kPageStep = 20;

// One axis of the 1:1 image: the scroll range, the position kept in it, and the bar.
AxisLayout LayOutAxis(std::int32_t visible, std::int32_t image, std::int32_t position) {
    AxisLayout axis;
    const std::int32_t d = image - visible;
    if (d <= 0) {
        return axis;
    }
    axis.range = d;
    axis.position = std::clamp(position, 0, d);
    // The thumb then travels exactly 0..d.
    const auto page =
        static_cast<std::uint32_t>((std::uint64_t(d) + 1) * static_cast<std::uint32_t>(visible) /
                                   static_cast<std::uint32_t>(d));
    axis.bar.page = page;
    axis.bar.maximum = static_cast<std::int32_t>(page) + d - 1;
    axis.bar.position = axis.position;
    return axis;
}

}  // namespace

Rectangles ComputeRectangles(std::int32_t width, std::int32_t height, std::int32_t imageWidth,
                             std::int32_t imageHeight, std::int32_t positionX,
                             std::int32_t positionY) {
    Rectangles r;
    if (width < imageWidth) {
        r.source.x0 = positionX;
        r.source.x1 = positionX + width;
        r.destination.x0 = 0;
        r.destination.x1 = width;
    } else {
        r.border = 1;
        r.source.x0 = 0;
        r.source.x1 = imageWidth;
        r.destination.x0 = (width - imageWidth) / 2;
        r.destination.x1 = r.destination.x0 + imageWidth;
    }
    if (height < imageHeight) {
        r.source.y0 = positionY;
        r.source.y1 = positionY + height;
        r.destination.y0 = 0;
        r.destination.y1 = height;
    } else {
        r.border = 1;
        r.source.y0 = 0;
        r.source.y1 = imageHeight;
        r.destination.y0 = (height - imageHeight) / 2;
        r.destination.y1 = r.destination.y0 + imageHeight;
    }
    return r;
}

// A window too small for its bars would leave a negative size; it counts as none.
ScrollLayout LayOutScrollBars(const ScrollLayoutInput& in) {
    std::int32_t w = in.clientWidth + (in.verticalBarShown ? in.verticalBarWidth : 0);
    std::int32_t h = in.clientHeight + (in.horizontalBarShown ? in.horizontalBarHeight : 0);
    const bool horizontalNeeded = w < in.imageWidth;
    if (horizontalNeeded) {
        h -= in.horizontalBarHeight;
    }
    if (h < in.imageHeight) {
        w -= in.verticalBarWidth;
        if (!horizontalNeeded && w < in.imageWidth) {
            h -= in.horizontalBarHeight;
        }
    }
    w = std::max(w, 0);
    h = std::max(h, 0);

    ScrollLayout layout;
    layout.width = w;
    layout.height = h;
    layout.horizontal = LayOutAxis(w, in.imageWidth, in.positionX);
    layout.vertical = LayOutAxis(h, in.imageHeight, in.positionY);
    layout.rectangles = ComputeRectangles(w, h, in.imageWidth, in.imageHeight,
                                          layout.horizontal.position, layout.vertical.position);
    return layout;
}

std::int32_t ScrollRequestPosition(int code, std::uint16_t thumb, std::int32_t position,
                                   std::int32_t range) {
    switch (code) {
        case kLineUp:
            return std::max(position - 1, 0);
        case kLineDown:
            return std::min(position + 1, range);
        case kPageUp:
            return std::max(position - kPageStep, 0);
        case kPageDown:
            return std::min(position + kPageStep, range);
        case kThumbTrack:
            // The message carries 16 bits; a value outside the range is never a position.
            return std::clamp<std::int32_t>(static_cast<std::int16_t>(thumb), 0, range);
        default:
            return position;
    }
}

StretchArguments SelectStretchArguments(const StretchInput& in) {
    StretchArguments a;
    if (!in.scrollMode) {
        a.destinationX = in.client.x0;
        a.destinationY = in.client.y0;
        a.destinationWidth = in.client.x1 - in.client.x0;
        a.destinationHeight = in.client.y1 - in.client.y0;
        a.sourceWidth = in.imageWidth;
        a.sourceHeight = in.imageHeight;
        return a;
    }
    const Rect& s = in.rectangles.source;
    const Rect& d = in.rectangles.destination;
    a.destinationX = d.x0;
    a.destinationY = d.y0;
    a.destinationWidth = d.x1 - d.x0;
    a.sourceX = s.x0;
    a.sourceWidth = s.x1 - s.x0;
    if (s.x0 == 0 && s.y1 == in.imageHeight && in.rangeX != 0 && in.rangeY != 0) {
        a.destinationHeight = d.y1 - d.y0 - 1;
        a.sourceY = in.imageHeight - s.y1 + 1;
        a.sourceHeight = s.y1 - s.y0 - 1;
    } else {
        a.destinationHeight = d.y1 - d.y0;
        a.sourceY = in.imageHeight - s.y1;
        a.sourceHeight = s.y1 - s.y0;
    }
    return a;
}

Bands ComputeBands(const Rect& c, const Rect& d) {
    Bands b;
    b.band[0] = {c.x0, c.y0, c.x1, d.y0};
    b.band[1] = {c.x0, d.y0, d.x0, d.y1};
    b.band[2] = {d.x1, d.y0, c.x1, d.y1};
    b.band[3] = {c.x0, d.y1, c.x1, c.y1};
    return b;
}

}  // namespace imageview
