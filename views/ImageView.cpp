#include "views/ImageView.h"

#include <cstring>
#include <new>

#include "imaging/BitmapFile.h"
#include "imaging/FrameConversion.h"
#include "winlib/CFileSelectDialog.h"

namespace {

constexpr COLORREF kBandColour = 0x404040;
constexpr DWORD kGreyColoursUsed = 256;
// 24-bit bitmaps declare a table this long; only palette displays look at it.
constexpr DWORD kTrueColourColoursUsed = 0x4000;
constexpr char kSaveFilters[] = "Bitmap (*.bmp)\0*.bmp\0All Files (*.*)\0*.*\0";

void SetBar(HWND window, int bar, const imageview::ScrollBarValues& values, BOOL redraw) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = values.maximum;
    info.nPage = values.page;
    info.nPos = values.position;
    SetScrollInfo(window, bar, &info, redraw);
}

std::size_t RowBytes(const DisplayBitmap& bitmap) {
    return std::size_t{bitmap.width()} * bitmap.bytesPerPixel();
}

}  // namespace

ImageView::ImageView() {
    m_rectangles.border = 1;
}

ImageView::~ImageView() {
    delete m_bitmap;
}

int ImageView::CreateInFrame(CBasicWindow* frame, const CRectangle* rectangle) {
    return CreateChild("Brask32FrameOrViewWindow", nullptr, WS_VISIBLE | WS_HSCROLL | WS_VSCROLL,
                       rectangle, frame, nullptr, nullptr, 0);
}

bool ImageView::HasImage() const {
    return m_bitmap != nullptr && m_bitmap->hasPixels() && m_bitmap->width() > 0 &&
           m_bitmap->height() > 0;
}

DisplayBitmap* ImageView::SetDisplayBitmap(DisplayBitmap* bitmap) {
    // Handing back the bitmap in use would have the caller free what is painted.
    DisplayBitmap* previous = bitmap == m_bitmap ? nullptr : m_bitmap;
    m_bitmap = bitmap;
    DescribeBitmap();
    if (m_bitmap != nullptr && m_bitmap->hasPixels()) {
        SetBitmap(reinterpret_cast<const BITMAPINFO*>(&m_description), m_bitmap->pixels(),
                  DIB_RGB_COLORS);
    } else {
        SetBitmap(nullptr, nullptr, DIB_RGB_COLORS);
    }
    if (m_hwnd != nullptr) {
        UpdateScrollBars();
        InvalidateRect(m_hwnd, nullptr, TRUE);
    }
    return previous;
}

// Rows top-down as the bitmap stores them. StretchDIBits wants rows padded to 4 bytes, so
// for widths whose rows are not, a padded copy is made at paint time into a buffer kept
// for this bitmap.
void ImageView::DescribeBitmap() {
    m_padded.reset();
    m_paddedRowBytes = 0;
    if (m_bitmap == nullptr) {
        return;
    }
    BITMAPINFOHEADER& header = m_description.header;
    const std::uint32_t bytesPerPixel = m_bitmap->bytesPerPixel();
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = static_cast<LONG>(m_bitmap->width());
    header.biHeight = -static_cast<LONG>(m_bitmap->height());
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(8 * bytesPerPixel);
    header.biCompression = BI_RGB;
    header.biSizeImage = bytesPerPixel * m_bitmap->height() * m_bitmap->width();
    header.biXPelsPerMeter = 0;
    header.biYPelsPerMeter = 0;
    if (bytesPerPixel == 1) {
        header.biClrUsed = header.biClrImportant = kGreyColoursUsed;
        for (DWORD i = 0; i < kGreyColoursUsed; ++i) {
            const auto level = static_cast<BYTE>(i);
            m_description.colours[i] = RGBQUAD{level, level, level, 0};
        }
    } else {
        header.biClrUsed = header.biClrImportant = kTrueColourColoursUsed;
    }
    const std::size_t rowBytes = RowBytes(*m_bitmap);
    if (HasImage() && rowBytes % 4 != 0) {
        m_paddedRowBytes = (rowBytes + 3) & ~std::size_t{3};
        m_padded.reset(new (std::nothrow) std::uint8_t[m_paddedRowBytes * m_bitmap->height()]());
    }
}

void ImageView::SetScrollMode(int on) {
    m_scrollMode = on ? 1 : 0;
    m_positionX = 0;
    m_positionY = 0;
    if (!m_scrollMode) {
        m_rangeX = 0;
        m_rangeY = 0;
    }
    if (m_hwnd != nullptr) {
        UpdateScrollBars();
        InvalidateRect(m_hwnd, nullptr, TRUE);
    }
}

void ImageView::ClearScrollBars(BOOL redraw) {
    SetBar(m_hwnd, SB_HORZ, {}, redraw);
    SetBar(m_hwnd, SB_VERT, {}, redraw);
}

// Showing or hiding a bar resizes the client area and sends WM_SIZE at once; the layout
// being made already accounts for that, so the nested call is left out.
void ImageView::UpdateScrollBars() {
    if (m_hwnd == nullptr || m_updatingBars) {
        return;
    }
    m_updatingBars = true;
    if (!HasImage() || !m_scrollMode) {
        ClearScrollBars(TRUE);
        m_rangeX = m_rangeY = 0;
        m_positionX = m_positionY = 0;
    } else {
        RECT client;
        GetClientRect(m_hwnd, &client);
        const auto style = static_cast<DWORD>(GetWindowLongA(m_hwnd, GWL_STYLE));
        imageview::ScrollLayoutInput input;
        input.clientWidth = client.right - client.left;
        input.clientHeight = client.bottom - client.top;
        input.verticalBarShown = (style & WS_VSCROLL) != 0;
        input.horizontalBarShown = (style & WS_HSCROLL) != 0;
        input.verticalBarWidth = GetSystemMetrics(SM_CXVSCROLL);
        input.horizontalBarHeight = GetSystemMetrics(SM_CYHSCROLL);
        input.imageWidth = static_cast<std::int32_t>(m_bitmap->width());
        input.imageHeight = static_cast<std::int32_t>(m_bitmap->height());
        input.positionX = m_positionX;
        input.positionY = m_positionY;
        const imageview::ScrollLayout layout = imageview::LayOutScrollBars(input);
        m_rangeX = layout.horizontal.range;
        m_positionX = layout.horizontal.position;
        m_rangeY = layout.vertical.range;
        m_positionY = layout.vertical.position;
        SetBar(m_hwnd, SB_HORZ, layout.horizontal.bar, TRUE);
        SetBar(m_hwnd, SB_VERT, layout.vertical.bar, TRUE);
        m_rectangles = layout.rectangles;
    }
    m_updatingBars = false;
}

LRESULT ImageView::OnSizeInner() {
    if (!HasImage()) {
        ClearScrollBars(FALSE);
    }
    UpdateScrollBars();
    return DefaultProcess();
}

LRESULT ImageView::OnHScroll() {
    return Scroll(SB_HORZ, m_positionX, m_rangeX);
}

LRESULT ImageView::OnVScroll() {
    return Scroll(SB_VERT, m_positionY, m_rangeY);
}

LRESULT ImageView::Scroll(int bar, std::int32_t& position, std::int32_t range) {
    const std::int32_t next =
        imageview::ScrollRequestPosition(WParamLow(), WParamHigh(), position, range);
    if (next == position || !HasImage()) {
        return 0;
    }
    position = next;
    SetScrollPos(m_hwnd, bar, position, TRUE);
    RECT client;
    GetClientRect(m_hwnd, &client);
    m_rectangles = imageview::ComputeRectangles(
        client.right - client.left, client.bottom - client.top,
        static_cast<std::int32_t>(m_bitmap->width()), static_cast<std::int32_t>(m_bitmap->height()),
        m_positionX, m_positionY);
    InvalidateRect(m_hwnd, nullptr, TRUE);
    return 0;
}

// Nothing is erased: the paint covers the client area, with the bands when they are due.
LRESULT ImageView::OnEraseBackgroundInner() {
    m_erasePending = true;
    return 0;
}

void ImageView::DrawBands(HDC dc) {
    RECT client;
    GetClientRect(m_hwnd, &client);
    const imageview::Rect clientRect{client.left, client.top, client.right, client.bottom};
    const imageview::Bands bands = imageview::ComputeBands(clientRect, m_rectangles.destination);
    HBRUSH brush = CreateSolidBrush(kBandColour);
    HPEN pen = CreatePen(PS_SOLID, 1, kBandColour);
    HGDIOBJ previousBrush = SelectObject(dc, brush);
    HGDIOBJ previousPen = SelectObject(dc, pen);
    for (const imageview::Rect& band : bands.band) {
        Rectangle(dc, band.x0, band.y0, band.x1, band.y1);
    }
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

const void* ImageView::PaintablePixels() {
    if (m_paddedRowBytes == 0) {
        return m_bits;
    }
    if (!m_padded || m_bits == nullptr) {
        return nullptr;
    }
    const auto* source = static_cast<const std::uint8_t*>(m_bits);
    const std::size_t rowBytes = RowBytes(*m_bitmap);
    for (std::uint32_t y = 0; y < m_bitmap->height(); ++y) {
        std::memcpy(m_padded.get() + y * m_paddedRowBytes, source + y * rowBytes, rowBytes);
    }
    return m_padded.get();
}

void ImageView::OnDraw() {
    const HDC dc = m_paintDC;
    if (m_erasePending) {
        if (m_scrollMode && m_rectangles.border && HasImage()) {
            DrawBands(dc);
        }
        m_erasePending = false;
    }
    HPALETTE previousPalette = nullptr;
    if (m_palette != nullptr) {
        previousPalette = SelectPalette(dc, m_palette, FALSE);
        RealizePalette(dc);
    }
    const void* pixels = HasBitmap() && HasImage() ? PaintablePixels() : nullptr;
    if (pixels != nullptr) {
        RECT client;
        GetClientRect(m_hwnd, &client);
        imageview::StretchInput input;
        input.scrollMode = m_scrollMode != 0;
        input.client = {client.left, client.top, client.right, client.bottom};
        input.rectangles = m_rectangles;
        input.imageWidth = static_cast<std::int32_t>(m_bitmap->width());
        input.imageHeight = static_cast<std::int32_t>(m_bitmap->height());
        input.rangeX = m_rangeX;
        input.rangeY = m_rangeY;
        const imageview::StretchArguments a = imageview::SelectStretchArguments(input);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, a.destinationX, a.destinationY, a.destinationWidth, a.destinationHeight,
                      a.sourceX, a.sourceY, a.sourceWidth, a.sourceHeight, pixels,
                      reinterpret_cast<const BITMAPINFO*>(&m_description), DIB_RGB_COLORS, SRCCOPY);
    }
    AfterDraw();
    if (m_palette != nullptr) {
        SelectPalette(dc, previousPalette, FALSE);
    }
}

// In place only what the bitmap description fits exactly: a grey frame of the display
// bitmap's size. Anything else would be read beyond its end or drawn sheared.
bool ImageView::CanShowInPlace(const FrameEntry& entry) const {
    return HasImage() && m_bitmap->bytesPerPixel() == 1 && entry.data != nullptr &&
           entry.width == m_bitmap->width() && entry.height == m_bitmap->height();
}

std::uint32_t ImageView::ShowFrame(const FrameEntry* entry) {
    if (entry == nullptr) {
        // The held grey image stays on screen in the display bitmap once its buffer goes back.
        const std::uint32_t handle = m_held.bufferHandle;
        if (m_held.data != nullptr && m_bits == m_held.data && CanShowInPlace(m_held)) {
            std::memcpy(m_bitmap->pixels(), m_held.data, RowBytes(*m_bitmap) * m_bitmap->height());
        }
        m_held = FrameEntry{};
        SetBits(HasImage() ? m_bitmap->pixels() : nullptr, 0);
        return handle;
    }
    if (entry->frameType != FrameType::Y8) {
        if (m_bitmap != nullptr) {
            ConvertFrame(*m_bitmap, *entry);
        }
        // A grey buffer still held stays held (and is handed back later) but is not shown.
        if (HasImage() && m_bits != m_bitmap->pixels()) {
            SetBits(m_bitmap->pixels(), 0);
        }
        return entry->bufferHandle;
    }
    if (!CanShowInPlace(*entry)) {
        return entry->bufferHandle;
    }
    if (entry->mark != 0) {
        DrawFrameMark(entry->data, entry->width, entry->height, 1);
    }
    SetBits(entry->data, 0);
    const std::uint32_t previous = m_held.bufferHandle;
    m_held = *entry;
    return previous;
}

int ImageView::SaveBitmap(const char* fileName) {
    if (!HasImage()) {
        return 0;
    }
    char chosen[256] = "*.bmp";
    if (fileName == nullptr) {
        CFileSelectDialog dialog;
        dialog.SetupFileDialog(0, chosen, sizeof chosen, "Save Bitmap", nullptr,
                               OFN_HIDEREADONLY | OFN_EXPLORER, kSaveFilters, this, nullptr);
        if (dialog.ShowFileDialog() == 0) {
            return 0;
        }
        fileName = chosen;
    }
    if (fileName[0] == '\0') {
        return 0;
    }
    const std::uint8_t* pixels = m_bitmap->pixels();
    if (m_held.data != nullptr && m_bits == m_held.data) {
        pixels = m_held.data;
    }
    return WriteBitmapFile(fileName, pixels, m_bitmap->width(), m_bitmap->height(),
                           m_bitmap->bytesPerPixel())
               ? 1
               : 0;
}
