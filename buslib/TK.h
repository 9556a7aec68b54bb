// TK: the bus access library, the program's only way to the IEEE 1394 cards.
//
// Plain functions over process-wide tables. Every TK function returns a
// 32-bit code: 0 for success, a library code (TKE_..., 1001..1019) or a driver
// status passed through (TKDRV_..., 1..23). The library never logs and never
// shows anything; callers log failures with AddLogEntry(kind 0, code, name).
//
// Contents: result codes; event bits; NodeRecord, TKSelfIdEntry, TKImageInfo,
// TKFrameInfo, LogEntry; module and card functions; quadlet transactions;
// isochronous reception; events and bus information; the bus monitor
// (WorkThread); the driver service; the log ring and its texts.
#pragma once

#include <array>
#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "buslib/Clock.h"

// ---- result codes ---------------------------------------------------------

inline constexpr std::uint32_t TK_OK = 0;

// Library codes.
inline constexpr std::uint32_t TKE_ALREADY_OPENED = 1001;
inline constexpr std::uint32_t TKE_NOT_OPENED = 1002;
inline constexpr std::uint32_t TKE_NO_DETAILS = 1003;
inline constexpr std::uint32_t TKE_NOT_INSTALLED = 1004;
inline constexpr std::uint32_t TKE_MISSING_BUFFERS = 1005;
inline constexpr std::uint32_t TKE_OUT_OF_RANGE = 1006;
inline constexpr std::uint32_t TKE_CANNOT_OPEN_DEVICE = 1007;
inline constexpr std::uint32_t TKE_WINDOWS_FUNCTION = 1008;
inline constexpr std::uint32_t TKE_DEVICE_IO_CONTROL = 1009;
inline constexpr std::uint32_t TKE_WRONG_LENGTH = 1010;
inline constexpr std::uint32_t TKE_INVALID_HANDLE = 1011;
inline constexpr std::uint32_t TKE_NOT_IMPLEMENTED = 1012;
inline constexpr std::uint32_t TKE_SERVICE_ALREADY_STARTED = 1013;
inline constexpr std::uint32_t TKE_SERVICE_NOT_STARTED = 1014;
inline constexpr std::uint32_t TKE_INSTALL_FAILED = 1015;
inline constexpr std::uint32_t TKE_WRONG_VERSION = 1016;
inline constexpr std::uint32_t TKE_NODE_NOT_PRESENT = 1017;
inline constexpr std::uint32_t TKE_INCOMPLETE_COPY = 1018;
inline constexpr std::uint32_t TKE_NO_WAIT_EVENT = 1019;

// Driver status codes (the library itself also returns 3, 5 and 17).
inline constexpr std::uint32_t TKDRV_CARD_NOT_FOUND = 1;
inline constexpr std::uint32_t TKDRV_NO_DEVICE = 2;
inline constexpr std::uint32_t TKDRV_NO_MEMORY = 3;
inline constexpr std::uint32_t TKDRV_WRONG_MODE = 4;
inline constexpr std::uint32_t TKDRV_TIMEOUT = 5;
inline constexpr std::uint32_t TKDRV_STARTED_TWICE = 6;
inline constexpr std::uint32_t TKDRV_NOT_STARTED = 7;
inline constexpr std::uint32_t TKDRV_BUSY = 8;
inline constexpr std::uint32_t TKDRV_NO_RESOURCES = 9;
inline constexpr std::uint32_t TKDRV_NO_DATA = 10;
inline constexpr std::uint32_t TKDRV_NO_ACK = 11;
inline constexpr std::uint32_t TKDRV_NO_INTERRUPT = 12;
inline constexpr std::uint32_t TKDRV_NO_BUS_RESET = 13;
inline constexpr std::uint32_t TKDRV_RCODE = 15;
inline constexpr std::uint32_t TKDRV_PENDING = 16;
inline constexpr std::uint32_t TKDRV_INPUT_PARAMETERS = 17;
inline constexpr std::uint32_t TKDRV_WRONG_CHIP = 18;
inline constexpr std::uint32_t TKDRV_HARDWARE = 19;
inline constexpr std::uint32_t TKDRV_NOT_IMPLEMENTED = 20;
inline constexpr std::uint32_t TKDRV_CANCELLED = 21;
inline constexpr std::uint32_t TKDRV_LOCK = 22;
inline constexpr std::uint32_t TKDRV_BUS_RESET = 23;

// ---- event word (TKWaitEvent) ------------------------------------------------

inline constexpr std::uint32_t TK_EVENT_ISO0 = 0x0001;  // contexts 0..3: 0x1 << context
inline constexpr std::uint32_t TK_EVENT_ISO1 = 0x0002;
inline constexpr std::uint32_t TK_EVENT_ISO2 = 0x0004;
inline constexpr std::uint32_t TK_EVENT_ISO3 = 0x0008;
inline constexpr std::uint32_t TK_EVENT_BUS_RESET = 0x0100;
inline constexpr std::uint32_t TK_EVENT_ERRORS = 0x0400;
inline constexpr std::uint32_t TK_EVENT_STOP = 0x1000;
inline constexpr std::uint32_t TK_EVENT_NOTIFICATIONS = 0x2000;  // never reaches callers

// Error event word (TKGetErrors).
inline constexpr std::uint32_t TK_ERROR_ISO0_HALTED = 0x00000001;
inline constexpr std::uint32_t TK_ERROR_ISO1_HALTED = 0x00000002;
inline constexpr std::uint32_t TK_ERROR_ISO2_HALTED = 0x00000004;
inline constexpr std::uint32_t TK_ERROR_ASYNC_TRANSMIT = 0x00020000;
inline constexpr std::uint32_t TK_ERROR_PHY_TIMEOUT = 0x00040000;
inline constexpr std::uint32_t TK_ERROR_UNKNOWN_HEADER = 0x00080000;
inline constexpr std::uint32_t TK_ERROR_UNKNOWN_TCODE = 0x00100000;
inline constexpr std::uint32_t TK_ERROR_AT_STUCK = 0x00200000;
inline constexpr std::uint32_t TK_ERROR_GRF_OVERFLOW = 0x00400000;
inline constexpr std::uint32_t TK_ERROR_ITF_UNDERFLOW = 0x00800000;
inline constexpr std::uint32_t TK_ERROR_ATF_UNDERFLOW = 0x01000000;
inline constexpr std::uint32_t TK_ERROR_PCI = 0x02000000;
inline constexpr std::uint32_t TK_ERROR_ASYNC_RX_RESTARTED = 0x04000000;

// ---- limits ------------------------------------------------------------------

inline constexpr std::uint32_t TK_MAX_CARDS = 10;                 // card numbers 0..9
inline constexpr std::uint32_t TK_MAX_NODES = 32;                 // nodes 0..31
inline constexpr std::uint32_t TK_BROADCAST_NODE = 63;            // all nodes; always speed 0
inline constexpr std::uint32_t TK_ISO_CONTEXTS = 8;               // bookkeeping per card
inline constexpr std::uint32_t TK_DISPATCH_CONTEXTS = 4;          // contexts the bus monitor serves
inline constexpr std::uint32_t TK_NO_SPEED = 0xFF;                // no speed chosen for a node
inline constexpr std::uint32_t TK_DRIVER_VERSION_MAJOR = 0x0207;  // upper 16 bits accepted

// ---- shared records ------------------------------------------------------------

// One camera node of the bus, as the bus monitor found it. Addresses are the
// low 32 bits of node addresses whose high 16 bits are 0xFFFF.
struct NodeRecord {
    std::uint32_t card;
    std::uint32_t node;
    std::uint32_t speed;  // 0 = S100, 1 = S200, 2 = S400
    std::uint32_t unitDirectory;
    std::uint32_t unitDependentDirectory;
    std::uint32_t commandRegisterBase;
    std::uint32_t vendorLeaf;
    std::uint32_t modelLeaf;
    std::uint32_t uniqueIdHigh;  // configuration ROM quadlet at 0xFFFFF000040C
    std::uint32_t uniqueIdLow;   // at 0xFFFFF0000410
    char vendorName[128];        // zero-padded
    char modelName[128];         // zero-padded
    void* view;                  // the camera view using this node; set by the application
    std::uint32_t reserved[2];
};

// One node of the bus information: quadlet 0 is self-ID packet 0 in host order
// (bit 11 set only for the adapter's own node), then its extension packets.
struct TKSelfIdEntry {
    std::uint32_t quadlets[4];
};

// Self-ID packet 0 fields.
constexpr std::uint32_t TKSelfIdNode(std::uint32_t q) {
    return (q >> 24) & 0x3F;
}
constexpr std::uint32_t TKSelfIdSpeed(std::uint32_t q) {
    return (q >> 14) & 3;
}
inline constexpr std::uint32_t TK_SELFID_LINK_ACTIVE = 1u << 22;
inline constexpr std::uint32_t TK_SELFID_LOCAL_NODE = 1u << 11;
inline constexpr std::uint32_t TK_SELFID_MORE_PACKETS = 1u << 0;

// Image geometry given to TKIsoStart; the low 16 bits of each value are used.
struct TKImageInfo {
    std::uint32_t left;
    std::uint32_t top;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t colourCode;
};

// A finished frame as TKIsoInquire reports it; given back unchanged to TKIsoPost.
struct TKFrameInfo {
    std::uint32_t left;
    std::uint32_t top;
    std::uint32_t width;
    std::uint32_t height;
    std::uint16_t colourCode;
    std::uint16_t frameMark;     // non-zero: the driver marked the frame
    std::uint32_t bufferHandle;  // 0 = no finished frame
    std::uint8_t* data;          // the frame's bytes, lent until posted
};

// One entry of the log ring. `time` has the fields of a Win32 SYSTEMTIME.
struct LogEntry {
    tk::LocalTime time;
    std::uint32_t kind;
    std::uint32_t value1;
    std::uintptr_t value2;  // for kind 0: the failed function's name (static lifetime)
    std::uint32_t value3;
    std::uint32_t value4;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(NodeRecord) == 308);
static_assert(offsetof(NodeRecord, uniqueIdHigh) == 32);
static_assert(offsetof(NodeRecord, vendorName) == 40);
static_assert(offsetof(NodeRecord, modelName) == 168);
static_assert(offsetof(NodeRecord, view) == 296);
static_assert(sizeof(TKSelfIdEntry) == 16);
static_assert(sizeof(TKImageInfo) == 20);
static_assert(sizeof(TKFrameInfo) == 28);
static_assert(offsetof(TKFrameInfo, colourCode) == 16);
static_assert(offsetof(TKFrameInfo, frameMark) == 18);
static_assert(offsetof(TKFrameInfo, bufferHandle) == 20);
static_assert(offsetof(TKFrameInfo, data) == 24);
static_assert(sizeof(LogEntry) == 36);
static_assert(offsetof(LogEntry, kind) == 16);
static_assert(offsetof(LogEntry, value2) == 24);
static_assert(offsetof(LogEntry, value4) == 32);
#endif

// ---- module and cards ------------------------------------------------------------

std::uint32_t TKInitModule();
void TKExitModule();
std::uint32_t TKGetCardCount(std::uint32_t* count);
std::uint32_t TKGetCardSystemId(std::uint32_t card, std::uint32_t* systemId);
std::uint32_t TKGetCardType(std::uint32_t card, std::uint32_t* type);
std::uint32_t TKOpenCard(std::uint32_t card);
std::uint32_t TKCloseCard(std::uint32_t card);
std::uint32_t TKOpenBus(std::uint32_t card, std::uint32_t sizing1, std::uint32_t sizing2,
                        std::uint32_t sizing3, std::uint32_t sizing4);
std::uint32_t TKCloseBus(std::uint32_t card);

// ---- quadlet transactions (address high: bits 47..32, 16 bits used) ----------------

std::uint32_t TKWriteQuad(std::uint32_t card, std::uint32_t node, std::uint32_t addressHigh,
                          std::uint32_t addressLow, std::uint32_t value);
std::uint32_t TKReadQuad(std::uint32_t card, std::uint32_t node, std::uint32_t addressHigh,
                         std::uint32_t addressLow, std::uint32_t* value);
std::uint32_t TKSetSpeed(std::uint32_t card, std::uint32_t node, std::uint32_t speed);

// ---- isochronous reception --------------------------------------------------------

// Selections are (enable << 16) | value. `buffers` is in/out (null requests 1);
// `image` may be null.
std::uint32_t TKIsoStart(std::uint32_t card, std::uint32_t dmaChannelSelection,
                         std::uint32_t firstPacketSelection, std::uint32_t packetsPerFrame,
                         std::uint32_t bytesPerPacket, std::uint32_t* buffers,
                         std::uint32_t* context, const TKImageInfo* image);
std::uint32_t TKIsoStop(std::uint32_t card, std::uint32_t context);
std::uint32_t TKIsoInquire(std::uint32_t card, std::uint32_t context, TKFrameInfo* frame);
std::uint32_t TKIsoPost(std::uint32_t card, std::uint32_t context, const TKFrameInfo* frame);
std::uint32_t TKIsoClear(std::uint32_t card, std::uint32_t context);
std::uint32_t TKIsoGetPostedCount(std::uint32_t card, std::uint32_t context, std::uint32_t* count);

// ---- events and bus information --------------------------------------------------

// Wait time in microseconds; 0 = without limit.
std::uint32_t TKWaitEvent(std::uint32_t card, std::uint32_t* events,
                          std::uint32_t waitMicroseconds);
std::uint32_t TKCancelWait(std::uint32_t card);
std::uint32_t TKGetErrors(std::uint32_t card, std::uint32_t* errors);
// `capacity` entries; 1018 when the bus has more nodes (the first ones are filled).
std::uint32_t TKGetBusInfo(std::uint32_t card, std::uint32_t capacity, std::uint32_t* nodeCount,
                           TKSelfIdEntry* entries);
std::uint32_t TKGetLocalNodeId(std::uint32_t card, std::uint32_t* node);

// ---- bus monitor ---------------------------------------------------------------------

// Implemented by a camera view: called on the bus monitor thread, once per
// frame event of the context it is registered for.
class IsoFrameHandler {
public:
    virtual ~IsoFrameHandler() = default;
    virtual void OnIsoEvent() = 0;
};

// The bus monitor of the open card: waits on the driver's event word, rebuilds
// the node list after each bus reset, dispatches frame events, logs error events.
struct WorkThread {
    WorkThread() = default;
    WorkThread(const WorkThread&) = delete;
    WorkThread& operator=(const WorkThread&) = delete;
    ~WorkThread();

    std::thread thread;  // not joinable when not running
    std::atomic<std::uint32_t> running{0};
    std::uint32_t card = 0;
    std::uint32_t nodeCount = 0;             // guarded by nodeListLock
    std::unique_ptr<NodeRecord[]> nodeList;  // guarded by nodeListLock; null when none
    std::mutex nodeListLock;
    std::array<std::atomic<IsoFrameHandler*>, TK_DISPATCH_CONTEXTS> frameHandlers{};
};

// 1 started; 0 when it already runs or the thread cannot be created.
std::uint32_t StartWorkThread(WorkThread* workThread, std::uint32_t card);
// 0 when it was not running; otherwise returns 1 after the thread has ended.
std::uint32_t StopWorkThread(WorkThread* workThread);
void SetIsoHandler(WorkThread* workThread, std::uint32_t context, IsoFrameHandler* handler);
void ClearIsoHandler(WorkThread* workThread, std::uint32_t context);
// Copies up to *count records and lowers *count to the number copied; 0 when
// there is no node list.
std::uint32_t CopyNodeRecords(WorkThread* workThread, std::uint32_t* count,
                              NodeRecord* destination);

// ---- driver service ---------------------------------------------------------------

// `directory` holds tkdrv.sys (no trailing backslash).
std::uint32_t TKInstallDriver(const char* directory);
std::uint32_t TKDeinstallDriver();

// ---- log ring -------------------------------------------------------------------------

inline constexpr std::uint32_t TK_LOG_SLOTS = 64;
inline constexpr std::int32_t TK_LOG_MAX_PENDING_POSTS = 50;

// Log kinds.
inline constexpr std::uint32_t TK_LOG_ERROR = 0;  // value 1 = code, value 2 = function name
inline constexpr std::uint32_t TK_LOG_NO_CARDS = 1;
inline constexpr std::uint32_t TK_LOG_WORKTHREAD_STARTS = 2;
inline constexpr std::uint32_t TK_LOG_WORKTHREAD_STOPS = 3;
inline constexpr std::uint32_t TK_LOG_BUS_RESET = 4;
inline constexpr std::uint32_t TK_LOG_ERROR_EVENTS = 5;  // value 1 = error event word
inline constexpr std::uint32_t TK_LOG_READ_DEVINFO = 6;
inline constexpr std::uint32_t TK_LOG_PARTIAL_FRAMEALLOC = 7;  // allocated, requested
inline constexpr std::uint32_t TK_LOG_DRIVER_INSTALLED = 8;
inline constexpr std::uint32_t TK_LOG_DRIVER_DEINSTALLED = 9;
inline constexpr std::uint32_t TK_LOG_DRIVER_RUNS = 10;

// Value 2 of a log entry: a number, or the address of a text of static
// lifetime (the failed function's name of a kind 0 entry).
struct LogValue {
    template <std::integral T>
    constexpr LogValue(T number) : bits(static_cast<std::uintptr_t>(number)) {}
    LogValue(const void* address) : bits(reinterpret_cast<std::uintptr_t>(address)) {}
    std::uintptr_t bits;
};

// Stores one entry (the kind's low 16 bits) and, when a main window is set and
// fewer than 50 notifications are pending, announces its slot. Any thread.
// Example: AddLogEntry(TK_LOG_ERROR, code, "TKReadQuad").
void AddLogEntry(std::uint32_t kind, std::uint32_t value1, LogValue value2 = 0,
                 std::uint32_t value3 = 0, std::uint32_t value4 = 0);

// The ring's slots (read without the lock, as the main window does), the slot
// the next entry goes to, and the number of entries ever written.
const LogEntry* LogRingSlots();
std::uint32_t LogRingWriteIndex();
std::uint32_t LogRingCount();

// The text of a code, "Unknown" for codes without one (0, 1013, 1014, 1019...).
const char* TKErrorText(std::uint32_t code);
// The kind's text formatted with the entry's values.
std::string LogEntryText(const LogEntry& entry);
// "%02d.%02d. %02d:%02d:%02d %s": day, month, hour, minute, second, kind text.
std::string LogLineText(const LogEntry& entry);
// "Execution of <name> gave an error! The errorcode (code) means: ..." (200 chars at most).
std::string ErrorExplanation(std::uint32_t code, const char* functionName);
// "One or more ErrorEvents occured. In detail:" and one line per set bit (512 at most).
std::string ErrorEventExplanation(std::uint32_t errorEvents);

// The "&Info" text of a log line and the title of its message ("" for none).
struct LogExplanation {
    std::string text;
    std::string title;
};
LogExplanation ExplainLogEntry(const LogEntry& entry);
