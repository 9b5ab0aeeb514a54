#include "SettingsFiles.h"

#include "PointStream.h"

#include "core/Error.h"
#include "core/TextForms.h"

namespace quorvil::cli {

void FileFailure(const QString &path, const std::string &what) { throw Error(path.toStdString() + ": " + what); }

QStringList SettingsLines(const QString &path)
{
    try {
        return ReadTextLines(path);
    } catch (const Error &e) {
        FileFailure(path, e.what());
    }
}

std::vector<std::string> ParameterTexts(const QString &path, int count)
{
    const QStringList lines = SettingsLines(path);
    const QStringList fields = SplitFields(lines.isEmpty() ? QStringView() : QStringView(lines.first()), count);
    std::vector<std::string> texts;
    for (const QString &f : fields)
        texts.push_back(f.toStdString());
    return texts;
}

PointCells CommonCells(const QString &path)
{
    try {
        return ReadPointCells(path, 7);
    } catch (const Error &e) {
        FileFailure(path, e.what());
    }
}

Real CellNumberAt(const QString &path, const PointCells &cells, int row, int column)
{
    try {
        return TextToNumber(cells.cells[static_cast<size_t>(row) * cells.fieldCount + column].toStdString());
    } catch (const Error &e) {
        FileFailure(path, "第 " + std::to_string(row + 1) + " 行: " + e.what());
    }
}

std::string JoinTexts(std::span<const std::string> texts)
{
    std::string line;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i)
            line += ',';
        line += texts[i];
    }
    return line;
}

void WriteLines(const QString &path, const QStringList &lines, OutputEncoding encoding)
{
    LineWriter writer;
    for (const QString &line : lines)
        writer.addLine(line);
    WriteOutput(path, Recoded(writer.bytes(), encoding));
}

void WriteCommonWithResiduals(const QString &path, const PointCells &cells,
                              const std::vector<std::array<std::string, 3>> &residuals, OutputEncoding encoding)
{
    QStringList lines;
    for (int r = 0; r < cells.rows; ++r) {
        QStringList fields;
        for (int c = 0; c < cells.fieldCount; ++c)
            fields += cells.cells[static_cast<size_t>(r) * cells.fieldCount + c];
        for (const std::string &t : residuals[static_cast<size_t>(r)])
            fields += QString::fromStdString(t);
        lines += fields.join(u',');
    }
    WriteLines(path, lines, encoding);
}

} // namespace quorvil::cli
