// The real program's trigger server switch and automatic capture mode on the
// simulated bus.
#include <gtest/gtest.h>

#include <string>

#include "app/tests/support/ProgramUnderTest.h"
#include "resources/resource.h"

namespace {

using oriscope_test::ProgramUnderTest;
using oriscope_test::WaitUntil;

TEST(AutoModeEndToEnd, AnUnusableTelnetSwitchIsReportedAndTheProgramRuns) {
    ProgramUnderTest program;
    std::string error;
    ASSERT_TRUE(program.Start("/simulate /telnet:127.0.0.1:70000", &error)) << error;
    HWND dialog = program.WaitForDialog("Message");
    ASSERT_NE(nullptr, dialog);
    const std::string text = program.DialogItemText(dialog, IDC_MESSAGE_TEXT);
    EXPECT_EQ(
        "The port of the /telnet switch must be a number from 1 to 65535.\r\r\n"
        "The trigger server listens on the machine's address, port 23.",
        text);
    program.ClickButtonIn(dialog, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return program.FindDialog(nullptr) == nullptr; }, 5000));
    DWORD exitCode = 1;
    EXPECT_TRUE(program.Close(5000, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

}  // namespace
