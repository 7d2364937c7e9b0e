#include "crashreporter/crashreport.h"
#include "crashreporter/reportuploader.h"
#include "tests/support/localhttpserver.h"
#include "tests/support/testenvironment.h"

#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>

using Headers = QList<QPair<QByteArray, QByteArray>>;

// Sending a report to a server of the test's own: only with a 2xx answer
// is it sent, a report that failed stays whole for later, and no report
// goes out twice.
class TestReportUploader : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder.reset(new QTemporaryDir);
        QVERIFY(m_server->listen());
        m_report.reset(new CrashReport(m_folder->path()));
        m_report->setApplication(QStringLiteral("Reader"), QStringLiteral("5.0.7"));
        m_report->setDescription(QStringLiteral("It fell over."));
        writeFile(QStringLiteral("log.txt"), "line one\nline two\n");
        QVERIFY(m_report->addFile(m_folder->filePath(QStringLiteral("log.txt")),
                                  QStringLiteral("Log file")));
        m_report->addProperty(QStringLiteral("Screen count"), QStringLiteral("1"));
        QVERIFY(m_report->save(nullptr));
    }

    void cleanup()
    {
        m_report.reset();
        m_folder.reset();
        m_server.reset(new LocalHttpServer);
    }

    void sentOnceOnly()
    {
        QString error;
        QVERIFY2(upload(m_server->url(QStringLiteral("/upload")), &error), qPrintable(error));
        QCOMPARE(m_server->requests().size(), 1);
        const LocalHttpServer::Request request = m_server->requests().first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.target, QByteArray("/upload"));
        QVERIFY(request.headers.value("content-type").startsWith("multipart/form-data"));
        for (const QByteArray &piece :
             { QByteArray("name=\"appname\"\r\n\r\nReader"),
               QByteArray("name=\"appversion\"\r\n\r\n5.0.7"),
               QByteArray("name=\"description\"\r\n\r\nIt fell over."),
               QByteArray("filename=\"report.json\""), QByteArray("\"Screen count\""),
               QByteArray("filename=\"(1)log.txt\""), QByteArray("line one\nline two\n") })
            QVERIFY2(request.body.contains(piece), piece.constData());
        QVERIFY(m_report->isUploaded());

        // Asked again, it refuses without a word to the server.
        QVERIFY(!upload(m_server->url(QStringLiteral("/upload")), &error));
        QVERIFY(error.contains(QStringLiteral("sent already")));
        QCOMPARE(m_server->requests().size(), 1);
    }

    void failureKeepsTheReport_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("server error") << "500";
        QTest::newRow("nobody listening") << "closed";
        QTest::newRow("silent server") << "hang";
        QTest::newRow("redirect elsewhere") << "redirect";
    }

    void failureKeepsTheReport()
    {
        QFETCH(QString, how);
        LocalHttpServer elsewhere;
        QVERIFY(elsewhere.listen());
        QString address = m_server->url(QStringLiteral("/upload"));
        if (how == QLatin1String("500"))
            m_server->setReply(500, "broken");
        else if (how == QLatin1String("closed"))
            address = QStringLiteral("http://127.0.0.1:9/upload");
        else if (how == QLatin1String("hang"))
            m_server->setHang(true);
        else
            m_server->setReply(
                    307, QByteArray(),
                    Headers { { "Location", elsewhere.url(QStringLiteral("/")).toLatin1() } });

        QString error;
        QVERIFY(!upload(address, &error, 500));
        QVERIFY(!error.isEmpty());
        QVERIFY(!m_report->isUploaded());
        QCOMPARE(elsewhere.requests().size(), 0);
        QVERIFY(QFileInfo::exists(m_report->filePath(QStringLiteral("(1)log.txt"))));
        QVERIFY(QFileInfo::exists(m_report->filePath(QStringLiteral("report.json"))));

        // Kept whole: it goes out later to a server that takes it.
        m_server.reset(new LocalHttpServer);
        QVERIFY(m_server->listen());
        QVERIFY2(upload(m_server->url(QStringLiteral("/upload")), &error), qPrintable(error));
        QVERIFY(m_report->isUploaded());
    }

    // Two reporters on one report: the second does not send it as well.
    void reportBeingSentIsRefused()
    {
        QLockFile other(m_report->filePath(QStringLiteral("upload.lock")));
        QVERIFY(other.tryLock(0));
        QString error;
        QVERIFY(!upload(m_server->url(QStringLiteral("/upload")), &error));
        QVERIFY(error.contains(QStringLiteral("another reporter")));
        QCOMPARE(m_server->requests().size(), 0);
    }

private:
    bool upload(const QString &address, QString *error, int timeoutMs = 10000)
    {
        ReportUploader uploader;
        uploader.setTimeout(timeoutMs);
        QSignalSpy finished(&uploader, &ReportUploader::finished);
        uploader.upload(m_report.get(), QUrl(address));
        if (!finished.wait(15000)) {
            *error = QStringLiteral("no end");
            return false;
        }
        *error = finished.first().at(1).toString();
        return finished.first().at(0).toBool();
    }

    void writeFile(const QString &name, const QByteArray &content)
    {
        QFile file(m_folder->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<CrashReport> m_report;
    std::unique_ptr<LocalHttpServer> m_server = std::make_unique<LocalHttpServer>();
};

VL_TEST_GUILESS_MAIN(TestReportUploader)
#include "tst_reportuploader.moc"
