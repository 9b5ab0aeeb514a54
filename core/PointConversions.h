// The row conversions of the point tools: one line of a point table (name and coordinates as
// text) to the texts of its result row, with the decimals each tool writes.
//
// The tool windows and the command line run the same conversion objects, so a result row reads
// the same whichever of them computed it. A conversion holds only its settings and is safe to use
// from several threads at once.
#pragma once

#include "CompensationPlane.h"
#include "DatumConversion.h"
#include "GaussKruger.h"
#include "PlaneSimilarity.h"
#include "WebMap.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace quorvil {

class PointConversion {
public:
    virtual ~PointConversion() = default;

    // Fields of an input line, the name included (3 or 4).
    virtual int inputFields() const = 0;
    // Columns of the result table, the name included.
    virtual int resultColumns() const = 0;
    // Columns a saved result line holds ("数据另存"); fewer than resultColumns() where a tool
    // leaves a column out of its file.
    virtual int savedColumns() const { return resultColumns(); }

    // Computes one row. `fields` holds the inputFields() texts of the row (fields[0], the name,
    // is not read); `out` receives resultColumns() − 1 texts (UTF-8; numbers are ASCII), the
    // columns after the name. The
    // row's values pass a floating-point check before they are formatted. Throws
    // ConversionError for a text that is not a number and FloatError for a fault.
    virtual void convert(std::span<const std::string_view> fields, std::span<std::string> out) const = 0;
};

// "高斯投影正算": B, L (packed ddd.mmss) to x, y + Y constant with 3 decimals.
class GaussForwardConversion final : public PointConversion {
public:
    GaussForwardConversion(const Ellipsoid &ellipsoid, Real centralMeridian, Real yConstant);
    int inputFields() const override { return 3; }
    int resultColumns() const override { return 3; }
    void convert(std::span<const std::string_view> fields, std::span<std::string> out) const override;

private:
    GaussKrugerSeries m_series;
    Real m_centralMeridian, m_yConstant;
};

// "高斯投影反算": x, y (zone number and Y constant removed) to B, L as ddd.mmss with 10 decimals.
class GaussInverseConversion final : public PointConversion {
public:
    GaussInverseConversion(const Ellipsoid &ellipsoid, Real centralMeridian, Real yConstant);
    int inputFields() const override { return 3; }
    int resultColumns() const override { return 3; }
    void convert(std::span<const std::string_view> fields, std::span<std::string> out) const override;

private:
    GaussKrugerSeries m_series;
    Real m_centralMeridian, m_yConstant;
};

// "坐标换带": x, y in the source zone to x, y in the target zone with 3 decimals.
class ZoneChangeConversion final : public PointConversion {
public:
    ZoneChangeConversion(const Ellipsoid &ellipsoid, Real sourceMeridian, Real sourceYConstant, Real targetMeridian,
                         Real targetYConstant);
    int inputFields() const override { return 3; }
    int resultColumns() const override { return 3; }
    void convert(std::span<const std::string_view> fields, std::span<std::string> out) const override;

private:
    GaussKrugerSeries m_series;
    Real m_sourceMeridian, m_sourceYConstant, m_targetMeridian, m_targetYConstant;
};

// "抵偿高程面确定及投影变换": x, y on the source ellipsoid to the enlarged one, 4 decimals. The
// Y constant includes the zone number when the coordinates carry one.
class CompensationConversion final : public PointConversion {
public:
    CompensationConversion(const Ellipsoid &source, const Ellipsoid &target, Real yConstant);
    int inputFields() const override { return 3; }
    int resultColumns() const override { return 3; }
    void convert(std::span<const std::string_view> fields, std::span<std::string> out) const override;

private:
    Ellipsoid m_source, m_target;
    Real m_yConstant;
};

// The datum tools: old x, y, H or B, L, H through the seven parameters to the new side, plane
// values and heights with 4 decimals, packed angles with 10. The plane-to-geodetic tool leaves
// the height out of its saved file.
class DatumPointConversion final : public PointConversion {
public:
    DatumPointConversion(const DatumTransform &transform, const SevenParameters &parameters);
    int inputFields() const override { return 4; }
    int resultColumns() const override { return 4; }
    int savedColumns() const override;
    void convert(std::span<const std::string_view> fields, std::span<std::string> out) const override;

private:
    DatumTransform m_transform;
    SevenParameters m_parameters;
};

// "互联网地图坐标转换": longitude, latitude in one web-map datum to another, as decimal degrees
// with 9 decimals or (`packedAngles`) as ddd.mmss read and written with 10 decimals, then a note:
// OutsideChinaNote for a point outside the rectangle, else empty.
class WebMapConversion final : public PointConversion {
public:
    WebMapConversion(WebMapDatum from, WebMapDatum to, bool packedAngles);
    int inputFields() const override { return 3; }
    int resultColumns() const override { return 4; }
    void convert(std::span<const std::string_view> fields, std::span<std::string> out) const override;

    static constexpr const char *OutsideChinaNote = "境外，未偏移";

private:
    WebMapDatum m_from, m_to;
    bool m_packedAngles;
};

// The texts of the three values of a datum side: plane x, y, H with 4 decimals; geodetic B, L
// (decimal degrees) as ddd.mmss with 10 decimals and H with 4.
void DatumSideTexts(DatumCoordinates kind, const DatumTriple &values, std::span<std::string> out);

// The plane transformations: x, y, H to x′, y′, H′ with 4 decimals, by the two-point model
// ("二公共点平面简易转换") or the multi-point model ("多公共点平面相似变换").
class PlaneSimilarityConversion final : public PointConversion {
public:
    enum class Model { TwoPoint, FourParameters };
    PlaneSimilarityConversion(Model model, const FourParameters &parameters);
    int inputFields() const override { return 4; }
    int resultColumns() const override { return 4; }
    void convert(std::span<const std::string_view> fields, std::span<std::string> out) const override;

private:
    Model m_model;
    FourParameters m_parameters;
};

// The parameter texts the windows show, save in their parameter files and convert with.
//
// Seven parameters: DX, DY, DZ, WX, WY, WZ (arc-seconds), K, each with 10 decimals.
std::array<std::string, 7> SevenParameterTexts(const SevenParameters &p);
// The seven texts (as shown or as read from a parameter file) back to parameters, rotations in
// radians; an empty text reads as 0. Throws ConversionError.
SevenParameters SevenParametersFromTexts(std::span<const std::string> texts);
// Residuals of a datum common point: metres with 4 decimals, arc-seconds with 6, height with 4.
std::array<std::string, 3> DatumResidualTexts(DatumCoordinates newKind, const DatumTriple &residual);

// Multi-point plane similarity: Dx, Dy (6 decimals), T in arc-seconds (10), K (10), Dh (4).
std::array<std::string, 5> FourParameterTexts(const FourParameters &p);
// The five texts Dx, Dy, T (arc-seconds), K, Dh back to parameters. Throws ConversionError.
FourParameters FourParametersFromTexts(std::span<const std::string> texts);
// Residuals of a plane common point, 4 decimals each.
std::array<std::string, 3> PlaneResidualTexts(const PlanePointH &residual);

// Two-point plane similarity: Dx, Dy (6 decimals; 4 when the scale is forced to 1), T as
// ddd.mmss (10), K (12 decimals; "1" when forced), Dh (4), in the order Dx, Dy, T, K, Dh.
std::array<std::string, 5> TwoPointParameterTexts(const FourParameters &p, bool unitScale);
// The five texts Dx, Dy, T (ddd.mmss), K, Dh back to parameters. Throws ConversionError.
FourParameters TwoPointParametersFromTexts(std::span<const std::string> texts);

} // namespace quorvil
