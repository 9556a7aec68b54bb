// The texts of result codes, log kinds and error events, and the log line
// and explanation texts built from them.
#include <cstdint>
#include <cstdio>
#include <string>

#include "buslib/TK.h"

namespace {

struct CodeText {
    std::uint32_t code;
    const char* text;
};

constexpr CodeText kCodeTexts[] = {
    {1, "DRV - Requested card could not be found"},
    {2, "DRV - No NT-Device was created"},
    {3, "DRV - Not enough memory"},
    {4, "DRV - Function not possible in the actual mode"},
    {5, "DRV - A timeout occured while waiting on functionresult"},
    {6, "DRV - The device cannot be started twice"},
    {7, "DRV - The device was not started"},
    {8, "DRV - The device is busy at present"},
    {9, "DRV - Not enough resources for this request"},
    {10, "DRV - Requested data not available"},
    {11, "DRV - Didn't receive an acknowledge"},
    {12, "DRV - Could not install interrupt"},
    {13, "DRV - No busreset after Lynxstart"},
    {15, "DRV - RCODE other then RCODE_COMPLETE"},
    {16, "DRV - Request is still pending"},
    {17, "DRV - Error in input parameters"},
    {18, "DRV - Wrong chipversion"},
    {19, "DRV - Hardware error"},
    {20, "DRV - Request is not implemented"},
    {21, "DRV - Request was cancelled"},
    {22, "DRV - Lock error"},
    {23, "DRV - Busreset while read/write access"},
    {1001, "TKE - Tried to open but device was already opened"},
    {1002, "TKE - Device was not opened"},
    {1003, "TKE - No details available, internal"},
    {1004, "TKE - Driver <TKDRV.SYS> is not installed"},
    {1005, "TKE - Missing buffers"},
    {1006, "TKE - Input parameters out of range"},
    {1007, "TKE - Could not open device to talk to <TKDRV.SYS>"},
    {1008, "TKE - Unexpected error calling a windows function"},
    {1009, "TKE - Error calling DeviceIoControl"},
    {1010, "TKE - Driver returned wrong length of result"},
    {1011, "TKE - Handle returned is invalid"},
    {1012, "TKE - Requested function is not implemented"},
    {1015, "TKE - Driver didn't install correctly"},
    {1016, "TKE - Driver has wrong version"},
    {1017, "TKE - Node addressed not present"},
    {1018, "TKE - Information not completely copied"},
};

struct ErrorEventLine {
    std::uint32_t mask;
    const char* line;
};

// In the order the explanation lists them.
constexpr ErrorEventLine kErrorEventLines[] = {
    {TK_ERROR_ASYNC_TRANSMIT, "- Asynchronous transmit\r\r\n"},
    {TK_ERROR_ASYNC_RX_RESTARTED, "- Asynchronous rx restarted\r\r\n"},
    {TK_ERROR_PHY_TIMEOUT, "- Phytimeout\r\r\n"},
    {TK_ERROR_UNKNOWN_HEADER, "- Unknown Header\r\r\n"},
    {TK_ERROR_UNKNOWN_TCODE, "- Unknown TCode\r\r\n"},
    {TK_ERROR_AT_STUCK, "- ATStuck\r\r\n"},
    {TK_ERROR_GRF_OVERFLOW, "- GRF Overflow\r\r\n"},
    {TK_ERROR_ITF_UNDERFLOW, "- ITF Underflow\r\r\n"},
    {TK_ERROR_ATF_UNDERFLOW, "- ATF Underflow\r\r\n"},
    {TK_ERROR_PCI, "- PCIError\r\r\n"},
    {TK_ERROR_ISO0_HALTED, "- ISO0 halted\r\r\n"},
    {TK_ERROR_ISO1_HALTED, "- ISO1 halted\r\r\n"},
    {TK_ERROR_ISO2_HALTED, "- ISO2 halted\r\r\n"},
};

constexpr const char kInfoTitle[] = "Additional LogInfo";

int AsInt(std::uint32_t value) {
    return static_cast<int>(value);
}

}  // namespace

const char* TKErrorText(std::uint32_t code) {
    for (const CodeText& entry : kCodeTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return "Unknown";
}

std::string LogEntryText(const LogEntry& entry) {
    char text[64];
    switch (entry.kind) {
        case TK_LOG_ERROR:
            std::snprintf(text, sizeof text, "Error (%d).", AsInt(entry.value1));
            return text;
        case TK_LOG_NO_CARDS:
            return "No cards available.";
        case TK_LOG_WORKTHREAD_STARTS:
            return "WorkThread starts.";
        case TK_LOG_WORKTHREAD_STOPS:
            return "WorkThread stops.";
        case TK_LOG_BUS_RESET:
            return "BusReset occured.";
        case TK_LOG_ERROR_EVENTS:
            std::snprintf(text, sizeof text, "ErrorEvents (%08X).", entry.value1);
            return text;
        case TK_LOG_READ_DEVINFO:
            std::snprintf(text, sizeof text, "Read DevInfo from %d", AsInt(entry.value1));
            return text;
        case TK_LOG_PARTIAL_FRAMEALLOC:
            std::snprintf(text, sizeof text, "Partial Framealloc (%d/%d)", AsInt(entry.value1),
                          static_cast<int>(entry.value2));
            return text;
        case TK_LOG_DRIVER_INSTALLED:
            return "Driver installed.";
        case TK_LOG_DRIVER_DEINSTALLED:
            return "Driver deinstalled.";
        case TK_LOG_DRIVER_RUNS:
            return "Driver runs already.";
        default:
            return "Unknown";
    }
}

std::string LogLineText(const LogEntry& entry) {
    const std::string text = LogEntryText(entry);
    char line[128];
    std::snprintf(line, sizeof line, "%02d.%02d. %02d:%02d:%02d %s", entry.time.day,
                  entry.time.month, entry.time.hour, entry.time.minute, entry.time.second,
                  text.c_str());
    return line;
}

std::string ErrorExplanation(std::uint32_t code, const char* functionName) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "Execution of <%s> gave an error! The errorcode (%d) means:\r\r\n\r\r\n%s.",
                  functionName ? functionName : "", AsInt(code), TKErrorText(code));
    return text;
}

std::string ErrorEventExplanation(std::uint32_t errorEvents) {
    std::string text = "One or more ErrorEvents occured. In detail:\r\r\n";
    for (const ErrorEventLine& line : kErrorEventLines) {
        if ((errorEvents & line.mask) != 0) {
            text += line.line;
        }
    }
    return text.substr(0, 511);
}

LogExplanation ExplainLogEntry(const LogEntry& entry) {
    switch (entry.kind) {
        case TK_LOG_ERROR:
            return {ErrorExplanation(entry.value1, reinterpret_cast<const char*>(entry.value2)),
                    kInfoTitle};
        case TK_LOG_ERROR_EVENTS:
            return {ErrorEventExplanation(entry.value1), ""};
        default:
            return {"No details.", kInfoTitle};
    }
}
