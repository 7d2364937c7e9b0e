#pragma once

#include <QString>

namespace divad {

// Reads and writes one section of an INI file the way the reader's settings
// have always been kept: "[section]" headers and "key=value" lines in UTF-8,
// section and key names matched without regard to ASCII case, a missing
// file or key giving the caller's default. Every read opens the file anew
// and every write replaces it whole once the new copy is complete, so a
// crash mid-write never leaves a half file. Made on the stack for each
// access; user-interface thread.
class CIniFile
{
public:
    CIniFile() = default;
    CIniFile(const QString &fileName, const QString &section) { Open(fileName, section); }

    // A fileName without "/" names a file in the reader's data folder
    // (ProgramFolderFile); otherwise it is the path itself.
    CIniFile &Open(const QString &fileName, const QString &section);

    // Null for an empty key; "0" for a missing one; else the value.
    QString ReadString(const QString &key) const;
    // Nothing for an empty key. Line breaks in value become spaces.
    void WriteString(const QString &key, const QString &value) const;
    // defaultValue for an empty or missing key; else the leading integer of
    // the value (0 when it has none).
    int ReadInt(const QString &key, int defaultValue) const;
    int ReadInt0(const QString &key) const { return ReadInt(key, 0); }
    void WriteInt(const QString &key, int value) const;
    void WriteBool(const QString &key, bool flag) const { WriteInt(key, flag ? 1 : 0); }
    bool ReadBool(const QString &key) const { return ReadInt0(key) != 0; }

    QString FilePath() const { return m_filePath; }
    QString Section() const { return m_section; }

    // Larger files are read only this far: settings never come near it.
    static constexpr qint64 MaximumFileBytes = 4 * 1024 * 1024;

private:
    // The raw value, or a null string when the key is missing.
    QString lookup(const QString &key) const;

    QString m_filePath;
    QString m_section;
};

// One-call accessors of "cfg.ini" in the reader's data folder.
QString ReadSettingString(const QString &section, const QString &key);
void WriteSettingString(const QString &section, const QString &key, const QString &value);
void WriteSettingInt(const QString &section, const QString &key, int value);
int ReadSettingInt(const QString &section, const QString &key);
int ReadSettingIntDefault(const QString &section, const QString &key, int defaultValue);

} // namespace divad
