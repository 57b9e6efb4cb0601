#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

#include "RealFft.h"
#include "Signals.h"

using namespace quelmar;

namespace {

const char* PathName(FftPath ePath)
{
    return ePath == FftPath::Avx2 ? "Avx2" : ePath == FftPath::Sse2 ? "Sse2" : "Scalar";
}

// Every path on every order; a path this processor lacks is skipped.
class RealFftCase : public testing::TestWithParam<std::tuple<FftPath, unsigned>> {
protected:
    void SetUp() override
    {
        if (!CRealFft::IsSupported(Path()))
            GTEST_SKIP() << "this processor has no " << PathName(Path());
    }
    FftPath Path() const { return std::get<0>(GetParam()); }
    unsigned Order() const { return std::get<1>(GetParam()); }
};

std::string CaseName(const testing::TestParamInfo<std::tuple<FftPath, unsigned>>& info)
{
    return std::string(PathName(std::get<0>(info.param))) + "Order" + std::to_string(std::get<1>(info.param));
}

const FftPath s_rgPaths[] = {FftPath::Scalar, FftPath::Sse2, FftPath::Avx2};

using RealFftOrder = RealFftCase;

TEST_P(RealFftOrder, MatchesADirectDft)
{
    unsigned nOrder = Order();
    CRealFft fft(nOrder, Path());
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

// Orders 7 and 8 are the smallest on the vector paths, with an even and an
// odd number of radix-2 steps (8 and 10 end in a radix-2 stage).
INSTANTIATE_TEST_SUITE_P(Orders, RealFftOrder,
                         testing::Combine(testing::ValuesIn(s_rgPaths), testing::Values(1u, 2u, 3u, 4u, 7u, 8u, 10u)),
                         CaseName);

using RealFftSine = RealFftCase;

TEST_P(RealFftSine, LandsInItsBin)
{
    CRealFft fft(Order(), Path());
    unsigned n = fft.Size();
    std::vector<double> rgIn(n);
    for (unsigned t = 0; t < n; t++)
        rgIn[t] = std::cos(2.0 * quelmar_test::c_dblPi * 100 * t / n);
    std::vector<double> rgRe(n / 2 + 1), rgIm(n / 2 + 1);
    fft.Forward(rgIn.data(), rgRe.data(), rgIm.data());
    EXPECT_NEAR(n / 2.0, rgRe[100], 1e-6);
    EXPECT_NEAR(0.0, rgIm[100], 1e-6);
    double dblMaxOther = 0.0;
    for (unsigned k = 0; k <= n / 2; k++) {
        if (k != 100)
            dblMaxOther = std::fmax(dblMaxOther, std::hypot(rgRe[k], rgIm[k]));
    }
    EXPECT_LT(dblMaxOther, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Orders, RealFftSine,
                         testing::Combine(testing::ValuesIn(s_rgPaths), testing::Values(12u, 15u)), CaseName);

// What QUELMAR_SIMD_PATH names is what the spectrum's transforms take, so a
// run of the core's tests with it set tests that path.
TEST(RealFft, TakesThePathTheEnvironmentNames)
{
    const char* szForced = std::getenv("QUELMAR_SIMD_PATH");
    FftPath eExpected = CRealFft::IsSupported(FftPath::Avx2) ? FftPath::Avx2 : FftPath::Sse2;
    for (FftPath ePath : s_rgPaths) {
        std::string strName = PathName(ePath);
        for (char& ch : strName)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (szForced && strName == szForced && CRealFft::IsSupported(ePath))
            eExpected = ePath;
    }
    EXPECT_EQ(PathName(eExpected), std::string(PathName(CRealFft(12).Path())));
    EXPECT_EQ(PathName(FftPath::Scalar), std::string(PathName(CRealFft(6).Path())));  // too small for vectors
}

}  // namespace
