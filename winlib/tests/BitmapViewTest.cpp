// CBitmapView: palette from the colour table, the bitmap scaled to the client
// area and drawn upright whatever its row order, SetBits, and painting.
#include <windows.h>

#include <cstring>
#include <vector>

#include "WinlibTestSupport.h"
#include "winlib/CBitmapView.h"
#include "winlib/CFrameWindow.h"

namespace {

constexpr int kWidth = 4;

// An 8-bit bitmap of kWidth x height: the top quarter of the image (at least one row) is
// colour 1, the bottom quarter colour 2, the rows between colour 0.
struct TestBitmap {
    TestBitmap(int height, bool topDown) : pixels(static_cast<size_t>(kWidth) * height, 0) {
        std::memset(&info, 0, sizeof info);
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = kWidth;
        info.header.biHeight = topDown ? -height : height;
        info.header.biPlanes = 1;
        info.header.biBitCount = 8;
        info.header.biCompression = BI_RGB;
        info.header.biClrUsed = 3;
        info.colours[0] = {0x80, 0x80, 0x80, 0};  // grey (blue, green, red)
        info.colours[1] = {0x00, 0x00, 0xFF, 0};  // red
        info.colours[2] = {0xFF, 0x00, 0x00, 0};  // blue
        const int band = height >= 4 ? height / 4 : 1;
        for (int imageRow = 0; imageRow < height; ++imageRow) {
            const unsigned char colour = imageRow < band ? 1 : imageRow >= height - band ? 2 : 0;
            // Rows of a bottom-up bitmap are stored from the bottom of the image.
            const int stored = topDown ? imageRow : height - 1 - imageRow;
            std::memset(&pixels[static_cast<size_t>(stored) * kWidth], colour, kWidth);
        }
    }
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(&info); }

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[3];
    } info;
    std::vector<unsigned char> pixels;
};

// The view's OnDraw, run on a 32-bit memory bitmap of the client size.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_previous = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas() {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC DC() const { return m_dc; }
    // 0x00RRGGBB
    unsigned Pixel(int x, int y) const {
        GdiFlush();
        return static_cast<const unsigned*>(m_bits)[y * m_width + x] & 0xFFFFFF;
    }

private:
    int m_width;
    HDC m_dc;
    HBITMAP m_bitmap;
    void* m_bits = nullptr;
    HGDIOBJ m_previous;
};

class CountingView : public CBitmapView {
public:
    void OnDraw() override {
        ++draws;
        CBitmapView::OnDraw();
    }
    void AfterDraw() override { ++afterDraws; }
    int draws = 0;
    int afterDraws = 0;
};

class WinlibBitmapView : public WinlibTest {
protected:
    void SetUp() override {
        WinlibTest::SetUp();
        view = new CountingView;
        frame = new CFrameWindow;
        const CRectangle place(0, 0, 100, 100);
        ASSERT_EQ(frame->CreateFrame(nullptr, "bitmap", WS_POPUP | WS_VISIBLE, &place, nullptr,
                                     nullptr, 0, view),
                  1);
        RECT client;
        GetClientRect(view->Handle(), &client);
        width = client.right;
        height = client.bottom;
    }
    void TearDown() override {
        DestroyWindow(frame->Handle());
        WinlibTest::TearDown();
    }

    CFrameWindow* frame = nullptr;
    CountingView* view = nullptr;
    int width = 0;
    int height = 0;
};

TEST_F(WinlibBitmapView, PaletteIsBuiltFromTheColourTable) {
    TestBitmap bitmap(2, false);
    view->SetBitmap(bitmap.Info(), bitmap.pixels.data(), DIB_RGB_COLORS);
    ASSERT_NE(view->Palette(), nullptr);
    PALETTEENTRY entries[4] = {};
    ASSERT_EQ(GetPaletteEntries(view->Palette(), 0, 4, entries), 3u);
    EXPECT_EQ(entries[1].peRed, 0xFF);
    EXPECT_EQ(entries[1].peBlue, 0x00);
    EXPECT_EQ(entries[2].peBlue, 0xFF);
    EXPECT_EQ(entries[2].peFlags, 0);

    view->SetBitmap(nullptr, bitmap.pixels.data(), DIB_RGB_COLORS);
    EXPECT_EQ(view->Palette(), nullptr) << "no bitmap, no palette";
    EXPECT_FALSE(view->HasBitmap());
}

struct OrientationCase {
    const char* name;
    int height;
    bool topDown;
};

TEST_F(WinlibBitmapView, TopDownAndBottomUpBitmapsAreBothDrawnUprightOverTheClientArea) {
    const OrientationCase cases[] = {{"bottom-up 2", 2, false},
                                     {"top-down 2", 2, true},
                                     {"bottom-up 480", 480, false},
                                     {"top-down 480", 480, true}};
    for (const OrientationCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestBitmap bitmap(c.height, c.topDown);
        view->SetBitmap(bitmap.Info(), bitmap.pixels.data(), DIB_RGB_COLORS);
        Canvas canvas(width, height);
        view->SetPaintDC(canvas.DC());
        view->OnDraw();
        EXPECT_EQ(canvas.Pixel(0, 0), 0xFF0000u) << "red on top";
        EXPECT_EQ(canvas.Pixel(width - 1, 0), 0xFF0000u);
        EXPECT_EQ(canvas.Pixel(width / 2, height - 1), 0x0000FFu) << "blue at the bottom";
        if (c.height > 2) {
            EXPECT_EQ(canvas.Pixel(width / 2, height / 2), 0x808080u) << "grey in the middle";
        }
    }
}

TEST_F(WinlibBitmapView, SetBitsSwapsThePixelsAndKeepsThePalette) {
    TestBitmap bitmap(2, false);
    TestBitmap other(2, true);
    view->SetBitmap(bitmap.Info(), bitmap.pixels.data(), DIB_RGB_COLORS);
    const HPALETTE palette = view->Palette();
    EXPECT_EQ(view->SetBits(other.pixels.data(), 1), bitmap.pixels.data());
    EXPECT_EQ(view->GetBits(), other.pixels.data());
    EXPECT_EQ(view->Palette(), palette);

    CBitmapView windowless;
    windowless.SetAutoDelete(false);
    EXPECT_EQ(windowless.SetBits(bitmap.pixels.data(), 1), nullptr);
    EXPECT_EQ(windowless.GetBits(), bitmap.pixels.data());
}

TEST_F(WinlibBitmapView, PaintDrawsUnlessAnExternalDeviceContextIsSet) {
    TestBitmap bitmap(2, false);
    view->SetBitmap(bitmap.Info(), bitmap.pixels.data(), DIB_RGB_COLORS);
    UpdateWindow(view->Handle());
    view->draws = 0;
    view->afterDraws = 0;
    InvalidateRect(view->Handle(), nullptr, FALSE);
    UpdateWindow(view->Handle());
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(view->afterDraws, 1);

    view->SetExternalDC(GetDC(nullptr));
    InvalidateRect(view->Handle(), nullptr, FALSE);
    UpdateWindow(view->Handle());
    EXPECT_EQ(view->draws, 1);
    ReleaseDC(nullptr, view->DrawingDC());
    view->ClearExternalDC();
    EXPECT_EQ(view->HasExternalDC(), 0);
}

TEST_F(WinlibBitmapView, FrameErasesNothingBehindItsView) {
    EXPECT_EQ(SendMessageA(frame->Handle(), WM_ERASEBKGND,
                           reinterpret_cast<WPARAM>(GetDC(frame->Handle())), 0),
              1);
}

}  // namespace
