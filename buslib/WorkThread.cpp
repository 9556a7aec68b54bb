// The bus monitor: one thread per open card that waits on the driver's event
// word, rebuilds the node list after bus resets, dispatches frame events to
// the registered handlers and logs error events.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "buslib/ConfigRom.h"
#include "buslib/DriverPlatform.h"
#include "buslib/MainWindowLink.h"
#include "buslib/TK.h"

namespace {

using tk::detail::QuadletSource;

constexpr std::uint32_t kWaitSliceMicroseconds = 1000000;
constexpr std::uint32_t kResetSettleMilliseconds = 200;
constexpr std::uint32_t kBusInfoEntries = 16;
constexpr int kRomReadAttempts = 3;
constexpr std::uint32_t kRomRetryMilliseconds = 5;
constexpr std::uint32_t kRomPaceMilliseconds = 10;
// After a failed wait: keeps a time-critical thread from spinning on a card
// that keeps failing.
constexpr std::uint32_t kFailedWaitPauseMilliseconds = 100;

// The monitor's quadlet reads: three attempts, paced so the camera keeps up.
class MonitorQuadletSource final : public QuadletSource {
public:
    explicit MonitorQuadletSource(std::uint32_t card) : card_(card) {}
    void SetNode(std::uint32_t node) { node_ = node; }

    bool Read(std::uint32_t addressLow, std::uint32_t* value) override {
        tk::Clock& clock = tk::CurrentClock();
        std::uint32_t result = TK_OK;
        for (int attempt = 0; attempt < kRomReadAttempts; ++attempt) {
            result = TKReadQuad(card_, node_, 0xFFFF, addressLow, value);
            if (result == TK_OK) {
                clock.Sleep(kRomPaceMilliseconds);
                return true;
            }
            clock.Sleep(kRomRetryMilliseconds);
        }
        AddLogEntry(TK_LOG_ERROR, result, "TKReadQuad");
        return false;
    }

private:
    std::uint32_t card_;
    std::uint32_t node_ = 0;
};

void RefreshBus(WorkThread& wt) {
    AddLogEntry(TK_LOG_BUS_RESET, 0);
    tk::CurrentClock().Sleep(kResetSettleMilliseconds);
    {
        std::lock_guard guard(wt.nodeListLock);
        wt.nodeCount = 0;
        wt.nodeList.reset();

        TKSelfIdEntry entries[kBusInfoEntries] = {};
        std::uint32_t count = 0;
        const std::uint32_t result = TKGetBusInfo(wt.card, kBusInfoEntries, &count, entries);
        if (result != TK_OK) {
            AddLogEntry(TK_LOG_ERROR, result, "TKGetBusInfo");
        } else if (count >= 2) {
            // Single-packet nodes with an active link, other than the adapter.
            std::vector<std::uint32_t> candidates;
            for (std::uint32_t i = 0; i < count && i < kBusInfoEntries; ++i) {
                const std::uint32_t q = entries[i].quadlets[0];
                if ((q & TK_SELFID_MORE_PACKETS) == 0 && (q & TK_SELFID_LOCAL_NODE) == 0 &&
                    (q & TK_SELFID_LINK_ACTIVE) != 0) {
                    candidates.push_back(q);
                }
            }
            if (!candidates.empty()) {
                std::unique_ptr<NodeRecord[]> records(new (std::nothrow)
                                                          NodeRecord[candidates.size()]);
                if (records) {
                    MonitorQuadletSource source(wt.card);
                    std::uint32_t complete = 0;
                    for (const std::uint32_t q : candidates) {
                        source.SetNode(TKSelfIdNode(q));
                        // A node that fails leaves its record to the next one.
                        if (tk::detail::ReadConfigRom(source, wt.card, q, records[complete])) {
                            ++complete;
                        }
                    }
                    wt.nodeCount = complete;
                    wt.nodeList = std::move(records);
                }
            }
        }
    }
    if (tk::MainWindowLink* mainWindow = tk::CurrentMainWindowLink()) {
        mainWindow->Post(tk::kNotifyNodeListChanged, 0);
    }
}

void DispatchFrames(WorkThread& wt, std::uint32_t word) {
    for (std::uint32_t context = 0; context < TK_DISPATCH_CONTEXTS; ++context) {
        if ((word & (TK_EVENT_ISO0 << context)) == 0) {
            continue;
        }
        if (IsoFrameHandler* handler = wt.frameHandlers[context].load()) {
            handler->OnIsoEvent();
        } else {
            // Nobody takes these frames: give every buffer back to the driver.
            const std::uint32_t result = TKIsoClear(wt.card, context);
            if (result != TK_OK) {
                AddLogEntry(TK_LOG_ERROR, result, "TKIsoClear");
            }
        }
    }
}

void LogErrorEvents(WorkThread& wt) {
    std::uint32_t errors = 0;
    const std::uint32_t result = TKGetErrors(wt.card, &errors);
    if (result != TK_OK) {
        AddLogEntry(TK_LOG_ERROR, result, "TKGetErrors");
    } else {
        AddLogEntry(TK_LOG_ERROR_EVENTS, errors);
    }
}

// Waits for the next event word; false when the thread is being stopped and
// the driver could not say so.
bool WaitForEvents(WorkThread& wt, std::uint32_t* word) {
    for (;;) {
        const std::uint32_t result = TKWaitEvent(wt.card, word, kWaitSliceMicroseconds);
        if (result == TK_OK) {
            return true;
        }
        if (result != TKDRV_TIMEOUT) {
            AddLogEntry(TK_LOG_ERROR, result, "TKWaitEvent");
        }
        if (wt.running.load() == 0) {
            return false;
        }
        if (result != TKDRV_TIMEOUT) {
            tk::CurrentClock().Sleep(kFailedWaitPauseMilliseconds);
        }
    }
}

void WorkThreadBody(WorkThread* wt) {
    AddLogEntry(TK_LOG_WORKTHREAD_STARTS, 0);
    tk::CurrentDriverPlatform().RaiseThreadToTimeCritical();
    std::uint32_t word = 0;
    do {
        if (!WaitForEvents(*wt, &word)) {
            break;
        }
        if ((word & TK_EVENT_BUS_RESET) != 0) {
            RefreshBus(*wt);
        }
        if ((word & (TK_EVENT_ISO0 | TK_EVENT_ISO1 | TK_EVENT_ISO2 | TK_EVENT_ISO3)) != 0) {
            DispatchFrames(*wt, word);
        }
        if ((word & TK_EVENT_ERRORS) != 0) {
            LogErrorEvents(*wt);
        }
    } while ((word & TK_EVENT_STOP) == 0);
    AddLogEntry(TK_LOG_WORKTHREAD_STOPS, 0);
}

}  // namespace

WorkThread::~WorkThread() {
    StopWorkThread(this);
    if (thread.joinable()) {
        thread.join();
    }
}

std::uint32_t StartWorkThread(WorkThread* workThread, std::uint32_t card) {
    if (workThread == nullptr || workThread->thread.joinable()) {
        return 0;
    }
    workThread->card = card;
    workThread->running.store(1);
    try {
        workThread->thread = std::thread(WorkThreadBody, workThread);
    } catch (const std::system_error&) {
        workThread->running.store(0);
        return 0;
    }
    return 1;
}

std::uint32_t StopWorkThread(WorkThread* workThread) {
    if (workThread == nullptr || workThread->running.load() == 0) {
        return 0;
    }
    (void)TKCancelWait(workThread->card);
    workThread->running.store(0);
    if (workThread->thread.joinable()) {
        workThread->thread.join();
    }
    std::lock_guard guard(workThread->nodeListLock);
    workThread->nodeList.reset();
    workThread->nodeCount = 0;
    return 1;
}

void SetIsoHandler(WorkThread* workThread, std::uint32_t context, IsoFrameHandler* handler) {
    if (workThread != nullptr && context < TK_DISPATCH_CONTEXTS) {
        workThread->frameHandlers[context].store(handler);
    }
}

void ClearIsoHandler(WorkThread* workThread, std::uint32_t context) {
    SetIsoHandler(workThread, context, nullptr);
}

std::uint32_t CopyNodeRecords(WorkThread* workThread, std::uint32_t* count,
                              NodeRecord* destination) {
    if (workThread == nullptr || count == nullptr) {
        return 0;
    }
    std::lock_guard guard(workThread->nodeListLock);
    if (!workThread->nodeList) {
        return 0;
    }
    const std::uint32_t n = std::min(*count, workThread->nodeCount);
    if (n > 0 && destination == nullptr) {
        return 0;
    }
    std::copy_n(workThread->nodeList.get(), n, destination);
    *count = n;
    return 1;
}
