#include "winlib/CTextFieldBar.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "winlib/CTextField.h"
#include "winlib/DebugMessage.h"

CTextFieldBar::CTextFieldBar() {
    LOGFONTA description{};
    description.lfHeight = -10;
    description.lfWeight = 400;
    description.lfPitchAndFamily = 0x21;
    std::strcpy(description.lfFaceName, "MS Sans Serif");
    m_font = CreateFontIndirectA(&description);
    m_ownsFont = m_font != nullptr;
    if (m_font == nullptr) {
        m_font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    }
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, m_font);
    SIZE size{};
    GetTextExtentPoint32A(screen, "W", 1, &size);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    m_thickness = size.cy + 8;
}

CTextFieldBar::~CTextFieldBar() {
    while (m_fields.Count() > 0) {
        delete static_cast<CTextField*>(m_fields.First());
        m_fields.ClearCurrent();
        m_fields.RemoveFirst();
    }
    if (m_ownsFont) {
        DeleteObject(m_font);
    }
}

int CTextFieldBar::CreateBar(CBasicWindow* parent, int side) {
    if (parent == nullptr) {
        DebugMessage("Statusbar-Create ohne Parentwindow", 0);
        return 0;
    }
    m_side = side;
    CreateChild("Brask32ControlWindow", nullptr, WS_VISIBLE | WS_CLIPSIBLINGS, nullptr, parent,
                nullptr, nullptr, 0);
    return m_hwnd != nullptr ? 1 : 0;
}

int CTextFieldBar::AddField(const char* text) {
    auto* field = new (std::nothrow) CTextField;
    if (field == nullptr || !m_fields.Append(field)) {
        delete field;
        DebugMessage("Kein Speicher fuer Textfeld verfuegbar.", 0);
        return 0;
    }
    return field->Attach(this, text, m_font);
}

int CTextFieldBar::AddFieldsFromText(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    std::string copy;
    try {
        copy = text;
    } catch (const std::bad_alloc&) {
        DebugMessage("Fehler beim Allokieren eines Textfeldes.", 0);
        return 0;
    }
    size_t start = 0;
    while (start < copy.size()) {
        const size_t tab = copy.find('\t', start);
        const size_t end = tab == std::string::npos ? copy.size() : tab;
        if (!AddField(copy.substr(start, end - start).c_str())) {
            return 0;
        }
        if (tab == std::string::npos) {
            break;
        }
        start = tab + 1;
    }
    LayoutFields();
    return 1;
}

int CTextFieldBar::AddFields(const char* const* texts, int count) {
    if (texts == nullptr || static_cast<unsigned short>(count) == 0) {
        return 0;
    }
    for (int i = 0; i < static_cast<unsigned short>(count); ++i) {
        if (!AddField(texts[i] != nullptr ? texts[i] : "")) {
            return 0;
        }
    }
    LayoutFields();
    return 1;
}

int CTextFieldBar::ClientWidth() const {
    if (m_hwnd == nullptr) {
        return 0;
    }
    RECT client;
    GetClientRect(m_hwnd, &client);
    return client.right - client.left;
}

// Each field is followed by a 5-pixel gap; the first starts 5 pixels in.
void CTextFieldBar::LayoutFields() {
    long sum = 0;
    long stretching = 0;
    for (auto* field = static_cast<CTextField*>(m_fields.First()); field != nullptr;
         field = static_cast<CTextField*>(m_fields.Next())) {
        if (field->Stretches()) {
            sum += 5;
            ++stretching;
        } else {
            sum += field->Width() + 5;
        }
    }
    if (sum == 0) {
        return;
    }
    const long width = ClientWidth();
    long share = 0;
    if (width >= sum + 5 && stretching > 0) {
        share = (width - sum - 5) / stretching;
    }
    long x = 5;
    for (auto* field = static_cast<CTextField*>(m_fields.First()); field != nullptr;
         field = static_cast<CTextField*>(m_fields.Next())) {
        if (field->Stretches()) {
            const long height = field->GetRectangle().Height();
            field->SetRectangle(CRectangle(x, 3, x + share, 3 + height));
        } else {
            field->MoveTo(x, 3);
            field->Draw(nullptr);
        }
        x += field->Width() + 5;
    }
}

int CTextFieldBar::SetFieldText(int index, const char* text, int keep) {
    CTextField* field = Field(index);
    if (field == nullptr) {
        return 0;
    }
    return field->SetText(text, 1, keep);
}

int CTextFieldBar::SetFieldStyle(int index, DWORD flags) {
    CTextField* field = Field(index);
    if (field == nullptr) {
        return 0;
    }
    field->SetStyle(flags, 0);
    LayoutFields();
    if (m_hwnd != nullptr) {
        InvalidateRect(m_hwnd, nullptr, FALSE);
    }
    return 1;
}

LRESULT CTextFieldBar::OnSizeInner() {
    LayoutFields();
    InvalidateRect(m_hwnd, nullptr, TRUE);
    return DefaultProcess();
}

std::string CTextFieldBar::JoinedText() {
    std::string text;
    for (auto* field = static_cast<CTextField*>(m_fields.First()); field != nullptr;
         field = static_cast<CTextField*>(m_fields.Next())) {
        text += field->Text();
        text += '\t';
    }
    return text;
}

LRESULT CTextFieldBar::OnUnlistedMessage() {
    switch (Message()) {
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(JoinedText().size());
        case WM_GETTEXT: {
            const auto capacity = static_cast<std::size_t>(WParam());
            auto* buffer = reinterpret_cast<char*>(LParam());
            if (capacity == 0 || buffer == nullptr) {
                return 0;
            }
            const std::string text = JoinedText();
            const std::size_t length = std::min(text.size(), capacity - 1);
            std::memcpy(buffer, text.data(), length);
            buffer[length] = '\0';
            return static_cast<LRESULT>(length);
        }
        default:
            return CStatusBar::OnUnlistedMessage();
    }
}

void CTextFieldBar::DrawContents(HDC dc) {
    for (auto* field = static_cast<CTextField*>(m_fields.First()); field != nullptr;
         field = static_cast<CTextField*>(m_fields.Next())) {
        field->Draw(dc);
    }
}
