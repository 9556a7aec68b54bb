// The message and view size dialogs, run modally on the test thread and
// driven from a thread timer that fires inside their modal loops.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/AboutDialog.h"
#include "app/MessageDialog.h"
#include "app/ViewSizeDialog.h"
#include "resources/resource.h"

namespace {

// Steps run one per timer tick against the dialog of this thread that is showing.
std::vector<std::function<void(HWND)>> g_steps;
std::size_t g_nextStep = 0;

BOOL CALLBACK TakeVisibleDialog(HWND window, LPARAM parameter) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (std::string(name) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(parameter) = window;
        return FALSE;
    }
    return TRUE;
}

HWND ShowingDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = ShowingDialog();
    if (dialog == nullptr || g_nextStep >= g_steps.size()) {
        return;
    }
    g_steps[g_nextStep++](dialog);
}

// Runs `show` with the steps driving its dialog.
template <typename Show>
auto RunWithSteps(std::vector<std::function<void(HWND)>> steps, Show show) {
    g_steps = std::move(steps);
    g_nextStep = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &RunNextStep);
    auto result = show();
    KillTimer(nullptr, timer);
    return result;
}

std::string ItemText(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

std::string TitleOf(HWND dialog) {
    char text[128] = {};
    GetWindowTextA(dialog, text, sizeof(text));
    return text;
}

// Owner of the dialogs: a window without a parent posts WM_QUIT when it goes
// away, which would end the next modal loop of the thread at once.
CBasicWindow& Owner() {
    static CBasicWindow owner;
    if (owner.Handle() == nullptr) {
        owner.SetAutoDelete(false);
        owner.WrapHandle(CreateWindowA("STATIC", "owner", WS_OVERLAPPED, 0, 0, 200, 100, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr));
    }
    return owner;
}

void Press(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST(MessageDialog, WithoutTitleIsCalledMessageAndOffersOnlyOk) {
    std::string title;
    std::string text;
    bool cancelEnabled = true;
    const int result = RunWithSteps(
        {[&](HWND dialog) {
            title = TitleOf(dialog);
            text = ItemText(dialog, IDC_MESSAGE_TEXT);
            cancelEnabled = IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)) != FALSE;
            Press(dialog, IDOK);
        }},
        [] { return ShowMessageDialog("First\r\r\nSecond", nullptr, false, &Owner()); });
    EXPECT_EQ(1, result);
    EXPECT_EQ("Message", title);
    EXPECT_EQ("First\r\r\nSecond", text);
    EXPECT_FALSE(cancelEnabled);
}

TEST(MessageDialog, ResultIsZeroForCancelAndForTheCloseBox) {
    struct Case {
        const char* name;
        bool cancelAllowed;
        std::function<void(HWND)> end;
    };
    const Case cases[] = {
        {"Cancel", true, [](HWND dialog) { Press(dialog, IDCANCEL); }},
        {"close box", false, [](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Case& c : cases) {
        std::string title;
        const int result = RunWithSteps(
            {[&](HWND dialog) {
                title = TitleOf(dialog);
                c.end(dialog);
            }},
            [&] { return ShowMessageDialog("Sure?", "Question", c.cancelAllowed, &Owner()); });
        EXPECT_EQ(0, result) << c.name;
        EXPECT_EQ("Question", title) << c.name;
    }
}

TEST(ViewSizeDialog, CorrectsAnOutOfRangeSizeAndStaysOpenUntilItFits) {
    std::int32_t width = 320;
    std::int32_t height = 240;
    std::string shownWidth;
    std::string shownHeight;
    std::string correctedWidth;
    bool stayedOpen = false;
    DWORD selectionEnd = 0;
    const INT_PTR result =
        RunWithSteps({[&](HWND dialog) {
                          shownWidth = ItemText(dialog, IDC_VIEW_WIDTH);
                          shownHeight = ItemText(dialog, IDC_VIEW_HEIGHT);
                          SetDlgItemTextA(dialog, IDC_VIEW_WIDTH, "5000");
                          SetDlgItemTextA(dialog, IDC_VIEW_HEIGHT, "100");
                          Press(dialog, IDOK);
                      },
                      [&](HWND dialog) {
                          stayedOpen = true;
                          correctedWidth = ItemText(dialog, IDC_VIEW_WIDTH);
                          DWORD start = 99;
                          SendDlgItemMessageA(dialog, IDC_VIEW_WIDTH, EM_GETSEL,
                                              reinterpret_cast<WPARAM>(&start),
                                              reinterpret_cast<LPARAM>(&selectionEnd));
                          selectionEnd = start == 0 ? selectionEnd : 0;
                          Press(dialog, IDOK);
                      }},
                     [&] { return (new ViewSizeDialog(&width, &height, &Owner()))->DoModal(); });
    EXPECT_EQ(1, result);
    EXPECT_EQ("320", shownWidth);
    EXPECT_EQ("240", shownHeight);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ("4000", correctedWidth);
    EXPECT_EQ(4u, selectionEnd) << "the corrected text is selected";
    EXPECT_EQ(4000, width);
    EXPECT_EQ(100, height);
}

TEST(ViewSizeDialog, ZeroHeightIsRaisedToOneAndCancelLeavesThePairAlone) {
    std::int32_t width = 640;
    std::int32_t height = 480;
    std::string correctedHeight;
    const INT_PTR result =
        RunWithSteps({[&](HWND dialog) {
                          SetDlgItemTextA(dialog, IDC_VIEW_HEIGHT, "0");
                          Press(dialog, IDOK);
                      },
                      [&](HWND dialog) {
                          correctedHeight = ItemText(dialog, IDC_VIEW_HEIGHT);
                          Press(dialog, IDCANCEL);
                      }},
                     [&] { return (new ViewSizeDialog(&width, &height, &Owner()))->DoModal(); });
    EXPECT_EQ(0, result);
    EXPECT_EQ("1", correctedHeight);
    EXPECT_EQ(640, width);
    EXPECT_EQ(480, height);
}

TEST(AboutDialog, ShowsNameVersionAndNoticeAndClosesWithClose) {
    std::string text;
    const INT_PTR result = RunWithSteps({[&](HWND dialog) {
                                            text = ItemText(dialog, IDC_ABOUT_TEXT);
                                            Press(dialog, IDOK);
                                        }},
                                        [] { return (new AboutDialog(&Owner()))->DoModal(); });
    EXPECT_EQ(1, result);
    EXPECT_EQ(AboutDialog::Text(), text);
    EXPECT_EQ(0u, text.find("Oriscope - Version 2.20\r\r\n\r\r\n"));
    EXPECT_GT(text.size(), std::string("Oriscope - Version 2.20\r\r\n\r\r\n").size());
}

}  // namespace
