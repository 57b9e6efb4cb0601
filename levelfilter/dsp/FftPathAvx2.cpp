// The real FFT's AVX2 path: four doubles per vector, FMA contractions. This
// file alone is compiled with -mavx2 -mfma; CRealFft calls it only on a
// processor that has both.
#include "FftStages.h"

namespace quelmar {

namespace {

struct CAvx2Lanes {
    typedef double V __attribute__((vector_size(32)));
    static constexpr unsigned c_nWidth = 4;
    static V Load(const double* p) { return LoadVector<V>(p); }
    static void Store(double* p, V v) { StoreVector<V>(p, v); }
    static V Splat(double d) { return V{d, d, d, d}; }
    static V Reverse(V v) { return __builtin_shufflevector(v, v, 3, 2, 1, 0); }
    static void Deinterleave(const double* p, V* pRe, V* pIm)
    {
        V vLow = Load(p), vHigh = Load(p + 4);
        *pRe = __builtin_shufflevector(vLow, vHigh, 0, 2, 4, 6);
        *pIm = __builtin_shufflevector(vLow, vHigh, 1, 3, 5, 7);
    }
    // Lane j of v0..v3 to p[4j..4j+3]: a 4 x 4 transpose.
    static void StoreTransposed(double* p, V v0, V v1, V v2, V v3)
    {
        V vEven01 = __builtin_shufflevector(v0, v1, 0, 4, 2, 6), vOdd01 = __builtin_shufflevector(v0, v1, 1, 5, 3, 7);
        V vEven23 = __builtin_shufflevector(v2, v3, 0, 4, 2, 6), vOdd23 = __builtin_shufflevector(v2, v3, 1, 5, 3, 7);
        Store(p, __builtin_shufflevector(vEven01, vEven23, 0, 1, 4, 5));
        Store(p + 4, __builtin_shufflevector(vOdd01, vOdd23, 0, 1, 4, 5));
        Store(p + 8, __builtin_shufflevector(vEven01, vEven23, 2, 3, 6, 7));
        Store(p + 12, __builtin_shufflevector(vOdd01, vOdd23, 2, 3, 6, 7));
    }
};

}  // namespace

void FftForwardAvx2(const CFftPlan& plan, const double* pdblIn, double* pdblRe, double* pdblIm)
{
    ForwardWith<CAvx2Lanes>(plan, pdblIn, pdblRe, pdblIm);
}

}  // namespace quelmar
