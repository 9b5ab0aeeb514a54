// The summary texts of the traverse and levelling adjustments, shared by every adjustment window.
//
// Angles are shown in arc seconds and misclosures in millimetres, each rounded to hundredths
// (exact halves to the even neighbour) and printed in the shortest general form: a misclosure of
// exactly 3 mm reads "3", one of 3.1 mm "3.1". The relative closure is 1/N with N the whole number
// nearest to ΣD / fs (halves to even); an exact closure is a perfect traverse, "1/∞", and a
// misclosure longer than the route itself (legs of no length among them) has no 1/N: "K>1".
#pragma once

#include "Real.h"

#include <string>

namespace quorvil {

// An angle in radians as arc seconds rounded to hundredths, in hundredths (−1975 for −19.75″);
// and as text: "3", "-20", "1.5".
Real HundredthSeconds(Real radians);
std::string SecondsText(Real radians);
// A length in metres as millimetres rounded to hundredths, in hundredths; and as text: "-1.79", "7".
Real HundredthMillimetres(Real metres);
std::string MillimetresText(Real metres);
// Whether the misclosure fs is longer than the route ΣD, so that K is no 1/N.
bool ClosureBeyondRoute(Real totalLength, Real fs);
// N of the relative closure 1/N: ΣD / fs to the whole number (fs > 0, not beyond the route).
Real RelativeClosureDenominator(Real totalLength, Real fs);
// The relative closure ΣD / fs as "1/33415"; "1/∞" when fs is 0 (KText: "K>1" beyond the route).
std::string RelativeClosureText(Real totalLength, Real fs);

// The complete captions of the summary labels.
std::string FBText(Real angleMisclosure);   // "FB=3″"
std::string VBText(Real angleCorrection);   // "VB=-1″"
std::string FxText(Real fx);                // "Fx=-1.79mm"
std::string FyText(Real fy);                // "Fy=7mm"
std::string FsText(Real fs);                // "Fs=7.23mm"
std::string KText(Real totalLength, Real fs); // "K=1/33415", "K=1/∞", "K>1"
std::string FhText(Real fh);                // "Fh=8mm"
std::string RouteLengthText(Real totalWeight); // "线路总长[L]=2", unrounded

// Forms of the working values in the adjustment reports: a bearing in packed ddd.mmss with 4
// decimals ("45.0005"), a correction in millimetres with 2 decimals ("-4.10"), an angle
// correction in arc seconds with 2 decimals ("-1.00"), an increment with 3 decimals.
std::string ReportBearingText(Real radians);
std::string ReportMillimetresText(Real metres);
std::string ReportSecondsText(Real radians);
std::string ReportIncrementText(Real metres);

// The captions the labels carry before the first computation.
inline constexpr const char *FBCaption = "FB=";
inline constexpr const char *VBCaption = "VB=";
inline constexpr const char *FxCaption = "Fx=";
inline constexpr const char *FyCaption = "Fy=";
inline constexpr const char *FsCaption = "Fs=";
inline constexpr const char *KCaption = "K=";
inline constexpr const char *FhCaption = "Fh=";
inline constexpr const char *RouteLengthCaption = "线路总长[L]=";

} // namespace quorvil
