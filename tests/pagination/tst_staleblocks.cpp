#include "pagination/paginationblock.h"
#include "pagination/paginationrequest.h"
#include "tests/support/freshblock.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QProcess>
#include <QSharedMemory>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

// Files the system's shared memory and locks leave in the temporary folder.
QStringList keyFiles()
{
    return QDir(QDir::tempPath()).entryList({ QStringLiteral("qipc_*") }, QDir::Files);
}

// The child: makes a block, uses its lock, names the key and waits to be
// killed, as a viewer does that is killed while it reads.
int blockOwner()
{
    PaginationBlock block;
    QString key;
    quint32 number = 0;
    if (!TestSupport::createFreshBlock(block, 4096, &key)
        || block.writeRequest(PaginationRequest().toByteArray(), &number)
                != PaginationBlock::WriteResult::Written)
        return 1;
    std::printf("%s\n", qPrintable(key));
    std::fflush(stdout);
    for (;;)
        ::pause();
}

} // namespace

// A viewer killed while it holds its block leaves the segment, its lock and
// their key files behind; the next start removes them, and only them.
class TestStaleBlocks : public QObject
{
    Q_OBJECT

private slots:
    void killedOwnersLeaveNothingAfterTheNextStart()
    {
        QVERIFY(keyFiles().isEmpty());
        auto live = std::make_unique<PaginationBlock>();
        QVERIFY(TestSupport::createFreshBlock(*live, 4096));

        QProcess owner;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VL_BLOCK_OWNER"), QStringLiteral("1"));
        owner.setProcessEnvironment(environment);
        owner.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(owner.waitForStarted(10000));
        QVERIFY(owner.waitForReadyRead(10000));
        const QString key = QString::fromUtf8(owner.readLine().trimmed());
        QVERIFY(key.startsWith(QLatin1Char('{')));

        // While the owner runs, its block is not stale.
        QCOMPARE(PaginationBlock::removeStale(), 0);
        {
            QSharedMemory running(key);
            QVERIFY(running.attach());
        }
        const QStringList before = keyFiles();

        // Killed, the owner removes nothing: the segment, the lock and both
        // key files stay.
        QCOMPARE(before.size(), 4);
        owner.kill();
        QVERIFY(owner.waitForFinished(10000));
        QCOMPARE(keyFiles(), before);

        QCOMPARE(PaginationBlock::removeStale(), 1);
        QCOMPARE(PaginationBlock::removeStale(), 0);
        // The live block of this process and its files stay, the others went.
        QVERIFY(live->isAttached());
        QCOMPARE(live->writeRequest(QByteArray("x"), nullptr),
                 PaginationBlock::WriteResult::Written);
        {
            QSharedMemory gone(key);
            QVERIFY(!gone.attach());
        }
        live.reset();
        QCOMPARE(keyFiles(), QStringList());
        QCOMPARE(QDir(PaginationBlock::notesFolder()).entryList(QDir::Files), QStringList());
    }
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("VL_BLOCK_OWNER")) {
        QCoreApplication app(argc, argv);
        return blockOwner();
    }
    TestEnvironment::isolate();
    QCoreApplication app(argc, argv);
    TestStaleBlocks test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_staleblocks.moc"
