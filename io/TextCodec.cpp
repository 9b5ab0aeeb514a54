#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvil {

namespace {

bool IsValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
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

} // namespace

QString DecodeText(const QByteArray &bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom)) {
        const QByteArray body = bytes.mid(3);
        if (IsValidUtf8(body))
            return QString::fromUtf8(body);
    } else if (IsValidUtf8(bytes)) {
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
