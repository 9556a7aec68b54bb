// Classes: AutoModeRun
//
// The bookkeeping of one run of the automatic capture mode, apart from its
// window: when the timer asks for a frame, how the stored files are numbered
// and named, and when the run is complete.
#pragma once

#include <string>

namespace capture {

// "%02d-%02d-%02d-%02d-%d.bmp" of the day of the month, hour, minute, second and number.
std::string AutoModeFileName(int day, int hour, int minute, int second, int number);

// The directory, a backslash (unless it ends in one already) and the name. False when the
// result would be longer than AutoModeSettings::kMaximumPathLength: such a file is not written.
bool ComposeAutoModePath(const std::string& directory, const std::string& name, std::string* path);

class AutoModeRun {
public:
    // intervalSeconds >= 1; frameCount 0 means no limit.
    void Begin(int intervalSeconds, int frameCount);
    void End() { m_running = false; }
    bool Running() const { return m_running; }

    // One second passed: true when a frame is to be requested now. The first request comes
    // one second after Begin, the next ones every interval.
    bool Tick();
    // A requested frame was shown: its number (1 for the first).
    int NextNumber() { return ++m_stored; }
    // The number of frames asked for has been reached.
    bool Complete() const { return m_frameCount != 0 && m_stored >= m_frameCount; }
    int Stored() const { return m_stored; }

private:
    bool m_running = false;
    int m_interval = 1;
    int m_frameCount = 0;
    int m_countdown = 1;
    int m_stored = 0;
};

}  // namespace capture
