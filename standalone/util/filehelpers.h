#pragma once

#include <QString>
#include <QStringList>

// Free functions on file paths, file sizes, mounted drives and a plain copy.
// Paths are Qt text with "/" as the separator; "first" and "last" count whole
// characters, so a name is never cut inside one. Stateless; any thread.
namespace divad {

// Text before the last "/"; "" when there is none; "/" for a file in the root.
QString FolderOfPath(const QString &path);
// Text after the last "/"; the whole path when there is none.
QString FileNameOfPath(const QString &path);
// Text before the last "."; the whole path when there is none.
QString StripExtension(const QString &path);
// Text after the last "."; "" when there is none.
QString ExtensionOf(const QString &path);
// FileNameOfPath(FolderOfPath(path)).
QString ParentFolderName(const QString &path);
// folder + "/" + name with one separator between them; an empty side gives
// the other, and name after the root folder "/" gives "/name".
QString JoinPath(const QString &folder, const QString &name);

// True when something (file or folder) exists at path.
bool FileExists(const QString &path);
// Length of the file, 0 when it cannot be opened; FileSize saturates at the
// largest 32-bit value instead of wrapping.
quint32 FileSize(const QString &path);
qint64 FileSize64(const QString &path);

// Same path when equal after ASCII letters are upper-cased and a trailing
// "/" is added to each side longer than 2 bytes. Characters beyond ASCII are
// compared exactly.
bool SamePath(const QString &a, const QString &b);
bool PathsDiffer(const QString &a, const QString &b);
// True when text is longer than one byte and holds a "/".
bool LooksLikePath(const QString &text);

// The mounted drives the reader can copy to: the root folders of the ready
// file systems that hold real devices (no /proc, /sys and the like), in
// order.
QStringList ListDriveLetters();
// True when the drive mounted at root sits on a removable device.
bool IsRemovableDrive(const QString &root);

// Copies files (and folders with what they hold). One destination that is a
// folder, or one destination for several sources, is the folder every source
// goes into (made when missing); otherwise each source goes to the
// destination at the same position. An existing target
// file is replaced only once its new copy is complete. False when a list
// is empty, the lists do not pair up, or any copy fails (the copies made so
// far stay).
bool CopyFilesTo(const QStringList &sources, const QStringList &destinations);

} // namespace divad
