#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <string>

#include "OutputFile.h"

namespace imaging {
namespace {

class PosixOutputFile final : public OutputFile {
public:
    PosixOutputFile(int fd, std::string name, bool regular)
        : fd_(fd), name_(std::move(name)), regular_(regular) {}
    ~PosixOutputFile() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    bool Write(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t written = ::write(fd_, data, size);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool Close() override {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

    void CloseAndRemove() override {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        if (regular_) {
            ::unlink(name_.c_str());
        }
    }

private:
    int fd_;
    std::string name_;
    bool regular_;
};

}  // namespace

std::unique_ptr<OutputFile> CreateOutputFile(const char* name) {
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    return std::make_unique<PosixOutputFile>(fd, name, regular);
}

}  // namespace imaging
