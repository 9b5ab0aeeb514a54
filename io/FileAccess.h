// The one way the program reads a whole file and writes one: reading takes the file whole or not at
// all; writing goes to a temporary file beside the target that replaces it only once every byte is
// written (QSaveFile), so a save that fails leaves the old file whole.
//
// A failure throws FileAccessError, whose what() is the general text of the point files ("File not
// found", "Disk full", "I/O error n"). It also says which step failed and the system's and Qt's
// reasons, so that a reader or writer with messages of its own (drawings, Office packages,
// settings, the command line) words the same failure its own way.
#pragma once

#include "io/FileErrors.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QSaveFile;

namespace quorvil {

class FileAccessError : public FileError {
public:
    enum class Step {
        Missing, // reading: the file does not exist; writing: its folder does not exist
        Open,
        Read,
        Write,
        Commit, // the written file could not replace the old one
    };
    FileAccessError(Step step, int systemError, int deviceError, QString reason);

    Step step() const { return m_step; }
    // errno as the failing call left it (0 when it set none).
    int systemError() const { return m_systemError; }
    // QFileDevice::FileError of the file after the failing call.
    int deviceError() const { return m_deviceError; }
    // Qt's description of the failure (QIODevice::errorString()).
    const QString &reason() const { return m_reason; }

private:
    Step m_step;
    int m_systemError;
    int m_deviceError;
    QString m_reason;
};

// The bytes of the file at `path`. Throws FileAccessError (Missing, Open or Read).
QByteArray ReadWholeFile(const QString &path);

// ReadWholeFile for a file the user chose in a window: a failure is the FileError the windows
// show ("File not found", "I/O error N").
QByteArray ReadChosenFile(const QString &path);

// Writes `bytes` as the file at `path` atomically. Throws FileAccessError (Missing, Open, Write or
// Commit); the old file, if any, is then as it was.
void WriteFileAtomically(const QString &path, const QByteArray &bytes);

// The same in pieces, for output too large to hold at once: opened by the constructor, written
// piece by piece, and in place only after commit(). Dropped without commit() (or after cancel()),
// it leaves no file behind and an old file as it was.
class AtomicFileWriter {
public:
    // Throws FileAccessError (Missing or Open).
    explicit AtomicFileWriter(const QString &path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // Throws FileAccessError (Write).
    void write(const QByteArray &bytes);
    // Throws FileAccessError (Commit).
    void commit();
    void cancel();

private:
    std::unique_ptr<QSaveFile> m_file;
};

} // namespace quorvil
