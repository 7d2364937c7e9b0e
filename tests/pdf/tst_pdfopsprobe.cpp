// The developer probe's commands for the PDF file operations: each prints
// one JSON line saying what it made, and leaves the cache folder empty.

#include "tests/pdf/pdffixture.h"
#include "tests/support/proberunner.h"
#include "tests/support/testenvironment.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

class TestPdfOpsProbe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo(TestSupport::probeProgram()).isExecutable())
            QSKIP("vellumin-probe is not built");
        QVERIFY(m_folder.isValid());
        QVERIFY(pdffixture::writeTextPdf(m_folder.filePath(QStringLiteral("plain.pdf")), 4,
                                         QStringLiteral("Probe book"),
                                         QPageSize(QSizeF(144, 96), QPageSize::Point)));
        pdffixture::Changes changes;
        changes.userPassword = QStringLiteral("pw");
        changes.ownerPassword = QStringLiteral("owner");
        QVERIFY(pdffixture::rewrite(m_folder.filePath(QStringLiteral("plain.pdf")),
                                    m_folder.filePath(QStringLiteral("locked.pdf")), changes));
    }

    void cleanupTestCase() { m_folder.setAutoRemove(!QTest::currentTestFailed()); }

    void command_data()
    {
        // Arguments are relative to the test folder; expected holds the
        // fields to compare, a number standing for the length of an array.
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("probe") << "pdf-probe plain.pdf --cover cover.png" << 0
                               << R"({"ok":true,"pageCount":4,"title":"Probe book",
                                      "isEncrypted":false,"cacheLeft":0})";
        QTest::newRow("probe protected")
                << "pdf-probe locked.pdf" << 0 << R"({"readable":true,"passwordRequired":true,
                                               "pageCount":0})";
        QTest::newRow("split per page") << "pdf-split plain.pdf --per-page --out pages" << 0
                                        << R"({"ok":true,"files":4,"cacheLeft":0})";
        QTest::newRow("split by groups") << "pdf-split locked.pdf --password pw --groups 1,3" << 0
                                         << R"({"ok":true,"files":2,"cacheLeft":0})";
        QTest::newRow("split without pages") << "pdf-split plain.pdf --remove 2,3 --out edit" << 0
                                             << R"({"ok":true,"files":1,"cacheLeft":0})";
        QTest::newRow("split by ranges") << "pdf-split plain.pdf --ranges 1-2;../x --out ranges"
                                         << 0 << R"({"ok":true,"files":1})";
        QTest::newRow("split, no mode") << "pdf-split plain.pdf" << 1 << R"({})";
        QTest::newRow("merge") << "pdf-merge merged.pdf plain.pdf locked.pdf --password pw" << 0
                               << R"({"ok":true,"pages":8,"inputs":2,"cacheLeft":0})";
        QTest::newRow("merge, wrong password")
                << "pdf-merge merged2.pdf plain.pdf locked.pdf --password nope" << 0
                << R"({"ok":true,"pages":4,"cacheLeft":0})";
        QTest::newRow("encrypt") << "pdf-encrypt plain.pdf enc.pdf --owner o --user u "
                                    "--allow print,copy"
                                 << 0 << R"({"ok":true,"error":""})";
        QTest::newRow("encrypt protected")
                << "pdf-encrypt locked.pdf enc2.pdf --user u" << 1 << R"({"ok":false})";
        QTest::newRow("render to files") << "pdf-render-files plain.pdf images --ranges 1,3-4" << 0
                                         << R"({"ok":true,"files":3})";
        QTest::newRow("page image") << "pdf-page-image plain.pdf page.png --page 2 --dpi 144" << 0
                                    << R"({"ok":true,"width":288,"height":192,"cacheLeft":0})";
    }

    void command()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QProcess process;
        process.setWorkingDirectory(m_folder.path());
        process.start(TestSupport::probeProgram(), arguments.split(QLatin1Char(' ')));
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), exitCode);
        const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
        const QJsonObject result = QJsonDocument::fromJson(lines.last()).object();
        QVERIFY2(!result.isEmpty(), lines.last().constData());
        const QJsonObject wanted = QJsonDocument::fromJson(expected.toUtf8()).object();
        for (auto it = wanted.begin(); it != wanted.end(); ++it) {
            const QJsonValue actual = result.value(it.key());
            if (actual.isArray())
                QCOMPARE(actual.toArray().size(), it.value().toInt());
            else
                QVERIFY2(actual == it.value(),
                         qPrintable(it.key() + QLatin1String(" in ")
                                    + QString::fromUtf8(lines.last())));
        }
    }

private:
    QTemporaryDir m_folder;
};

VL_TEST_GUI_MAIN(TestPdfOpsProbe)

#include "tst_pdfopsprobe.moc"
