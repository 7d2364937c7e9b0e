#include "tests/support/testenvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <csignal>

// Starts the real program twice and checks the hand-over between the two.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_program = TestEnvironment::binDir() + QStringLiteral("/vellumin");
        QVERIFY2(QFile::exists(m_program), qPrintable(m_program));
    }

    void cleanup()
    {
        for (QProcess *process : { &m_first, &m_second }) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    void secondStartHandsOverAndExits()
    {
        startFirst();

        const QString book = QStringLiteral("/books/a|b %1 Книга.epub");
        QElapsedTimer timer;
        timer.start();
        m_second.start(m_program, { book });
        QVERIFY(m_second.waitForFinished(10000));
        qInfo("second start took %lld ms", timer.elapsed());
        QCOMPARE(m_second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_second.exitCode(), 0);

        // The first instance got the program path and the book path, "|"
        // and all.
        QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("2 argument(s): ") + m_program
                                                + QStringLiteral(", ") + book),
                                 10000);
        QCOMPARE(m_first.state(), QProcess::Running);
    }

    void crashedInstanceLeavesNoStaleLock()
    {
        startFirst();
        // A crash leaves the socket behind; the next start must take over
        // instead of handing its message to nobody.
        ::kill(pid_t(m_first.processId()), SIGKILL);
        QVERIFY(m_first.waitForFinished(5000));

        startFirst();
        m_second.start(m_program, { QStringLiteral("/books/next.epub") });
        QVERIFY(m_second.waitForFinished(10000));
        QCOMPARE(m_second.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("/books/next.epub")), 10000);
    }

    void stopRequestEndsCleanly()
    {
        // A log-out sends SIGTERM: the program must tear down normally (the
        // reader saves its place, helpers and their blocks go), not die.
        startFirst();
        ::kill(pid_t(m_first.processId()), SIGTERM);
        QVERIFY(m_first.waitForFinished(10000));
        QCOMPARE(m_first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_first.exitCode(), 0);
    }

private:
    void startFirst()
    {
        const int before = log().count(QStringLiteral("1 argument(s)"));
        m_first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_first.start(m_program, QStringList());
        QVERIFY(m_first.waitForStarted(5000));
        // The first instance hands its own command line to the window too.
        QTRY_VERIFY_WITH_TIMEOUT(log().count(QStringLiteral("1 argument(s)")) > before, 15000);
        QCOMPARE(m_first.state(), QProcess::Running);
    }

    // Every day's log: a run across midnight writes into two files.
    static QString log()
    {
        const QDir folder(TestEnvironment::home() + QStringLiteral("/.vellumin/log"));
        QString text;
        for (const QString &name :
             folder.entryList({ QStringLiteral("log_*.txt") }, QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(file.readAll());
        }
        return text;
    }

    QString m_program;
    QProcess m_first;
    QProcess m_second;
};

VL_TEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
