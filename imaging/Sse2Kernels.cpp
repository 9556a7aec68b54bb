// The kernels with SSE2 only: the baseline of both builds.
#include "ConversionKernels.h"
#include "SimdKernels.inl"

namespace imaging {

const KernelSet& Sse2Kernels() {
    return SimdKernelSet("sse2");
}

}  // namespace imaging
