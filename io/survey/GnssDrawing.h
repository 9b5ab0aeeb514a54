// The drawing of a GNSS network: the points in the grid (the constrained solution, or the free one
// projected onto the central meridian nearest the network when no known points are given), the
// baselines, the point error ellipses and the relative ellipses of the baselines, on the layers and
// with the symbols and scale bar of the control-network drawing (NetworkDrawing.h), which draws it.
#pragma once

#include "core/gnss/Job.h"
#include "core/network/Types.h"
#include "io/dxf/DxfDocument.h"

namespace quorvil {

// The GNSS network as a plane network (known and held points fixed, one distance per pair of
// points) and its results (grid coordinates, ellipses), in x north, y east.
network::Network GnssPlaneNetwork(const gnss::Job &job, const gnss::JobResults &results, network::Result &plane);

// `ellipseScale` 0: the scale NetworkDrawing suggests.
DxfDocument GnssDrawing(const gnss::Job &job, const gnss::JobResults &results, double ellipseScale = 0);

} // namespace quorvil
