// The real FFT's instruction-set paths and the tables they share. Each path
// is compiled in its own file with its own instruction set (FftPathAvx2.cpp
// with AVX2 and FMA); CRealFft picks one at run time.
#pragma once

namespace quelmar {

enum class FftPath { Scalar, Sse2, Avx2 };

// Made by CRealFft for N = 2^order real samples; the work buffers are
// written by every transform.
struct CFftPlan {
    unsigned nHalf;              // N/2, the size of the complex transform
    const double* pdblTwiddles;  // per radix-4 stage of length n: w^p, w^2p, w^3p (w = e^(-2 pi i / n),
                                 // p < n/4) as six arrays of n/4: re, im of each
    const double* pdblSplitRe;   // e^(-2 pi i k / N), k < N/2
    const double* pdblSplitIm;
    double* rgpdblWorkRe[2];     // two buffers of N/2 each, used in turn by the stages
    double* rgpdblWorkIm[2];
};

// pdblIn: N samples; pdblRe, pdblIm: N/2 + 1 bins each. The vector paths need
// N/2 >= c_nMinVectorHalf.
constexpr unsigned c_nMinVectorHalf = 64;
void FftForwardScalar(const CFftPlan& plan, const double* pdblIn, double* pdblRe, double* pdblIm);
void FftForwardSse2(const CFftPlan& plan, const double* pdblIn, double* pdblRe, double* pdblIm);
void FftForwardAvx2(const CFftPlan& plan, const double* pdblIn, double* pdblRe, double* pdblIm);

}  // namespace quelmar
