#include "ConversionKernels.h"

namespace imaging {

#if defined(ORISCOPE_HAVE_AVX2_KERNELS)
const KernelSet& Avx2Kernels();

namespace {
bool ProcessorHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
}  // namespace
#endif

std::vector<const KernelSet*> AvailableKernelSets() {
    std::vector<const KernelSet*> sets{&ScalarKernels(), &Sse2Kernels()};
#if defined(ORISCOPE_HAVE_AVX2_KERNELS)
    if (ProcessorHasAvx2()) {
        sets.push_back(&Avx2Kernels());
    }
#endif
    return sets;
}

const KernelSet& ActiveKernels() {
    static const KernelSet& best = *AvailableKernelSets().back();
    return best;
}

}  // namespace imaging
