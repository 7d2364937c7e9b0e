#pragma once

#include <QString>

class TextViewer;

// The book the reading-frame tests read, written by the test: three
// chapters in an EPUB. The first runs over several pages, the second fits
// on one, the third holds a link into the first chapter ("inside"), one to
// a web page ("web") and a mail link ("mail").
namespace ReadingFixture {

QString chapter(int number, int paragraphs);
bool writeBook(const QString &path, const QString &title);

// Waits until the viewer's pages are counted.
bool waitForPages(TextViewer *viewer, int timeout = 20000);

} // namespace ReadingFixture
