#include "winlib/CFileSelectDialog.h"

#include <cstddef>

#include "winlib/CApplication.h"

namespace {

// Per thread: a camera thread saving a picture must not block or see another thread's dialog.
thread_local CFileSelectDialog* t_currentFileDialog = nullptr;

// The size of the record the dialog is given, as in the first Windows versions with explorer
// dialogs: without the fields added later.
constexpr DWORD kRecordSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(kRecordSize == 76, "the dialog record is given with its 76-byte size");

}  // namespace

int CFileSelectDialog::SetupFileDialog(int open, char* fileBuffer, int bufferSize,
                                       const char* title, const char* defaultExtension, DWORD flags,
                                       const char* filters, CBasicWindow* owner,
                                       const char* initialDirectory) {
    if (owner == nullptr) {
        if (CApplication* app = CApplication::Instance()) {
            owner = app->MainWindow();
        }
    }
    m_parent = owner;
    m_open = open != 0;
    m_record = OPENFILENAMEA{};
    m_record.lStructSize = kRecordSize;
    m_record.hwndOwner = owner != nullptr ? owner->Handle() : nullptr;
    m_record.hInstance = nullptr;
    m_record.lpstrFilter = filters;
    m_record.lpstrCustomFilter = nullptr;
    m_record.nFilterIndex = 0;
    m_record.lpstrFile = fileBuffer;
    m_record.nMaxFile = static_cast<WORD>(bufferSize);
    m_record.lpstrFileTitle = nullptr;
    m_record.lpstrInitialDir = initialDirectory;
    m_record.lpstrTitle = title;
    m_record.Flags = flags | OFN_ENABLEHOOK;
    m_record.nFileOffset = 0;
    m_record.nFileExtension = 0;
    m_record.lpstrDefExt = defaultExtension;
    m_record.lCustData = 0;
    // The old-style dialog goes through the same hook: binding it through GlobalDialogProc
    // would subclass the system's own dialog window.
    m_record.lpfnHook = FileDialogHookProc;
    m_record.lpTemplateName = nullptr;
    return 1;
}

INT_PTR CFileSelectDialog::ShowFileDialog() {
    if (t_currentFileDialog != nullptr) {
        return 0;
    }
    t_currentFileDialog = this;
    m_modal = true;
    m_centred = false;
    const BOOL chosen = m_open ? GetOpenFileNameA(&m_record) : GetSaveFileNameA(&m_record);
    // The hook window's end clears this too; a dialog that failed to start must not keep
    // every later one from running.
    t_currentFileDialog = nullptr;
    return chosen;
}

int CFileSelectDialog::SetTemplate(int /*templateId*/, CBasicWindow* /*parent*/) {
    return 0;
}

CBasicWindow* CFileSelectDialog::Control(int /*id*/) {
    return nullptr;
}

// The explorer dialog is laid out around its hook window, so the dialog itself, the hook
// window's parent, is what gets centred over the owner and kept on the desktop: once, when the
// hook first hears of a size or of the end of the dialog's initialisation, whichever the
// system sends first.
void CFileSelectDialog::CentreFileDialog() {
    if ((m_record.Flags & OFN_EXPLORER) == 0 || m_centred || m_parent == nullptr ||
        m_parent->Handle() == nullptr) {
        return;
    }
    const HWND dialog = GetParent(m_hwnd);
    if (dialog != nullptr) {
        m_centred = true;
        CentreOverParent(dialog);
    }
}

LRESULT CFileSelectDialog::OnSizeInner() {
    CentreFileDialog();
    return DefaultProcess();
}

LRESULT CFileSelectDialog::OnNotify() {
    const auto* header = reinterpret_cast<const NMHDR*>(LParam());
    if (header != nullptr && header->code == static_cast<UINT>(CDN_INITDONE)) {
        CentreFileDialog();
    }
    return DefaultProcess();
}

LRESULT CFileSelectDialog::OnNcDestroyInner() {
    if (t_currentFileDialog == this) {
        t_currentFileDialog = nullptr;
    }
    return 1;
}

LRESULT CFileSelectDialog::OnInitDialog() {
    if ((m_record.Flags & OFN_EXPLORER) != 0) {
        return AfterInitDialog();
    }
    return CDialog::OnInitDialog();
}

// The hook window is neither subclassed nor stored at index 8: it reaches its object only
// through this hook, and default processing leaves every message to the system dialog.
UINT_PTR CALLBACK FileDialogHookProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    CFileSelectDialog* dialog = t_currentFileDialog;
    if (dialog == nullptr) {
        return 0;
    }
    if (dialog->m_hwnd == nullptr) {
        dialog->m_hwnd = handle;
        if (dialog->m_parent == nullptr) {
            if (CApplication* app = CApplication::Instance()) {
                dialog->m_parent = app->MainWindow();
            }
        }
        RECT client;
        GetClientRect(handle, &client);
        dialog->m_clientRect.Set(client);
        dialog->OnInitDialog();
    }
    return static_cast<UINT_PTR>(dialog->Dispatch(message, wParam, lParam));
}
