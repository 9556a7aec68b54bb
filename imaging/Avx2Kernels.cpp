// The kernels built for processors with AVX2 (which implies SSSE3): chosen at
// run time, so this file alone is compiled with -mavx2.
#include "ConversionKernels.h"
#include "SimdKernels.inl"

namespace imaging {

const KernelSet& Avx2Kernels() {
    return SimdKernelSet("avx2");
}

}  // namespace imaging
