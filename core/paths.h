#pragma once

#include <QCryptographicHash>
#include <QRegExp>
#include <QString>
#include <QStringList>

// The per-user folders of the program and the helpers that name, hash, find
// and remove files in them. Stateless free functions, callable from any
// thread. The folder functions create the folder when it is missing and
// return the path even when it could not be made: the caller meets the
// failure when it writes there.
namespace Paths {

// <home>/.<application name>, native separators.
QString appHomeDir();
// <application home>/books, forward slashes.
QString booksDir();
// Storage folder of one book: <books>/<hashHex(key)>, native separators.
QString bookPath(const QString &key);
// <application home>/data, native separators.
QString dataDir();
// <application home>/Import, native separators.
QString importDir();
// <application home>/log, native separators.
QString logDir();
// <application home>/tmp, absolute path with forward slashes.
QString tmpDir();
// The folder for temporary and decrypted files: <system temp>/.<application
// name>-<user id>/cache, forward slashes. Both levels are made with mode
// 0700 and must be real folders owned by the user (a looser mode of the
// user's own is tightened). When that path is taken (another user's folder,
// a link), a fresh private folder under the system temp is used instead, the
// same one for the rest of the process, removed at exit.
QString cacheDir();

// True when the folder exists or could be made.
bool ensureDir(const QString &path);

// MD5 of the UTF-8 bytes of text, 32 lower-case hexadecimal digits.
QString hashHex(const QString &text);

// Base64 of the digest of the file's contents, "" when the file cannot be
// read. The file is streamed: books can be larger than memory allows.
QString fileHash(const QString &path, QCryptographicHash::Algorithm algorithm);

// Text after the last "." in lower case; the whole name when there is none.
QString fileSuffix(const QString &fileName);

// A fresh UUID as 32 lower-case hexadecimal digits.
QString uuidName();

// A path in folder under which nothing exists yet: name, (1)name, (2)name...
QString uniqueFileName(const QString &folder, const QString &fileName);

// First entry below folder whose path contains relativePath (separators
// and case ignored), or "".
QString findFile(const QString &folder, const QString &relativePath);

// First, in case-insensitive order, of the entries below folder whose path
// matches pattern, or "".
QString findFileMatching(const QString &folder, const QRegExp &pattern);

// Removes the folder and everything in it. Symbolic links are removed as
// links; what they point to is never touched. False at the first entry that
// cannot be removed (the rest stays in place).
bool removeDir(const QString &path);

// A name for the temporary file that becomes path once it is complete: in
// the same folder (so that a rename puts it in place), short whatever the
// length of path's own name (which may take all the file system allows),
// and marked as a leftover for removePartFiles().
QString partFilePath(const QString &path);

// Removes the temporary files of writes that never completed (see
// partFilePath()) below folder. Answers how many went.
int removePartFiles(const QString &folder);

// QFile::remove on each path, ignoring failures.
void removeFiles(const QStringList &paths);

} // namespace Paths
