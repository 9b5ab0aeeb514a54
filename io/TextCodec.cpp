#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvil {

bool IsValidUtf8(const char *data, qsizetype size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    const qsizetype n = size;
    qsizetype i = 0;
    while (i < n) {
        // Fast path over plain ASCII.
        while (i < n && p[i] < 0x80)
            ++i;
        if (i >= n)
            break;
        const unsigned char c = p[i];
        int extra;
        unsigned minimum;
        unsigned code;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, minimum = 0x80, code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, minimum = 0x800, code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, minimum = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

namespace {

bool IsValidUtf8Bytes(const QByteArray &bytes)
{
    return IsValidUtf8(bytes.constData(), bytes.size());
}

bool IsAscii(const char *data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

} // namespace

PieceDecoder::PieceDecoder(const QByteArray &wholeFile) : m_gb("GB18030")
{
    if (wholeFile.startsWith("\xEF\xBB\xBF") && IsValidUtf8(wholeFile.constData() + 3, wholeFile.size() - 3)) {
        m_utf8 = true;
        m_bom = 3;
    } else {
        m_utf8 = IsValidUtf8Bytes(wholeFile);
    }
}

QString PieceDecoder::decode(const char *data, qsizetype size)
{
    if (IsAscii(data, size))
        return QString::fromLatin1(data, size);
    if (m_utf8 || !m_gb.isValid())
        return QString::fromUtf8(data, size);
    m_gb.resetState();
    return m_gb.decode(QByteArrayView(data, size));
}

void AppendAscii(QByteArray &out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *dst = out.data() + start;
    for (qsizetype i = 0; i < text.size(); ++i)
        dst[i] = static_cast<char>(text[i].unicode());
}

void AppendEncoded(QByteArray &out, QStringView text, QStringEncoder &encoder)
{
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        AppendAscii(out, text);
        return;
    }
    if (!encoder.isValid()) {
        out += text.toUtf8();
        return;
    }
    encoder.resetState();
    out += QByteArray(encoder.encode(text));
}

QString DecodeText(const QByteArray &bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom)) {
        const QByteArray body = bytes.mid(3);
        if (IsValidUtf8Bytes(body))
            return QString::fromUtf8(body);
    } else if (IsValidUtf8Bytes(bytes)) {
        return QString::fromUtf8(bytes);
    }
    QStringDecoder decoder("GB18030");
    if (!decoder.isValid())
        return QString::fromLocal8Bit(bytes);
    return decoder.decode(bytes);
}

QByteArray EncodeText(const QString &text)
{
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid())
        return text.toLocal8Bit();
    return encoder.encode(text);
}

} // namespace quorvil
