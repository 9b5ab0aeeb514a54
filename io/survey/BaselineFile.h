// The files of the GNSS network tool: baselines and known points.
//
// Baselines, a CSV file (UTF-8 or GB18030, `#` starts a comment line), one baseline a line:
//   时段,起点,终点,ΔX,ΔY,ΔZ,σΔX,σΔY,σΔZ,ρXY,ρXZ,ρYZ
// Earth-centred components in m, their standard deviations in m and correlations; or, after a
// comment line that holds "协方差", the six entries of the covariance in m² after ΔZ, in the order
// XX, XY, XZ, YY, YZ, ZZ. A first line whose fourth field is no number is a column caption.
// Or GNU Gama's gama-local XML with <vectors> of <vec from to dx dy dz> and their <cov-mat> (in
// mm², upper band row by row; covariances between different vectors are refused): each <vectors>
// element is one session.
//
// Known points, a CSV file `点名,X,Y[,H]` (grid x north, y east with its constant, normal height).
//
// Every fault (a field missing or no number, a standard deviation not positive, a correlation
// outside (−1, 1), a covariance not positive definite, a baseline from a point to itself, a known
// point twice) throws Error with the line: "第 12 行: …".
#pragma once

#include "core/gnss/Baselines.h"
#include "core/gnss/ConstrainedAdjustment.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <vector>

namespace quorvil {

gnss::BaselineNetwork ParseBaselines(const QByteArray &bytes);

std::vector<gnss::KnownPoint> ParseKnownPoints(const QByteArray &bytes);

// The records of a table: each with its line (the table's row, from 1) and its fields.
struct NumberedRow {
    int line = 0;
    QStringList fields;
};

// The baselines of table rows as the CSV lines above (12 fields; σ and ρ, or the covariance).
gnss::BaselineNetwork BaselinesOfRows(const QList<NumberedRow> &rows, bool covariance = false);
// The known points of table rows (3 or 4 fields).
std::vector<gnss::KnownPoint> KnownPointsOfRows(const QList<NumberedRow> &rows);

// The baselines as the CSV file above (σ and ρ form), GB18030: what the window saves.
QByteArray BaselinesCsv(const gnss::BaselineNetwork &network);

} // namespace quorvil
