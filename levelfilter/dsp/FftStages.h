// The real FFT's stages, written once for any lane type L (a scalar or a
// SIMD vector of doubles, see CScalarLanes) and included by each path's file.
//
// The complex transform of N/2 points is a Stockham radix-4 scheme: each
// stage reads one buffer and writes the other in sorted order, so there is
// no bit-reversal pass. The first stage reads the real input directly as
// complex pairs (no copy); a last radix-2 stage without twiddles follows when
// log2(N/2) is odd. The real split then makes the N/2 + 1 bins.
//
// Everything here has internal linkage: every path's file gets its own copy,
// compiled for its own instruction set, and the linker can never hand one
// path another path's code.
#pragma once

#include <cstring>
#include <utility>

#include "FftPaths.h"

namespace quelmar {
namespace {

// One double per lane: the portable path, and the small transforms.
struct CScalarLanes {
    using V = double;
    static constexpr unsigned c_nWidth = 1;
    static V Load(const double* p) { return *p; }
    static void Store(double* p, V v) { *p = v; }
    static V Splat(double d) { return d; }
    static V Reverse(V v) { return v; }
    static void Deinterleave(const double* p, V* pRe, V* pIm)
    {
        *pRe = p[0];
        *pIm = p[1];
    }
    static void StoreTransposed(double* p, V v0, V v1, V v2, V v3)
    {
        p[0] = v0;
        p[1] = v1;
        p[2] = v2;
        p[3] = v3;
    }
};

// Loads and stores of whole vectors without an alignment requirement.
template <class V>
V LoadVector(const double* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class V>
void StoreVector(double* p, V v)
{
    std::memcpy(p, &v, sizeof v);
}

template <class L>
struct CComplex {
    typename L::V re, im;
};

template <class L>
CComplex<L> Multiply(CComplex<L> a, typename L::V wr, typename L::V wi)
{
    return {a.re * wr - a.im * wi, a.re * wi + a.im * wr};
}

// The four outputs of one radix-4 butterfly; y1..y3 before their twiddles.
template <class L>
struct CButterfly {
    CComplex<L> y0, y1, y2, y3;
};

template <class L>
CButterfly<L> Radix4(CComplex<L> a, CComplex<L> b, CComplex<L> c, CComplex<L> d)
{
    CComplex<L> apc{a.re + c.re, a.im + c.im}, amc{a.re - c.re, a.im - c.im};
    CComplex<L> bpd{b.re + d.re, b.im + d.im}, bmd{b.re - d.re, b.im - d.im};
    // y1 = (a - c) - i (b - d), y3 = (a - c) + i (b - d)
    return {{apc.re + bpd.re, apc.im + bpd.im},
            {amc.re + bmd.im, amc.im - bmd.re},
            {apc.re - bpd.re, apc.im - bpd.im},
            {amc.re - bmd.im, amc.im + bmd.re}};
}

// The stage's twiddles w^p, w^2p, w^3p for the lanes from p on.
template <class L>
struct CTwiddles {
    typename L::V w1r, w1i, w2r, w2i, w3r, w3i;
};

template <class L>
CButterfly<L> Twiddled(CButterfly<L> b, const CTwiddles<L>& w)
{
    return {b.y0, Multiply<L>(b.y1, w.w1r, w.w1i), Multiply<L>(b.y2, w.w2r, w.w2i),
            Multiply<L>(b.y3, w.w3r, w.w3i)};
}

// The first radix-4 stage (stride 1), on m = N/8 butterflies, vectorised
// over p: complex point j of the input is samples 2j and 2j + 1, and the
// four outputs of butterfly p go to 4p..4p+3, transposed from the lanes.
template <class L>
void FirstStage(unsigned m, const double* pdblTw, const double* pdblIn, double* pdblYRe, double* pdblYIm)
{
    for (unsigned p = 0; p < m; p += L::c_nWidth) {
        CComplex<L> rgIn[4];
        for (unsigned r = 0; r < 4; r++)
            L::Deinterleave(pdblIn + 2 * (p + r * m), &rgIn[r].re, &rgIn[r].im);
        CTwiddles<L> w{L::Load(pdblTw + p),         L::Load(pdblTw + m + p),     L::Load(pdblTw + 2 * m + p),
                       L::Load(pdblTw + 3 * m + p), L::Load(pdblTw + 4 * m + p), L::Load(pdblTw + 5 * m + p)};
        CButterfly<L> b = Twiddled<L>(Radix4<L>(rgIn[0], rgIn[1], rgIn[2], rgIn[3]), w);
        L::StoreTransposed(pdblYRe + 4 * p, b.y0.re, b.y1.re, b.y2.re, b.y3.re);
        L::StoreTransposed(pdblYIm + 4 * p, b.y0.im, b.y1.im, b.y2.im, b.y3.im);
    }
}

// A later radix-4 stage of m butterflies at stride s (s >= the lane width),
// vectorised over q < s with the twiddles of butterfly p in every lane.
// Without twiddles for m = 1, the last radix-4 stage.
template <class L, bool bTwiddled>
void LaterStage(unsigned m, unsigned s, const double* pdblTw, const double* pdblXRe, const double* pdblXIm,
                double* pdblYRe, double* pdblYIm)
{
    for (unsigned p = 0; p < m; p++) {
        CTwiddles<L> w{};
        if (bTwiddled)
            w = {L::Splat(pdblTw[p]),         L::Splat(pdblTw[m + p]),     L::Splat(pdblTw[2 * m + p]),
                 L::Splat(pdblTw[3 * m + p]), L::Splat(pdblTw[4 * m + p]), L::Splat(pdblTw[5 * m + p])};
        const double* __restrict pdblInRe = pdblXRe + s * p;
        const double* __restrict pdblInIm = pdblXIm + s * p;
        double* __restrict pdblOutRe = pdblYRe + 4 * s * p;
        double* __restrict pdblOutIm = pdblYIm + 4 * s * p;
        for (unsigned q = 0; q < s; q += L::c_nWidth) {
            CComplex<L> rgIn[4];
            for (unsigned r = 0; r < 4; r++)
                rgIn[r] = {L::Load(pdblInRe + r * s * m + q), L::Load(pdblInIm + r * s * m + q)};
            CButterfly<L> b = Radix4<L>(rgIn[0], rgIn[1], rgIn[2], rgIn[3]);
            if (bTwiddled)
                b = Twiddled<L>(b, w);
            const CComplex<L> rgOut[4] = {b.y0, b.y1, b.y2, b.y3};
            for (unsigned r = 0; r < 4; r++) {
                L::Store(pdblOutRe + r * s + q, rgOut[r].re);
                L::Store(pdblOutIm + r * s + q, rgOut[r].im);
            }
        }
    }
}

// The last stage when log2(N/2) is odd: radix 2 at stride s = N/4, no twiddles.
template <class L>
void Radix2Stage(unsigned s, const double* __restrict pdblXRe, const double* __restrict pdblXIm,
                 double* __restrict pdblYRe, double* __restrict pdblYIm)
{
    for (unsigned q = 0; q < s; q += L::c_nWidth) {
        typename L::V ar = L::Load(pdblXRe + q), ai = L::Load(pdblXIm + q);
        typename L::V br = L::Load(pdblXRe + s + q), bi = L::Load(pdblXIm + s + q);
        L::Store(pdblYRe + q, ar + br);
        L::Store(pdblYIm + q, ai + bi);
        L::Store(pdblYRe + s + q, ar - br);
        L::Store(pdblYIm + s + q, ai - bi);
    }
}

// X[k] = E[k] + e^(-2 pi i k/N) O[k], with E and O the spectra of the even
// and odd samples recovered from Z[k] and conj(Z[N/2 - k]); lanes k..k+W-1
// against N/2-k down to N/2-k-W+1, the reversed vector below.
template <class L>
void SplitBins(const CFftPlan& plan, unsigned kFirst, unsigned kEnd, const double* pdblZRe, const double* pdblZIm,
               double* pdblRe, double* pdblIm)
{
    using V = typename L::V;
    const V vHalf = L::Splat(0.5);
    for (unsigned k = kFirst; k < kEnd; k += L::c_nWidth) {
        unsigned nMirror = plan.nHalf - k - (L::c_nWidth - 1);
        V zkr = L::Load(pdblZRe + k), zki = L::Load(pdblZIm + k);
        V zmr = L::Reverse(L::Load(pdblZRe + nMirror)), zmi = L::Reverse(L::Load(pdblZIm + nMirror));
        V er = vHalf * (zkr + zmr), ei = vHalf * (zki - zmi);
        V orr = vHalf * (zki + zmi), oi = vHalf * (zmr - zkr);
        V cr = L::Load(plan.pdblSplitRe + k), ci = L::Load(plan.pdblSplitIm + k);
        L::Store(pdblRe + k, er + cr * orr - ci * oi);
        L::Store(pdblIm + k, ei + cr * oi + ci * orr);
    }
}

template <class L>
void RealSplit(const CFftPlan& plan, const double* pdblZRe, const double* pdblZIm, double* pdblRe, double* pdblIm)
{
    unsigned nHalf = plan.nHalf;
    pdblRe[0] = pdblZRe[0] + pdblZIm[0];
    pdblIm[0] = 0.0;
    pdblRe[nHalf] = pdblZRe[0] - pdblZIm[0];
    pdblIm[nHalf] = 0.0;
    // Whole vectors from bin 1 while the mirrored load stays above bin 0,
    // the remaining bins one by one.
    unsigned nVectorEnd = nHalf > L::c_nWidth ? 1 + (nHalf - L::c_nWidth) / L::c_nWidth * L::c_nWidth : 1;
    SplitBins<L>(plan, 1, nVectorEnd, pdblZRe, pdblZIm, pdblRe, pdblIm);
    SplitBins<CScalarLanes>(plan, nVectorEnd, nHalf, pdblZRe, pdblZIm, pdblRe, pdblIm);
}

// Transforms of N/2 < 4 points, which have no radix-4 stage: Z into work
// buffer 0, then the radix-2 stage for N/2 = 2.
inline void SmallStages(const CFftPlan& plan, const double* pdblIn, double** ppdblZRe, double** ppdblZIm)
{
    for (unsigned j = 0; j < plan.nHalf; j++) {
        plan.rgpdblWorkRe[0][j] = pdblIn[2 * j];
        plan.rgpdblWorkIm[0][j] = pdblIn[2 * j + 1];
    }
    *ppdblZRe = plan.rgpdblWorkRe[0];
    *ppdblZIm = plan.rgpdblWorkIm[0];
    if (plan.nHalf == 2) {
        Radix2Stage<CScalarLanes>(1, plan.rgpdblWorkRe[0], plan.rgpdblWorkIm[0], plan.rgpdblWorkRe[1],
                                  plan.rgpdblWorkIm[1]);
        *ppdblZRe = plan.rgpdblWorkRe[1];
        *ppdblZIm = plan.rgpdblWorkIm[1];
    }
}

// The complex transform of the input's N/2 points; *ppdblZRe and *ppdblZIm
// get the work buffer that holds it.
template <class L>
void ComplexStages(const CFftPlan& plan, const double* pdblIn, double** ppdblZRe, double** ppdblZIm)
{
    if (plan.nHalf < 4) {
        SmallStages(plan, pdblIn, ppdblZRe, ppdblZIm);
        return;
    }
    double *pdblXRe = plan.rgpdblWorkRe[0], *pdblXIm = plan.rgpdblWorkIm[0];
    double *pdblYRe = plan.rgpdblWorkRe[1], *pdblYIm = plan.rgpdblWorkIm[1];
    unsigned m = plan.nHalf / 4;
    FirstStage<L>(m, plan.pdblTwiddles, pdblIn, pdblXRe, pdblXIm);
    const double* pdblTw = plan.pdblTwiddles + 6 * m;
    unsigned s = 4;
    for (unsigned n = m; n >= 4; n /= 4, s *= 4) {
        m = n / 4;
        if (m == 1)
            LaterStage<L, false>(m, s, pdblTw, pdblXRe, pdblXIm, pdblYRe, pdblYIm);
        else
            LaterStage<L, true>(m, s, pdblTw, pdblXRe, pdblXIm, pdblYRe, pdblYIm);
        pdblTw += 6 * m;
        std::swap(pdblXRe, pdblYRe);
        std::swap(pdblXIm, pdblYIm);
    }
    if (s < plan.nHalf) {
        Radix2Stage<L>(s, pdblXRe, pdblXIm, pdblYRe, pdblYIm);
        std::swap(pdblXRe, pdblYRe);
        std::swap(pdblXIm, pdblYIm);
    }
    *ppdblZRe = pdblXRe;
    *ppdblZIm = pdblXIm;
}

template <class L>
void ForwardWith(const CFftPlan& plan, const double* pdblIn, double* pdblRe, double* pdblIm)
{
    double *pdblZRe, *pdblZIm;
    ComplexStages<L>(plan, pdblIn, &pdblZRe, &pdblZIm);
    RealSplit<L>(plan, pdblZRe, pdblZIm, pdblRe, pdblIm);
}

}  // namespace
}  // namespace quelmar
