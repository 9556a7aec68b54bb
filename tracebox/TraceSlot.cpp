#include "tracebox/TraceSlot.h"

#include <cstdio>
#include <cstring>

namespace tbx {

namespace {

bool IsReadable(DWORD protect) {
    if ((protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) {
        return false;
    }
    return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                       PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

}  // namespace

DWORD TraceSlot::Open(int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "TRACER%d", slot);
    HANDLE newMapping = OpenFileMappingA(FILE_MAP_READ, TRUE, name);
    if (newMapping == nullptr) {
        return GetLastError();
    }
    void* newView = MapViewOfFile(newMapping, FILE_MAP_READ, 0, 0, 0);
    if (newView == nullptr) {
        DWORD error = GetLastError();
        CloseHandle(newMapping);
        return error;
    }
    Close();
    mapping = newMapping;
    view = static_cast<const char*>(newView);
    return 0;
}

bool TraceSlot::Close() {
    if (mapping == nullptr) {
        return false;
    }
    if (view != nullptr) {
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    mapping = nullptr;
    view = nullptr;
    return true;
}

std::string TraceSlot::ReadText() const {
    return ReadBoundedText(view);
}

std::string ReadBoundedText(const char* view) {
    if (view == nullptr) {
        return {};
    }
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(view, &region, sizeof region) != sizeof region || region.State != MEM_COMMIT ||
        !IsReadable(region.Protect)) {
        return {};
    }
    // The region runs from its base over pages that all share the view's
    // state and protection, so every byte in it can be read.
    size_t limit = region.RegionSize -
                   static_cast<size_t>(view - static_cast<const char*>(region.BaseAddress));
    const void* end = std::memchr(view, 0, limit);
    size_t length =
        end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - view) : limit;
    return std::string(view, length);
}

}  // namespace tbx
