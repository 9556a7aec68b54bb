// Format7Request: a Format 7 region, colour coding and payload to program,
// given to IidcCamera::SetupFormat7, which rounds it and fills in the packet
// figures the camera reports.
#pragma once

#include <cstddef>
#include <cstdint>

#include "camera/VideoSettings.h"

struct Format7Request {
    std::uint8_t mode;               // in: Format 7 mode 0..7
    std::uint32_t left;              // in/out: rounded down to the position unit
    std::uint32_t top;               // in/out: rounded down to the position unit
    std::uint32_t width;             // in/out: rounded up to the size unit
    std::uint32_t height;            // in/out: rounded up to the size unit
    std::uint8_t colourCode;         // in
    std::uint8_t speed;              // in: the callers' new speed; SetupFormat7 does not use it
    std::uint32_t bytesPerPacket;    // in/out: 0 lets SetupFormat7 choose
    std::uint32_t packetsPerFrame;   // out
    std::uint32_t packetParameters;  // out: PACKET_PARA_INQ (unit << 16 | maximum)
};

static_assert(offsetof(Format7Request, left) == 4);
static_assert(offsetof(Format7Request, colourCode) == 20);
static_assert(offsetof(Format7Request, speed) == 21);
static_assert(offsetof(Format7Request, bytesPerPacket) == 24);
static_assert(offsetof(Format7Request, packetParameters) == 32);
static_assert(sizeof(Format7Request) == 36);

// The region, colour coding, speed and payload of the settings as a request.
inline Format7Request Format7RequestFor(const VideoSettings& settings) {
    Format7Request request{};
    request.mode = settings.mode;
    request.left = settings.left;
    request.top = settings.top;
    request.width = settings.width;
    request.height = settings.height;
    request.colourCode = settings.colourCode;
    request.speed = settings.speed;
    request.bytesPerPacket = settings.bytesPerPacket;
    return request;
}
