// Data files of the adjustment tools (traverses and levelling routes).
//
// Comma-separated text in the encodings and line ends of the point files, one record per line:
//  1. the header: project name, grade, computed by, checked by, date;
//  2. n, the number of new points, a decimal integer;
//  3. the lines of the known points (a fixed count per tool);
//  4. the observation lines, n + a fixed extra count per tool.
// Cells are written as they stand in the table, untrimmed; a line with fewer fields than its
// record leaves the missing fields empty, a line with more loses the rest.
//
// Reading is complete before anything is handed back: a file that cannot be read, whose count
// line is not a whole number of 0 or more, or whose station lines are fewer or more than its count
// asks for (blank lines at the end aside) is refused with a message, so the window that asked
// stays exactly as it was.
#pragma once

#include "core/Error.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace quorvil {

// The shape of one tool's data file.
struct AdjustmentFileLayout {
    int pointLines = 2;        // known-point lines after the count line
    int pointFields = 3;       // fields of a known-point line (name, X, Y; levelling: name, height)
    int observationExtra = 1;  // the file holds n + observationExtra observation lines
    int observationFields = 3; // fields of an observation line (name, angle, distance; levelling:
                               // name, weight, difference)
};

inline constexpr int AdjustmentHeaderFields = 5;

struct AdjustmentData {
    QStringList header;             // the five header fields
    int count = 0;                  // n, the number of new points
    QList<QStringList> points;      // layout.pointLines lines of layout.pointFields fields
    QList<QStringList> observations; // count + layout.observationExtra lines of observationFields
};

// A data file whose content does not fit its layout.
class AdjustmentFileError : public Error {
public:
    using Error::Error;
};

// Reads and checks a whole data file. Throws FileError or AdjustmentFileError.
AdjustmentData ReadAdjustmentFile(const QString &path, const AdjustmentFileLayout &layout);

// The lines of a data file, in order (without line ends).
QStringList AdjustmentFileLines(const AdjustmentData &data);

// Writes a data file atomically. Throws FileError.
void WriteAdjustmentFile(const QString &path, const AdjustmentData &data);

} // namespace quorvil
