// The image view's arithmetic: scroll bar decisions and values, rectangles,
// scroll requests and the StretchDIBits arguments, as tables.
#include <gtest/gtest.h>

#include <ostream>

#include "views/ImageViewGeometry.h"

namespace imageview {

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "(" << r.x0 << "," << r.y0 << ")..(" << r.x1 << "," << r.y1 << ")";
}
std::ostream& operator<<(std::ostream& out, const Rectangles& r) {
    return out << "source " << r.source << " destination " << r.destination << " border "
               << r.border;
}
std::ostream& operator<<(std::ostream& out, const AxisLayout& a) {
    return out << "range " << a.range << " position " << a.position << " bar max " << a.bar.maximum
               << " page " << a.bar.page << " pos " << a.bar.position;
}
std::ostream& operator<<(std::ostream& out, const StretchArguments& a) {
    return out << "destination " << a.destinationX << "," << a.destinationY << " "
               << a.destinationWidth << "x" << a.destinationHeight << " source " << a.sourceX << ","
               << a.sourceY << " " << a.sourceWidth << "x" << a.sourceHeight;
}

namespace {

constexpr std::int32_t kBar = 16;  // bar width and height used by the tables

AxisLayout Axis(std::int32_t range, std::int32_t position, std::int32_t maximum,
                std::uint32_t page) {
    return AxisLayout{range, position, ScrollBarValues{maximum, page, position}};
}

struct LayoutCase {
    const char* name;
    std::int32_t clientWidth, clientHeight;
    bool verticalShown, horizontalShown;
    std::int32_t imageWidth, imageHeight;
    std::int32_t positionX, positionY;
    std::int32_t width, height;  // expected client without bars
    AxisLayout horizontal, vertical;
    Rectangles rectangles;
};

TEST(ImageViewGeometry, ScrollBarsFollowTheImageAndTheClientArea) {
    // 1280 x 960 in 640 x 480: both bars; 1280 - 624 = 656 columns and 960 - 464 = 496 rows
    // to scroll; pages (657 x 624) / 656 = 624 and (497 x 464) / 496 = 464.
    const AxisLayout wideH = Axis(656, 0, 624 + 656 - 1, 624);
    const AxisLayout wideV = Axis(496, 0, 464 + 496 - 1, 464);
    const LayoutCase cases[] = {
        {"640x480 in 800x600: centred, no bars",
         800,
         600,
         false,
         false,
         640,
         480,
         0,
         0,
         800,
         600,
         {},
         {},
         {{0, 0, 640, 480}, {80, 60, 720, 540}, 1}},
        {"same size: fits exactly",
         640,
         480,
         false,
         false,
         640,
         480,
         0,
         0,
         640,
         480,
         {},
         {},
         {{0, 0, 640, 480}, {0, 0, 640, 480}, 1}},
        {"odd band halves round down",
         801,
         601,
         false,
         false,
         640,
         480,
         0,
         0,
         801,
         601,
         {},
         {},
         {{0, 0, 640, 480}, {80, 60, 720, 540}, 1}},
        {"1280x960 in 640x480 without bars",
         640,
         480,
         false,
         false,
         1280,
         960,
         0,
         0,
         624,
         464,
         wideH,
         wideV,
         {{0, 0, 624, 464}, {0, 0, 624, 464}, 0}},
        {"1280x960 with both bars showing",
         624,
         464,
         true,
         true,
         1280,
         960,
         0,
         0,
         624,
         464,
         wideH,
         wideV,
         {{0, 0, 624, 464}, {0, 0, 624, 464}, 0}},
        {"positions beyond the ranges are pulled back",
         640,
         480,
         false,
         false,
         1280,
         960,
         5000,
         700,
         624,
         464,
         Axis(656, 656, 1279, 624),
         Axis(496, 496, 959, 464),
         {{656, 496, 1280, 960}, {0, 0, 624, 464}, 0}},
        {"positions within the ranges stay",
         624,
         464,
         true,
         true,
         1280,
         960,
         100,
         50,
         624,
         464,
         Axis(656, 100, 1279, 624),
         Axis(496, 50, 959, 464),
         {{100, 50, 724, 514}, {0, 0, 624, 464}, 0}},
        {"only too wide: horizontal bar, centred vertically",
         800,
         600,
         false,
         false,
         1000,
         100,
         0,
         0,
         800,
         584,
         Axis(200, 0, 804 + 200 - 1, 804),
         {},
         {{0, 0, 800, 100}, {0, 242, 800, 342}, 1}},
        {"only too high: vertical bar",
         800,
         600,
         false,
         false,
         100,
         1000,
         0,
         0,
         784,
         600,
         {},
         Axis(400, 0, 601 + 400 - 1, 601),
         {{0, 0, 100, 600}, {342, 0, 442, 600}, 1}},
        {"the vertical bar makes the horizontal one needed",
         800,
         600,
         false,
         false,
         790,
         1000,
         0,
         0,
         784,
         584,
         Axis(6, 0, 914 + 6 - 1, 914),
         Axis(416, 0, 585 + 416 - 1, 585),
         {{0, 0, 784, 584}, {0, 0, 784, 584}, 0}},
        {"bars no longer needed go",
         784,
         584,
         true,
         true,
         640,
         480,
         30,
         30,
         800,
         600,
         {},
         {},
         {{0, 0, 640, 480}, {80, 60, 720, 540}, 1}},
        {"a window smaller than its bars counts as empty",
         5,
         5,
         false,
         false,
         640,
         480,
         0,
         0,
         0,
         0,
         Axis(640, 0, 639, 0),
         Axis(480, 0, 479, 0),
         {{0, 0, 0, 0}, {0, 0, 0, 0}, 0}},
        {"a minimised window",
         0,
         0,
         true,
         true,
         640,
         480,
         10,
         10,
         0,
         0,
         Axis(640, 10, 639, 0),
         Axis(480, 10, 479, 0),
         {{10, 10, 10, 10}, {0, 0, 0, 0}, 0}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScrollLayoutInput input;
        input.clientWidth = c.clientWidth;
        input.clientHeight = c.clientHeight;
        input.verticalBarShown = c.verticalShown;
        input.horizontalBarShown = c.horizontalShown;
        input.verticalBarWidth = kBar;
        input.horizontalBarHeight = kBar;
        input.imageWidth = c.imageWidth;
        input.imageHeight = c.imageHeight;
        input.positionX = c.positionX;
        input.positionY = c.positionY;
        const ScrollLayout layout = LayOutScrollBars(input);
        EXPECT_EQ(layout.width, c.width);
        EXPECT_EQ(layout.height, c.height);
        EXPECT_EQ(layout.horizontal, c.horizontal);
        EXPECT_EQ(layout.vertical, c.vertical);
        EXPECT_EQ(layout.rectangles, c.rectangles);
        // The thumb travels exactly over the range.
        for (const AxisLayout* axis : {&layout.horizontal, &layout.vertical}) {
            if (axis->range != 0) {
                EXPECT_EQ(axis->bar.maximum - static_cast<std::int32_t>(axis->bar.page) + 1,
                          axis->range);
            }
        }
        // Never scaled in scroll mode.
        const Rectangles& r = layout.rectangles;
        EXPECT_EQ(r.source.x1 - r.source.x0, r.destination.x1 - r.destination.x0);
        EXPECT_EQ(r.source.y1 - r.source.y0, r.destination.y1 - r.destination.y0);
    }
}

TEST(ImageViewGeometry, ScrollRequestsStepAndStopAtTheEnds) {
    struct Case {
        const char* name;
        int code;
        std::uint16_t thumb;
        std::int32_t position, range, expected;
    };
    const Case cases[] = {
        {"line left", 0, 0, 5, 10, 4},
        {"line left at 0 stays", 0, 0, 0, 10, 0},
        {"line right", 1, 0, 9, 10, 10},
        {"line right at the range stays", 1, 0, 10, 10, 10},
        {"page left", 2, 0, 25, 100, 5},
        {"page left stops at 0", 2, 0, 5, 100, 0},
        {"page right", 3, 0, 70, 100, 90},
        {"page right stops at the range", 3, 0, 90, 100, 100},
        {"thumb track moves directly", 5, 37, 0, 100, 37},
        {"thumb track to 0", 5, 0, 37, 100, 0},
        {"thumb track beyond the range stops there", 5, 200, 0, 100, 100},
        {"thumb track is a signed 16-bit value", 5, 0xFFFF, 5, 100, 0},
        {"thumb position changes nothing", 4, 50, 5, 100, 5},
        {"top changes nothing", 6, 0, 5, 100, 5},
        {"bottom changes nothing", 7, 0, 5, 100, 5},
        {"end scroll changes nothing", 8, 0, 5, 100, 5},
        {"no range: line right stays at 0", 1, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ScrollRequestPosition(c.code, c.thumb, c.position, c.range), c.expected);
    }
}

TEST(ImageViewGeometry, StretchArgumentsForEachMode) {
    struct Case {
        const char* name;
        StretchInput input;
        StretchArguments expected;
    };
    const Rect client{0, 0, 800, 600};
    const Case cases[] = {
        {"scroll mode off: the whole image over the client area",
         {false, client, {{0, 0, 624, 464}, {0, 0, 624, 464}, 0}, 640, 480, 3, 4},
         {0, 0, 800, 600, 0, 0, 640, 480}},
        {"centred: 1:1 at the destination",
         {true, client, {{0, 0, 640, 480}, {80, 60, 720, 540}, 1}, 640, 480, 0, 0},
         {80, 60, 640, 480, 0, 0, 640, 480}},
        {"scrolled: source y counted from the bottom",
         {true, client, {{100, 50, 724, 514}, {0, 0, 624, 464}, 0}, 1280, 960, 656, 496},
         {0, 0, 624, 464, 100, 446, 624, 464}},
        {"left and bottom with both bars: one row shorter",
         {true, client, {{0, 496, 624, 960}, {0, 0, 624, 464}, 0}, 1280, 960, 656, 496},
         {0, 0, 624, 463, 0, 1, 624, 463}},
        {"left and bottom with only a vertical bar: whole",
         {true, client, {{0, 400, 100, 1000}, {342, 0, 442, 600}, 1}, 100, 1000, 0, 400},
         {342, 0, 100, 600, 0, 0, 100, 600}},
        {"right and bottom with both bars: whole",
         {true, client, {{656, 496, 1280, 960}, {0, 0, 624, 464}, 0}, 1280, 960, 656, 496},
         {0, 0, 624, 464, 656, 0, 624, 464}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SelectStretchArguments(c.input), c.expected);
    }
}

TEST(ImageViewGeometry, BandsSurroundTheCentredImage) {
    const Bands bands = ComputeBands({0, 0, 800, 600}, {80, 60, 720, 540});
    EXPECT_EQ(bands.band[0], (Rect{0, 0, 800, 60}));
    EXPECT_EQ(bands.band[1], (Rect{0, 60, 80, 540}));
    EXPECT_EQ(bands.band[2], (Rect{720, 60, 800, 540}));
    EXPECT_EQ(bands.band[3], (Rect{0, 540, 800, 600}));
}

}  // namespace
}  // namespace imageview
