// Throughput of the Gauss–Krüger routines against PROJ's transverse Mercator and GeographicLib's
// TransverseMercator on the same million points, and an end-to-end conversion of a million-row
// point file compared with PROJ's cs2cs on the same data in the same run: the core routines in one
// thread, the command line quorvil-cli (both cores) and the forward tool window.
//
//   GaussBench [work folder]      (default: the system's temporary folder)
#include "core/GaussKruger.h"
#include "core/TextForms.h"
#include "tools/GSZS/TFormGSZS.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>

#ifdef QUORVIL_BENCH_GEOGRAPHICLIB
#include <GeographicLib/TransverseMercator.hpp>
#endif
#ifdef QUORVIL_BENCH_PROJ
#include <proj.h>
#endif

#include <chrono>
#include <ctime>
#include <sys/resource.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace quorvil;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t PointCount = 1000000;
constexpr int Repeats = 5;
constexpr Real CentralMeridian = 114;
constexpr Real YConstant = 500000;

double Seconds(const std::function<void()> &work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double CpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Processor time of this process (every contender runs on this one thread), so that a machine
// busy with other work does not blur the comparison.
double CpuSeconds(const std::function<void()> &work)
{
    const double start = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    work();
    return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - start;
}

// User and system time of finished child processes.
double ChildrenSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void Report(const char *what, double seconds, double reference)
{
    std::printf("  %-50s %7.3f s %10.0f points/s", what, seconds, PointCount / seconds);
    if (reference > 0)
        std::printf("   %.2f x PROJ tmerc", reference / seconds);
    std::printf("\n");
}

// Deterministic pseudo-random points across China, within a 3° zone.
struct Points {
    std::vector<Real> B, l;
};

Points MakePoints()
{
    Points p;
    p.B.resize(PointCount);
    p.l.resize(PointCount);
    unsigned long long state = 20261207;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return Real(state >> 11) / Real(1ULL << 53);
    };
    for (size_t i = 0; i < PointCount; ++i) {
        p.B[i] = 18 + 36 * next();
        p.l[i] = -1.5L + 3 * next();
    }
    return p;
}

// Answers the forward tool's open and save dialogs with fixed paths.
class FixedPrompts : public Prompts {
public:
    QString openPath, savePath;
    QString openFileName(QWidget *, const FileDialogSpec &) override { return openPath; }
    QString saveFileName(QWidget *, const FileDialogSpec &) override { return savePath; }
    bool confirmOverwrite(QWidget *) override { return true; }
    void showError(QWidget *, const QString &text) override { std::printf("  error: %s\n", qPrintable(text)); }
    QMessageBox::StandardButton showMessage(QWidget *, const QString &, const QString &, QMessageBox::Icon,
                                            QMessageBox::StandardButtons) override
    {
        return QMessageBox::Ok;
    }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const std::filesystem::path work = argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    const Ellipsoid krasovsky{TextToNumber(EllipsoidPresets[0].aText), TextToNumber(EllipsoidPresets[0].bText)};
    const Points points = MakePoints();

    std::vector<Real> x(PointCount), y(PointCount);
    std::vector<double> lonD(PointCount), latD(PointCount), xD(PointCount), yD(PointCount);
    for (size_t i = 0; i < PointCount; ++i) {
        const PlaneXY p = GaussForward(krasovsky, points.B[i], points.l[i]);
        x[i] = p.x;
        y[i] = p.y;
    }

    // Every contender runs once per round, the rounds interleaved so that all of them see the same
    // load on a shared machine; the best round of each counts.
    struct Contender {
        std::string name;
        bool forward;  // a forward projection (else inverse)
        bool yardstick; // PROJ's default transverse Mercator, the reference of the ratios
        std::function<void()> work;
        double best = 1e300;
    };
    std::vector<Contender> contenders;
    std::vector<Real> B(PointCount), l(PointCount);
    contenders.push_back({"Quorvil GaussForward", true, false, [&] {
        for (size_t i = 0; i < PointCount; ++i) {
            const PlaneXY p = GaussForward(krasovsky, points.B[i], points.l[i]);
            x[i] = p.x;
            y[i] = p.y;
        }
    }});
    contenders.push_back({"Quorvil GaussInverse", false, false, [&] {
        for (size_t i = 0; i < PointCount; ++i) {
            const LatLon g = GaussInverse(krasovsky, x[i], y[i]);
            B[i] = g.B;
            l[i] = g.l;
        }
    }});
    const GaussKrugerSeries series(krasovsky);
    contenders.push_back({"Quorvil GaussKrugerSeries::Forward", true, false, [&] {
        for (size_t i = 0; i < PointCount; ++i) {
            const PlaneXY p = series.Forward(points.B[i], points.l[i]);
            x[i] = p.x;
            y[i] = p.y;
        }
    }});
    contenders.push_back({"Quorvil GaussKrugerSeries::Inverse", false, false, [&] {
        for (size_t i = 0; i < PointCount; ++i) {
            const LatLon g = series.Inverse(x[i], y[i]);
            B[i] = g.B;
            l[i] = g.l;
        }
    }});

#ifdef QUORVIL_BENCH_PROJ
    PJ_CONTEXT *ctx = proj_context_create();
    std::vector<PJ *> projections;
    std::vector<double> east(PointCount), north(PointCount);
    for (size_t i = 0; i < PointCount; ++i) {
        east[i] = double(y[i]);
        north[i] = double(x[i]);
    }
    struct Variant {
        const char *name, *definition;
    } variants[] = {
        {"PROJ tmerc", "+proj=tmerc +lon_0=0 +k=1 +x_0=0 +y_0=0 +a=6378245 +b=6356863.0187730473"},
        {"PROJ tmerc +approx", "+proj=tmerc +approx +lon_0=0 +k=1 +x_0=0 +y_0=0 +a=6378245 +b=6356863.0187730473"},
    };
    for (const auto &v : variants) {
        PJ *pj = proj_create(ctx, v.definition);
        if (!pj) {
            std::printf("PROJ: cannot create %s\n", v.definition);
            continue;
        }
        projections.push_back(pj);
        const bool primary = &v == &variants[0];
        contenders.push_back({std::string(v.name) + " forward, proj_trans_generic", true, primary, [&, pj] {
            for (size_t i = 0; i < PointCount; ++i) {
                lonD[i] = double(DegToRad(points.l[i]));
                latD[i] = double(DegToRad(points.B[i]));
            }
            proj_trans_generic(pj, PJ_FWD, lonD.data(), sizeof(double), PointCount, latD.data(), sizeof(double),
                               PointCount, nullptr, 0, 0, nullptr, 0, 0);
        }});
        contenders.push_back({std::string(v.name) + " forward, proj_trans per point", true, false, [&, pj] {
            for (size_t i = 0; i < PointCount; ++i) {
                PJ_COORD c = proj_coord(double(DegToRad(points.l[i])), double(DegToRad(points.B[i])), 0, 0);
                c = proj_trans(pj, PJ_FWD, c);
                xD[i] = c.xy.y;
                yD[i] = c.xy.x;
            }
        }});
        contenders.push_back({std::string(v.name) + " inverse, proj_trans_generic", false, primary, [&, pj] {
            std::copy(east.begin(), east.end(), lonD.begin());
            std::copy(north.begin(), north.end(), latD.begin());
            proj_trans_generic(pj, PJ_INV, lonD.data(), sizeof(double), PointCount, latD.data(), sizeof(double),
                               PointCount, nullptr, 0, 0, nullptr, 0, 0);
        }});
    }
#endif

#ifdef QUORVIL_BENCH_GEOGRAPHICLIB
    const GeographicLib::TransverseMercator tm(double(krasovsky.a), double((krasovsky.a - krasovsky.b) / krasovsky.a), 1);
    std::vector<double> latG(PointCount), lonG(PointCount), xG(PointCount), yG(PointCount);
    for (size_t i = 0; i < PointCount; ++i) {
        latG[i] = double(points.B[i]);
        lonG[i] = double(points.l[i]);
    }
    contenders.push_back({"GeographicLib TransverseMercator forward", true, false, [&] {
        for (size_t i = 0; i < PointCount; ++i)
            tm.Forward(0, latG[i], lonG[i], yG[i], xG[i]);
    }});
    contenders.push_back({"GeographicLib TransverseMercator inverse", false, false, [&] {
        for (size_t i = 0; i < PointCount; ++i)
            tm.Reverse(0, double(y[i]), double(x[i]), latD[i], lonD[i]);
    }});
#endif

    for (int round = 0; round < Repeats; ++round)
        for (Contender &c : contenders)
            c.best = std::min(c.best, CpuSeconds(c.work));

    double projForward = 0, projInverse = 0;
    for (const Contender &c : contenders)
        if (c.yardstick)
            (c.forward ? projForward : projInverse) = c.best;
    std::printf("Gauss-Krueger, %zu points in a 3-degree zone, Krasovsky ellipsoid, best of %d interleaved rounds, processor time\n",
                PointCount, Repeats);
    for (const Contender &c : contenders)
        Report(c.name.c_str(), c.best, c.forward ? projForward : projInverse);

#ifdef QUORVIL_BENCH_PROJ
    for (PJ *pj : projections)
        proj_destroy(pj);
    proj_context_destroy(ctx);
#endif

    // End to end: a million rows "name,B,L" (packed ddd.mmss) to "name,x,y" with 3 decimals.
    const std::filesystem::path input = work / "gauss-bench-input.txt";
    const std::filesystem::path output = work / "gauss-bench-output.txt";
    const std::filesystem::path projInput = work / "gauss-bench-cs2cs-input.txt";
    const std::filesystem::path projOutput = work / "gauss-bench-cs2cs-output.txt";
    {
        std::ofstream in(input, std::ios::binary), pin(projInput, std::ios::binary);
        for (size_t i = 0; i < PointCount; ++i) {
            const Real B = points.B[i], L = points.l[i] + CentralMeridian;
            in << "P" << i << "," << NumberToText(8, DegToDms(B)) << "," << NumberToText(8, DegToDms(L)) << "\r\n";
            pin << NumberToText(10, L) << " " << NumberToText(10, B) << " P" << i << "\n";
        }
    }
    std::printf("End to end, %zu rows (wall clock; processor time in brackets)\n", PointCount);
    const double plainCpuStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double plain = Seconds([&] {
        std::ifstream in(input, std::ios::binary);
        std::stringstream whole;
        whole << in.rdbuf();
        const std::string text = whole.str();
        std::string out;
        out.reserve(text.size() + text.size() / 2);
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos)
                end = text.size();
            std::string_view line(text.data() + pos, end - pos);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            const size_t c1 = line.find(','), c2 = line.find(',', c1 + 1);
            const Real B = DmsToDeg(TextToNumber(line.substr(c1 + 1, c2 - c1 - 1)));
            const Real L = DmsToDeg(TextToNumber(line.substr(c2 + 1)));
            const PlaneXY p = GaussForward(krasovsky, B, L - CentralMeridian);
            out.append(line.substr(0, c1)).append(",").append(NumberToText(3, p.x)).append(",")
                .append(NumberToText(3, p.y + YConstant)).append("\r\n");
            pos = end + 1;
        }
        std::ofstream(output, std::ios::binary) << out;
    });
    const double plainCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - plainCpuStart;
    Report("Quorvil core: read, compute, write", plain, 0);
    std::printf("  (%.3f s)\n", plainCpu);

    const std::string command = "cs2cs -f %.3f +proj=longlat +a=6378245 +b=6356863.0187730473 +no_defs +to "
                                "+proj=tmerc +lon_0=114 +k=1 +x_0=500000 +y_0=0 +a=6378245 +b=6356863.0187730473 "
                                "+no_defs " +
                                projInput.string() + " > " + projOutput.string();
    int status = 0;
    const double childrenBefore = ChildrenSeconds();
    const double cs2cs = Seconds([&] { status = std::system(command.c_str()); });
    const double cs2csCpu = ChildrenSeconds() - childrenBefore;
    if (status != 0)
        std::printf("  cs2cs failed (status %d)\n", status);
    Report("cs2cs on the same points", cs2cs, 0);
    std::printf("  (%.3f s)\n", cs2csCpu);
    std::printf("  Quorvil core / cs2cs time: %.2f (%.2f)\n", plain / cs2cs, plainCpu / cs2csCpu);

    // The command line on the same file, as a script would run it.
    {
        const std::filesystem::path cliOutput = work / "gauss-bench-cli-output.txt";
        const std::string cli = std::string(QUORVIL_CLI) + " gauss-forward --ellipsoid krassovsky --central-meridian 114 " +
                                input.string() + " " + cliOutput.string();
        const double before = ChildrenSeconds();
        const double wall = Seconds([&] { status = std::system(cli.c_str()); });
        const double cpu = ChildrenSeconds() - before;
        if (status != 0)
            std::printf("  quorvil-cli failed (status %d)\n", status);
        Report("quorvil-cli gauss-forward", wall, 0);
        std::printf("  (%.3f s)\n", cpu);
        std::printf("  quorvil-cli / cs2cs time: %.2f (%.2f)\n", wall / cs2cs, cpu / cs2csCpu);
        std::ifstream a(output, std::ios::binary), b(cliOutput, std::ios::binary);
        std::stringstream sa, sb;
        sa << a.rdbuf();
        sb << b.rdbuf();
        std::printf("  quorvil-cli output %s the core's\n", sa.str() == sb.str() ? "is byte-identical with" : "DIFFERS from");
        std::filesystem::remove(cliOutput);
    }

    // The forward tool as the user drives it: import, compute, save.
    {
        FixedPrompts prompts;
        prompts.openPath = QString::fromStdString(input.string());
        prompts.savePath = QString::fromStdString(output.string());
        Prompts::install(&prompts);
        TFormGSZS window(nullptr);
        window.resize(720, 520);
        window.show();
        window.findChild<QLineEdit *>("EditLL")->setText("114");
        double cpu = 0;
        auto press = [&](const char *name) {
            const double start = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
            const double wall = Seconds([&] {
                window.findChild<QAction *>(name)->trigger();
                QApplication::processEvents();
            });
            cpu += CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - start;
            return wall;
        };
        const double import = press("ToolButton3");
        const double compute = press("ToolButton6");
        const double save = press("ToolButton7");
        const double total = import + compute + save;
        PointTableView *view = window.findChild<PointTableView *>("StringGrid2");
        std::printf("Forward tool window, %d rows\n", view->table()->rows());
        std::printf("  import %.3f s, compute %.3f s, save %.3f s\n", import, compute, save);
        Report("window: import, compute, save", total, 0);
        std::printf("  (%.3f s)\n", cpu);
        std::printf("  window / cs2cs time: %.2f (%.2f)\n", total / cs2cs, cpu / cs2csCpu);
        // Responsiveness at that size: jump to the end and repaint, then edit a cell there.
        PointTableView *points = window.findChild<PointTableView *>("StringGrid1");
        const double scroll = Seconds([&] {
            for (int i = 0; i < 20; ++i) {
                points->verticalScrollBar()->setValue(i % 2 ? 0 : points->verticalScrollBar()->maximum());
                points->viewport()->repaint();
            }
        }) / 20;
        const double edit = Seconds([&] {
            points->table()->setData(points->table()->index(points->table()->rows() - 1, 1), "35.1");
            points->viewport()->repaint();
        });
        std::printf("  scroll to the other end and repaint: %.2f ms; edit a cell and repaint: %.2f ms\n", scroll * 1000,
                    edit * 1000);
        // A check on what was written.
        std::ifstream written(output, std::ios::binary);
        std::string first;
        std::getline(written, first);
        std::printf("  first saved line: %s\n", first.c_str());
        Prompts::install(nullptr);
    }

    std::filesystem::remove(input);
    std::filesystem::remove(output);
    std::filesystem::remove(projInput);
    std::filesystem::remove(projOutput);
    return 0;
}
