#include "io/IniFile.h"

#include "core/Error.h"
#include "io/FileAccess.h"
#include "io/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorvil {

namespace {

QString SectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (t.startsWith(u'[') && t.endsWith(u']'))
        return t.mid(1, t.size() - 2).trimmed();
    return {};
}

QString &SettingsPathOverride()
{
    static QString path;
    return path;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path))
{
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(m_path);
    } catch (const FileAccessError &e) {
        // No file yet: no settings. One that cannot be read is not replaced by ours on saving.
        m_unreadable = e.step() != FileAccessError::Step::Missing;
        return;
    }
    const QString text = DecodeText(bytes);
    m_lines = text.split(u'\n');
    for (QString &line : m_lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

bool IniFile::find(const QString &section, const QString &key, qsizetype *line, QString *value) const
{
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString &text = m_lines.at(i);
        const QString name = SectionName(text);
        if (!name.isEmpty()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = text.indexOf(u'=');
        if (eq < 0)
            continue;
        if (text.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            if (line)
                *line = i;
            if (value)
                *value = text.mid(eq + 1);
            return true;
        }
    }
    return false;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    QString value;
    return find(section, key, nullptr, &value) ? value : defaultValue;
}

int IniFile::readInt(const QString &section, const QString &key, int defaultValue) const
{
    QString value;
    if (!find(section, key, nullptr, &value))
        return defaultValue;
    bool ok = false;
    const int number = value.trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInt(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    qsizetype line = -1;
    if (find(section, key, &line, nullptr)) {
        m_lines[line] = key + u'=' + value;
        return;
    }
    // Append the key at the end of its section, creating the section if needed.
    qsizetype sectionStart = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (SectionName(m_lines.at(i)).compare(section, Qt::CaseInsensitive) == 0) {
            sectionStart = i;
            break;
        }
    if (sectionStart < 0) {
        m_lines.append(u'[' + section + u']');
        m_lines.append(key + u'=' + value);
        return;
    }
    qsizetype insertAt = sectionStart + 1;
    for (qsizetype i = sectionStart + 1; i < m_lines.size(); ++i) {
        if (!SectionName(m_lines.at(i)).isEmpty())
            break;
        if (!m_lines.at(i).trimmed().isEmpty())
            insertAt = i + 1;
    }
    m_lines.insert(insertAt, key + u'=' + value);
}

void IniFile::writeInt(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::save() const
{
    QString text;
    for (const QString &line : m_lines)
        text += line + QLatin1String("\r\n");
    const QByteArray bytes = EncodeText(text);
    // The user's configuration folder may not exist yet.
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // A settings file that exists but could not be read is not replaced by our sections alone.
    bool ok = !m_unreadable;
    if (ok) {
        try {
            WriteFileAtomically(m_path, bytes);
        } catch (const FileAccessError &) {
            ok = false;
        }
    }
    if (!ok)
        throw Error(("Unable to write to " + QDir::toNativeSeparators(QFileInfo(m_path).absoluteFilePath())).toStdString());
}

QString SettingsFilePathFor(const QString &programFolder, const QString &configFolder)
{
    // An installed program (its files in ../share/quorvil) keeps its settings in the user's
    // configuration folder, as every desktop program does, even where the user may write to the
    // program's folder; so does one whose folder is not writable. A program run from its build
    // folder or from an unpacked folder keeps them beside itself.
    const QString name = QStringLiteral("Quorvil.ini");
    const bool installed = !programFolder.isEmpty() && QFileInfo(QDir(programFolder).filePath(QStringLiteral("../share/quorvil"))).isDir();
    if (!programFolder.isEmpty() && !installed && QFileInfo(programFolder).isWritable())
        return QDir(programFolder).filePath(name);
    return QDir(configFolder).filePath(name);
}

QString SettingsFilePath()
{
    if (!SettingsPathOverride().isEmpty())
        return SettingsPathOverride();
    return SettingsFilePathFor(QCoreApplication::applicationDirPath(),
                               QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

void SetSettingsFilePath(const QString &path)
{
    SettingsPathOverride() = path;
}

} // namespace quorvil
