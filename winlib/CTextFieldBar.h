// Classes: CTextFieldBar
//
// A status bar made of a row of text fields, laid out from the left; fields
// with the stretch style share the spare width. A camera window shows its
// frame statistics in one.
#pragma once

#include <string>

#include "winlib/CPointerList.h"
#include "winlib/CStatusBar.h"

class CTextField;

class CTextFieldBar : public CStatusBar {
public:
    CTextFieldBar();
    // Deletes the fields and the font.
    ~CTextFieldBar() override;

    // --- Overridables -------------------------------------------------------
    // Creates the bar as a visible child docked to the parent's side.
    virtual int CreateBar(CBasicWindow* parent, int side);
    // One field per tab-separated part (an empty part too; a final tab adds none).
    virtual int AddFieldsFromText(const char* text);
    virtual int AddFields(const char* const* texts, int count);
    // The first keep characters of the field's text followed by the new text, drawn at once.
    virtual int SetFieldText(int index, const char* text, int keep);
    virtual int SetFieldStyle(int index, DWORD flags);

    LRESULT OnSizeInner() override;
    // The bar's text is its fields' texts, each followed by a tab, so that
    // screen readers and other programs can read what the fields show.
    LRESULT OnUnlistedMessage() override;
    void DrawContents(HDC dc) override;

    // Places the fields from the left; stretching fields share what the others leave.
    void LayoutFields();
    int FieldCount() { return m_fields.Count(); }
    CTextField* Field(int index) { return static_cast<CTextField*>(m_fields.GoTo(index)); }
    HFONT Font() const { return m_font; }

private:
    // Appends one field; 0 when it cannot be allocated or attached.
    int AddField(const char* text);
    int ClientWidth() const;
    std::string JoinedText();

    HFONT m_font = nullptr;
    bool m_ownsFont = false;
    CPointerList m_fields;
};
