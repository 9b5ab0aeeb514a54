#include "io/dxf/DxfKeptGeometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace quorvil {

namespace {

// The number of the first group of `code`; `fallback` when there is none or it is not sound.
double RawReal(const DxfEntity &e, int code, double fallback = 0)
{
    for (const auto &[c, v] : e.raw)
        if (c == code) {
            const double value = std::strtod(v.c_str(), nullptr);
            return std::isfinite(value) && std::fabs(value) < 1e12 ? value : fallback;
        }
    return fallback;
}

DxfVec RawNormal(const DxfEntity &e)
{
    DxfVec n{RawReal(e, 210, 0), RawReal(e, 220, 0), RawReal(e, 230, 1)};
    const double l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (!std::isfinite(l) || l < 1e-12)
        return {0, 0, 1};
    return {n.x / l, n.y / l, n.z / l};
}

// An integer of a kept entity's group codes (0 when it is none, held to the range of int).
int IntOf(const std::string &value)
{
    const long v = std::strtol(value.c_str(), nullptr, 10);
    return int(std::clamp<long>(v, INT_MIN, INT_MAX));
}

// The point of a group 10 at `i` followed by its group 20.
DxfVec PointAt(const DxfEntity &e, std::size_t i)
{
    return {std::strtod(e.raw[i].second.c_str(), nullptr), std::strtod(e.raw[i + 1].second.c_str(), nullptr), 0};
}

} // namespace

DxfKeptGeometry KeptGeometry(const DxfEntity &e)
{
    DxfKeptGeometry kept;
    bool layerSeen = false;
    for (const auto &[code, value] : e.raw) {
        if (code == 8 && !layerSeen) {
            kept.layer = QString::fromStdString(value);
            layerSeen = true;
        } else if (code == 62) {
            kept.color = IntOf(value);
        } else if (code == 420) {
            kept.color24 = IntOf(value);
        } else if (code == 67 && IntOf(value) == 1) {
            kept.paperSpace = true;
        }
    }
    if (e.raw.empty())
        return kept;

    const std::string &type = e.raw.front().second;
    if (type == "SOLID" || type == "TRACE" || type == "3DFACE") {
        DxfVec corner[4];
        for (int i = 0; i < 4; ++i)
            corner[i] = {RawReal(e, 10 + i), RawReal(e, 20 + i), 0};
        const bool has4 = std::any_of(e.raw.begin(), e.raw.end(), [](const auto &pair) { return pair.first == 13; });
        if (!has4)
            corner[3] = corner[2];
        if (type == "3DFACE") {
            kept.shape = DxfKeptGeometry::Shape::Face;
            kept.points = {corner[0], corner[1], corner[2], corner[3]};
            kept.hiddenEdges = int(std::clamp(RawReal(e, 70), 0.0, 15.0));
        } else {
            // SOLID and TRACE give their corners in the order 1 2 4 3.
            kept.shape = DxfKeptGeometry::Shape::Filled;
            kept.points = {corner[0], corner[1], corner[3], corner[2]};
            kept.normal = RawNormal(e);
            kept.elevation = RawReal(e, 30);
        }
        kept.closed = true;
    } else if (type == "LEADER") {
        for (std::size_t i = 0; i + 1 < e.raw.size(); ++i)
            if (e.raw[i].first == 10 && e.raw[i + 1].first == 20)
                kept.points.push_back(PointAt(e, i));
        if (kept.points.size() >= 2)
            kept.shape = DxfKeptGeometry::Shape::Polyline;
    } else if (type == "POLYLINE") { // a 3D polyline: its vertices are in the drawing's coordinates
        const int flags = int(std::clamp(RawReal(e, 70), 0.0, 255.0));
        if (flags & (16 | 64)) // polygon and polyface meshes
            return kept;
        bool inVertex = false;
        for (std::size_t i = 0; i + 1 < e.raw.size(); ++i) {
            if (e.raw[i].first == 0)
                inVertex = e.raw[i].second == "VERTEX";
            else if (inVertex && e.raw[i].first == 10 && e.raw[i + 1].first == 20 && kept.points.size() < 10'000'000)
                kept.points.push_back(PointAt(e, i));
        }
        kept.shape = DxfKeptGeometry::Shape::Polyline;
        kept.closed = flags & 1;
    } else if (type == "DIMENSION") {
        for (const auto &[code, value] : e.raw)
            if (code == 2) {
                kept.block = QString::fromStdString(value);
                break;
            }
        if (!kept.block.isEmpty())
            kept.shape = DxfKeptGeometry::Shape::Dimension;
    }
    return kept;
}

} // namespace quorvil
