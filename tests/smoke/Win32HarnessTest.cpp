// Proves that Windows tests really run under Wine: a window receives a posted
// message, and the 32-bit process runs under WOW64 as on 64-bit Windows.
#include <gtest/gtest.h>
#include <windows.h>

namespace {

constexpr UINT kProbeMessage = WM_APP + 7;
UINT g_receivedMessage = 0;
WPARAM g_receivedWParam = 0;

LRESULT CALLBACK ProbeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbeMessage) {
        g_receivedMessage = message;
        g_receivedWParam = wParam;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

TEST(Win32Harness, WindowReceivesPostedMessage) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OriscopeHarnessProbe";
    ASSERT_NE(RegisterClassA(&wc), 0) << "RegisterClassA failed, error " << GetLastError();

    HWND hwnd = CreateWindowA("OriscopeHarnessProbe", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                              nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr) << "CreateWindowA failed, error " << GetLastError();

    ASSERT_TRUE(PostMessageA(hwnd, kProbeMessage, 0x1234, 0));
    MSG msg;
    while (g_receivedMessage == 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(g_receivedMessage, kProbeMessage);
    EXPECT_EQ(g_receivedWParam, 0x1234u);

    DestroyWindow(hwnd);
    UnregisterClassA("OriscopeHarnessProbe", wc.hInstance);
}

TEST(Win32Harness, RunsAsWow64Process) {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    ASSERT_NE(isWow64, nullptr);
    BOOL wow64 = FALSE;
    ASSERT_TRUE(isWow64(GetCurrentProcess(), &wow64));
    EXPECT_TRUE(wow64) << "expected a 32-bit process in a 64-bit Wine prefix";
    static_assert(sizeof(void*) == 4, "the Windows build is 32-bit");
}
