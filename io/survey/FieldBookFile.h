// The files of the field book: the book itself (CSV or Leica GSI, core/fieldbook/FieldBookText.h),
// the known points (点名,X,Y,H) and the observation file the reduction writes for the network
// (io/survey/ObservationFile.h): [参数] with the grade and the a priori errors of the grade,
// [已知点] the known points the book observes, [方向] the stations' reduced directions (d.mmss,
// seconds to 0.01″) with the reduced distance on the row, and [三角高程] the trigonometric height
// differences with their horizontal distances (weights 1/D²).
#pragma once

#include "core/fieldbook/FieldBookLines.h"
#include "io/survey/ObservationFile.h"

#include <QString>
#include <QStringList>

namespace quorvil {

// Reads and parses a field book (UTF-8 or GB18030). Throws FileError, Error.
fieldbook::FieldBook ReadFieldBook(const QString &path);
fieldbook::FieldBook ParseFieldBookBytes(const QByteArray &bytes);

// Reads the known points: 点名,X,Y[,H] a line, X and Y may be empty for a benchmark. Throws
// FileError, Error naming the line.
std::vector<fieldbook::KnownPoint> ReadKnownPoints(const QString &path);
std::vector<fieldbook::KnownPoint> ParseKnownPoints(const QStringList &lines);

// The lines of the observation file.
QStringList FieldBookObservationLines(const fieldbook::Reduction &reduction, const SurveyHeader &header);
// Writes it (GB18030, CR LF, atomically). Throws FileError.
void WriteFieldBookObservations(const QString &path, const fieldbook::Reduction &reduction, const SurveyHeader &header);

} // namespace quorvil
