#pragma once

#include <QString>

class QWebFrame;

// Loading one file of a book into a page, the same way in the text viewer
// and in the pagination helper, so that both lay out the same document.
namespace BookFile {

// True for a file named as XHTML (".xhtml", ".xht", ".xml") that does not
// read as well-formed XML. Entities the file does not declare (an XHTML
// "&nbsp;") do not count: the web engine knows them.
bool isMalformedXhtml(const QString &path);

// Loads the file into frame; loadFinished() follows as for any load. A
// malformed XHTML file is read as HTML, as browsers read such books: the
// XML reader would show its error box in place of the text.
void load(QWebFrame *frame, const QString &path);

} // namespace BookFile
