// CameraOnScriptedBus: a fixture with an IidcCamera on an open card whose
// driver is a ScriptedRegisterBus, and a manual clock that records the waits.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "buslib/TK.h"
#include "buslib/testing/ManualClock.h"
#include "camera/IidcCamera.h"
#include "camera/tests/ScriptedRegisterBus.h"

namespace camera_testing {

class CameraOnScriptedBus : public ::testing::Test {
protected:
    static constexpr std::uint32_t kBase = 0xF0F00000u;  // command register base

    void SetUp() override {
        tk::SetDriverPlatform(&bus);
        ASSERT_EQ(0u, TKInitModule());
        ASSERT_EQ(0u, TKOpenCard(0));
        ASSERT_EQ(0u, TKOpenBus(0, 16, 64, 8, 32));
        camera.settings.card = 0;
        camera.settings.node = 1;
        camera.nodeInfo.commandRegisterBase = kBase;
        bus.ClearTrace();
        clock.ClearSleeps();
        logCountAtStart_ = LogRingCount();
    }

    void TearDown() override {
        TKCloseCard(0);
        TKExitModule();
        tk::SetDriverPlatform(nullptr);
    }

    std::uint32_t NewLogEntries() const { return LogRingCount() - logCountAtStart_; }

    const LogEntry& LastLogEntry() const {
        return LogRingSlots()[(LogRingWriteIndex() + TK_LOG_SLOTS - 1) % TK_LOG_SLOTS];
    }

    tk::testing::ManualClock clock;
    tk::testing::ScopedClock scopedClock{clock};
    ScriptedRegisterBus bus;
    IidcCamera camera;

private:
    std::uint32_t logCountAtStart_ = 0;
};

}  // namespace camera_testing
