#include "io/FileAccess.h"

#include "io/FileErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace quorvil {

namespace {

std::string GeneralMessage(FileAccessError::Step step, int systemError)
{
    using Step = FileAccessError::Step;
    if (step == Step::Missing)
        return FileError::NotFound().what();
    if ((step == Step::Write || step == Step::Commit) && systemError == ENOSPC)
        return FileError::DiskFull().what();
    return FileError::Io(systemError ? systemError : 5).what();
}

[[noreturn]] void Fail(FileAccessError::Step step, int systemError, const QFileDevice &file)
{
    throw FileAccessError(step, systemError, int(file.error()), file.errorString());
}

} // namespace

FileAccessError::FileAccessError(Step step, int systemError, int deviceError, QString reason)
    : FileError(GeneralMessage(step, systemError)), m_step(step), m_systemError(systemError), m_deviceError(deviceError),
      m_reason(std::move(reason))
{
}

QByteArray ReadWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw FileAccessError(FileAccessError::Step::Missing, ENOENT, int(QFileDevice::OpenError),
                              QString::fromLocal8Bit(std::strerror(ENOENT)));
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        Fail(FileAccessError::Step::Open, errno, file);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        Fail(FileAccessError::Step::Read, errno, file);
    return bytes;
}

void WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    AtomicFileWriter file(path);
    file.write(bytes);
    file.commit();
}

AtomicFileWriter::AtomicFileWriter(const QString &path) : m_file(std::make_unique<QSaveFile>(path))
{
    errno = 0;
    if (!m_file->open(QIODevice::WriteOnly)) {
        const int code = errno;
        const bool folder = QFileInfo(path).absoluteDir().exists();
        Fail(folder ? FileAccessError::Step::Open : FileAccessError::Step::Missing, code, *m_file);
    }
}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::write(const QByteArray &bytes)
{
    errno = 0;
    if (m_file->write(bytes) != bytes.size()) {
        const int code = errno;
        const FileAccessError error(FileAccessError::Step::Write, code, int(m_file->error()), m_file->errorString());
        m_file->cancelWriting();
        throw error;
    }
}

void AtomicFileWriter::commit()
{
    errno = 0;
    if (!m_file->commit())
        Fail(FileAccessError::Step::Commit, errno, *m_file);
}

void AtomicFileWriter::cancel() { m_file->cancelWriting(); }

QByteArray ReadChosenFile(const QString &path)
{
    try {
        return ReadWholeFile(path);
    } catch (const FileAccessError &e) {
        if (e.step() == FileAccessError::Step::Missing)
            throw FileError::NotFound();
        throw FileError::Io(e.deviceError());
    }
}

} // namespace quorvil
