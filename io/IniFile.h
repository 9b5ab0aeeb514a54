// The settings file: a Windows-style initialisation file of [section] lines and key=value lines.
//
// Private-profile semantics: values are kept verbatim (no quoting, no lists), other sections and
// keys are kept as they are, a missing file or key reads as the default, and a write creates the
// file, the section and the key as needed. Saved atomically.
#pragma once

#include <QString>
#include <QStringList>

namespace quorvil {

class IniFile {
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    int readInt(const QString &section, const QString &key, int defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInt(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);

    // Writes the file; throws Error("Unable to write to <path>") on failure.
    void save() const;

private:
    bool find(const QString &section, const QString &key, qsizetype *line, QString *value) const;

    QString m_path;
    QStringList m_lines;
    bool m_unreadable = false; // the file exists but could not be read: never overwrite it
};

// "Quorvil.ini" beside the executable when that folder is writable and the program is not an
// installed one (no ../share/quorvil beside its folder), otherwise in the user's configuration
// folder. Tests may point it elsewhere with SetSettingsFilePath.
QString SettingsFilePath();
// The rule behind SettingsFilePath, for a program in `programFolder`.
QString SettingsFilePathFor(const QString &programFolder, const QString &configFolder);
void SetSettingsFilePath(const QString &path);

} // namespace quorvil
