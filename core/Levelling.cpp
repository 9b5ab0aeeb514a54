#include "Levelling.h"

#include "Error.h"
#include "TextForms.h"

namespace quorvil {

namespace {

std::string RightAligned(std::string text, size_t width)
{
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

} // namespace

LevellingResult CarryLevellingRoute(const LevellingRouteInput &input)
{
    if (input.sections.empty())
        throw Error(LevellingTooFewText);
    LevellingResult r;
    r.sections = input.sections;
    Real sumDifferences = 0;
    for (const LevellingSection &s : input.sections) {
        r.totalWeight += s.weight;
        sumDifferences += s.difference;
    }
    r.misclosure = input.startHeight + sumDifferences - input.endHeight;
    r.heights.assign(1, input.startHeight);
    return r;
}

LevellingResult DistributeLevellingMisclosure(LevellingResult r)
{
    const size_t count = r.sections.size();
    r.corrections.resize(count);
    r.corrected.resize(count);
    r.heights.resize(1);
    for (size_t i = 0; i < count; ++i) {
        // Share of the misclosure in proportion to the weight; weights summing to 0 divide 0 by 0.
        r.corrections[i] = -r.misclosure * r.sections[i].weight / r.totalWeight;
        r.corrected[i] = r.sections[i].difference + r.corrections[i];
        r.heights.push_back(r.heights.back() + r.corrected[i]);
    }
    return r;
}

LevellingResult AdjustLevellingRoute(const LevellingRouteInput &input)
{
    return DistributeLevellingMisclosure(CarryLevellingRoute(input));
}

std::string LevellingCorrectionText(Real correction)
{
    return RightAligned(NumberToText(2, correction * 1000), 8);
}

std::string LevellingHeightText(Real height) { return RightAligned(NumberToText(3, height), 9); }

std::string LevellingDifferenceText(Real difference) { return RightAligned(NumberToText(3, difference), 8); }

} // namespace quorvil
