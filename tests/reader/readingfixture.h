#pragma once

#include <QList>
#include <QString>

class TextViewer;
class TextViewerInput;

// The book the reading-frame tests read, written by the test: three
// chapters in an EPUB. The first runs over several pages, the second fits
// on one, the third holds a link into the first chapter ("inside"), one to
// a web page ("web") and a mail link ("mail").
namespace ReadingFixture {

QString chapter(int number, int paragraphs);
bool writeBook(const QString &path, const QString &title);

// Waits until the viewer's pages are counted.
bool waitForPages(TextViewer *viewer, int timeout = 20000);

// Turns pages forward (or back) as a reader does, one turn at a time, until
// a turn changes nothing or limit turns are taken; answers the book-wide
// page after each turn, starting with the page before the first.
QList<int> walk(TextViewerInput *input, bool forward, int limit);
// Waits until no file of the book is loading.
bool waitForFile(TextViewer *viewer, int timeout = 10000);

} // namespace ReadingFixture
