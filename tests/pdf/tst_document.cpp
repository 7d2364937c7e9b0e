// The PDF engine object on generated and real PDF files: opening with the
// library's error codes, page sizes, page images against pdftoppm,
// outlines, text records, information, and the file-writing entries.

#include "pdf/dibsection.h"
#include "pdf/document.h"
#include "tests/pdf/pdffixture.h"
#include "tests/support/logcapture.h"
#include "tests/support/testenvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cmath>
#include <memory>

namespace {

// Mean difference of all colour channels (0 .. 255) of two images of the
// same size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *r = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            sum += std::abs(qRed(l[x]) - qRed(r[x])) + std::abs(qGreen(l[x]) - qGreen(r[x]))
                    + std::abs(qBlue(l[x]) - qBlue(r[x]));
        }
    }
    return sum / (3.0 * left.width() * left.height());
}

bool hasDarkPixels(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 64)
                return true;
        }
    }
    return false;
}

// A page through the engine at a render scale, as the reading view draws
// it: a bitmap of the scaled size, drawn at 72 dpi.
QImage renderScaled(Document &document, int page, double scale)
{
    const QSize points = document.pageSize(page);
    DibSection section(int(points.width() * scale), int(points.height() * scale));
    const gdi::HDC dc = section.createDC();
    document.SetRenderScale(scale);
    const int result = document.RenderPageToDC(72.0, page, dc);
    section.releaseDC(dc);
    return result ? section.toImage().copy() : QImage();
}

} // namespace

class TestDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_folder.isValid());
        m_plain = path(QStringLiteral("plain.pdf"));
        QVERIFY(pdffixture::writeTextPdf(m_plain, 6, QStringLiteral("Generated book")));
        pdffixture::Changes changes;
        changes.rotations = { { 2, 90 }, { 3, 180 }, { 4, 270 } };
        changes.author = QStringLiteral("Anna \u00c5str\u00f6m");
        changes.outline
                = { { QStringLiteral("A"),
                      1,
                      { { QStringLiteral("A1"), 2, {} }, { QStringLiteral("A2"), 3, {} } } },
                    { QStringLiteral("B \u00e9t\u00e9"), 5, {} } };
        QVERIFY(pdffixture::rewrite(m_plain, path(QStringLiteral("book.pdf")), changes));
        pdffixture::Changes locked;
        locked.userPassword = QStringLiteral("reader");
        locked.ownerPassword = QStringLiteral("owner");
        QVERIFY(pdffixture::rewrite(m_plain, path(QStringLiteral("locked.pdf")), locked));
        pdffixture::Changes ownerOnly;
        ownerOnly.ownerPassword = QStringLiteral("owner");
        QVERIFY(pdffixture::rewrite(m_plain, path(QStringLiteral("owneronly.pdf")), ownerOnly));
        QVERIFY(pdffixture::truncated(m_plain, path(QStringLiteral("damaged.pdf")), 0.3));
        pdffixture::Changes a4;
        a4.pageSize = QSizeF(595.28, 841.89);
        QVERIFY(pdffixture::rewrite(m_plain, path(QStringLiteral("a4.pdf")), a4));
        QFile text(path(QStringLiteral("text.pdf")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("%PDF-1.4\nthis is no PDF at all\n");
        text.close();
        QFile empty(path(QStringLiteral("empty.pdf")));
        QVERIFY(empty.open(QIODevice::WriteOnly));
    }

    void cleanupTestCase() { m_folder.setAutoRemove(!QTest::currentTestFailed()); }

    void errorMessages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("404") << 404 << QStringLiteral("Invalid password");
        QTest::newRow("409") << 409 << QStringLiteral("Invalid file structure, file is damaged");
        QTest::newRow("501") << 501 << QStringLiteral("The specified FileHandle was invalid");
        QTest::newRow("0") << 0 << QStringLiteral("Unknown error");
        QTest::newRow("-1") << -1 << QStringLiteral("Unknown error");
        QTest::newRow("not supported") << 900 << QStringLiteral("Unknown error");
    }

    void errorMessages()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(Document::errorMessage(code), message);
    }

    void renderFormats_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("optionOfExtension");
        QTest::newRow("png") << 5 << QStringLiteral("png") << 5;
        QTest::newRow("emf twice") << 8 << QStringLiteral("emf") << 3;
        QTest::newRow("tiff twice") << 10 << QStringLiteral("tiff") << 7;
        QTest::newRow("past the table") << 11 << QString() << 1;
        QTest::newRow("negative") << -1 << QString() << 1;
    }

    void renderFormats()
    {
        QFETCH(int, option);
        QFETCH(QString, extension);
        QFETCH(int, optionOfExtension);
        QCOMPARE(Document::extensionForFormat(option), extension);
        QCOMPARE(Document::formatForExtension(extension), optionOfExtension);
        QCOMPARE(Document::formatForExtension(QStringLiteral("jpeg")), 1);
        QCOMPARE(Document::formatForExtension(QStringLiteral("PNG")), 1);
    }

    void engineLoadsTheLibraryBesideTheProgram()
    {
        QCOMPARE(Document::libraryPath(),
                 QCoreApplication::applicationDirPath()
                         + QStringLiteral("/OndarelPDFLibraryDLL1016.dll"));
        LogCapture log;
        {
            Document document;
            QVERIFY(document.LibraryLoaded());
            QVERIFY(document.parent() == nullptr);
        }
        QCOMPARE(log.lines(),
                 QStringList(
                         { QStringLiteral("Ctor Document"), QStringLiteral("Dector document") }));
    }

    void load_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("pages");
        QTest::newRow("plain") << "plain.pdf"
                               << "" << 1 << 0 << 6;
        QTest::newRow("rotated with outline") << "book.pdf"
                                              << "" << 1 << 0 << 6;
        QTest::newRow("missing") << "nothing.pdf"
                                 << "" << 0 << 411 << 0;
        QTest::newRow("a folder") << "."
                                  << "" << 0 << 401 << 0;
        QTest::newRow("damaged") << "damaged.pdf"
                                 << "" << 0 << 409 << 0;
        QTest::newRow("not a pdf") << "text.pdf"
                                   << "" << 0 << 409 << 0;
        QTest::newRow("empty file") << "empty.pdf"
                                    << "" << 0 << 409 << 0;
        QTest::newRow("user password missing") << "locked.pdf"
                                               << "" << 0 << 404 << 0;
        QTest::newRow("user password wrong") << "locked.pdf"
                                             << "Reader" << 0 << 404 << 0;
        QTest::newRow("user password") << "locked.pdf"
                                       << "reader" << 1 << 0 << 6;
        QTest::newRow("owner password") << "locked.pdf"
                                        << "owner" << 1 << 0 << 6;
        QTest::newRow("owner password only") << "owneronly.pdf"
                                             << "" << 1 << 0 << 6;
    }

    void load()
    {
        QFETCH(QString, file);
        QFETCH(QString, password);
        QFETCH(int, result);
        QFETCH(int, code);
        QFETCH(int, pages);
        Document document;
        QCOMPARE(document.LoadFromFile(path(file), password), result);
        if (!result) {
            QCOMPARE(document.LastErrorCode(), code);
            QCOMPARE(Document::errorText(document),
                     QStringLiteral("Error code:%1. Message:%2")
                             .arg(code)
                             .arg(Document::errorMessage(code)));
        }
        QCOMPARE(document.PageCount(), pages);
    }

    void pageSize_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QSize>("size");
        QTest::newRow("letter") << "book.pdf" << 1 << 0 << QSize(612, 792);
        QTest::newRow("quarter turn") << "book.pdf" << 2 << 90 << QSize(792, 612);
        QTest::newRow("half turn") << "book.pdf" << 3 << 180 << QSize(612, 792);
        QTest::newRow("three quarters") << "book.pdf" << 4 << 270 << QSize(792, 612);
        // 595.28 x 841.89: truncated, never rounded.
        QTest::newRow("a4") << "a4.pdf" << 1 << 0 << QSize(595, 841);
    }

    void pageSize()
    {
        QFETCH(QString, file);
        QFETCH(int, page);
        QFETCH(int, rotation);
        QFETCH(QSize, size);
        Document document;
        QCOMPARE(document.LoadFromFile(path(file), QString()), 1);
        QCOMPARE(document.pageSize(page), size);
        QCOMPARE(document.SelectedPage(), page);
        QCOMPARE(document.PageRotation(), rotation);
        // The box is the page as the file has it, before the turn.
        const bool turned = rotation == 90 || rotation == 270;
        QCOMPARE(int(document.GetPageBox(2, 2)), turned ? size.height() : size.width());
    }

    void requestImage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("dpi");
        QTest::newRow("72 dpi") << 1 << 72;
        QTest::newRow("144 dpi") << 1 << 144;
        QTest::newRow("36 dpi") << 1 << 36;
        QTest::newRow("turned page") << 2 << 72;
    }

    // One pixel a point whatever the resolution; the image outlives the
    // bitmap it was drawn in.
    void requestImage()
    {
        QFETCH(int, page);
        QFETCH(int, dpi);
        Document document;
        QCOMPARE(document.LoadFromFile(path(QStringLiteral("book.pdf")), QString()), 1);
        const QImage image = document.requestImage(page, dpi);
        QCOMPARE(image.size(), document.pageSize(page));
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QVERIFY(hasDarkPixels(image));
        if (dpi == 72)
            QCOMPARE(image.pixel(image.width() / 2, image.height() - 2), qRgb(255, 255, 255));
    }

    void matchesPdftoppm_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("page");
        QTest::addColumn<double>("scale");
        QTest::newRow("natural size") << "book.pdf" << 1 << 1.0;
        QTest::newRow("twice") << "book.pdf" << 1 << 2.0;
        QTest::newRow("fitted") << "book.pdf" << 1 << 0.75;
        QTest::newRow("turned") << "book.pdf" << 2 << 1.0;
    }

    void matchesPdftoppm()
    {
        QFETCH(QString, file);
        QFETCH(int, page);
        QFETCH(double, scale);
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            QSKIP("pdftoppm is not installed");
        Document document;
        QCOMPARE(document.LoadFromFile(path(file), QString()), 1);
        const QImage ours = renderScaled(document, page, scale);
        QVERIFY(!ours.isNull());

        const QString prefix = path(QStringLiteral("reference"));
        QProcess process;
        process.start(pdftoppm,
                      { QStringLiteral("-r"), QString::number(72.0 * scale), QStringLiteral("-f"),
                        QString::number(page), QStringLiteral("-l"), QString::number(page),
                        QStringLiteral("-singlefile"), QStringLiteral("-png"), path(file),
                        prefix });
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        const QImage reference(prefix + QStringLiteral(".png"));
        QVERIFY(!reference.isNull());
        // pdftoppm rounds the size up where the bitmap is cut down.
        QVERIFY(std::abs(reference.width() - ours.width()) <= 1);
        QVERIFY(std::abs(reference.height() - ours.height()) <= 1);
        const QRect common(0, 0, std::min(ours.width(), reference.width()),
                           std::min(ours.height(), reference.height()));
        const double difference = meanDifference(ours.copy(common), reference.copy(common));
        QVERIFY2(difference < 1.0, qPrintable(QString::number(difference)));
    }

    // A page too large to allocate gives a null image, not a crash.
    void oversizedRenderIsRefused()
    {
        Document document;
        QCOMPARE(document.LoadFromFile(m_plain, QString()), 1);
        QVERIFY(renderScaled(document, 1, 1000.0).isNull());
        QCOMPARE(document.SetRenderScale(0.0), 0);
        QCOMPARE(document.SetRenderScale(-1.0), 0);
        QCOMPARE(document.RenderPageToDC(72.0, 1, nullptr), 0);
        QCOMPARE(document.RenderPageToDC(72.0, 99, nullptr), 0);
    }

    void outlineWalk()
    {
        Document document;
        QCOMPARE(document.LoadFromFile(path(QStringLiteral("book.pdf")), QString()), 1);
        QCOMPARE(document.OutlineCount(), 4);
        const int a = document.GetFirstOutline();
        QVERIFY(a > 0);
        QCOMPARE(document.OutlineTitle(a), QStringLiteral("A"));
        QCOMPARE(document.GetOutlinePage(a), 1);
        const int a1 = document.GetFirstChildOutline(a);
        QCOMPARE(document.OutlineTitle(a1), QStringLiteral("A1"));
        QCOMPARE(document.GetOutlinePage(a1), 2);
        const int a2 = document.GetNextOutline(a1);
        QCOMPARE(document.OutlineTitle(a2), QStringLiteral("A2"));
        QCOMPARE(document.GetOutlinePage(a2), 3);
        QCOMPARE(document.GetNextOutline(a2), 0);
        QCOMPARE(document.GetFirstChildOutline(a1), 0);
        const int b = document.GetNextOutline(a);
        QCOMPARE(document.OutlineTitle(b), QStringLiteral("B \u00e9t\u00e9"));
        QCOMPARE(document.GetOutlinePage(b), 5);
        QCOMPARE(document.GetNextOutline(b), 0);
        QCOMPARE(document.OutlineTitle(0), QString());
        QCOMPARE(document.GetNextOutline(99), 0);

        Document plain;
        QCOMPARE(plain.LoadFromFile(m_plain, QString()), 1);
        QCOMPARE(plain.OutlineCount(), 0);
        QCOMPARE(plain.GetFirstOutline(), 0);
    }

    // An outline that runs in a circle ends; the walk stays finite.
    void cyclicOutline()
    {
        pdffixture::Changes changes;
        changes.outline = { { QStringLiteral("One"), 1, {} }, { QStringLiteral("Two"), 2, {} } };
        changes.cyclicOutline = true;
        const QString cyclic = path(QStringLiteral("cyclic.pdf"));
        QVERIFY(pdffixture::rewrite(m_plain, cyclic, changes));
        Document document;
        QCOMPARE(document.LoadFromFile(cyclic, QString()), 1);
        const int count = document.OutlineCount();
        QVERIFY(count >= 2 && count < 200);
        int steps = 0;
        for (int id = document.GetFirstOutline(); id > 0; id = document.GetNextOutline(id))
            QVERIFY(++steps <= count);
        QCOMPARE(document.PageCount(), 6);
    }

    // Option 2: a record a line, the word in the sixth comma-separated
    // field, in double quotes.
    void pageTextRecords()
    {
        Document document;
        QCOMPARE(document.LoadFromFile(m_plain, QString()), 1);
        QCOMPARE(document.SelectPage(3), 1);
        const QStringList lines
                = document.GetPageText(2).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList words;
        for (const QString &line : lines) {
            const QStringList fields = line.split(QLatin1Char(','));
            QVERIFY2(fields.size() >= 6, qPrintable(line));
            words << fields.at(5);
        }
        QVERIFY2(words.contains(QStringLiteral("\"Page\"")), qPrintable(words.join(' ')));
        QVERIFY(words.contains(QStringLiteral("\"3\"")));
        QVERIFY(words.contains(QStringLiteral("\"ABCdef\"")));
        QVERIFY(document.GetPageText(0).contains(QStringLiteral("Page 3")));
    }

    void information()
    {
        Document document;
        QCOMPARE(document.LoadFromFile(path(QStringLiteral("book.pdf")), QString()), 1);
        QCOMPARE(document.title(), QStringLiteral("Generated book"));
        QCOMPARE(document.GetInformation(1), QStringLiteral("Anna \u00c5str\u00f6m"));
        QCOMPARE(document.GetInformation(5), QStringLiteral("vellumin tests"));
        QVERIFY(!document.GetInformation(6).isEmpty());
        QCOMPARE(document.GetInformation(42), QString());
    }

    // A text result is as long as the library says, NUL characters and
    // all.
    void textResultKeepsEmbeddedNul()
    {
        pdffixture::Changes changes;
        changes.rawTitle = QByteArray("Vol\0ume", 7);
        const QString file = path(QStringLiteral("nul.pdf"));
        QVERIFY(pdffixture::rewrite(m_plain, file, changes));
        Document document;
        QCOMPARE(document.LoadFromFile(file, QString()), 1);
        const QString title = document.title();
        QCOMPARE(title.size(), 7);
        QCOMPARE(title, QString::fromUtf16(u"Vol\0ume", 7));
    }

    // The reading view, a print job and the add-books worker each hold an
    // engine of their own and may draw at the same time.
    void enginesOnTwoThreads()
    {
        std::atomic<int> failures { 0 };
        auto work = [&]() {
            Document document;
            if (document.LoadFromFile(path(QStringLiteral("book.pdf")), QString()) != 1) {
                ++failures;
                return;
            }
            for (int round = 0; round < 3; ++round) {
                for (int page = 1; page <= document.PageCount(); ++page) {
                    const QImage image = document.requestImage(page, 72);
                    if (image.size() != document.pageSize(page) || !hasDarkPixels(image))
                        ++failures;
                }
            }
        };
        std::unique_ptr<QThread> one(QThread::create(work));
        std::unique_ptr<QThread> two(QThread::create(work));
        one->start();
        two->start();
        QVERIFY(one->wait(120000));
        QVERIFY(two->wait(120000));
        QCOMPARE(failures.load(), 0);
    }

    // Information and encryption are written when the document is saved;
    // the copy opens only with a password and carries the new title.
    void saveEncrypted()
    {
        Document document;
        QCOMPARE(document.LoadFromFile(m_plain, QString()), 1);
        QCOMPARE(document.SetInformation(2, QStringLiteral("New \u4e66 title")), 1);
        QCOMPARE(document.SetInformation(9, QStringLiteral("x")), 0);
        QCOMPARE(document.LastErrorCode(), 202);
        const int permissions = document.EncodePermissions(1, 0, 0, 1, 1, 1, 0, 1);
        QCOMPARE(document.Encrypt(QStringLiteral("own"), QStringLiteral("use"), 9, permissions), 0);
        QCOMPARE(document.LastErrorCode(), 101);
        QCOMPARE(document.Encrypt(QStringLiteral("own"), QStringLiteral("use"), 3, -1), 0);
        QCOMPARE(document.LastErrorCode(), 102);
        QCOMPARE(document.Encrypt(QStringLiteral("own"), QStringLiteral("use"), 3, permissions), 1);
        const QString saved = path(QStringLiteral("saved.pdf"));
        QCOMPARE(document.SaveToFile(saved), 1);
        QCOMPARE(document.SaveToFile(path(QStringLiteral("no/such/folder/x.pdf"))), 0);
        QCOMPARE(document.LastErrorCode(), 403);

        Document reopened;
        QCOMPARE(reopened.LoadFromFile(saved, QString()), 0);
        QCOMPARE(reopened.LastErrorCode(), 404);
        QCOMPARE(reopened.LoadFromFile(saved, QStringLiteral("use")), 1);
        QCOMPARE(reopened.title(), QStringLiteral("New \u4e66 title"));
        QCOMPARE(reopened.PageCount(), 6);
        // Already encrypted: neither information nor a second encryption.
        QCOMPARE(reopened.SetInformation(2, QStringLiteral("x")), 0);
        QCOMPARE(reopened.LastErrorCode(), 201);
        QCOMPARE(reopened.Encrypt(QString(), QString(), 1, 0), 0);
        QCOMPARE(reopened.LastErrorCode(), 103);

        const QString open = path(QStringLiteral("decrypted.pdf"));
        QCOMPARE(reopened.DecryptFile(saved, open, QStringLiteral("wrong")), 0);
        QCOMPARE(reopened.LastErrorCode(), 404);
        QVERIFY(!QFile::exists(open));
        QCOMPARE(reopened.DecryptFile(saved, open, QStringLiteral("own")), 1);
        Document plain;
        QCOMPARE(plain.LoadFromFile(open, QString()), 1);
        QCOMPARE(plain.PageCount(), 6);
    }

    void mergeAndExtract()
    {
        Document document;
        const QString list = QStringLiteral("0123456789abcdef0123456789abcdef");
        QCOMPARE(document.AddToFileList(list, m_plain), 1);
        QCOMPARE(document.AddToFileList(list, path(QStringLiteral("a4.pdf"))), 2);
        const QString merged = path(QStringLiteral("merged.pdf"));
        QCOMPARE(document.MergeFileList(list, merged), 1);
        QCOMPARE(document.LoadFromFile(merged, QString()), 1);
        QCOMPARE(document.PageCount(), 12);
        QCOMPARE(document.pageSize(7), QSize(595, 841));

        QCOMPARE(document.AddToFileList(QStringLiteral("locked"),
                                        path(QStringLiteral("locked.pdf"))),
                 1);
        QCOMPARE(document.MergeFileList(QStringLiteral("locked"), path(QStringLiteral("m2.pdf"))),
                 0);
        QCOMPARE(document.LastErrorCode(), 410);
        QCOMPARE(document.MergeFileList(QStringLiteral("no list"), path(QStringLiteral("m3.pdf"))),
                 0);

        const QString part = path(QStringLiteral("part.pdf"));
        QCOMPARE(document.ExtractFilePages(m_plain, QString(), part, QStringLiteral("1-2, 5")), 1);
        QCOMPARE(document.LoadFromFile(part, QString()), 1);
        QCOMPARE(document.PageCount(), 3);
        QCOMPARE(document.ExtractFilePages(path(QStringLiteral("locked.pdf")),
                                           QStringLiteral("reader"), part, QStringLiteral("6")),
                 1);
        for (const QString &bad :
             { QStringLiteral("0"), QStringLiteral("7"), QStringLiteral("2-x"), QString() }) {
            QCOMPARE(document.ExtractFilePages(m_plain, QString(), part, bad), 0);
            QCOMPARE(document.LastErrorCode(), 412);
        }
    }

    void renderToFiles()
    {
        Document document;
        QCOMPARE(document.LoadFromFile(m_plain, QString()), 1);
        const QString pattern = path(QStringLiteral("plain_%p.png"));
        QCOMPARE(document.RenderDocumentToFile(36.0, 2, 3, 5, pattern), 1);
        const QImage second(path(QStringLiteral("plain_2.png")));
        QCOMPARE(second.size(), QSize(306, 396));
        QVERIFY(QFile::exists(path(QStringLiteral("plain_3.png"))));
        QCOMPARE(document.RenderPageToFile(72.0, 1, 1, path(QStringLiteral("one"))), 1);
        QCOMPARE(QImage(path(QStringLiteral("one"))).size(), QSize(612, 792));
        QCOMPARE(document.RenderPageToFile(72.0, 1, 2, path(QStringLiteral("two.wmf"))), 0);
        QCOMPARE(document.LastErrorCode(), 900);
        QCOMPARE(document.RenderDocumentToFile(72.0, 5, 9, 5, pattern), 0);
        QCOMPARE(document.LastErrorCode(), 412);
    }

    void realManuals()
    {
        const QStringList manuals = pdffixture::installedManuals(m_folder.path());
        if (manuals.isEmpty())
            QSKIP("no PDF manual installed (Debian packages live-manual-pdf, "
                  "ubuntu-packaging-guide-pdf)");
        for (const QString &manual : manuals) {
            Document document;
            QVERIFY2(document.LoadFromFile(manual, QString()) == 1, qPrintable(manual));
            QVERIFY(document.PageCount() > 10);
            QVERIFY(document.OutlineCount() > 5);
            QVERIFY(document.GetOutlinePage(document.GetFirstOutline()) >= 1);
            QVERIFY(!document.title().isEmpty());
            // The first page of a printed manual is often left blank.
            const QImage page = document.requestImage(3, 72);
            QCOMPARE(page.size(), document.pageSize(3));
            QVERIFY(hasDarkPixels(page));
            QVERIFY(document.SelectPage(3));
            QVERIFY(document.GetPageText(2).count(QLatin1Char('\n')) > 10);
        }
    }

private:
    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
    QString m_plain;
};

VL_TEST_GUI_MAIN(TestDocument)

#include "tst_document.moc"
