// Classes: ImageView
//
// The view of a camera frame window that paints the camera's image: its own
// display bitmap (converted frames), or a Y-8 frame straight from the
// driver's buffer while it holds that buffer. Stretched over the client area,
// or in scroll mode 1:1, centred between dark bands or scrolled.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "imaging/DisplayBitmap.h"
#include "imaging/FrameEntry.h"
#include "views/ImageViewGeometry.h"
#include "winlib/CBitmapView.h"

class ImageView : public CBitmapView {
public:
    ImageView();
    ~ImageView() override;  // frees the display bitmap

    // --- Operations (the camera's thread) -----------------------------------
    // Takes over the bitmap (null: none) and returns the previous one, which the caller
    // deletes; null when there was none or the same bitmap is given again.
    DisplayBitmap* SetDisplayBitmap(DisplayBitmap* bitmap);
    DisplayBitmap* GetDisplayBitmap() const { return m_bitmap; }
    // Resets the scroll positions; scroll mode off stretches the image over the view.
    void SetScrollMode(int on);
    int ScrollMode() const { return m_scrollMode; }
    // Shows a frame (null: none, acquisition has stopped) and returns the buffer handle to
    // give back to the driver, 0 for none. A Y-8 frame is shown from its own buffer, which
    // the view keeps until the next Y-8 frame or ShowFrame(null); other frames are converted
    // into the display bitmap and go back at once. A grey frame is shown only when it has
    // the display bitmap's size (else it goes back at once, not shown). Call ShowFrame(null)
    // before the view goes, so that a held buffer gets back to the driver.
    std::uint32_t ShowFrame(const FrameEntry* entry);
    // Writes the shown image as a bitmap file; without a name the "Save Bitmap" dialog asks
    // for one. 1 when a file was written, else 0 (no image, cancelled, write failed).
    int SaveBitmap(const char* fileName);

    // --- State, for the frame window and tests ------------------------------
    const BITMAPINFOHEADER& BitmapHeader() const { return m_description.header; }
    // The Y-8 frame whose buffer the view holds; a null data pointer when none.
    const FrameEntry& HeldFrame() const { return m_held; }
    std::int32_t ScrollPositionX() const { return m_positionX; }
    std::int32_t ScrollPositionY() const { return m_positionY; }
    std::int32_t ScrollRangeX() const { return m_rangeX; }
    std::int32_t ScrollRangeY() const { return m_rangeY; }
    const imageview::Rectangles& CurrentRectangles() const { return m_rectangles; }

    // --- Overridables -------------------------------------------------------
    int CreateInFrame(CBasicWindow* frame, const CRectangle* rectangle) override;
    void OnDraw() override;
    LRESULT OnSizeInner() override;
    LRESULT OnHScroll() override;
    LRESULT OnVScroll() override;
    LRESULT OnEraseBackgroundInner() override;

private:
    // A display bitmap with pixels: something to scroll and paint.
    bool HasImage() const;
    void DescribeBitmap();
    void UpdateScrollBars();
    void ClearScrollBars(BOOL redraw);
    LRESULT Scroll(int bar, std::int32_t& position, std::int32_t range);
    void DrawBands(HDC dc);
    // The pixels to paint, rows padded to 4 bytes as StretchDIBits reads them.
    const void* PaintablePixels();
    bool CanShowInPlace(const FrameEntry& entry) const;

    // Header and colour table in one block: the BITMAPINFO the drawing calls take.
    struct Description {
        BITMAPINFOHEADER header;
        RGBQUAD colours[16384];
    };
    Description m_description{};

    DisplayBitmap* m_bitmap = nullptr;
    FrameEntry m_held{};
    std::int32_t m_positionX = 0;
    std::int32_t m_positionY = 0;
    std::int32_t m_rangeX = 0;
    std::int32_t m_rangeY = 0;
    int m_scrollMode = 0;
    imageview::Rectangles m_rectangles{};
    bool m_erasePending = false;
    bool m_updatingBars = false;
    // Rows padded to 4 bytes for bitmaps whose rows are not; empty otherwise.
    std::unique_ptr<std::uint8_t[]> m_padded;
    std::size_t m_paddedRowBytes = 0;
};
