// Text encodings of the files the program exchanges with other surveying software.
//
// Files are written in GB18030 (a superset of GBK, the code page of Chinese Windows). On reading,
// bytes that are valid UTF-8 (with or without a byte-order mark) are taken as UTF-8, anything else
// as GB18030, so files from both worlds open with their Chinese point names intact.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvil {

QString DecodeText(const QByteArray &bytes);
QByteArray EncodeText(const QString &text);

bool IsValidUtf8(const char *data, qsizetype size);

// Decodes pieces of one file (fields, lines) in the encoding chosen once for the whole file.
class PieceDecoder {
public:
    explicit PieceDecoder(const QByteArray &wholeFile);
    qsizetype bomLength() const { return m_bom; }
    QString decode(const char *data, qsizetype size);

private:
    bool m_utf8;
    qsizetype m_bom = 0;
    QStringDecoder m_gb;
};

// Appends text known to be plain ASCII, one byte a character.
void AppendAscii(QByteArray &out, QStringView text);

// Appends `text` to `out` in the file encoding (GB18030; plain ASCII is copied as it is).
void AppendEncoded(QByteArray &out, QStringView text, QStringEncoder &encoder);

} // namespace quorvil
