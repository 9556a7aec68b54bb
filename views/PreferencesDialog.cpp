#include "views/PreferencesDialog.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "app/MessageDialog.h"
#include "camera/Format7Request.h"
#include "camera/VideoModes.h"
#include "resources/resource.h"

namespace {

constexpr int kFormatCount = 8;
constexpr int kModeCount = 8;
constexpr int kRateCount = 8;
constexpr int kColourCount = 8;
constexpr std::uint32_t kFormat7 = 7;
constexpr std::uint32_t kFixedFormats = 3;  // Formats 0..2 come from the mode table

constexpr const char* kInputErrorTitle = "Inputerror";
constexpr const char* kMultipleOfFourText = "'Packetpayload' must be a multiple of 4.";
constexpr const char* kWholeFractionText =
    "(XSize*YSize*BytesPerPixel)/Packetpayload must be a whole fraction.";

// Inquiry bytes list item i at bit 7 - i.
bool Offered(std::uint8_t inquiry, int item) {
    return (inquiry & (0x80u >> item)) != 0;
}

std::uint32_t High16(std::uint32_t value) {
    return value >> 16;
}
std::uint32_t Low16(std::uint32_t value) {
    return value & 0xFFFFu;
}

// A name text of a node record: at most its 128 bytes, whether terminated or not.
std::string NameText(const char (&name)[128]) {
    return std::string(name, strnlen(name, sizeof name));
}

// The dialog's one control wrapper is re-pointed by every Control call, so these
// helpers take the control's id and fetch the wrapper for each use.

// The item data of a combo box's selection; false when nothing is selected, so
// that the caller keeps what it had instead of storing CB_ERR.
bool SelectedData(CDialog& page, int id, std::uint32_t* data) {
    const LRESULT selection = page.Control(id)->ComboBoxSelection();
    if (selection == CB_ERR) {
        return false;
    }
    const LRESULT value = page.Control(id)->ComboBoxItemData(static_cast<int>(selection));
    if (value == CB_ERR) {
        return false;
    }
    *data = static_cast<std::uint32_t>(value);
    return true;
}

void AddEntry(CDialog& page, int id, const char* text, std::uint32_t data) {
    const LRESULT index = page.Control(id)->AddComboBoxLine(text);
    if (index >= 0) {
        page.Control(id)->SetComboBoxItemData(static_cast<int>(index), static_cast<LPARAM>(data));
    }
}

void AddNumberEntry(CDialog& page, int id, std::uint32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(number));
    AddEntry(page, id, text, number);
}

// Selects the entry with the data; the first entry when none has it, or none at all
// with `firstOtherwise` false.
void SelectByData(CDialog& page, int id, std::uint32_t data, bool firstOtherwise) {
    CBasicWindow* combo = page.Control(id);
    const LRESULT count = combo->ComboBoxCount();
    for (LRESULT i = 0; i < count; ++i) {
        if (static_cast<std::uint32_t>(combo->ComboBoxItemData(static_cast<int>(i))) == data) {
            combo->SelectComboBoxLine(static_cast<int>(i));
            return;
        }
    }
    combo->SelectComboBoxLine(firstOtherwise ? 0 : -1);
}

// Reads an edit into a field of the working copy; 0 (and the edit corrected and
// focused) when it is no number within the range.
template <typename Field>
int ReadEdit(CDialog& page, int id, long low, long high, Field* field) {
    long value = 0;
    if (!page.Control(id)->CheckIntRange(low, high, &value)) {
        return 0;
    }
    *field = static_cast<Field>(value);
    return 1;
}

void ShowNumber(CDialog& page, int id, std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
    page.Control(id)->SetText(text);
}

bool IsChecked(CDialog& page, int id) {
    return page.Control(id)->ButtonCheckState() == BST_CHECKED;
}

void SetChecked(CDialog& page, int id, bool checked) {
    page.Control(id)->SetButtonCheck(checked ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace

// ---- Payload arithmetic -------------------------------------------------------

std::uint32_t BytesPerImage(const VideoSettings& settings) {
    const std::uint32_t pixels = settings.width * settings.height;
    switch (settings.colourCode) {
        case 1:  // YUV-411
            return pixels + pixels / 2;
        case 2:  // YUV-422
        case 5:  // Y-16
            return pixels * 2;
        case 3:  // YUV-444
        case 4:  // RGB-8
            return pixels * 3;
        case 6:  // RGB-16
            return pixels * 6;
        default:
            return pixels;
    }
}

// A payload of 0 (a rate the mode table has none for) is refused like any
// payload that does not split the image into whole packets.
PayloadCheck CheckPacketPayload(VideoSettings& settings) {
    if (settings.format == kFormat7) {
        return PayloadCheck::Accepted;
    }
    if (settings.bytesPerPacket % 4 != 0) {
        return PayloadCheck::NotMultipleOfFour;
    }
    if (settings.bytesPerPacket == 0) {
        return PayloadCheck::NotWholeFraction;
    }
    const std::uint32_t bytes = BytesPerImage(settings);
    const std::uint32_t packets = bytes / settings.bytesPerPacket;
    if (packets * settings.bytesPerPacket != bytes) {
        return PayloadCheck::NotWholeFraction;
    }
    settings.packetsPerFrame = packets;
    return PayloadCheck::Accepted;
}

// ---- Page "Camera" --------------------------------------------------------------

CameraPreferencesPage::CameraPreferencesPage(IidcCamera& camera, VideoSettings& settings)
    : m_camera(camera), m_settings(settings) {
    // A page is placed in the tab's display area, not over its parent.
    SetCenterOnParent(0);
}

int CameraPreferencesPage::AfterInitDialog() {
    CenterInTab(IDC_PAGE_TABS);
    ShowNumber(*this, IDC_X_OFFSET, m_settings.left);
    ShowNumber(*this, IDC_Y_OFFSET, m_settings.top);
    ShowNumber(*this, IDC_X_SIZE, m_settings.width);
    ShowNumber(*this, IDC_Y_SIZE, m_settings.height);
    ShowNumber(*this, IDC_PACKET_PAYLOAD, m_settings.bytesPerPacket);

    Control(IDC_TRIGGER_MODE)->EmptyComboBox();
    for (std::uint32_t t = 0; t < kTriggerModeNames.size(); ++t) {
        AddEntry(*this, IDC_TRIGGER_MODE, kTriggerModeNames[t], t);
    }
    // A value outside the list selects nothing; the stored value then stays.
    SelectByData(*this, IDC_TRIGGER_MODE, m_settings.triggerMode, false);

    Control(IDC_TX_SPEED)->EmptyComboBox();
    for (std::uint32_t s = 0; s < kSpeedNames.size(); ++s) {
        AddEntry(*this, IDC_TX_SPEED, kSpeedNames[s], s);
    }
    SelectByData(*this, IDC_TX_SPEED, m_settings.speed, false);

    FillFormatList();
    BuildModeList();
    BuildRateList();
    FillDerivedFields();
    return 1;
}

void CameraPreferencesPage::FillFormatList() {
    Control(IDC_VIDEO_FORMAT)->EmptyComboBox();
    for (int f = 0; f < kFormatCount; ++f) {
        if (Offered(m_settings.formatInquiry, f)) {
            AddNumberEntry(*this, IDC_VIDEO_FORMAT, static_cast<std::uint32_t>(f));
        }
    }
    SelectByData(*this, IDC_VIDEO_FORMAT, m_settings.format, true);
}

bool CameraPreferencesPage::SelectedFormatIs7() {
    std::uint32_t format = 0;
    return SelectedData(*this, IDC_VIDEO_FORMAT, &format) && format == kFormat7;
}

// Building the list always makes the format's first mode the current one.
void CameraPreferencesPage::BuildModeList() {
    Control(IDC_VIDEO_MODE)->EmptyComboBox();
    std::uint32_t format = 0;
    if (SelectedData(*this, IDC_VIDEO_FORMAT, &format) &&
        format < static_cast<std::uint32_t>(kFormatCount)) {
        bool first = true;
        for (int m = 0; m < kModeCount; ++m) {
            if (Offered(m_settings.modeInquiry[format], m)) {
                AddNumberEntry(*this, IDC_VIDEO_MODE, static_cast<std::uint32_t>(m));
                if (first) {
                    m_settings.mode = static_cast<std::uint8_t>(m);
                    first = false;
                }
            }
        }
        Control(IDC_VIDEO_MODE)->SelectComboBoxLine(0);
    }
    const bool format7 = SelectedFormatIs7();
    for (int id : {IDC_X_OFFSET, IDC_Y_OFFSET, IDC_X_SIZE, IDC_Y_SIZE, IDC_PACKET_PAYLOAD}) {
        Control(id)->Enable(format7 ? TRUE : FALSE);
    }
    Control(IDC_FRAME_RATE)->Enable(format7 ? FALSE : TRUE);
    Control(IDC_FORMAT7_QUERY)->Enable(format7 ? TRUE : FALSE);
    ShowFormat7Units(format7);
}

void CameraPreferencesPage::ShowFormat7Units(bool format7) {
    const int ids[] = {IDC_X_OFFSET_UNIT, IDC_Y_OFFSET_UNIT, IDC_X_SIZE_UNIT, IDC_Y_SIZE_UNIT};
    std::uint32_t mode = 0;
    const bool haveMode = format7 && SelectedData(*this, IDC_VIDEO_MODE, &mode) &&
                          mode < static_cast<std::uint32_t>(kModeCount);
    if (!haveMode) {
        for (int id : ids) {
            Control(id)->SetText("");
        }
        return;
    }
    const std::uint32_t position = m_settings.format7UnitPosition[mode];
    const std::uint32_t size = m_settings.format7UnitSize[mode];
    const std::uint32_t values[] = {High16(position), Low16(position), High16(size), Low16(size)};
    for (int i = 0; i < 4; ++i) {
        ShowNumber(*this, ids[i], values[i]);
    }
}

void CameraPreferencesPage::BuildRateList() {
    Control(IDC_FRAME_RATE)->EmptyComboBox();
    std::uint32_t format = 0;
    std::uint32_t mode = 0;
    if (!SelectedData(*this, IDC_VIDEO_FORMAT, &format) ||
        !SelectedData(*this, IDC_VIDEO_MODE, &mode) ||
        format >= static_cast<std::uint32_t>(kFormatCount) ||
        mode >= static_cast<std::uint32_t>(kModeCount)) {
        return;
    }
    const std::uint8_t offered = m_settings.rateInquiry[format][mode];
    for (int r = 0; r < kRateCount; ++r) {
        if (Offered(offered, r)) {
            AddEntry(*this, IDC_FRAME_RATE, kFrameRateNames[static_cast<std::size_t>(r)],
                     static_cast<std::uint32_t>(r));
        }
    }
    SelectByData(*this, IDC_FRAME_RATE, m_settings.frameRate, true);
}

void CameraPreferencesPage::FillDerivedFields() {
    std::uint32_t format = 0;
    std::uint32_t mode = 0;
    if (!SelectedData(*this, IDC_VIDEO_FORMAT, &format) ||
        !SelectedData(*this, IDC_VIDEO_MODE, &mode) ||
        mode >= static_cast<std::uint32_t>(kModeCount)) {
        return;
    }
    if (format < kFixedFormats) {
        const FixedFormatMode* entry = FindFixedFormatMode(format, mode);
        if (entry == nullptr) {
            return;
        }
        // Without a rate (the camera offers none for the mode) there is no payload either:
        // 0, which OK refuses.
        std::uint32_t rate = 0;
        const bool haveRate = SelectedData(*this, IDC_FRAME_RATE, &rate);
        ShowNumber(*this, IDC_X_SIZE, entry->width);
        ShowNumber(*this, IDC_Y_SIZE, entry->height);
        ShowNumber(*this, IDC_PACKET_PAYLOAD,
                   haveRate ? FixedFormatPayload(format, mode, rate) : 0u);
        Control(IDC_COLOUR_MODE)->EmptyComboBox();
        AddEntry(*this, IDC_COLOUR_MODE, kColourCodeNames[entry->colourCode % kColourCount],
                 entry->colourCode);
        Control(IDC_COLOUR_MODE)->SelectComboBoxLine(0);
    } else if (format == kFormat7) {
        Control(IDC_COLOUR_MODE)->EmptyComboBox();
        for (int c = 0; c < kColourCount; ++c) {
            if (Offered(m_settings.format7ColourInquiry[mode], c)) {
                AddEntry(*this, IDC_COLOUR_MODE, kColourCodeNames[static_cast<std::size_t>(c)],
                         static_cast<std::uint32_t>(c));
            }
        }
        Control(IDC_COLOUR_MODE)->SelectComboBoxLine(0);
        ShowNumber(*this, IDC_PACKET_PAYLOAD, 0);
    }
}

// Every value goes into the working copy as soon as it is read; a list without a
// selection leaves its field as it was.
int CameraPreferencesPage::OnOK() {
    std::uint32_t data = 0;
    if (SelectedData(*this, IDC_VIDEO_FORMAT, &data)) {
        m_settings.format = static_cast<std::uint8_t>(data);
    }
    if (SelectedData(*this, IDC_VIDEO_MODE, &data)) {
        m_settings.mode = static_cast<std::uint8_t>(data);
    }
    if (!ReadEdit(*this, IDC_X_OFFSET, 0, 4092, &m_settings.left) ||
        !ReadEdit(*this, IDC_Y_OFFSET, 0, 4092, &m_settings.top) ||
        !ReadEdit(*this, IDC_X_SIZE, 1, 4096, &m_settings.width) ||
        !ReadEdit(*this, IDC_Y_SIZE, 1, 4096, &m_settings.height)) {
        return 0;
    }
    if (SelectedData(*this, IDC_FRAME_RATE, &data)) {
        m_settings.frameRate = static_cast<std::uint8_t>(data);
    }
    if (SelectedData(*this, IDC_COLOUR_MODE, &data)) {
        m_settings.colourCode = static_cast<std::uint8_t>(data);
    }
    if (SelectedData(*this, IDC_TRIGGER_MODE, &data)) {
        m_settings.triggerMode = static_cast<std::uint8_t>(data);
    }
    if (!ReadEdit(*this, IDC_PACKET_PAYLOAD, 0, 4096, &m_settings.bytesPerPacket)) {
        return 0;
    }
    if (SelectedData(*this, IDC_TX_SPEED, &data)) {
        m_settings.speed = static_cast<std::uint8_t>(data);
    }
    return 1;
}

LRESULT CameraPreferencesPage::OnControlCommand(HWND control, int id, int code) {
    if (code == CBN_SELCHANGE) {
        switch (id) {
            case IDC_VIDEO_FORMAT:
                BuildModeList();
                BuildRateList();
                FillDerivedFields();
                return 0;
            case IDC_VIDEO_MODE:
                // The units shown belong to the mode now chosen.
                ShowFormat7Units(SelectedFormatIs7());
                BuildRateList();
                FillDerivedFields();
                return 0;
            case IDC_FRAME_RATE:
                FillDerivedFields();
                return 0;
            default:
                break;
        }
    }
    if (id == IDC_FORMAT7_QUERY && code == BN_CLICKED) {
        QueryFormat7();
        return 0;
    }
    return CDialog::OnControlCommand(control, id, code);
}

// The camera rounds the region and reports its packet figures; the page only shows them.
void CameraPreferencesPage::QueryFormat7() {
    if (!OnOK() || m_settings.format != kFormat7) {
        return;
    }
    Format7Request request = Format7RequestFor(m_settings);
    request.bytesPerPacket = 0;  // the camera chooses

    Control(IDC_PAYLOAD_INFO)->SetText("Wait...");
    RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (!m_camera.SetupFormat7(request)) {
        Control(IDC_PAYLOAD_INFO)->SetText("Error");
        return;
    }
    ShowNumber(*this, IDC_X_OFFSET, request.left);
    ShowNumber(*this, IDC_Y_OFFSET, request.top);
    ShowNumber(*this, IDC_X_SIZE, request.width);
    ShowNumber(*this, IDC_Y_SIZE, request.height);
    ShowNumber(*this, IDC_PACKET_PAYLOAD, request.bytesPerPacket);
    char text[24];
    std::snprintf(text, sizeof text, "%u:%u",
                  static_cast<unsigned>(High16(request.packetParameters)),
                  static_cast<unsigned>(Low16(request.packetParameters)));
    Control(IDC_PAYLOAD_INFO)->SetText(text);
}

// ---- Page "1394-Bus" --------------------------------------------------------------

namespace {
constexpr int kBayerButtons[] = {IDC_BAYER_RG_GB, IDC_BAYER_BG_GR, IDC_BAYER_GR_BG,
                                 IDC_BAYER_GB_RG};
constexpr std::uint32_t kChannelCount = 32;
}  // namespace

BusPreferencesPage::BusPreferencesPage(VideoSettings& settings) : m_settings(settings) {
    SetCenterOnParent(0);
}

int BusPreferencesPage::AfterInitDialog() {
    CenterInTab(IDC_PAGE_TABS);
    Control(IDC_ISO_CHANNEL)->EmptyComboBox();
    for (std::uint32_t c = 0; c < kChannelCount; ++c) {
        if ((m_settings.channelMask & (1u << c)) != 0) {
            AddNumberEntry(*this, IDC_ISO_CHANNEL, c);
        }
    }
    // The list holds only the offered channels, so the channel is found by its number,
    // not by its position. A channel not offered selects nothing and stays as it is.
    SelectByData(*this, IDC_ISO_CHANNEL, m_settings.isoChannel, false);
    ShowNumber(*this, IDC_FRAME_BUFFERS, m_settings.frameBuffers);
    ShowNumber(*this, IDC_DMA_CHANNEL_ENABLE, m_settings.dmaChannelEnable);
    ShowNumber(*this, IDC_DMA_CHANNEL_VALUE, m_settings.dmaChannelValue);
    ShowNumber(*this, IDC_FIRST_PACKET_ENABLE, m_settings.firstPacketEnable);
    ShowNumber(*this, IDC_FIRST_PACKET_VALUE, m_settings.firstPacketValue);
    SetChecked(*this, IDC_INVERT_Y16, m_settings.invertY16 != 0);
    SetChecked(*this, IDC_RAW_Y16, m_settings.rawY16 != 0);
    for (std::size_t i = 0; i < std::size(kBayerButtons); ++i) {
        SetChecked(*this, kBayerButtons[i], i == m_settings.bayerPattern);
    }
    return 1;
}

int BusPreferencesPage::OnOK() {
    if (!ReadEdit(*this, IDC_FRAME_BUFFERS, 1, 4096, &m_settings.frameBuffers)) {
        return 0;
    }
    std::uint32_t channel = 0;
    if (SelectedData(*this, IDC_ISO_CHANNEL, &channel)) {
        m_settings.isoChannel = static_cast<std::uint8_t>(channel);
    }
    if (!ReadEdit(*this, IDC_DMA_CHANNEL_ENABLE, 0, 63, &m_settings.dmaChannelEnable) ||
        !ReadEdit(*this, IDC_DMA_CHANNEL_VALUE, 0, 63, &m_settings.dmaChannelValue) ||
        !ReadEdit(*this, IDC_FIRST_PACKET_ENABLE, 0, 65535, &m_settings.firstPacketEnable) ||
        !ReadEdit(*this, IDC_FIRST_PACKET_VALUE, 0, 65535, &m_settings.firstPacketValue)) {
        return 0;
    }
    m_settings.invertY16 = IsChecked(*this, IDC_INVERT_Y16) ? 1 : 0;
    m_settings.rawY16 = IsChecked(*this, IDC_RAW_Y16) ? 1 : 0;
    // None checked (a pattern beyond the four) keeps the stored pattern.
    for (std::size_t i = 0; i < std::size(kBayerButtons); ++i) {
        if (IsChecked(*this, kBayerButtons[i])) {
            m_settings.bayerPattern = static_cast<std::uint8_t>(i);
        }
    }
    return 1;
}

// ---- The tab dialog -----------------------------------------------------------------

PreferencesDialog::PreferencesDialog(CBasicWindow* owner, IidcCamera& camera,
                                     VideoSettings& settings)
    : TabDialog(0), m_camera(camera), m_settings(settings) {
    auto* cameraPage = new CameraPreferencesPage(camera, settings);
    auto* busPage = new BusPreferencesPage(settings);
    const TabPage pages[] = {
        {"Camera", cameraPage, IDD_PREFERENCES_CAMERA_PAGE},
        {"1394-Bus", busPage, IDD_PREFERENCES_BUS_PAGE},
    };
    m_ready = SetupTabs(IDD_PREFERENCES, owner, IDC_PAGE_TABS, pages, 2) != 0;
    if (!m_ready) {
        // Without a page table the destructor would not know them.
        delete cameraPage;
        delete busPage;
    }
}

int PreferencesDialog::AfterInitDialog() {
    const std::string title = "Preferences for " + NameText(m_camera.nodeInfo.vendorName) + " " +
                              NameText(m_camera.nodeInfo.modelName);
    SetText(title.c_str());
    return TabDialog::AfterInitDialog();
}

int PreferencesDialog::OnOK() {
    if (!TabDialog::OnOK()) {
        return 0;
    }
    switch (CheckPacketPayload(m_settings)) {
        case PayloadCheck::Accepted:
            return 1;
        case PayloadCheck::NotMultipleOfFour:
            ShowMessageDialog(kMultipleOfFourText, kInputErrorTitle, false, this);
            return 0;
        case PayloadCheck::NotWholeFraction:
            ShowMessageDialog(kWholeFractionText, kInputErrorTitle, false, this);
            return 0;
    }
    return 0;
}

int RunPreferencesDialog(CBasicWindow* owner, IidcCamera& camera, VideoSettings& settings) {
    // The pages work on a copy of their own, so that Cancel leaves the caller's untouched
    // even after a page has stored into it.
    VideoSettings copy = settings;
    auto* dialog = new PreferencesDialog(owner, camera, copy);
    if (!dialog->Ready()) {
        delete dialog;
        return 0;
    }
    // The dialog deletes itself (and its pages) when its window ends.
    if (dialog->DoModal() != 1) {
        return 0;
    }
    settings = copy;
    return 1;
}
