#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QTextCodec;

// Turns the markup of a MOBI book into HTML that the web-view reader shows:
// internal links, pictures, page breaks and heading anchors. Pure functions
// of their input, callable from any thread.
namespace mobi {

struct Heading
{
    QString title;
    QString id;
};

// Rewrites every <a ... filepos=N> into <a href="#N"> and inserts a target
// <a name="N">&nbsp;</a> at byte N of the text (before the enclosing tag
// when byte N falls inside one). Works on the decompressed bytes, before
// they are decoded, because file positions count bytes. Targets at or past
// the end of the text are left out; their links are still rewritten.
// Runs in one pass: time grows with the text, not with the link count.
QByteArray rewriteFileposLinks(const QByteArray &text);

// File name of picture n (0-based) in the book's storage folder.
QString pictureFileName(int n);

// Replaces each <img ... recindex="K" ...> by a centred picture whose
// source is the file of picture K (the book counts pictures from 1). A
// reference to a picture the book does not have is dropped.
QString rewritePictures(const QString &html, int imageCount);

// "<mbp:pagebreak/>" becomes a paragraph that breaks the page.
QString rewritePageBreaks(const QString &html);

// Inserts <a id="ID">&nbsp;</a> before every <h1>..<h4> element and records
// its title (the heading text without tags, trimmed) and the fresh id.
QString addHeadingAnchors(const QString &html, QList<Heading> *headings);

// All of the above, in order, on the decompressed bytes of a book; the
// bytes are decoded with codec after the links are placed.
QString convertToHtml(const QByteArray &text, QTextCodec *codec, int imageCount,
                      QList<Heading> *headings);

} // namespace mobi
