#pragma once

#include <QSet>
#include <QString>

// The one place where a name stored in an archive (ZIP, RAR, 7z, library
// package) becomes a path on disk. Every extraction goes through join(), so
// no archive can write outside the folder it is unpacked into.
namespace ArchivePath {

// The entry name with "\" turned into "/" and "." steps and doubled
// separators removed; a trailing "/" (a folder entry) is kept. A null
// string when the name is unsafe: empty, absolute ("/x", "//server/x"), with
// a drive letter ("C:x"), with a ".." step, or holding a NUL character.
QString clean(const QString &entryName);

// folder + "/" + clean(entryName), or a null string when the name is unsafe
// or the result would not lie inside folder: also when an existing folder
// on the way is a link that points elsewhere. A folder entry ("images/")
// gives a path ending in "/". The folder itself must not be a hostile
// link; it is the caller's own storage folder.
//
// checkedFolders, when given, remembers the folders already found safe, so
// that unpacking many entries into the same folders looks at each folder
// once. Only pass it while nothing but the caller changes the folder.
QString join(const QString &folder, const QString &entryName,
             QSet<QString> *checkedFolders = nullptr);

} // namespace ArchivePath
