#include "core/settings.h"
#include "pagination/paginationclient.h"
#include "reader/booksidefiles.h"
#include "reader/textviewer.h"
#include "reader/textviewerinput.h"
#include "tests/archive/sevenzipfixture.h"
#include "tests/reader/readingfixture.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

// Books no one here wrote, read as a reader reads them: Debian's own manuals
// (EPUB) and long texts from the system's documentation made into TXT and
// FB2 books. VL_REALBOOKS names the set: "live" (the Live Systems Manual in
// its languages), "guide" (the Ubuntu Packaging Guide and its translations);
// unset, the text books. Long books are read in samples: the first pages,
// the last pages and back, so that the suite stays within minutes.
class TestRealBooks : public QObject
{
    Q_OBJECT

private:
    static constexpr int Margin = 20;
    // Turns taken at each end of a book; a shorter book is read whole.
    static constexpr int SampleTurns = 40;

    QTemporaryDir m_dir;
    QStringList m_books;
    std::unique_ptr<TextViewer> m_viewer;
    TextViewerInput *m_input = nullptr;

    static QString bookSet() { return qEnvironmentVariable("VL_REALBOOKS"); }

    static QStringList installed(const QStringList &patterns)
    {
        // Patterns may hold wildcards in the file name and in the name of
        // its folder.
        QStringList books;
        for (const QString &pattern : patterns) {
            const QFileInfo info(pattern);
            const QFileInfo folderInfo(info.path());
            const QDir parent(folderInfo.path());
            const QStringList folders
                    = parent.entryList({ folderInfo.fileName() }, QDir::Dirs, QDir::Name);
            for (const QString &folderName : folders) {
                const QDir folder(parent.filePath(folderName));
                const QStringList names
                        = folder.entryList({ info.fileName() }, QDir::Files, QDir::Name);
                for (const QString &name : names)
                    books.append(folder.filePath(name));
            }
        }
        return books;
    }

    // A FictionBook made of a real text: its paragraphs, ten to a section.
    static bool writeFictionBook(const QString &source, const QString &path)
    {
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        const QStringList paragraphs = QString::fromUtf8(in.readAll())
                                               .split(QRegularExpression(QStringLiteral("\\n\\s*\\n")),
                                                      Qt::SkipEmptyParts);
        QString body;
        for (int i = 0; i < paragraphs.size(); ++i) {
            if (i % 10 == 0) {
                if (i > 0)
                    body += QStringLiteral("</section>");
                body += QStringLiteral("<section><title><p>Part %1</p></title>").arg(i / 10 + 1);
            }
            body += QStringLiteral("<p>%1</p>")
                            .arg(paragraphs.at(i).simplified().toHtmlEscaped());
        }
        body += QStringLiteral("</section>");
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        out.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook "
                                 "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\">"
                                 "<description><title-info><book-title>%1</book-title>"
                                 "</title-info></description><body>%2</body></FictionBook>\n")
                          .arg(QFileInfo(source).fileName(), body)
                          .toUtf8());
        return true;
    }

    bool open(const QString &path, const QSize &size, int columns)
    {
        m_viewer.reset();
        ViewerSettings values = Settings::instance()->values();
        values.columnCount = columns;
        values.showFade = false;
        values.currentProfile = ViewerSettings::DayProfile;
        Settings::instance()->setValues(values, true);
        BookDto book;
        book.fullPath = path;
        m_viewer.reset(new TextViewer(book));
        m_viewer->setMessagePresenter(
                [](const QString &, const QString &text) { QWARN(qPrintable(text)); });
        m_input = new TextViewerInput(m_viewer.get());
        m_viewer->resize(size);
        m_viewer->show();
        QSignalSpy loaded(m_viewer.get(), &TextViewer::loadFinished);
        if (!m_viewer->loadBookData()) {
            QWARN("the book does not open");
            return false;
        }
        if (loaded.isEmpty() && !loaded.wait(60000)) {
            QWARN("the first page does not load");
            return false;
        }
        // A busy machine runs the helpers of several suites at once.
        if (!ReadingFixture::waitForPages(m_viewer.get(), 120000)) {
            QWARN(qPrintable(QStringLiteral("no pages: %1")
                                     .arg(m_viewer->paginationClient()->lastError())));
            return false;
        }
        if (!ReadingFixture::waitForFile(m_viewer.get(), 30000)) {
            QWARN("the page keeps loading");
            return false;
        }
        return true;
    }

    // Pieces of text lines that show in the margins above or below the
    // columns: lines cut by a column's foot or head.
    int cutLines()
    {
        return m_viewer
                ->runScript(QStringLiteral(
                                    "(function(w, h, m) { var cut = 0;"
                                    " var walker = document.createTreeWalker(document.body, 4,"
                                    " null, false); var node;"
                                    " while ((node = walker.nextNode())) {"
                                    "  if (!/\\S/.test(node.data)) continue;"
                                    "  var range = document.createRange();"
                                    "  range.selectNodeContents(node);"
                                    "  var boxes = range.getClientRects();"
                                    "  for (var k = 0; k < boxes.length; ++k) {"
                                    "   var b = boxes[k];"
                                    "   if (b.right <= 0 || b.left >= w || b.height < 1) continue;"
                                    "   if (b.top < m - 4 || b.bottom > h - m + 4) ++cut; } }"
                                    " return cut; })(%1, %2, %3);")
                                    .arg(m_viewer->width())
                                    .arg(m_viewer->height())
                                    .arg(Margin))
                .toInt();
    }

    void addRows(bool allLayouts)
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("columns");
        const QList<QPair<QSize, int>> layouts = {
            { QSize(800, 600), 1 },
            { QSize(800, 600), 2 },
            { QSize(1200, 800), 1 },
            { QSize(1200, 800), 2 },
        };
        for (int i = 0; i < m_books.size(); ++i) {
            const QString &book = m_books.at(i);
            // Every layout on the first book of the set, two on the others.
            for (int k = 0; k < layouts.size(); ++k) {
                if (!allLayouts && (i > 0 && k != 0 && k != 3))
                    continue;
                // The translations of a book share its file name.
                const QFileInfo info(book);
                const QString name = m_books.filter(info.fileName()).size() > 1
                        ? info.dir().dirName()
                        : info.fileName();
                const QString tag = QStringLiteral("%1 %2x%3 %4")
                                            .arg(name)
                                            .arg(layouts.at(k).first.width())
                                            .arg(layouts.at(k).first.height())
                                            .arg(layouts.at(k).second);
                QTest::newRow(qPrintable(tag))
                        << book << layouts.at(k).first << layouts.at(k).second;
            }
        }
    }

    // Checks one walk: each turn moves by one page of the layout.
    static bool steady(const QList<int> &pages, int step, QString *problem)
    {
        for (int i = 1; i < pages.size(); ++i) {
            if (pages.at(i) - pages.at(i - 1) != step) {
                *problem = QStringLiteral("turn %1: page %2 after %3")
                                   .arg(i)
                                   .arg(pages.at(i))
                                   .arg(pages.at(i - 1));
                return false;
            }
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFileInfo(PaginationClient::defaultProgram()).isExecutable());
        const QString set = bookSet();
        if (set == QLatin1String("live")) {
            m_books = installed({ QStringLiteral("/usr/share/doc/live-manual/epub/*.epub") });
            // The English book first: it is read in every layout.
            const int english = m_books.indexOf(
                    QRegularExpression(QStringLiteral(".*live-manual\\.en\\.epub$")));
            if (english > 0)
                m_books.move(english, 0);
            if (m_books.isEmpty())
                QSKIP("The Live Systems Manual is not installed (package live-manual-epub).");
        } else if (set == QLatin1String("guide")) {
            m_books = installed(
                    { QStringLiteral("/usr/share/doc/ubuntu-packaging-guide-epub*/*.epub") });
            if (m_books.isEmpty())
                QSKIP("The Ubuntu Packaging Guide is not installed "
                      "(package ubuntu-packaging-guide-epub).");
        } else {
            // Long texts every Debian system has.
            for (const QString &name : { QStringLiteral("GPL-3"), QStringLiteral("Apache-2.0") }) {
                const QString source = QStringLiteral("/usr/share/common-licenses/") + name;
                if (!QFileInfo(source).isFile())
                    continue;
                const QString text = m_dir.filePath(name + QStringLiteral(".txt"));
                QVERIFY(QFile::copy(source, text));
                m_books.append(text);
                if (name == QLatin1String("GPL-3")) {
                    const QString fiction = m_dir.filePath(name + QStringLiteral(".fb2"));
                    QVERIFY(writeFictionBook(source, fiction));
                    m_books.append(fiction);
                }
            }
            if (m_books.isEmpty())
                QSKIP("No long text found in /usr/share/common-licenses.");
        }
    }

    void cleanup() { m_viewer.reset(); }

    // The first book of the set, packed alone in a 7z archive, reads as the
    // book itself.
    void packedAloneReadsLikeTheBook()
    {
        const QString book = m_books.first();
        const QFileInfo info(book);
        const QString packed = m_dir.filePath(info.completeBaseName() + QStringLiteral(".7z"));
        QFile in(book);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QVERIFY(SevenZipFixture::make(packed, { { info.fileName(), in.readAll() } }));
        QVERIFY(open(book, QSize(800, 600), 1));
        const int pages = m_viewer->bookPageCount();
        const int files = m_viewer->chapterFiles().size();
        QVERIFY(open(packed, QSize(800, 600), 1));
        QCOMPARE(m_viewer->bookPageCount(), pages);
        QCOMPARE(m_viewer->chapterFiles().size(), files);
    }

    void readsFromFirstPageToLast_data() { addRows(bookSet().isEmpty()); }

    void readsFromFirstPageToLast()
    {
        QFETCH(QString, book);
        QFETCH(QSize, size);
        QFETCH(int, columns);
        QFile::remove(BookSideFiles(book).settingsPath());
        QVERIFY(open(book, size, columns));
        TextViewer *viewer = m_viewer.get();
        const int total = viewer->bookPageCount();
        QVERIFY(total > 1);
        const int last = columns == 1 ? total : total - 1;
        QCOMPARE(viewer->absolutePage(), 1);
        QCOMPARE(cutLines(), 0);

        QString problem;
        QList<int> forward = ReadingFixture::walk(m_input, true, SampleTurns);
        QVERIFY2(steady(forward, columns, &problem), qPrintable(problem));
        if (forward.size() == SampleTurns + 1 && forward.last() != last) {
            // A long book: on from a few dozen pages before its end.
            viewer->goToBookPage(qMax(forward.last(), last - SampleTurns * columns), false);
            QVERIFY(ReadingFixture::waitForFile(viewer));
            QVERIFY(QTest::qWaitFor([&] { return !viewer->isLoadingFile(); }, 10000));
            QCOMPARE(cutLines(), 0);
            forward = ReadingFixture::walk(m_input, true, 4 * SampleTurns);
            QVERIFY2(steady(forward, columns, &problem), qPrintable(problem));
        }
        // The last page is reached by turning alone, and nothing lies past it.
        QCOMPARE(forward.last(), last);
        QCOMPARE(viewer->progress(), 100);
        QCOMPARE(cutLines(), 0);
        // The last file shows its text, not the XML reader's error box.
        QCOMPARE(viewer->runScript(QStringLiteral(
                                           "document.getElementsByTagName('parsererror').length;"))
                         .toInt(),
                 0);

        const QList<int> back = ReadingFixture::walk(m_input, false, SampleTurns);
        QVERIFY2(steady(back, -columns, &problem), qPrintable(problem));
        if (back.size() <= SampleTurns)
            QCOMPARE(back.last(), 1);
        // The count did not change while the book was read.
        QCOMPARE(viewer->bookPageCount(), total);
    }

    void profilesColourTheText_data() { addRows(false); }

    // Under a point of body text the profile's colours show, not the
    // book's own white boxes and grey text.
    void profilesColourTheText()
    {
        QFETCH(QString, book);
        QFETCH(QSize, size);
        QFETCH(int, columns);
        if (size != QSize(800, 600) || columns != 1)
            QSKIP("One layout is enough for the colours.");
        QVERIFY(open(book, size, columns));
        // A page well into the book, past any title page.
        m_viewer->goToBookPage(qMin(m_viewer->bookPageCount(), 5), false);
        QVERIFY(ReadingFixture::waitForFile(m_viewer.get()));
        for (int profile = ViewerSettings::DayProfile; profile <= ViewerSettings::SepiaProfile;
             ++profile) {
            ViewerSettings values = Settings::instance()->values();
            values.currentProfile = profile;
            // As the settings page saves: the open book follows the change.
            QSignalSpy changed(Settings::instance(), &Settings::changed);
            Settings::instance()->setValues(values, false);
            QVERIFY(changed.wait(5000));
            QVERIFY(ReadingFixture::waitForFile(m_viewer.get()));
            const TextProfile colours = values.profile();
            const QVariantMap under
                    = m_viewer
                              ->runScript(QStringLiteral(
                                      "(function(w) { var walker = document.createTreeWalker("
                                      " document.body, 4, null, false); var node;"
                                      " while ((node = walker.nextNode())) {"
                                      "  if (node.data.replace(/\\s/g, '').length < 8) continue;"
                                      "  var range = document.createRange();"
                                      "  range.selectNodeContents(node);"
                                      "  var b = range.getClientRects()[0];"
                                      "  if (!b || b.left < 0 || b.right > w) continue;"
                                      "  var e = document.elementFromPoint(b.left + 2,"
                                      "   (b.top + b.bottom) / 2);"
                                      "  if (!e) continue;"
                                      "  var back = 'rgba(0, 0, 0, 0)';"
                                      "  for (var a = e; a && a.nodeType === 1; a = a.parentNode) {"
                                      "   var c = getComputedStyle(a).backgroundColor;"
                                      "   if (c !== 'rgba(0, 0, 0, 0)' && c !== 'transparent') {"
                                      "    back = c; break; } }"
                                      "  return { color: getComputedStyle(e).color,"
                                      "   background: back, tag: e.nodeName }; }"
                                      " return null; })(%1);")
                                                 .arg(m_viewer->width()))
                              .toMap();
            QVERIFY2(!under.isEmpty(), "no text on the page");
            const auto rgb = [](const QColor &color) {
                return QStringLiteral("rgb(%1, %2, %3)")
                        .arg(color.red())
                        .arg(color.green())
                        .arg(color.blue());
            };
            const QString where = under.value(QStringLiteral("tag")).toString();
            QVERIFY2(under.value(QStringLiteral("color")).toString()
                             == rgb(colours.text.color),
                     qPrintable(where + QLatin1Char(' ')
                                + under.value(QStringLiteral("color")).toString()
                                + QStringLiteral(" for ") + rgb(colours.text.color)));
            QVERIFY2(under.value(QStringLiteral("background")).toString()
                             == rgb(colours.backgroundColor),
                     qPrintable(where + QLatin1Char(' ')
                                + under.value(QStringLiteral("background")).toString()));
        }
    }

    void reopensAtTheSamePage_data() { addRows(false); }

    void reopensAtTheSamePage()
    {
        QFETCH(QString, book);
        QFETCH(QSize, size);
        QFETCH(int, columns);
        if (size != QSize(1200, 800))
            QSKIP("One size is enough for reopening.");
        QFile::remove(BookSideFiles(book).settingsPath());
        QVERIFY(open(book, size, columns));
        const QList<int> pages = ReadingFixture::walk(m_input, true, 12);
        const int page = pages.last();
        const int total = m_viewer->bookPageCount();
        // Closing writes the side file; the book opens where it was left.
        QVERIFY(open(book, size, columns));
        QCOMPARE(m_viewer->bookPageCount(), total);
        QCOMPARE(m_viewer->absolutePage(), page);
    }
};

VL_TEST_WIDGETS_MAIN(TestRealBooks)
#include "tst_realbooks.moc"
