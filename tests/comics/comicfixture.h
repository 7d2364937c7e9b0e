#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QSize>
#include <QString>

// Comic books for the tests: pages whose colour tells their number, packed
// as CBZ (ZIP) or CBR (RAR 4) by the tests' own archive writers.
namespace ComicFixture {

// A picture of the page in its own colour, encoded in format ("PNG",
// "JPG").
QByteArray page(int number, const QSize &size = QSize(60, 90), const char *format = "PNG");
// The page number a picture made by page() shows; 0 for any other picture.
int pageOf(const QImage &image);
// A PNG header that declares a picture of size (the data is never there).
QByteArray hugePicture(const QSize &size);

using Entries = QList<QPair<QString, QByteArray>>;
// Pages "p001.png", "p002.png" ...: their names in page order.
Entries pages(int count, const QSize &size = QSize(60, 90), const char *format = "PNG");
// Written as a ZIP (deflated) or a RAR (stored) archive by the path's
// ending (".cbz" or ".cbr").
bool write(const QString &path, const Entries &entries);

} // namespace ComicFixture
