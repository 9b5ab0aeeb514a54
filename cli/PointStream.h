// Streaming conversion of a point file: the input is read in blocks of whole lines, the blocks are
// converted on a pool of worker threads (one per core), and their results are written in input
// order as they become ready. Memory stays bounded by the blocks in flight, whatever the size of
// the file.
//
// The lines are those of the windows' "文件导入": comma-separated fields, CR LF or LF, UTF-8 when
// the whole input is valid UTF-8 (a byte-order mark is skipped), otherwise GB18030; missing
// fields read as "0" (or empty), extra fields are dropped, blank lines are rows too. The output is
// what the window's "数据另存" writes: GB18030 (or the encoding chosen, OutputEncoding.h), CR LF,
// no header.
#pragma once

#include "OutputEncoding.h"

#include "core/PointConversions.h"

#include <QString>

namespace quorvil::cli {

// Exit statuses of the program.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1;   // a bad line, a file that cannot be read or written
inline constexpr int ExitBadUsage = 2; // bad options
inline constexpr int ExitOverLimit = 3; // adjust --check: a closure over its limit

struct StreamOptions {
    QString input;  // a path, or "-" for standard input
    QString output; // a path, or "-" for standard output
    bool keepGoing = false;          // write the good rows, list the bad ones, instead of stopping
    QString missingField = QStringLiteral("0"); // a field a line lacks
    bool swapFirstTwo = false;       // the file holds the second coordinate before the first
    bool cassOutput = false;         // CASS coordinate lines: name, empty code, y, x, H
    int threads = 0;                 // 0: one per core
    QString encoding;                // "utf-8" or "gb18030" forces the input's encoding
    OutputEncoding outputEncoding = OutputEncoding::Gb18030;
};

// Converts the whole input. Messages go to standard error: for a bad line "第 N 行: <message>",
// with N counted from 1. Without keepGoing the first bad line ends the run with ExitFailed and no
// output file is left (a file that existed stays as it was). With keepGoing every bad line is
// listed, the good rows are written and the status is ExitFailed if any line was bad.
int RunPointStream(const PointConversion &conversion, const StreamOptions &options);

// Writes bytes to a path atomically, or to standard output for "-". Throws FileError.
void WriteOutput(const QString &path, const QByteArray &bytes);

// The whole input file, or standard input for "-" (the subcommands that read a file whole).
// Throws Error: "文件不存在", "无法读取文件", "无法读取标准输入".
QByteArray ReadInput(const QString &input);

} // namespace quorvil::cli
