// GNU Gama's own test networks (tests/io/data/gama, see its README.md): every gama-local file read
// and adjusted, and compared with gama-local 2.33's adjustment of it: the adjusted coordinates and
// heights to 0.1 mm, the degrees of freedom exactly, σ0 to 1e-3 of its value, the axes of every
// standard error ellipse and every height's standard deviation to 0.01 mm. The redundancy numbers
// are checked against a computation of their own: rᵢ = 1 − ∂ℓ̂ᵢ/∂ℓᵢ, the share of a change of one
// observed value that does not reach its adjusted value, found by adjusting again with that
// observation moved by its standard deviation (Gama's own qrr is not reliable in some of its files).
// Each file written back by the program's gama-local writer adjusts the same.
//
// suite.txt lists the files the loop does not compare, each with its reason: the ones the engine
// still refuses (it must refuse them with the message given), the long railway surveys that the
// benchmark times, and the files whose gama-local result is not that of the rigorous model (they
// must adjust, and their redundancy numbers are checked all the same).
#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/network/Network.h"
#include "io/GamaXmlReference.h"
#include "io/survey/GamaFile.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

using namespace quorvil;
using namespace quorvil::network;
using namespace quorvil::testing;

namespace {

const QString Folder = QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/gama/");

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int IndexOf(const Network &net, const std::string &id)
{
    for (size_t i = 0; i < net.points.size(); ++i)
        if (net.points[i].id == id)
            return int(i);
    return -1;
}

void CompareWithGama(const Network &net, const Result &result, const GamaReference &gama)
{
    ASSERT_FALSE(gama.points.empty());
    // Without redundancy there is no a posteriori σ0: Gama then scales its figures by 0, the engine
    // by the a priori σ0; only the coordinates compare.
    const bool precision = gama.dof > 0 || !gama.aposterioriUsed;
    for (const auto &[id, g] : gama.points) {
        SCOPED_TRACE(id);
        const int i = IndexOf(net, id);
        ASSERT_GE(i, 0);
        const PointResult &r = result.points[size_t(i)];
        if (g.plane) {
            EXPECT_NEAR(double(r.x), double(g.x), 1e-4);
            EXPECT_NEAR(double(r.y), double(g.y), 1e-4);
        }
        if (g.height)
            EXPECT_NEAR(double(r.z), double(g.z), 1e-4);
        if (g.ellipse && precision) {
            EXPECT_NEAR(double(r.ellipse.a * 1000), double(g.major), 0.01);
            EXPECT_NEAR(double(r.ellipse.b * 1000), double(g.minor), 0.01);
        }
        if (g.height && g.sz >= 0 && precision)
            EXPECT_NEAR(double(r.sz * 1000), double(g.sz), 0.01);
    }
    EXPECT_EQ(result.summary.dof, gama.dof);
    EXPECT_NEAR(double(result.summary.sigma0Aposteriori), double(gama.sigma0), 1e-3 * std::max(1.0, double(gama.sigma0)))
        << gama.sigma0Text;
}

// Written back as gama-local (instrument and target heights included), the network adjusts the same.
void CheckWrittenBack(const Network &net, const Result &result)
{
    const Result again = Adjust(ParseGama(GamaXml(net)));
    ASSERT_EQ(again.points.size(), result.points.size());
    for (size_t i = 0; i < result.points.size(); ++i) {
        EXPECT_NEAR(double(again.points[i].x - result.points[i].x), 0, 1e-8);
        EXPECT_NEAR(double(again.points[i].y - result.points[i].y), 0, 1e-8);
        EXPECT_NEAR(double(again.points[i].z - result.points[i].z), 0, 1e-8);
        EXPECT_NEAR(double(again.points[i].sz - result.points[i].sz), 0, 1e-9);
    }
    EXPECT_NEAR(double(again.summary.sigma0Aposteriori), double(result.summary.sigma0Aposteriori),
                1e-6 + 1e-8 * double(result.summary.sigma0Aposteriori));
}

// rᵢ = 1 − ∂ℓ̂ᵢ/∂ℓᵢ for a few observations spread over the file, and Σr = f. The derivative is taken
// on the network whose observed values are its adjusted ones (no residuals, so the curvature of
// the observation equations adds nothing to it: the linear projection at the adjusted
// coordinates is all there is), as a central difference.
void CheckRedundancy(const Network &net, const Result &result)
{
    Real sum = 0;
    for (const ObservationResult &o : result.observations)
        sum += o.redundancy;
    EXPECT_NEAR(double(sum), result.summary.dof, 1e-6);
    Network consistent = net;
    for (size_t i = 0; i < net.observations.size(); ++i)
        consistent.observations[i].value = result.observations[i].adjusted;
    const size_t n = net.observations.size();
    for (size_t k : {size_t(0), n / 3, 2 * n / 3, n - 1}) {
        if (k >= n)
            continue;
        const Real step = net.observations[k].stdev;
        Network up = consistent, down = consistent;
        up.observations[k].value += step;
        down.observations[k].value -= step;
        Real change = Adjust(up).observations[k].adjusted - Adjust(down).observations[k].adjusted;
        if (IsAngular(net.observations[k].kind))
            change = std::remainder(change, 2 * Pi);
        EXPECT_NEAR(double(result.observations[k].redundancy), double(1 - change / (2 * step)), 1e-4) << "observation " << k;
    }
}

TEST(NetworkGamaSuite, EveryFileAgreesWithGama)
{
    const std::map<std::string, GamaSuiteException> exceptions = ReadGamaSuiteExceptions(ReadFile(Folder + QStringLiteral("suite.txt")));
    const QStringList files = QDir(Folder + QStringLiteral("input")).entryList({QStringLiteral("*.gkf")}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 120);
    int compared = 0;
    for (const QString &file : files) {
        const std::string name = QFileInfo(file).completeBaseName().toStdString();
        SCOPED_TRACE(name);
        const QByteArray input = ReadFile(Folder + QStringLiteral("input/") + file);
        const QByteArray output = ReadFile(Folder + QStringLiteral("gama-local-2.33/") + QString::fromStdString(name) + ".xml");
        ASSERT_FALSE(input.isEmpty());
        ASSERT_FALSE(output.isEmpty());
        const auto exception = exceptions.find(name);
        if (exception != exceptions.end() && exception->second.kind == "benchmark")
            continue;
        if (exception != exceptions.end() && exception->second.kind == "differs") {
            try {
                const Network net = ParseGama(input);
                const Result result = Adjust(net);
                CheckRedundancy(net, result);
                CheckWrittenBack(net, result);
            } catch (const Error &e) {
                ADD_FAILURE() << e.what();
            }
            continue;
        }
        if (exception != exceptions.end()) {
            ASSERT_EQ(exception->second.kind, "refused");
            try {
                Adjust(ParseGama(input));
                ADD_FAILURE() << "now adjusted: take it off suite.txt";
            } catch (const Error &e) {
                EXPECT_NE(std::string(e.what()).find(exception->second.reason), std::string::npos) << e.what();
            }
            continue;
        }
        try {
            const Network net = ParseGama(input);
            FpGuard guard;
            const Result result = Adjust(net);
            guard.check(result.summary.vtpv);
            CompareWithGama(net, result, ReadGamaReference(output));
            CheckRedundancy(net, result);
            CheckWrittenBack(net, result);
            ++compared;
        } catch (const Error &e) {
            ADD_FAILURE() << e.what();
        }
    }
    // every file is either compared or listed
    EXPECT_EQ(compared + int(exceptions.size()), files.size());
}

} // namespace
