// The option readers the subcommands share: numbers, angles and ellipsoids read as the windows
// read their fields, the choices, and the options of the point streams.
#include "Commands.h"

#include "core/TextForms.h"

namespace quorvil::cli {

namespace {

const QStringList EllipsoidNames = {"krassovsky", "iag75", "cgcs2000", "wgs84"};

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
    return ReadOption(m_parser, name, [](const std::string &t) { return StrictTextToNumber(t); });
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

OutputEncoding Options::outputEncoding(const QString &path) const
{
    return OutputEncodingFor(path, isSet("output-encoding") ? choice("output-encoding", {Gb18030Name, Utf8Name}) : QString());
}

void AddOutputEncodingOption(QCommandLineParser &parser)
{
    parser.addOption({"output-encoding",
                      "写出表格的编码: gb18030 或 utf-8 (默认: 写到终端时按区域设置, 一般为 UTF-8; "
                      "写到文件或管道时为 GB18030, 与窗口写出的文件逐字节相同)",
                      "name"});
}

void AddStreamOptions(QCommandLineParser &parser)
{
    parser.addOption({"keep-going", "遇到错误行时继续: 写出正确的行, 在标准错误上列出错误行 (退出状态 1)"});
    parser.addOption({"threads", "计算线程数 (默认: 每个处理器核一个)", "n"});
    parser.addOption({"input-encoding",
                      "输入文件的编码: utf-8 或 gb18030 (默认: 整个文件是有效的 UTF-8 时为 UTF-8, 否则为 GB18030; "
                      "标准输入按第一块含非 ASCII 字符的数据判断)",
                      "name"});
    AddOutputEncodingOption(parser);
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
    s.outputEncoding = o.outputEncoding(s.output);
    return s;
}

} // namespace quorvil::cli
