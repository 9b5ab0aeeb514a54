// What the command line (and later the network window) writes of an adjusted network: the result
// table as text, the summary line, and every result as JSON for scripts.
//
// JSON shape and units (fixed, so that scripts can rely on them):
//   {"summary": {"observations", "unknowns", "defect", "dof", "vtpv", "sigma0_apriori",
//                "sigma0_aposteriori", "sigma_used": "apriori"|"aposteriori", "iterations",
//                "chi2_test": {"probability", "ratio", "lower", "upper", "passed"} (null without
//                degrees of freedom), "suspect": index into observations or null,
//                "weakest_point": id or null, "weakest_side": {"from", "to"} or null,
//                "set_aside": what the reader left out and why (已剔除), one text each},
//    "points": [{"id", "x", "y", "z" (null without height), "status": "fixed"|"adjusted"|
//                "constrained" (of the plane coordinates, else of the height), "sx", "sy", "sp",
//                "ellipse": {"a", "b", "phi"}, "sz"}],
//    "relative_ellipses": [{"from", "to", "length", "a", "b", "phi"}],
//    "observations": [{"kind", "from", "to", "bs", "axis", "observed", "adjusted", "residual",
//                      "stdev", "redundancy", "w", "mdb"}]}
// x, y, z in the input's axes and metres; σ, ellipse axes, distance, height-difference and
// coordinate residuals, stdevs and MDBs in mm; angular residuals, stdevs and MDBs in ″; observed
// and adjusted angles in decimal degrees (distances and heights in m); φ in degrees from the
// input's x axis towards its y axis; ellipses at 1σ with the σ0 used. Figures that do not apply
// (the σ of a fixed point, w of an observation without redundancy) are null, never NaN.
#pragma once

#include "ObservationFile.h"

#include "core/network/Network.h"

#include <QStringList>

#include <string>

namespace quorvil {

// The result table: a few summary lines, then the adjusted points (σx σy σp E F φ), the
// observations (v, r, w) and the relative ellipses, comma-separated, one record per line, in the
// axes of `file` (the command line gives it the network and results in north/east, InNorthEast).
QStringList NetworkResultLines(const SurveyFile &file, const network::Result &result);

// One line: observations, unknowns, degrees of freedom, σ0, the χ² test, the suspected blunder.
std::string NetworkSummaryLine(const network::Network &network, const network::Result &result);

std::string NetworkResultJson(const network::Network &network, const network::Result &result);

} // namespace quorvil
