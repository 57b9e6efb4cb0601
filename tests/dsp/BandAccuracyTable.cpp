// Prints, per setting, the worst readings of the spectrum's bands: a
// full-scale sine at each band's centre (several starting phases), and the
// mean of 256 blocks of white noise against each band's bandwidth share.
// Native only; the table in levelfilter/README.md comes from it:
//   BandAccuracyTable            one row per setting
//   BandAccuracyTable --summary  one row per window and order
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "BandAccuracy.h"

using namespace quelmar_test;

namespace {

const double g_rgdblPhases[] = {0.0, 0.25 * c_dblPi, 0.5 * c_dblPi, 0.75 * c_dblPi};

struct CWorst {
    double dblWide = 0.0, dblNarrow = 0.0, dblNoise = 0.0;  // largest |error|, dB, signed
    unsigned nMisplaced = 0;  // sines whose tallest bar is in another band
    unsigned nNarrow = 0;

    static void Keep(double& dblWorst, double dbl)
    {
        if (std::fabs(dbl) > std::fabs(dblWorst))
            dblWorst = dbl;
    }
    void Merge(const CWorst& other)
    {
        Keep(dblWide, other.dblWide);
        Keep(dblNarrow, other.dblNarrow);
        Keep(dblNoise, other.dblNoise);
        nMisplaced += other.nMisplaced;
        nNarrow += other.nNarrow;
    }
};

CWorst Measure(const CBandSetting& setting)
{
    CWorst worst;
    for (double dblPhase : g_rgdblPhases) {
        std::vector<CToneReading> rgReadings = ToneReadings(setting, dblPhase);
        for (unsigned i = 0; i < rgReadings.size(); i++) {
            if (std::isnan(rgReadings[i].dblOwnDb))
                continue;
            bool bWide = setting.WidthInBins(i) >= quelmar::CBandLayout::c_dblMinPowerBins;
            CWorst::Keep(bWide ? worst.dblWide : worst.dblNarrow, rgReadings[i].dblOwnDb);
            worst.nNarrow += !bWide && dblPhase == 0.0;
            worst.nMisplaced += rgReadings[i].nTallest != i;
        }
    }
    for (double dblError : NoiseErrors(setting, 256, quelmar::CBandLayout::c_dblMinPowerBins))
        if (!std::isnan(dblError))
            CWorst::Keep(worst.dblNoise, dblError);
    return worst;
}

}  // namespace

int main(int argc, char** argv)
{
    bool bSummary = argc > 1 && std::strcmp(argv[1], "--summary") == 0;
    std::map<std::pair<unsigned, unsigned>, CWorst> mapSummary;  // (window, order)
    std::printf(bSummary ? "| window | order | sine, bands >= 4 bins | sine, narrower bands | narrower bands | tallest bar elsewhere | noise, bands >= 4 bins |\n|---|---|---|---|---|---|---|\n"
                         : "| setting | sine, >= 4 bins | sine, narrower | narrower bands | tallest elsewhere | noise |\n|---|---|---|---|---|---|\n");
    for (const CBandSetting& setting : AllBandSettings()) {
        CWorst worst = Measure(setting);
        if (bSummary)
            mapSummary[{static_cast<unsigned>(setting.settings.eWindow), setting.settings.nOrder}].Merge(worst);
        else
            std::printf("| %s | %+.2f | %+.2f | %u | %u | %+.2f |\n", setting.Name().c_str(), worst.dblWide,
                        worst.dblNarrow, worst.nNarrow, worst.nMisplaced, worst.dblNoise);
    }
    for (const auto& entry : mapSummary)
        std::printf("| %s | %u | %+.2f dB | %+.2f dB | %u | %u | %+.2f dB |\n", g_rgszWindowNames[entry.first.first],
                    entry.first.second, entry.second.dblWide, entry.second.dblNarrow, entry.second.nNarrow,
                    entry.second.nMisplaced, entry.second.dblNoise);
    return 0;
}
