// GNU Gama's gama-local XML input (.gkf), the open interchange format of free network adjustment:
// the one- and two-dimensional subset, read into a network::Network and written back from one.
//
// Read: <network axes-xy angles> (all eight axes, left- and right-handed angles), <description>,
// <parameters sigma-apr conf-pr sigma-act> (others are accepted and ignored), <points-observations>
// with its default standard deviations (direction-, angle-, azimuth-, distance-stdev "a b c" as
// a + b·D^c, D in km), <point id x y z fix adj> (xy, z, xyz and their constrained capitals),
// <obs from> sets of <direction>, <distance>, <angle>, <azimuth>, <coordinates> with observed
// <point>s, <height-differences> of <dh> (stdev in mm, or dist in km: σ = sigma-apr·√dist) and
// uncorrelated <cov-mat band="0">. Angles are gon, or degrees written d-m-s; their standard
// deviations, given on the observation or by the defaults of <points-observations>, are cc for gon
// values and ″ for d-m-s values; angular="360" in <parameters> (or the older angles="360") makes
// plain numbers degrees and every angular deviation ″. Distances m, their deviations mm.
// What gama-local itself leaves out is left out here too and listed in Network::setAside with its
// line and reason: observations of points that no <point> declares, direction sets whose
// directions all go to one point, the height of a point marked xyz that only plane observations
// reach. Anything else (slope distances, zenith angles, vectors, correlated covariance matrices,
// unknown elements) is refused with a message naming the element and its line.
//
// Written: the network as gama-local input, angles as d-m-s with their deviations in ″, so that
// GNU Gama (or Quorvil) adjusts the same network.
#pragma once

#include "core/network/Network.h"

#include <QByteArray>
#include <QString>

namespace quorvil {

// True when the bytes look like XML with a gama-local root (the format test of the readers).
bool LooksLikeGama(const QByteArray &bytes);

// Throws Error ("gama-local 第 N 行 <element>: …").
network::Network ParseGama(const QByteArray &bytes);

QByteArray GamaXml(const network::Network &network);

} // namespace quorvil
