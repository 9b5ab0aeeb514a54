// The encoding of the tables the command line writes. A file or a pipe gets the bytes of the
// windows' files (GB18030), so that what a script saves opens in the windows and in the other
// programs of the field; a terminal gets the encoding of its locale (UTF-8 but on a GB18030 or GBK
// locale), so that the Chinese of a table shown there reads. --output-encoding chooses either.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvil::cli {

enum class OutputEncoding { Gb18030, Utf8 };

// The names --output-encoding takes.
inline const char *const Gb18030Name = "gb18030";
inline const char *const Utf8Name = "utf-8";

// The encoding of the locale's character set: GB18030 for GB18030, GBK and GB2312, else UTF-8.
OutputEncoding LocaleEncoding();

// The encoding of a table written to `path` ("-" is standard output): `chosen` (a name above)
// when given; for standard output on a terminal, the locale's; otherwise GB18030.
OutputEncoding OutputEncodingFor(const QString &path, const QString &chosen);

// The name of the encoding for QStringEncoder.
const char *EncoderName(OutputEncoding encoding);

// A table written as the windows write it (GB18030) in `encoding`.
QByteArray Recoded(const QByteArray &gb18030, OutputEncoding encoding);

} // namespace quorvil::cli
