#include "RealFft.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace quelmar {

namespace {

constexpr double c_dblPi = 3.14159265358979323846;
constexpr size_t c_nBufferSkew = 64;  // doubles

struct CPathName {
    const char* szName;
    FftPath ePath;
};

const CPathName s_rgPathNames[] = {{"scalar", FftPath::Scalar}, {"sse2", FftPath::Sse2}, {"avx2", FftPath::Avx2}};

bool ProcessorHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

}  // namespace

bool CRealFft::IsSupported(FftPath ePath)
{
    static const bool s_bAvx2 = ProcessorHasAvx2();
    return ePath != FftPath::Avx2 || s_bAvx2;
}

FftPath CRealFft::ChosenPath()
{
    const char* szForced = std::getenv("QUELMAR_SIMD_PATH");
    for (const CPathName& name : s_rgPathNames) {
        if (szForced && std::strcmp(szForced, name.szName) == 0 && IsSupported(name.ePath))
            return name.ePath;
    }
    return IsSupported(FftPath::Avx2) ? FftPath::Avx2 : FftPath::Sse2;
}

CRealFft::CRealFft(unsigned nOrder) : CRealFft(nOrder, ChosenPath()) {}

CRealFft::CRealFft(unsigned nOrder, FftPath ePath)
    : m_nSize(1u << nOrder), m_nHalf(m_nSize / 2),
      m_ePath(m_nHalf >= c_nMinVectorHalf && IsSupported(ePath) ? ePath : FftPath::Scalar)
{
    MakeTwiddles();
    m_rgSplitRe.resize(m_nHalf);
    m_rgSplitIm.resize(m_nHalf);
    for (unsigned k = 0; k < m_nHalf; k++) {
        m_rgSplitRe[k] = std::cos(-2.0 * c_dblPi * k / m_nSize);
        m_rgSplitIm[k] = std::sin(-2.0 * c_dblPi * k / m_nSize);
    }
    // A stage reads and writes sixteen streams at power-of-two distances; the
    // buffers are set apart by an extra 512 bytes each so that the streams
    // of different buffers fall into different cache sets.
    size_t nPitch = m_nHalf + c_nBufferSkew;
    m_rgWork.resize(4 * nPitch);
    double* pdblWork = m_rgWork.data();
    m_plan = {m_nHalf, m_rgTwiddles.data(), m_rgSplitRe.data(), m_rgSplitIm.data(),
              {pdblWork, pdblWork + nPitch}, {pdblWork + 2 * nPitch, pdblWork + 3 * nPitch}};
}

void CRealFft::MakeTwiddles()
{
    for (unsigned n = m_nHalf; n >= 4; n /= 4) {
        unsigned m = n / 4;
        size_t nStart = m_rgTwiddles.size();
        m_rgTwiddles.resize(nStart + 6 * m);
        double* pdblStage = m_rgTwiddles.data() + nStart;
        for (unsigned r = 1; r <= 3; r++) {
            for (unsigned p = 0; p < m; p++) {
                double dblAngle = -2.0 * c_dblPi * r * p / n;
                pdblStage[(2 * r - 2) * m + p] = std::cos(dblAngle);
                pdblStage[(2 * r - 1) * m + p] = std::sin(dblAngle);
            }
        }
    }
}

void CRealFft::Forward(const double* pdblIn, double* pdblRe, double* pdblIm)
{
    switch (m_ePath) {
    case FftPath::Avx2:
        FftForwardAvx2(m_plan, pdblIn, pdblRe, pdblIm);
        break;
    case FftPath::Sse2:
        FftForwardSse2(m_plan, pdblIn, pdblRe, pdblIm);
        break;
    case FftPath::Scalar:
        FftForwardScalar(m_plan, pdblIn, pdblRe, pdblIm);
        break;
    }
}

}  // namespace quelmar
