#pragma once

#include "document/idocument.h"

#include <QColor>
#include <QHash>
#include <QFont>
#include <QImage>
#include <QList>
#include <QMargins>
#include <QRectF>
#include <QSize>
#include <QTextDocument>

// Base of the reflowable books (EPUB, FB2 and plain text, MOBI): the book as
// rich text, cut into pages by the text layout itself. The page size follows
// the view-port size, the column count, the margins and the font; every page
// is one page of the document layout.
//
// Search marks live in the undo history: search() merges a highlight in one
// undo step, and every operation that must show clean text undoes it. A
// format must therefore not leave its own edits on the undo stack (setHtml()
// and setPlainText() clear it).
//
// Lives on the GUI thread; the layout needs a QGuiApplication.
class TextDocument : public QTextDocument, public IDocument
{
    Q_OBJECT
    Q_INTERFACES(IDocument)
public:
    // The outcome of the last load(), in the codes by which the reading view
    // tells the reader why a book does not open.
    enum Status { Ok = 0, Damaged = 1, Protected = 4, TooLarge = 5 };

    explicit TextDocument(QObject *parent = nullptr);
    ~TextDocument() override;

    // Puts the document back to its freshly loaded state; nothing here.
    virtual void reload();
    // Converts the book into the document and its files; false when the
    // book cannot be shown. A plain TextDocument has no book and answers
    // false.
    virtual bool load();
    // Size of an embedded image by its resource name; invalid when unknown.
    virtual QSize imageSize(const QString &name);
    // A Status code; Ok before the first load().
    int status() const { return m_status; }

    QList<SearchResult> search(const QString &text) override;
    void clearSearch() override;
    QList<TocItem> tableOfContents() override;
    QString titleByPosition(int position) override;
    int pageByPosition(int position) override;
    int calcProgressByPage(const int page) const override;
    int currentPage() override;
    // 0 for an empty document, else the layout's page count.
    int pageCount() override;
    float progress() override;
    int currentPosition() override;
    int columnCount() override;
    TextViewer *viewer() override;

    // The web view that shows this document; set by the reading view right
    // after creating it. Not owned.
    void setViewer(TextViewer *viewer);

    // Position of the first hit of (0.0, y) where y is the top of page;
    // -1 when the layout has nothing there.
    int calcPositionByPage(int page) const;
    // Position of the first anchor named name (exact match); 0 when there is
    // none or the name is empty.
    int findAnchorBlock(const QString &name) const;
    // The position findAnchorBlock() answers for every anchor name of the
    // document, found in one pass: a book of thousands of contents entries
    // looks them up here rather than reading the document once per entry.
    QHash<QString, int> anchorPositions() const;

    // Title of the contents section that holds position, looking at the
    // entries in their order: the entry at or before it, the first entry
    // before the first one; "" without entries.
    static QString titleOfSection(const QList<TocItem> &entries, int position);
    // An embedded picture, decoded only when the size its header declares
    // is one the reader is willing to allocate; a null image otherwise, and
    // for data that is no picture. With pixelBudget, also null when the
    // picture has more pixels than are left in it; the pixels decoded are
    // taken from it. Callable from any thread.
    static QImage decodeImage(const QByteArray &data, qint64 *pixelBudget = nullptr);
    // The one check behind the decoders here: whether a picture whose
    // header declares size may be decoded, and with pixelBudget whether it
    // fits what is left in it (the pixels are then taken from it).
    static bool allowPictureSize(const QSize &size, qint64 *pixelBudget = nullptr);
    // A picture read to fit within bound (its aspect kept, never enlarged),
    // under the same header check as decodeImage(); a null image when the
    // check fails or the data is no picture. Formats that can decode at a
    // smaller size (JPEG) never hold the full picture. Callable from any
    // thread.
    static QImage decodeScaledImage(QIODevice *device, const QSize &bound,
                                    qint64 *pixelBudget = nullptr);
    static QImage decodeScaledImage(const QString &path, const QSize &bound,
                                    qint64 *pixelBudget = nullptr);
    // The pixels all the pictures of one book may decode to together, for
    // decodeImage(): a floor that a few of the largest pictures fit, more
    // for a larger book file (bookBytes).
    static qint64 pictureBudget(qint64 bookBytes);

    QColor backgroundColor() const { return m_backgroundColor; }
    QColor highlightColor() const { return m_highlightColor; }
    QColor fontColor() const { return m_fontColor; }
    QMargins margins() const { return m_margins; }
    QFont font() const { return m_font; }
    QSize viewPortSize() const { return m_viewPortSize; }

signals:
    void columnCountChanged(int count);
    void beginPageChanged();
    void pageChanged();
    void endPageChanged();
    void beginResizePage();
    void endResizePage();
    void endCleanSearch();

public slots:
    // Stores the page without a range check and signals.
    void setPage(int newPage) override;
    void setPageByProgress(float progress);
    void setPageByPosition(int position) override;
    void setPageByBlockNumber(int blockNumber);
    // Stores the count as given, lays the pages out again and signals.
    void setColumnCount(int count) override;
    void setViewPortSize(const QSize &size) override;
    void setBackgroundColor(const QColor &clr);
    void setHighlightColor(const QColor &color);
    void setFontColor(const QColor &clr);
    // The margins and the font take effect at the next re-layout.
    void setMargings(const QMargins &margings);
    void setFont(const QFont &f);
    void next();
    void previous();
    void layoutPageCountChanged(int newPageCount);
    void resetHighlight();
    virtual void reloadImages();
    void moveToHome() override;
    void moveToEnd() override;

protected:
    void setStatus(int status) { m_status = status; }
    // Lays the pages out for the current size, columns, margins and font and
    // keeps the reader on the same text.
    void updateLayout();
    // Rectangle of the character at position in document coordinates.
    QRectF characterRect(int position) const;

    QList<TocItem> m_tableOfContents;

private:
    Q_DISABLE_COPY_MOVE(TextDocument)

    // Undoes the last search marks, if any.
    void removeSearchMarks();

    int m_status = Ok;
    int m_columnCount = 1;
    int m_currentPage = 1;
    int m_layoutPageCount = -1;
    int m_savedPosition = 0;
    QColor m_backgroundColor;
    QColor m_highlightColor;
    QColor m_fontColor;
    QSize m_viewPortSize = QSize(-1, -1);
    QMargins m_margins;
    QFont m_font;
    bool m_searchCleared = true;
    TextViewer *m_viewer = nullptr;
};
