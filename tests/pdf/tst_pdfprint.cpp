// Printing PDF books: the library's print entries through the engine and
// the background print job, always into a PDF file (never a printer); the
// pages printed are counted with pdfinfo and looked at through the engine.

#include "pdf/document.h"
#include "pdf/pdfdocument.h"
#include "pdf/pdfprintjob.h"
#include "tests/pdf/pdffixture.h"
#include "tests/support/testenvironment.h"
#include "widgets/handover/applicationhandover.h"
#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtConcurrent>

namespace {

// "Pages" and "Page size" of pdfinfo.
struct Info
{
    int pages = -1;
    QSizeF pageSize;
};

Info pdfInfo(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), { path });
    Info info;
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return info;
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpressionMatch pages
            = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
    if (pages.hasMatch())
        info.pages = pages.captured(1).toInt();
    const QRegularExpressionMatch size
            = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"))
                      .match(text);
    if (size.hasMatch())
        info.pageSize = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    return info;
}

QString settingsFor(const QString &output, const QString &extra = QString())
{
    return QStringLiteral("vellumin-printer-settings 1\nprinter=\ncopies=1\norientation=portrait\n"
                          "paper=A4\noutput=%1\n%2")
            .arg(QString::fromLatin1(output.toUtf8().toPercentEncoding()), extra);
}

// Whether a corner of a printed page (a tenth of each side) holds ink.
bool inkInCorner(const QImage &page, bool right, bool bottom)
{
    const int w = page.width() / 10;
    const int h = page.height() / 10;
    const int left = right ? page.width() - w : 0;
    const int top = bottom ? page.height() - h : 0;
    for (int y = top; y < top + h; ++y) {
        for (int x = left; x < left + w; ++x) {
            if (qGray(page.pixel(x, y)) < 64)
                return true;
        }
    }
    return false;
}

} // namespace

class TestPdfPrint : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QImage printedPage(const QString &file, int page)
    {
        Document engine;
        if (!engine.LoadFromFile(file, QString()))
            return QImage();
        engine.SetRenderScale(0.5);
        const QSize points = engine.pageSize(page);
        return engine.drawPage(page, 72.0, points * 0.5);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        QVERIFY(pdffixture::writeTextPdf(path("letter.pdf"), 4));
        QVERIFY(pdffixture::writeTextPdf(path("wide.pdf"), 2, QString(),
                                         QPageSize(QSizeF(792, 612), QPageSize::Point)));
    }

    void cleanupTestCase() { m_dir.setAutoRemove(!QTest::currentTestFailed()); }

    void printToFile_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("scaling");
        QTest::addColumn<int>("rotate");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QSizeF>("paper");
        // Where the page's top left box lands on the paper.
        QTest::addColumn<bool>("boxRight");

        const QSizeF a4(595, 842);
        QTest::newRow("all pages, A4") << "letter.pdf" << 1 << 4 << 0 << 1 << "" << a4 << false;
        QTest::newRow("a range, fitted") << "letter.pdf" << 2 << 3 << 1 << 1 << "" << a4 << false;
        QTest::newRow("Letter paper, landscape")
                << "letter.pdf" << 1 << 1 << 2 << 1 << "paper=Letter\norientation=landscape\n"
                << QSizeF(792, 612) << true;
        QTest::newRow("a wide page turned onto portrait paper")
                << "wide.pdf" << 1 << 2 << 1 << 1 << "" << a4 << true;
        QTest::newRow("a wide page not turned")
                << "wide.pdf" << 1 << 1 << 2 << 0 << "" << a4 << false;
    }

    void printToFile()
    {
        QFETCH(QString, source);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, scaling);
        QFETCH(int, rotate);
        QFETCH(QString, extra);
        QFETCH(QSizeF, paper);
        QFETCH(bool, boxRight);

        const QString output = path(QStringLiteral("printed %1.pdf").arg(QTest::currentDataTag()));
        Document engine;
        QVERIFY(engine.LoadFromFile(path(source), QString()));
        QCOMPARE(engine.SetPrinterDevModeFromString(settingsFor(output, extra)), 1);
        const int options = engine.PrintOptions(scaling, rotate, QStringLiteral("Job"));
        QVERIFY(options > 0);
        QCOMPARE(engine.PrintDocument(QString(), first, last, options), 1);

        const Info info = pdfInfo(output);
        QCOMPARE(info.pages, last - first + 1);
        QVERIFY2(qAbs(info.pageSize.width() - paper.width()) < 1.5
                         && qAbs(info.pageSize.height() - paper.height()) < 1.5,
                 qPrintable(QStringLiteral("%1 x %2")
                                    .arg(info.pageSize.width())
                                    .arg(info.pageSize.height())));
        const QImage printed = printedPage(output, 1);
        QVERIFY(!printed.isNull());
        QCOMPARE(inkInCorner(printed, boxRight, false), true);
        QCOMPARE(inkInCorner(printed, !boxRight, false), false);
    }

    void printFailures()
    {
        const QString output = path(QStringLiteral("never.pdf"));
        Document engine;
        // Nothing loaded.
        QCOMPARE(engine.PrintDocument(QString(), 1, 1, 0), 0);
        QVERIFY(engine.LoadFromFile(path("letter.pdf"), QString()));
        QCOMPARE(engine.SetPrinterDevModeFromString(settingsFor(output)), 1);
        QCOMPARE(engine.PrintDocument(QString(), 0, 2, 0), 0);
        QCOMPARE(engine.LastErrorCode(), 412);
        QCOMPARE(engine.PrintDocument(QString(), 3, 5, 0), 0);
        QCOMPARE(engine.PrintOptions(7, 1, QString()), 0);
        QCOMPARE(engine.PrintDocument(QString(), 1, 1, 12345), 0);
        QVERIFY(!QFile::exists(output));
        // A printer that does not exist, no file named.
        QCOMPARE(engine.SetPrinterDevModeFromString(
                         QStringLiteral("vellumin-printer-settings 1\nprinter=none\n")),
                 1);
        QCOMPARE(engine.PrintDocument(QStringLiteral("no such printer here"), 1, 1, 0), 0);
        QCOMPARE(engine.LastErrorCode(), 403);
        // Default options print too.
        QCOMPARE(engine.SetPrinterDevModeFromString(settingsFor(output)), 1);
        QCOMPARE(engine.PrintDocument(QString(), 1, 2, 0), 1);
        QCOMPARE(pdfInfo(output).pages, 2);
    }

    void printJob_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("printed");
        QTest::addColumn<int>("prompts");
        QTest::addColumn<int>("boxes");
        QTest::newRow("a book") << "plain" << true << 0 << 0;
        QTest::newRow("a protected book asks for its password") << "protected" << true << 1 << 0;
        QTest::newRow("a damaged book: the user is told") << "damaged" << false << 0 << 1;
    }

    // The job runs on a pool thread, as the viewer starts it.
    void printJob()
    {
        QFETCH(QString, kind);
        QFETCH(bool, printed);
        QString file = path(QStringLiteral("letter.pdf"));
        if (kind == QLatin1String("protected")) {
            file = path(QStringLiteral("locked.pdf"));
            pdffixture::Changes changes;
            changes.userPassword = QStringLiteral("pw");
            QVERIFY(pdffixture::rewrite(path("letter.pdf"), file, changes));
        } else if (kind == QLatin1String("damaged")) {
            file = path(QStringLiteral("damaged.pdf"));
            QVERIFY(pdffixture::truncated(path("letter.pdf"), file, 0.1));
        }
        InputPasswordController passwords;
        MessageBoxController messages;
        int prompts = 0;
        QStringList boxes;
        connect(&passwords, &InputPasswordController::onRequest, this, [&] {
            ++prompts;
            PasswordAnswer answer;
            answer.accepted = true;
            answer.password = QStringLiteral("pw");
            passwords.answer(answer);
        });
        connect(&messages, &MessageBoxController::showMessage, this,
                [&](const QString &title, const QString &text) {
                    boxes << title + QStringLiteral(": ") + text;
                    messages.setPending(0);
                });
        Handover::setApplicationControllers(&passwords, &messages);

        const QString output = path(QStringLiteral("job %1.pdf").arg(QTest::currentDataTag()));
        Document settings;
        QString device = settings.GetPrinterDevModeToString(QStringLiteral("Office"));
        device += QStringLiteral("output=%1\n")
                          .arg(QString::fromLatin1(output.toUtf8().toPercentEncoding()));
        QString error;
        const QFuture<bool> job = QtConcurrent::run(
                [&] { return pdf::printPdfFile(QStringLiteral("Office"), device, file, &error); });
        QVERIFY(QTest::qWaitFor([&] { return job.isFinished(); }, 60000));
        Handover::setApplicationControllers(nullptr, nullptr);

        QCOMPARE(job.result(), printed);
        QTEST(prompts, "prompts");
        QTEST(int(boxes.size()), "boxes");
        if (printed) {
            QCOMPARE(pdfInfo(output).pages, 4);
            QVERIFY(error.isEmpty());
        } else {
            QVERIFY(!QFile::exists(output));
            QVERIFY(!error.isEmpty());
            QVERIFY(boxes.first().startsWith(QStringLiteral("Print: The book \"damaged.pdf\"")));
        }
    }
};

VL_TEST_GUI_MAIN(TestPdfPrint)

#include "tst_pdfprint.moc"
