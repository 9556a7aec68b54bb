// The real program on the simulated bus, driven through its windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tests/support/ProgramUnderTest.h"
#include "resources/resource.h"

namespace {

using oriscope_test::ProgramUnderTest;
using oriscope_test::TemporaryFile;
using oriscope_test::WaitUntil;

constexpr DWORD kExitTimeoutMs = 5000;
// The bus monitor waits 200 ms after the reset and reads every ROM quadlet
// with pauses: a few seconds on a slow machine.
constexpr DWORD kNodeListTimeoutMs = 15000;

// Two cards with distinct system ids; two cameras on the first, one on the second.
constexpr char kTwoCardScenario[] =
    "[card]\n"
    "slot = 0\n"
    "link = \\DosDevices\\TKSIMA\n"
    "systemid = 0x0A141E01\n"
    "[card]\n"
    "slot = 1\n"
    "link = \\DosDevices\\TKSIMB\n"
    "systemid = 0x01020300\n"
    "[camera]\n"
    "preset = monochrome\n"
    "name = left\n"
    "card = 0\n"
    "vendor = ACME Vision\n"
    "model = Model L\n"
    "uniqueid = 0x0030530012340000\n"
    "[camera]\n"
    "preset = colour\n"
    "name = right\n"
    "card = 0\n"
    "vendor = ACME Vision\n"
    "model = Model R\n"
    "uniqueid = 0x003053001234FFFF\n"
    "[camera]\n"
    "preset = colour\n"
    "name = other\n"
    "card = 1\n"
    "vendor = Other Corp\n"
    "model = Eye\n"
    "uniqueid = 0x0030530000000007\n";

class MainWindowEndToEnd : public ::testing::Test {
protected:
    void StartProgram(const std::string& arguments) {
        std::string error;
        ASSERT_TRUE(program.Start(arguments, &error)) << error;
    }

    // Opens the card list and selects a card line; waits for the node list.
    void OpenCardLine(int line, std::size_t expectedNodes) {
        program.DropDownCombo(IDC_CARD_LIST);
        program.SelectComboItem(IDC_CARD_LIST, line);
        ASSERT_TRUE(
            WaitUntil([&] { return program.ListLines(IDC_NODE_LIST).size() == expectedNodes; },
                      kNodeListTimeoutMs))
            << "node list never reached " << expectedNodes << " lines; got "
            << program.ListLines(IDC_NODE_LIST).size();
    }

    std::vector<std::string> LogTexts() {
        // Strip "dd.mm. hh:mm:ss " from every line.
        std::vector<std::string> texts;
        for (const std::string& line : program.ListLines(IDC_LOG_LIST)) {
            texts.push_back(line.size() > 16 ? line.substr(16) : line);
        }
        return texts;
    }

    ProgramUnderTest program;
};

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
    for (const std::string& line : lines) {
        if (line == wanted) {
            return true;
        }
    }
    return false;
}

TEST_F(MainWindowEndToEnd, StartsWithNoCardAndShowsTheSimulatedCardsOnDropDown) {
    StartProgram("/simulate");
    EXPECT_EQ(std::vector<std::string>{"No Card"}, program.ComboLines(IDC_CARD_LIST));
    EXPECT_EQ(0, program.ComboSelection(IDC_CARD_LIST));
    EXPECT_EQ("0", program.ControlText(IDC_ISO_PAYLOAD));
    EXPECT_EQ("0.00", program.ControlText(IDC_MEMORY_MB));
    EXPECT_TRUE(program.ListLines(IDC_NODE_LIST).empty());

    program.DropDownCombo(IDC_CARD_LIST);
    // The built-in scenario: one OHCI card with system id 0x01020301.
    EXPECT_EQ((std::vector<std::string>{"No Card", "Ohcilynx (1-2-3)"}),
              program.ComboLines(IDC_CARD_LIST));
    EXPECT_EQ(0, program.ComboSelection(IDC_CARD_LIST));
}

TEST_F(MainWindowEndToEnd, SelectingACardListsItsCamerasAndLogsTheBusMonitor) {
    TemporaryFile scenario("oriscope-two-cards.ini", kTwoCardScenario);
    StartProgram("/simulate:" + scenario.Path());

    program.DropDownCombo(IDC_CARD_LIST);
    EXPECT_EQ((std::vector<std::string>{"No Card", "Ohcilynx (10-20-30)", "Pcilynx (1-2-3)"}),
              program.ComboLines(IDC_CARD_LIST));

    OpenCardLine(1, 2);
    EXPECT_EQ(1, program.ComboSelection(IDC_CARD_LIST));
    // Cameras are nodes 0 and 1; the adapter is the last node.
    EXPECT_EQ((std::vector<std::string>{"ACME Vision Model L (0-100000)",
                                        "ACME Vision Model R (1-165535)"}),
              program.ListLines(IDC_NODE_LIST));

    const std::vector<std::string> log = LogTexts();
    EXPECT_TRUE(Contains(log, "WorkThread starts.")) << ::testing::PrintToString(log);
    EXPECT_TRUE(Contains(log, "BusReset occured.")) << ::testing::PrintToString(log);
    const int lines = static_cast<int>(program.ListLines(IDC_LOG_LIST).size());
    EXPECT_EQ(lines - 1, program.ListSelection(IDC_LOG_LIST)) << "the newest line is selected";

    // Another card: the old one is closed first, the new bus listed.
    OpenCardLine(2, 1);
    EXPECT_EQ(2, program.ComboSelection(IDC_CARD_LIST));
    EXPECT_EQ(std::vector<std::string>{"Other Corp Eye (0-100007)"},
              program.ListLines(IDC_NODE_LIST));
}

TEST_F(MainWindowEndToEnd, NoCardEmptiesTheListsAndSelectingTheOpenCardAgainDoesNothing) {
    StartProgram("/simulate");
    OpenCardLine(1, 2);

    const std::vector<std::string> logBefore = program.ListLines(IDC_LOG_LIST);
    program.SelectComboItem(IDC_CARD_LIST, 1);
    EXPECT_EQ(2u, program.ListLines(IDC_NODE_LIST).size());
    EXPECT_EQ(logBefore, program.ListLines(IDC_LOG_LIST)) << "the open card was not reopened";

    program.SelectComboItem(IDC_CARD_LIST, 0);
    EXPECT_TRUE(program.ListLines(IDC_NODE_LIST).empty());
    EXPECT_EQ(std::vector<std::string>{"No Card"}, program.ComboLines(IDC_CARD_LIST));
    EXPECT_EQ(0, program.ComboSelection(IDC_CARD_LIST));
    // The log was emptied with the card; only the bus monitor's goodbye may follow.
    EXPECT_TRUE(WaitUntil([&] { return Contains(LogTexts(), "WorkThread stops."); }, 5000))
        << ::testing::PrintToString(LogTexts());
    EXPECT_EQ(std::vector<std::string>{"WorkThread stops."}, LogTexts());
}

// The first camera's first three transactions fail, so its ROM read gives up
// (an error line) and it is left out; then error events are raised.
constexpr char kFailingScenario[] =
    "[camera]\n"
    "preset = monochrome\n"
    "name = flaky\n"
    "[camera]\n"
    "preset = colour\n"
    "name = fine\n"
    "vendor = ACME Vision\n"
    "model = Model R\n"
    "uniqueid = 0x0030530000000001\n"
    "[events]\n"
    "at = 0 fail flaky 3 11\n"
    "at = 1500 error 0x00020001\n";

int FindLine(const std::vector<std::string>& texts, const std::string& wanted) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TEST_F(MainWindowEndToEnd, InfoExplainsErrorLinesAndErrorEventsAndSaysNoDetailsOtherwise) {
    TemporaryFile scenario("oriscope-failing.ini", kFailingScenario);
    StartProgram("/simulate:" + scenario.Path());
    OpenCardLine(1, 1);
    EXPECT_EQ(std::vector<std::string>{"ACME Vision Model R (1-100001)"},
              program.ListLines(IDC_NODE_LIST));
    ASSERT_TRUE(
        WaitUntil([&] { return FindLine(LogTexts(), "ErrorEvents (00020001).") >= 0; }, 10000))
        << ::testing::PrintToString(LogTexts());

    struct Case {
        std::string line;
        const char* title;
        std::string explanation;
    };
    const Case cases[] = {
        {"Error (11).", "Additional LogInfo",
         "Execution of <TKReadQuad> gave an error! The errorcode (11) means:\r\r\n\r\r\n"
         "DRV - Didn't receive an acknowledge."},
        {"ErrorEvents (00020001).", "Message",
         "One or more ErrorEvents occured. In detail:\r\r\n- Asynchronous transmit\r\r\n"
         "- ISO0 halted\r\r\n"},
        {"WorkThread starts.", "Additional LogInfo", "No details."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const int line = FindLine(LogTexts(), c.line);
        ASSERT_GE(line, 0) << ::testing::PrintToString(LogTexts());
        program.SelectListItem(IDC_LOG_LIST, line);
        program.ClickButton(IDC_LOG_INFO);
        HWND dialog = program.WaitForDialog(c.title);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(c.explanation, program.DialogItemText(dialog, IDC_MESSAGE_TEXT));
        EXPECT_FALSE(program.DialogItemEnabled(dialog, IDCANCEL));
        program.ClickButtonIn(dialog, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return program.FindDialog(nullptr) == nullptr; }, 5000));
    }
}

TEST_F(MainWindowEndToEnd, DriverRemovalWithoutTheServiceIsReported) {
    StartProgram("/simulate");
    program.SendMenuCommand(IDM_DEINSTALL_DRIVER);
    HWND dialog = program.WaitForDialog("Message");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Error uninstalling driver.", program.DialogItemText(dialog, IDC_MESSAGE_TEXT));
    program.ClickButtonIn(dialog, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return program.FindDialog(nullptr) == nullptr; }, 5000));
}

TEST_F(MainWindowEndToEnd, ClosingTheMainWindowEndsTheProgramWithExitCodeZero) {
    StartProgram("/simulate");
    OpenCardLine(1, 2);
    DWORD exitCode = 1234;
    ASSERT_TRUE(program.Close(kExitTimeoutMs, &exitCode)) << "the program did not end in time";
    EXPECT_EQ(0u, exitCode);
}

TEST_F(MainWindowEndToEnd, AnUnreadableScenarioIsReportedAndTheProgramRunsWithoutCards) {
    TemporaryFile scenario("oriscope-broken.ini",
                           "[card]\n"
                           "slot = 0\n"
                           "[camera]\n"
                           "speed = 7\n");
    StartProgram("/simulate:" + scenario.Path());
    HWND dialog = program.WaitForDialog("Message");
    ASSERT_NE(nullptr, dialog);
    const std::string text = program.DialogItemText(dialog, IDC_MESSAGE_TEXT);
    EXPECT_NE(std::string::npos, text.find("oriscope-broken.ini:4: ")) << text;
    program.ClickButtonIn(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return program.FindDialog(nullptr) == nullptr; }, 5000));

    program.DropDownCombo(IDC_CARD_LIST);
    EXPECT_EQ(std::vector<std::string>{"No Card"}, program.ComboLines(IDC_CARD_LIST));
    EXPECT_TRUE(WaitUntil([&] { return Contains(LogTexts(), "No cards available."); }, 5000))
        << ::testing::PrintToString(LogTexts());
}

TEST_F(MainWindowEndToEnd, AboutShowsNameAndVersion) {
    StartProgram("/simulate");
    program.ClickButton(IDC_ABOUT);
    HWND dialog = program.WaitForDialog("About this program");
    ASSERT_NE(nullptr, dialog);
    const std::string text = program.DialogItemText(dialog, IDC_ABOUT_TEXT);
    EXPECT_EQ(0u, text.find("Oriscope - Version 2.20\r\r\n\r\r\n")) << text;
    program.ClickButtonIn(dialog, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return program.FindDialog(nullptr) == nullptr; }, 5000));
}

TEST_F(MainWindowEndToEnd, ConnectOpensOneCameraWindowPerNodeUpToTheCardsMaximum) {
    StartProgram("/simulate");
    OpenCardLine(1, 2);

    program.SelectListItem(IDC_NODE_LIST, 0);
    program.ClickButton(IDC_CONNECT);
    ASSERT_TRUE(WaitUntil([&] { return program.OtherWindows().size() == 1; }, 5000));
    // The same node again: nothing happens.
    program.ClickButton(IDC_CONNECT);
    EXPECT_EQ(1u, program.OtherWindows().size());

    program.SelectListItem(IDC_NODE_LIST, 1);
    program.ClickButton(IDC_CONNECT);
    ASSERT_TRUE(WaitUntil([&] { return program.OtherWindows().size() == 2; }, 5000));

    // The camera window's close box asks the main window to close it.
    PostMessageA(program.OtherWindows().front(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return program.OtherWindows().size() == 1; }, 5000));

    program.ClickButton(IDC_CLOSE_ALL);
    EXPECT_TRUE(WaitUntil([&] { return program.OtherWindows().empty(); }, 5000));

    DWORD exitCode = 1234;
    ASSERT_TRUE(program.Close(kExitTimeoutMs, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

// A card of type 0 allows three camera windows.
constexpr char kFourCameraScenario[] =
    "[card]\n"
    "systemid = 0x01020300\n"
    "[camera]\n"
    "preset = monochrome\n"
    "uniqueid = 0x0030530000000001\n"
    "[camera]\n"
    "preset = monochrome\n"
    "uniqueid = 0x0030530000000002\n"
    "[camera]\n"
    "preset = colour\n"
    "uniqueid = 0x0030530000000003\n"
    "[camera]\n"
    "preset = colour\n"
    "uniqueid = 0x0030530000000004\n";

TEST_F(MainWindowEndToEnd, AFourthConnectionOnACardOfTypeZeroIsRefused) {
    TemporaryFile scenario("oriscope-four-cameras.ini", kFourCameraScenario);
    StartProgram("/simulate:" + scenario.Path());
    OpenCardLine(1, 4);
    for (int node = 0; node < 3; ++node) {
        program.SelectListItem(IDC_NODE_LIST, node);
        program.ClickButton(IDC_CONNECT);
        ASSERT_TRUE(WaitUntil(
            [&] { return program.OtherWindows().size() == static_cast<std::size_t>(node + 1); },
            5000))
            << "camera window " << node + 1;
    }
    program.SelectListItem(IDC_NODE_LIST, 3);
    program.ClickButton(IDC_CONNECT);
    HWND dialog = program.WaitForDialog("Message");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Error: Maximum number of connections reached.",
              program.DialogItemText(dialog, IDC_MESSAGE_TEXT));
    program.ClickButtonIn(dialog, IDOK);
    // The three camera windows keep their preferences dialogs open.
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(3u, program.OtherWindows().size());

    // Selecting "No Card" closes every camera window with the card.
    program.SelectComboItem(IDC_CARD_LIST, 0);
    EXPECT_TRUE(WaitUntil([&] { return program.OtherWindows().empty(); }, 5000));
}

}  // namespace
