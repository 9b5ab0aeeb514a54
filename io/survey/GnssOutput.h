// What the GNSS tool writes of its results: the result table (also the window's text and the
// report's sections), the summary line, and every result as JSON for scripts.
//
// JSON shape and units:
//   {"summary": {"baselines", "points", "grade", "observations", "unknowns", "dof", "vtpv",
//                "sigma0_apriori", "sigma0_aposteriori", "chi2_test": {"probability", "ratio",
//                "lower", "upper", "passed"} | null, "w_critical", "suspect": baseline index | null,
//                "held", "failures", "points_without_loop": [id]},
//    "points": [{"id", "held", "X", "Y", "Z", "sX", "sY", "sZ", "B", "L", "H", "sN", "sE", "sU",
//                and with known points "known", "x", "y", "sx", "sy", "sp", "ellipse": {"a","b","phi"}}],
//    "baselines": [{"session", "from", "to", "line", "observed": [3], "residuals": [3], "r": [3],
//                   "w": [3] (null where untested), "mdb": [3], "sigma_grade", "passed"}],
//    "loops": [{"kind": "synchronous"|"independent", "session", "points", "baselines", "length",
//               "w": [3], "w_total", "limit_component", "limit_total", "passed"}],
//    "repeated": [{"first", "second", "difference": [3], "ds", "limit", "passed"}],
//    "constrained": {"rotation_seconds", "s_rotation_seconds", "scale_ppm", "s_scale_ppm",
//                    "estimated", "dof", "sigma0_aposteriori", "chi2_test", "suspect",
//                    "known_residuals": [{"id", "vx", "vy", "v", "passed"}], "known_limit",
//                    "worst_known": id | null,
//                    "relative_ellipses": [{"from", "to", "length", "a", "b", "phi"}]} | null}
// Coordinates and lengths in m, B and L in decimal degrees, errors, residuals, closures, limits,
// MDBs and ellipse axes in mm, φ in degrees from x (north) towards y (east).
#pragma once

#include "core/gnss/Job.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include <string>

namespace quorvil {

// One table of the results: its caption, column captions and rows of texts. The sections are the
// result table's parts, the window's result tables and the report's tables, in this order:
enum class GnssSection { Repeated, Loops, FreePoints, Baselines, GridPoints, KnownResiduals, Relative, Count };

struct GnssTable {
    QString caption;
    QStringList columns;
    QList<QStringList> rows;
};

// The column captions of a section.
QStringList GnssSectionColumns(GnssSection section);

// The summary as caption and value pairs (the report's statistics table, the window's summary).
QList<QPair<QString, QString>> GnssSummaryItems(const gnss::Job &job, const gnss::JobResults &results);

// Every section; those of the constrained adjustment have no rows without known points.
QList<GnssTable> GnssTables(const gnss::Job &job, const gnss::JobResults &results);

// The result table: the summary items, then every section with rows.
QStringList GnssResultLines(const gnss::Job &job, const gnss::JobResults &results);

std::string GnssSummaryLine(const gnss::Job &job, const gnss::JobResults &results);

std::string GnssResultJson(const gnss::Job &job, const gnss::JobResults &results);

// "合格" or "超限".
QString Verdict(bool passed);

// The points of a loop as "A-B-C".
std::string LoopPoints(const gnss::BaselineNetwork &network, const gnss::LoopCheck &loop);

} // namespace quorvil
