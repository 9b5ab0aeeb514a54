// Limits of the field book's checks, GB 50026-2020 工程测量标准: the direction method of
// horizontal angles by grade and instrument class, and the EDM trigonometric levelling (vertical
// angles and reciprocal height differences) by grade. FieldBookLimits.cpp cites the table each
// number comes from.
#pragma once

#include "core/Real.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvil::fieldbook {

// The direction method, in ″. A limit the table leaves blank (2C of a 6″ instrument) is empty.
struct DirectionLimits {
    Real halfRoundClosure = 0;      // 半测回归零差
    std::optional<Real> c2Spread;   // 一测回内 2C 互差
    Real roundSpread = 0;           // 同一方向值各测回较差
};

// The vertical angles and the heights: ″ and mm per √km of the line.
struct HeightLimits {
    Real indexSpread = 0;     // 指标差较差
    Real zenithSpread = 0;    // 竖直角测回较差
    Real reciprocalPerKm = 0; // 对向观测高差较差, k of k·√D mm
    Real errorPerKm = 0;      // 每千米高差全中误差, mm: the a priori error of a height over 1 km
};

// The grades the window offers, in its order.
std::vector<std::string> FieldBookGrades();
// The instrument classes, ″.
std::vector<Real> InstrumentClasses();

// The grade as the tables know it ("一级导线" → "一级"), or empty for a text that is no grade.
std::string FieldBookGrade(std::string_view text);

// Empty when the table has no row for the grade and instrument (a 6″ instrument for 四等).
std::optional<DirectionLimits> DirectionLimitsOf(std::string_view grade, Real instrument);
std::optional<HeightLimits> HeightLimitsOf(std::string_view grade);

} // namespace quorvil::fieldbook
