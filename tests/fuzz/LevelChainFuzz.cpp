// libFuzzer target: random formats, settings and buffer sizes through the
// level chain, samples included (NaN and Inf in the float formats).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "LevelChain.h"

using namespace quelmar;

namespace {

void Ignore(void*) {}

// Reads little pieces of the input in turn; zeros once it runs out.
class CInput {
public:
    CInput(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {}
    uint32_t Take(unsigned nBytes)
    {
        uint32_t nValue = 0;
        for (unsigned i = 0; i < nBytes && m_nPos < m_nSize; i++)
            nValue |= static_cast<uint32_t>(m_pData[m_nPos++]) << (8 * i);
        return nValue;
    }
    size_t Left() const { return m_nSize - m_nPos; }
    const uint8_t* Here() const { return m_pData + m_nPos; }
    void Skip(size_t n) { m_nPos += n < Left() ? n : Left(); }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CInput input(pData, nSize);
    StreamFormat format;
    format.eType = static_cast<SampleType>(input.Take(1) % 6);
    format.nChannels = 1 + input.Take(1) % 64;
    format.nSampleRate = c_nMinSampleRate + input.Take(3) % (c_nMaxSampleRate - c_nMinSampleRate + 1);
    CLevelChain chain(Ignore);
    if (!chain.Configure(format))
        return 0;
    for (unsigned c = 0; c < format.nChannels; c++) {
        chain.Gain().SetTarget(c, static_cast<int>(input.Take(1) % 81) - 40.0, input.Take(2) % 10001);
        chain.AutoGain().Set(c, {-static_cast<double>(input.Take(1) % 21), -static_cast<double>(input.Take(1) % 21)});
    }
    chain.Detector().Advise({input.Take(1) % 2 == 0, input.Take(1) % format.nChannels, -static_cast<double>(input.Take(1) % 61),
                             input.Take(2) % 1000, input.Take(1) % 2 == 0},
                            nullptr);
    static const unsigned s_rgBandsPerOctave[] = {1, 2, 3, 6};
    CSpectrumAnalyzer::CSettings settings = {s_rgBandsPerOctave[input.Take(1) % 4],
                                             static_cast<WindowType>(input.Take(1) % 5), 10 + input.Take(1) % 6};
    chain.Spectrum().SetSettings(settings);
    while (input.Left() > 0) {
        size_t nPiece = 1 + input.Take(2) % 8192;
        if (nPiece > input.Left())
            nPiece = input.Left();
        std::vector<uint8_t> rgBuffer(input.Here(), input.Here() + nPiece);
        input.Skip(nPiece);
        chain.Process(rgBuffer.data(), rgBuffer.size());
    }
    std::vector<double> rgBands(11 * settings.nBandsPerOctave);
    unsigned nFilled = 0;
    chain.Spectrum().Compute(0, static_cast<unsigned>(rgBands.size()), &nFilled, rgBands.data());
    for (unsigned c = 0; c < format.nChannels; c++) {
        double dblLevel = chain.MeterAfter().LevelDb(c);
        if (!(dblLevel >= -120.0 && dblLevel < 400.0))
            __builtin_trap();  // a level must stay a number the program can show
    }
    return 0;
}
