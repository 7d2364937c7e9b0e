#pragma once

#include <QByteArray>
#include <QString>

class QDomDocument;

// Builds a QDomDocument from the XML of a book (a FictionBook, an EPUB
// container, package, contents or chapter file) with the same parser and
// the same result as QDomDocument::setContent(), but refuses a document
// nested deeper than a limit. Both the parser and the tree recurse once per
// level, so a file nested some ten thousand levels deep (directly or through
// a DTD entity that expands into elements) would otherwise exhaust the stack.
//
// Free functions, callable from any thread.
namespace DomLoader {

// Deepest element nesting a book's markup needs, with a wide margin.
constexpr int maxDepth = 512;

enum class Result {
    Loaded,
    Malformed, // no well-formed XML
    TooDeep, // well-formed as far as it was read, but nested deeper than allowed
};

// As QDomDocument::setContent() of the bytes: the encoding comes from the
// byte-order mark or the XML declaration. Unless the result is Loaded,
// errorMessage, line and column (each optional) say where it failed, and the
// document holds no more than what was read before.
Result load(QDomDocument *document, const QByteArray &bytes, bool namespaceProcessing,
            int depthLimit = maxDepth, QString *errorMessage = nullptr, int *line = nullptr,
            int *column = nullptr);
// The same for text already decoded.
Result load(QDomDocument *document, const QString &text, bool namespaceProcessing,
            int depthLimit = maxDepth, QString *errorMessage = nullptr, int *line = nullptr,
            int *column = nullptr);

} // namespace DomLoader
