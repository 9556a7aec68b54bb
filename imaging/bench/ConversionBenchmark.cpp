// Mpixel/s of every conversion next to the reference routine, at 640 x 480
// and 1600 x 1200. Run: build/bench/imaging/bench/imaging_bench
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "imaging/ConversionKernels.h"
#include "imaging/FrameConversion.h"
#include "imaging/YuvTables.h"
#include "imaging/reference/ReferenceConversion.h"

namespace {

using Routine = void (*)(std::uint32_t, std::uint32_t, const std::uint8_t*, std::uint8_t*);

void ConvertBayerLayout0(std::uint32_t w, std::uint32_t h, const std::uint8_t* s, std::uint8_t* d) {
    ConvertBayer(w, h, s, d, 0);
}

void ReferenceBayerLayout0(std::uint32_t w, std::uint32_t h, const std::uint8_t* s,
                           std::uint8_t* d) {
    reference::ConvertBayer(w, h, s, d, 0);
}

std::vector<std::uint8_t> RandomFrame(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::mt19937 random(42);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

void Run(benchmark::State& state, Routine routine, double sourceBytesPerPixel, const char* label) {
    InitYuvTables();
    const auto w = static_cast<std::uint32_t>(state.range(0));
    const auto h = static_cast<std::uint32_t>(state.range(1));
    const auto source = RandomFrame(static_cast<std::size_t>(w * h * sourceBytesPerPixel));
    std::vector<std::uint8_t> destination(std::size_t{w} * h * 3);
    for (auto _ : state) {
        routine(w, h, source.data(), destination.data());
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.counters["Mpixel/s"] = benchmark::Counter(
        static_cast<double>(w) * h * static_cast<double>(state.iterations()) / 1e6,
        benchmark::Counter::kIsRate);
    state.SetLabel(label);
}

// The SSE2 set on its own: what a processor without AVX2 (and the 32-bit
// Windows build) gets.
using Kernel = void (*)(const std::uint8_t*, std::uint8_t*, std::size_t);

void RunSse2(benchmark::State& state, Kernel imaging::KernelSet::*kernel,
             double sourceBytesPerPixel, std::size_t pixelsPerUnit) {
    InitYuvTables();
    const auto w = static_cast<std::uint32_t>(state.range(0));
    const auto h = static_cast<std::uint32_t>(state.range(1));
    const auto source = RandomFrame(static_cast<std::size_t>(w * h * sourceBytesPerPixel));
    std::vector<std::uint8_t> destination(std::size_t{w} * h * 3);
    const Kernel run = imaging::Sse2Kernels().*kernel;
    for (auto _ : state) {
        run(source.data(), destination.data(), std::size_t{w} * h / pixelsPerUnit);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.counters["Mpixel/s"] = benchmark::Counter(
        static_cast<double>(w) * h * static_cast<double>(state.iterations()) / 1e6,
        benchmark::Counter::kIsRate);
}

#define ORISCOPE_CONVERSION_BENCHMARK(routine, bytesPerPixel)                               \
    BENCHMARK_CAPTURE(Run, routine, Convert##routine, bytesPerPixel,                        \
                      imaging::ActiveKernels().name)                                        \
        ->Args({640, 480})                                                                  \
        ->Args({1600, 1200});                                                               \
    BENCHMARK_CAPTURE(Run, routine##_reference, reference::Convert##routine, bytesPerPixel, \
                      "reference")                                                          \
        ->Args({640, 480})                                                                  \
        ->Args({1600, 1200})

ORISCOPE_CONVERSION_BENCHMARK(Yuv422, 2);
ORISCOPE_CONVERSION_BENCHMARK(Yuv411, 1.5);
ORISCOPE_CONVERSION_BENCHMARK(Yuv444, 3);
ORISCOPE_CONVERSION_BENCHMARK(Rgb8, 3);
ORISCOPE_CONVERSION_BENCHMARK(Y16, 2);
ORISCOPE_CONVERSION_BENCHMARK(Y16Swapped, 2);
BENCHMARK_CAPTURE(Run, Bayer, ConvertBayerLayout0, 1, imaging::ActiveKernels().name)
    ->Args({640, 480})
    ->Args({1600, 1200});
BENCHMARK_CAPTURE(Run, Bayer_reference, ReferenceBayerLayout0, 1, "reference")
    ->Args({640, 480})
    ->Args({1600, 1200});

BENCHMARK_CAPTURE(RunSse2, Yuv422_sse2, &imaging::KernelSet::yuv422, 2, 2)->Args({1600, 1200});
BENCHMARK_CAPTURE(RunSse2, Yuv411_sse2, &imaging::KernelSet::yuv411, 1.5, 4)->Args({1600, 1200});
BENCHMARK_CAPTURE(RunSse2, Yuv444_sse2, &imaging::KernelSet::yuv444, 3, 1)->Args({1600, 1200});
BENCHMARK_CAPTURE(RunSse2, Rgb8_sse2, &imaging::KernelSet::rgb8, 3, 1)->Args({1600, 1200});
BENCHMARK_CAPTURE(RunSse2, Y16_sse2, &imaging::KernelSet::y16, 2, 1)->Args({1600, 1200});

}  // namespace
