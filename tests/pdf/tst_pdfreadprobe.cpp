// The developer probe on PDF books: "read BOOK.pdf" in the PDF viewer and
// "frame BOOK.pdf" in the reading frame, with a password given.

#include "tests/pdf/pdffixture.h"
#include "tests/support/proberunner.h"
#include "tests/support/testenvironment.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

using TestSupport::runProbe;

class TestPdfReadProbe : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString m_plain;
    QString m_locked;

private slots:
    void initTestCase()
    {
        if (!QFileInfo(TestSupport::probeProgram()).isExecutable())
            QSKIP("vellumin-probe is not built");
        QVERIFY(m_folder.isValid());
        const QString written = m_folder.filePath(QStringLiteral("written.pdf"));
        QVERIFY(pdffixture::writeTextPdf(written, 6, QStringLiteral("Probe book")));
        pdffixture::Changes outline;
        outline.outline = { { QStringLiteral("Start"), 1, {} }, { QStringLiteral("End"), 6, {} } };
        m_plain = m_folder.filePath(QStringLiteral("plain.pdf"));
        QVERIFY(pdffixture::rewrite(written, m_plain, outline));
        pdffixture::Changes locked;
        locked.userPassword = QStringLiteral("pw");
        m_locked = m_folder.filePath(QStringLiteral("locked.pdf"));
        QVERIFY(pdffixture::rewrite(written, m_locked, locked));
    }

    void cleanupTestCase() { m_folder.setAutoRemove(!QTest::currentTestFailed()); }

    void read()
    {
        const QString shot = m_folder.filePath(QStringLiteral("read.png"));
        int exitCode = -1;
        const QJsonObject result = runProbe(
                { QStringLiteral("read"), m_plain, QStringLiteral("--goto"), QStringLiteral("3"),
                  QStringLiteral("--columns"), QStringLiteral("2"), QStringLiteral("--search"),
                  QStringLiteral("abc"), QStringLiteral("--size"), QStringLiteral("900x600"),
                  QStringLiteral("--screenshot"), shot },
                &exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(result.value(QStringLiteral("title")).toString(), QStringLiteral("Probe book"));
        QCOMPARE(result.value(QStringLiteral("totalPages")).toInt(), 6);
        QCOMPARE(result.value(QStringLiteral("page")).toInt(), 3);
        QCOMPARE(result.value(QStringLiteral("columnCount")).toInt(), 2);
        QCOMPARE(result.value(QStringLiteral("progress")).toInt(), 50);
        QCOMPARE(result.value(QStringLiteral("contents")).toInt(), 2);
        QCOMPARE(result.value(QStringLiteral("hits")).toInt(), 6);
        QCOMPARE(result.value(QStringLiteral("firstHits")).toArray().first().toString(),
                 QStringLiteral("1: <b>abc</b>def"));
        QCOMPARE(QImage(shot).size(), QSize(900, 600));

        const QJsonObject zoomed = runProbe({ QStringLiteral("read"), m_plain,
                                              QStringLiteral("--zoom"), QStringLiteral("1.5") },
                                            &exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(zoomed.value(QStringLiteral("imageSize")).toString(), QStringLiteral("918x1188"));
        QCOMPARE(zoomed.value(QStringLiteral("renderState")).toInt(), 2);
    }

    void frameWithPassword_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right") << "pw" << true;
        QTest::newRow("wrong") << "nope" << false;
        QTest::newRow("none") << "" << false;
    }

    void frameWithPassword()
    {
        QFETCH(QString, password);
        QFETCH(bool, opens);
        QStringList arguments { QStringLiteral("frame"),     m_locked,
                                QStringLiteral("--columns"), QStringLiteral("1"),
                                QStringLiteral("--turn"),    QStringLiteral("2") };
        if (!password.isEmpty())
            arguments << QStringLiteral("--password") << password;
        int exitCode = -1;
        const QJsonObject result = runProbe(arguments, &exitCode);
        QCOMPARE(exitCode == 0, opens);
        if (!opens) {
            QVERIFY(result.value(QStringLiteral("error"))
                            .toString()
                            .contains(QStringLiteral("can not be opened")));
            return;
        }
        QCOMPARE(result.value(QStringLiteral("page")).toInt(), 3);
        QCOMPARE(result.value(QStringLiteral("progressText")).toString(),
                 QStringLiteral("<b>3</b> / 6"));
        QCOMPARE(result.value(QStringLiteral("waitPage")).toBool(), false);
    }
};

VL_TEST_GUI_MAIN(TestPdfReadProbe)

#include "tst_pdfreadprobe.moc"
