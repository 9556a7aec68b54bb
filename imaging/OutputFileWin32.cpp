#include <windows.h>

#include <string>

#include "OutputFile.h"

namespace imaging {
namespace {

class Win32OutputFile final : public OutputFile {
public:
    Win32OutputFile(HANDLE file, std::string name, bool onDisk)
        : file_(file), name_(std::move(name)), onDisk_(onDisk) {}
    ~Win32OutputFile() override {
        if (file_ != INVALID_HANDLE_VALUE) {
            CloseHandle(file_);
        }
    }

    bool Write(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(file_, data, chunk, &written, nullptr) || written == 0) {
                return false;
            }
            data += written;
            size -= written;
        }
        return true;
    }

    bool Close() override {
        const HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        return CloseHandle(file) != 0;
    }

    void CloseAndRemove() override {
        if (file_ != INVALID_HANDLE_VALUE) {
            CloseHandle(file_);
            file_ = INVALID_HANDLE_VALUE;
        }
        if (onDisk_) {
            DeleteFileA(name_.c_str());
        }
    }

private:
    HANDLE file_;
    std::string name_;
    bool onDisk_;
};

}  // namespace

std::unique_ptr<OutputFile> CreateOutputFile(const char* name) {
    // CreateFileA rather than OpenFile: the same file, without OpenFile's
    // 128-character limit on the path.
    const HANDLE file =
        CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const bool onDisk = GetFileType(file) == FILE_TYPE_DISK;
    return std::make_unique<Win32OutputFile>(file, name, onDisk);
}

}  // namespace imaging
