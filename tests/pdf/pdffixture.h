#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

// PDF files made in the test: text pages written with QPdfWriter, then
// rotated, given an outline, information or encryption by qpdf.
namespace pdffixture {

struct OutlineItem
{
    QString title;
    int page = 1;
    QList<OutlineItem> children;
};

struct Changes
{
    // Page number (1-based) to its /Rotate value.
    QMap<int, int> rotations;
    QList<OutlineItem> outline;
    // Points the last top-level item's /Next back at the first and the
    // first item's /First at itself, as hostile files do.
    bool cyclicOutline = false;
    // Every page's media box, when valid.
    QSizeF pageSize;
    QString author;
    // The title as raw bytes of a PDF string, when not empty.
    QByteArray rawTitle;
    QString userPassword;
    QString ownerPassword;
};

// Pages of the given size, each with "Page N" at the top, a line of words
// and a filled box in a corner (so a render is never blank). The title is
// set when given.
bool writeTextPdf(const QString &path, int pages, const QString &title = QString(),
                  const QPageSize &size = QPageSize(QSizeF(612, 792), QPageSize::Point));

// One page for each entry, its lines written one under the other (and the
// corner box of writeTextPdf).
bool writeLinesPdf(const QString &path, const QList<QStringList> &pages,
                   const QPageSize &size = QPageSize(QSizeF(612, 792), QPageSize::Point));

// Writes input with the changes applied to output.
bool rewrite(const QString &input, const QString &output, const Changes &changes);

// A copy of input cut to a share of its length.
bool truncated(const QString &input, const QString &output, double share);

// The real PDF manuals installed on this machine (Debian documentation
// packages), uncompressed into folder when gzipped.
QStringList installedManuals(const QString &folder);

} // namespace pdffixture
