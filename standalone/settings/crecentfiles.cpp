#include "standalone/settings/crecentfiles.h"

#include "standalone/settings/cinifile.h"
#include "standalone/util/ansi.h"
#include "standalone/util/strutil.h"
#include "standalone/web/constants.h"

namespace divad {

namespace {

    const QString section = QStringLiteral("recentfiles");
    const QString clearKey = QStringLiteral("flagclearbeforeexit");

    CIniFile openProfile(const QString &iniPath)
    {
        return CIniFile(iniPath.isEmpty() ? ProgramFolderFile(Const::CfgIni) : iniPath, section);
    }

    QString fileKey(int position)
    {
        return QStringLiteral("file") + QString::number(position);
    }

} // namespace

CRecentFiles::CRecentFiles()
{
    for (int i = 0; i < Capacity; ++i)
        m_files << QString();
}

void CRecentFiles::Add(const QString &path)
{
    const QString upper = Ansi::upperAsciiText(path);
    for (int i = 0; i < Capacity && i < m_files.size(); ++i) {
        if (Ansi::upperAsciiText(m_files.at(i)) == upper) {
            m_files.removeAt(i);
            break;
        }
    }
    m_files.insert(0, path);
    // Entries past the fifth are never seen again; do not let them pile up.
    while (m_files.size() > Capacity)
        m_files.removeLast();
}

void CRecentFiles::ClearAll()
{
    for (int i = 0; i < Capacity; ++i)
        m_files[i].clear();
}

QString CRecentFiles::GetAt(int position) const
{
    return m_files.at(qBound(0, position, Capacity - 1));
}

int CRecentFiles::CountUsed() const
{
    int used = 0;
    for (int i = 0; i < Capacity; ++i) {
        if (m_files.at(i).toUtf8().size() > 2)
            ++used;
    }
    return used;
}

void CRecentFiles::Load(const QString &iniPath)
{
    const CIniFile profile = openProfile(iniPath);
    m_clearOnExit = profile.ReadInt0(clearKey) != 0;
    for (int i = 0; i < Capacity; ++i)
        m_files[i] = profile.ReadString(fileKey(i));
}

void CRecentFiles::Save(const QString &iniPath) const
{
    const CIniFile profile = openProfile(iniPath);
    profile.WriteString(clearKey, m_clearOnExit ? QStringLiteral("1") : QStringLiteral("0"));
    for (int i = 0; i < Capacity; ++i)
        profile.WriteString(fileKey(i), m_clearOnExit ? QString() : m_files.at(i));
}

CRecentFiles &recentFiles()
{
    static CRecentFiles files;
    return files;
}

} // namespace divad
