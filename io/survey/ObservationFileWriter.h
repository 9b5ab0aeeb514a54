// Writing Quorvil's observation file (io/survey/ObservationFile.h describes it) from a network,
// so that the file reads back as the same network: every observation with its own standard
// deviation, direction sets apart by blank lines, the report header in [参数].
#pragma once

#include "io/survey/ObservationFile.h"

#include <QStringList>

namespace quorvil {

// The head of a file: its comment line, [参数] and the report header's lines (commas in the texts
// made full-width, so that they stay one field).
QStringList ObservationHeadLines(const QString &comment, const SurveyHeader &header);

// The lines of the file. Throws Error for what the file cannot hold: constrained heights (a free
// levelling network), observed coordinates, axes other than x north and y east, or angles counted
// anticlockwise; such a network is saved as a gama-local file.
QStringList ObservationFileLines(const SurveyFile &file);

// Writes the file (GB18030, CR LF, atomically). Throws Error, FileError.
void WriteObservationFile(const QString &path, const SurveyFile &file);

} // namespace quorvil
