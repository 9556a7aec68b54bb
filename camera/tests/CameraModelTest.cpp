// The camera object without the bus: construction defaults, image sizes,
// camera identity and settings comparison.
#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <string>

#include "camera/IidcCamera.h"

namespace {

TEST(IidcCameraConstruction, DescribesFormat2Mode2At7Point5FramesPerSecond) {
    const IidcCamera camera;
    const VideoSettings& s = camera.settings;
    EXPECT_EQ(0, s.card);
    EXPECT_EQ(0, s.node);
    EXPECT_EQ(2, s.speed);
    EXPECT_EQ(0xFF, s.formatInquiry);
    EXPECT_EQ(2, s.format);
    EXPECT_EQ(2, s.mode);
    EXPECT_EQ(2, s.frameRate);
    EXPECT_EQ(0, s.colourCode);
    for (int f = 0; f < 8; ++f) {
        EXPECT_EQ(0xFF, s.modeInquiry[f]) << "format " << f;
        for (int m = 0; m < 8; ++m) {
            EXPECT_EQ(0x78, s.rateInquiry[f][m]) << "format " << f << " mode " << m;
        }
        EXPECT_EQ(0u, s.format7CsrOffset[f]);
        EXPECT_EQ(0u, s.format7MaxSize[f]);
        EXPECT_EQ(0u, s.format7UnitSize[f]);
        EXPECT_EQ(0u, s.format7UnitPosition[f]);
        EXPECT_EQ(0, s.format7ColourInquiry[f]);
    }
    EXPECT_EQ(0u, s.left);
    EXPECT_EQ(0u, s.top);
    EXPECT_EQ(1280u, s.width);
    EXPECT_EQ(960u, s.height);
    EXPECT_EQ(960u, s.packetsPerFrame);
    EXPECT_EQ(1280u, s.bytesPerPacket);
    EXPECT_EQ(10u, s.frameBuffers);
    EXPECT_EQ(0u, s.frameBuffersGranted);
    EXPECT_EQ(0x3F, s.dmaChannelEnable);
    EXPECT_EQ(0, s.dmaChannelValue);
    EXPECT_EQ(0x0000FFFFu, s.channelMask);
    EXPECT_EQ(0, s.isoChannel);
    EXPECT_EQ(15, s.firstPacketEnable);
    EXPECT_EQ(1, s.firstPacketValue);
    EXPECT_EQ(0, s.triggerMode);
    EXPECT_EQ(0u, s.invertY16);
    EXPECT_EQ(0u, s.rawY16);
    EXPECT_EQ(0, s.bayerPattern);
}

TEST(IidcCameraConstruction, NodeInfoIsAnonymousVendorAndModel) {
    const IidcCamera camera;
    EXPECT_STREQ("Vendor", camera.nodeInfo.vendorName);
    EXPECT_STREQ("Model", camera.nodeInfo.modelName);
    EXPECT_EQ(0u, camera.nodeInfo.node);
    EXPECT_EQ(0u, camera.nodeInfo.commandRegisterBase);
    EXPECT_EQ(0u, camera.nodeInfo.uniqueIdHigh);
    EXPECT_EQ(0u, camera.nodeInfo.uniqueIdLow);
}

struct ImageSizeCase {
    std::uint32_t width;
    std::uint32_t height;
    std::uint8_t colourCode;
    std::uint32_t bytes;
};

void PrintTo(const ImageSizeCase& c, std::ostream* out) {
    *out << c.width << "x" << c.height << " code " << int{c.colourCode};
}

class ImageSizeTest : public ::testing::TestWithParam<ImageSizeCase> {};

TEST_P(ImageSizeTest, FollowsTheColourCoding) {
    const ImageSizeCase& c = GetParam();
    IidcCamera camera;
    camera.settings.width = c.width;
    camera.settings.height = c.height;
    camera.settings.colourCode = c.colourCode;
    EXPECT_EQ(c.bytes, camera.ImageSize());
}

INSTANTIATE_TEST_SUITE_P(
    ColourCodings, ImageSizeTest,
    ::testing::Values(ImageSizeCase{640, 480, 0, 307200},            // Y-8
                      ImageSizeCase{640, 480, 1, 460800},            // YUV-411
                      ImageSizeCase{3, 1, 1, 4},                     // YUV-411 truncates 4.5
                      ImageSizeCase{640, 480, 2, 614400},            // YUV-422
                      ImageSizeCase{640, 480, 3, 921600},            // YUV-444
                      ImageSizeCase{640, 480, 4, 921600},            // RGB-8
                      ImageSizeCase{640, 480, 5, 614400},            // Y-16
                      ImageSizeCase{1600, 1200, 6, 11520000},        // RGB-16
                      ImageSizeCase{640, 480, 7, 307200},            // unknown: one byte
                      ImageSizeCase{640, 480, 200, 307200},          // unknown: one byte
                      ImageSizeCase{0, 480, 6, 0},                   // empty
                      ImageSizeCase{65535, 65535, 6, 0xFFFFFFFFu}),  // too large to count
    [](const ::testing::TestParamInfo<ImageSizeCase>& testInfo) {
        const ImageSizeCase& c = testInfo.param;
        return "Code" + std::to_string(c.colourCode) + "_" + std::to_string(c.width) + "x" +
               std::to_string(c.height);
    });

NodeRecord Node(std::uint32_t idHigh, std::uint32_t idLow, const char* vendor, const char* model) {
    NodeRecord record{};
    record.uniqueIdHigh = idHigh;
    record.uniqueIdLow = idLow;
    std::strncpy(record.vendorName, vendor, sizeof record.vendorName - 1);
    std::strncpy(record.modelName, model, sizeof record.modelName - 1);
    return record;
}

TEST(IsSameCamera, ComparesUniqueIdVendorAndModelButNotPlaceOnTheBus) {
    IidcCamera camera;
    camera.nodeInfo = Node(0x00A0B0C0, 0x11223344, "Acme", "Cam-1");
    camera.nodeInfo.card = 0;
    camera.nodeInfo.node = 2;

    NodeRecord moved = Node(0x00A0B0C0, 0x11223344, "Acme", "Cam-1");
    moved.card = 1;
    moved.node = 5;
    EXPECT_TRUE(camera.IsSameCamera(moved));

    EXPECT_FALSE(camera.IsSameCamera(Node(0x00A0B0C0, 0x11223344, "Acme", "Cam-2")))
        << "only the model text differs";
    EXPECT_FALSE(camera.IsSameCamera(Node(0x00A0B0C0, 0x11223344, "Acme", "cam-1")))
        << "names are case-sensitive";
    EXPECT_FALSE(camera.IsSameCamera(Node(0x00A0B0C0, 0x11223344, "Acme Inc", "Cam-1")));
    EXPECT_FALSE(camera.IsSameCamera(Node(0x00A0B0C1, 0x11223344, "Acme", "Cam-1")));
    EXPECT_FALSE(camera.IsSameCamera(Node(0x00A0B0C0, 0x11223345, "Acme", "Cam-1")));
}

TEST(IsSameCamera, NamesFillingTheWholeFieldStayWithinIt) {
    IidcCamera camera;
    std::memset(camera.nodeInfo.vendorName, 'V', sizeof camera.nodeInfo.vendorName);
    std::memset(camera.nodeInfo.modelName, 'M', sizeof camera.nodeInfo.modelName);
    NodeRecord record = camera.nodeInfo;
    EXPECT_TRUE(camera.IsSameCamera(record));
    record.modelName[127] = 'X';
    EXPECT_FALSE(camera.IsSameCamera(record));
}

TEST(SettingsEqual, DetectsAChangeInAnyField) {
    IidcCamera camera;
    VideoSettings copy = camera.settings;
    EXPECT_TRUE(camera.SettingsEqual(copy));
    copy.rateInquiry[7][7] ^= 1;
    EXPECT_FALSE(camera.SettingsEqual(copy));
    copy = camera.settings;
    copy.bayerPattern = 3;
    EXPECT_FALSE(camera.SettingsEqual(copy));
    copy = camera.settings;
    copy.format7UnitPosition[4] = 0x00080002;
    EXPECT_FALSE(camera.SettingsEqual(copy));
}

}  // namespace
