// libFuzzer target: a stream through the level chain, written as a short
// program so that small inputs reach every path. Four header bytes give the
// format; then each step is an operation byte and its arguments:
//   0 block:    repeat count (1 byte), length (2 bytes), that many sample bytes;
//               the block is processed `repeat` times (NaN and Inf included)
//   1 gain:     channel, gain, ramp
//   2 auto gain: channel, threshold, gain
//   3 notification: flags, channel, threshold, minimum duration
//   4 spectrum settings: bands per octave, window, order
//   5 spectrum: channel
//   6 new format: four bytes as in the header
//   7 flush
// The seed corpus (tests/fuzz/corpus/) is written by make-corpus.py.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "LevelChain.h"

using namespace quelmar;

namespace {

void Ignore(void*) {}

const unsigned s_rgSampleRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, 192000, 384000};
const unsigned s_rgBandsPerOctave[] = {0, 1, 2, 3, 6};
constexpr unsigned c_nMaxRepeat = 64;
// The loudest level a finite double can carry: float64 samples far beyond
// full scale are measured as they are (10 log10(2 * DBL_MAX) dB).
constexpr double c_dblMaxLevelDb = 3100.0;

bool IsShowable(double dblDb)
{
    return dblDb >= -120.0 && dblDb < c_dblMaxLevelDb;  // false for NaN
}

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

StreamFormat TakeFormat(CInput& input)
{
    StreamFormat format;
    format.eType = static_cast<SampleType>(input.Take(1) % c_nSampleTypes);
    // Mostly up to 8 channels, which keeps a run cheap; up to 64 now and then.
    unsigned nChannels = input.Take(1);
    format.nChannels = 1 + (nChannels >= 224 ? nChannels % c_nMaxChannels : nChannels % 8);
    unsigned nRate = input.Take(2);
    const unsigned nRates = sizeof(s_rgSampleRates) / sizeof(s_rgSampleRates[0]);
    // Mostly the common rates; any rate in range for the rest.
    format.nSampleRate = nRate % 4 != 0 ? s_rgSampleRates[nRate / 4 % nRates]
                                        : c_nMinSampleRate + nRate * 6 % (c_nMaxSampleRate - c_nMinSampleRate + 1);
    return format;
}

void ProcessBlock(CLevelChain& chain, CInput& input, std::vector<uint8_t>& rgBuffer)
{
    unsigned nRepeat = 1 + input.Take(1) % c_nMaxRepeat;
    size_t nLength = input.Take(2);
    if (nLength > input.Left())
        nLength = input.Left();
    for (unsigned i = 0; i < nRepeat; i++) {
        rgBuffer.assign(input.Here(), input.Here() + nLength);
        chain.Process(rgBuffer.data(), rgBuffer.size());
    }
    input.Skip(nLength);
}

void ComputeSpectrum(CLevelChain& chain, unsigned nChannel)
{
    unsigned nBands = CSpectrumAnalyzer::c_nOctaves * chain.Spectrum().Settings().nBandsPerOctave;
    std::vector<double> rgBands(nBands + 1);
    unsigned nFilled = 0;
    if (!chain.Spectrum().Compute(nChannel, nBands, &nFilled, rgBands.data()))
        return;
    if (nFilled != 0 && nFilled != nBands)
        __builtin_trap();
    for (unsigned i = 0; i < nFilled; i++)
        if (!IsShowable(rgBands[i]))
            __builtin_trap();  // a band must stay a number the program can draw
}

void CheckLevels(const CLevelChain& chain)
{
    for (unsigned c = 0; c < chain.Format().nChannels; c++) {
        if (!IsShowable(chain.MeterAfter().LevelDb(c)))
            __builtin_trap();  // a level must stay a number the program can show
    }
}

void Step(CLevelChain& chain, CInput& input, std::vector<uint8_t>& rgBuffer)
{
    unsigned nChannels = chain.Format().nChannels;
    switch (input.Take(1) % 8) {
    case 0: ProcessBlock(chain, input, rgBuffer); break;
    case 1: {
        unsigned nChannel = input.Take(1) % nChannels;
        double dblGain = static_cast<int>(input.Take(1) % 81) - 40.0;
        chain.Gain().SetTarget(nChannel, dblGain, input.Take(1) % 251 * 40);
        break;
    }
    case 2: {
        unsigned nChannel = input.Take(1) % nChannels;
        double dblThreshold = -static_cast<double>(input.Take(1) % 21);
        chain.AutoGain().Set(nChannel, {dblThreshold, -static_cast<double>(input.Take(1) % 21)});
        break;
    }
    case 3: {
        unsigned nFlags = input.Take(1);
        unsigned nChannel = input.Take(1) % nChannels;
        double dblThreshold = -static_cast<double>(input.Take(1) % 61);
        chain.Detector().Advise({(nFlags & 1) != 0, nChannel, dblThreshold, input.Take(1) * 4, (nFlags & 2) != 0},
                                nullptr);
        break;
    }
    case 4: {
        unsigned nBandsPerOctave = s_rgBandsPerOctave[input.Take(1) % 5];
        WindowType eWindow = static_cast<WindowType>(input.Take(1) % c_nWindowTypes);
        chain.Spectrum().SetSettings({nBandsPerOctave, eWindow, 10 + input.Take(1) % 6});
        break;
    }
    case 5: ComputeSpectrum(chain, input.Take(1) % nChannels); break;
    case 6: chain.Configure(TakeFormat(input)); break;
    case 7: chain.Reset(); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CInput input(pData, nSize);
    CLevelChain chain(Ignore);
    if (!chain.Configure(TakeFormat(input)))
        return 0;
    std::vector<uint8_t> rgBuffer;
    while (input.Left() > 0)
        Step(chain, input, rgBuffer);
    CheckLevels(chain);
    ComputeSpectrum(chain, 0);
    return 0;
}
