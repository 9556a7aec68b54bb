// ConversionKernels: the inner loops of the frame conversions, one set per
// instruction set. The public routines (FrameConversion.h) pick the best set
// the processor has; tests run every set that can run here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging {

struct KernelSet {
    const char* name;
    // groups: 4-pixel groups of 6 bytes.
    void (*yuv411)(const std::uint8_t* source, std::uint8_t* destination, std::size_t groups);
    // groups: 2-pixel groups of 4 bytes.
    void (*yuv422)(const std::uint8_t* source, std::uint8_t* destination, std::size_t groups);
    void (*yuv444)(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);
    void (*rgb8)(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);
    void (*y16)(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);
    void (*y16Swapped)(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);
    // One demosaiced row of `count` pixels from the two sample rows of the
    // blocks: the row holding the blocks' red samples and the one holding
    // their blue samples (count + 1 bytes each). redPhase is 0 when pixel 0
    // takes red from its own column, 1 when from the next.
    void (*bayerRow)(const std::uint8_t* redRow, const std::uint8_t* blueRow,
                     std::uint8_t* destination, std::size_t count, unsigned redPhase);
};

// Table-driven, no SIMD; also finishes the tails of the other sets.
const KernelSet& ScalarKernels();
// SSE2; every build has it.
const KernelSet& Sse2Kernels();
// The sets the processor can run, the best last.
std::vector<const KernelSet*> AvailableKernelSets();
// The best set; chosen once.
const KernelSet& ActiveKernels();

}  // namespace imaging
