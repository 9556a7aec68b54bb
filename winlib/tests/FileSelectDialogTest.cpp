// CFileSelectDialog: the record it gives the system's save dialog, the explorer
// hook reaching the object, one file dialog at a time, and the chosen name.
#include <windows.h>

#include <commdlg.h>

#include <cstring>
#include <string>

#include "WinlibTestSupport.h"
#include "winlib/CFileSelectDialog.h"
#include "winlib/CFrameWindow.h"

namespace {

EventLog g_events;
HWND g_hook = nullptr;

class ProbeFileDialog : public CFileSelectDialog {
public:
    int AfterInitDialog() override {
        g_hook = Handle();
        g_events.push_back("AfterInitDialog");
        return 1;
    }
};

const char kFilters[] = "Bitmap (*.bmp)\0*.bmp\0All Files (*.*)\0*.*\0";

class WinlibFileDialog : public WinlibTest {
protected:
    void SetUp() override {
        WinlibTest::SetUp();
        g_events.clear();
        g_hook = nullptr;
        owner = new CFrameWindow;
        const CRectangle place(100, 100, 500, 400);
        ASSERT_EQ(owner->CreateFrame(nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, &place,
                                     nullptr, nullptr, 0, nullptr),
                  1);
        app.SetMainWindow(owner);
        GetTempPathA(sizeof directory, directory);
    }
    void TearDown() override {
        DestroyWindow(owner->Handle());
        WinlibTest::TearDown();
    }
    void Setup(ProbeFileDialog& dialog, DWORD flags) {
        std::strcpy(name, "*.bmp");
        ASSERT_EQ(dialog.SetupFileDialog(0, name, sizeof name, "Save Bitmap", nullptr, flags,
                                         kFilters, nullptr, directory),
                  1);
    }

    CFrameWindow* owner = nullptr;
    char name[256] = "";
    char directory[MAX_PATH] = "";
};

// The file dialog itself: the hook window's parent.
HWND FileDialogWindow() {
    return GetParent(g_hook);
}

void ChooseName(const char* fileName) {
    HWND dialog = FileDialogWindow();
    HWND edit = GetDlgItem(dialog, 0x47C);  // cmb13, the file name box
    if (edit == nullptr) {
        edit = GetDlgItem(dialog, 0x480);  // edt1
    }
    SetWindowTextA(edit, fileName);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

TEST_F(WinlibFileDialog, RecordCarriesTheSettingsAndTheHook) {
    ProbeFileDialog dialog;
    Setup(dialog, OFN_HIDEREADONLY | OFN_EXPLORER);
    const OPENFILENAMEA* record = dialog.Record();
    EXPECT_EQ(record->lStructSize, 76u);
    EXPECT_EQ(record->hwndOwner, owner->Handle()) << "no owner given: the main window";
    EXPECT_EQ(dialog.Parent(), owner);
    EXPECT_EQ(record->Flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLEHOOK));
    EXPECT_EQ(record->lpstrFile, name);
    EXPECT_EQ(record->nMaxFile, sizeof name);
    EXPECT_STREQ(record->lpstrTitle, "Save Bitmap");
    EXPECT_EQ(record->lpstrFilter, kFilters);
    EXPECT_EQ(record->nFilterIndex, 0u);
    EXPECT_EQ(record->lpstrDefExt, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(record->lpfnHook),
              reinterpret_cast<void*>(FileDialogHookProc));
    EXPECT_EQ(dialog.SetTemplate(100, owner), 0);
    EXPECT_EQ(dialog.DoModeless(), 0);
    EXPECT_EQ(dialog.Control(1), nullptr);
}

TEST_F(WinlibFileDialog, SaveDialogReturnsTheChosenNameAndAllowsTheNextOne) {
    ProbeFileDialog dialog;
    Setup(dialog, OFN_HIDEREADONLY | OFN_EXPLORER);
    INT_PTR second = -1;
    bool centred = false;
    {
        TimerScript script({[] {},
                            [&] {
                                // A second file dialog on this thread while one runs.
                                ProbeFileDialog other;
                                char otherName[64] = "";
                                other.SetupFileDialog(0, otherName, sizeof otherName, "x", nullptr,
                                                      OFN_EXPLORER, kFilters, owner, nullptr);
                                second = other.ShowFileDialog();
                            },
                            [&] {
                                RECT own;
                                RECT parent;
                                GetWindowRect(FileDialogWindow(), &own);
                                GetWindowRect(owner->Handle(), &parent);
                                const long centreX = (own.left + own.right) / 2;
                                const long parentX = (parent.left + parent.right) / 2;
                                centred = centreX >= parentX - 1 && centreX <= parentX + 1;
                            },
                            [] { ChooseName("picture.bmp"); }});
        EXPECT_NE(dialog.ShowFileDialog(), 0);
        EXPECT_EQ(second, 0);
        EXPECT_TRUE(centred) << "the file dialog is centred over its owner";
        EXPECT_EQ(std::string(name), std::string(directory) + "picture.bmp");
        EXPECT_EQ(g_events, EventLog{"AfterInitDialog"});
    }

    // The hook window's end let the next one run; this one is cancelled.
    ProbeFileDialog next;
    Setup(next, OFN_HIDEREADONLY | OFN_EXPLORER);
    TimerScript cancel({[] {},
                        [] {
                            PostMessageA(FileDialogWindow(), WM_COMMAND,
                                         MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                        }});
    EXPECT_EQ(next.ShowFileDialog(), 0);
    EXPECT_EQ(g_events.size(), 2u) << "the second dialog ran";
}

}  // namespace
