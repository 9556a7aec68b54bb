// TestPattern: the generated image a simulated camera sends.
//
// Colour bars (white, yellow, cyan, green, magenta, red, blue, black from
// left to right) moving right, a grey ramp below them, and a band of bars
// moving left at the bottom, with the frame number in the top left corner.
// Motion shows frame order and tearing, the bars show the colour order.
//
// Cheap per frame: the distinct rows are encoded once per geometry and colour
// coding; a frame is one copy per row from a moving offset plus the small
// counter overlay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

struct Rgb {
    std::uint8_t r, g, b;
};

class TestPattern {
public:
    TestPattern(std::uint32_t width, std::uint32_t height, std::uint8_t coding);

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    std::uint8_t Coding() const { return coding_; }
    std::uint64_t FrameBytes() const { return frameBytes_; }

    // Writes frame `number`: min(FrameBytes(), capacity) bytes. Returns the count.
    std::size_t Render(std::uint64_t number, std::uint8_t* out, std::size_t capacity) const;

    // The colour the pattern shows at (x, y) in frame `number` before encoding.
    Rgb PixelColour(std::uint32_t x, std::uint32_t y, std::uint64_t number) const;

    // Pixels the bars move per frame.
    static constexpr std::uint32_t kStepPixels = 8;
    // The eight bar colours from left to right.
    static const Rgb kBars[8];
    // The width of one bar in pixels.
    std::uint32_t BarWidth() const { return period_ / 8; }

private:
    enum Band : std::uint8_t { kBarsRight, kRamp, kBarsLeft };
    Band BandOf(std::uint32_t y) const;
    std::uint32_t Shift(Band band, std::uint64_t number) const;
    Rgb BaseColour(std::uint32_t virtualX, Band band) const;
    bool OverlayCell(std::uint32_t x, std::uint32_t y, std::uint64_t number, bool* white) const;
    std::size_t RenderFast(std::uint64_t number, std::uint8_t* out, std::size_t capacity) const;
    std::size_t RenderGeneral(std::uint64_t number, std::uint8_t* out, std::size_t capacity) const;

    std::uint32_t width_;
    std::uint32_t height_;
    std::uint8_t coding_;
    std::uint64_t frameBytes_;
    std::uint32_t period_;  // pixels after which the bars repeat
    std::uint32_t cell_;    // overlay cell size in pixels
    bool fast_;
    std::size_t rowBytes_ = 0;
    std::vector<std::uint8_t> rows_[3];  // encoded rows of width + period pixels
    std::vector<std::uint8_t> whiteCell_, blackCell_;
};

// Encodes `count` pixels in sequence in an IIDC colour coding; YUV-411 and
// YUV-422 take their chroma from the first pixel of each group. Returns the
// bytes written (ImageBytes of the count).
std::size_t EncodePixels(const Rgb* pixels, std::size_t count, std::uint8_t coding,
                         std::uint8_t* out);

}  // namespace sim
