// The process-wide ring of the last 64 log entries, and the main window link
// through which new entries are announced.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "buslib/Clock.h"
#include "buslib/MainWindowLink.h"
#include "buslib/TK.h"

namespace tk {
namespace {
std::atomic<MainWindowLink*> g_mainWindow{nullptr};
}  // namespace

void SetMainWindowLink(MainWindowLink* link) {
    g_mainWindow.store(link, std::memory_order_release);
}

MainWindowLink* CurrentMainWindowLink() {
    return g_mainWindow.load(std::memory_order_acquire);
}

}  // namespace tk

namespace {

struct LogRing {
    std::mutex lock;
    std::array<LogEntry, TK_LOG_SLOTS> slots{};
    std::atomic<std::uint32_t> writeIndex{0};
    std::atomic<std::uint32_t> count{0};
};

LogRing& TheRing() {
    static LogRing ring;
    return ring;
}

}  // namespace

void AddLogEntry(std::uint32_t kind, std::uint32_t value1, LogValue value2, std::uint32_t value3,
                 std::uint32_t value4) {
    LogRing& ring = TheRing();
    std::lock_guard guard(ring.lock);
    const std::uint32_t index = ring.writeIndex.load(std::memory_order_relaxed);
    ring.writeIndex.store((index + 1) % TK_LOG_SLOTS, std::memory_order_relaxed);
    ring.count.fetch_add(1, std::memory_order_relaxed);

    LogEntry& slot = ring.slots[index];
    slot.time = tk::CurrentClock().Now();
    slot.kind = kind & 0xFFFF;
    slot.value1 = value1;
    slot.value2 = value2.bits;
    slot.value3 = value3;
    slot.value4 = value4;

    tk::MainWindowLink* mainWindow = tk::CurrentMainWindowLink();
    if (mainWindow == nullptr) {
        return;
    }
    std::atomic<std::int32_t>& pending = mainWindow->PendingLogPosts();
    if (pending.load() >= TK_LOG_MAX_PENDING_POSTS) {
        return;  // stored, not announced: the main window is far behind
    }
    pending.fetch_add(1);
    if (!mainWindow->Post(tk::kNotifyLogEntry, reinterpret_cast<std::intptr_t>(&slot))) {
        // Nothing will be handled for a post that never arrived.
        pending.fetch_sub(1);
    }
}

const LogEntry* LogRingSlots() {
    return TheRing().slots.data();
}

std::uint32_t LogRingWriteIndex() {
    return TheRing().writeIndex.load();
}

std::uint32_t LogRingCount() {
    return TheRing().count.load();
}
