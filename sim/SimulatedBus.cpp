#include "sim/SimulatedBus.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <limits>

#include "buslib/Clock.h"
#include "sim/ConfigRom.h"

namespace sim {

namespace rec = tk::records;

namespace {

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
// A clock that jumps by more than this was replaced (a test installed its own).
constexpr std::uint32_t kMaxClockStepMs = 3600u * 1000u;
constexpr std::uint32_t kRealTimeSliceMs = 20;
constexpr std::uint64_t kAdapterUniqueId = 0x0030530000000001ull;

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string LastComponent(const std::string& link) {
    const std::size_t slash = link.find_last_of('\\');
    return slash == std::string::npos ? link : link.substr(slash + 1);
}

}  // namespace

SimulatedBus::SimulatedBus(Scenario scenario, SimulatedBusOptions options)
    : scenario_(std::move(scenario)), options_(options) {
    lastTick_ = tk::CurrentClock().TickCount();
    cards_.resize(scenario_.cards.size());
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        cards_[i].spec = scenario_.cards[i];
        cards_[i].adapterRom = BuildPlainRom(kAdapterUniqueId + (i << 8));
    }
    for (const auto& spec : scenario_.cameras) {
        CameraSlot slot;
        slot.camera = std::make_unique<SimulatedCamera>(spec);
        slot.plugged = spec.plugged;
        slot.camera->PowerOn(0);
        cameras_.push_back(std::move(slot));
    }
    for (const auto& e : scenario_.events) {
        if (e.card >= 0 && static_cast<std::size_t>(e.card) < cards_.size()) {
            cards_[static_cast<std::size_t>(e.card)].script.push_back(e);
        }
    }
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        auto& script = cards_[i].script;
        std::stable_sort(script.begin(), script.end(), [](const auto& a, const auto& b) {
            return a.atMilliseconds < b.atMilliseconds;
        });
        ResetLocked(static_cast<int>(i));
    }
    if (options_.realTime) {
        realTimeThread_ = std::thread([this] { RealTimeLoop(); });
    }
}

std::unique_ptr<SimulatedBus> SimulatedBus::ForProgram(const std::string& scenarioPath,
                                                       ScenarioError* error) {
    Scenario scenario;
    if (scenarioPath.empty()) {
        scenario = DefaultScenario();
    } else {
        ScenarioResult loaded = LoadScenarioFile(scenarioPath);
        if (!loaded.scenario) {
            if (error != nullptr) {
                *error = loaded.error;
            }
            return nullptr;
        }
        scenario = std::move(*loaded.scenario);
    }
    return std::make_unique<SimulatedBus>(std::move(scenario), SimulatedBusOptions{false, true});
}

SimulatedBus::~SimulatedBus() {
    {
        Lock lock(mutex_);
        stopping_ = true;
        for (auto& card : cards_) {
            card.cancelled = true;
        }
    }
    pumpWake_.notify_all();
    eventsChanged_.notify_all();
    if (realTimeThread_.joinable()) {
        realTimeThread_.join();
    }
}

// ---- time ---------------------------------------------------------------------

void SimulatedBus::AdvanceLocked() {
    const std::uint32_t tick = tk::CurrentClock().TickCount();
    const std::uint32_t step = tick - lastTick_;
    lastTick_ = tick;
    if (step <= kMaxClockStepMs) {
        nowMicros_ += std::uint64_t{step} * 1000;
    }
    RunDueLocked();
}

void SimulatedBus::Pump() {
    Lock lock(mutex_);
    AdvanceLocked();
}

void SimulatedBus::RunDueLocked() {
    // Frames and scripted events, in time order, up to now.
    for (;;) {
        std::uint64_t best = kNever;
        int bestCamera = -1;
        int bestCard = -1;
        for (std::size_t c = 0; c < cameras_.size(); ++c) {
            const CameraSlot& slot = cameras_[c];
            if (!slot.plugged) {
                continue;
            }
            const auto due = slot.camera->NextFrameDue();
            if (due && *due <= nowMicros_ && *due < best) {
                best = *due;
                bestCamera = static_cast<int>(c);
            }
        }
        for (std::size_t k = 0; k < cards_.size(); ++k) {
            const Card& card = cards_[k];
            if (!card.everOpened || card.scriptNext >= card.script.size()) {
                continue;
            }
            const std::uint64_t due =
                card.openedAt + std::uint64_t{card.script[card.scriptNext].atMilliseconds} * 1000;
            if (due <= nowMicros_ && due <= best) {
                best = due;
                bestCard = static_cast<int>(k);
                bestCamera = -1;
            }
        }
        if (bestCard >= 0) {
            Card& card = cards_[static_cast<std::size_t>(bestCard)];
            const ScriptedEvent e = card.script[card.scriptNext++];
            ApplyScriptedLocked(card, e);
        } else if (bestCamera >= 0) {
            CameraSlot& slot = cameras_[static_cast<std::size_t>(bestCamera)];
            const auto frame = slot.camera->TakeFrame(best);
            if (frame) {
                DeliverLocked(slot.camera->Spec().card, bestCamera, *frame);
            }
        } else {
            return;
        }
    }
}

void SimulatedBus::RealTimeLoop() {
    Lock lock(mutex_);
    while (!stopping_) {
        AdvanceLocked();
        std::uint64_t next = kNever;
        for (const auto& slot : cameras_) {
            if (slot.plugged) {
                if (const auto due = slot.camera->NextFrameDue()) {
                    next = std::min(next, *due);
                }
            }
        }
        std::uint32_t waitMs = kRealTimeSliceMs;
        if (next != kNever) {
            const std::uint64_t ahead = next > nowMicros_ ? next - nowMicros_ : 0;
            waitMs =
                static_cast<std::uint32_t>(std::min<std::uint64_t>(waitMs, (ahead + 999) / 1000));
        }
        pumpWake_.wait_for(lock, std::chrono::milliseconds(std::max<std::uint32_t>(waitMs, 1)));
    }
}

// ---- bus ------------------------------------------------------------------------

void SimulatedBus::SignalLocked(Card& card, std::uint32_t bits) {
    card.events |= bits;
    eventsChanged_.notify_all();
}

void SimulatedBus::ResetLocked(int cardIndex) {
    Card& card = cards_[static_cast<std::size_t>(cardIndex)];
    card.topology.clear();
    for (std::size_t c = 0; c < cameras_.size(); ++c) {
        if (cameras_[c].plugged && cameras_[c].camera->Spec().card == cardIndex) {
            card.topology.push_back({NodeRef::Kind::Camera, static_cast<int>(c)});
        }
    }
    for (std::size_t n = 0; n < scenario_.otherNodes.size(); ++n) {
        if (scenario_.otherNodes[n].card == cardIndex) {
            card.topology.push_back({NodeRef::Kind::Other, static_cast<int>(n)});
        }
    }
    // The adapter is the root, so it has the highest node number.
    card.topology.push_back({NodeRef::Kind::Adapter, 0});
    if (card.busOpen) {
        SignalLocked(card, reg::kEventBusReset);
    }
}

std::vector<std::uint32_t> SimulatedBus::SelfIds(const Card& card, std::size_t node) const {
    const NodeRef& ref = card.topology[node];
    const std::size_t count = card.topology.size();
    std::uint32_t speed = 2;
    bool link = true;
    bool extended = false;
    std::uint32_t power = 0;
    if (ref.kind == NodeRef::Kind::Camera) {
        speed = cameras_[static_cast<std::size_t>(ref.index)].camera->Spec().speed;
        power = 4;  // takes power from the bus
    } else if (ref.kind == NodeRef::Kind::Other) {
        const OtherNodeSpec& other = scenario_.otherNodes[static_cast<std::size_t>(ref.index)];
        speed = other.speed;
        link = other.kind != NodeKind::Inactive;
        extended = other.kind == NodeKind::Extended;
    }
    // A daisy chain: node 0 is the far leaf, the adapter (last) the root.
    constexpr std::uint32_t kChild = 3, kParent = 2, kNone = 1;
    const std::uint32_t p0 = node == 0 ? (count > 1 ? kParent : kNone) : kChild;
    const std::uint32_t p1 = (node > 0 && node + 1 < count) ? kParent : kNone;
    const std::uint32_t p2 = kNone;
    std::uint32_t q = 0x80000000u | (static_cast<std::uint32_t>(node) << 24) |
                      (link ? 1u << 22 : 0) | (0x3Fu << 16) | (speed << 14) |
                      (ref.kind == NodeRef::Kind::Adapter ? 1u << 11 : 0) | (power << 8) |
                      (p0 << 6) | (p1 << 4) | (p2 << 2);
    if (!extended) {
        return {q};
    }
    q |= 1;                                    // more packets follow
    const std::uint32_t ports = 0x5555u << 2;  // eight more ports, none connected
    return {q, 0x80000000u | (static_cast<std::uint32_t>(node) << 24) | (1u << 23) | ports};
}

int SimulatedBus::CameraIndex(const std::string& name) const {
    for (std::size_t c = 0; c < cameras_.size(); ++c) {
        if (cameras_[c].camera->Spec().name == name) {
            return static_cast<int>(c);
        }
    }
    return -1;
}

void SimulatedBus::ApplyScriptedLocked(Card& card, const ScriptedEvent& e) {
    const int cardIndex = static_cast<int>(&card - cards_.data());
    const int camera = e.camera.empty() ? -1 : CameraIndex(e.camera);
    switch (e.action) {
        case EventAction::Plug:
        case EventAction::Unplug:
            if (camera >= 0) {
                CameraSlot& slot = cameras_[static_cast<std::size_t>(camera)];
                const bool plug = e.action == EventAction::Plug;
                if (slot.plugged != plug) {
                    slot.plugged = plug;
                    if (plug) {
                        slot.camera->PowerOn(nowMicros_);
                    }
                    ResetLocked(cardIndex);
                }
            }
            break;
        case EventAction::Trigger:
            if (camera >= 0) {
                cameras_[static_cast<std::size_t>(camera)].camera->Trigger(nowMicros_);
            }
            break;
        case EventAction::Reset:
            ResetLocked(cardIndex);
            break;
        case EventAction::Error:
            card.errorWord |= e.value;
            SignalLocked(card, reg::kEventErrors);
            break;
        case EventAction::Notify:
            if (e.count > 0) {
                card.notifications += e.count;
                SignalLocked(card, reg::kEventNotifications);
            }
            break;
        case EventAction::Fail:
            if (camera >= 0) {
                cameras_[static_cast<std::size_t>(camera)].failCount = e.count;
                cameras_[static_cast<std::size_t>(camera)].failStatus = e.value;
            }
            break;
    }
}

// ---- frames -----------------------------------------------------------------------

void SimulatedBus::DeliverLocked(int cardIndex, int camera, const SimulatedCamera::Frame& frame) {
    Card& card = cards_[static_cast<std::size_t>(cardIndex)];
    if (!card.busOpen) {
        return;
    }
    CameraSlot& slot = cameras_[static_cast<std::size_t>(camera)];
    for (int i = 0; i < reg::kContextsPerCard; ++i) {
        IsoContext& ctx = card.contexts[static_cast<std::size_t>(i)];
        if (!ctx.running) {
            continue;
        }
        const std::uint32_t channelMask = ctx.channelSelection >> 16;
        if ((frame.format.channel & channelMask) != (ctx.channelSelection & channelMask)) {
            continue;
        }
        // Without a match on the first packet's sync field the context never
        // sees a frame start.
        const std::uint32_t syncMask = ctx.firstPacketSelection >> 16;
        if ((reg::kFrameStartSync & syncMask) != (ctx.firstPacketSelection & syncMask)) {
            continue;
        }
        auto it = std::find_if(ctx.buffers.begin(), ctx.buffers.end(),
                               [](const Buffer& b) { return b.state == Buffer::State::Free; });
        if (it == ctx.buffers.end()) {
            ++ctx.dropped;
            ++slot.dropped;
            continue;
        }
        const TestPattern& pattern = slot.camera->PatternFor(frame.format);
        const std::size_t written = pattern.Render(frame.number, it->data.get(), it->size);
        if (written < it->size) {
            std::memset(it->data.get() + written, 0, it->size - written);
        }
        // The mark flags a frame cut short by a buffer smaller than the image.
        it->frameMark = written < pattern.FrameBytes() ? 1 : 0;
        it->state = Buffer::State::Filled;
        ctx.filled.push_back(static_cast<std::size_t>(it - ctx.buffers.begin()));
        ++ctx.delivered;
        ++slot.delivered;
        SignalLocked(card, reg::kEventContext0 << i);
    }
}

void SimulatedBus::FreeBufferLocked(Buffer& buffer) {
    if (buffer.data) {
        bufferBytes_ -= buffer.size;
        for (auto it = tokens_.begin(); it != tokens_.end();) {
            it = it->second == buffer.data.get() ? tokens_.erase(it) : std::next(it);
        }
        buffer.data.reset();
    }
}

void SimulatedBus::StopContextLocked(IsoContext& ctx, bool keepLent) {
    for (Buffer& b : ctx.buffers) {
        if (keepLent && b.state == Buffer::State::Lent) {
            ctx.retired.push_back(std::move(b));
        } else {
            FreeBufferLocked(b);
        }
    }
    if (!keepLent) {
        for (Buffer& b : ctx.retired) {
            FreeBufferLocked(b);
        }
        ctx.retired.clear();
    }
    ctx.buffers.clear();
    ctx.filled.clear();
    ctx.running = false;
}

std::uint64_t SimulatedBus::DataAddress(const Buffer& buffer, Layout layout) {
    const auto address = reinterpret_cast<std::uintptr_t>(buffer.data.get());
    if (layout == Layout::Wide || address <= 0xFFFFFFFFu) {
        return address;
    }
    // A compact record has 32 bits for the address: hand out a token instead.
    const std::uint64_t token = 0xA0000000u | buffer.handle;
    tokens_[token] = buffer.data.get();
    return token;
}

const std::uint8_t* SimulatedBus::DriverAddressToPointer(std::uint64_t address) {
    {
        Lock lock(mutex_);
        auto it = tokens_.find(address);
        if (it != tokens_.end()) {
            return it->second;
        }
    }
    return DriverPlatform::DriverAddressToPointer(address);
}

std::uint64_t SimulatedBus::BufferToDriverAddress(void* buffer) {
    if (options_.wideLayout || sizeof(void*) <= 4 || buffer == nullptr) {
        return DriverPlatform::BufferToDriverAddress(buffer);
    }
    Lock lock(mutex_);
    const std::uint64_t token = nextCallerToken_;
    nextCallerToken_ = nextCallerToken_ >= 0xFFFFFFF0u ? 0xC0000000u : nextCallerToken_ + 16;
    callerTokens_[token] = static_cast<std::uint8_t*>(buffer);
    return token;
}

void SimulatedBus::ReleaseDriverAddress(std::uint64_t address) {
    Lock lock(mutex_);
    callerTokens_.erase(address);
}

// ---- registry and devices ------------------------------------------------------------

bool SimulatedBus::IsWow64Process() {
    return options_.wideLayout;
}

bool SimulatedBus::ReadRegistryDword(const char* valueName, std::uint32_t* value) {
    if (valueName == nullptr || value == nullptr) {
        return false;
    }
    const std::string name = valueName;
    if (EqualsNoCase(name, "CardMask")) {
        std::uint32_t mask = 0;
        for (const auto& card : cards_) {
            mask |= 1u << card.spec.slot;
        }
        *value = mask;
        return true;
    }
    for (const auto& card : cards_) {
        if (EqualsNoCase(name, "CardSystemId" + std::to_string(card.spec.slot))) {
            *value = card.spec.systemId;
            return true;
        }
    }
    return false;
}

bool SimulatedBus::ReadRegistryString(const char* valueName, char* buffer, std::size_t capacity) {
    if (valueName == nullptr || buffer == nullptr) {
        return false;
    }
    for (const auto& card : cards_) {
        if (EqualsNoCase(valueName, "SymbolicLinkName" + std::to_string(card.spec.slot))) {
            const std::string& link = card.spec.linkName;
            if (link.size() + 1 > capacity) {
                return false;  // as the registry: the value does not fit
            }
            std::memcpy(buffer, link.c_str(), link.size() + 1);
            return true;
        }
    }
    return false;
}

tk::DeviceHandle SimulatedBus::OpenDevice(const char* path) {
    if (path == nullptr) {
        return tk::kInvalidDevice;
    }
    const std::string p = path;
    const std::string prefix = "\\\\.\\";
    if (p.compare(0, prefix.size(), prefix) != 0) {
        return tk::kInvalidDevice;
    }
    Lock lock(mutex_);
    for (Card& card : cards_) {
        if (EqualsNoCase(p.substr(prefix.size()), LastComponent(card.spec.linkName))) {
            if (card.handle != tk::kInvalidDevice) {
                return tk::kInvalidDevice;  // opened exclusively
            }
            card.handle = nextHandle_++;
            card.cancelled = false;
            card.events = 0;
            card.errorWord = 0;
            card.notifications = 0;
            return card.handle;
        }
    }
    return tk::kInvalidDevice;
}

SimulatedBus::Card* SimulatedBus::CardOf(tk::DeviceHandle device) {
    if (device == tk::kInvalidDevice) {
        return nullptr;
    }
    for (Card& card : cards_) {
        if (card.handle == device) {
            return &card;
        }
    }
    return nullptr;
}

void SimulatedBus::CloseDevice(tk::DeviceHandle device) {
    Lock lock(mutex_);
    Card* card = CardOf(device);
    if (card == nullptr) {
        return;
    }
    // Closing ends everything of the handle, like the driver's cleanup.
    for (IsoContext& ctx : card->contexts) {
        StopContextLocked(ctx, false);
    }
    card->busOpen = false;
    card->handle = tk::kInvalidDevice;
    card->cancelled = true;  // a wait still pending on the closed handle ends
    eventsChanged_.notify_all();
}

// ---- requests -------------------------------------------------------------------------

tk::ExchangeOutcome SimulatedBus::Exchange(tk::DeviceHandle device, std::uint32_t controlCode,
                                           void* record, std::uint32_t size,
                                           std::uint32_t waitMilliseconds,
                                           std::uint32_t* bytesReturned) {
    Layout layout;
    if (controlCode == tk::kControlCodeCompact) {
        layout = Layout::Compact;
    } else if (controlCode == tk::kControlCodeWide) {
        layout = Layout::Wide;
    } else {
        return tk::ExchangeOutcome::DeviceError;  // invalid device request
    }
    if (record == nullptr || size < rec::HeaderSize(layout)) {
        return tk::ExchangeOutcome::DeviceError;  // buffer too small
    }
    auto* bytes = static_cast<std::uint8_t*>(record);
    Lock lock(mutex_);
    Card* card = CardOf(device);
    if (card == nullptr) {
        return tk::ExchangeOutcome::DeviceError;  // invalid handle
    }
    AdvanceLocked();
    const auto code = static_cast<std::uint32_t>(rec::GetField(bytes, layout, rec::header::Code));
    const rec::RequestSpec* spec = rec::FindRequest(code);
    std::uint32_t reply = rec::HeaderSize(layout);
    if (spec == nullptr) {
        rec::PutField(bytes, layout, rec::header::Status, reg::kStatusNotImplemented);
    } else if (size < spec->Size(layout)) {
        return tk::ExchangeOutcome::DeviceError;
    } else {
        bool timedOut = false;
        reply = Dispatch(*card, lock, bytes, layout, *spec, waitMilliseconds, &timedOut);
        if (timedOut) {
            return tk::ExchangeOutcome::TimedOut;
        }
        if (reply == 0) {
            return tk::ExchangeOutcome::DeviceError;  // the handle was closed meanwhile
        }
    }
    if (bytesReturned != nullptr) {
        *bytesReturned = reply;
    }
    return tk::ExchangeOutcome::Completed;
}

std::uint32_t SimulatedBus::Dispatch(Card& card, Lock& lock, std::uint8_t* r, Layout layout,
                                     const rec::RequestSpec& spec, std::uint32_t waitMs,
                                     bool* timedOut) {
    const std::uint32_t full = spec.Size(layout);
    auto status = [&](std::uint32_t s) {
        rec::PutField(r, layout, rec::header::Status, s);
        return full;
    };
    auto param1 = [&] {
        return static_cast<std::uint32_t>(rec::GetField(r, layout, rec::header::Param1));
    };
    switch (spec.code) {
        case rec::request::DriverVersion.code:
            rec::PutField(r, layout, rec::header::Param1, reg::kDriverVersion);
            return status(reg::kStatusOk);
        case rec::request::OpenBus.code:
            return OpenBus(card, r, layout);
        case rec::request::CloseBus.code:
            if (!card.busOpen) {
                return status(reg::kStatusNotStarted);
            }
            for (IsoContext& ctx : card.contexts) {
                StopContextLocked(ctx, true);
            }
            card.busOpen = false;
            return status(reg::kStatusOk);
        case rec::request::WaitEvents.code:
            return WaitForEvents(card, lock, r, layout, waitMs, timedOut);
        case rec::request::CancelWait.code:
            card.cancelled = true;
            eventsChanged_.notify_all();
            return status(reg::kStatusOk);
        case rec::request::ErrorEvents.code:
            rec::PutField(r, layout, rec::header::Param1, card.errorWord);
            card.errorWord = 0;
            return status(reg::kStatusOk);
        case rec::request::DiscardNotification.code:
            if (card.notifications == 0) {
                return status(reg::kStatusNoData);
            }
            --card.notifications;
            rec::PutField(r, layout, rec::header::Param1, card.notifications);
            return status(reg::kStatusOk);
        default:
            break;
    }
    // Everything below needs the bus.
    if (!card.busOpen) {
        status(reg::kStatusNotStarted);
        return spec.code == rec::request::IsoPost.code &&
                       rec::GetField(r, layout, rec::iso_frame::BufferHandle) != 0
                   ? rec::HeaderSize(layout)
                   : full;
    }
    switch (spec.code) {
        case rec::request::BusInfo.code:
            return BusInformation(card, r, layout);
        case rec::request::WriteQuad.code:
        case rec::request::ReadQuad.code:
            return status(Transaction(card, r, layout, spec.code == rec::request::WriteQuad.code));
        case rec::request::IsoStart.code:
            return IsoStart(card, r, layout);
        case rec::request::IsoInquire.code:
            return IsoInquire(card, r, layout);
        case rec::request::IsoPost.code:
            return IsoPost(card, r, layout);
        case rec::request::IsoClear.code:
        case rec::request::IsoStop.code: {
            const std::uint32_t index = param1();
            if (index >= reg::kContextsPerCard) {
                return status(reg::kStatusInputParameters);
            }
            IsoContext& ctx = card.contexts[index];
            if (!ctx.running) {
                return status(reg::kStatusNotStarted);
            }
            if (spec.code == rec::request::IsoStop.code) {
                StopContextLocked(ctx, true);
                card.events &= ~(reg::kEventContext0 << index);
            } else {
                for (Buffer& b : ctx.buffers) {
                    b.state = Buffer::State::Free;
                }
                ctx.filled.clear();
                for (Buffer& b : ctx.retired) {
                    FreeBufferLocked(b);
                }
                ctx.retired.clear();
            }
            return status(reg::kStatusOk);
        }
        default:
            return status(reg::kStatusNotImplemented);
    }
}

std::uint32_t SimulatedBus::WaitForEvents(Card& card, Lock& lock, std::uint8_t* r, Layout layout,
                                          std::uint32_t waitMs, bool* timedOut) {
    const std::uint32_t full = rec::request::WaitEvents.Size(layout);
    const tk::DeviceHandle handle = card.handle;
    // The record's own wait time bounds the wait as well as the caller's.
    const auto recordWait =
        static_cast<std::uint32_t>(rec::GetField(r, layout, rec::header::Param1));
    const std::uint32_t limit = std::min(waitMs, recordWait);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
    for (;;) {
        if (card.handle != handle) {
            return 0;
        }
        if (card.cancelled || card.events != 0) {
            std::uint32_t word = card.events;
            card.events = 0;
            if (card.cancelled) {
                word |= reg::kEventStop;
            }
            rec::PutField(r, layout, rec::header::Param1, word);
            rec::PutField(r, layout, rec::header::Status, reg::kStatusOk);
            return full;
        }
        if (limit == tk::kWaitInfinite) {
            eventsChanged_.wait(lock);
        } else if (eventsChanged_.wait_until(lock, deadline) == std::cv_status::timeout) {
            if (card.cancelled || card.events != 0) {
                continue;
            }
            if (waitMs != tk::kWaitInfinite) {
                *timedOut = true;  // the caller cancels and sees its own timeout
                return full;
            }
            rec::PutField(r, layout, rec::header::Status, reg::kStatusTimeout);
            return full;
        }
        AdvanceLocked();
    }
}

std::uint32_t SimulatedBus::OpenBus(Card& card, std::uint8_t* r, Layout layout) {
    const std::uint32_t full = rec::request::OpenBus.Size(layout);
    if (card.busOpen) {
        rec::PutField(r, layout, rec::header::Status, reg::kStatusStartedTwice);
        return full;
    }
    card.busOpen = true;
    if (!card.everOpened) {
        card.everOpened = true;
        card.openedAt = nowMicros_;
    }
    const int cardIndex = static_cast<int>(&card - cards_.data());
    ResetLocked(cardIndex);
    // The sizing values the driver keeps are echoed; the rest reports the bus.
    rec::PutField(r, layout, rec::open_bus::Reply56,
                  static_cast<std::uint8_t>(card.topology.size() - 1));
    rec::PutField(r, layout, rec::open_bus::Reply57,
                  static_cast<std::uint8_t>(card.topology.size()));
    rec::PutField(r, layout, rec::open_bus::Reply60, reg::kBandwidthUnitsS400);
    rec::PutField(r, layout, rec::open_bus::Reply64, reg::kContextsPerCard);
    rec::PutField(r, layout, rec::header::Status, reg::kStatusOk);
    return full;
}

std::uint32_t SimulatedBus::BusInformation(Card& card, std::uint8_t* r, Layout layout) {
    const std::uint32_t full = rec::request::BusInfo.Size(layout);
    const std::uint64_t address = rec::GetField(r, layout, rec::bus_info::BufferAddress);
    const auto capacity =
        static_cast<std::uint32_t>(rec::GetField(r, layout, rec::bus_info::Capacity));
    std::uint8_t* buffer = nullptr;
    if (layout == Layout::Compact && sizeof(void*) > 4) {
        // 32 bits cannot hold an address of this process: only tokens are valid.
        auto it = callerTokens_.find(address);
        buffer = it == callerTokens_.end() ? nullptr : it->second;
    } else {
        buffer = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(address));
    }
    if (buffer == nullptr && capacity != 0) {
        rec::PutField(r, layout, rec::header::Status, reg::kStatusInputParameters);
        return full;
    }
    std::uint32_t used = 0;
    std::uint32_t described = 0;
    for (std::size_t node = 0; node < card.topology.size(); ++node) {
        const auto packets = SelfIds(card, node);
        if (used + packets.size() > capacity) {
            break;
        }
        for (std::uint32_t q : packets) {
            std::memcpy(buffer + 4 * used, &q, 4);  // host order
            ++used;
        }
        ++described;
    }
    const int local = static_cast<int>(card.topology.size()) - 1;
    rec::PutField(r, layout, rec::bus_info::Reported16, 0x3FF);
    rec::PutField(r, layout, rec::bus_info::LocalNode, static_cast<std::uint8_t>(local));
    rec::PutField(r, layout, rec::bus_info::NodeCount,
                  static_cast<std::uint8_t>(card.topology.size()));
    rec::PutField(r, layout, rec::bus_info::NodesDescribed, described);
    rec::PutField(r, layout, rec::header::Status, reg::kStatusOk);
    return full;
}

std::uint32_t SimulatedBus::Transaction(Card& card, std::uint8_t* r, Layout layout, bool write) {
    const auto node = static_cast<std::uint32_t>(rec::GetField(r, layout, rec::quad::Node)) & 0x3F;
    const auto high = static_cast<std::uint32_t>(rec::GetField(r, layout, rec::quad::AddressHigh));
    const auto low = static_cast<std::uint32_t>(rec::GetField(r, layout, rec::quad::AddressLow));
    const auto speed = static_cast<std::uint32_t>(rec::GetField(r, layout, rec::quad::Speed));
    std::uint8_t* quadlet = r + rec::quad::Quadlet.Offset(layout);
    rec::PutField(r, layout, rec::quad::ResultA, 0);
    rec::PutField(r, layout, rec::quad::ResultB, 0);
    auto answer = [&](std::uint32_t status) {
        // ack_complete / ack_pending, then the response code (7: address error).
        rec::PutField(r, layout, rec::quad::ResultA, status == reg::kStatusNoAck ? 0 : 1);
        rec::PutField(r, layout, rec::quad::ResultB, status == reg::kStatusRcode ? 7 : 0);
        return status;
    };
    if (node == 63) {
        // Broadcast: a write reaches every camera, unanswered; a read cannot be broadcast.
        if (!write) {
            return answer(reg::kStatusInputParameters);
        }
        if (high == reg::kAddressHigh) {
            for (const NodeRef& ref : card.topology) {
                if (ref.kind == NodeRef::Kind::Camera) {
                    cameras_[static_cast<std::size_t>(ref.index)].camera->Write(
                        low, rec::GetBus32(quadlet), nowMicros_);
                }
            }
        }
        return answer(reg::kStatusOk);
    }
    if (node >= card.topology.size()) {
        return answer(reg::kStatusNoAck);
    }
    const NodeRef& ref = card.topology[node];
    std::uint32_t maxSpeed = 2;
    if (ref.kind == NodeRef::Kind::Camera) {
        maxSpeed = cameras_[static_cast<std::size_t>(ref.index)].camera->Spec().speed;
    } else if (ref.kind == NodeRef::Kind::Other) {
        const OtherNodeSpec& other = scenario_.otherNodes[static_cast<std::size_t>(ref.index)];
        if (other.kind == NodeKind::Inactive) {
            return answer(reg::kStatusNoAck);
        }
        maxSpeed = other.speed;
    }
    if (speed != 0xFF && speed > maxSpeed) {
        return answer(reg::kStatusNoAck);  // the node cannot hear that speed
    }
    if (high != reg::kAddressHigh) {
        return answer(reg::kStatusRcode);
    }
    std::uint32_t value = write ? rec::GetBus32(quadlet) : 0;
    std::uint32_t result = reg::kStatusRcode;
    if (ref.kind == NodeRef::Kind::Camera) {
        CameraSlot& slot = cameras_[static_cast<std::size_t>(ref.index)];
        if (slot.failCount > 0) {
            --slot.failCount;
            return answer(slot.failStatus);
        }
        result = write ? slot.camera->Write(low, value, nowMicros_)
                       : slot.camera->Read(low, nowMicros_, &value);
    } else {
        // The adapter and other nodes: a configuration ROM and nothing else.
        const std::vector<std::uint32_t> rom =
            ref.kind == NodeRef::Kind::Adapter
                ? card.adapterRom
                : BuildPlainRom(0x0030530000100000ull + static_cast<std::uint64_t>(ref.index));
        const std::uint32_t index = (low - reg::kConfigRom) / 4;
        if (!write && low >= reg::kConfigRom && (low & 3) == 0 && index < rom.size()) {
            value = rom[index];
            result = reg::kStatusOk;
        }
    }
    if (result == reg::kStatusOk && !write) {
        rec::PutBus32(quadlet, value);
    }
    return answer(result);
}

std::uint32_t SimulatedBus::IsoStart(Card& card, std::uint8_t* r, Layout layout) {
    namespace f = rec::iso_start;
    const std::uint32_t full = rec::request::IsoStart.Size(layout);
    auto status = [&](std::uint32_t s) {
        rec::PutField(r, layout, rec::header::Status, s);
        return full;
    };
    const auto requested =
        static_cast<std::uint32_t>(rec::GetField(r, layout, f::BuffersRequested));
    const auto packets = static_cast<std::uint32_t>(rec::GetField(r, layout, f::PacketsPerFrame));
    const auto payload =
        static_cast<std::uint32_t>(rec::GetField(r, layout, f::BytesPerPacket)) & 0xFFFF;
    if (requested == 0 || packets == 0 || payload == 0) {
        return status(reg::kStatusInputParameters);
    }
    int index = -1;
    std::uint32_t bandwidth = 0;
    for (int i = 0; i < reg::kContextsPerCard; ++i) {
        const IsoContext& ctx = card.contexts[static_cast<std::size_t>(i)];
        if (ctx.running) {
            bandwidth += reg::PacketBandwidthUnits(ctx.bytesPerPacket);
        } else if (index < 0) {
            index = i;
        }
    }
    if (index < 0) {
        return status(reg::kStatusNoResources);  // every context is busy
    }
    if (bandwidth + reg::PacketBandwidthUnits(payload) > reg::kBandwidthUnitsS400) {
        return status(reg::kStatusNoResources);  // the stream does not fit in the cycle
    }
    const std::uint64_t frameBytes = std::uint64_t{packets} * payload;
    const std::uint64_t budget = std::uint64_t{scenario_.memoryBudgetMiB} << 20;
    const std::uint64_t room = budget > bufferBytes_ ? budget - bufferBytes_ : 0;
    const auto granted =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(requested, room / frameBytes));
    if (granted == 0) {
        return status(reg::kStatusNoMemory);
    }
    IsoContext& ctx = card.contexts[static_cast<std::size_t>(index)];
    for (Buffer& b : ctx.retired) {
        FreeBufferLocked(b);  // a new start reuses the context: old loans end
    }
    ctx.retired.clear();
    ctx = IsoContext{};
    ctx.running = true;
    ctx.packetsPerFrame = packets;
    ctx.bytesPerPacket = payload;
    ctx.firstPacketSelection =
        static_cast<std::uint32_t>(rec::GetField(r, layout, f::FirstPacketSelection));
    ctx.channelSelection =
        static_cast<std::uint32_t>(rec::GetField(r, layout, f::DmaChannelSelection));
    ctx.top = static_cast<std::uint16_t>(rec::GetField(r, layout, f::Top));
    ctx.left = static_cast<std::uint16_t>(rec::GetField(r, layout, f::Left));
    ctx.height = static_cast<std::uint16_t>(rec::GetField(r, layout, f::Height));
    ctx.width = static_cast<std::uint16_t>(rec::GetField(r, layout, f::Width));
    ctx.coding = static_cast<std::uint16_t>(rec::GetField(r, layout, f::ColourCode));
    ctx.buffers.resize(granted);
    for (Buffer& b : ctx.buffers) {
        b.size = static_cast<std::size_t>(frameBytes);
        b.data = std::make_unique<std::uint8_t[]>(b.size);  // zeroed
        b.handle = nextBufferHandle_++;
        bufferBytes_ += b.size;
    }
    card.events &= ~(reg::kEventContext0 << index);
    rec::PutField(r, layout, f::Context, static_cast<std::uint32_t>(index));
    rec::PutField(r, layout, f::BuffersAllocated, granted);
    return status(reg::kStatusOk);
}

std::uint32_t SimulatedBus::IsoInquire(Card& card, std::uint8_t* r, Layout layout) {
    namespace f = rec::iso_frame;
    const std::uint32_t full = rec::request::IsoInquire.Size(layout);
    auto status = [&](std::uint32_t s) {
        rec::PutField(r, layout, rec::header::Status, s);
        return full;
    };
    const auto index = static_cast<std::uint32_t>(rec::GetField(r, layout, rec::header::Param1));
    if (index >= reg::kContextsPerCard) {
        return status(reg::kStatusInputParameters);
    }
    IsoContext& ctx = card.contexts[index];
    if (!ctx.running) {
        return status(reg::kStatusNotStarted);
    }
    rec::PutField(r, layout, f::BufferHandle, 0);
    if (ctx.filled.empty()) {
        return status(reg::kStatusOk);
    }
    Buffer& b = ctx.buffers[ctx.filled.front()];
    ctx.filled.erase(ctx.filled.begin());
    b.state = Buffer::State::Lent;
    rec::PutField(r, layout, f::BufferHandle, b.handle);
    rec::PutField(r, layout, f::Top, ctx.top);
    rec::PutField(r, layout, f::Left, ctx.left);
    rec::PutField(r, layout, f::Height, ctx.height);
    rec::PutField(r, layout, f::Width, ctx.width);
    rec::PutField(r, layout, f::ColourCode, ctx.coding);
    rec::PutField(r, layout, f::FrameMark, b.frameMark);
    rec::PutField(r, layout, f::Unused33, 0);
    rec::PutField(r, layout, f::Unused34, 0);
    rec::PutField(r, layout, f::UnusedPointer, 0);
    rec::PutField(r, layout, f::DataAddress, DataAddress(b, layout));
    if (!ctx.filled.empty()) {
        SignalLocked(card, reg::kEventContext0 << index);  // more frames are waiting
    }
    return status(reg::kStatusOk);
}

std::uint32_t SimulatedBus::IsoPost(Card& card, std::uint8_t* r, Layout layout) {
    namespace f = rec::iso_frame;
    const std::uint32_t full = rec::request::IsoPost.Size(layout);
    const std::uint32_t header = rec::HeaderSize(layout);
    const auto handle = static_cast<std::uint32_t>(rec::GetField(r, layout, f::BufferHandle));
    const auto index = static_cast<std::uint32_t>(rec::GetField(r, layout, f::PostContext));
    auto status = [&](std::uint32_t s) {
        rec::PutField(r, layout, rec::header::Status, s);
        return handle != 0 ? header : full;
    };
    if (handle == 0 || index >= reg::kContextsPerCard) {
        return status(reg::kStatusInputParameters);
    }
    IsoContext& ctx = card.contexts[index];
    for (Buffer& b : ctx.buffers) {
        if (b.handle == handle) {
            if (b.state != Buffer::State::Lent) {
                return status(reg::kStatusInputParameters);
            }
            b.state = Buffer::State::Free;
            return status(reg::kStatusOk);
        }
    }
    for (auto it = ctx.retired.begin(); it != ctx.retired.end(); ++it) {
        if (it->handle == handle) {
            // Lent when its context stopped: the loan ends and the memory goes.
            FreeBufferLocked(*it);
            ctx.retired.erase(it);
            return status(reg::kStatusOk);
        }
    }
    return status(reg::kStatusInputParameters);
}

// ---- control and inspection -----------------------------------------------------------

bool SimulatedBus::Plug(const std::string& camera) {
    Lock lock(mutex_);
    AdvanceLocked();
    const int c = CameraIndex(camera);
    if (c < 0 || cameras_[static_cast<std::size_t>(c)].plugged) {
        return false;
    }
    CameraSlot& slot = cameras_[static_cast<std::size_t>(c)];
    slot.plugged = true;
    slot.camera->PowerOn(nowMicros_);
    ResetLocked(slot.camera->Spec().card);
    return true;
}

bool SimulatedBus::Unplug(const std::string& camera) {
    Lock lock(mutex_);
    AdvanceLocked();
    const int c = CameraIndex(camera);
    if (c < 0 || !cameras_[static_cast<std::size_t>(c)].plugged) {
        return false;
    }
    CameraSlot& slot = cameras_[static_cast<std::size_t>(c)];
    slot.plugged = false;
    ResetLocked(slot.camera->Spec().card);
    return true;
}

bool SimulatedBus::Trigger(const std::string& camera) {
    Lock lock(mutex_);
    AdvanceLocked();
    const int c = CameraIndex(camera);
    if (c < 0) {
        return false;
    }
    cameras_[static_cast<std::size_t>(c)].camera->Trigger(nowMicros_);
    pumpWake_.notify_all();
    return true;
}

void SimulatedBus::BusReset(int card) {
    Lock lock(mutex_);
    AdvanceLocked();
    if (card >= 0 && static_cast<std::size_t>(card) < cards_.size()) {
        ResetLocked(card);
    }
}

void SimulatedBus::RaiseErrorEvents(int card, std::uint32_t bits) {
    Lock lock(mutex_);
    if (card >= 0 && static_cast<std::size_t>(card) < cards_.size() && bits != 0) {
        cards_[static_cast<std::size_t>(card)].errorWord |= bits;
        SignalLocked(cards_[static_cast<std::size_t>(card)], reg::kEventErrors);
    }
}

void SimulatedBus::QueueNotifications(int card, std::uint32_t count) {
    Lock lock(mutex_);
    if (card >= 0 && static_cast<std::size_t>(card) < cards_.size() && count != 0) {
        cards_[static_cast<std::size_t>(card)].notifications += count;
        SignalLocked(cards_[static_cast<std::size_t>(card)], reg::kEventNotifications);
    }
}

bool SimulatedBus::FailTransactions(const std::string& camera, std::uint32_t count,
                                    std::uint32_t status) {
    Lock lock(mutex_);
    const int c = CameraIndex(camera);
    if (c < 0) {
        return false;
    }
    cameras_[static_cast<std::size_t>(c)].failCount = count;
    cameras_[static_cast<std::size_t>(c)].failStatus = status;
    return true;
}

std::vector<std::string> SimulatedBus::CameraNames() const {
    Lock lock(mutex_);
    std::vector<std::string> names;
    for (const auto& slot : cameras_) {
        names.push_back(slot.camera->Spec().name);
    }
    return names;
}

std::optional<int> SimulatedBus::NodeNumber(const std::string& camera) const {
    Lock lock(mutex_);
    const int c = CameraIndex(camera);
    if (c < 0) {
        return std::nullopt;
    }
    const Card& card =
        cards_[static_cast<std::size_t>(cameras_[static_cast<std::size_t>(c)].camera->Spec().card)];
    for (std::size_t n = 0; n < card.topology.size(); ++n) {
        if (card.topology[n].kind == NodeRef::Kind::Camera && card.topology[n].index == c) {
            return static_cast<int>(n);
        }
    }
    return std::nullopt;
}

int SimulatedBus::LocalNodeNumber(int card) const {
    Lock lock(mutex_);
    return static_cast<int>(cards_.at(static_cast<std::size_t>(card)).topology.size()) - 1;
}

int SimulatedBus::NodeCount(int card) const {
    Lock lock(mutex_);
    return static_cast<int>(cards_.at(static_cast<std::size_t>(card)).topology.size());
}

std::optional<std::uint32_t> SimulatedBus::CameraQuadlet(const std::string& camera,
                                                         std::uint32_t address) {
    Lock lock(mutex_);
    AdvanceLocked();
    const int c = CameraIndex(camera);
    if (c < 0) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    if (cameras_[static_cast<std::size_t>(c)].camera->Read(address, nowMicros_, &value) !=
        reg::kStatusOk) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> SimulatedBus::CameraRegister(const std::string& camera,
                                                          std::uint32_t offset) {
    return CameraQuadlet(camera, CommandBase(camera) + offset);
}

std::uint32_t SimulatedBus::CommandBase(const std::string& camera) const {
    Lock lock(mutex_);
    const int c = CameraIndex(camera);
    return c < 0 ? 0 : cameras_[static_cast<std::size_t>(c)].camera->CommandBase();
}

SimulatedBus::CameraCounters SimulatedBus::Counters(const std::string& camera) const {
    Lock lock(mutex_);
    const int c = CameraIndex(camera);
    if (c < 0) {
        return {};
    }
    const CameraSlot& slot = cameras_[static_cast<std::size_t>(c)];
    return {slot.camera->FramesSent(), slot.delivered, slot.dropped};
}

SimulatedBus::ContextState SimulatedBus::Context(int card, int context) const {
    Lock lock(mutex_);
    ContextState state;
    if (card < 0 || static_cast<std::size_t>(card) >= cards_.size() || context < 0 ||
        context >= reg::kContextsPerCard) {
        return state;
    }
    const IsoContext& ctx =
        cards_[static_cast<std::size_t>(card)].contexts[static_cast<std::size_t>(context)];
    state.running = ctx.running;
    state.buffers = static_cast<std::uint32_t>(ctx.buffers.size());
    for (const Buffer& b : ctx.buffers) {
        state.free += b.state == Buffer::State::Free;
        state.filled += b.state == Buffer::State::Filled;
        state.lent += b.state == Buffer::State::Lent;
    }
    state.delivered = ctx.delivered;
    state.dropped = ctx.dropped;
    state.bytesPerPacket = ctx.bytesPerPacket;
    state.packetsPerFrame = ctx.packetsPerFrame;
    return state;
}

std::uint32_t SimulatedBus::BandwidthInUse(int card) const {
    Lock lock(mutex_);
    std::uint32_t units = 0;
    for (const IsoContext& ctx : cards_.at(static_cast<std::size_t>(card)).contexts) {
        if (ctx.running) {
            units += reg::PacketBandwidthUnits(ctx.bytesPerPacket);
        }
    }
    return units;
}

std::uint64_t SimulatedBus::BufferBytesInUse() const {
    Lock lock(mutex_);
    return bufferBytes_;
}

}  // namespace sim
