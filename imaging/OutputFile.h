// OutputFile: the file seam of the bitmap writer. The platform files create
// the real thing; tests can put a failing one in its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace imaging {

class OutputFile {
public:
    virtual ~OutputFile() = default;
    // All `size` bytes or false.
    virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
    // Closes the file; false when not everything reached it.
    virtual bool Close() = 0;
    // Closes the file if still open and removes it, when it is an ordinary file
    // this object created (a device it was pointed at stays).
    virtual void CloseAndRemove() = 0;
};

// Creates the file, replacing one of that name; nullptr when that fails.
std::unique_ptr<OutputFile> CreateOutputFile(const char* name);

}  // namespace imaging
