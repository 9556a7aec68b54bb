// Classes: DirectControlDialog
//
// Reads and writes single registers of the camera's node by hand, in
// hexadecimal, with a history of the last accesses from which an earlier
// address and value can be picked again. Each access is one library call,
// without the camera model's retries.
#pragma once

#include <cstdint>
#include <string>

#include "camera/IidcCamera.h"
#include "winlib/CDialog.h"

// One or more hexadecimal digits (either case) and nothing else; more than eight
// digits keep the last eight. False for an empty text or any other character.
bool ParseHex(const char* text, std::uint32_t* value);

// The history line of an access: "W %08X:%08X", "R %08X:%08X", with " Error(%d)" after a
// failure (a failed read shows 00000000 as its data).
std::string RegisterHistoryLine(bool write, std::uint32_t address, std::uint32_t data,
                                std::uint32_t code);

class DirectControlDialog : public CDialog {
public:
    static constexpr int kHistoryLines = 50;

    DirectControlDialog(IidcCamera& camera, CBasicWindow* owner);

    int AfterInitDialog() override;
    LRESULT OnControlCommand(HWND control, int id, int code) override;
    LRESULT OnClose() override;

private:
    void Write();
    void Read();
    void PickHistoryLine();
    // Parses an edit; a bad text beeps and selects the edit's text.
    bool ReadHexEdit(int id, std::uint32_t* value);
    void AddHistoryLine(const std::string& line);

    IidcCamera& m_camera;
};

// Modal on the calling thread, owned by `owner` (the camera frame). Returns when closed.
int RunDirectControlDialog(CBasicWindow* owner, IidcCamera& camera);
