// The point subcommands: projection, zone change, compensation plane, datum and plane
// transformations. Each reads its settings as the window reads its fields, builds the window's
// row conversion and streams the point file through it.
#include "Commands.h"

#include "Console.h"
#include "PointStream.h"

#include "core/FpGuard.h"
#include "core/PointConversions.h"
#include "core/TextForms.h"
#include "io/PointFile.h"

#include <array>
#include <vector>

namespace quorvil::cli {

namespace {

const QStringList EllipsoidNames = {"krassovsky", "iag75", "cgcs2000", "wgs84"};

QString Utf8(const std::string &text) { return QString::fromStdString(text); }

// An option's text through `read`, with the option named in the message of a bad text.
template <typename Read>
Real ReadOption(const QCommandLineParser &parser, const QString &name, Read read)
{
    try {
        return read(parser.value(name).toStdString());
    } catch (const ConversionError &e) {
        throw UsageError("--" + name.toStdString() + ": " + e.what());
    }
}

} // namespace

Real Options::number(const QString &name) const
{
    return ReadOption(m_parser, name, [](const std::string &t) { return TextToNumber(t); });
}

Real Options::strictNumber(const QString &name) const
{
    return ReadOption(m_parser, name, [](const std::string &t) {
        if (QString::fromStdString(t).trimmed().isEmpty())
            throw ConversionError(t);
        return TextToNumber(t);
    });
}

Real Options::degrees(const QString &name) const
{
    return ReadOption(m_parser, name, [](const std::string &t) { return DmsToDeg(TextToNumber(t)); });
}

QString Options::choice(const QString &name, const QStringList &choices) const
{
    const QString value = m_parser.value(name);
    if (!choices.contains(value))
        throw UsageError("--" + name.toStdString() + ": '" + value.toStdString() + "' 不是 " +
                         choices.join('|').toStdString() + " 之一");
    return value;
}

Ellipsoid Options::ellipsoid(const QString &prefix, int preset) const
{
    const QString a = prefix + "a", b = prefix + "b", named = prefix + "ellipsoid";
    if (m_parser.isSet(a) != m_parser.isSet(b))
        throw UsageError(("--" + a + " 与 --" + b + " 须同时给出").toStdString());
    if (m_parser.isSet(a)) {
        if (m_parser.isSet(named))
            throw UsageError(("--" + named + " 与 --" + a + "/--" + b + " 只能选一").toStdString());
        return {number(a), number(b)};
    }
    if (m_parser.isSet(named))
        preset = static_cast<int>(EllipsoidNames.indexOf(choice(named, EllipsoidNames)));
    const EllipsoidPreset &p = EllipsoidPresets[static_cast<size_t>(preset)];
    return {TextToNumber(p.aText), TextToNumber(p.bText)};
}

void AddEllipsoidOptions(QCommandLineParser &parser, const QString &prefix, const QString &whose)
{
    parser.addOption({prefix + "ellipsoid",
                      whose + "参考椭球: krassovsky (北京54), iag75 (国家80), cgcs2000, wgs84", "name"});
    parser.addOption({prefix + "a", whose + "自定义椭球长半轴 a (m)", "m"});
    parser.addOption({prefix + "b", whose + "自定义椭球短半轴 b (m)", "m"});
}

void AddStreamOptions(QCommandLineParser &parser)
{
    parser.addOption({"keep-going", "遇到错误行时继续: 写出正确的行, 在标准错误上列出错误行 (退出状态 1)"});
    parser.addOption({"threads", "计算线程数 (默认: 每个处理器核一个)", "n"});
    parser.addOption({"input-encoding",
                      "输入文件的编码: utf-8 或 gb18030 (默认: 整个文件是有效的 UTF-8 时为 UTF-8, 否则为 GB18030; "
                      "标准输入按第一块含非 ASCII 字符的数据判断)",
                      "name"});
    parser.addPositionalArgument("input", "输入点文件, - 表示标准输入");
    parser.addPositionalArgument("output", "输出文件, - 表示标准输出");
}

StreamOptions StreamOptionsOf(const Options &o, const QStringList &positional)
{
    StreamOptions s;
    s.input = positional.at(0);
    s.output = positional.at(1);
    s.keepGoing = o.isSet("keep-going");
    if (o.isSet("input-encoding"))
        s.encoding = o.choice("input-encoding", {"utf-8", "gb18030"});
    if (o.isSet("threads")) {
        bool ok = false;
        s.threads = o.text("threads").toInt(&ok);
        if (!ok || s.threads < 1)
            throw UsageError("--threads: '" + o.text("threads").toStdString() + "' 不是正整数");
    }
    return s;
}

namespace {

void AddZoneOptions(QCommandLineParser &parser)
{
    parser.addOption({"central-meridian", "中央子午线 (ddd.mmss), 默认 0", "dms", "0"});
    parser.addOption({"y-constant", "Y坐标加常数 (m), 默认 500000", "m", "500000"});
}

// Where a summary goes: standard output, unless the results go there; then standard error.
void PrintSummary(const QStringList &positional, const std::string &text)
{
    if (positional.value(1) == QStringLiteral("-"))
        PrintError(text + "\n");
    else
        PrintOut(text + "\n");
}

// Errors of a settings file (parameters, common points), with the file named.
[[noreturn]] void FileFailure(const QString &path, const std::string &what) { throw Error(path.toStdString() + ": " + what); }

std::string JoinTexts(std::span<const std::string> texts)
{
    std::string line;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i)
            line += ',';
        line += texts[i];
    }
    return line;
}

// Writes lines (CR LF, GB18030) to a file or "-".
void WriteLines(const QString &path, const QStringList &lines)
{
    LineWriter writer;
    for (const QString &line : lines)
        writer.addLine(line);
    WriteOutput(path, writer.bytes());
}

// The first line of a parameter file split into `count` texts, a missing one "0".
// The lines of a settings file; a file that cannot be read is named in the message.
QStringList SettingsLines(const QString &path)
{
    try {
        return ReadTextLines(path);
    } catch (const Error &e) {
        FileFailure(path, e.what());
    }
}

std::vector<std::string> ParameterTexts(const QString &path, int count)
{
    const QStringList lines = SettingsLines(path);
    const QStringList fields = SplitFields(lines.isEmpty() ? QStringView() : QStringView(lines.first()), count);
    std::vector<std::string> texts;
    for (const QString &f : fields)
        texts.push_back(f.toStdString());
    return texts;
}

// A common-point file of seven fields a line (name, three old values, three new values); the
// cells of every line, as the common-point table holds them after "文件导入".
PointCells CommonCells(const QString &path)
{
    try {
        return ReadPointCells(path, 7);
    } catch (const Error &e) {
        FileFailure(path, e.what());
    }
}

Real CellNumberAt(const QString &path, const PointCells &cells, int row, int column)
{
    try {
        return TextToNumber(cells.cells[static_cast<size_t>(row) * cells.fieldCount + column].toStdString());
    } catch (const Error &e) {
        FileFailure(path, "第 " + std::to_string(row + 1) + " 行: " + e.what());
    }
}

// The common-point table saved with its residuals ("保存公共点"): ten fields a line.
void WriteCommonWithResiduals(const QString &path, const PointCells &cells,
                              const std::vector<std::array<std::string, 3>> &residuals)
{
    QStringList lines;
    for (int r = 0; r < cells.rows; ++r) {
        QStringList fields;
        for (int c = 0; c < cells.fieldCount; ++c)
            fields += cells.cells[static_cast<size_t>(r) * cells.fieldCount + c];
        for (const std::string &t : residuals[static_cast<size_t>(r)])
            fields += Utf8(t);
        lines += fields.join(u',');
    }
    WriteLines(path, lines);
}

// Streams the input through a conversion built from the settings. The settings themselves may
// fault (an ellipsoid of empty axes): that ends the run before any line is read.
template <typename Conversion, typename... Settings>
int Convert(const Options &o, const QStringList &positional, const Settings &...settings)
{
    const StreamOptions stream = StreamOptionsOf(o, positional);
    FpGuard guard;
    const Conversion conversion(settings...);
    guard.check();
    return RunPointStream(conversion, stream);
}

int GaussForwardRun(const Options &o, const QStringList &positional)
{
    const Ellipsoid e = o.ellipsoid("", 0);
    return Convert<GaussForwardConversion>(o, positional, e, o.degrees("central-meridian"), o.number("y-constant"));
}

int GaussInverseRun(const Options &o, const QStringList &positional)
{
    const Ellipsoid e = o.ellipsoid("", 0);
    return Convert<GaussInverseConversion>(o, positional, e, o.degrees("central-meridian"), o.number("y-constant"));
}

int ZoneChangeRun(const Options &o, const QStringList &positional)
{
    const Ellipsoid e = o.ellipsoid("", 0);
    // The zone fields take the plain number conversion: an empty text is an error.
    const Real sourceMeridian = DmsToDeg(o.strictNumber("central-meridian"));
    const Real sourceY = o.strictNumber("y-constant");
    const Real targetMeridian = DmsToDeg(o.strictNumber("to-central-meridian"));
    const Real targetY = o.strictNumber("to-y-constant");
    return Convert<ZoneChangeConversion>(o, positional, e, sourceMeridian, sourceY, targetMeridian, targetY);
}

int CompensationRun(const Options &o, const QStringList &positional)
{
    const Ellipsoid source = o.ellipsoid("", 0);
    const Real yConstant = o.number("y-constant");
    Ellipsoid target;
    if (o.isSet("a2") || o.isSet("b2")) {
        if (!(o.isSet("a2") && o.isSet("b2")))
            throw UsageError("--a2 与 --b2 须同时给出");
        target = {o.number("a2"), o.number("b2")};
    } else {
        // "计算" of "确定抵偿面", then of "新椭球参数", each result passing through the text its
        // field shows, as in the window.
        FpGuard guard;
        const Real B = o.degrees("mean-latitude");
        const Real ym = o.number("distance");
        const Real H = o.number("height") + o.number("height-anomaly");
        const Real distortion = DistortionPerKilometre(source, B, ym, H);
        const Real height = CompensationHeight(source, B, ym, H);
        guard.check(distortion, height);
        const std::string heightText = o.isSet("compensation-height") ? o.text("compensation-height").toStdString()
                                                                      : NumberToText(0, height);
        const Real Hd = o.isSet("compensation-height") ? o.number("compensation-height") : TextToNumber(heightText);
        const Ellipsoid enlarged = EnlargedEllipsoid(source, B, Hd);
        guard.check(enlarged.a, enlarged.b);
        const std::string a2 = NumberToText(10, enlarged.a), b2 = NumberToText(10, enlarged.b);
        target = {TextToNumber(a2), TextToNumber(b2)};
        PrintSummary(positional, "每公里投影变形=" + NumberToText(2, distortion) + "mm  抵偿面大地高=" + heightText +
                                     "  a2=" + a2 + "  b2=" + b2);
    }
    return Convert<CompensationConversion>(o, positional, source, target, yConstant);
}

int DatumRun(const Options &o, const QStringList &positional)
{
    const QStringList kinds = {"plane", "geodetic"};
    if (!o.isSet("from") || !o.isSet("to"))
        throw UsageError("须给出 --from 与 --to");
    const bool oldPlane = o.choice("from", kinds) == "plane";
    const bool newPlane = o.choice("to", kinds) == "plane";
    DatumTransform t;
    t.oldSide.kind = oldPlane ? DatumCoordinates::Plane : DatumCoordinates::Geodetic;
    t.newSide.kind = newPlane ? DatumCoordinates::Plane : DatumCoordinates::Geodetic;
    // The ellipsoids each window opens with: plane to plane 北京54 to 国家80; from geodetic
    // WGS84 to 北京54; plane to geodetic 北京54 to WGS84.
    const int oldPreset = oldPlane ? 0 : 3;
    const int newPreset = oldPlane ? (newPlane ? 1 : 3) : 0;
    t.oldSide.ellipsoid = o.ellipsoid("", oldPreset);
    t.newSide.ellipsoid = o.ellipsoid("to-", newPreset);
    const Real meridian = o.degrees("central-meridian");
    if (oldPlane && newPlane) {
        // Plane to plane: the new central meridian (following the old one unless given) is the
        // working meridian.
        t.oldSide.centralMeridian = meridian;
        t.oldSide.reduceToWorkingMeridian = true;
        t.newSide.centralMeridian = o.isSet("to-central-meridian") ? o.degrees("to-central-meridian") : meridian;
        t.workingMeridian = t.newSide.centralMeridian;
    } else {
        if (o.isSet("to-central-meridian"))
            throw UsageError("--to-central-meridian 只用于平面到平面的转换");
        t.oldSide.centralMeridian = t.newSide.centralMeridian = meridian;
        t.workingMeridian = meridian;
    }
    if (oldPlane)
        t.oldSide.yConstant = o.number("y-constant");
    if (newPlane)
        t.newSide.yConstant = o.number("to-y-constant");
    t.oldSide.heightAnomaly = o.number("height-anomaly");
    t.newSide.heightAnomaly = o.number("to-height-anomaly");

    // The panel texts: the opening identity, a parameter file, or an estimation.
    std::vector<std::string> panel = {"0", "0", "0", "0", "0", "0", "1"};
    if (o.isSet("parameters") && o.isSet("common"))
        throw UsageError("--parameters 与 --common 只能选一");
    if (!o.isSet("common") && (o.isSet("residuals") || o.isSet("save-parameters")))
        throw UsageError("--residuals 与 --save-parameters 须与 --common 同用");
    if (o.isSet("parameters")) {
        panel = ParameterTexts(o.text("parameters"), 7);
    } else if (o.isSet("common")) {
        const QString path = o.text("common");
        const PointCells cells = CommonCells(path);
        std::vector<DatumCommonPoint> points(static_cast<size_t>(cells.rows));
        for (int r = 0; r < cells.rows; ++r)
            for (int i = 0; i < 3; ++i) {
                points[static_cast<size_t>(r)].oldTyped[static_cast<size_t>(i)] = CellNumberAt(path, cells, r, 1 + i);
                points[static_cast<size_t>(r)].newTyped[static_cast<size_t>(i)] = CellNumberAt(path, cells, r, 4 + i);
            }
        FpGuard guard;
        const DatumEstimate e = EstimateDatum(t, points);
        const SevenParameters &p = e.parameters;
        guard.check(p.DX, p.DY, p.DZ, p.WX, p.WY, p.WZ, p.K);
        std::vector<std::array<std::string, 3>> residuals;
        for (const DatumTriple &v : e.residuals) {
            guard.check(v[0], v[1], v[2]);
            residuals.push_back(DatumResidualTexts(t.newSide.kind, v));
        }
        const auto shown = SevenParameterTexts(p);
        panel.assign(shown.begin(), shown.end());
        if (o.isSet("residuals"))
            WriteCommonWithResiduals(o.text("residuals"), cells, residuals);
        if (o.isSet("save-parameters"))
            WriteLines(o.text("save-parameters"), {Utf8(JoinTexts(panel))});
        const char *labels[7] = {"DX=", "DY=", "DZ=", "WX(\")=", "WY(\")=", "WZ(\")=", "K="};
        std::string summary;
        for (size_t i = 0; i < 7; ++i)
            summary += (i ? "  " : "") + std::string(labels[i]) + panel[i];
        PrintSummary(positional, summary);
    }
    SevenParameters parameters;
    try {
        parameters = SevenParametersFromTexts(panel);
    } catch (const Error &e) {
        FileFailure(o.text("parameters"), e.what());
    }
    return Convert<DatumPointConversion>(o, positional, t, parameters);
}

int PlaneRun(const Options &o, const QStringList &positional)
{
    const int sources = int(o.isSet("parameters")) + int(o.isSet("common")) + int(o.isSet("two-point"));
    if (sources != 1)
        throw UsageError("须给出 --parameters, --common 或 --two-point 之一");
    const bool twoPoint = o.isSet("two-point");
    if (!twoPoint && (o.isSet("unit-scale") || o.isSet("yx") || o.isSet("cass")))
        throw UsageError("--unit-scale, --yx 与 --cass 只用于 --two-point");
    if (!o.isSet("common") && (o.isSet("residuals") || o.isSet("save-parameters")))
        throw UsageError("--residuals 与 --save-parameters 须与 --common 同用");

    StreamOptions stream = StreamOptionsOf(o, positional);
    FourParameters p;
    PlaneSimilarityConversion::Model model = PlaneSimilarityConversion::Model::FourParameters;
    if (o.isSet("parameters")) {
        const QString path = o.text("parameters");
        try {
            p = FourParametersFromTexts(ParameterTexts(path, 5));
        } catch (const ConversionError &e) {
            FileFailure(path, e.what());
        }
    } else if (o.isSet("common")) {
        const QString path = o.text("common");
        const PointCells cells = CommonCells(path);
        std::vector<CommonPoint> points(static_cast<size_t>(cells.rows));
        for (int r = 0; r < cells.rows; ++r) {
            CommonPoint &c = points[static_cast<size_t>(r)];
            c.oldPoint = {CellNumberAt(path, cells, r, 1), CellNumberAt(path, cells, r, 2), CellNumberAt(path, cells, r, 3)};
            c.newPoint = {CellNumberAt(path, cells, r, 4), CellNumberAt(path, cells, r, 5), CellNumberAt(path, cells, r, 6)};
        }
        FpGuard guard;
        const FourParameterEstimate e = EstimateFourParameters(points);
        guard.check(e.parameters.Dx, e.parameters.Dy, e.parameters.T, e.parameters.K, e.parameters.Dh, e.residuals);
        const auto shown = FourParameterTexts(e.parameters);
        std::vector<std::array<std::string, 3>> residuals;
        for (const PlanePointH &v : e.residuals)
            residuals.push_back(PlaneResidualTexts(v));
        if (o.isSet("residuals"))
            WriteCommonWithResiduals(o.text("residuals"), cells, residuals);
        if (o.isSet("save-parameters"))
            WriteLines(o.text("save-parameters"), {Utf8(JoinTexts(shown))});
        PrintSummary(positional, "Dx=" + shown[0] + "  Dy=" + shown[1] + "  T(\")=" + shown[2] + "  K=" + shown[3] +
                                     "  Dh=" + shown[4]);
        // The conversion reads the parameters as the panel shows them.
        p = FourParametersFromTexts(shown);
    } else {
        // The common-point file of the two-point tool: base point X′, Y′, X, Y; second point
        // X′, Y′, X, Y; old and new height of the height reference point.
        const QString path = o.text("two-point");
        const QStringList lines = SettingsLines(path);
        const int counts[] = {4, 4, 2};
        std::vector<Real> v;
        for (int line = 0; line < 3; ++line)
            for (const QString &f :
                 SplitFields(line < lines.size() ? QStringView(lines.at(line)) : QStringView(), counts[line], QString())) {
                try {
                    v.push_back(TextToNumber(f.toStdString()));
                } catch (const Error &e) {
                    FileFailure(path, "第 " + std::to_string(line + 1) + " 行: " + e.what());
                }
            }
        TwoCommonPoints common;
        common.oldBase = {v[0], v[1], 0};
        common.newBase = {v[2], v[3], 0};
        common.oldSecond = {v[4], v[5], 0};
        common.newSecond = {v[6], v[7], 0};
        common.oldHeight = v[8];
        common.newHeight = v[9];
        const bool unitScale = o.isSet("unit-scale");
        FpGuard guard;
        const FourParameters computed = TwoPointSimilarity(common, unitScale);
        const Real rotation = DegToDms(RadToDeg(computed.T));
        guard.check(computed.Dx, computed.Dy, computed.K, computed.Dh, rotation);
        const auto shown = TwoPointParameterTexts(computed, unitScale);
        PrintSummary(positional, "Dx=" + shown[0] + "  Dy=" + shown[1] + "  T(dms)=" + shown[2] + "  K=" + shown[3] +
                                     "  Dh=" + shown[4]);
        p = TwoPointParametersFromTexts(shown);
        model = PlaneSimilarityConversion::Model::TwoPoint;
        // The two-point tool leaves a missing field empty and may read Y before X.
        stream.missingField = QString();
        stream.swapFirstTwo = o.isSet("yx");
        stream.cassOutput = o.isSet("cass");
    }
    const PlaneSimilarityConversion conversion(model, p);
    return RunPointStream(conversion, stream);
}

} // namespace

QList<Command> AllCommands()
{
    QList<Command> commands;
    commands.append({"gauss-forward", "高斯投影正算: 点号,B,L (ddd.mmss) → 点号,x,y", [](QCommandLineParser &p) {
                         AddEllipsoidOptions(p, "", "");
                         AddZoneOptions(p);
                         AddStreamOptions(p);
                     },
                     GaussForwardRun});
    commands.append({"gauss-inverse", "高斯投影反算: 点号,x,y → 点号,B,L (ddd.mmss)", [](QCommandLineParser &p) {
                         AddEllipsoidOptions(p, "", "");
                         AddZoneOptions(p);
                         AddStreamOptions(p);
                     },
                     GaussInverseRun});
    commands.append({"zone-change", "坐标换带: 点号,x,y (原投影带) → 点号,x,y (新投影带)", [](QCommandLineParser &p) {
                         AddEllipsoidOptions(p, "", "");
                         p.addOption({"central-meridian", "原投影带中央子午线 (ddd.mmss), 默认 0", "dms", "0"});
                         p.addOption({"y-constant", "原投影带Y坐标加常数 (m), 默认 500000", "m", "500000"});
                         p.addOption({"to-central-meridian", "新投影带中央子午线 (ddd.mmss), 默认 0", "dms", "0"});
                         p.addOption({"to-y-constant", "新投影带Y坐标加常数 (m), 默认 500000", "m", "500000"});
                         AddStreamOptions(p);
                     },
                     ZoneChangeRun});
    commands.append({"compensation", "抵偿高程面投影变换: 点号,x,y (原椭球) → 点号,x,y (新椭球)",
                     [](QCommandLineParser &p) {
                         AddEllipsoidOptions(p, "", "原");
                         p.addOption({"y-constant", "Y坐标加常数 (m), 含带号时一并给出, 默认 500000", "m", "500000"});
                         p.addOption({"a2", "新椭球长半轴 a2 (m); 不给时由测区条件求出", "m"});
                         p.addOption({"b2", "新椭球短半轴 b2 (m)", "m"});
                         p.addOption({"mean-latitude", "测区平均纬度 (ddd.mmss), 默认 0", "dms", "0"});
                         p.addOption({"distance", "测区距中央子午线 (m), 默认 0", "m", "0"});
                         p.addOption({"height", "测区平均高程 (水准高, m), 默认 0", "m", "0"});
                         p.addOption({"height-anomaly", "测区平均高程异常值 (m), 默认 0", "m", "0"});
                         p.addOption({"compensation-height", "抵偿面大地高 (m); 默认按测区条件求出", "m", "0"});
                         AddStreamOptions(p);
                     },
                     CompensationRun});
    commands.append({"datum", "椭球间坐标转换 (七参数): 点号,x,y,H 或 点号,B,L,H", [](QCommandLineParser &p) {
                         p.addOption({"from", "原坐标: plane (高斯平面) 或 geodetic (大地坐标)", "kind"});
                         p.addOption({"to", "新坐标: plane 或 geodetic", "kind"});
                         AddEllipsoidOptions(p, "", "原");
                         AddEllipsoidOptions(p, "to-", "新");
                         p.addOption({"central-meridian", "中央子午线 (ddd.mmss); 平面到平面时为原坐标系的, 默认 0", "dms", "0"});
                         p.addOption({"to-central-meridian", "平面到平面时新坐标系的中央子午线, 默认同原坐标系", "dms"});
                         p.addOption({"y-constant", "原平面坐标的Y常数 (m), 默认 500000", "m", "500000"});
                         p.addOption({"to-y-constant", "新平面坐标的Y常数 (m), 默认 500000", "m", "500000"});
                         p.addOption({"height-anomaly", "原坐标系测区高程异常 (m), 默认 0", "m", "0"});
                         p.addOption({"to-height-anomaly", "新坐标系测区高程异常 (m), 默认 0", "m", "0"});
                         p.addOption({"parameters", "七参数文件 (DX,DY,DZ,WX,WY,WZ,K)", "file"});
                         p.addOption({"common", "公共点文件 (点号,老x/B,y/L,H,新x/B,y/L,H), 由它解算七参数", "file"});
                         p.addOption({"residuals", "写出带残差的公共点文件", "file"});
                         p.addOption({"save-parameters", "写出解算的七参数文件", "file"});
                         AddStreamOptions(p);
                     },
                     DatumRun});
    commands.append({"plane", "平面相似变换: 点号,x,y,H → 点号,x,y,H", [](QCommandLineParser &p) {
                         p.addOption({"parameters", "四参数文件 (Dx,Dy,T(\"),K,Dh)", "file"});
                         p.addOption({"common", "公共点文件 (点号,老x,y,H,新x,y,H), 由它解算四参数", "file"});
                         p.addOption({"residuals", "写出带残差的公共点文件", "file"});
                         p.addOption({"save-parameters", "写出解算的四参数文件", "file"});
                         p.addOption({"two-point", "二公共点文件 (基准点 X',Y',X,Y; 附合点 X',Y',X,Y; 高程 H',H)", "file"});
                         p.addOption({"unit-scale", "二公共点转换: 尺度比置为1"});
                         p.addOption({"yx", "二公共点转换: 输入文件为 点号,Y,X,H"});
                         p.addOption({"cass", "二公共点转换: 输出为Cass格式 (点号,,Y,X,H)"});
                         AddStreamOptions(p);
                     },
                     PlaneRun});
    commands.append(AdjustCommand());
    commands.append(SheetCommand());
    commands.append(NetworkCommand());
    return commands;
}

} // namespace quorvil::cli
