#include "document/textdocument.h"
#include "formats/documentfactory.h"
#include "formats/epub/epubdocument.h"
#include "tests/archive/zipfixture.h"
#include "tests/support/proberunner.h"
#include "tests/support/testenvironment.h"

#include "document/tocfile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

class TestDocumentFactory : public QObject
{
    Q_OBJECT
private slots:
    void bySuffix_data();
    void bySuffix();
    void probeOpen_data();
    void probeOpen();
};

void TestDocumentFactory::bySuffix_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("className");

    QTest::newRow("epub") << "/b/book.epub"
                          << "epub::EpubDocument";
    QTest::newRow("epub upper case") << "/b/BOOK.EPUB"
                                     << "epub::EpubDocument";
    QTest::newRow("pdf") << "/b/book.pdf"
                         << "TextDocument";
    QTest::newRow("no suffix") << "/b/book"
                               << "TextDocument";
    QTest::newRow("epub inside the name") << "/b/book.epub.bak"
                                          << "TextDocument";
#ifdef VL_HAVE_MOBI
    QTest::newRow("mobi") << "/b/book.mobi"
                          << "mobi::MobiDocument";
    QTest::newRow("prc") << "/b/book.Prc"
                         << "mobi::MobiDocument";
#endif
#ifdef VL_HAVE_FB2
    QTest::newRow("fb2") << "/b/book.fb2"
                         << "fb2::FbDocument";
    QTest::newRow("txt") << "/b/book.TXT"
                         << "fb2::FbDocument";
#endif
}

void TestDocumentFactory::bySuffix()
{
    QFETCH(QString, path);
    QFETCH(QString, className);
    const std::unique_ptr<TextDocument> document(createDocument(path));
    QVERIFY(document);
    QVERIFY(document->parent() == nullptr);
    QCOMPARE(QString::fromLatin1(document->metaObject()->className()), className);
    if (className == QLatin1String("TextDocument"))
        QVERIFY(!document->load());
}

void TestDocumentFactory::probeOpen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("book") << "book" << 0 << 0;
    QTest::newRow("protected") << "protected" << 4 << 1;
    QTest::newRow("damaged") << "damaged" << 1 << 1;
    QTest::newRow("missing") << "missing" << 1 << 1;
}

void TestDocumentFactory::probeOpen()
{
    QFETCH(QString, kind);
    QFETCH(int, status);
    QFETCH(int, exitCode);
    const QString probe = TestSupport::probeProgram();
    if (!QFileInfo(probe).isExecutable())
        QSKIP("vellumin-probe is not built");

    QTemporaryDir dir;
    const QString path = dir.filePath(kind + QStringLiteral(".epub"));
    ZipFixture::Epub book;
    if (kind == QLatin1String("book")) {
        book.metadata = "<meta name=\"cover\" content=\"c\"/>";
        book.manifest = "<item id=\"c\" href=\"c.png\" media-type=\"image/png\"/>";
        book.extra = { { "OEBPS/c.png", "png" } };
    } else if (kind == QLatin1String("protected")) {
        book.chapters = QStringList { QStringLiteral("<p>x</p>") };
        book.extra = { { "META-INF/encryption.xml", "<e/>" }, { "OEBPS/ch1.xhtml", "\x01\x02" } };
        QList<ZipFixture::Entry> entries = book.entries();
        entries.removeAt(2); // the readable first chapter; the garbage one follows
        QVERIFY(ZipFixture::write(path, entries));
    }
    if (kind == QLatin1String("damaged")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("PK\x03\x04 broken");
    } else if (kind == QLatin1String("book")) {
        QVERIFY(book.write(path));
    }

    QProcess process;
    process.start(probe, { QStringLiteral("open"), path });
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), exitCode);
    const QJsonObject result = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    QCOMPARE(result.value(QStringLiteral("status")).toInt(-1), status);
    for (const char *key : { "title", "author", "files", "toc", "tocEntries", "cover" })
        QVERIFY2(result.contains(QLatin1String(key)), key);
    if (kind == QLatin1String("book")) {
        QCOMPARE(result.value(QStringLiteral("title")).toString(), QStringLiteral("Test Book"));
        QCOMPARE(result.value(QStringLiteral("author")).toString(), QStringLiteral("Ann Author"));
        QCOMPARE(result.value(QStringLiteral("files")).toArray().size(), 3);
        // The probe names its own data folder; the file name is the same.
        QVERIFY(result.value(QStringLiteral("toc"))
                        .toString()
                        .endsWith(QFileInfo(TocFile::path(path)).fileName()));
        QCOMPARE(result.value(QStringLiteral("tocEntries")).toInt(), 1);
        QVERIFY(result.value(QStringLiteral("cover")).toString().endsWith("/OEBPS/c.png"));
    }
}

VL_TEST_GUI_MAIN(TestDocumentFactory)
#include "tst_documentfactory.moc"
