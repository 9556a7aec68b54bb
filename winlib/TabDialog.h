// Classes: TabPage, TabDialog
//
// A dialog whose tab control switches between page dialogs. A page's window
// is created the first time its tab is selected and is hidden, not destroyed,
// when another tab is selected. OnOK of the current page can refuse to let
// the user leave it.
#pragma once

#include <cstdint>
#include <vector>

#include "winlib/CDialog.h"

// One entry of the page table a tab dialog is set up with.
struct TabPage {
    const char* text;     // the tab's text
    CDialog* dialog;      // the page dialog object
    uint32_t templateId;  // the page's dialog template
};

class TabDialog : public CDialog {
public:
    explicit TabDialog(int initialPage = 0) : m_current(initialPage) {}
    // Deletes the page objects whose window was never created; the others end with this
    // dialog's window and delete themselves.
    ~TabDialog() override;

    // --- Overridables -------------------------------------------------------
    // Copies the page table; run the dialog afterwards with DoModal or DoModeless.
    virtual int SetupTabs(int templateId, CBasicWindow* parent, int tabControlId,
                          const TabPage* pages, int count);
    // The page dialog object, or null for an index not below the count.
    virtual CDialog* PageByIndex(int index);
    virtual int SelectPage(int index);
    // Non-zero (refused) when the current page's OnOK returns 0.
    virtual int RefuseLeavingPage();
    virtual int OnPageChanged();

    LRESULT OnNotify() override;
    int OnOK() override;
    int OnCancel(int notificationCode) override;
    int AfterInitDialog() override;

    int CurrentPage() const { return m_current; }
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    bool PageCreated(int index) const;

private:
    struct Page {
        const char* text;
        CDialog* dialog;
        uint32_t templateId;  // 0 once the page's window exists
        HWND focus;           // the page's remembered focus window
    };

    HWND TabControl() const { return GetDlgItem(m_hwnd, m_tabControlId); }

    std::vector<Page> m_pages;
    int m_current;
    int m_tabControlId = 0;
};
