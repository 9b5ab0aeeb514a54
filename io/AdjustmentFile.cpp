#include "AdjustmentFile.h"

#include "PointFile.h"

namespace quorvil {

namespace {

QString CountLineText(const QString &line)
{
    return QStringLiteral("数据文件格式错误：第2行应为新点的个数（0或正整数），而不是“%1”！").arg(line);
}

// A line with nothing in its fields: blank lines and empty records (",,,") after the last
// station are what editors and spreadsheets leave, not stations.
bool IsBlankLine(const QString &line)
{
    for (QChar c : line)
        if (!c.isSpace() && c != u',')
            return false;
    return true;
}

} // namespace

AdjustmentData ReadAdjustmentFile(const QString &path, const AdjustmentFileLayout &layout)
{
    const QStringList lines = ReadTextLines(path);
    if (lines.size() < 2)
        throw AdjustmentFileError(
            QStringLiteral("数据文件格式错误：文件只有%1行，缺少表头行或新点个数行！").arg(lines.size()).toStdString());

    AdjustmentData data;
    data.header = SplitFields(lines[0], AdjustmentHeaderFields, QString());

    const QString countText = lines[1].trimmed();
    bool isInteger = false;
    const int count = countText.toInt(&isInteger, 10);
    if (!isInteger || count < 0)
        throw AdjustmentFileError(CountLineText(lines[1]).toStdString());
    data.count = count;

    const qint64 needed = 2 + static_cast<qint64>(layout.pointLines) + count + layout.observationExtra;
    if (lines.size() < needed)
        throw AdjustmentFileError(QStringLiteral("数据文件格式错误：新点个数为%1，文件应至少有%2行，实际只有%3行！")
                                      .arg(count)
                                      .arg(needed)
                                      .arg(lines.size())
                                      .toStdString());

    // The station lines must be as many as the count asks for: a file with more was written for
    // another traverse, or its count was not updated, and would adjust into nonsense.
    qsizetype last = lines.size();
    while (last > needed && IsBlankLine(lines[last - 1]))
        --last;
    if (last > needed)
        throw AdjustmentFileError(QStringLiteral("第 2 行: 新点个数为 %1，但文件中有 %2 个测站行")
                                      .arg(count)
                                      .arg(last - 2 - layout.pointLines)
                                      .toStdString());

    int line = 2;
    for (int i = 0; i < layout.pointLines; ++i)
        data.points.append(SplitFields(lines[line++], layout.pointFields, QString()));
    const int observations = count + layout.observationExtra;
    data.observations.reserve(observations);
    for (int i = 0; i < observations; ++i)
        data.observations.append(SplitFields(lines[line++], layout.observationFields, QString()));
    return data;
}

QStringList AdjustmentFileLines(const AdjustmentData &data)
{
    QStringList lines;
    lines.reserve(2 + data.points.size() + data.observations.size());
    lines.append(data.header.join(u','));
    lines.append(QString::number(data.count));
    for (const QStringList &point : data.points)
        lines.append(point.join(u','));
    for (const QStringList &observation : data.observations)
        lines.append(observation.join(u','));
    return lines;
}

void WriteAdjustmentFile(const QString &path, const AdjustmentData &data)
{
    WriteTextLines(path, AdjustmentFileLines(data));
}

} // namespace quorvil
