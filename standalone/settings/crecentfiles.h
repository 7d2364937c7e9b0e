#pragma once

#include <QString>
#include <QStringList>

namespace divad {

// The five books read last, most recent first, kept in the section
// "recentfiles" of "cfg.ini" ("file0" ... "file4" and
// "flagclearbeforeexit"). Paths that differ only in ASCII letter case are
// one book. One process-wide instance (recentFiles()); tests make their own.
// User-interface thread.
class CRecentFiles
{
public:
    static constexpr int Capacity = 5;

    CRecentFiles();

    // Puts path at the front, dropping an earlier entry of the same book.
    void Add(const QString &path);
    // Empties the five entries; the clear-on-exit option stays.
    void ClearAll();
    // The entry at position, clamped to 0 ... 4.
    QString GetAt(int position) const;
    // Entries among the five that hold a path (more than 2 bytes).
    int CountUsed() const;
    bool ClearOnExit() const { return m_clearOnExit; }
    void SetClearOnExit(bool clear) { m_clearOnExit = clear; }

    // From and to "cfg.ini" in the data folder, or iniPath when given.
    void Load(const QString &iniPath = QString());
    void Save(const QString &iniPath = QString()) const;

private:
    QStringList m_files;
    bool m_clearOnExit = false;
};

CRecentFiles &recentFiles();

} // namespace divad
