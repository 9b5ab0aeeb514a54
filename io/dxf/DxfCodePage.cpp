#include "io/dxf/DxfCodePage.h"

#include "io/TextCodec.h"

#include <QRegularExpression>

#include <cstdio>

namespace quorvil::dxf {

QByteArray CodecOf(const QString &codePage)
{
    QString cp = codePage.trimmed().toUpper();
    cp.remove(u' ');
    static const struct {
        const char *page;
        const char *codec;
    } table[] = {
        {"ANSI_936", "GBK"},          {"ANSI_950", "Big5"},           {"ANSI_932", "windows-31j"},
        {"ANSI_949", "windows-949"},  {"ANSI_874", "windows-874"},    {"ANSI_1361", "windows-949"},
        {"DOS932", "windows-31j"},    {"DOS936", "GBK"},              {"DOS949", "windows-949"},
        {"DOS950", "Big5"},           {"DOS874", "windows-874"},      {"GB2312", "GBK"},
        {"GBK", "GBK"},               {"GB18030", "GB18030"},         {"BIG5", "Big5"},
        {"KSC5601", "windows-949"},   {"MACINTOSH", "macintosh"},     {"UTF-8", "UTF-8"},
        {"UTF8", "UTF-8"},            {"ASCII", "windows-1252"},      {"US-ASCII", "windows-1252"},
    };
    for (const auto &row : table)
        if (cp == QLatin1String(row.page))
            return row.codec;
    QByteArray codec;
    static const QRegularExpression iso(QStringLiteral("^(?:ISO)?[-_]?8859[-_](\\d{1,2})$"));
    static const QRegularExpression ansi(QStringLiteral("^(?:ANSI|CP|WINDOWS)[-_]?(125\\d)$"));
    static const QRegularExpression dos(QStringLiteral("^(?:DOS|IBM|CP)[-_]?(\\d{3})$"));
    if (const auto m = iso.match(cp); m.hasMatch())
        codec = "ISO-8859-" + m.captured(1).toLatin1();
    else if (const auto m = ansi.match(cp); m.hasMatch())
        codec = "windows-" + m.captured(1).toLatin1();
    else if (const auto m = dos.match(cp); m.hasMatch())
        codec = "IBM" + m.captured(1).toLatin1();
    if (codec.isEmpty() || !QStringDecoder(codec.constData()).isValid())
        return {};
    return codec;
}

QString Unescape(QString s)
{
    qsizetype at = s.indexOf(QLatin1String("\\U+"), 0, Qt::CaseInsensitive);
    while (at >= 0) {
        bool ok = false;
        const uint code = at + 7 <= s.size() ? s.mid(at + 3, 4).toUInt(&ok, 16) : 0;
        if (ok) {
            s.replace(at, 7, QChar(char16_t(code)));
            ++at;
        } else {
            at += 3;
        }
        at = s.indexOf(QLatin1String("\\U+"), at, Qt::CaseInsensitive);
    }
    return s;
}

void TextDecoder::configure(bool utf8, const QString &codePage)
{
    m_utf8 = utf8;
    m_codec = codePage.trimmed().isEmpty() ? QByteArray() : CodecOf(codePage);
    if (m_codec.isEmpty() && !codePage.trimmed().isEmpty())
        m_codec = "windows-1252";
    if (m_codec == "UTF-8") {
        m_utf8 = true;
        m_codec.clear();
    }
}

QString TextDecoder::decode(const std::string &bytes) const
{
    bool ascii = true;
    for (unsigned char c : bytes)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    QString s;
    if (ascii) {
        s = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    } else if (m_utf8 || (m_codec.isEmpty() && m_guessUtf8 && IsValidUtf8(bytes.data(), qsizetype(bytes.size())))) {
        s = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
        if (m_utf8 && nonAscii.size() < 100000)
            nonAscii.insert(s);
    } else {
        const QByteArray name = m_codec.isEmpty() ? QByteArray("GB18030") : m_codec;
        if (name != m_decoderName) {
            m_decoder = QStringDecoder(name.constData());
            m_decoderName = name;
        }
        m_decoder.resetState();
        s = m_decoder.isValid() ? m_decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())))
                                : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    }
    return s.contains(QLatin1String("\\U+"), Qt::CaseInsensitive) ? Unescape(s) : s;
}

TextEncoder::TextEncoder(const QString &codePage) : m_name(CodecOf(codePage))
{
    if (m_name.isEmpty() && !codePage.trimmed().isEmpty())
        m_name = "windows-1252"; // as an unknown code page is read
    if (!m_name.isEmpty()) {
        m_encoder = QStringEncoder(m_name.constData());
        m_decoder = QStringDecoder(m_name.constData());
    }
}

std::string TextEncoder::encode(const QString &text) const
{
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.toStdString();
    // The whole text at once when the code page holds all of it.
    if (m_name == "UTF-8")
        return text.toStdString();
    if (!m_name.isEmpty()) {
        const QByteArray bytes = convert(text);
        if (!bytes.isEmpty())
            return bytes.toStdString();
    }
    std::string out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out.push_back(char(c.unicode()));
            continue;
        }
        const QByteArray bytes = !m_name.isEmpty() && !c.isSurrogate() ? convert(QString(c)) : QByteArray();
        if (bytes.isEmpty()) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\U+%04X", unsigned(c.unicode()));
            out += escape;
        } else {
            out.append(bytes.constData(), std::size_t(bytes.size()));
        }
    }
    return out;
}

QByteArray TextEncoder::convert(const QString &text) const
{
    m_encoder.resetState();
    m_decoder.resetState();
    QByteArray bytes = m_encoder.encode(text);
    if (m_encoder.hasError() || QString(m_decoder.decode(bytes)) != text)
        return {};
    // Code page 936 readers differ on its single-byte extras (0x80 for the euro sign).
    if (m_name == "GBK" && bytes.contains('\x80'))
        return {};
    return bytes;
}

} // namespace quorvil::dxf
