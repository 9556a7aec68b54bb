// Measures the frame pipeline of the real program on the simulated bus: one
// or four colour cameras streaming 640 x 480 YUV-422 in Format 7 with 1200
// bytes per packet (four of them fill an S400 cycle: 4848 of 4915 units).
// Prints, per camera, the frames seen and skipped and the rate the window
// shows, and the program's CPU time over the measured span.
//
//   MeasurePipeline.exe [CAMERAS] [SECONDS]     (default 4 cameras, 20 s)
//
// Not a test: figures depend on the machine. Run under scripts/with-wine.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/tests/support/CameraWindows.h"
#include "app/tests/support/ProgramUnderTest.h"
#include "resources/resource.h"

namespace {

using oriscope_test::CameraStatusFields;
using oriscope_test::FindDescendant;
using oriscope_test::ProgramUnderTest;
using oriscope_test::SelectComboText;
using oriscope_test::TemporaryFile;
using oriscope_test::WaitUntil;

double CpuSeconds(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    FILETIME created, ended, kernel, user;
    double seconds = -1;
    if (process != nullptr && GetProcessTimes(process, &created, &ended, &kernel, &user)) {
        const auto ticks = [](const FILETIME& t) {
            return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        seconds = static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
    }
    if (process != nullptr) {
        CloseHandle(process);
    }
    return seconds;
}

int Fail(const char* what) {
    std::fprintf(stderr, "MeasurePipeline: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int cameras = argc > 1 ? std::atoi(argv[1]) : 4;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    if (cameras < 1 || cameras > 4 || seconds < 1) {
        return Fail("usage: MeasurePipeline [1..4 cameras] [seconds]");
    }
    std::string scenarioText = "[card]\nslot = 0\nsystemid = 0x01020301\n";
    for (int i = 0; i < cameras; ++i) {
        char section[160];
        std::snprintf(section, sizeof section,
                      "[camera]\npreset = colour\nname = c%d\nmodel = Cam %c\n"
                      "uniqueid = 0x003053000000000%d\n",
                      i, 'A' + i, i + 1);
        scenarioText += section;
    }
    TemporaryFile scenario("oriscope-measure.ini", scenarioText);
    ProgramUnderTest program;
    std::string error;
    if (!program.Start("/simulate:" + scenario.Path(), &error)) {
        return Fail(error.c_str());
    }
    program.DropDownCombo(IDC_CARD_LIST);
    program.SelectComboItem(IDC_CARD_LIST, 1);
    if (!WaitUntil(
            [&] {
                return program.ListLines(IDC_NODE_LIST).size() == static_cast<std::size_t>(cameras);
            },
            20000)) {
        return Fail("the node list did not fill");
    }

    std::vector<HWND> windows;
    for (int i = 0; i < cameras; ++i) {
        const std::size_t before = program.OtherWindows().size();
        program.SelectListItem(IDC_NODE_LIST, i);
        program.ClickButton(IDC_CONNECT);
        if (!WaitUntil([&] { return program.OtherWindows().size() == before + 1; }, 10000)) {
            return Fail("no camera window");
        }
        HWND dialog = program.WaitForDialog(nullptr);
        if (dialog == nullptr) {
            return Fail("no preferences dialog");
        }
        if (!SelectComboText(FindDescendant(dialog, IDC_VIDEO_FORMAT), "7") ||
            !SelectComboText(FindDescendant(dialog, IDC_COLOUR_MODE), "YUV-422")) {
            return Fail("Format 7 YUV-422 not offered");
        }
        SetWindowTextA(FindDescendant(dialog, IDC_X_SIZE), "640");
        SetWindowTextA(FindDescendant(dialog, IDC_Y_SIZE), "480");
        SetWindowTextA(FindDescendant(dialog, IDC_PACKET_PAYLOAD), "1200");
        program.ClickButtonIn(dialog, IDOK);
        if (!WaitUntil([&] { return !IsWindow(dialog); }, 10000)) {
            return Fail("the preferences dialog did not accept the settings");
        }
        windows.push_back(program.OtherWindows().back());
    }
    for (HWND camera : windows) {
        PostMessageA(camera, WM_COMMAND, IDM_TOGGLE_ACQUISITION, 0);
    }
    // Let every stream settle before measuring.
    Sleep(3000);
    std::vector<long> seenBefore;
    for (HWND camera : windows) {
        seenBefore.push_back(std::atol(CameraStatusFields(camera)["Seen"].c_str()));
    }
    // scripts/measure-pipeline samples the program's CPU time at these two lines.
    std::printf("measuring\n");
    std::fflush(stdout);
    const double cpuBefore = CpuSeconds(program.ProcessId());
    const DWORD start = GetTickCount();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double elapsed = (GetTickCount() - start) / 1000.0;
    const double cpuAfter = CpuSeconds(program.ProcessId());
    std::printf("measured\n");
    std::fflush(stdout);

    std::printf("%d camera(s), 640x480 YUV-422, Format 7, 1200 bytes/packet, %.1f s measured\n",
                cameras, elapsed);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        std::map<std::string, std::string> fields = CameraStatusFields(windows[i]);
        const long seen = std::atol(fields["Seen"].c_str());
        std::printf("  camera %zu: %.2f frames/s shown, Skipped: %s, Rate: %s\n", i + 1,
                    (seen - seenBefore[i]) / elapsed, fields["Skipped"].c_str(),
                    fields["Rate"].c_str());
    }
    if (cpuAfter > cpuBefore) {
        std::printf("  program CPU: %.2f s in %.1f s = %.1f%% of one core\n", cpuAfter - cpuBefore,
                    elapsed, 100.0 * (cpuAfter - cpuBefore) / elapsed);
    } else {
        std::printf("  program CPU: not reported by the system\n");
    }
    DWORD exitCode = 0;
    program.Close(15000, &exitCode);
    return 0;
}
