// Quorvil's own observation file of a control network, typed from the field book.
//
// A text file in the style of the program's other data files: UTF-8 or GB18030 (as the point
// files), one record per line, fields separated by commas, angles as ddd.mmss. Blank lines and
// lines starting with "#" are comments, and so is a "#" after white space to the end of its line. The file is made of sections, each opened by its name in
// brackets on a line of its own; every section may be left out or repeated:
//
//   [参数]      key,value lines: 工程名称, 等级, 计算者, 校核者, 日期 (the report header);
//               方向中误差 (″, default 5; "15cc" for centesimal seconds), 测角中误差 (default
//               √2 · 方向中误差), 方位角中误差 (default 方向中误差), 测距中误差 a,b (a mm + b ppm,
//               default 5,5), 每公里高差中误差 (mm, default 10), 每测站高差中误差 (mm, default 3),
//               单位权中误差 (σ0 a priori, default 1), 置信概率 (default 0.95)
//   [已知点]    name,X,Y[,H]   fixed points (X, Y empty for a benchmark with a height only)
//   [近似坐标]  name,X,Y[,H]   approximate values of new points (normally not needed)
//   [约束点]    name[,X,Y]     new points whose corrections carry the datum of a free network
//               (minimum norm); without known points the approximate coordinates are carried
//               in a local frame from the first station (or distance) when not given
//   [方向]      station,target,direction[,distance][,σ direction][,σ distance mm]
//               consecutive lines of one station form one direction set (one orientation
//               unknown); a blank line or another station ends the set
//   [角度]      station,backsight,foresight,angle[,σ]   (clockwise from backsight to foresight)
//   [距离]      from,to,distance[,σ mm]                 (horizontal, metres)
//   [方位角]    from,to,azimuth[,σ]                     (grid bearing, clockwise from north)
//   [水准]      from,to,height difference,length km[,stations][,σ mm]
//               σ, if not given: 每测站高差中误差·√stations when stations are given, else
//               每公里高差中误差·√length
//   [三角高程]  from,to,height difference,horizontal distance m[,σ mm]
//               trigonometric heights, weight 1/D²: σ, if not given, 每公里高差中误差·D (km)
//
// X is north, Y east (Chinese grid coordinates), metres. Points not among the known points are
// new points, adjusted. Errors name the line: "第 12 行: …".
#pragma once

#include "core/network/Network.h"

#include <QByteArray>
#include <QString>

namespace quorvil {

struct SurveyHeader {
    QString project, grade, calculator, checker, date;
};

struct SurveyFile {
    SurveyHeader header;
    network::Network network;
};

// True when the first line that is not blank or a comment names a section of the file.
bool LooksLikeObservationFile(const QByteArray &bytes);

// Throws Error.
SurveyFile ParseObservationFile(const QByteArray &bytes);

// Either format, recognised by content (gama-local or an observation file); throws Error for a
// file that is neither.
SurveyFile ParseNetworkFile(const QByteArray &bytes);

} // namespace quorvil
