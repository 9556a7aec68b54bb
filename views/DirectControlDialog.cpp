#include "views/DirectControlDialog.h"

#include <cstdio>
#include <cstring>

#include "buslib/TK.h"
#include "resources/resource.h"

namespace {

constexpr std::uint32_t kAddressHigh = 0xFFFF;
// Address and data within a history line.
constexpr int kAddressColumn = 2;
constexpr int kDataColumn = 11;
constexpr int kHexDigits = 8;
// An edit is read into this many characters at most, its end included.
constexpr int kEditBuffer = 100;

}  // namespace

bool ParseHex(const char* text, std::uint32_t* value) {
    if (text == nullptr || value == nullptr || *text == '\0') {
        return false;
    }
    std::uint32_t result = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        std::uint32_t digit = 0;
        if (*p >= '0' && *p <= '9') {
            digit = static_cast<std::uint32_t>(*p - '0');
        } else if (*p >= 'A' && *p <= 'F') {
            digit = static_cast<std::uint32_t>(*p - 'A' + 10);
        } else if (*p >= 'a' && *p <= 'f') {
            digit = static_cast<std::uint32_t>(*p - 'a' + 10);
        } else {
            return false;
        }
        result = result * 16 + digit;
    }
    *value = result;
    return true;
}

std::string RegisterHistoryLine(bool write, std::uint32_t address, std::uint32_t data,
                                std::uint32_t code) {
    char line[64];
    const char kind = write ? 'W' : 'R';
    if (code == 0) {
        std::snprintf(line, sizeof line, "%c %08X:%08X", kind, static_cast<unsigned>(address),
                      static_cast<unsigned>(data));
    } else {
        std::snprintf(line, sizeof line, "%c %08X:%08X Error(%d)", kind,
                      static_cast<unsigned>(address), static_cast<unsigned>(write ? data : 0),
                      static_cast<int>(code));
    }
    return line;
}

DirectControlDialog::DirectControlDialog(IidcCamera& camera, CBasicWindow* owner)
    : CDialog(IDD_DIRECT_CONTROL, owner), m_camera(camera) {}

int DirectControlDialog::AfterInitDialog() {
    Control(IDC_REGISTER_ADDRESS)->SetText("F0F00614");
    Control(IDC_REGISTER_DATA)->SetText("00000000");
    return 1;
}

LRESULT DirectControlDialog::OnControlCommand(HWND /*control*/, int id, int code) {
    if (id == IDC_REGISTER_WRITE && code == BN_CLICKED) {
        Write();
        return 0;
    }
    if (id == IDC_REGISTER_READ && code == BN_CLICKED) {
        Read();
        return 0;
    }
    if (id == IDC_REGISTER_HISTORY && code == LBN_SELCHANGE) {
        PickHistoryLine();
        return 0;
    }
    return DefaultProcess();
}

LRESULT DirectControlDialog::OnClose() {
    EndWith(0);
    return 0;
}

bool DirectControlDialog::ReadHexEdit(int id, std::uint32_t* value) {
    char text[kEditBuffer] = "";
    CBasicWindow* edit = Control(id);
    edit->GetText(text, sizeof text);
    if (ParseHex(text, value)) {
        return true;
    }
    MessageBeep(0);
    edit->SetFocus();
    edit->SelectEditText(0, -1);
    return false;
}

void DirectControlDialog::Write() {
    std::uint32_t address = 0;
    std::uint32_t data = 0;
    if (!ReadHexEdit(IDC_REGISTER_ADDRESS, &address) || !ReadHexEdit(IDC_REGISTER_DATA, &data)) {
        return;
    }
    const std::uint32_t code =
        TKWriteQuad(m_camera.settings.card, m_camera.settings.node, kAddressHigh, address, data);
    AddHistoryLine(RegisterHistoryLine(true, address, data, code));
}

void DirectControlDialog::Read() {
    std::uint32_t address = 0;
    if (!ReadHexEdit(IDC_REGISTER_ADDRESS, &address)) {
        return;
    }
    std::uint32_t value = 0;
    const std::uint32_t code =
        TKReadQuad(m_camera.settings.card, m_camera.settings.node, kAddressHigh, address, &value);
    AddHistoryLine(RegisterHistoryLine(false, address, value, code));
}

// The newest line is the last and selected; the oldest goes beyond the limit.
void DirectControlDialog::AddHistoryLine(const std::string& line) {
    CBasicWindow* history = Control(IDC_REGISTER_HISTORY);
    history->AddListBoxLine(line.c_str());
    if (history->ListBoxCount() > kHistoryLines) {
        history->DeleteListBoxLine(0);
    }
    history->SelectListBoxLine(static_cast<int>(history->ListBoxCount()) - 1);
}

// The error part of a line is ignored: only the address and data columns are taken.
void DirectControlDialog::PickHistoryLine() {
    CBasicWindow* history = Control(IDC_REGISTER_HISTORY);
    const LRESULT selected = history->ListBoxSelection();
    if (selected < 0) {
        return;
    }
    const HWND list = history->Handle();
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
    char line[kEditBuffer] = "";
    if (length < kDataColumn + kHexDigits || length >= static_cast<LRESULT>(sizeof line)) {
        return;
    }
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(line));
    char address[kHexDigits + 1] = "";
    char data[kHexDigits + 1] = "";
    std::memcpy(address, line + kAddressColumn, kHexDigits);
    std::memcpy(data, line + kDataColumn, kHexDigits);
    Control(IDC_REGISTER_ADDRESS)->SetText(address);
    Control(IDC_REGISTER_DATA)->SetText(data);
}

int RunDirectControlDialog(CBasicWindow* owner, IidcCamera& camera) {
    DirectControlDialog dialog(camera, owner);
    // The object outlives its window here; it is not deleted by the window's end.
    dialog.SetAutoDelete(false);
    return static_cast<int>(dialog.DoModal());
}
