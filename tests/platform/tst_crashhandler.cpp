#include "tests/support/testenvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

// The fatal-signal handler, in a program of the test's own that crashes on
// purpose and stands in for the reporter too.
class TestCrashHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_target = TestEnvironment::binDir() + QStringLiteral("/crashtarget");
        QVERIFY2(QFileInfo(m_target).isExecutable(), qPrintable(m_target));
    }

    void crashLeavesAReport_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("signal");
        QTest::newRow("segmentation fault") << "segv" << int(SIGSEGV);
        QTest::newRow("abort") << "abort" << int(SIGABRT);
        QTest::newRow("signal from outside") << "kill" << int(SIGSEGV);
        QTest::newRow("two threads at once") << "threads" << int(SIGSEGV);
    }

    // One report folder, a backtrace, the reporter started with the
    // crash's details and nothing of ours open; then the process dies of
    // the signal as it would have without the handler.
    void crashLeavesAReport()
    {
        QFETCH(QString, mode);
        QFETCH(int, signal);

        QTemporaryDir reports;
        QProcess target;
        QElapsedTimer timer;
        timer.start();
        const qint64 pid = run(target, reports.path(), mode);
        QVERIFY(pid > 0);
        QCOMPARE(target.exitStatus(), QProcess::CrashExit);
        QCOMPARE(target.exitCode(), signal);
        QVERIFY2(timer.elapsed() < 10000, "the handler held the process too long");

        const QStringList folders
                = QDir(reports.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(folders.size(), 1);
        QVERIFY(folders.first().startsWith(QStringLiteral("crash-")));
        QVERIFY(folders.first().endsWith(QStringLiteral("-%1").arg(pid)));
        const QDir folder(reports.filePath(folders.first()));
        const QByteArray backtrace = read(folder.filePath(QStringLiteral("backtrace.txt")));
        QVERIFY(backtrace.startsWith("Signal " + QByteArray::number(signal) + "\n"));
        QVERIFY(backtrace.count('\n') > 3);

        QTRY_VERIFY(QFileInfo::exists(folder.filePath(QStringLiteral("fds.txt"))));
        const QStringList arguments
                = QString::fromLocal8Bit(read(folder.filePath(QStringLiteral("args.txt"))))
                          .split(QLatin1Char('\n'));
        QCOMPARE(arguments,
                 (QStringList { "--collect", folder.absolutePath(), "--ready-fd", "3", "--pid",
                                QString::number(pid), "--signal", QString::number(signal), "--app",
                                "Reader" }));
        // Standard input, output and error, the ready pipe, and the two the
        // listing itself opened: nothing else of the crashed process.
        QCOMPARE(QString::fromLatin1(read(folder.filePath(QStringLiteral("fds.txt"))))
                         .split(QLatin1Char(' '))
                         .size(),
                 6);
    }

    // A fault inside the handler ends the process at once: no loop, no
    // hang, no second report.
    void faultInTheHandlerEndsTheProcess()
    {
        QTemporaryDir reports;
        QProcess target;
        QVERIFY(run(target, reports.path(), QStringLiteral("fault-in-handler")) > 0);
        QCOMPARE(target.exitStatus(), QProcess::CrashExit);
        QCOMPARE(target.exitCode(), int(SIGSEGV));
        QVERIFY(QDir(reports.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }

    // A reporter that never answers holds the crashed process only for the
    // wait the handler allows.
    void silentReporterIsNotWaitedFor()
    {
        QTemporaryDir reports;
        QProcess target;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CRASHTARGET_SILENT"), QStringLiteral("1"));
        target.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(run(target, reports.path(), QStringLiteral("segv")) > 0);
        QCOMPARE(target.exitCode(), int(SIGSEGV));
        QVERIFY2(timer.elapsed() < 1500 + 1500, qPrintable(QString::number(timer.elapsed())));
        // The silent reporter ends by itself.
        QTest::qWait(2200);
    }

    void installFailsWithoutReporter()
    {
        QTemporaryDir reports;
        QProcess target;
        target.start(m_target,
                     { reports.filePath(QStringLiteral("no-such-reporter")), reports.path(),
                       QStringLiteral("segv") });
        QVERIFY(target.waitForFinished(10000));
        QCOMPARE(target.exitStatus(), QProcess::NormalExit);
        QCOMPARE(target.exitCode(), 3);
        QVERIFY(target.readAllStandardError().contains("crash reporter program was not found"));
    }

    void uninstalledHandlerLeavesNothing()
    {
        QTemporaryDir reports;
        QProcess target;
        QVERIFY(run(target, reports.path(), QStringLiteral("uninstalled")) > 0);
        QCOMPARE(target.exitCode(), int(SIGSEGV));
        QVERIFY(QDir(reports.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }

private:
    // Runs the target to its end; its process id.
    qint64 run(QProcess &target, const QString &reports, const QString &mode)
    {
        qint64 pid = -1;
        // Taken when it starts: once it crashed the id is gone.
        connect(&target, &QProcess::started, this, [&] { pid = target.processId(); });
        // The target is its own reporter.
        target.start(m_target, { m_target, reports, mode });
        // A crash counts as an error of the wait; the state tells the end.
        target.waitForFinished(20000);
        return target.state() == QProcess::NotRunning ? pid : -1;
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString m_target;
};

VL_TEST_GUILESS_MAIN(TestCrashHandler)
#include "tst_crashhandler.moc"
