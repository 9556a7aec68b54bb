// ImageView in a real frame window under Wine: creation, the bitmap
// description, scroll bars and scrolling, painting read back from the screen,
// the hand-over of frames, and bitmap files read back by a reader of our own.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "WinlibTestSupport.h"
#include "views/ImageView.h"
#include "winlib/CFrameWindow.h"

namespace {

constexpr unsigned kBand = 0x404040;

// Colour test image: every pixel differs from its neighbours in each direction.
std::uint8_t Blue(std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint8_t>(x * 5 + y);
}
std::uint8_t Green(std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint8_t>(y * 3 + x / 7);
}
std::uint8_t Red(std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint8_t>((x ^ y) + (x >> 8) * 16 + (y >> 8) * 64);
}
std::uint8_t Grey(std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint8_t>(x * 7 + y * 13 + (x >> 8) * 5);
}

// 0x00RRGGBB of the test image at (x, y).
unsigned Expected(std::uint32_t bytesPerPixel, std::uint32_t x, std::uint32_t y) {
    if (bytesPerPixel == 1) {
        return Grey(x, y) * 0x010101u;
    }
    return (unsigned{Red(x, y)} << 16) | (unsigned{Green(x, y)} << 8) | Blue(x, y);
}

void FillTestImage(std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                   std::uint32_t bytesPerPixel) {
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* p = pixels + (std::size_t{y} * width + x) * bytesPerPixel;
            if (bytesPerPixel == 1) {
                p[0] = Grey(x, y);
            } else {
                p[0] = Blue(x, y);
                p[1] = Green(x, y);
                p[2] = Red(x, y);
            }
        }
    }
}

DisplayBitmap* TestBitmap(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel) {
    auto* bitmap = new DisplayBitmap(width, height, bytesPerPixel);
    FillTestImage(bitmap->pixels(), width, height, bytesPerPixel);
    return bitmap;
}

// The window's client area as it is on the screen: 0x00RRGGBB per pixel.
class Screen {
public:
    explicit Screen(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC windowDC = GetDC(window);
        HDC memory = CreateCompatibleDC(windowDC);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* words = static_cast<const unsigned*>(bits);
        pixels.assign(words, words + std::size_t(width) * height);
        SelectObject(memory, previous);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(window, windowDC);
    }
    unsigned At(int x, int y) const { return pixels[std::size_t(y) * width + x] & 0xFFFFFF; }

    int width = 0;
    int height = 0;
    std::vector<unsigned> pixels;
};

// Compares a screen area with the test image 1:1 from (imageX, imageY); returns a text for
// the first difference, empty when none.
std::string CompareArea(const Screen& screen, int x0, int y0, int width, int height,
                        std::uint32_t imageX, std::uint32_t imageY, std::uint32_t bytesPerPixel) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned expected = Expected(bytesPerPixel, imageX + x, imageY + y);
            const unsigned got = screen.At(x0 + x, y0 + y);
            if (got != expected) {
                char text[160];
                std::snprintf(text, sizeof text,
                              "screen (%d,%d), image (%u,%u): expected %06X, got %06X", x0 + x,
                              y0 + y, imageX + x, imageY + y, expected, got);
                return text;
            }
        }
    }
    return {};
}

bool HasStyle(HWND window, DWORD style) {
    return (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & style) == style;
}

SCROLLINFO BarInfo(HWND window, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, bar, &info);
    return info;
}

class RecordingImageView : public ImageView {
public:
    LRESULT OnCreate() override {
        createStyle = reinterpret_cast<const CREATESTRUCTA*>(LParam())->style;
        return ImageView::OnCreate();
    }
    DWORD createStyle = 0;
};

class ImageViewWindow : public WinlibTest {
protected:
    void Open(int clientWidth, int clientHeight) {
        view = new RecordingImageView;
        frame = new CFrameWindow;
        const CRectangle place(0, 0, clientWidth, clientHeight);
        ASSERT_EQ(frame->CreateFrame(nullptr, "image", WS_POPUP | WS_VISIBLE, &place, nullptr,
                                     nullptr, 0, view),
                  1);
        PumpPending();
    }
    void TearDown() override {
        if (frame != nullptr) {
            DestroyWindow(frame->Handle());
        }
        WinlibTest::TearDown();
    }
    HWND View() const { return view->Handle(); }
    // A full paint, as after a resize or scroll: the background erase request included.
    void Repaint() {
        InvalidateRect(View(), nullptr, TRUE);
        UpdateWindow(View());
    }
    RECT Client() const {
        RECT client;
        GetClientRect(View(), &client);
        return client;
    }
    void Scroll(UINT message, int code, int thumb = 0) {
        SendMessageA(View(), message, MAKEWPARAM(code, thumb), 0);
    }

    CFrameWindow* frame = nullptr;
    RecordingImageView* view = nullptr;
};

TEST_F(ImageViewWindow, IsCreatedAsTheFramesViewWithBothScrollBarStyles) {
    Open(320, 240);
    EXPECT_EQ(frame->AttachedView(), view);
    char className[64] = "";
    GetClassNameA(View(), className, sizeof className);
    EXPECT_STREQ(className, "Brask32FrameOrViewWindow");
    EXPECT_EQ(view->createStyle,
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL));
    char title[16] = "x";
    GetWindowTextA(View(), title, sizeof title);
    EXPECT_STREQ(title, "");
    // Without a bitmap the bars go away and stay empty.
    EXPECT_FALSE(HasStyle(View(), WS_HSCROLL));
    EXPECT_FALSE(HasStyle(View(), WS_VSCROLL));
    EXPECT_EQ(Client().right, 320);
    EXPECT_EQ(Client().bottom, 240);
    EXPECT_EQ(view->ScrollMode(), 0);
    EXPECT_EQ(view->GetDisplayBitmap(), nullptr);
    EXPECT_EQ(view->CurrentRectangles().border, 1);
}

TEST_F(ImageViewWindow, DescribesGreyAndColourBitmapsAndHandsBackThePreviousOne) {
    Open(320, 240);
    struct Case {
        std::uint32_t width, height, bytesPerPixel;
        WORD bitCount;
        DWORD coloursUsed;
    };
    const Case cases[] = {{640, 480, 1, 8, 256}, {642, 2, 3, 24, 16384}, {321, 3, 1, 8, 256}};
    DisplayBitmap* previous = nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        auto* bitmap = new DisplayBitmap(c.width, c.height, c.bytesPerPixel);
        DisplayBitmap* handedBack = view->SetDisplayBitmap(bitmap);
        EXPECT_EQ(handedBack, previous);
        delete handedBack;
        previous = bitmap;
        EXPECT_EQ(view->GetDisplayBitmap(), bitmap);
        const BITMAPINFOHEADER& h = view->BitmapHeader();
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, static_cast<LONG>(c.width));
        EXPECT_EQ(h.biHeight, -static_cast<LONG>(c.height)) << "rows top-down";
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, c.bitCount);
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(h.biSizeImage, c.width * c.height * c.bytesPerPixel);
        EXPECT_EQ(h.biXPelsPerMeter, 0);
        EXPECT_EQ(h.biYPelsPerMeter, 0);
        EXPECT_EQ(h.biClrUsed, c.coloursUsed);
        EXPECT_EQ(h.biClrImportant, c.coloursUsed);
        EXPECT_EQ(view->BitmapInformation(), reinterpret_cast<const BITMAPINFO*>(&h));
        EXPECT_EQ(view->GetBits(), bitmap->pixels());
        EXPECT_NE(view->Palette(), nullptr);
        if (c.bytesPerPixel == 1) {
            const RGBQUAD* table = view->BitmapInformation()->bmiColors;
            for (int i : {0, 1, 128, 255}) {
                EXPECT_EQ(table[i].rgbBlue, i);
                EXPECT_EQ(table[i].rgbGreen, i);
                EXPECT_EQ(table[i].rgbRed, i);
                EXPECT_EQ(table[i].rgbReserved, 0);
            }
        }
    }
    EXPECT_EQ(view->SetDisplayBitmap(previous), nullptr)
        << "the bitmap in use is not handed back to be freed";
    EXPECT_EQ(view->GetDisplayBitmap(), previous);
}

TEST_F(ImageViewWindow, ScrollModeOffStretchesTheImageOverTheWholeClientArea) {
    Open(400, 300);
    view->SetDisplayBitmap(TestBitmap(200, 100, 3));
    Repaint();
    EXPECT_FALSE(HasStyle(View(), WS_HSCROLL));
    EXPECT_FALSE(HasStyle(View(), WS_VSCROLL));
    const Screen screen(View());
    EXPECT_EQ(screen.At(0, 0), Expected(3, 0, 0));
    EXPECT_EQ(screen.At(399, 0), Expected(3, 199, 0));
    EXPECT_EQ(screen.At(0, 299), Expected(3, 0, 99));
    EXPECT_EQ(screen.At(399, 299), Expected(3, 199, 99));
    EXPECT_EQ(screen.At(200, 150), Expected(3, 100, 50));

    // Any client size: still no bars.
    view->SetDisplayBitmap(TestBitmap(1280, 960, 3));
    EXPECT_FALSE(HasStyle(View(), WS_HSCROLL));
    EXPECT_FALSE(HasStyle(View(), WS_VSCROLL));
}

TEST_F(ImageViewWindow, ScrollModeCentresASmallerImageBetweenDarkBands) {
    Open(800, 600);
    view->SetDisplayBitmap(TestBitmap(640, 480, 3));
    view->SetScrollMode(1);
    Repaint();
    EXPECT_FALSE(HasStyle(View(), WS_HSCROLL));
    EXPECT_FALSE(HasStyle(View(), WS_VSCROLL));
    EXPECT_EQ(view->ScrollRangeX(), 0);
    EXPECT_EQ(view->ScrollRangeY(), 0);
    const imageview::Rectangles& r = view->CurrentRectangles();
    EXPECT_EQ(r.destination, (imageview::Rect{80, 60, 720, 540}));
    EXPECT_EQ(r.source, (imageview::Rect{0, 0, 640, 480}));
    EXPECT_EQ(r.border, 1);

    const Screen screen(View());
    EXPECT_EQ(CompareArea(screen, 80, 60, 640, 480, 0, 0, 3), "");
    for (const POINT p : {POINT{0, 0}, POINT{799, 599}, POINT{79, 300}, POINT{720, 300},
                          POINT{400, 59}, POINT{400, 540}, POINT{0, 599}, POINT{799, 0}}) {
        EXPECT_EQ(screen.At(p.x, p.y), kBand) << "band at " << p.x << "," << p.y;
    }

    // A repaint without erasing draws the image only; the bands stay.
    InvalidateRect(View(), nullptr, FALSE);
    UpdateWindow(View());
    const Screen again(View());
    EXPECT_EQ(again.At(0, 0), kBand);
    EXPECT_EQ(again.At(80, 60), Expected(3, 0, 0));
}

TEST_F(ImageViewWindow, ALargerImageGetsBothBarsAndScrolls) {
    Open(640, 480);
    view->SetDisplayBitmap(TestBitmap(1280, 960, 3));
    view->SetScrollMode(1);
    Repaint();
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const int w = 640 - barWidth;
    const int h = 480 - barHeight;
    ASSERT_TRUE(HasStyle(View(), WS_HSCROLL | WS_VSCROLL));
    EXPECT_EQ(Client().right, w);
    EXPECT_EQ(Client().bottom, h);
    EXPECT_EQ(view->ScrollRangeX(), 1280 - w);
    EXPECT_EQ(view->ScrollRangeY(), 960 - h);
    const SCROLLINFO horizontal = BarInfo(View(), SB_HORZ);
    const unsigned pageX = unsigned(1280 - w + 1) * unsigned(w) / unsigned(1280 - w);
    EXPECT_EQ(horizontal.nMin, 0);
    EXPECT_EQ(horizontal.nPage, pageX);
    EXPECT_EQ(horizontal.nMax, static_cast<int>(pageX) + (1280 - w) - 1);
    EXPECT_EQ(horizontal.nPos, 0);
    const SCROLLINFO vertical = BarInfo(View(), SB_VERT);
    const unsigned pageY = unsigned(960 - h + 1) * unsigned(h) / unsigned(960 - h);
    EXPECT_EQ(vertical.nPage, pageY);
    EXPECT_EQ(vertical.nMax, static_cast<int>(pageY) + (960 - h) - 1);
    EXPECT_EQ(CompareArea(Screen(View()), 0, 0, w, h - 1, 0, 0, 3), "");

    struct Step {
        UINT message;
        int code;
        int thumb;
        std::int32_t x, y;
    };
    const Step steps[] = {
        {WM_HSCROLL, SB_LINERIGHT, 0, 1, 0},      {WM_HSCROLL, SB_PAGERIGHT, 0, 21, 0},
        {WM_VSCROLL, SB_LINEDOWN, 0, 21, 1},      {WM_VSCROLL, SB_PAGEDOWN, 0, 21, 21},
        {WM_VSCROLL, SB_PAGEUP, 0, 21, 1},        {WM_HSCROLL, SB_LINELEFT, 0, 20, 1},
        {WM_HSCROLL, SB_THUMBTRACK, 300, 300, 1}, {WM_VSCROLL, SB_THUMBTRACK, 77, 300, 77},
        {WM_HSCROLL, SB_PAGELEFT, 0, 280, 77},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "step to " << s.x << "," << s.y);
        Scroll(s.message, s.code, s.thumb);
        EXPECT_EQ(view->ScrollPositionX(), s.x);
        EXPECT_EQ(view->ScrollPositionY(), s.y);
        EXPECT_EQ(BarInfo(View(), SB_HORZ).nPos, s.x);
        EXPECT_EQ(BarInfo(View(), SB_VERT).nPos, s.y);
        UpdateWindow(View());
        EXPECT_EQ(CompareArea(Screen(View()), 0, 0, w, h, s.x, s.y, 3), "");
    }

    // An unchanged position asks for no paint.
    ValidateRect(View(), nullptr);
    Scroll(WM_HSCROLL, SB_THUMBPOSITION, 5);
    Scroll(WM_VSCROLL, SB_ENDSCROLL);
    Scroll(WM_HSCROLL, SB_THUMBTRACK, 280);
    EXPECT_EQ(view->ScrollPositionX(), 280);
    EXPECT_FALSE(GetUpdateRect(View(), nullptr, FALSE));
    Scroll(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_TRUE(GetUpdateRect(View(), nullptr, FALSE));

    // Stepping beyond the ends stops there.
    Scroll(WM_HSCROLL, SB_THUMBTRACK, 1280);
    EXPECT_EQ(view->ScrollPositionX(), 1280 - w);
    Scroll(WM_HSCROLL, SB_PAGERIGHT);
    EXPECT_EQ(view->ScrollPositionX(), 1280 - w);
    Scroll(WM_VSCROLL, SB_THUMBTRACK, 0);
    Scroll(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(view->ScrollPositionY(), 0);
    UpdateWindow(View());
    EXPECT_EQ(CompareArea(Screen(View()), 0, 0, w, h, 1280 - w, 0, 3), "");

    // Switching scroll mode off resets everything and removes the bars.
    view->SetScrollMode(0);
    EXPECT_EQ(view->ScrollPositionX(), 0);
    EXPECT_EQ(view->ScrollRangeX(), 0);
    EXPECT_EQ(view->ScrollRangeY(), 0);
    EXPECT_FALSE(HasStyle(View(), WS_HSCROLL));
    EXPECT_FALSE(HasStyle(View(), WS_VSCROLL));
}

TEST_F(ImageViewWindow, ScrolledToTheLeftAndTheBottomTheBottomRowIsLeftOut) {
    Open(640, 480);
    view->SetDisplayBitmap(TestBitmap(1280, 960, 3));
    view->SetScrollMode(1);
    Scroll(WM_VSCROLL, SB_THUMBTRACK, 960);
    const RECT client = Client();
    const int rangeY = view->ScrollRangeY();
    ASSERT_EQ(view->ScrollPositionY(), rangeY);
    ASSERT_EQ(view->ScrollPositionX(), 0);
    Repaint();
    const Screen screen(View());
    // Rows from the scroll position down to the last but one image row, one client row short.
    EXPECT_EQ(CompareArea(screen, 0, 0, client.right, client.bottom - 1, 0, rangeY, 3), "");
    EXPECT_NE(CompareArea(screen, 0, client.bottom - 1, client.right, 1, 0, 959, 3), "")
        << "the bottom image row is not drawn";
}

TEST_F(ImageViewWindow, ResizingLaysTheBarsOutAgain) {
    Open(640, 480);
    view->SetDisplayBitmap(TestBitmap(700, 500, 3));
    view->SetScrollMode(1);
    EXPECT_TRUE(HasStyle(View(), WS_HSCROLL | WS_VSCROLL));
    Scroll(WM_HSCROLL, SB_THUMBTRACK, 60);
    SetWindowPos(frame->Handle(), nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_FALSE(HasStyle(View(), WS_HSCROLL));
    EXPECT_FALSE(HasStyle(View(), WS_VSCROLL));
    EXPECT_EQ(view->ScrollPositionX(), 0);
    EXPECT_EQ(view->CurrentRectangles().destination, (imageview::Rect{50, 50, 750, 550}));
    SetWindowPos(frame->Handle(), nullptr, 0, 0, 690, 600, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_TRUE(HasStyle(View(), WS_HSCROLL)) << "10 columns too narrow";
    EXPECT_FALSE(HasStyle(View(), WS_VSCROLL));
    EXPECT_EQ(view->ScrollRangeX(), 10);
    EXPECT_EQ(Client().bottom, 600 - GetSystemMetrics(SM_CYHSCROLL));
}

struct UnalignedCase {
    const char* name;
    std::uint32_t width, height, bytesPerPixel;
    int scrollMode;
};

// Rows whose length is not a multiple of 4 bytes must not come out sheared.
TEST_F(ImageViewWindow, RowsOfAnyLengthPaintUnsheared) {
    const UnalignedCase cases[] = {
        {"Y-8, 321 wide, 1:1", 321, 200, 1, 1},
        {"colour, 642 wide, 1:1", 642, 100, 3, 1},
        {"colour, 321 wide, stretched over the same size", 321, 120, 3, 0},
        {"Y-8, 323 wide, stretched over the same size", 323, 121, 1, 0},
        {"Y-8, 640 wide, 1:1", 640, 100, 1, 1},
    };
    for (const UnalignedCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.scrollMode) {
            Open(700, 300);
        } else {
            Open(static_cast<int>(c.width), static_cast<int>(c.height));
        }
        view->SetDisplayBitmap(TestBitmap(c.width, c.height, c.bytesPerPixel));
        view->SetScrollMode(c.scrollMode);
        Repaint();
        const imageview::Rect d =
            c.scrollMode ? view->CurrentRectangles().destination : imageview::Rect{0, 0, 0, 0};
        EXPECT_EQ(CompareArea(Screen(View()), d.x0, d.y0, static_cast<int>(c.width),
                              static_cast<int>(c.height), 0, 0, c.bytesPerPixel),
                  "");
        DestroyWindow(frame->Handle());
        frame = nullptr;
    }
}

FrameEntry Entry(std::uint32_t handle, std::uint8_t* data, std::uint16_t width,
                 std::uint16_t height, FrameType type, std::uint16_t mark = 0) {
    FrameEntry entry;
    entry.bufferHandle = handle;
    entry.data = data;
    entry.width = width;
    entry.height = height;
    entry.frameType = type;
    entry.mark = mark;
    return entry;
}

TEST_F(ImageViewWindow, GreyFramesAreShownInPlaceAndHandedBackOneFrameLater) {
    Open(400, 300);
    constexpr std::uint16_t kW = 321;  // rows not a multiple of 4 bytes
    constexpr std::uint16_t kH = 50;
    auto* bitmap = new DisplayBitmap(kW, kH, 1);
    view->SetDisplayBitmap(bitmap);
    view->SetScrollMode(1);
    std::vector<std::uint8_t> first(std::size_t{kW} * kH);
    std::vector<std::uint8_t> second(first.size());
    FillTestImage(first.data(), kW, kH, 1);
    FillTestImage(second.data(), kW, kH, 1);

    FrameEntry a = Entry(0x11, first.data(), kW, kH, FrameType::Y8);
    EXPECT_EQ(view->ShowFrame(&a), 0u) << "nothing held before the first";
    EXPECT_EQ(view->GetBits(), first.data()) << "shown from the frame's own buffer";
    EXPECT_EQ(view->HeldFrame().bufferHandle, 0x11u);
    Repaint();
    const imageview::Rect d = view->CurrentRectangles().destination;
    EXPECT_EQ(CompareArea(Screen(View()), d.x0, d.y0, kW, kH, 0, 0, 1), "");

    FrameEntry b = Entry(0x22, second.data(), kW, kH, FrameType::Y8, 1);
    EXPECT_EQ(view->ShowFrame(&b), 0x11u) << "the previous grey buffer goes back";
    EXPECT_EQ(view->GetBits(), second.data());
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool marked = x < 8 && y < 8;
            EXPECT_EQ(second[std::size_t(y) * kW + x], marked ? 0xFF : Grey(x, y))
                << "frame mark at " << x << "," << y;
        }
    }

    // Acquisition stops: the held buffer goes back, its image stays in the display bitmap.
    EXPECT_EQ(view->ShowFrame(nullptr), 0x22u);
    EXPECT_EQ(view->HeldFrame().data, nullptr);
    EXPECT_EQ(view->GetBits(), bitmap->pixels());
    EXPECT_EQ(std::memcmp(bitmap->pixels(), second.data(), second.size()), 0);
    std::memset(second.data(), 0, second.size());  // the driver reuses the buffer
    Repaint();
    const Screen screen(View());
    EXPECT_EQ(screen.At(d.x0, d.y0), 0xFFFFFFu);
    EXPECT_EQ(CompareArea(screen, d.x0, d.y0 + 8, kW, kH - 8, 0, 8, 1), "");
    EXPECT_EQ(view->ShowFrame(nullptr), 0u) << "nothing held any more";
}

TEST_F(ImageViewWindow, ConvertedFramesGoBackAtOnce) {
    Open(400, 300);
    constexpr std::uint16_t kW = 16;
    constexpr std::uint16_t kH = 10;
    auto* bitmap = new DisplayBitmap(kW, kH, 3);
    view->SetDisplayBitmap(bitmap);
    std::vector<std::uint8_t> rgb(std::size_t{kW} * kH * 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = 0x10;      // red
        rgb[i + 1] = 0x20;  // green
        rgb[i + 2] = 0x30;  // blue
    }
    FrameEntry entry = Entry(0x33, rgb.data(), kW, kH, FrameType::Rgb8, 1);
    EXPECT_EQ(view->ShowFrame(&entry), 0x33u);
    EXPECT_EQ(view->GetBits(), bitmap->pixels());
    const std::uint8_t* p = bitmap->pixels();
    EXPECT_EQ(p[0], 0xFF) << "frame mark";
    EXPECT_EQ(p[(7 * kW + 7) * 3], 0xFF);
    EXPECT_EQ(p[8 * 3 + 0], 0x30) << "blue first";
    EXPECT_EQ(p[8 * 3 + 2], 0x10);
    EXPECT_EQ(p[(8 * kW) * 3 + 1], 0x20) << "row 8 unmarked";
    EXPECT_EQ(view->ShowFrame(nullptr), 0u) << "a converted frame leaves nothing held";

    // A frame larger than the display bitmap is not converted; its buffer still goes back.
    std::vector<std::uint8_t> large(std::size_t{kW} * (kH + 1) * 3, 0x77);
    std::vector<std::uint8_t> before(p, p + rgb.size());
    FrameEntry big = Entry(0x44, large.data(), kW, kH + 1, FrameType::Rgb8);
    EXPECT_EQ(view->ShowFrame(&big), 0x44u);
    EXPECT_EQ(std::memcmp(p, before.data(), before.size()), 0) << "bitmap unchanged";

    // A type without a conversion leaves the bitmap as it was.
    FrameEntry rgb16 = Entry(0x45, large.data(), kW, kH, FrameType::Rgb16);
    EXPECT_EQ(view->ShowFrame(&rgb16), 0x45u);
    EXPECT_EQ(std::memcmp(p, before.data(), before.size()), 0);
}

TEST_F(ImageViewWindow, GreyFramesThatDoNotFitTheDisplayBitmapAreNotShown) {
    Open(400, 300);
    constexpr std::uint16_t kW = 32;
    constexpr std::uint16_t kH = 8;
    auto* bitmap = new DisplayBitmap(kW, kH, 1);
    view->SetDisplayBitmap(bitmap);
    std::vector<std::uint8_t> fits(std::size_t{kW} * kH, 0x40);
    FrameEntry held = Entry(0x50, fits.data(), kW, kH, FrameType::Y8);
    EXPECT_EQ(view->ShowFrame(&held), 0u);

    std::vector<std::uint8_t> buffer(std::size_t{kW + 1} * (kH + 1), 0x99);
    struct Case {
        const char* name;
        std::uint16_t width, height;
        std::uint8_t* data;
    };
    const Case cases[] = {{"larger", kW + 1, kH + 1, buffer.data()},
                          {"fewer rows", kW, kH - 1, buffer.data()},
                          {"other width, same size", kW / 2, kH * 2, buffer.data()},
                          {"no data", kW, kH, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameEntry entry = Entry(0x60, c.data, c.width, c.height, FrameType::Y8, 1);
        EXPECT_EQ(view->ShowFrame(&entry), 0x60u) << "its own buffer goes straight back";
        EXPECT_EQ(view->GetBits(), fits.data()) << "the held frame is still shown";
        EXPECT_EQ(view->HeldFrame().bufferHandle, 0x50u);
    }
    EXPECT_EQ(buffer[0], 0x99) << "no mark drawn on a frame not shown";

    // Nor into a colour bitmap.
    EXPECT_EQ(view->ShowFrame(nullptr), 0x50u);
    view->SetScrollMode(0);
    delete view->SetDisplayBitmap(new DisplayBitmap(kW, kH, 3));
    FrameEntry grey = Entry(0x70, fits.data(), kW, kH, FrameType::Y8);
    EXPECT_EQ(view->ShowFrame(&grey), 0x70u);
    EXPECT_EQ(view->GetBits(), view->GetDisplayBitmap()->pixels());
}

TEST_F(ImageViewWindow, AGreyBufferHeldAcrossAConvertedFrameOrANewBitmapStillGoesBack) {
    Open(400, 300);
    constexpr std::uint16_t kW = 8;
    constexpr std::uint16_t kH = 8;
    view->SetDisplayBitmap(new DisplayBitmap(kW, kH, 1));
    std::vector<std::uint8_t> grey(std::size_t{kW} * kH, 0x40);
    FrameEntry entry = Entry(0x80, grey.data(), kW, kH, FrameType::Y8);
    EXPECT_EQ(view->ShowFrame(&entry), 0u);

    // New settings: a new bitmap is shown; the grey buffer is no longer shown but is held.
    auto* next = new DisplayBitmap(kW * 2, kH, 1);
    const std::vector<std::uint8_t> pattern(next->pixels(), next->pixels() + kW * 2 * kH);
    delete view->SetDisplayBitmap(next);
    EXPECT_EQ(view->GetBits(), next->pixels());
    EXPECT_EQ(view->ShowFrame(nullptr), 0x80u);
    EXPECT_EQ(std::memcmp(next->pixels(), pattern.data(), pattern.size()), 0)
        << "the old frame is not copied into a bitmap it does not fit";
}

TEST_F(ImageViewWindow, WithoutABitmapOrWithoutPixelsNothingIsDrawnAndNothingBreaks) {
    Open(300, 200);
    // No bitmap at all.
    view->SetScrollMode(1);
    Repaint();
    EXPECT_EQ(view->SaveBitmap("nothing.bmp"), 0);
    EXPECT_EQ(view->ShowFrame(nullptr), 0u);
    std::vector<std::uint8_t> grey(64 * 64, 1);
    FrameEntry entry = Entry(0x90, grey.data(), 64, 64, FrameType::Y8);
    EXPECT_EQ(view->ShowFrame(&entry), 0x90u);
    entry.frameType = FrameType::Rgb8;
    EXPECT_EQ(view->ShowFrame(&entry), 0x90u);
    EXPECT_FALSE(HasStyle(View(), WS_HSCROLL));

    // A bitmap whose memory could not be had: far too large for a 32-bit process.
    auto* empty = new DisplayBitmap(40000, 40000, 3);
    ASSERT_FALSE(empty->hasPixels());
    view->SetDisplayBitmap(empty);
    EXPECT_EQ(view->GetDisplayBitmap(), empty);
    EXPECT_FALSE(view->HasBitmap());
    EXPECT_FALSE(HasStyle(View(), WS_HSCROLL)) << "nothing to scroll";
    EXPECT_FALSE(HasStyle(View(), WS_VSCROLL));
    Repaint();
    Scroll(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_EQ(view->ScrollPositionX(), 0);
    EXPECT_EQ(view->ShowFrame(&entry), 0x90u);
    entry.frameType = FrameType::Y8;
    EXPECT_EQ(view->ShowFrame(&entry), 0x90u);
    EXPECT_EQ(view->ShowFrame(nullptr), 0u);
    EXPECT_EQ(view->SaveBitmap("nothing.bmp"), 0);
    view->SetScrollMode(0);
    Repaint();

    // And a grey one without pixels.
    delete view->SetDisplayBitmap(new DisplayBitmap(0, 480, 1));
    Repaint();
    EXPECT_EQ(view->ShowFrame(&entry), 0x90u);
    delete view->SetDisplayBitmap(nullptr);
    EXPECT_EQ(view->GetDisplayBitmap(), nullptr);
    Repaint();
}

// --- Bitmap files -----------------------------------------------------------------------

std::vector<std::uint8_t> ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Le(const std::vector<std::uint8_t>& data, std::size_t offset, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | data.at(offset + i);
    }
    return value;
}

std::string TempName(const char* name) {
    char directory[MAX_PATH] = "";
    GetTempPathA(sizeof directory, directory);
    return std::string(directory) + name;
}

// Checks a file against the bitmap layout and the test image (or given pixels).
void CheckBitmapFile(const std::string& name, std::uint32_t width, std::uint32_t height,
                     std::uint32_t bytesPerPixel, const std::uint8_t* pixels,
                     std::size_t expectedSize) {
    const std::vector<std::uint8_t> file = ReadFile(name);
    ASSERT_EQ(file.size(), expectedSize);
    const std::uint32_t rowBytes = width * bytesPerPixel;
    const std::uint32_t padded = (rowBytes + 3) / 4 * 4;
    const std::uint32_t offBits = bytesPerPixel == 1 ? 1078 : 54;
    EXPECT_EQ(Le(file, 0, 2), 0x4D42u);
    EXPECT_EQ(Le(file, 2, 4), offBits + padded * height);
    EXPECT_EQ(Le(file, 6, 4), 0u);
    EXPECT_EQ(Le(file, 10, 4), offBits);
    EXPECT_EQ(Le(file, 14, 4), 40u);
    EXPECT_EQ(Le(file, 18, 4), width);
    EXPECT_EQ(Le(file, 22, 4), height) << "positive: bottom-up";
    EXPECT_EQ(Le(file, 26, 2), 1u);
    EXPECT_EQ(Le(file, 28, 2), bytesPerPixel * 8);
    EXPECT_EQ(Le(file, 30, 4), 0u);
    EXPECT_EQ(Le(file, 34, 4), padded * height);
    EXPECT_EQ(Le(file, 38, 4), 0u);
    EXPECT_EQ(Le(file, 42, 4), 0u);
    EXPECT_EQ(Le(file, 46, 4), bytesPerPixel == 1 ? 256u : 0u);
    EXPECT_EQ(Le(file, 50, 4), bytesPerPixel == 1 ? 256u : 0u);
    if (bytesPerPixel == 1) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            ASSERT_EQ(Le(file, 54 + i * 4, 4), i * 0x010101u) << "palette entry " << i;
        }
    }
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint32_t imageRow = height - 1 - row;  // bottom row first
        const std::uint8_t* stored = file.data() + offBits + std::size_t{row} * padded;
        ASSERT_EQ(std::memcmp(stored, pixels + std::size_t{imageRow} * rowBytes, rowBytes), 0)
            << "file row " << row;
        for (std::uint32_t i = rowBytes; i < padded; ++i) {
            ASSERT_EQ(stored[i], 0) << "padding of file row " << row;
        }
    }
}

TEST_F(ImageViewWindow, SavesTheShownImageAsABitmapFile) {
    Open(320, 240);
    struct Case {
        std::uint32_t width, height, bytesPerPixel;
        std::size_t size;
    };
    const Case cases[] = {{640, 480, 1, 308278},
                          {640, 480, 3, 921654},
                          {642, 2, 3, 54 + 2 * 1928},
                          {321, 3, 1, 1078 + 3 * 324}};
    const std::string name = TempName("imageview-save.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bytesPerPixel);
        DisplayBitmap* bitmap = TestBitmap(c.width, c.height, c.bytesPerPixel);
        delete view->SetDisplayBitmap(bitmap);
        // An existing (longer) file is replaced.
        EXPECT_EQ(view->SaveBitmap(name.c_str()), 1);
        CheckBitmapFile(name, c.width, c.height, c.bytesPerPixel, bitmap->pixels(), c.size);
    }
    DeleteFileA(name.c_str());
    EXPECT_EQ(view->SaveBitmap(""), 0) << "no name, no file";
}

TEST_F(ImageViewWindow, SavesTheHeldGreyFrameRatherThanTheDisplayBitmap) {
    Open(320, 240);
    auto* bitmap = new DisplayBitmap(640, 480, 1);
    view->SetDisplayBitmap(bitmap);
    std::vector<std::uint8_t> grey(640 * 480);
    FillTestImage(grey.data(), 640, 480, 1);
    FrameEntry entry = Entry(0xA0, grey.data(), 640, 480, FrameType::Y8);
    view->ShowFrame(&entry);
    const std::string name = TempName("imageview-held.bmp");
    EXPECT_EQ(view->SaveBitmap(name.c_str()), 1);
    CheckBitmapFile(name, 640, 480, 1, grey.data(), 308278);
    DeleteFileA(name.c_str());
}

TEST_F(ImageViewWindow, AFileThatCannotBeCreatedGivesZero) {
    Open(320, 240);
    view->SetDisplayBitmap(TestBitmap(16, 16, 3));
    const std::string name = TempName("no-such-directory-iv\\picture.bmp");
    EXPECT_EQ(view->SaveBitmap(name.c_str()), 0);
    EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

HWND SaveDialog() {
    return FindWindowA("#32770", "Save Bitmap");
}

std::string DialogItemText(HWND dialog, int id) {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

TEST_F(ImageViewWindow, WithoutANameTheSaveBitmapDialogAsksForOne) {
    Open(320, 240);
    view->SetDisplayBitmap(TestBitmap(20, 10, 3));
    const std::string name = TempName("imageview-dialog.bmp");
    DeleteFileA(name.c_str());

    std::string initialName;
    std::vector<std::string> filters;
    {
        TimerScript script(
            {[] {},
             [&] {
                 HWND dialog = SaveDialog();
                 ASSERT_NE(dialog, nullptr) << "a dialog titled \"Save Bitmap\"";
                 initialName = DialogItemText(dialog, 0x47C);  // cmb13
                 if (initialName.empty()) {
                     initialName = DialogItemText(dialog, 0x480);  // edt1
                 }
                 HWND types = GetDlgItem(dialog, 0x470);  // cmb1
                 const LRESULT count = SendMessageA(types, CB_GETCOUNT, 0, 0);
                 for (LRESULT i = 0; i < count; ++i) {
                     char text[64] = "";
                     SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                     filters.push_back(text);
                 }
                 PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
             }});
        EXPECT_EQ(view->SaveBitmap(nullptr), 0) << "cancelled";
    }
    EXPECT_EQ(initialName, "*.bmp");
    EXPECT_EQ(filters, (std::vector<std::string>{"Bitmap (*.bmp)", "All Files (*.*)"}));
    EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES) << "no file";

    TimerScript script({[] {},
                        [&] {
                            HWND dialog = SaveDialog();
                            ASSERT_NE(dialog, nullptr);
                            HWND edit = GetDlgItem(dialog, 0x47C);
                            if (edit == nullptr) {
                                edit = GetDlgItem(dialog, 0x480);
                            }
                            SetWindowTextA(edit, name.c_str());
                            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
                        }});
    EXPECT_EQ(view->SaveBitmap(nullptr), 1);
    CheckBitmapFile(name, 20, 10, 3, view->GetDisplayBitmap()->pixels(), 54 + 10 * 60);
    DeleteFileA(name.c_str());
}

}  // namespace
