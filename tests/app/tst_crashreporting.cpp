#include "tests/support/localhttpserver.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <csignal>

// A running vellumin killed with SIGSEGV leaves a report folder, and the
// report reaches the test's server only with the user's consent.
class TestCrashReporting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_program = TestEnvironment::binDir() + QStringLiteral("/vellumin");
        QVERIFY2(QFileInfo(m_program).isExecutable(), qPrintable(m_program));
        QVERIFY(QFileInfo(TestEnvironment::binDir() + QStringLiteral("/vellumin-crashreporter"))
                        .isExecutable());
        QVERIFY(m_server.listen());
    }

    void cleanup()
    {
        if (m_vellumin.state() != QProcess::NotRunning) {
            m_vellumin.kill();
            m_vellumin.waitForFinished(5000);
        }
    }

    void killedProgramLeavesAReport_data()
    {
        QTest::addColumn<QString>("consent");
        QTest::newRow("user sends it") << "send";
        QTest::newRow("user keeps it") << "keep";
    }

    void killedProgramLeavesAReport()
    {
        QFETCH(QString, consent);
        const int requestsBefore = m_server.requests().size();

        // The last book read, small enough to go into the report.
        const QString book = TestEnvironment::home() + QStringLiteral("/last book.txt");
        QFile bookFile(book);
        QVERIFY(bookFile.open(QIODevice::WriteOnly));
        bookFile.write("Once upon a time.\n");
        bookFile.close();
        const QString settingsPath = qEnvironmentVariable("XDG_CONFIG_HOME")
                + QStringLiteral("/Morvasco/vellumin/settings.ini");
        QSettings settings(settingsPath, QSettings::IniFormat);
        settings.setValue(QStringLiteral("last_open_book"), book);
        settings.sync();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VELLUMIN_SPLASH_MS"), QStringLiteral("0"));
        environment.insert(QStringLiteral("VELLUMIN_CRASH_URL"),
                           m_server.url(QStringLiteral("/upload")));
        environment.insert(QStringLiteral("VELLUMIN_CRASH_CONSENT"), consent);
        m_vellumin.setProcessEnvironment(environment);
        // No pipes: the reporter outlives the program and must not hold them.
        m_vellumin.setProcessChannelMode(QProcess::ForwardedChannels);
        const QStringList before = reportFolders();
        const int startsBefore = log().count(QStringLiteral("1 argument(s)"));
        m_vellumin.start(m_program, QStringList());
        QVERIFY(m_vellumin.waitForStarted(5000));
        const qint64 pid = m_vellumin.processId();
        QTRY_VERIFY_WITH_TIMEOUT(log().count(QStringLiteral("1 argument(s)")) > startsBefore,
                                 15000);

        ::kill(pid_t(pid), SIGSEGV);
        m_vellumin.waitForFinished(20000);
        QCOMPARE(m_vellumin.state(), QProcess::NotRunning);
        QCOMPARE(m_vellumin.exitStatus(), QProcess::CrashExit);
        QCOMPARE(m_vellumin.exitCode(), int(SIGSEGV));

        QStringList added = reportFolders();
        for (const QString &old : before)
            added.removeAll(old);
        QCOMPARE(added.size(), 1);
        const QDir folder(added.first());
        QVERIFY(folder.dirName().endsWith(QStringLiteral("-%1").arg(pid)));
        QTRY_VERIFY_WITH_TIMEOUT(folder.exists(QStringLiteral("report.json")), 10000);

        const QJsonObject report
                = QJsonDocument::fromJson(read(folder.filePath(QStringLiteral("report.json"))))
                          .object();
        QCOMPARE(report.value(QStringLiteral("application")).toString(), QStringLiteral("Reader"));
        QCOMPARE(report.value(QStringLiteral("version")).toString(), QStringLiteral("5.0.7"));
        QCOMPARE(report.value(QStringLiteral("signal")).toInt(), int(SIGSEGV));
        QStringList descriptions;
        for (const QJsonValue &file : report.value(QStringLiteral("files")).toArray()) {
            descriptions.append(file.toObject().value(QStringLiteral("description")).toString());
            QVERIFY(folder.exists(file.toObject().value(QStringLiteral("name")).toString()));
        }
        for (const char *wanted :
             { "Backtrace", "Log file", "Configuration File", "Last open book" })
            QVERIFY2(descriptions.contains(QLatin1String(wanted)), wanted);
        QMap<QString, QString> properties;
        for (const QJsonValue &property : report.value(QStringLiteral("properties")).toArray())
            properties.insert(property.toObject().value(QStringLiteral("name")).toString(),
                              property.toObject().value(QStringLiteral("value")).toString());
        QCOMPARE(properties.value(QStringLiteral("Screen count")), QStringLiteral("1"));
        QVERIFY(properties.value(QStringLiteral("Screen 0"))
                        .contains(QRegularExpression(QStringLiteral("^[0-9]+x[0-9]+$"))));
        QVERIFY(read(folder.filePath(QStringLiteral("settings.ini"))).contains("last_open_book"));

        if (consent == QLatin1String("send")) {
            QTRY_VERIFY_WITH_TIMEOUT(folder.exists(QStringLiteral("uploaded")), 15000);
            QCOMPARE(m_server.requests().size(), requestsBefore + 1);
            const QByteArray body = m_server.requests().last().body;
            QVERIFY(body.contains("filename=\"settings.ini\""));
            QVERIFY(body.contains("filename=\"last book.txt\""));
            QVERIFY(body.contains("Once upon a time."));
            QVERIFY(body.contains("\"Screen count\""));
        } else {
            // Nothing goes out without consent; the report stays.
            QTest::qWait(500);
            QCOMPARE(m_server.requests().size(), requestsBefore);
            QVERIFY(!folder.exists(QStringLiteral("uploaded")));
        }
    }

private:
    static QStringList reportFolders()
    {
        const QDir reports(TestEnvironment::home() + QStringLiteral("/.vellumin/crashreports"));
        QStringList folders;
        for (const QString &name : reports.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            folders.append(reports.filePath(name));
        return folders;
    }

    static QString log()
    {
        const QDir folder(TestEnvironment::home() + QStringLiteral("/.vellumin/log"));
        QString text;
        for (const QString &name : folder.entryList({ QStringLiteral("log_*.txt") }, QDir::Files))
            text += QString::fromUtf8(read(folder.filePath(name)));
        return text;
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString m_program;
    QProcess m_vellumin;
    LocalHttpServer m_server;
};

VL_TEST_GUILESS_MAIN(TestCrashReporting)
#include "tst_crashreporting.moc"
