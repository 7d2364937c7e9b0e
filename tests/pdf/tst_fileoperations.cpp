// The engine's whole-file operations on generated and real PDF files:
// probing, page images, rendering ranges to files, merging (also protected
// files), encrypting and splitting. Every file made is checked with the
// qpdf tool, and the private cache folder must be empty after every test.

#include "core/paths.h"
#include "pdf/document.h"
#include "tests/pdf/pdffixture.h"
#include "tests/support/logcapture.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <thread>

namespace {

// The qpdf tool's verdict on a file: its exit code 0 and no warning.
bool qpdfAccepts(const QString &file, const QString &password = QString())
{
    QProcess qpdf;
    QStringList arguments { QStringLiteral("--check") };
    if (!password.isEmpty())
        arguments << QStringLiteral("--password=") + password;
    qpdf.start(QStringLiteral("qpdf"), arguments << file);
    if (!qpdf.waitForFinished(60000))
        return false;
    if (qpdf.exitStatus() != QProcess::NormalExit || qpdf.exitCode() != 0)
        qWarning() << "qpdf --check" << file << qpdf.readAll();
    return qpdf.exitStatus() == QProcess::NormalExit && qpdf.exitCode() == 0;
}

QString showEncryption(const QString &file, const QString &password)
{
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"),
               { QStringLiteral("--show-encryption"), QStringLiteral("--password=") + password,
                 file });
    qpdf.waitForFinished(60000);
    return QString::fromUtf8(qpdf.readAllStandardOutput());
}

int pagesOf(const QString &file, const QString &password = QString())
{
    Document document;
    return document.LoadFromFile(file, password) == 1 ? document.PageCount() : -1;
}

// The "Page N" numbers printed on the pages of a generated file, in order.
QList<int> pageNumbers(const QString &file)
{
    Document document;
    QList<int> numbers;
    if (document.LoadFromFile(file, QString()) != 1)
        return numbers;
    static const QRegularExpression number(QStringLiteral("Page (\\d+)"));
    for (int page = 1; page <= document.PageCount(); ++page) {
        document.SelectPage(page);
        numbers << number.match(document.GetPageText(0)).captured(1).toInt();
    }
    return numbers;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
            QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Name);
}

QList<int> pageSequence(int first, int last)
{
    QList<int> pages;
    for (int page = first; page <= last; ++page)
        pages << page;
    return pages;
}

} // namespace

using PageRanges = QList<Document::PageRange>;
using ProtectedFiles = QList<Document::ProtectedFile>;
Q_DECLARE_METATYPE(PageRanges)
Q_DECLARE_METATYPE(ProtectedFiles)

class TestFileOperations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_folder.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty())
            QSKIP("the qpdf tool is missing (package qpdf)");
        m_plain = path(QStringLiteral("plain.pdf"));
        QVERIFY(pdffixture::writeTextPdf(m_plain, 6, QStringLiteral("Generated book")));
        m_ten = path(QStringLiteral("report.final.pdf"));
        QVERIFY(pdffixture::writeTextPdf(m_ten, 10));
        QVERIFY(pdffixture::writeTextPdf(path(QStringLiteral("untitled.pdf")), 2));
        // Small pages keep the 300 dpi renders quick.
        QVERIFY(pdffixture::writeTextPdf(path(QStringLiteral("small.pdf")), 6, QString(),
                                         QPageSize(QSizeF(72, 48), QPageSize::Point)));
        pdffixture::Changes locked;
        locked.userPassword = QStringLiteral("reader");
        locked.ownerPassword = QStringLiteral("owner");
        QVERIFY(pdffixture::rewrite(m_plain, path(QStringLiteral("locked.pdf")), locked));
        QVERIFY(pdffixture::truncated(m_plain, path(QStringLiteral("damaged.pdf")), 0.3));
    }

    void cleanupTestCase() { m_folder.setAutoRemove(!QTest::currentTestFailed()); }

    // No operation leaves a page image, a decrypted copy or a piece behind.
    void cleanup() { QCOMPARE(entriesOf(Paths::cacheDir()), QStringList()); }

    void fileInfo_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("encrypted");
        QTest::addColumn<bool>("passwordRequired");
        QTest::addColumn<QString>("keptPassword");
        QTest::addColumn<int>("pages");
        QTest::newRow("plain") << "plain.pdf"
                               << "" << true << "Generated book" << false << false << "" << 6;
        QTest::newRow("no title: the base name")
                << "report.final.pdf"
                << "" << true << "report" << false << false << "" << 10;
        QTest::newRow("protected, no password")
                << "locked.pdf"
                << "" << true << "locked" << true << true << "" << 0;
        QTest::newRow("protected, wrong password")
                << "locked.pdf"
                << "Reader" << true << "locked" << true << true << "" << 0;
        QTest::newRow("protected, right password")
                << "locked.pdf"
                << "reader" << true << "Generated book" << true << false << "reader" << 6;
        QTest::newRow("damaged") << "damaged.pdf"
                                 << "" << false << "damaged" << false << false << "" << 0;
        QTest::newRow("missing") << "nothing.pdf"
                                 << "" << false << "nothing" << false << false << "" << 0;
    }

    void fileInfo()
    {
        QFETCH(QString, file);
        QFETCH(QString, password);
        QFETCH(bool, readable);
        QFETCH(QString, title);
        QFETCH(bool, encrypted);
        QFETCH(bool, passwordRequired);
        QFETCH(QString, keptPassword);
        QFETCH(int, pages);
        bool wasReadable = false;
        const DocumentInfo info = Document::fileInfo(path(file), password, &wasReadable, true);
        QCOMPARE(wasReadable, readable);
        QCOMPARE(info.filePath, path(file));
        QCOMPARE(info.title, title);
        QCOMPARE(info.isEncrypted, encrypted);
        QCOMPARE(info.passwordRequired, passwordRequired);
        QCOMPARE(info.password, keptPassword);
        QVERIFY(!info.password.isNull());
        QCOMPARE(info.pageCount, pages);
        // A letter page at 96 dpi.
        QCOMPARE(info.cover.isNull(), pages == 0);
        if (pages)
            QCOMPARE(info.cover.size(), QSize(816, 1056));
    }

    void pageImage()
    {
        Document document;
        QCOMPARE(document.LoadFromFile(m_plain, QString()), 1);
        QImage image;
        QVERIFY(document.renderPageToImage(2, 36, &image));
        QCOMPARE(image.size(), QSize(306, 396));
        QPixmap pixmap;
        QVERIFY(document.renderPageToPixmap(1, 72, &pixmap));
        QCOMPARE(pixmap.size(), QSize(612, 792));

        // A page the library cannot draw: false, the target as it was.
        const QImage before = image;
        QVERIFY(!document.renderPageToImage(7, 72, &image));
        QCOMPARE(image, before);
    }

    void renderToFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<PageRanges>("ranges");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("made");
        QTest::addColumn<QString>("error");
        QTest::newRow("ranges") << "small.pdf" << PageRanges { { 1, 2 }, { 5, 5 } } << "png" << true
                                << QStringList { "small_1.png", "small_2.png", "small_5.png" }
                                << "";
        QTest::newRow("jpeg") << "small.pdf" << PageRanges { { 6, 6 } } << "jpg" << true
                              << QStringList { "small_6.jpg" } << "";
        QTest::newRow("one range outside") << "small.pdf" << PageRanges { { 6, 9 }, { 3, 3 } }
                                           << "png" << true << QStringList { "small_3.png" } << "";
        QTest::newRow("no range") << "small.pdf" << PageRanges() << "png" << true << QStringList()
                                  << "";
        QTest::newRow("nothing drawn") << "small.pdf" << PageRanges { { 7, 9 }, { 0, 1 } } << "png"
                                       << false << QStringList()
                                       << "can not render pages. Error code:412. Message:Invalid "
                                          "page range list";
        QTest::newRow("format the library lacks")
                << "small.pdf" << PageRanges { { 1, 1 } } << "wmf" << false << QStringList()
                << "can not render pages. Error code:900. Message:Unknown error";
        QTest::newRow("damaged") << "damaged.pdf" << PageRanges { { 1, 1 } } << "png" << false
                                 << QStringList() << "can not load file";
        QTest::newRow("protected") << "locked.pdf" << PageRanges { { 1, 1 } } << "png" << false
                                   << QStringList() << "can not load file";
    }

    void renderToFiles()
    {
        QFETCH(QString, file);
        QFETCH(PageRanges, ranges);
        QFETCH(QString, format);
        QFETCH(bool, result);
        QFETCH(QStringList, made);
        QFETCH(QString, error);
        QTemporaryDir folder;
        const QString out = folder.filePath(QStringLiteral("images/deeper"));
        QString message;
        QCOMPARE(Document::renderDocumentToFiles(path(file), QString(), ranges,
                                                 Document::formatForExtension(format), out,
                                                 &message),
                 result);
        QCOMPARE(message, error);
        // The folder is made before the file is loaded.
        QVERIFY(QFileInfo(out).isDir());
        QCOMPARE(entriesOf(out), made);
        for (const QString &name : made) {
            const QImage image(out + QLatin1Char('/') + name);
            // 72 x 48 points at 300 dpi.
            QCOMPARE(image.size(), QSize(300, 200));
        }
    }

    void renderMissingFile()
    {
        QTemporaryDir folder;
        const QString out = folder.filePath(QStringLiteral("images"));
        QString message;
        QVERIFY(!Document::renderDocumentToFiles(path(QStringLiteral("nothing.pdf")), QString(),
                                                 { { 1, 1 } }, 5, out, &message));
        QCOMPARE(message, QStringLiteral("file not found"));
        QVERIFY(!QFileInfo::exists(out));
    }

    void mergeFiles_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("two files")
                << "merged.pdf" << QStringList { "plain.pdf", "small.pdf" } << true
                << (pageSequence(1, 6) + pageSequence(1, 6)) << "Merge result: 1";
        QTest::newRow("a file twice")
                << "twice.pdf" << QStringList { "report.final.pdf", "report.final.pdf" } << true
                << (pageSequence(1, 10) + pageSequence(1, 10)) << "Merge result: 1";
        QTest::newRow("empty list, no name")
                << "" << QStringList() << false << QList<int>() << "Merge file list is empty";
        QTest::newRow("no output name") << "" << QStringList { "plain.pdf" } << false
                                        << QList<int>() << "Out file name is null";
        QTest::newRow("protected input")
                << "refused.pdf" << QStringList { "plain.pdf", "locked.pdf" } << false
                << QList<int>() << "Merge error";
        QTest::newRow("damaged input")
                << "refused.pdf" << QStringList { "damaged.pdf", "plain.pdf" } << false
                << QList<int>() << "Error code: 409";
    }

    void mergeFiles()
    {
        QFETCH(QString, output);
        QFETCH(QStringList, inputs);
        QFETCH(bool, result);
        QFETCH(QList<int>, pages);
        QFETCH(QString, logLine);
        QTemporaryDir folder;
        const QString out = output.isEmpty() ? output : folder.filePath(output);
        QStringList files;
        for (const QString &input : inputs)
            files << path(input);
        LogCapture log;
        QCOMPARE(Document::mergeFiles(out, files), result);
        QVERIFY2(log.has(logLine), qPrintable(log.text()));
        if (result) {
            QVERIFY(qpdfAccepts(out));
            // small.pdf prints its numbers too small to read: count them.
            QCOMPARE(pagesOf(out), pages.size());
            if (!inputs.contains(QStringLiteral("small.pdf")))
                QCOMPARE(pageNumbers(out), pages);
        } else {
            QCOMPARE(entriesOf(folder.path()), QStringList());
        }
    }

    void mergeProtectedFiles_data()
    {
        QTest::addColumn<ProtectedFiles>("inputs");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("leftOut");
        QTest::newRow("protected between plain ones")
                << ProtectedFiles { { "report.final.pdf", "" },
                                    { "locked.pdf", "reader" },
                                    { "report.final.pdf", QString() } }
                << true << 26 << "";
        QTest::newRow("owner password opens it too")
                << ProtectedFiles { { "locked.pdf", "owner" } } << true << 6 << "";
        QTest::newRow("wrong password: left out")
                << ProtectedFiles { { "report.final.pdf", "" }, { "locked.pdf", "s3cret-word" } }
                << true << 10 << "locked.pdf";
        QTest::newRow("missing input: left out")
                << ProtectedFiles { { "nothing.pdf", "s3cret-word" }, { "plain.pdf", "" } } << true
                << 6 << "nothing.pdf";
        QTest::newRow("every input left out") << ProtectedFiles { { "locked.pdf", "s3cret-word" } }
                                              << false << -1 << "locked.pdf";
        QTest::newRow("nothing to merge") << ProtectedFiles() << false << -1 << "";
    }

    void mergeProtectedFiles()
    {
        QFETCH(ProtectedFiles, inputs);
        QFETCH(bool, result);
        QFETCH(int, pages);
        QFETCH(QString, leftOut);
        for (Document::ProtectedFile &input : inputs)
            input.first = path(input.first);
        QTemporaryDir folder;
        const QString out = folder.filePath(QStringLiteral("merged.pdf"));
        LogCapture log;
        QCOMPARE(Document::mergeProtectedFiles(out, inputs), result);
        QCOMPARE(pagesOf(out), pages);
        if (result)
            QVERIFY(qpdfAccepts(out));
        if (!leftOut.isEmpty()) {
            QVERIFY2(log.text().contains(QStringLiteral("Merge. Left out, could not decrypt: \"")
                                         + path(leftOut)),
                     qPrintable(log.text()));
        }
        if (inputs.size() == 1 && !result)
            QVERIFY(log.has(QStringLiteral("Merge file list is empty")));
        // Names are logged, passwords never.
        QVERIFY(!log.text().contains(QStringLiteral("s3cret")));
        QVERIFY(!log.text().contains(QStringLiteral("reader")));
    }

    void encryptFile_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("openWith");
        QTest::newRow("owner and user") << "plain.pdf"
                                        << "enc.pdf"
                                        << "own"
                                        << " use " << true << ""
                                        << "use";
        QTest::newRow("owner only") << "plain.pdf"
                                    << "enc.pdf"
                                    << "own"
                                    << "" << true << ""
                                    << "";
        QTest::newRow("blank passwords: not encrypted") << "plain.pdf"
                                                        << "stamped.pdf"
                                                        << "  "
                                                        << "\t" << true << ""
                                                        << "";
        QTest::newRow("protected input")
                << "locked.pdf"
                << "enc.pdf"
                << "own"
                << "use" << false
                << "The file could not be read or processed.Error code:404. Message:Invalid "
                   "password"
                << "";
        QTest::newRow("output folder missing")
                << "plain.pdf"
                << "no/such/enc.pdf"
                << "own"
                << "use" << false
                << "The file could not be created.Error code:403. Message:Could not open output "
                   "file"
                << "";
    }

    void encryptFile()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QString, owner);
        QFETCH(QString, user);
        QFETCH(bool, result);
        QFETCH(QString, error);
        QFETCH(QString, openWith);
        QTemporaryDir folder;
        const QString out = folder.filePath(output);
        DocumentPermissions permissions;
        permissions.canPrint = true;
        permissions.canAddNotes = true;
        permissions.canCopyAccess = true;
        QString message;
        QCOMPARE(Document::encryptFile(path(input), out, permissions,
                                       QStringLiteral("Anna \u00c5str\u00f6m"),
                                       QStringLiteral("New \u4e66 title"), &message, owner, user),
                 result);
        QCOMPARE(message, error);
        if (!result) {
            QVERIFY(!QFileInfo::exists(out));
            return;
        }
        QVERIFY(qpdfAccepts(out, openWith));
        Document document;
        QCOMPARE(document.LoadFromFile(out, openWith), 1);
        QCOMPARE(document.PageCount(), 6);
        QCOMPARE(document.title(), QStringLiteral("New \u4e66 title"));
        QCOMPARE(document.GetInformation(1), QStringLiteral("Anna \u00c5str\u00f6m"));
        const QString label = document.GetInformation(5);
        QCOMPARE(label.size(), 41);
        QCOMPARE(document.GetInformation(6), label);

        const QString shown = showEncryption(out, openWith);
        if (owner.trimmed().isEmpty()) {
            QVERIFY2(shown.contains(QStringLiteral("File is not encrypted")), qPrintable(shown));
            return;
        }
        if (!openWith.isEmpty()) {
            QCOMPARE(document.LoadFromFile(out, QString()), 0);
            QCOMPARE(document.LastErrorCode(), 404);
        }
        for (const QString &line :
             { QStringLiteral("R = 4"), QStringLiteral("file encryption method: AESv2"),
               QStringLiteral("print low resolution: allowed"),
               QStringLiteral("print high resolution: not allowed"),
               QStringLiteral("extract for accessibility: allowed"),
               QStringLiteral("extract for any purpose: not allowed"),
               QStringLiteral("modify annotations: allowed"),
               QStringLiteral("modify document assembly: not allowed"),
               QStringLiteral("modify forms: not allowed") })
            QVERIFY2(shown.contains(line), qPrintable(line + QLatin1Char('\n') + shown));
    }

    void splitByGroups_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("ranges");
        QTest::newRow("threes") << 1 << 3 << true << QStringList { "1-3", "4-6", "7-9", "10" };
        QTest::newRow("fours from 4") << 4 << 4 << true << QStringList { "4-7", "8-10" };
        QTest::newRow("size 0: single pages") << 8 << 0 << true << QStringList { "8", "9", "10" };
        QTest::newRow("size 1") << 9 << 1 << true << QStringList { "9", "10" };
        QTest::newRow("huge size") << 2 << 2147483647 << true << QStringList { "2-10" };
        QTest::newRow("start on the last page") << 10 << 3 << true << QStringList { "10" };
        QTest::newRow("start past the end") << 11 << 3 << true << QStringList();
        QTest::newRow("start page 0 refused") << 0 << 3 << false << QStringList();
        QTest::newRow("negative start refused") << -2 << 3 << false << QStringList();
    }

    void splitByGroups()
    {
        QFETCH(int, start);
        QFETCH(int, size);
        QFETCH(bool, result);
        QFETCH(QStringList, ranges);
        QTemporaryDir folder;
        QString out = folder.filePath(QStringLiteral("new/parts"));
        QStringList made { QStringLiteral("kept by the caller") };
        QCOMPARE(Document::splitByGroups(m_ten, QString(), 10, start, size, &out, &made), result);
        QStringList expected { QStringLiteral("kept by the caller") };
        for (const QString &range : ranges)
            expected << out + QStringLiteral("/report.final_p%1.pdf").arg(range);
        QCOMPARE(made, expected);
        for (int i = 1; i < made.size(); ++i) {
            QVERIFY(qpdfAccepts(made.at(i)));
            const QStringList ends = ranges.at(i - 1).split(QLatin1Char('-'));
            QCOMPARE(pageNumbers(made.at(i)),
                     pageSequence(ends.first().toInt(), ends.last().toInt()));
        }
        if (!result)
            QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("new"))));
    }

    void splitPerPage()
    {
        QString out;
        QStringList made;
        QVERIFY(Document::splitPerPage(m_plain, QString(), 3, &out, &made));
        QCOMPARE(out, path(QStringLiteral("split_plain")));
        QCOMPARE(made,
                 QStringList({ out + QStringLiteral("/plain_p1.pdf"),
                               out + QStringLiteral("/plain_p2.pdf"),
                               out + QStringLiteral("/plain_p3.pdf") }));
        QCOMPARE(pageNumbers(made.at(2)), QList<int> { 3 });
        made.clear();
        QString none = path(QStringLiteral("none"));
        QVERIFY(Document::splitPerPage(m_plain, QString(), 0, &none, &made));
        QCOMPARE(made, QStringList());
        QVERIFY(QFileInfo(none).isDir());
        QVERIFY(!Document::splitPerPage(path(QStringLiteral("nothing.pdf")), QString(), 3, &none,
                                        &made));
    }

    // Range texts become file names: blanks go, and anything that could
    // lead out of the folder is refused without stopping the other ranges.
    void splitRanges()
    {
        QTemporaryDir folder;
        const QString parent = folder.filePath(QStringLiteral("books"));
        QVERIFY(QDir().mkpath(parent));
        const QString source = parent + QStringLiteral("/report.final.pdf");
        QVERIFY(QFile::copy(m_ten, source));
        QString out;
        QStringList made;
        LogCapture log;
        QVERIFY(Document::split(source, QString(), 10,
                                { QStringLiteral(" 3 - 7 "), QStringLiteral("../../escaped"),
                                  QStringLiteral("/tmp/x"), QStringLiteral("1/../2"),
                                  QStringLiteral(".."), QStringLiteral(""), QStringLiteral("9-12"),
                                  QStringLiteral("1,4-5") },
                                &out, &made));
        QCOMPARE(out, parent + QStringLiteral("/split_report.final"));
        QCOMPARE(made,
                 QStringList({ out + QStringLiteral("/report.final_p3-7.pdf"),
                               out + QStringLiteral("/report.final_p1,4-5.pdf") }));
        QCOMPARE(pageNumbers(made.at(1)), QList<int>({ 1, 4, 5 }));
        QCOMPARE(entriesOf(out),
                 QStringList({ QStringLiteral("report.final_p1,4-5.pdf"),
                               QStringLiteral("report.final_p3-7.pdf") }));
        QCOMPARE(entriesOf(parent),
                 QStringList({ QStringLiteral("report.final.pdf"),
                               QStringLiteral("split_report.final") }));
        QCOMPARE(entriesOf(folder.path()), QStringList({ QStringLiteral("books") }));
        QVERIFY(log.has(QStringLiteral("Split. Range refused: \"../../escaped\"")));
        // The range the library refuses is logged with its code.
        QVERIFY(log.has(QStringLiteral("Error code: 412")));
    }

    // A split keeps its source open between ranges; a source replaced or
    // rewritten in place meanwhile is read again.
    void extractionSeesTheSourceAsItIsNow()
    {
        QTemporaryDir folder;
        const QString source = folder.filePath(QStringLiteral("source.pdf"));
        const QString piece = folder.filePath(QStringLiteral("piece.pdf"));
        QVERIFY(QFile::copy(m_plain, source));
        Document document;
        QCOMPARE(document.ExtractFilePages(source, QString(), piece, QStringLiteral("6")), 1);
        QCOMPARE(document.ExtractFilePages(source, QString(), piece, QStringLiteral("10")), 0);

        QVERIFY(QFile::remove(source));
        QVERIFY(QFile::copy(m_ten, source));
        QCOMPARE(document.ExtractFilePages(source, QString(), piece, QStringLiteral("10")), 1);
        QCOMPARE(pageNumbers(piece), QList<int> { 10 });

        QFile plain(m_plain);
        QFile inPlace(source);
        QVERIFY(plain.open(QIODevice::ReadOnly) && inPlace.open(QIODevice::WriteOnly));
        QVERIFY(inPlace.write(plain.readAll()) > 0);
        inPlace.close();
        QCOMPARE(document.ExtractFilePages(source, QString(), piece, QStringLiteral("10")), 0);
        QCOMPARE(document.LastErrorCode(), 412);
        QCOMPARE(document.ExtractFilePages(source, QString(), piece, QStringLiteral("2-3")), 1);
        QCOMPARE(pageNumbers(piece), QList<int>({ 2, 3 }));
        QVERIFY(QFile::remove(source));
        QCOMPARE(document.ExtractFilePages(source, QString(), piece, QStringLiteral("1")), 0);
        QCOMPARE(document.LastErrorCode(), 411);
    }

    void splitProtected_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("pieces");
        QTest::newRow("right password") << "reader" << 2;
        QTest::newRow("wrong password") << "s3cret-word" << 0;
        QTest::newRow("no password") << "" << 0;
    }

    void splitProtected()
    {
        QFETCH(QString, password);
        QFETCH(int, pieces);
        QTemporaryDir folder;
        QString out = folder.path();
        QStringList made;
        LogCapture log;
        QVERIFY(Document::split(path(QStringLiteral("locked.pdf")), password, 6,
                                { QStringLiteral("1-2"), QStringLiteral("6") }, &out, &made));
        QCOMPARE(made.size(), pieces);
        for (const QString &piece : made)
            QVERIFY(qpdfAccepts(piece));
        QVERIFY(!log.text().contains(QStringLiteral("s3cret")));
        if (password == QLatin1String("s3cret-word")) {
            QVERIFY2(log.text().contains(QStringLiteral("Split. Could not decrypt: \"")
                                         + path(QStringLiteral("locked.pdf"))),
                     qPrintable(log.text()));
        }
    }

    void splitByCertainPages_data()
    {
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QList<int>>("kept");
        QTest::newRow("some pages")
                << QStringList { "2", "5", "6", "x", "5" } << QList<int> { 1, 3, 4, 7, 8, 9, 10 };
        QTest::newRow("first and last, others outside")
                << QStringList { "1", "10", "0", "11", "-3" } << pageSequence(2, 9);
        QTest::newRow("nothing listed") << QStringList() << pageSequence(1, 10);
        QTest::newRow("every page")
                << QStringList { "1", "2", "3", "4", "5", "6", "7", "8", "9", "10" }
                << QList<int>();
    }

    void splitByCertainPages()
    {
        QFETCH(QStringList, listed);
        QFETCH(QList<int>, kept);
        QTemporaryDir folder;
        const QString requested = folder.filePath(QStringLiteral("edited"));
        QString out = requested;
        QStringList made;
        QVERIFY(Document::splitByCertainPages(m_ten, QString(), 10, listed, &out, &made));
        QVERIFY(out.startsWith(requested + QStringLiteral("/report.final_edited_")));
        QVERIFY(out.endsWith(QStringLiteral(".pdf")));
        if (kept.isEmpty()) {
            // Nothing to keep: the merge refuses, no file is made.
            QCOMPARE(made, QStringList());
            QCOMPARE(entriesOf(requested), QStringList());
            return;
        }
        QCOMPARE(made, QStringList { out });
        QVERIFY(qpdfAccepts(out));
        QCOMPARE(pageNumbers(out), kept);
    }

    // Edits of one book at the same moment, on several threads, each get a
    // file of their own; none is overwritten by another.
    void editsAtOnceKeepTheirFiles()
    {
        QTemporaryDir folder;
        const int edits = 4;
        QVector<QStringList> made(edits);
        std::vector<std::thread> threads;
        for (int i = 0; i < edits; ++i) {
            threads.emplace_back([&, i] {
                QString out = folder.path();
                Document::splitByCertainPages(m_ten, QString(), 10, { QString::number(i + 1) },
                                              &out, &made[i]);
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QStringList all;
        for (int i = 0; i < edits; ++i) {
            QCOMPARE(made.at(i).size(), 1);
            all << made.at(i);
            QList<int> expected = pageSequence(1, 10);
            expected.removeOne(i + 1);
            QCOMPARE(pageNumbers(made.at(i).first()), expected);
        }
        all.removeDuplicates();
        QCOMPARE(all.size(), edits);
        // And one more in the same second, after them.
        QString out = folder.path();
        QStringList again;
        QVERIFY(Document::splitByCertainPages(m_ten, QString(), 10, { QStringLiteral("3") }, &out,
                                              &again));
        QVERIFY(!all.contains(again.value(0)));
        QCOMPARE(entriesOf(folder.path()).size(), edits + 1);
    }

    void missingSource()
    {
        const QString missing = path(QStringLiteral("gone/nothing.pdf"));
        QString out;
        QStringList made;
        QVERIFY(!Document::split(missing, QString(), 3, { QStringLiteral("1") }, &out, &made));
        QVERIFY(!Document::splitByCertainPages(missing, QString(), 3, { QStringLiteral("1") }, &out,
                                               &made));
        QVERIFY(!Document::splitByGroups(missing, QString(), 3, 1, 1, &out, &made));
        QCOMPARE(Document::splitFolder(missing, QString()), QString());
        QVERIFY(out.isNull());
        QVERIFY(made.isEmpty());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("gone"))));

        const QString made2 = path(QStringLiteral("a/b/c"));
        QCOMPARE(Document::splitFolder(m_plain, made2), made2);
        QVERIFY(QFileInfo(made2).isDir());
    }

    // Each operation on PDF manuals no one here wrote.
    void realManuals()
    {
        const QStringList manuals = pdffixture::installedManuals(m_folder.path());
        if (manuals.isEmpty())
            QSKIP("no PDF manual installed (Debian packages live-manual-pdf, "
                  "ubuntu-packaging-guide-pdf)");
        for (const QString &manual : manuals) {
            bool readable = false;
            const DocumentInfo info = Document::fileInfo(manual, QString(), &readable, true);
            QVERIFY2(readable && info.pageCount > 10, qPrintable(manual));
            QVERIFY(!info.cover.isNull());

            QTemporaryDir folder;
            QString out = folder.filePath(QStringLiteral("groups"));
            QStringList pieces;
            QVERIFY(Document::splitByGroups(manual, QString(), info.pageCount, 1, 10, &out,
                                            &pieces));
            QCOMPARE(pieces.size(), (info.pageCount + 9) / 10);
            const QString merged = folder.filePath(QStringLiteral("merged.pdf"));
            QVERIFY(Document::mergeFiles(merged, pieces));
            QVERIFY(qpdfAccepts(merged));
            QCOMPARE(pagesOf(merged), info.pageCount);

            const QString encrypted = folder.filePath(QStringLiteral("encrypted.pdf"));
            QString error;
            QVERIFY2(Document::encryptFile(manual, encrypted, DocumentPermissions(), info.title,
                                           info.title, &error, QStringLiteral("o"),
                                           QStringLiteral("u")),
                     qPrintable(error));
            QVERIFY(qpdfAccepts(encrypted, QStringLiteral("u")));
            QVERIFY(showEncryption(encrypted, QStringLiteral("u"))
                            .contains(QStringLiteral("extract for any purpose: not allowed")));

            QString edited = folder.path();
            QStringList made;
            QVERIFY(Document::splitByCertainPages(encrypted, QStringLiteral("u"), info.pageCount,
                                                  { QStringLiteral("1"), QStringLiteral("3") },
                                                  &edited, &made));
            QCOMPARE(made, QStringList { edited });
            QVERIFY(qpdfAccepts(edited));
            QCOMPARE(pagesOf(edited), info.pageCount - 2);

            QString renderError;
            QVERIFY(Document::renderDocumentToFiles(manual, QString(), { { 2, 2 } }, 1,
                                                    folder.filePath(QStringLiteral("images")),
                                                    &renderError));
            QCOMPARE(entriesOf(folder.filePath(QStringLiteral("images"))).size(), 1);
        }
    }

private:
    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
    QString m_plain;
    QString m_ten;
};

VL_TEST_GUI_MAIN(TestFileOperations)

#include "tst_fileoperations.moc"
