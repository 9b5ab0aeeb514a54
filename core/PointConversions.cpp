#include "PointConversions.h"

#include "FpGuard.h"
#include "TextForms.h"

namespace quorvil {

namespace {

constexpr int ProjectedDecimals = 3;    // Gauss forward and zone change: millimetres
constexpr int CompensationDecimals = 4; // compensation plane: a tenth of a millimetre
constexpr int PackedAngleDecimals = 10; // ddd.mmss: seconds to a millionth
constexpr int TransformDecimals = 4;    // datum and plane transformations
constexpr int ParameterDecimals = 10;   // seven parameters; T and K of the plane similarity
constexpr int ShiftDecimals = 6;        // Dx, Dy of an estimated plane similarity
constexpr int SecondsResidualDecimals = 6;
constexpr int TwoPointScaleDecimals = 12;
constexpr int WebMapDegreeDecimals = 9; // about 0.1 mm

Real Number(std::span<const std::string_view> fields, size_t i) { return TextToNumber(fields[i]); }

} // namespace

GaussForwardConversion::GaussForwardConversion(const Ellipsoid &ellipsoid, Real centralMeridian, Real yConstant)
    : m_series(ellipsoid), m_centralMeridian(centralMeridian), m_yConstant(yConstant)
{
}

void GaussForwardConversion::convert(std::span<const std::string_view> fields, std::span<std::string> out) const
{
    FpGuard guard;
    const Real B = DmsToDeg(Number(fields, 1));
    const Real L = DmsToDeg(Number(fields, 2));
    const PlaneXY p = m_series.Forward(B, L - m_centralMeridian);
    const Real y = p.y + m_yConstant; // no zone number is put in front of y
    guard.check(p.x, y);
    out[0] = NumberToText(ProjectedDecimals, p.x);
    out[1] = NumberToText(ProjectedDecimals, y);
}

GaussInverseConversion::GaussInverseConversion(const Ellipsoid &ellipsoid, Real centralMeridian, Real yConstant)
    : m_series(ellipsoid), m_centralMeridian(centralMeridian), m_yConstant(yConstant)
{
}

void GaussInverseConversion::convert(std::span<const std::string_view> fields, std::span<std::string> out) const
{
    FpGuard guard;
    const Real x = Number(fields, 1);
    // Whole millions of y are a zone number, whatever the Y constant.
    const Real y = StripZoneNumber(Number(fields, 2)) - m_yConstant;
    const LatLon g = m_series.Inverse(x, y);
    const Real B = DegToDms(g.B);
    const Real L = DegToDms(g.l + m_centralMeridian);
    guard.check(B, L);
    out[0] = NumberToText(PackedAngleDecimals, B);
    out[1] = NumberToText(PackedAngleDecimals, L);
}

ZoneChangeConversion::ZoneChangeConversion(const Ellipsoid &ellipsoid, Real sourceMeridian, Real sourceYConstant,
                                           Real targetMeridian, Real targetYConstant)
    : m_series(ellipsoid), m_sourceMeridian(sourceMeridian), m_sourceYConstant(sourceYConstant),
      m_targetMeridian(targetMeridian), m_targetYConstant(targetYConstant)
{
}

void ZoneChangeConversion::convert(std::span<const std::string_view> fields, std::span<std::string> out) const
{
    FpGuard guard;
    const Real x = Number(fields, 1);
    const Real y = StripZoneNumber(Number(fields, 2)) - m_sourceYConstant;
    const LatLon g = m_series.Inverse(x, y);
    // Longitude difference from the target meridian.
    const PlaneXY p = m_series.Forward(g.B, g.l + m_sourceMeridian - m_targetMeridian);
    const Real y2 = p.y + m_targetYConstant; // no zone number is put in front of y
    guard.check(p.x, y2);
    out[0] = NumberToText(ProjectedDecimals, p.x);
    out[1] = NumberToText(ProjectedDecimals, y2);
}

CompensationConversion::CompensationConversion(const Ellipsoid &source, const Ellipsoid &target, Real yConstant)
    : m_source(source), m_target(target), m_yConstant(yConstant)
{
}

void CompensationConversion::convert(std::span<const std::string_view> fields, std::span<std::string> out) const
{
    FpGuard guard;
    const Real x = Number(fields, 1);
    const Real y = Number(fields, 2) - m_yConstant; // nothing else is stripped
    const PlaneXY p = CompensationTransform(m_source, m_target, x, y);
    const Real y2 = p.y + m_yConstant;
    guard.check(p.x, y2);
    out[0] = NumberToText(CompensationDecimals, p.x);
    out[1] = NumberToText(CompensationDecimals, y2);
}

DatumPointConversion::DatumPointConversion(const DatumTransform &transform, const SevenParameters &parameters)
    : m_transform(transform), m_parameters(parameters)
{
}

int DatumPointConversion::savedColumns() const
{
    // The plane-to-geodetic tool writes name, B, L: its file lines match the three-field tables.
    const bool planeToGeodetic = m_transform.oldSide.kind == DatumCoordinates::Plane &&
                                 m_transform.newSide.kind == DatumCoordinates::Geodetic;
    return planeToGeodetic ? 3 : 4;
}

void DatumSideTexts(DatumCoordinates kind, const DatumTriple &v, std::span<std::string> out)
{
    if (kind == DatumCoordinates::Geodetic) {
        out[0] = NumberToText(PackedAngleDecimals, DegToDms(v[0]));
        out[1] = NumberToText(PackedAngleDecimals, DegToDms(v[1]));
    } else {
        out[0] = NumberToText(TransformDecimals, v[0]);
        out[1] = NumberToText(TransformDecimals, v[1]);
    }
    out[2] = NumberToText(TransformDecimals, v[2]);
}

void DatumPointConversion::convert(std::span<const std::string_view> fields, std::span<std::string> out) const
{
    FpGuard guard;
    const DatumTriple old{Number(fields, 1), Number(fields, 2), Number(fields, 3)};
    const DatumTriple v = TransformDatumPoint(m_transform, m_parameters, old);
    guard.check(v[0], v[1], v[2]);
    DatumSideTexts(m_transform.newSide.kind, v, out);
}

PlaneSimilarityConversion::PlaneSimilarityConversion(Model model, const FourParameters &parameters)
    : m_model(model), m_parameters(parameters)
{
}

void PlaneSimilarityConversion::convert(std::span<const std::string_view> fields, std::span<std::string> out) const
{
    FpGuard guard;
    const PlanePointH old{Number(fields, 1), Number(fields, 2), Number(fields, 3)};
    const PlanePointH p = m_model == Model::TwoPoint ? ConvertTwoPoint(m_parameters, old)
                                                     : ConvertFourParameters(m_parameters, old);
    guard.check(p.x, p.y, p.H);
    out[0] = NumberToText(TransformDecimals, p.x);
    out[1] = NumberToText(TransformDecimals, p.y);
    out[2] = NumberToText(TransformDecimals, p.H);
}

WebMapConversion::WebMapConversion(WebMapDatum from, WebMapDatum to, bool packedAngles)
    : m_from(from), m_to(to), m_packedAngles(packedAngles)
{
}

void WebMapConversion::convert(std::span<const std::string_view> fields, std::span<std::string> out) const
{
    FpGuard guard;
    const LonLat typed{Number(fields, 1), Number(fields, 2)};
    const LonLat p = m_packedAngles ? LonLat{DmsToDeg(typed.lon), DmsToDeg(typed.lat)} : typed;
    const WebMapResult r = ConvertWebMap(m_from, m_to, p);
    if (m_packedAngles) {
        // A point that was not moved keeps the angles as typed: through decimal degrees and back,
        // the truncating DegToDms could show 139.42 as 139°41′60″.
        const bool unmoved = r.outside || m_from == m_to;
        const Real lon = unmoved ? typed.lon : DegToDms(r.point.lon);
        const Real lat = unmoved ? typed.lat : DegToDms(r.point.lat);
        guard.check(lon, lat);
        out[0] = NumberToText(PackedAngleDecimals, lon);
        out[1] = NumberToText(PackedAngleDecimals, lat);
    } else {
        guard.check(r.point.lon, r.point.lat);
        out[0] = NumberToText(WebMapDegreeDecimals, r.point.lon);
        out[1] = NumberToText(WebMapDegreeDecimals, r.point.lat);
    }
    out[2] = r.outside ? OutsideChinaNote : "";
}

std::array<std::string, 7> SevenParameterTexts(const SevenParameters &p)
{
    const Real shown[7] = {p.DX, p.DY, p.DZ, RadiansToSeconds(p.WX), RadiansToSeconds(p.WY), RadiansToSeconds(p.WZ), p.K};
    std::array<std::string, 7> texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = NumberToText(ParameterDecimals, shown[i]);
    return texts;
}

SevenParameters SevenParametersFromTexts(std::span<const std::string> t)
{
    SevenParameters p;
    p.DX = TextToNumber(t[0]);
    p.DY = TextToNumber(t[1]);
    p.DZ = TextToNumber(t[2]);
    p.WX = SecondsToRadians(TextToNumber(t[3]));
    p.WY = SecondsToRadians(TextToNumber(t[4]));
    p.WZ = SecondsToRadians(TextToNumber(t[5]));
    p.K = TextToNumber(t[6]);
    return p;
}

std::array<std::string, 3> DatumResidualTexts(DatumCoordinates newKind, const DatumTriple &v)
{
    const int angleDecimals = newKind == DatumCoordinates::Geodetic ? SecondsResidualDecimals : TransformDecimals;
    return {NumberToText(angleDecimals, v[0]), NumberToText(angleDecimals, v[1]), NumberToText(TransformDecimals, v[2])};
}

std::array<std::string, 5> FourParameterTexts(const FourParameters &p)
{
    return {NumberToText(ShiftDecimals, p.Dx), NumberToText(ShiftDecimals, p.Dy),
            NumberToText(ParameterDecimals, RadiansToArcSeconds(p.T)), NumberToText(ParameterDecimals, p.K),
            NumberToText(TransformDecimals, p.Dh)};
}

FourParameters FourParametersFromTexts(std::span<const std::string> t)
{
    FourParameters p;
    p.Dx = TextToNumber(t[0]);
    p.Dy = TextToNumber(t[1]);
    p.T = ArcSecondsToRadians(TextToNumber(t[2]));
    p.K = TextToNumber(t[3]);
    p.Dh = TextToNumber(t[4]);
    return p;
}

std::array<std::string, 3> PlaneResidualTexts(const PlanePointH &v)
{
    return {NumberToText(TransformDecimals, v.x), NumberToText(TransformDecimals, v.y), NumberToText(TransformDecimals, v.H)};
}

std::array<std::string, 5> TwoPointParameterTexts(const FourParameters &p, bool unitScale)
{
    const int shiftDecimals = unitScale ? TransformDecimals : ShiftDecimals;
    return {NumberToText(shiftDecimals, p.Dx), NumberToText(shiftDecimals, p.Dy),
            NumberToText(ParameterDecimals, DegToDms(RadToDeg(p.T))),
            unitScale ? std::string("1") : NumberToText(TwoPointScaleDecimals, p.K), NumberToText(TransformDecimals, p.Dh)};
}

FourParameters TwoPointParametersFromTexts(std::span<const std::string> t)
{
    FourParameters p;
    p.Dx = TextToNumber(t[0]);
    p.Dy = TextToNumber(t[1]);
    p.T = DegToRad(DmsToDeg(TextToNumber(t[2])));
    p.K = TextToNumber(t[3]);
    p.Dh = TextToNumber(t[4]);
    return p;
}

} // namespace quorvil
