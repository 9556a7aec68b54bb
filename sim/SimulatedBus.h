// SimulatedBus: an in-process stand-in for the tkdrv driver and the IEEE 1394
// buses behind it, with simulated IIDC cameras on them.
//
// It is a tk::DriverPlatform: install it with tk::SetDriverPlatform and the
// TK library talks to it exactly as to the real driver — registry values,
// one device per card, request records in the compact or wide layout.
//
// Time comes from tk::CurrentClock(). With a ManualClock a test moves time
// itself (advance the clock, then Pump()); with `realTime` a thread of the
// simulator keeps frames flowing by the system clock, as the program needs.
// Every member may be called from any thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "buslib/DriverPlatform.h"
#include "buslib/RequestRecords.h"
#include "sim/Scenario.h"
#include "sim/SimulatedCamera.h"

namespace sim {

struct SimulatedBusOptions {
    // What IsWow64Process answers: the library then uses the wide layout.
    bool wideLayout = false;
    // A thread of the simulator moves time by the clock on its own.
    bool realTime = false;
};

class SimulatedBus final : public tk::DriverPlatform {
public:
    explicit SimulatedBus(Scenario scenario, SimulatedBusOptions options = {});
    // The bus as the program runs it: in real time, from the built-in default
    // (empty path) or a scenario file. Null, with the error, when the file
    // cannot be used.
    static std::unique_ptr<SimulatedBus> ForProgram(const std::string& scenarioPath,
                                                    ScenarioError* error);
    ~SimulatedBus() override;
    SimulatedBus(const SimulatedBus&) = delete;
    SimulatedBus& operator=(const SimulatedBus&) = delete;

    // ---- tk::DriverPlatform ----
    bool IsWow64Process() override;
    bool ReadRegistryDword(const char* valueName, std::uint32_t* value) override;
    bool ReadRegistryString(const char* valueName, char* buffer, std::size_t capacity) override;
    tk::DeviceHandle OpenDevice(const char* path) override;
    tk::ExchangeOutcome Exchange(tk::DeviceHandle device, std::uint32_t controlCode, void* record,
                                 std::uint32_t size, std::uint32_t waitMilliseconds,
                                 std::uint32_t* bytesReturned) override;
    void CloseDevice(tk::DeviceHandle device) override;
    const std::uint8_t* DriverAddressToPointer(std::uint64_t address) override;
    std::uint64_t BufferToDriverAddress(void* buffer) override;
    void ReleaseDriverAddress(std::uint64_t address) override;

    // ---- moving the simulation ----
    // Catches up with the clock: frames due, scripted events due.
    void Pump();
    // Hot-plug; each is followed by a bus reset. False for an unknown camera
    // or one already in that state.
    bool Plug(const std::string& camera);
    bool Unplug(const std::string& camera);
    // One pulse on a camera's external trigger input.
    bool Trigger(const std::string& camera);
    void BusReset(int card);
    void RaiseErrorEvents(int card, std::uint32_t bits);
    void QueueNotifications(int card, std::uint32_t count);
    // The next `count` transactions addressed to the camera fail with `status`.
    bool FailTransactions(const std::string& camera, std::uint32_t count, std::uint32_t status);

    // ---- looking inside ----
    const Scenario& GetScenario() const { return scenario_; }
    std::vector<std::string> CameraNames() const;
    // The camera's node number since the last bus reset; nothing when unplugged.
    std::optional<int> NodeNumber(const std::string& camera) const;
    int LocalNodeNumber(int card) const;
    int NodeCount(int card) const;
    // A camera register, relative to its command register base, as the camera
    // answers it now; nothing for an unknown camera or address.
    std::optional<std::uint32_t> CameraRegister(const std::string& camera, std::uint32_t offset);
    std::optional<std::uint32_t> CameraQuadlet(const std::string& camera, std::uint32_t address);
    std::uint32_t CommandBase(const std::string& camera) const;

    struct CameraCounters {
        std::uint64_t framesSent = 0;       // frames the camera put on the bus
        std::uint64_t framesDelivered = 0;  // filled into a context's buffer
        std::uint64_t framesDropped = 0;    // a context matched but had no buffer posted
    };
    CameraCounters Counters(const std::string& camera) const;

    struct ContextState {
        bool running = false;
        std::uint32_t buffers = 0;
        std::uint32_t free = 0;    // with the driver, ready for a frame
        std::uint32_t filled = 0;  // finished, waiting for an inquire
        std::uint32_t lent = 0;    // with the application
        std::uint64_t delivered = 0;
        std::uint64_t dropped = 0;
        std::uint32_t bytesPerPacket = 0;
        std::uint32_t packetsPerFrame = 0;
    };
    ContextState Context(int card, int context) const;
    // Bandwidth units per cycle used by the running contexts of a card.
    std::uint32_t BandwidthInUse(int card) const;
    // Frame buffer bytes allocated across all cards.
    std::uint64_t BufferBytesInUse() const;

private:
    struct Buffer {
        std::unique_ptr<std::uint8_t[]> data;
        std::size_t size = 0;
        std::uint32_t handle = 0;
        enum class State { Free, Filled, Lent } state = State::Free;
        std::uint16_t frameMark = 0;
    };
    struct IsoContext {
        bool running = false;
        std::uint32_t packetsPerFrame = 0;
        std::uint32_t bytesPerPacket = 0;
        std::uint32_t firstPacketSelection = 0;
        std::uint32_t channelSelection = 0;
        std::uint16_t top = 0, left = 0, height = 0, width = 0, coding = 0;
        std::vector<Buffer> buffers;
        std::vector<std::size_t> filled;  // indexes into buffers, oldest first
        std::vector<Buffer> retired;      // lent when the context stopped
        std::uint64_t delivered = 0;
        std::uint64_t dropped = 0;
    };
    struct NodeRef {
        enum class Kind { Adapter, Camera, Other } kind;
        int index;  // camera or other-node index
    };
    struct Card {
        CardSpec spec;
        tk::DeviceHandle handle = tk::kInvalidDevice;
        bool busOpen = false;
        bool everOpened = false;
        std::uint64_t openedAt = 0;
        bool cancelled = false;
        std::uint32_t events = 0;
        std::uint32_t errorWord = 0;
        std::uint32_t notifications = 0;
        std::vector<NodeRef> topology;  // node number = index; the adapter is last
        std::array<IsoContext, reg::kContextsPerCard> contexts;
        std::vector<ScriptedEvent> script;  // sorted by time
        std::size_t scriptNext = 0;
        std::vector<std::uint32_t> adapterRom;
    };
    struct CameraSlot {
        std::unique_ptr<SimulatedCamera> camera;
        bool plugged = false;
        std::uint32_t failCount = 0;
        std::uint32_t failStatus = 0;
        std::uint64_t delivered = 0;
        std::uint64_t dropped = 0;
    };

    using Lock = std::unique_lock<std::mutex>;
    using Layout = tk::records::Layout;

    void AdvanceLocked();
    void RunDueLocked();
    void ApplyScriptedLocked(Card& card, const ScriptedEvent& e);
    void DeliverLocked(int card, int camera, const SimulatedCamera::Frame& frame);
    void ResetLocked(int card);
    void SignalLocked(Card& card, std::uint32_t bits);
    int CameraIndex(const std::string& name) const;
    Card* CardOf(tk::DeviceHandle device);
    std::vector<std::uint32_t> SelfIds(const Card& card, std::size_t node) const;
    void StopContextLocked(IsoContext& ctx, bool keepLent);
    void FreeBufferLocked(Buffer& buffer);
    std::uint64_t DataAddress(const Buffer& buffer, Layout layout);
    std::uint32_t Transaction(Card& card, std::uint8_t* rec, Layout layout, bool write);

    // Requests; each fills the status and out fields and returns the reply length.
    std::uint32_t Dispatch(Card& card, Lock& lock, std::uint8_t* rec, Layout layout,
                           const tk::records::RequestSpec& spec, std::uint32_t waitMs,
                           bool* timedOut);
    std::uint32_t WaitForEvents(Card& card, Lock& lock, std::uint8_t* rec, Layout layout,
                                std::uint32_t waitMs, bool* timedOut);
    std::uint32_t OpenBus(Card& card, std::uint8_t* rec, Layout layout);
    std::uint32_t BusInformation(Card& card, std::uint8_t* rec, Layout layout);
    std::uint32_t IsoStart(Card& card, std::uint8_t* rec, Layout layout);
    std::uint32_t IsoInquire(Card& card, std::uint8_t* rec, Layout layout);
    std::uint32_t IsoPost(Card& card, std::uint8_t* rec, Layout layout);

    void RealTimeLoop();

    Scenario scenario_;
    SimulatedBusOptions options_;
    mutable std::mutex mutex_;
    std::condition_variable eventsChanged_;
    std::condition_variable pumpWake_;
    std::vector<Card> cards_;
    std::vector<CameraSlot> cameras_;
    std::uint64_t nowMicros_ = 0;
    std::uint32_t lastTick_ = 0;
    tk::DeviceHandle nextHandle_ = 0x5100;
    std::uint32_t nextBufferHandle_ = 0x10;
    std::uint64_t bufferBytes_ = 0;
    std::map<std::uint64_t, const std::uint8_t*> tokens_;  // frame buffers
    std::map<std::uint64_t, std::uint8_t*> callerTokens_;  // callers' buffers
    std::uint64_t nextCallerToken_ = 0xC0000000u;
    bool stopping_ = false;
    std::thread realTimeThread_;
};

}  // namespace sim
