// Forward FFT of a real sequence of N = 2^order samples (order 1 to 16),
// computed as a complex FFT of N/2 points (Stockham radix 4, see
// FftStages.h) followed by the split into the N/2 + 1 spectrum bins, in
// double precision. All tables are made by the constructor; Forward
// allocates nothing.
//
// The path (FftPaths.h) is the fastest this processor runs, AVX2 + FMA or
// else SSE2, unless the environment variable QUELMAR_SIMD_PATH names one
// ("scalar", "sse2", "avx2") that it runs; transforms too small for vectors
// take the scalar path. The streaming pass's loops follow the same choice
// (SampleKernels.h).
#pragma once

#include <vector>

#include "FftPaths.h"

namespace quelmar {

class CRealFft {
public:
    explicit CRealFft(unsigned nOrder);
    CRealFft(unsigned nOrder, FftPath ePath);
    CRealFft(const CRealFft&) = delete;  // the plan points into the tables
    CRealFft& operator=(const CRealFft&) = delete;

    static bool IsSupported(FftPath ePath);
    // The path a CRealFft(order) of a vector size takes.
    static FftPath ChosenPath();

    unsigned Size() const { return m_nSize; }
    FftPath Path() const { return m_ePath; }
    // pdblIn: N samples. pdblRe, pdblIm: N/2 + 1 bins each (unnormalised).
    void Forward(const double* pdblIn, double* pdblRe, double* pdblIm);

private:
    void MakeTwiddles();

    unsigned m_nSize;   // N
    unsigned m_nHalf;   // N/2, the complex transform's size
    FftPath m_ePath;
    std::vector<double> m_rgTwiddles;              // see CFftPlan
    std::vector<double> m_rgSplitRe, m_rgSplitIm;  // e^(-2 pi i k / N), k < N/2
    std::vector<double> m_rgWork;                  // the plan's four work buffers
    CFftPlan m_plan;
};

}  // namespace quelmar
