#pragma once

#include "document/imagedocument.h"

#include <QStringList>

#include <memory>

class ArchiveReader;

namespace comics {

// A comic book kept as an archive of page pictures: ".cbz" (ZIP) and
// ".cbr" (RAR), read through the archive reader that ArchiveReader::create()
// picks for the path. Opening lists the archive once; a page picture is
// made only when asked for, by extracting its entry into the book's
// storage folder and decoding it. Positions are page numbers.
//
// Pages are the archive's pictures in the order of their names compared
// without regard to letter case (p10.jpg before p2.jpg, as the names say).
// Folder entries, files that are no pictures by their ending (an
// information file, a thumbnail database) and the resource forks some
// packers add are not pages.
//
// load(), search and the navigation run on the thread that owns the
// document. pageImage() and pageImages() may also run on pool threads,
// several at once, while no load() runs: they only read what load() made.
// Nothing decoded is kept: every request extracts and decodes again.
class ComicDocument : public ImageDocument
{
    Q_OBJECT
public:
    explicit ComicDocument(QObject *parent = nullptr);
    ~ComicDocument() override;

    // Opens the comic. False, with lastError() saying why in plain words,
    // when it has no page that can be shown: the archive does not open, is
    // refused (encrypted, one volume of a set, a bomb), holds no pictures,
    // or none of them can be decoded. The current page and the column
    // count are left as they were.
    bool load(const QString &filePath) override;
    // The picture of a page; null for a page outside the comic, an entry
    // that does not extract, and data that is no picture or declares more
    // pixels than the book may decode (TextDocument::decodeImage()).
    QImage pageImage(int page) override;
    // Both pages of the two-page view, decoded within one pixel budget.
    QPair<QImage, QImage> pageImages(int first, int second) override;
    int pageCount() override;
    bool isValidPage(int page) override;

    // A page number typed as the search text: one hit that goes there.
    QList<SearchResult> search(const QString &text) override;
    // Goes to the page of that number.
    void setPageByPosition(int position) override;
    // One entry per page.
    QList<TocItem> tableOfContents() override;
    // "Page %1".
    QString titleByPosition(int position) override;
    int pageByPosition(int position) override;
    // Whole percent, truncated; 0 for a comic without pages.
    int calcProgressByPage(const int page) const override;
    float progress() override;
    int currentPosition() override;
    bool isLoaded() override;

    // The file name up to its first dot, "_" shown as " ".
    QString title() const;
    // The first page: the cover. Null without pages.
    QImage renderPage();
    QString lastError() const { return m_lastError; }
    QString filePath() const { return m_filePath; }
    // The archive entry of each page, from page 1.
    QStringList pageNames() const { return m_pages; }
    // Whether an entry name is taken as a page.
    static bool isPageName(const QString &entryName);

private:
    Q_DISABLE_COPY_MOVE(ComicDocument)

    // Extracts the page's entry into a folder of its own below the
    // storage folder and reads it back; the folder goes again at once, so
    // requests on several threads never meet and no page is left on disk.
    QByteArray pageData(int page) const;
    QImage decodePage(int page, qint64 *pixelBudget) const;

    QString m_filePath;
    QStringList m_pages;
    std::unique_ptr<ArchiveReader> m_reader;
    qint64 m_pixelBudget = 0;
    QString m_lastError;
    bool m_loaded = false;
};

} // namespace comics
