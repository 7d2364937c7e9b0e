#pragma once

#include "document/tocitem.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QString>

// The ".toc" side file of a reflowable book: a JSON array of entry objects
// with the optional keys "Title", "Source" and "Childs" (the nested
// entries), written by the formats and read back by the reading view. An
// empty array, or an empty file, is a book without a table of contents.
//
// Free functions, callable from any thread.
namespace TocFile {

// Deepest nesting kept when building or reading a tree; deeper entries are
// dropped. Real books stay far below; a hostile one must not exhaust the
// stack.
constexpr int maxDepth = 32;

// The EPUB and MOBI ".toc" file of a book: in its storage folder, named
// after the digest of the book path.
QString path(const QString &bookFilePath);

QJsonArray toJson(const QList<TocItem> &items);
// Missing keys read as empty; values of the wrong type are ignored.
QList<TocItem> fromJson(const QJsonArray &array);
// The file's text: the array as indented JSON in UTF-8.
QByteArray serialize(const QList<TocItem> &items);

// Reads a ".toc" file. An empty file gives an empty list and success; a
// missing or damaged file gives false with a message in errorMessage.
bool read(const QString &filePath, QList<TocItem> *items, QString *errorMessage = nullptr);

// Writes the text whole or not at all (an interrupted write leaves the old
// file or none). Unless replace is set, an existing file is left as it is
// and the call succeeds.
bool write(const QString &filePath, const QByteArray &text, bool replace,
           QString *errorMessage = nullptr);

} // namespace TocFile
