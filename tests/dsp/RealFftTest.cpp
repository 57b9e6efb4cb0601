#include <gtest/gtest.h>

#include <cmath>

#include "RealFft.h"
#include "Signals.h"

using namespace quelmar;

namespace {

class RealFftOrder : public testing::TestWithParam<unsigned> {};

TEST_P(RealFftOrder, MatchesADirectDft)
{
    unsigned nOrder = GetParam();
    CRealFft fft(nOrder);
    unsigned n = fft.Size();
    std::vector<double> rgIn = quelmar_test::WhiteNoise(1.0, n, nOrder);
    std::vector<double> rgRe(n / 2 + 1), rgIm(n / 2 + 1);
    fft.Forward(rgIn.data(), rgRe.data(), rgIm.data());
    double dblMaxError = 0.0;
    for (unsigned k = 0; k <= n / 2; k++) {
        long double ldRe = 0, ldIm = 0;
        for (unsigned t = 0; t < n; t++) {
            long double ldAngle = -2.0L * 3.14159265358979323846264338L * k * t / n;
            ldRe += rgIn[t] * std::cos(ldAngle);
            ldIm += rgIn[t] * std::sin(ldAngle);
        }
        dblMaxError = std::fmax(dblMaxError, std::fabs(static_cast<double>(ldRe) - rgRe[k]));
        dblMaxError = std::fmax(dblMaxError, std::fabs(static_cast<double>(ldIm) - rgIm[k]));
    }
    EXPECT_LT(dblMaxError, 1e-9 * n);
}

INSTANTIATE_TEST_SUITE_P(Orders, RealFftOrder, testing::Values(1u, 2u, 3u, 4u, 7u, 10u));

TEST(RealFft, SineLandsInItsBin)
{
    CRealFft fft(12);
    std::vector<double> rgIn(4096);
    for (unsigned t = 0; t < 4096; t++)
        rgIn[t] = std::cos(2.0 * quelmar_test::c_dblPi * 100 * t / 4096);
    std::vector<double> rgRe(2049), rgIm(2049);
    fft.Forward(rgIn.data(), rgRe.data(), rgIm.data());
    EXPECT_NEAR(2048.0, rgRe[100], 1e-6);
    EXPECT_NEAR(0.0, rgIm[100], 1e-6);
    EXPECT_NEAR(0.0, std::hypot(rgRe[101], rgIm[101]), 1e-6);
}

}  // namespace
