// A small program on the window class library, for looking at its windows and
// for running the real program entry: a main frame with a form, a frame with a
// bitmap view and a status line, and a tab dialog. With "--quit" it ends as
// soon as its loop runs; otherwise after the number of milliseconds given, or
// when the main window is closed.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "TestResources.h"
#include "winlib/CApplication.h"
#include "winlib/CBitmapView.h"
#include "winlib/CFormView.h"
#include "winlib/CFrameWindow.h"
#include "winlib/CTextField.h"
#include "winlib/CTextFieldBar.h"
#include "winlib/TabDialog.h"

namespace {

// A 256-level grey ramp, brighter to the right and with a dark band at the top.
struct GreyImage {
    static constexpr int kWidth = 256;
    static constexpr int kHeight = 192;

    GreyImage() : pixels(static_cast<size_t>(kWidth) * kHeight) {
        std::memset(&info, 0, sizeof info);
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = kWidth;
        info.header.biHeight = -kHeight;  // top-down
        info.header.biPlanes = 1;
        info.header.biBitCount = 8;
        info.header.biClrUsed = 256;
        for (int i = 0; i < 256; ++i) {
            const BYTE level = static_cast<BYTE>(i);
            info.colours[i] = {level, level, level, 0};
        }
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                pixels[static_cast<size_t>(y) * kWidth + x] =
                    static_cast<unsigned char>(y < kHeight / 8 ? 20 : x);
            }
        }
    }
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info;
    std::vector<unsigned char> pixels;
};

class ShowcaseApp : public CApplication {
public:
    int InitInstance() override {
        InitCommonControls();
        auto* main = new CFrameWindow;
        main->SetAutoDelete(false);
        m_main = main;
        SetMainWindow(main);
        const CRectangle mainPlace(20, 20, 300, 200);
        if (!main->CreateFrame(nullptr, "Showcase", WS_OVERLAPPEDWINDOW | WS_VISIBLE, &mainPlace,
                               nullptr, MAKEINTRESOURCEA(IDM_FRAME), 0, new CFormView(IDD_FORM))) {
            return 0;
        }
        OpenCameraLikeFrame();
        OpenTabDialog();
        const char* commandLine = CommandLine();
        if (std::strstr(commandLine, "--quit") != nullptr) {
            PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
        } else if (const int wait = std::atoi(commandLine); wait > 0) {
            SetTimer(nullptr, 0, static_cast<UINT>(wait), CloseMain);
        }
        return 1;
    }
    int ExitInstance() override {
        delete m_main;
        return 1;
    }

private:
    static void CALLBACK CloseMain(HWND, UINT, UINT_PTR, DWORD) {
        PostMessageA(Instance()->MainWindow()->Handle(), WM_CLOSE, 0, 0);
    }

    void OpenCameraLikeFrame() {
        auto* view = new CBitmapView;
        view->SetBitmap(reinterpret_cast<const BITMAPINFO*>(&m_image.info), m_image.pixels.data(),
                        DIB_RGB_COLORS);
        auto* frame = new CFrameWindow;
        const CRectangle place(340, 20, 740, 360);
        frame->CreateFrame(nullptr, "Bitmap view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, &place,
                           nullptr, nullptr, 0, view);
        auto* bar = new CTextFieldBar;
        bar->AddFieldsFromText("Frames:00000000\tRate:000.0\tstatus line");
        bar->SetFieldStyle(2, CTextField::kStretch | CTextField::kBorderRaised);
        bar->CreateBar(frame, CStatusBar::kBottom);
        bar->SetFieldText(0, "1234", 7);
    }

    void OpenTabDialog() {
        const TabPage pages[] = {{"First", new CDialog, IDD_PAGE_ONE},
                                 {"Second", new CDialog, IDD_PAGE_TWO}};
        auto* tabs = new TabDialog(0);
        tabs->SetupTabs(IDD_TABS, MainWindow(), IDC_TABS, pages, 2);
        tabs->DoModeless();
        SetWindowPos(tabs->Handle(), nullptr, 20, 420, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(tabs->Handle(), SW_SHOW);
    }

    GreyImage m_image;
    CFrameWindow* m_main = nullptr;
};

ShowcaseApp g_app;

}  // namespace
