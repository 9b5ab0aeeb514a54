// The text encodings of DXF files, for the reader and the writer. A file of DXF R2007 or later is
// UTF-8; an older one is in the code page its header declares ($DWGCODEPAGE), under any of the
// names writers use for it, with \U+XXXX escapes for characters outside it.
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <string>

namespace quorvil::dxf {

// The codec of a DXF code page name under the names writers use ("ANSI_936", "DOS850", "8859_1",
// "ISO8859-1", "UTF-8"...); empty for a name it does not know.
QByteArray CodecOf(const QString &codePage);

// Replaces the \U+XXXX escapes of DXF text by their characters.
QString Unescape(QString s);

// Decodes the text values of a file being read.
class TextDecoder {
public:
    // UTF-8 for DXF R2007 and later; otherwise the declared code page, or for files that declare
    // none, UTF-8 when the bytes are valid UTF-8 and GB18030 when not.
    // A declared code page of an unknown name is read as Windows-1252.
    void configure(bool utf8, const QString &codePage);
    void guessFrom(bool validUtf8) { m_guessUtf8 = validUtf8; }

    QString decode(const std::string &bytes) const;

    // The texts of a UTF-8 file beyond ASCII: whether its declared code page holds them all.
    mutable QSet<QString> nonAscii;

private:
    bool m_utf8 = false;
    bool m_guessUtf8 = true;
    QByteArray m_codec;
    mutable QStringDecoder m_decoder;
    mutable QByteArray m_decoderName;
};

// Encodes text for a file in `codePage`: what the code page cannot hold is written as \U+XXXX.
class TextEncoder {
public:
    explicit TextEncoder(const QString &codePage);

    // Whether the code page holds all of `text`, without escapes.
    bool holds(const QString &text) const { return !m_name.isEmpty() && (m_name == "UTF-8" || !convert(text).isEmpty()); }

    std::string encode(const QString &text) const;

private:
    // The text in the code page, or nothing when the code page lacks some of it: encoders put a
    // substitute for what it lacks, which only a round trip tells.
    QByteArray convert(const QString &text) const;

    QByteArray m_name;
    mutable QStringEncoder m_encoder;
    mutable QStringDecoder m_decoder;
};

} // namespace quorvil::dxf
