#include "standalone/settings/cinifile.h"

#include "standalone/util/ansi.h"
#include "standalone/util/strutil.h"
#include "standalone/web/constants.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace divad {

namespace {

    QStringList readLines(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.read(CIniFile::MaximumFileBytes);
        QString text = QString::fromUtf8(bytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        QStringList lines = text.split(QLatin1Char('\n'));
        for (QString &line : lines) {
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
        }
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    bool sameName(const QString &a, const QString &b)
    {
        return Ansi::upperAsciiText(a.trimmed()) == Ansi::upperAsciiText(b.trimmed());
    }

    // The section name of a "[name]" line, or a null string for any other line.
    QString sectionOf(const QString &line)
    {
        const QString trimmed = line.trimmed();
        if (!trimmed.startsWith(QLatin1Char('[')))
            return QString();
        const int close = trimmed.indexOf(QLatin1Char(']'));
        return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
    }

    bool splitEntry(const QString &line, QString *key, QString *value)
    {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            return false;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            return false;
        *key = line.left(equals).trimmed();
        *value = line.mid(equals + 1).trimmed();
        return true;
    }

} // namespace

CIniFile &CIniFile::Open(const QString &fileName, const QString &section)
{
    m_filePath = fileName.contains(QLatin1Char('/')) ? fileName : ProgramFolderFile(fileName);
    m_section = section;
    return *this;
}

QString CIniFile::lookup(const QString &key) const
{
    bool inSection = false;
    for (const QString &line : readLines(m_filePath)) {
        const QString section = sectionOf(line);
        if (!section.isNull()) {
            inSection = sameName(section, m_section);
            continue;
        }
        QString name, value;
        if (inSection && splitEntry(line, &name, &value) && sameName(name, key))
            return value.isNull() ? QLatin1String("") : value;
    }
    return QString();
}

QString CIniFile::ReadString(const QString &key) const
{
    if (key.isEmpty())
        return QString();
    const QString value = lookup(key);
    return value.isNull() ? QStringLiteral("0") : value;
}

int CIniFile::ReadInt(const QString &key, int defaultValue) const
{
    if (key.isEmpty())
        return defaultValue;
    const QString value = lookup(key);
    return value.isNull() ? defaultValue : ParseInt(value);
}

void CIniFile::WriteInt(const QString &key, int value) const
{
    WriteString(key, QString::number(value));
}

void CIniFile::WriteString(const QString &key, const QString &value) const
{
    if (key.isEmpty() || m_filePath.isEmpty())
        return;
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString entry = key + QLatin1Char('=') + clean;

    QStringList lines = readLines(m_filePath);
    int sectionLine = -1;
    int lastEntryLine = -1; // last line that belongs to the section
    bool written = false;
    bool inSection = false;
    for (int i = 0; i < lines.size() && !written; ++i) {
        const QString section = sectionOf(lines.at(i));
        if (!section.isNull()) {
            if (inSection)
                break;
            inSection = sameName(section, m_section);
            if (inSection) {
                sectionLine = i;
                lastEntryLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        QString name, old;
        if (splitEntry(lines.at(i), &name, &old) && sameName(name, key)) {
            lines[i] = entry;
            written = true;
        } else if (!lines.at(i).trimmed().isEmpty()) {
            lastEntryLine = i;
        }
    }
    if (!written) {
        if (sectionLine < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines << QString();
            lines << QLatin1Char('[') + m_section + QLatin1Char(']') << entry;
        } else {
            lines.insert(lastEntryLine + 1, entry);
        }
    }

    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning("divad: cannot write %s: %s", qUtf8Printable(m_filePath),
                 qUtf8Printable(file.errorString()));
        return;
    }
    file.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    if (!file.commit())
        qWarning("divad: cannot write %s: %s", qUtf8Printable(m_filePath),
                 qUtf8Printable(file.errorString()));
}

QString ReadSettingString(const QString &section, const QString &key)
{
    return CIniFile(ProgramFolderFile(Const::CfgIni), section).ReadString(key);
}

void WriteSettingString(const QString &section, const QString &key, const QString &value)
{
    CIniFile(ProgramFolderFile(Const::CfgIni), section).WriteString(key, value);
}

void WriteSettingInt(const QString &section, const QString &key, int value)
{
    CIniFile(ProgramFolderFile(Const::CfgIni), section).WriteInt(key, value);
}

int ReadSettingInt(const QString &section, const QString &key)
{
    return CIniFile(ProgramFolderFile(Const::CfgIni), section).ReadInt0(key);
}

int ReadSettingIntDefault(const QString &section, const QString &key, int defaultValue)
{
    return CIniFile(ProgramFolderFile(Const::CfgIni), section).ReadInt(key, defaultValue);
}

} // namespace divad
