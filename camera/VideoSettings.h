// VideoSettings: everything the program knows and chooses about one camera's
// video output: identity bytes, inquiry results, the current format, mode and
// rate, and the acquisition parameters given to the driver. A plain record,
// copied and compared as a whole (the settings dialog edits a copy).
#pragma once

#include <cstddef>
#include <cstdint>

struct VideoSettings {
    std::uint8_t card;
    std::uint8_t node;
    std::uint8_t speed;          // 0 "100", 1 "200", 2 "400" Mbit/s
    std::uint8_t formatInquiry;  // bit 7 = Format 0 .. bit 0 = Format 7
    std::uint8_t format;
    std::uint8_t modeInquiry[8];  // per format, bit 7 = mode 0
    std::uint8_t mode;
    std::uint8_t rateInquiry[8][8];  // per format and mode, bit 7 = rate 0
    std::uint8_t frameRate;
    std::uint8_t colourCode;
    // Per Format 7 mode.
    std::uint32_t format7CsrOffset[8];     // block offset from 0xFFFF F000 0000
    std::uint32_t format7MaxSize[8];       // width << 16 | height
    std::uint32_t format7UnitSize[8];      // width unit << 16 | height unit
    std::uint32_t format7UnitPosition[8];  // horizontal << 16 | vertical
    std::uint8_t format7ColourInquiry[8];  // bit 7 = colour code 0
    std::uint32_t left;
    std::uint32_t top;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t packetsPerFrame;
    std::uint32_t bytesPerPacket;
    std::uint32_t frameBuffers;
    std::uint32_t frameBuffersGranted;
    std::uint8_t dmaChannelEnable;
    std::uint8_t dmaChannelValue;
    std::uint32_t channelMask;  // bit i: ISO channel i is offered
    std::uint8_t isoChannel;
    std::uint16_t firstPacketEnable;
    std::uint16_t firstPacketValue;
    std::uint8_t triggerMode;  // 0 "int.", 1 "ext."
    std::uint32_t invertY16;
    std::uint32_t rawY16;
    std::uint8_t bayerPattern;

    // Field by field, so that padding never makes two equal settings differ.
    friend bool operator==(const VideoSettings&, const VideoSettings&) = default;
};

// The record's layout is part of the interface (the same in every build).
static_assert(offsetof(VideoSettings, formatInquiry) == 3);
static_assert(offsetof(VideoSettings, modeInquiry) == 5);
static_assert(offsetof(VideoSettings, mode) == 13);
static_assert(offsetof(VideoSettings, rateInquiry) == 14);
static_assert(offsetof(VideoSettings, frameRate) == 78);
static_assert(offsetof(VideoSettings, colourCode) == 79);
static_assert(offsetof(VideoSettings, format7CsrOffset) == 80);
static_assert(offsetof(VideoSettings, format7MaxSize) == 112);
static_assert(offsetof(VideoSettings, format7UnitSize) == 144);
static_assert(offsetof(VideoSettings, format7UnitPosition) == 176);
static_assert(offsetof(VideoSettings, format7ColourInquiry) == 208);
static_assert(offsetof(VideoSettings, left) == 216);
static_assert(offsetof(VideoSettings, packetsPerFrame) == 232);
static_assert(offsetof(VideoSettings, frameBuffersGranted) == 244);
static_assert(offsetof(VideoSettings, dmaChannelEnable) == 248);
static_assert(offsetof(VideoSettings, channelMask) == 252);
static_assert(offsetof(VideoSettings, isoChannel) == 256);
static_assert(offsetof(VideoSettings, firstPacketEnable) == 258);
static_assert(offsetof(VideoSettings, triggerMode) == 262);
static_assert(offsetof(VideoSettings, invertY16) == 264);
static_assert(offsetof(VideoSettings, bayerPattern) == 272);
static_assert(sizeof(VideoSettings) == 276);
