// The network as the control-network window shows it: the two input tables (known points and
// observations, one observation a row) read into a network::Network and written back from one, and
// the results of an adjustment as the texts of the result tables and the summary. The window, its
// Word report and the command line share these texts, so the three never disagree.
//
// Units of the tables: coordinates and heights in metres; angles (directions, angles, azimuths)
// ddd.mmss; lengths and height differences in metres; standard deviations in ″ for angular and mm
// for linear observations; precision figures in mm; the direction φ of an ellipse's major axis as a
// bearing, clockwise from north, ddd.mmss.
#pragma once

#include "core/Real.h"
#include "core/network/Network.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace quorvil {

// Captions of the tables (the horizontal headers of the window's tables).
QStringList KnownPointColumns();       // 点名, X(m), Y(m), H(m), 状态
QStringList ObservationColumns();      // 测站, 后视点, 照准点, 类型, 观测值, 距离(km)/测站数, 中误差(″/mm), 仪器高, 觇标高
QStringList PointResultColumns();      // 点名, X, Y, H, σx, σy, 点位中误差, σH, E, F, φ
QStringList ObservationResultColumns(); // 测站, 后视点, 照准点, 类型, 观测值, 改正数, 平差值, 中误差, r, w, MDB (with units)
QStringList RelativeEllipseColumns();  // 起点, 终点, 边长, E, F, φ, 相对精度

// The columns of the point results.
namespace PointColumn {
enum { Name, X, Y, H, SigmaX, SigmaY, SigmaP, SigmaH, E, F, Phi, Count };
}

// Texts of the 状态 column and of the 类型 column.
namespace NetworkWords {
inline const QString Fixed = QStringLiteral("固定");
inline const QString Constrained = QStringLiteral("约束");
inline const QString Free = QStringLiteral("待定");
inline const QString FixedPlane = QStringLiteral("固定平面");
inline const QString FixedHeight = QStringLiteral("固定高程");
inline const QString Direction = QStringLiteral("方向");
inline const QString Angle = QStringLiteral("角度");
inline const QString Distance = QStringLiteral("边长");
inline const QString Azimuth = QStringLiteral("方位角");
inline const QString HeightDifference = QStringLiteral("高差");
inline const QString SlopeDistance = QStringLiteral("斜距");
inline const QString ZenithAngle = QStringLiteral("天顶距");
inline const QString CoordinateX = QStringLiteral("坐标X");
inline const QString CoordinateY = QStringLiteral("坐标Y");
} // namespace NetworkWords

// The a priori standard deviations of observations whose row gives none.
struct NetworkApriori {
    Real angle = 2;          // 测角中误差, ″ (an angle or azimuth; a direction has angle / √2)
    Real distanceA = 2;      // 测距固定误差 a, mm
    Real distanceB = 2;      // 测距比例误差 b, ppm: σ = a + b·D
    Real levelling = 5;      // 水准, mm/√km, or mm per station when perStation
    bool perStation = false; // the 距离/测站数 column counts stations
};

// Reads the tables into a network. Empty rows are skipped; a row's number (from 1) is its line,
// so that the engine's messages name it. Consecutive direction rows of one station (and that
// station's distance rows among them) form one direction set. A point that only the observations name is a new point; a point of the
// known-point table takes part in the plane or the height adjustment when an observation of that
// kind uses it. Throws Error naming the table, the row and the cell.
network::Network NetworkFromTables(const QList<QStringList> &known, const QList<QStringList> &observations,
                                   const NetworkApriori &apriori, const network::Settings &settings);

// The tables of a network (a file read): every point with coordinates or a role, every
// observation with its standard deviation.
void NetworkToTables(const network::Network &network, QList<QStringList> &known, QList<QStringList> &observations);

// The known and the constrained points as the report lists them: 点名, X, Y, H at the decimals of
// the adjusted coordinates, 状态.
QList<QStringList> KnownPointRows(const network::Network &network);

// Packed ddd.mmss text of an angle in radians, the seconds rounded to `secondDecimals` with carry,
// trailing zeros kept (fixed width of the decimals).
QString PackedAngleText(Real radians, int secondDecimals);

// Whether the network has plane or height unknowns.
bool HasPlaneUnknowns(const network::Result &result);
bool HasHeightUnknowns(const network::Result &result);

// Result rows. Points: those with unknowns, in the network's order (PointColumn); the plane
// columns of a height-only point and the height columns of a plane-only point are empty.
QList<QStringList> PointResultRows(const network::Network &network, const network::Result &result);
// One row per observation, in the network's order; w and MDB empty where the observation is not
// tested (no redundancy).
QList<QStringList> ObservationResultRows(const network::Network &network, const network::Result &result);
QList<QStringList> RelativeEllipseRows(const network::Network &network, const network::Result &result);
// Rows of the observations whose |w| exceeds the critical value.
QList<int> BlunderRows(const network::Result &result);

// The summary as caption and value pairs (观测数, 未知数, 多余观测数, vᵀPv, σ0, χ² 检验, 最弱点,
// 最弱边, 可能的粗差, ...), in order.
QList<std::pair<QString, QString>> SummaryItems(const network::Network &network, const network::Result &result);
// The same as lines "caption：value".
QString SummaryText(const network::Network &network, const network::Result &result);

} // namespace quorvil
