// FakeBus: a small 1394 bus behind the scripted driver, enough for the bus
// monitor: queued event words for the event wait (which the cancel request
// ends for good), self-ID packets for the bus information, configuration ROMs
// for quadlet reads, an error event word, and a record of cleared contexts.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "RomImage.h"
#include "buslib/RequestRecords.h"
#include "buslib/TK.h"
#include "buslib/testing/ScriptedDriver.h"

namespace tk::testing {

class FakeBus {
public:
    explicit FakeBus(ScriptedDriver& driver) : driver_(driver) {
        namespace rec = records;
        driver.On(113, [this](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
            std::unique_lock lock(mutex_);
            // A short real wait, then a timeout, as the driver's own wait would end.
            changed_.wait_for(lock, std::chrono::milliseconds(20),
                              [this] { return cancelled_ || !events_.empty(); });
            std::uint32_t word = 0;
            if (cancelled_) {
                word = TK_EVENT_STOP;
            } else if (!events_.empty()) {
                word = events_.front();
                events_.pop_front();
            } else {
                return ScriptedReply{ExchangeOutcome::TimedOut, {}};
            }
            rec::PutField(record, layout, rec::header::Param1, word);
            return ScriptedReply{};
        });
        driver.On(114, [this](rec::Layout, std::uint8_t*, std::uint32_t) {
            std::lock_guard lock(mutex_);
            cancelled_ = true;
            changed_.notify_all();
            return ScriptedReply{};
        });
        driver.On(108, [this](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
            std::lock_guard lock(mutex_);
            auto* buffer = static_cast<std::uint32_t*>(
                driver_.LentBuffer(rec::GetField(record, layout, rec::bus_info::BufferAddress)));
            const auto capacity = rec::GetField(record, layout, rec::bus_info::Capacity);
            if (buffer == nullptr || capacity < selfIds_.size()) {
                rec::PutField(record, layout, rec::header::Status, TKDRV_INPUT_PARAMETERS);
                return ScriptedReply{};
            }
            std::memcpy(buffer, selfIds_.data(), selfIds_.size() * 4);
            rec::PutField(record, layout, rec::bus_info::LocalNode, localNode_);
            rec::PutField(record, layout, rec::bus_info::NodeCount, nodeCount_);
            rec::PutField(record, layout, rec::bus_info::NodesDescribed, described_);
            return ScriptedReply{};
        });
        driver.On(110, [this](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
            std::lock_guard lock(mutex_);
            const auto node =
                static_cast<std::uint32_t>(rec::GetField(record, layout, rec::quad::Node));
            const auto address =
                static_cast<std::uint32_t>(rec::GetField(record, layout, rec::quad::AddressLow));
            ++reads_[node];
            const auto rom = roms_.find(node);
            if (rom == roms_.end() || rom->second.count(address) == 0) {
                rec::PutField(record, layout, rec::header::Status, TKDRV_NO_ACK);
                return ScriptedReply{};
            }
            rec::PutBus32(record + rec::quad::Quadlet.Offset(layout), rom->second.at(address));
            return ScriptedReply{};
        });
        driver.On(115, [this](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
            std::lock_guard lock(mutex_);
            rec::PutField(record, layout, rec::header::Status, errorStatus_);
            rec::PutField(record, layout, rec::header::Param1, errorWord_);
            return ScriptedReply{};
        });
    }

    // The bus after a reset: packets of every node in order, the adapter's node.
    // `described` (default: the node count) is what the driver claims its
    // buffer holds.
    void SetSelfIds(std::vector<std::uint32_t> quadlets, std::uint32_t nodeCount,
                    std::uint32_t localNode, std::uint32_t described = 0xFFFFFFFF) {
        std::lock_guard lock(mutex_);
        selfIds_ = std::move(quadlets);
        nodeCount_ = nodeCount;
        localNode_ = localNode;
        described_ = described == 0xFFFFFFFF ? nodeCount : described;
    }
    void SetRom(std::uint32_t node, Rom rom) {
        std::lock_guard lock(mutex_);
        roms_[node] = std::move(rom);
    }
    void SetErrors(std::uint32_t status, std::uint32_t word) {
        std::lock_guard lock(mutex_);
        errorStatus_ = status;
        errorWord_ = word;
    }
    void Raise(std::uint32_t eventWord) {
        std::lock_guard lock(mutex_);
        events_.push_back(eventWord);
        changed_.notify_all();
    }
    int ReadsOf(std::uint32_t node) {
        std::lock_guard lock(mutex_);
        return reads_[node];
    }

private:
    ScriptedDriver& driver_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint32_t> events_;
    bool cancelled_ = false;
    std::vector<std::uint32_t> selfIds_;
    std::uint32_t nodeCount_ = 0;
    std::uint32_t localNode_ = 0;
    std::uint32_t described_ = 0;
    std::map<std::uint32_t, Rom> roms_;
    std::map<std::uint32_t, int> reads_;
    std::uint32_t errorStatus_ = 0;
    std::uint32_t errorWord_ = 0;
};

}  // namespace tk::testing
