// Text encodings of the files the program exchanges with other surveying software.
//
// Files are written in GB18030 (a superset of GBK, the code page of Chinese Windows). On reading,
// bytes that are valid UTF-8 (with or without a byte-order mark) are taken as UTF-8, anything else
// as GB18030, so files from both worlds open with their Chinese point names intact.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvil {

QString DecodeText(const QByteArray &bytes);
QByteArray EncodeText(const QString &text);

} // namespace quorvil
