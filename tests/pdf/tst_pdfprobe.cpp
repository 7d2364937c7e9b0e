// The developer probe's PDF commands: JSON about a file and a drawn page.

#include "tests/pdf/pdffixture.h"
#include "tests/support/proberunner.h"
#include "tests/support/testenvironment.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>

using TestSupport::runProbe;

class TestPdfProbe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo(TestSupport::probeProgram()).isExecutable())
            QSKIP("vellumin-probe is not built");
        QVERIFY(m_folder.isValid());
        m_plain = m_folder.filePath(QStringLiteral("plain.pdf"));
        QVERIFY(pdffixture::writeTextPdf(m_plain, 2, QStringLiteral("Probe book")));
        pdffixture::Changes changes;
        changes.outline
                = { { QStringLiteral("Start"), 1, { { QStringLiteral("Inner"), 2, {} } } } };
        changes.userPassword = QStringLiteral("pw");
        QVERIFY(pdffixture::rewrite(m_plain, m_folder.filePath(QStringLiteral("locked.pdf")),
                                    changes));
    }

    void info()
    {
        int exitCode = -1;
        QJsonObject result = runProbe({ QStringLiteral("pdf-info"), m_plain }, &exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(result.value(QStringLiteral("pages")).toInt(), 2);
        QCOMPARE(result.value(QStringLiteral("title")).toString(), QStringLiteral("Probe book"));
        QCOMPARE(result.value(QStringLiteral("firstPage"))
                         .toObject()
                         .value(QStringLiteral("width"))
                         .toInt(),
                 612);

        const QString locked = m_folder.filePath(QStringLiteral("locked.pdf"));
        result = runProbe({ QStringLiteral("pdf-info"), locked }, &exitCode);
        QCOMPARE(exitCode, 1);
        QCOMPARE(result.value(QStringLiteral("errorCode")).toInt(), 404);
        QVERIFY(result.value(QStringLiteral("needsPassword")).toBool());
        result = runProbe({ QStringLiteral("pdf-info"), locked, QStringLiteral("--password"),
                            QStringLiteral("pw") },
                          &exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(result.value(QStringLiteral("outlineCount")).toInt(), 2);
    }

    void render()
    {
        int exitCode = -1;
        const QString out = m_folder.filePath(QStringLiteral("page.png"));
        QJsonObject result = runProbe({ QStringLiteral("pdf-render"), m_plain,
                                        QStringLiteral("--page"), QStringLiteral("2"),
                                        QStringLiteral("--scale"), QStringLiteral("0.5"), out },
                                      &exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(result.value(QStringLiteral("width")).toInt(), 306);
        QCOMPARE(QImage(out).size(), QSize(306, 396));

        result = runProbe({ QStringLiteral("pdf-render"), m_plain, QStringLiteral("--page"),
                            QStringLiteral("3"), out },
                          &exitCode);
        QCOMPARE(exitCode, 1);
        QVERIFY(result.contains(QStringLiteral("error")));
    }

    void cleanupTestCase() { m_folder.setAutoRemove(!QTest::currentTestFailed()); }

private:
    QTemporaryDir m_folder;
    QString m_plain;
};

VL_TEST_GUI_MAIN(TestPdfProbe)

#include "tst_pdfprobe.moc"
