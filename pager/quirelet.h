#pragma once

#include "pagination/paginationblock.h"
#include "pagination/paginationrequest.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class BookPage;
class QPrinter;

// The pagination helper: attached to one viewer's shared block, it takes each
// request, lays the book's HTML files out in a hidden web page with the page
// script, and writes the page counts, the pages of the requested positions and
// the search hits back. A print request prints the laid-out pages instead.
// The widget itself is never shown.
//
// The page is a BookPage, under the very policy of the viewer's page: the
// book's scripts never run, and it reaches nothing but the book's own files
// and the program's resources.
//
// Test switch: when the environment variable QUIRELET_PRINT_TO_PDF names a
// file, a print request prints into that PDF file without showing the print
// dialog.
class quirelet : public QWidget
{
    Q_OBJECT

public:
    // Exit codes of the helper process.
    enum class ExitCode { ParentGone = 0, NoKey = 2, NoBlock = 3, BlockLost = 4 };

    explicit quirelet(const QString &key, QWidget *parent = nullptr);
    ~quirelet() override;

    bool isAttached() const { return m_block.isAttached(); }

    // The process whose end ends the helper: by default the parent at
    // construction. main() sets the parent it saw before the slow start of
    // the application, so that a viewer that dies meanwhile is still noticed.
    void setParentProcessId(qint64 pid) { m_parentId = pid; }
    // The parent process now; 0 where the platform has no such notion.
    static qint64 parentProcessId();
    QString lastError() const { return m_block.lastError(); }

    // The request loop: polls the block every 100 ms and answers each new
    // request. Returns only when the helper must end: its parent process has
    // gone, or the block can no longer be used.
    ExitCode run();

    // The work of one request, without the block: lays the book of request
    // out (or prints it) and fills in its results. Answers the keys of the
    // search hits in book order.
    QStringList answer(PaginationRequest &request);

private:
    Q_DISABLE_COPY_MOVE(quirelet)

    void handle(quint32 number, PaginationRequest &request);
    void applySettings(const PaginationRequest &request);
    // Loads one file into the page and waits for it; false when the file is
    // missing or did not load.
    bool loadDocument(BookPage *page, const QString &name);
    // The page script's wrappers around the loaded file, and the page's
    // layout let go.
    void wrap(BookPage *page) const;
    QString layoutScript() const;
    QString paginateScript(int width, int height, int columns) const;
    // Fills in the page counts, positions and search hits; answers the keys
    // of the hits in book order.
    QStringList paginate(BookPage *page, PaginationRequest &request);
    // Prints the book; false when the user cancelled the print dialog.
    bool print(BookPage *page, const PaginationRequest &request);
    void printPages(BookPage *page, const PaginationRequest &request, QPrinter *printer);
    void bringToFront(QWidget *widget);
    // The serialised reply, with search hits dropped from the end of the book
    // until it fits the block and the shortfall marked in it; empty when even
    // that does not help.
    QByteArray fittedReply(PaginationRequest &request, const QStringList &hitOrder,
                           const QStringList &requestedPositions);
    bool parentGone() const;

    QString m_uid;
    QString m_pageScript;
    QString m_contentFolder;
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    // The viewer's own layout, from the request: pages counted in other
    // columns or gaps than the view's would not be the pages it shows.
    int m_gap = 30;
    int m_topBottomMargin = 20;
    int m_columnCount = 2;
    QString m_fontFamily;
    int m_fontSize = 0;
    int m_textAlignment = 0;
    int m_lineSpacing = 100;
    PaginationBlock m_block;
    quint32 m_lastSequence = 0;
    qint64 m_parentId = 0;
};
