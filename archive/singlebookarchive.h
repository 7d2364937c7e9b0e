#pragma once

#include <QString>

// A book packed alone in a ".zip" or ".7z" file: the library stores the
// unpacked book, and the reader opens such a file as the book inside it.
// Callable from any thread (7z calls take the 7-Zip client's lock).
namespace SingleBookArchive {

// Whether the path names a ZIP or 7z file (by its suffix, any letter case).
bool isArchive(const QString &path);

// The lower-case suffix of the archive's only entry ("epub"; empty for a
// name without a dot). A null string when the archive holds more or fewer
// than one entry, or cannot be read: then problem, when given, says why in
// plain words ("the archive is encrypted"), and stays empty for an archive
// that simply holds more or fewer entries.
QString entrySuffix(const QString &archivePath, QString *problem = nullptr);

// The bytes the archive's entries declare they unpack to; -1 when it cannot
// be read.
qint64 unpackedSize(const QString &archivePath);

// Unpacks the archive's only entry below folder and answers the path of the
// file written; a null string when nothing usable was written (problem
// says why). A file already there is replaced.
QString unpack(const QString &archivePath, const QString &folder, QString *problem = nullptr);

// Unpacks the only entry into the archive's own storage folder (an
// "archive" folder inside it), where the reader opens it. The entry keeps
// its stored time, so the same archive unpacks to the same file and the
// book's own unpacked files stay fresh. Unfinished files of an earlier
// unpack that was cut short go first.
QString unpackForReading(const QString &archivePath, QString *problem = nullptr);

} // namespace SingleBookArchive
