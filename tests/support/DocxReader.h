// Reads a .docx back with an independent reader (python-docx under /usr/bin/python3) for the
// report tests: the paragraphs of body, headers and footers, and table 1 as Word addresses it.
#pragma once

#include "support/ProcessRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace quorvil::test {

// True when /usr/bin/python3 can import docx; tests skip with a clear message otherwise.
inline bool DocxReaderAvailable() { return PythonHasModule(QStringLiteral("docx")); }

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
    const ProgramRun python = RunPythonProgram({QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/support/read_docx.py"), path});
    if (python.status != 0) {
        contents.error = QStringLiteral("python-docx could not read %1: %2").arg(path, python.diagnosis());
        return contents;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(python.out, &error);
    if (error.error != QJsonParseError::NoError)
        contents.error = error.errorString();
    contents.json = doc.object();
    return contents;
}

} // namespace quorvil::test
