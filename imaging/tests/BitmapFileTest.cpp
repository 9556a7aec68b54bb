#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "imaging/BitmapFile.h"
#include "imaging/DisplayBitmap.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string TempDir() {
#if defined(_WIN32)
    const char* dir = std::getenv("TEMP");
    return dir != nullptr ? std::string(dir) + "\\" : std::string(".\\");
#else
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/";
#endif
}

// A file name unique to this test, removed afterwards.
class TempFile {
public:
    explicit TempFile(const std::string& stem) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        name_ = TempDir() + "oriscope-" + test->name() + "-" + stem + ".bmp";
        std::remove(name_.c_str());
    }
    ~TempFile() { std::remove(name_.c_str()); }
    const char* c_str() const { return name_.c_str(); }

private:
    std::string name_;
};

bool Exists(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return in.good();
}

Bytes ReadFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Append16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Append32(Bytes& b, std::uint32_t v) {
    Append16(b, v & 0xFFFF);
    Append16(b, v >> 16);
}

// The file as its layout describes it, field by field.
Bytes ExpectedFile(const Bytes& pixels, std::uint32_t w, std::uint32_t h, std::uint32_t bpp) {
    const std::uint32_t row = w * bpp;
    const std::uint32_t padded = (row + 3) / 4 * 4;
    const std::uint32_t offBits = bpp == 1 ? 1078 : 54;
    Bytes f;
    Append16(f, 0x4D42);
    Append32(f, offBits + padded * h);
    Append16(f, 0);
    Append16(f, 0);
    Append32(f, offBits);
    Append32(f, 40);
    Append32(f, w);
    Append32(f, h);
    Append16(f, 1);
    Append16(f, bpp * 8);
    Append32(f, 0);
    Append32(f, padded * h);
    Append32(f, 0);
    Append32(f, 0);
    Append32(f, bpp == 1 ? 256 : 0);
    Append32(f, bpp == 1 ? 256 : 0);
    if (bpp == 1) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            Append32(f, i * 0x010101);
        }
    }
    for (std::uint32_t y = h; y-- > 0;) {
        f.insert(f.end(), pixels.begin() + y * row, pixels.begin() + (y + 1) * row);
        f.insert(f.end(), padded - row, 0);
    }
    return f;
}

Bytes Pattern(std::size_t size, std::uint32_t seed) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) {
        b[i] = static_cast<std::uint8_t>((i * 2654435761u + seed) >> 13);
    }
    return b;
}

TEST(BitmapFileTest, FilesMatchTheLayoutByteForByte) {
    struct Case {
        std::uint32_t w, h, bpp;
        std::size_t fileSize;
    };
    const Case cases[] = {
        {640, 480, 1, 1078 + 640 * 480},
        {640, 480, 3, 54 + 640 * 3 * 480},
        {642, 2, 3, 54 + 2 * 1928},
        {3, 5, 1, 1078 + 4 * 5},
        {1, 1, 3, 54 + 4},
        {5, 3, 3, 54 + 16 * 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << "x" << c.bpp);
        const Bytes pixels = Pattern(std::size_t{c.w} * c.h * c.bpp, c.w + c.bpp);
        const TempFile file("image");
        ASSERT_TRUE(WriteBitmapFile(file.c_str(), pixels.data(), c.w, c.h, c.bpp));
        const Bytes got = ReadFile(file.c_str());
        EXPECT_EQ(c.fileSize, got.size());
        EXPECT_EQ(ExpectedFile(pixels, c.w, c.h, c.bpp), got);
    }
}

TEST(BitmapFileTest, FirstRowInTheFileIsTheBottomRow) {
    Bytes pixels(640 * 480);
    for (std::size_t y = 0; y < 480; ++y) {
        std::fill(pixels.begin() + y * 640, pixels.begin() + (y + 1) * 640,
                  static_cast<std::uint8_t>(y));
    }
    const TempFile file("grey");
    ASSERT_TRUE(WriteBitmapFile(file.c_str(), pixels.data(), 640, 480, 1));
    const Bytes got = ReadFile(file.c_str());
    ASSERT_EQ(308278u, got.size());
    EXPECT_EQ(479 % 256, got[1078]);
    EXPECT_EQ(0, got.back());
}

TEST(BitmapFileTest, SavesADisplayBitmapAndReplacesAnExistingFile) {
    const TempFile file("replace");
    {
        std::ofstream old(file.c_str(), std::ios::binary);
        old << std::string(5000, 'x');
    }
    const DisplayBitmap bitmap(7, 300, 3);
    ASSERT_TRUE(WriteBitmapFile(file.c_str(), bitmap));
    const Bytes pixels(bitmap.pixels(), bitmap.pixels() + bitmap.sizeInBytes());
    EXPECT_EQ(ExpectedFile(pixels, 7, 300, 3), ReadFile(file.c_str()));
}

TEST(BitmapFileTest, ImagesThatCannotBeWrittenGiveFalseAndNoFile) {
    const TempFile file("nothing");
    const Bytes pixels(16, 1);
    EXPECT_FALSE(WriteBitmapFile(file.c_str(), nullptr, 2, 2, 3));
    EXPECT_FALSE(WriteBitmapFile(file.c_str(), pixels.data(), 0, 2, 3));
    EXPECT_FALSE(WriteBitmapFile(file.c_str(), pixels.data(), 2, 0, 1));
    EXPECT_FALSE(WriteBitmapFile(file.c_str(), pixels.data(), 2, 2, 2));
    EXPECT_FALSE(WriteBitmapFile(file.c_str(), DisplayBitmap(0, 0, 3)));
    EXPECT_FALSE(WriteBitmapFile("", pixels.data(), 2, 2, 1));
    EXPECT_FALSE(Exists(file.c_str()));
}

TEST(BitmapFileTest, MissingDirectoryGivesFalseAndNoFile) {
    const std::string name = TempDir() + "oriscope-no-such-dir/sub/image.bmp";
    const Bytes pixels(4 * 4 * 3, 9);
    EXPECT_FALSE(WriteBitmapFile(name.c_str(), pixels.data(), 4, 4, 3));
    EXPECT_FALSE(Exists(name.c_str()));
}

// An OutputFile that takes `capacity` bytes and then fails, as a full disk does.
class FillingFile final : public imaging::OutputFile {
public:
    explicit FillingFile(std::size_t capacity) : capacity_(capacity) {}
    bool Write(const std::uint8_t* data, std::size_t size) override {
        ++writes;
        const std::size_t taken = std::min(size, capacity_ - bytes.size());
        bytes.insert(bytes.end(), data, data + taken);
        return taken == size;
    }
    bool Close() override { return true; }
    void CloseAndRemove() override {}

    std::vector<std::uint8_t> bytes;
    int writes = 0;

private:
    std::size_t capacity_;
};

TEST(BitmapFileTest, WriterStopsAtTheFirstFailedWrite) {
    const Bytes pixels = Pattern(1000 * 700 * 3, 3);
    const Bytes expected = ExpectedFile(pixels, 1000, 700, 3);
    for (const std::size_t capacity : {std::size_t{0}, std::size_t{53}, std::size_t{54},
                                       std::size_t{300000}, expected.size() - 1}) {
        FillingFile file(capacity);
        EXPECT_FALSE(imaging::WriteBitmap(file, pixels.data(), 1000, 700, 3))
            << "capacity " << capacity;
        const int writesAtFailure = file.writes;
        EXPECT_EQ(Bytes(expected.begin(), expected.begin() + capacity), file.bytes);
        EXPECT_GE(writesAtFailure, 1);
    }
    // Enough room: the whole file, in few writes.
    FillingFile file(expected.size());
    EXPECT_TRUE(imaging::WriteBitmap(file, pixels.data(), 1000, 700, 3));
    EXPECT_EQ(expected, file.bytes);
    EXPECT_LT(file.writes, 20);
}

#if defined(_WIN32)
// Under Wine the host's full device is reachable through drive Z:.
TEST(BitmapFileTest, FullDeviceGivesFalseAndLeavesTheDeviceAlone) {
    const char* device = "Z:\\dev\\full";
    auto deviceIsThere = [device] {
        const HANDLE h = CreateFileA(device, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool there = h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_CHAR;
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
        return there;
    };
    if (!deviceIsThere()) {
        GTEST_SKIP() << "no full device here";
    }
    const Bytes pixels(640 * 480 * 3, 7);
    EXPECT_FALSE(WriteBitmapFile(device, pixels.data(), 640, 480, 3));
    EXPECT_TRUE(deviceIsThere());
}
#else
TEST(BitmapFileTest, FullDeviceGivesFalseAndLeavesTheDeviceAlone) {
    const Bytes pixels(640 * 480 * 3, 7);
    EXPECT_FALSE(WriteBitmapFile("/dev/full", pixels.data(), 640, 480, 3));
    struct stat info {};
    ASSERT_EQ(0, stat("/dev/full", &info));
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

// A file size limit makes the disk full for this process only: the writes
// fail part way into a real file, which must then be gone.
TEST(BitmapFileTest, FileCutShortByAFullDiskIsRemoved) {
    const TempFile file("full");
    const Bytes pixels(640 * 480 * 3, 7);
    rlimit old{};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100000;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
    const bool written = WriteBitmapFile(file.c_str(), pixels.data(), 640, 480, 3);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(Exists(file.c_str()));
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    pclose(pipe);
    return output;
}

// ImageMagick reads both kinds back with the right size, depth and pixels.
TEST(BitmapFileTest, AnIndependentReaderAgrees) {
    if (RunCommand("command -v identify").empty()) {
        GTEST_SKIP() << "ImageMagick's identify is not installed (scripts/bootstrap installs it)";
    }
    // Top-left pixel distinct from the bottom-left one, so a flipped image shows.
    Bytes grey(641 * 3, 10);
    grey[0] = 200;
    const TempFile greyFile("grey");
    ASSERT_TRUE(WriteBitmapFile(greyFile.c_str(), grey.data(), 641, 3, 1));
    // BMP3: the 40-byte header; PseudoClass Gray: the grey palette (ImageMagick
    // ends the class with a space).
    EXPECT_EQ("BMP3 641x3 8 200 PseudoClass Gray \n",
              RunCommand(std::string("identify -format "
                                     "'%m %wx%h %z %[fx:int(255*p{0,0}.r)] %r\\n' ") +
                         greyFile.c_str()));

    Bytes colour(5 * 2 * 3, 0);
    colour[0] = 30;  // blue of (0, 0)
    colour[1] = 20;  // green
    colour[2] = 10;  // red
    const TempFile colourFile("colour");
    ASSERT_TRUE(WriteBitmapFile(colourFile.c_str(), colour.data(), 5, 2, 3));
    EXPECT_EQ("BMP3 5x2 8 srgb(10,20,30) DirectClass sRGB \n",
              RunCommand(std::string("identify -format '%m %wx%h %z %[pixel:p{0,0}] %r\\n' ") +
                         colourFile.c_str()));
}
#endif

}  // namespace
