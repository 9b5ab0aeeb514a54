// The settings files of the datum and plane transformations: parameter files, common-point files
// and the common points saved with their residuals, read and written as the windows' "导入参数",
// "文件导入", "保存参数" and "保存公共点" do. A file that cannot be read is named in the message.
#pragma once

#include "OutputEncoding.h"

#include "core/Real.h"
#include "io/PointFile.h"

#include <QString>
#include <QStringList>

#include <array>
#include <span>
#include <string>
#include <vector>

namespace quorvil::cli {

// An error of a settings file, with the file named.
[[noreturn]] void FileFailure(const QString &path, const std::string &what);

// The lines of a settings file.
QStringList SettingsLines(const QString &path);

// The first line of a parameter file split into `count` texts, a missing one "0".
std::vector<std::string> ParameterTexts(const QString &path, int count);

// A common-point file of seven fields a line (name, three old values, three new values); the
// cells of every line, as the common-point table holds them after "文件导入".
PointCells CommonCells(const QString &path);

// The number in a cell of a common-point file; a bad text is named with its line.
Real CellNumberAt(const QString &path, const PointCells &cells, int row, int column);

// Texts joined by commas, as a parameter file holds them.
std::string JoinTexts(std::span<const std::string> texts);

// Writes lines (CR LF) to a file or "-" in `encoding`.
void WriteLines(const QString &path, const QStringList &lines, OutputEncoding encoding);

// The common-point table saved with its residuals ("保存公共点"): ten fields a line.
void WriteCommonWithResiduals(const QString &path, const PointCells &cells,
                              const std::vector<std::array<std::string, 3>> &residuals, OutputEncoding encoding);

} // namespace quorvil::cli
