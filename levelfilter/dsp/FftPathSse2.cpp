// The real FFT's portable path (one double at a time) and its SSE2 path
// (two doubles per vector), SSE2 being part of every x86-64 processor.
#include "FftStages.h"

namespace quelmar {

namespace {

struct CSse2Lanes {
    typedef double V __attribute__((vector_size(16)));
    static constexpr unsigned c_nWidth = 2;
    static V Load(const double* p) { return LoadVector<V>(p); }
    static void Store(double* p, V v) { StoreVector<V>(p, v); }
    static V Splat(double d) { return V{d, d}; }
    static V Reverse(V v) { return __builtin_shufflevector(v, v, 1, 0); }
    static void Deinterleave(const double* p, V* pRe, V* pIm)
    {
        V vLow = Load(p), vHigh = Load(p + 2);
        *pRe = __builtin_shufflevector(vLow, vHigh, 0, 2);
        *pIm = __builtin_shufflevector(vLow, vHigh, 1, 3);
    }
    // Lane 0 of v0..v3 to p[0..3], lane 1 to p[4..7].
    static void StoreTransposed(double* p, V v0, V v1, V v2, V v3)
    {
        Store(p, __builtin_shufflevector(v0, v1, 0, 2));
        Store(p + 2, __builtin_shufflevector(v2, v3, 0, 2));
        Store(p + 4, __builtin_shufflevector(v0, v1, 1, 3));
        Store(p + 6, __builtin_shufflevector(v2, v3, 1, 3));
    }
};

}  // namespace

void FftForwardScalar(const CFftPlan& plan, const double* pdblIn, double* pdblRe, double* pdblIm)
{
    ForwardWith<CScalarLanes>(plan, pdblIn, pdblRe, pdblIm);
}

void FftForwardSse2(const CFftPlan& plan, const double* pdblIn, double* pdblRe, double* pdblIm)
{
    ForwardWith<CSse2Lanes>(plan, pdblIn, pdblRe, pdblIm);
}

}  // namespace quelmar
