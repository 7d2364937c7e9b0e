#include "document/imagedocument.h"
#include "tests/support/testenvironment.h"

#include <QSignalSpy>

namespace {

// An image document of a given number of blank pages.
class PagesDocument : public ImageDocument
{
public:
    explicit PagesDocument(int pages)
        : m_pages(pages)
    {
    }
    bool load(const QString &) override { return true; }
    QImage pageImage(int page) override
    {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setText(QStringLiteral("page"), QString::number(page));
        return image;
    }
    int pageCount() override { return m_pages; }
    bool isValidPage(int page) override { return page >= 1 && page <= m_pages; }

private:
    int m_pages;
};

// A document object that overrides nothing of the interface.
class BareDocument : public QObject, public IDocument
{
    Q_OBJECT
    Q_INTERFACES(IDocument)
};

} // namespace

class TestImageDocument : public QObject
{
    Q_OBJECT
private slots:
    void interfaceDefaults();
    void interfaceCast();
    void setPageChecksAndSignals();
    void columnCount_data();
    void columnCount();
    void nextPage_data();
    void nextPage();
    void previousPage_data();
    void previousPage();
    void scaleAlwaysSignals();
    void pageImagesInOrder();
};

void TestImageDocument::interfaceDefaults()
{
    BareDocument bare;
    IDocument &document = bare;
    QVERIFY(document.search(QStringLiteral("x")).isEmpty());
    QVERIFY(document.tableOfContents().isEmpty());
    QVERIFY(document.titleByPosition(3).isEmpty());
    QCOMPARE(document.pageByPosition(3), 0);
    QCOMPARE(document.calcProgressByPage(3), 0);
    QCOMPARE(document.currentPage(), 0);
    QCOMPARE(document.pageCount(), 0);
    QCOMPARE(document.progress(), 0.0f);
    QCOMPARE(document.currentPosition(), 0);
    QCOMPARE(document.columnCount(), 1);
    QVERIFY(document.isLoaded());
    QVERIFY(document.viewer() == nullptr);
    document.setPage(4);
    document.setColumnCount(2);
    QCOMPARE(document.currentPage(), 0);
    QCOMPARE(document.columnCount(), 1);
}

void TestImageDocument::interfaceCast()
{
    PagesDocument pages(3);
    BareDocument bare;
    QObject plain;
    QCOMPARE(static_cast<IDocument *>(pages.qt_metacast("IDocument")),
             static_cast<IDocument *>(&pages));
    QCOMPARE(qobject_cast<IDocument *>(&bare), static_cast<IDocument *>(&bare));
    QVERIFY(plain.qt_metacast("IDocument") == nullptr);
    QVERIFY(qobject_cast<IDocument *>(&plain) == nullptr);
}

void TestImageDocument::setPageChecksAndSignals()
{
    PagesDocument document(5);
    QSignalSpy spy(&document, &ImageDocument::pageNumberChanged);
    document.setPage(4);
    document.setPage(9);
    document.setPage(0);
    document.moveToEnd();
    document.moveToHome();
    QCOMPARE(spy.size(), 5);
    const QList<int> pages = { 4, 1, 1, 5, 1 };
    for (int i = 0; i < pages.size(); ++i)
        QCOMPARE(spy.at(i).at(0).toInt(), pages.at(i));

    // Without pages, the end is page 1 too.
    PagesDocument empty(0);
    empty.moveToEnd();
    QCOMPARE(empty.currentPage(), 1);
}

void TestImageDocument::columnCount_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("stored");
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("two") << 2 << 2;
    QTest::newRow("three") << 3 << 1;
    QTest::newRow("zero") << 0 << 1;
    QTest::newRow("negative") << -2 << 1;
}

void TestImageDocument::columnCount()
{
    QFETCH(int, given);
    QFETCH(int, stored);
    PagesDocument document(5);
    QSignalSpy spy(&document, &ImageDocument::columnCountChanged);
    document.setColumnCount(given);
    QCOMPARE(document.columnCount(), stored);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first().toInt(), stored);
}

void TestImageDocument::nextPage_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("from");
    QTest::addColumn<QList<int>>("steps");

    QTest::newRow("one column") << 3 << 1 << 1 << QList<int> { 2, 3, 3 };
    QTest::newRow("two columns from 1") << 5 << 2 << 1 << QList<int> { 3, 5, 5 };
    QTest::newRow("two columns last but one") << 5 << 2 << 4 << QList<int> { 5 };
    QTest::newRow("two columns even count") << 4 << 2 << 1 << QList<int> { 3, 4 };
    QTest::newRow("no pages") << 0 << 1 << 1 << QList<int> { 1 };
}

void TestImageDocument::nextPage()
{
    QFETCH(int, pages);
    QFETCH(int, columns);
    QFETCH(int, from);
    QFETCH(QList<int>, steps);
    PagesDocument document(pages);
    document.setColumnCount(columns);
    document.setPage(from);
    for (const int expected : steps) {
        document.nextPage();
        QCOMPARE(document.currentPage(), expected);
    }
}

void TestImageDocument::previousPage_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("expected");

    QTest::newRow("one column") << 1 << 4 << 3;
    QTest::newRow("two columns from 3") << 2 << 3 << 1;
    QTest::newRow("two columns from 2") << 2 << 2 << 1;
    QTest::newRow("two columns from 5") << 2 << 5 << 3;
    QTest::newRow("first page") << 2 << 1 << 1;
}

void TestImageDocument::previousPage()
{
    QFETCH(int, columns);
    QFETCH(int, from);
    QFETCH(int, expected);
    PagesDocument document(5);
    document.setColumnCount(columns);
    document.setPage(from);
    QSignalSpy spy(&document, &ImageDocument::pageNumberChanged);
    document.previousPage();
    QCOMPARE(document.currentPage(), expected);
    QCOMPARE(spy.size(), from == 1 ? 0 : 1);
}

void TestImageDocument::scaleAlwaysSignals()
{
    PagesDocument document(1);
    QCOMPARE(document.scale(), 1.0);
    QSignalSpy spy(&document, &ImageDocument::scaleChanged);
    document.setScale(1.0);
    document.setScale(2.5);
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(0).at(0).toDouble(), 1.0);
    QCOMPARE(document.scale(), 2.5);
}

void TestImageDocument::pageImagesInOrder()
{
    PagesDocument document(4);
    const QPair<QImage, QImage> pair = document.pageImages(2, 3);
    QCOMPARE(pair.first.text(QStringLiteral("page")), QStringLiteral("2"));
    QCOMPARE(pair.second.text(QStringLiteral("page")), QStringLiteral("3"));
}

VL_TEST_GUI_MAIN(TestImageDocument)
#include "tst_imagedocument.moc"
