#include "winlib/TabDialog.h"

#include <new>

#include "winlib/DebugMessage.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(TabPage) == 12, "a page table entry is three 32-bit words");
#endif

TabDialog::~TabDialog() {
    for (Page& page : m_pages) {
        if (page.templateId != 0 && page.dialog != nullptr) {
            delete page.dialog;
        }
    }
}

int TabDialog::SetupTabs(int templateId, CBasicWindow* parent, int tabControlId,
                         const TabPage* pages, int count) {
    SetTemplate(templateId, parent);
    if (count <= 0 || pages == nullptr) {
        return 0;
    }
    std::vector<Page> copy;
    try {
        copy.reserve(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        DebugMessage("Speicher-Fehler TabDialog-Create.", 0);
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        copy.push_back(Page{pages[i].text, pages[i].dialog, pages[i].templateId, nullptr});
    }
    m_pages.swap(copy);
    m_tabControlId = tabControlId;
    return 1;
}

CDialog* TabDialog::PageByIndex(int index) {
    if (index < 0 || index >= PageCount()) {
        return nullptr;
    }
    return m_pages[static_cast<size_t>(index)].dialog;
}

bool TabDialog::PageCreated(int index) const {
    return index >= 0 && index < PageCount() && m_pages[static_cast<size_t>(index)].templateId == 0;
}

// The dialog manager must not move the focus: it goes to the tab control.
int TabDialog::AfterInitDialog() {
    if (m_pages.empty()) {
        return 1;
    }
    const HWND tab = TabControl();
    for (size_t i = 0; i < m_pages.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(m_pages[i].text);
        item.iImage = -1;
        SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        m_pages[i].focus = nullptr;
    }
    if (m_current < 0 || m_current >= PageCount()) {
        m_current = 0;
    }
    ::SetFocus(tab);
    SelectPage(m_current);
    return 0;
}

// The page being left remembers where its focus was; a page shown again gets it back.
int TabDialog::SelectPage(int index) {
    if (index < 0 || index >= PageCount()) {
        return 0;
    }
    const HWND tab = TabControl();
    const HWND focus = GetFocus();
    if (m_current >= 0 && m_current < PageCount()) {
        Page& leaving = m_pages[static_cast<size_t>(m_current)];
        if (leaving.templateId == 0 && leaving.dialog != nullptr) {
            leaving.focus = focus == tab ? nullptr : focus;
            leaving.dialog->Hide();
        }
    }
    m_current = index;
    SendMessageA(tab, TCM_SETCURSEL, index, 0);
    Page& page = m_pages[static_cast<size_t>(index)];
    if (page.dialog == nullptr) {
        return 1;
    }
    if (page.templateId != 0) {
        page.dialog->SetTemplate(MAKEINTRESOURCEA(page.templateId), this);
        page.templateId = 0;
        page.dialog->DoModeless();
        ::SetFocus(tab);
        BringWindowToTop(page.dialog->Handle());
    } else {
        page.dialog->Show(SW_SHOWNORMAL);
        if (focus != tab) {
            ::SetFocus(page.focus != nullptr ? page.focus : tab);
        }
    }
    return 1;
}

int TabDialog::RefuseLeavingPage() {
    CDialog* page = PageByIndex(m_current);
    if (page == nullptr || !PageCreated(m_current)) {
        return 0;
    }
    return page->OnOK() == 0 ? 1 : 0;
}

int TabDialog::OnPageChanged() {
    const LRESULT selected = SendMessageA(TabControl(), TCM_GETCURSEL, 0, 0);
    if (selected != -1) {
        SelectPage(static_cast<int>(selected));
    }
    return 0;
}

LRESULT TabDialog::OnNotify() {
    const auto* header = reinterpret_cast<const NMHDR*>(LParam());
    if (header != nullptr && m_tabControlId != 0 &&
        WParam() == static_cast<WPARAM>(m_tabControlId)) {
        if (header->code == static_cast<UINT>(TCN_SELCHANGING)) {
            return RefuseLeavingPage();
        }
        if (header->code == static_cast<UINT>(TCN_SELCHANGE)) {
            return OnPageChanged();
        }
    }
    return DefaultProcess();
}

int TabDialog::OnOK() {
    CDialog* page = PageByIndex(m_current);
    return page != nullptr && PageCreated(m_current) ? page->OnOK() : 1;
}

int TabDialog::OnCancel(int notificationCode) {
    CDialog* page = PageByIndex(m_current);
    return page != nullptr && PageCreated(m_current) ? page->OnCancel(notificationCode) : 1;
}
