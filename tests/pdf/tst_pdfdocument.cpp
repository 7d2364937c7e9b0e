// The PDF reading document on generated and real PDF files: opening with
// the password prompt and its answers, page images at fit, original size
// and zoom in one and two columns, progress, contents from the outline,
// search, information, and renders on a pool thread beside the GUI
// thread's calls.

#include "core/logger.h"
#include "pdf/document.h"
#include "pdf/pdfdocument.h"
#include "tests/pdf/pdffixture.h"
#include "tests/support/testenvironment.h"
#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <atomic>

Q_DECLARE_METATYPE(PasswordAnswer)

namespace {

// Answers password prompts from a list, in order; counts the prompts and
// the message boxes.
struct Answers
{
    InputPasswordController passwords;
    MessageBoxController messages;
    QList<PasswordAnswer> queue;
    int prompts = 0;
    QList<bool> checkSkips;
    QStringList boxes;

    Answers()
    {
        QObject::connect(&passwords, &InputPasswordController::onRequest, &passwords,
                         [this](bool checkSkip) {
                             ++prompts;
                             checkSkips << checkSkip;
                             passwords.answer(queue.isEmpty() ? PasswordAnswer()
                                                              : queue.takeFirst());
                         });
        QObject::connect(&messages, &MessageBoxController::showMessage, &messages,
                         [this](const QString &title, const QString &text) {
                             boxes << title + QStringLiteral(": ") + text;
                             messages.setPending(0);
                         });
    }
};

PasswordAnswer typed(const QString &password)
{
    PasswordAnswer answer;
    answer.accepted = true;
    answer.password = password;
    return answer;
}

PasswordAnswer closed()
{
    return PasswordAnswer();
}

PasswordAnswer skip(bool all)
{
    PasswordAnswer answer;
    answer.accepted = true;
    answer.skip = !all;
    answer.skipAll = all;
    return answer;
}

int countLogLines(const QString &needle)
{
    QFile log(Logger::instance()->logFileName());
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return QString::fromUtf8(log.readAll()).count(needle);
}

bool hasDarkPixel(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 64)
                return true;
        }
    }
    return false;
}

QStringList titles(const QList<TocItem> &items)
{
    QStringList result;
    for (const TocItem &item : items)
        result << item.title;
    return result;
}

} // namespace

class TestPdfDocument : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A text PDF of pages pages of the given size, made once per name.
    QString textPdf(int pages, const QSizeF &size = QSizeF(612, 792))
    {
        const QString name = QStringLiteral("text_%1_%2x%3.pdf")
                                     .arg(pages)
                                     .arg(size.width())
                                     .arg(size.height());
        if (!QFile::exists(path(name))) {
            pdffixture::writeTextPdf(path(name), pages, QStringLiteral("Text"),
                                     QPageSize(size, QPageSize::Point));
        }
        return path(name);
    }

    QString changedPdf(const QString &name, const pdffixture::Changes &changes, int pages = 3)
    {
        if (!QFile::exists(path(name)))
            pdffixture::rewrite(textPdf(pages), path(name), changes);
        return path(name);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        QVERIFY(Document().LibraryLoaded());
    }

    void cleanupTestCase() { m_dir.setAutoRemove(!QTest::currentTestFailed()); }

    void opening_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("skipPrompt");
        QTest::addColumn<QList<PasswordAnswer>>("answers");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("prompts");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<bool>("canceled");
        QTest::addColumn<bool>("skipped");

        QTest::newRow("plain file: no prompt")
                << "plain" << false << QList<PasswordAnswer>() << true << 0 << 0 << false << false;
        QTest::newRow("owner password only: opens without a prompt")
                << "owner" << false << QList<PasswordAnswer>() << true << 0 << 0 << false << false;
        QTest::newRow("right password")
                << "protected" << false << QList<PasswordAnswer> { typed("secret") } << true << 1
                << 0 << false << false;
        QTest::newRow("two wrong passwords, then the right one")
                << "protected" << false
                << QList<PasswordAnswer> { typed("no"), typed(""), typed("secret") } << true << 3
                << 2 << false << false;
        QTest::newRow("skip password prompt: nothing asked")
                << "protected" << true << QList<PasswordAnswer>() << false << 0 << 0 << false
                << false;
        QTest::newRow("prompt closed") << "protected" << false << QList<PasswordAnswer> { closed() }
                                       << false << 1 << 0 << false << false;
        QTest::newRow("SKIP") << "protected" << false << QList<PasswordAnswer> { skip(false) }
                              << false << 1 << 0 << true << false;
        QTest::newRow("SKIP ALL after a wrong password")
                << "protected" << false << QList<PasswordAnswer> { typed("no"), skip(true) }
                << false << 2 << 1 << false << true;
    }

    void opening()
    {
        QFETCH(QString, kind);
        QFETCH(bool, skipPrompt);
        QFETCH(QList<PasswordAnswer>, answers);

        QString file = textPdf(3);
        if (kind == QLatin1String("protected")) {
            pdffixture::Changes changes;
            changes.userPassword = QStringLiteral("secret");
            changes.ownerPassword = QStringLiteral("owner");
            file = changedPdf(QStringLiteral("protected.pdf"), changes);
        } else if (kind == QLatin1String("owner")) {
            pdffixture::Changes changes;
            changes.ownerPassword = QStringLiteral("owner");
            file = changedPdf(QStringLiteral("owner.pdf"), changes);
        }

        Answers answer;
        answer.queue = answers;
        pdf::PdfDocument document;
        document.setControllers(&answer.passwords, &answer.messages);
        document.setSkipPasswordPrompt(skipPrompt);
        document.setCheckSkip(true);
        QCOMPARE(document.pageCount(), 0);
        const bool result = document.load(file);

        QTEST(result, "loaded");
        QTEST(document.isLoaded(), "loaded");
        QTEST(answer.prompts, "prompts");
        QTEST(int(answer.boxes.size()), "boxes");
        QTEST(document.passwordCanceled(), "canceled");
        QTEST(document.passwordSkipped(), "skipped");
        for (const bool checkSkip : qAsConst(answer.checkSkips))
            QVERIFY(checkSkip);
        for (const QString &box : qAsConst(answer.boxes))
            QCOMPARE(box, QStringLiteral("Can not open file: The password is incorrect"));
        QCOMPARE(document.pageCount(), result ? 3 : 0);
        if (!result)
            QVERIFY(!document.lastError().isEmpty());
    }

    // The add-books worker opens on its own thread: the prompt reaches the
    // GUI thread queued and the loader waits for the answer.
    void promptFromAWorkerThread()
    {
        pdffixture::Changes changes;
        changes.userPassword = QStringLiteral("secret");
        const QString file = changedPdf(QStringLiteral("protected_worker.pdf"), changes);
        Answers answer;
        answer.queue = { typed("wrong"), typed("secret") };
        QThread *gui = QThread::currentThread();
        QThread *asking = nullptr;
        connect(&answer.passwords, &InputPasswordController::onRequest, this,
                [&] { asking = QThread::currentThread(); });

        const QFuture<int> loading = QtConcurrent::run([&] {
            pdf::PdfDocument document;
            document.setControllers(&answer.passwords, &answer.messages);
            return document.load(file) ? document.pageCount() : -1;
        });
        QVERIFY(QTest::qWaitFor([&] { return loading.isFinished(); }, 10000));
        QCOMPARE(loading.result(), 3);
        QCOMPARE(asking, gui);
        QCOMPARE(answer.prompts, 2);
        QCOMPARE(answer.boxes.size(), 1);
    }

    void failedOpening_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("code");
        QTest::newRow("damaged") << "damaged" << 409;
        QTest::newRow("missing") << "missing" << 411;
    }

    // Anything but a password: one line in the day log, no prompt, and a
    // reason the reader can be told.
    void failedOpening()
    {
        QFETCH(QString, kind);
        QFETCH(int, code);
        QString file = path(QStringLiteral("missing.pdf"));
        if (kind == QLatin1String("damaged")) {
            file = path(QStringLiteral("damaged.pdf"));
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("%PDF-1.4\nnothing of a PDF follows\n");
        }
        const QString line = QStringLiteral("pdf::PdfDocument::loadloading error:%1").arg(code);
        const int before = countLogLines(line);
        Answers answer;
        pdf::PdfDocument document;
        document.setControllers(&answer.passwords, &answer.messages);
        QVERIFY(!document.load(file));
        QCOMPARE(countLogLines(line), before + 1);
        QCOMPARE(answer.prompts, 0);
        QVERIFY(!document.lastError().isEmpty());
        QCOMPARE(document.pageCount(), 0);
        QCOMPARE(document.progress(), 0.0f);
        QVERIFY(document.pageImage(1).isNull());
        QVERIFY(document.search(QStringLiteral("Page")).isEmpty());
    }

    void pageImageSizes_data()
    {
        QTest::addColumn<QSizeF>("pageSize");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QSize>("viewPort");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("state");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("page");
        QTest::addColumn<QSize>("expected");

        const QSizeF letter(612, 792);
        const int fit = pdf::PdfDocument::FitToPage;
        const int zoom = pdf::PdfDocument::Zoom;
        QTest::newRow("fit, one column")
                << letter << 0 << QSize(800, 600) << 1 << fit << 1.0 << 1 << QSize(459, 594);
        QTest::newRow("fit, two columns, not the last page")
                << letter << 0 << QSize(800, 600) << 2 << fit << 1.0 << 1 << QSize(391, 506);
        QTest::newRow("fit, two columns, the last page alone")
                << letter << 0 << QSize(800, 600) << 2 << fit << 1.0 << 3 << QSize(459, 594);
        QTest::newRow("fit, a quarter turn")
                << letter << 90 << QSize(800, 600) << 1 << fit << 1.0 << 1 << QSize(768, 593);
        QTest::newRow("fit, A4 into a square") << QSizeF(595, 842) << 0 << QSize(1000, 1000) << 1
                                               << fit << 1.0 << 1 << QSize(702, 993);
        QTest::newRow("fit, whole hundredths below the ratio")
                << QSizeF(612, 1000) << 0 << QSize(1000, 754) << 1 << fit << 1.0 << 1
                << QSize(452, 740);
        QTest::newRow("original size, no view port")
                << letter << 0 << QSize(-1, -1) << 1 << fit << 1.0 << 1 << QSize(612, 792);
        QTest::newRow("original size")
                << letter << 0 << QSize(800, 600) << 1 << int(pdf::PdfDocument::OriginalSize) << 1.0
                << 1 << QSize(612, 792);
        QTest::newRow("zoom 1.5") << letter << 0 << QSize(800, 600) << 1 << zoom << 1.5 << 1
                                  << QSize(918, 1188);
        QTest::newRow("view port too small to draw")
                << letter << 0 << QSize(3, 3) << 1 << fit << 1.0 << 1 << QSize(0, 0);
    }

    void pageImageSizes()
    {
        QFETCH(QSizeF, pageSize);
        QFETCH(int, rotation);
        QFETCH(QSize, viewPort);
        QFETCH(int, columns);
        QFETCH(int, state);
        QFETCH(double, scale);
        QFETCH(int, page);
        QFETCH(QSize, expected);

        QString file = textPdf(3, pageSize);
        if (rotation != 0) {
            pdffixture::Changes changes;
            changes.rotations = { { 1, rotation }, { 2, rotation }, { 3, rotation } };
            file = changedPdf(QStringLiteral("rotated_%1.pdf").arg(rotation), changes);
        }
        pdf::PdfDocument document;
        QVERIFY(document.load(file));
        if (viewPort.isValid())
            document.setViewPortSize(viewPort);
        document.setColumnCount(columns);
        document.setRenderState(state);
        document.setScale(scale);
        const QImage image = document.pageImage(page);
        QCOMPARE(image.size(), expected);
        if (!expected.isEmpty()) {
            QCOMPARE(image.format(), QImage::Format_RGB32);
            // The box in the corner of every page is drawn (a quarter turn
            // puts it in another corner).
            QVERIFY(hasDarkPixel(image, image.rect()));
        }
        if (!viewPort.isValid())
            QCOMPARE(document.renderState(), int(pdf::PdfDocument::OriginalSize));
        QVERIFY(document.pageImage(0).isNull());
        QVERIFY(document.pageImage(4).isNull());
    }

    // However far the view zooms, a page bitmap stays within its bounds.
    void zoomIsBounded()
    {
        pdf::PdfDocument document;
        QVERIFY(document.load(textPdf(3)));
        document.setViewPortSize(QSize(800, 600));
        document.setRenderState(pdf::PdfDocument::Zoom);
        document.setScale(1000.0);
        const QImage image = document.pageImage(1);
        QVERIFY(!image.isNull());
        QVERIFY(qint64(image.width()) * image.height() <= pdf::PdfDocument::MaximumImagePixels);
        QVERIFY(image.width() <= pdf::PdfDocument::MaximumImageSide);
        QVERIFY(image.height() <= pdf::PdfDocument::MaximumImageSide);
        // The page's proportions are kept.
        QVERIFY(qAbs(double(image.width()) / image.height() - 612.0 / 792.0) < 0.01);
    }

    // A page whose box is empty cannot be fitted: a message, no image.
    void pageWithoutSize()
    {
        pdffixture::Changes changes;
        changes.pageSize = QSizeF(0.5, 0.5);
        const QString file = changedPdf(QStringLiteral("nosize.pdf"), changes);
        const QString line = QStringLiteral("has no size");
        const int before = countLogLines(line);
        pdf::PdfDocument document;
        QVERIFY(document.load(file));
        document.setViewPortSize(QSize(800, 600));
        QVERIFY(document.pageImage(1).isNull());
        document.setColumnCount(2);
        QVERIFY(document.requestCurrentImage().isNull());
        QVERIFY(countLogLines(line) > before);
    }

    void currentView_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("one page") << 2 << 1 << QSize(459, 594);
        QTest::newRow("a pair") << 1 << 2 << QSize(782, 506);
        QTest::newRow("a pair with the last page") << 2 << 2 << QSize(782, 506);
        QTest::newRow("the last page alone") << 3 << 2 << QSize(459, 594);
    }

    void currentView()
    {
        QFETCH(int, page);
        QFETCH(int, columns);
        QFETCH(QSize, expected);
        pdf::PdfDocument document;
        QVERIFY(document.load(textPdf(3)));
        document.setViewPortSize(QSize(800, 600));
        document.setColumnCount(columns);
        document.setPage(page);
        const pdf::PdfDocument::ViewState state = document.viewState();
        QCOMPARE(state.page, page);
        QCOMPARE(state.columns, columns);
        const QImage image = document.requestCurrentImage();
        QCOMPARE(image.size(), expected);
        QVERIFY(image.width() <= 800 && image.height() <= 600);
        // Each page of a pair shows its own corner box.
        QVERIFY(hasDarkPixel(image, QRect(0, 0, 10, 10)));
        if (expected.width() > 459)
            QVERIFY(hasDarkPixel(image, QRect(391, 0, 10, 10)));
        // The state copy is what counts: changing the view afterwards does
        // not change what it draws.
        document.setColumnCount(columns == 1 ? 2 : 1);
        QCOMPARE(document.renderView(state).size(), expected);
    }

    // The two pages of a pair are drawn at once by two engines; the view is
    // still exactly the two pages top-aligned on black, also when the pages
    // differ in height and when the file cannot be opened a second time.
    void pairIsItsTwoPages_data()
    {
        QTest::addColumn<bool>("mixedSizes");
        QTest::addColumn<bool>("fileGone");
        QTest::newRow("pages alike") << false << false;
        QTest::newRow("a shorter right page") << true << false;
        QTest::newRow("file gone after opening") << false << true;
    }

    void pairIsItsTwoPages()
    {
        QFETCH(bool, mixedSizes);
        QFETCH(bool, fileGone);
        QString file = path(QStringLiteral("pair.pdf"));
        QFile::remove(file);
        if (mixedSizes)
            QVERIFY(Document::mergeFiles(file, { textPdf(1), textPdf(2, QSizeF(300, 200)) }));
        else
            QVERIFY(QFile::copy(textPdf(3), file));
        const QString line = QStringLiteral("does not open a second time");
        const int before = countLogLines(line);
        pdf::PdfDocument document;
        QVERIFY(document.load(file));
        if (fileGone)
            QVERIFY(QFile::remove(file));
        document.setViewPortSize(QSize(800, 600));
        document.setColumnCount(2);
        const pdf::PdfDocument::ViewState state = document.viewState();
        const QImage view = document.renderView(state);
        // Drawn again on a pool thread while this one draws it too.
        const QFuture<QImage> again
                = QtConcurrent::run([&document, state] { return document.renderView(state); });
        const QImage beside = document.renderView(state);

        const QImage left = document.pageImage(1);
        const QImage right = document.pageImage(2);
        QVERIFY(!left.isNull() && !right.isNull());
        QCOMPARE(right.height() < left.height(), mixedSizes);
        QImage expected(left.width() + right.width(), qMax(left.height(), right.height()),
                        left.format());
        expected.fill(0);
        QPainter painter(&expected);
        painter.drawImage(0, 0, left);
        painter.drawImage(left.width(), 0, right);
        painter.end();
        QCOMPARE(view.format(), expected.format());
        QVERIFY(view == expected);
        QVERIFY(beside == expected);
        QVERIFY(again.result() == expected);
        if (mixedSizes)
            QCOMPARE(view.pixel(view.width() - 1, view.height() - 1), qRgb(0, 0, 0));
        QCOMPARE(countLogLines(line) > before, fileGone);
    }

    void progress_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("percent");
        QTest::newRow("5 of 20") << 20 << 5 << 25;
        QTest::newRow("1 of 3") << 3 << 1 << 33;
        QTest::newRow("2 of 3 is truncated") << 3 << 2 << 66;
        QTest::newRow("3 of 3") << 3 << 3 << 100;
        QTest::newRow("53 of 100, single precision") << 100 << 53 << 52;
    }

    void progress()
    {
        QFETCH(int, pages);
        QFETCH(int, page);
        pdf::PdfDocument document;
        QCOMPARE(document.calcProgressByPage(page), 0);
        QVERIFY(document.load(textPdf(pages)));
        QTEST(document.calcProgressByPage(page), "percent");
        document.setPageByPosition(page);
        QCOMPARE(document.currentPosition(), page);
        QCOMPARE(document.pageByPosition(page), page);
        QTEST(int(document.progress()), "percent");
        QVERIFY(document.titleByPosition(page).isNull());
        // A page outside the book goes to the first.
        document.setPage(pages + 1);
        QCOMPARE(document.currentPage(), 1);
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("hits");

        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("page number: a jump first, then the text")
                << "3" << QStringList { "3:Go to page 3", "3:<b>3</b>" };
        QTest::newRow("0 is no page, only text")
                << "0" << QStringList { "2:1,<b>0</b><b>0</b><b>0</b>", "10:1<b>0</b>" };
        QTest::newRow("beyond the last page") << "11" << QStringList();
        QTest::newRow("any letter case, the text as typed, quotes gone")
                << "abc" << QStringList { "1:<b>abc</b>def" };
        QTest::newRow("a word with a comma is kept whole")
                << "1,000" << QStringList { "2:<b>1,000</b>" };
        QTest::newRow("inside a word with a comma") << "000" << QStringList { "2:1,<b>000</b>" };
        QTest::newRow("every match in a word") << "an" << QStringList { "2:b<b>an</b><b>an</b>a" };
        QTest::newRow("page text is escaped")
                << "tag" << QStringList { "2:&lt;<b>tag</b>&gt;&amp;x" };
        QTest::newRow("search text is escaped")
                << "<tag" << QStringList { "2:<b>&lt;tag</b>&gt;&amp;x" };
        QTest::newRow("a quote inside a word stays")
                << "say" << QStringList { "2:<b>say</b>&quot;hi" };
        QTest::newRow("words on several pages")
                << "Page" << QStringList { "1:<b>Page</b>", "2:<b>Page</b>", "3:<b>Page</b>" };
    }

    void search()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, hits);
        const QString file = path(QStringLiteral("words.pdf"));
        if (!QFile::exists(file)) {
            QList<QStringList> pages;
            pages << QStringList { "Page 1", "ABCdef" };
            pages << QStringList { "Page 2", "1,000 banana", "<tag>&x say\"hi" };
            pages << QStringList { "Page 3" };
            for (int page = 4; page <= 10; ++page)
                pages << QStringList { QStringLiteral("Leaf %1").arg(page) };
            QVERIFY(pdffixture::writeLinesPdf(file, pages));
        }
        pdf::PdfDocument document;
        QVERIFY(document.load(file));
        QStringList found;
        const QList<SearchResult> results = document.search(text);
        for (const SearchResult &result : results) {
            found << QStringLiteral("%1:%2").arg(result.page).arg(result.text);
            QCOMPARE(result.position, result.page);
            QVERIFY(result.title.isNull());
            QCOMPARE(result.isPageJump, result.text.startsWith(QLatin1String("Go to page")));
        }
        QCOMPARE(found, hits);
    }

    void tableOfContents()
    {
        pdffixture::Changes changes;
        pdffixture::OutlineItem a { QStringLiteral("A"), 1, {} };
        a.children = { { QStringLiteral("A1"), 2, {} }, { QStringLiteral("A2"), 3, {} } };
        changes.outline = { a, { QStringLiteral("B"), 5, {} } };
        const QString file = changedPdf(QStringLiteral("outline.pdf"), changes, 6);
        pdf::PdfDocument document;
        QVERIFY(document.load(file));
        const QList<TocItem> toc = document.tableOfContents();
        QCOMPARE(titles(toc), QStringList({ "A", "B" }));
        QCOMPARE(titles(toc.at(0).children), QStringList({ "A1", "A2" }));
        QVERIFY(toc.at(1).children.isEmpty());
        const QList<int> pages { toc.at(0).page, toc.at(0).children.at(0).page,
                                 toc.at(0).children.at(1).page, toc.at(1).page };
        QCOMPARE(pages, QList<int>({ 1, 2, 3, 5 }));
        for (const TocItem &item : { toc.at(0), toc.at(0).children.at(1), toc.at(1) }) {
            QCOMPARE(item.position, item.page);
            QVERIFY(item.source.isNull());
        }
        // Kept: the next call answers the same.
        QCOMPARE(titles(document.tableOfContents()), QStringList({ "A", "B" }));

        pdf::PdfDocument plain;
        QVERIFY(plain.load(textPdf(3)));
        QVERIFY(plain.tableOfContents().isEmpty());
        QVERIFY(plain.tableOfContents().isEmpty());
    }

    // Ten thousand siblings and an outline that runs in a circle: read
    // without a deep stack, every sibling in order, the circle once.
    void hostileOutlines()
    {
        pdffixture::Changes wide;
        for (int i = 0; i < 10000; ++i)
            wide.outline.append({ QStringLiteral("Item %1").arg(i), 1 + i % 3, {} });
        const QString wideFile = changedPdf(QStringLiteral("wide_outline.pdf"), wide);
        const QFuture<QList<TocItem>> reading = QtConcurrent::run([&] {
            pdf::PdfDocument document;
            document.load(wideFile);
            return document.tableOfContents();
        });
        const QList<TocItem> toc = reading.result();
        QCOMPARE(toc.size(), 10000);
        QCOMPARE(toc.first().title, QStringLiteral("Item 0"));
        QCOMPARE(toc.at(4321).title, QStringLiteral("Item 4321"));
        QCOMPARE(toc.last().title, QStringLiteral("Item 9999"));
        QCOMPARE(toc.last().page, 1 + 9999 % 3);

        pdffixture::Changes cyclic;
        cyclic.outline = { { QStringLiteral("A"), 1, {} }, { QStringLiteral("B"), 2, {} } };
        cyclic.cyclicOutline = true;
        const QString cyclicFile = changedPdf(QStringLiteral("cyclic_outline.pdf"), cyclic);
        pdf::PdfDocument document;
        QVERIFY(document.load(cyclicFile));
        const QList<TocItem> circle = document.tableOfContents();
        QVERIFY(!circle.isEmpty());
        QVERIFY(circle.size() <= 2);
        QCOMPARE(circle.first().title, QStringLiteral("A"));
    }

    void information()
    {
        pdffixture::Changes changes;
        changes.author = QStringLiteral("Ada Ünder");
        changes.rawTitle = "A Title";
        const QString file = changedPdf(QStringLiteral("info.pdf"), changes);
        pdf::PdfDocument document;
        QVERIFY(document.load(file));
        QCOMPARE(document.author(), QStringLiteral("Ada Ünder"));
        QCOMPARE(document.title(), QStringLiteral("A Title"));
        QCOMPARE(document.creator(), QStringLiteral("vellumin tests"));
        QVERIFY(!document.producer().isEmpty());

        pdf::PdfDocument untitled;
        QVERIFY(untitled.load(textPdf(3)));
        QCOMPARE(untitled.author(), QString());
        QCOMPARE(untitled.renderPage().size(), QSize(612, 792));
    }

    // Renders on a pool thread while the GUI thread searches, asks page
    // sizes and renders another view: pages of two sizes at two scales, so
    // a page selected or a scale set by one side inside the other's
    // sequence shows as a wrong picture.
    void rendersBesideGuiCalls()
    {
        const QString big = textPdf(1);
        const QString small = textPdf(2, QSizeF(300, 200));
        const QString mixed = path(QStringLiteral("mixed.pdf"));
        QVERIFY(Document::mergeFiles(mixed, { big, small }));
        pdf::PdfDocument document;
        QVERIFY(document.load(mixed));
        QCOMPARE(document.pageCount(), 3);
        document.setViewPortSize(QSize(800, 600));
        const pdf::PdfDocument::ViewState fitted = document.viewState();
        pdf::PdfDocument::ViewState zoomed = fitted;
        zoomed.page = 2;
        zoomed.renderState = pdf::PdfDocument::Zoom;
        zoomed.scale = 1.7;
        const QImage fittedAlone = document.renderView(fitted);
        const QImage zoomedAlone = document.renderView(zoomed);
        QCOMPARE(fittedAlone.size(), QSize(459, 594));
        QCOMPARE(zoomedAlone.size(), QSize(510, 340));

        std::atomic<bool> stop { false };
        const QFuture<int> rendering = QtConcurrent::run([&] {
            int wrong = 0;
            for (int i = 0; i < 200 && !stop; ++i) {
                if (document.renderView(fitted) != fittedAlone)
                    ++wrong;
            }
            return wrong;
        });
        int rounds = 0;
        int wrong = 0;
        while (!rendering.isFinished()) {
            QCOMPARE(document.search(QStringLiteral("Page")).size(), 3);
            const QSize size = document.pageSize();
            QVERIFY(size == QSize(612, 792) || size == QSize(300, 200));
            if (document.renderView(zoomed) != zoomedAlone)
                ++wrong;
            ++rounds;
        }
        stop = true;
        QCOMPARE(rendering.result(), 0);
        QCOMPARE(wrong, 0);
        QVERIFY(rounds > 0);
    }

    // Books no one here wrote: Debian's PDF manuals.
    void realManuals()
    {
        const QStringList manuals = pdffixture::installedManuals(m_dir.path());
        if (manuals.isEmpty())
            QSKIP("no PDF manual is installed (tools/setup.sh installs them)");
        for (const QString &manual : manuals) {
            pdf::PdfDocument document;
            QVERIFY2(document.load(manual), qPrintable(manual));
            QVERIFY(document.pageCount() > 10);
            QVERIFY(!document.title().isEmpty());
            QVERIFY(!document.tableOfContents().isEmpty());
            const QList<SearchResult> hits = document.search(QStringLiteral("debian"));
            QVERIFY2(hits.size() > 10, qPrintable(manual));
            QVERIFY(hits.last().page <= document.pageCount());
            document.setViewPortSize(QSize(1000, 700));
            document.setColumnCount(2);
            document.setPage(3);
            const QImage view = document.requestCurrentImage();
            QVERIFY(!view.isNull());
            QVERIFY(view.width() <= 1000 && view.height() <= 700);
            QVERIFY(hasDarkPixel(view, view.rect()));
        }
    }
};

VL_TEST_GUI_MAIN(TestPdfDocument)

#include "tst_pdfdocument.moc"
