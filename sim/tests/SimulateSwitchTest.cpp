#include <gtest/gtest.h>

#include "sim/SimulateSwitch.h"

namespace sim {
namespace {

struct SwitchCase {
    const char* line;
    bool present;
    const char* path;
};

class SimulateSwitchTable : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SimulateSwitchTable, FindsTheSwitchAndItsFile) {
    const SwitchCase& c = GetParam();
    const SimulateSwitch s = FindSimulateSwitch(c.line);
    EXPECT_EQ(c.present, s.present) << c.line;
    EXPECT_EQ(c.path, s.scenarioPath) << c.line;
}

INSTANTIATE_TEST_SUITE_P(Table, SimulateSwitchTable,
                         ::testing::Values(SwitchCase{"", false, ""},
                                           SwitchCase{"/simulate", true, ""},
                                           SwitchCase{"  /SIMULATE  ", true, ""},
                                           SwitchCase{"/simulate:cams.ini", true, "cams.ini"},
                                           SwitchCase{"/simulate:\"C:\\My Files\\two cams.ini\" /x",
                                                      true, "C:\\My Files\\two cams.ini"},
                                           SwitchCase{"/simulated", false, ""},
                                           SwitchCase{"simulate", false, ""},
                                           SwitchCase{"/simulate:a.ini /simulate", true, ""},
                                           SwitchCase{"/simulate: ", true, ""}));

}  // namespace
}  // namespace sim
