#include "TraverseSummary.h"

#include "TextForms.h"

namespace quorvil {

namespace {

constexpr Real SecondsPerDegree = 3600;
constexpr Real Hundredths = 100;
// Metres to hundredths of a millimetre in one product, so that a length of an exact half
// hundredth rounds as it reads.
constexpr Real HundredthMillimetresPerMetre = 1000 * Hundredths;

} // namespace

Real HundredthSeconds(Real radians)
{
    const Real seconds = RadToDeg(radians) * SecondsPerDegree;
    return RoundHalfEven(seconds * Hundredths);
}

std::string SecondsText(Real radians) { return GeneralText(HundredthSeconds(radians) / Hundredths); }

Real HundredthMillimetres(Real metres) { return RoundHalfEven(metres * HundredthMillimetresPerMetre); }

std::string MillimetresText(Real metres) { return GeneralText(HundredthMillimetres(metres) / Hundredths); }

bool ClosureBeyondRoute(Real totalLength, Real fs) { return fs > totalLength; }

Real RelativeClosureDenominator(Real totalLength, Real fs) { return RoundHalfEven(totalLength / fs); }

std::string RelativeClosureText(Real totalLength, Real fs)
{
    if (fs == 0)
        return "1/∞";
    return "1/" + NumberToText(0, RelativeClosureDenominator(totalLength, fs));
}

std::string FBText(Real angleMisclosure) { return FBCaption + SecondsText(angleMisclosure) + "″"; }
std::string VBText(Real angleCorrection) { return VBCaption + SecondsText(angleCorrection) + "″"; }
std::string FxText(Real fx) { return FxCaption + MillimetresText(fx) + "mm"; }
std::string FyText(Real fy) { return FyCaption + MillimetresText(fy) + "mm"; }
std::string FsText(Real fs) { return FsCaption + MillimetresText(fs) + "mm"; }
std::string KText(Real totalLength, Real fs)
{
    if (ClosureBeyondRoute(totalLength, fs))
        return "K>1";
    return KCaption + RelativeClosureText(totalLength, fs);
}
std::string FhText(Real fh) { return FhCaption + MillimetresText(fh) + "mm"; }
std::string RouteLengthText(Real totalWeight) { return RouteLengthCaption + GeneralText(totalWeight); }

std::string ReportBearingText(Real radians) { return NumberToText(4, DegToDms(RadToDeg(radians))); }
std::string ReportMillimetresText(Real metres) { return NumberToText(2, metres * 1000); }
std::string ReportSecondsText(Real radians) { return NumberToText(2, RadToDeg(radians) * SecondsPerDegree); }
std::string ReportIncrementText(Real metres) { return NumberToText(3, metres); }

} // namespace quorvil
