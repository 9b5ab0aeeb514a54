// Reads a .docx back with an independent reader (python-docx under /usr/bin/python3) for the
// report tests: the paragraphs of body, headers and footers, and table 1 as Word addresses it.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

namespace quorvil::test {

// True when /usr/bin/python3 can import docx; tests skip with a clear message otherwise.
inline bool DocxReaderAvailable()
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import docx")});
    return python.waitForFinished(60000) && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0;
}

inline const char *DocxReaderMissing = "python3-docx is not installed (/usr/bin/python3 -c 'import docx' fails)";

struct DocxContents {
    QString error; // empty when read
    QJsonObject json;

    int rowCount() const { return int(json.value("table").toArray().size()); }
    QJsonObject row(int row) const { return json.value("table").toArray().at(row - 1).toObject(); }
    // Cell (row, column) from 1, as Word addresses it.
    QJsonObject cell(int r, int column) const { return row(r).value("cells").toArray().at(column - 1).toObject(); }
    QString text(int row, int column) const { return cell(row, column).value("text").toString(); }
    QString vmerge(int row, int column) const { return cell(row, column).value("vmerge").toString(); }
    QStringList strings(const char *key) const
    {
        QStringList out;
        for (const QJsonValue &v : json.value(key).toArray())
            out += v.toString();
        return out;
    }
};

inline DocxContents ReadDocx(const QString &path)
{
    DocxContents contents;
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/support/read_docx.py"), path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        contents.error = QStringLiteral("python-docx could not read %1: %2").arg(path, QString::fromUtf8(python.readAllStandardError()));
        return contents;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(python.readAllStandardOutput(), &error);
    if (error.error != QJsonParseError::NoError)
        contents.error = error.errorString();
    contents.json = doc.object();
    return contents;
}

} // namespace quorvil::test
