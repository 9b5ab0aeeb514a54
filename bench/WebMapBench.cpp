// Speed of the web-map offsets and of their iterated inverses on a million points spread over
// China, in one thread: the forward offsets, the one-step inverse (the first round alone), the
// exact inverses with the number of rounds they take, and the whole row conversion from text to
// text as the window and the command line run it. Times are processor time.
//
//   WebMapBench
#include "core/PointConversions.h"
#include "core/TextForms.h"
#include "core/WebMap.h"

#include <ctime>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

constexpr size_t PointCount = 1000000;

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Processor time of this one-threaded process, so that a machine busy with other work does not
// blur the figures.
double Seconds(const std::function<void()> &work)
{
    const double start = CpuSeconds();
    work();
    return CpuSeconds() - start;
}

void Report(const char *what, double seconds)
{
    std::printf("%-44s %8.3f s   %7.1f ns/point\n", what, seconds, seconds * 1e9 / double(PointCount));
}

void ReportRounds(const char *what, const std::map<int, size_t> &rounds)
{
    std::printf("%s rounds:", what);
    size_t total = 0, weighted = 0;
    for (const auto &[count, points] : rounds) {
        std::printf("  %d: %zu", count, points);
        total += points;
        weighted += size_t(count) * points;
    }
    std::printf("   (mean %.2f)\n", double(weighted) / double(total));
}

} // namespace

int main()
{
    // Points over China's land, WGS84, and their GCJ-02 and BD-09 images.
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> lon(73.5, 135.0), lat(18.0, 53.5);
    std::vector<LonLat> wgs(PointCount), gcj(PointCount), bd(PointCount);
    for (LonLat &p : wgs)
        p = {Real(lon(random)), Real(lat(random))};
    Real sink = 0;

    Report("WGS84 → GCJ-02 (forward)", Seconds([&] {
               for (size_t i = 0; i < PointCount; ++i)
                   gcj[i] = Gcj02FromWgs84(wgs[i]);
           }));
    Report("GCJ-02 → BD-09 (forward)", Seconds([&] {
               for (size_t i = 0; i < PointCount; ++i)
                   bd[i] = Bd09FromGcj02(gcj[i]);
           }));
    Report("GCJ-02 → WGS84, one step (not exact)", Seconds([&] {
               for (size_t i = 0; i < PointCount; ++i)
                   sink += Wgs84FromGcj02(gcj[i], 1).point.lon;
           }));

    std::map<int, size_t> gcjRounds, bdRounds;
    Report("GCJ-02 → WGS84, iterated to 1e-10°", Seconds([&] {
               for (size_t i = 0; i < PointCount; ++i) {
                   const WebMapInverse r = Wgs84FromGcj02(gcj[i]);
                   sink += r.point.lon;
                   ++gcjRounds[r.rounds];
               }
           }));
    Report("BD-09 → GCJ-02, iterated to 1e-10°", Seconds([&] {
               for (size_t i = 0; i < PointCount; ++i) {
                   const WebMapInverse r = Gcj02FromBd09(bd[i]);
                   sink += r.point.lon;
                   ++bdRounds[r.rounds];
               }
           }));
    Report("BD-09 → WGS84 (both inverses)", Seconds([&] {
               for (size_t i = 0; i < PointCount; ++i)
                   sink += ConvertWebMap(WebMapDatum::Bd09, WebMapDatum::Wgs84, bd[i]).point.lon;
           }));
    ReportRounds("GCJ-02 → WGS84", gcjRounds);
    ReportRounds("BD-09 → GCJ-02", bdRounds);

    // The row conversion: number texts in, 9-decimal texts out.
    std::vector<std::string> lonTexts(PointCount), latTexts(PointCount);
    for (size_t i = 0; i < PointCount; ++i) {
        lonTexts[i] = NumberToText(9, bd[i].lon);
        latTexts[i] = NumberToText(9, bd[i].lat);
    }
    const WebMapConversion conversion(WebMapDatum::Bd09, WebMapDatum::Wgs84, false);
    std::vector<std::string> out(3);
    Report("row BD-09 → WGS84, text to text", Seconds([&] {
               for (size_t i = 0; i < PointCount; ++i) {
                   const std::string_view fields[] = {"P", lonTexts[i], latTexts[i]};
                   conversion.convert(fields, out);
                   sink += Real(out[0].size());
               }
           }));
    std::printf("(checksum %.3Lf)\n", sink);
    return 0;
}
