#include "tests/reader/readingfixture.h"

#include "reader/textviewer.h"
#include "reader/textviewerinput.h"
#include "tests/archive/zipfixture.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTest>

namespace ReadingFixture {

QString chapter(int number, int paragraphs)
{
    QString body = QStringLiteral("<h1 id='h%1'>Chapter %1</h1>").arg(number);
    for (int i = 0; i < paragraphs; ++i) {
        body += QStringLiteral("<p id='p%1_%2'>Paragraph %1.%2: the quick brown fox jumps over "
                               "the lazy dog, and the reader keeps turning the pages.</p>")
                        .arg(number)
                        .arg(i);
    }
    return body;
}

bool writeBook(const QString &path, const QString &title)
{
    ZipFixture::Epub epub;
    epub.title = title;
    epub.chapters = QStringList {
        chapter(1, 40),
        chapter(2, 1),
        chapter(3, 2)
                + QStringLiteral("<p><a id='inside' href='ch1.xhtml#p1_3'>Back to the start</a> "
                                 "<a id='web' href='http://example.org/page'>A web page</a> "
                                 "<a id='mail' href='mailto:reader@example.org'>Write</a></p>"),
    };
    epub.ncx = QStringLiteral("<navPoint id='a'><navLabel><text>One</text></navLabel>"
                              "<content src='ch1.xhtml'/></navPoint>"
                              "<navPoint id='b'><navLabel><text>Two</text></navLabel>"
                              "<content src='ch2.xhtml#h2'/></navPoint>"
                              "<navPoint id='c'><navLabel><text>Three</text></navLabel>"
                              "<content src='ch3.xhtml'/></navPoint>");
    return epub.write(path);
}

bool waitForPages(TextViewer *viewer, int timeout)
{
    if (!viewer->isPaginating())
        return true;
    QSignalSpy paginated(viewer, &TextViewer::paginationFinished);
    return paginated.wait(timeout);
}

bool waitForFile(TextViewer *viewer, int timeout)
{
    return QTest::qWaitFor([viewer] { return !viewer->isLoadingFile(); }, timeout);
}

QList<int> walk(TextViewerInput *input, bool forward, int limit)
{
    TextViewer *viewer = input->viewer();
    QList<int> pages { viewer->absolutePage() };
    for (int i = 0; i < limit; ++i) {
        const int file = viewer->chapterIndex();
        const int inFile = viewer->currentPage();
        if (forward)
            input->next();
        else
            input->previous();
        if (!waitForFile(viewer))
            break;
        if (viewer->chapterIndex() == file && viewer->currentPage() == inFile)
            break;
        pages.append(viewer->absolutePage());
    }
    return pages;
}

} // namespace ReadingFixture
