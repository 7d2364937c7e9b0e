#include "archive/archivepath.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TestArchivePath : public QObject
{
    Q_OBJECT
private slots:
    void join_data();
    void join();
    void refusesLinkOutOfFolder();
};

void TestArchivePath::join_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected"); // relative to the folder; null when refused

    QTest::newRow("plain") << "a.txt"
                           << "a.txt";
    QTest::newRow("nested") << "OEBPS/Text/a.xhtml"
                            << "OEBPS/Text/a.xhtml";
    QTest::newRow("folder entry") << "images/"
                                  << "images/";
    QTest::newRow("dot steps") << "./a/./b"
                               << "a/b";
    QTest::newRow("doubled slash") << "a//b"
                                   << "a/b";
    QTest::newRow("backslashes") << "dir\\sub\\a.txt"
                                 << "dir/sub/a.txt";
    QTest::newRow("non-ascii") << QString::fromUtf8("Глава/файл.xhtml")
                               << QString::fromUtf8("Глава/файл.xhtml");
    QTest::newRow("dots in a name") << "a..b/..c"
                                    << "a..b/..c";
    QTest::newRow("parent") << "../evil.txt" << QString();
    QTest::newRow("parent inside") << "a/../b" << QString();
    QTest::newRow("climbs out") << "a/../../evil" << QString();
    QTest::newRow("backslash parent") << "..\\evil.txt" << QString();
    QTest::newRow("backslash mixed") << "a\\..\\..\\evil" << QString();
    QTest::newRow("absolute") << "/etc/passwd" << QString();
    QTest::newRow("absolute backslash") << "\\etc\\passwd" << QString();
    QTest::newRow("unc") << "//server/share/x" << QString();
    QTest::newRow("drive") << "C:\\evil.txt" << QString();
    QTest::newRow("drive relative") << "c:evil.txt" << QString();
    QTest::newRow("drive after dot") << "./C:/evil.txt" << QString();
    QTest::newRow("empty") << "" << QString();
    QTest::newRow("only dot") << "." << QString();
    QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << QString();
}

void TestArchivePath::join()
{
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    const QString folder = QStringLiteral("/books/abc");
    const QString result = ArchivePath::join(folder, entry);
    if (expected.isNull())
        QVERIFY2(result.isNull(), qPrintable(result));
    else
        QCOMPARE(result, folder + QLatin1Char('/') + expected);
}

void TestArchivePath::refusesLinkOutOfFolder()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString folder = base.path() + QStringLiteral("/book");
    const QString outside = base.path() + QStringLiteral("/outside");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inner")));
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(QFile::link(outside, folder + QStringLiteral("/link")));
    QVERIFY(QFile::link(folder + QStringLiteral("/inner"), folder + QStringLiteral("/near")));

    QVERIFY(ArchivePath::join(folder, QStringLiteral("link/evil.txt")).isNull());
    QVERIFY(ArchivePath::join(folder, QStringLiteral("link/deep/er/evil.txt")).isNull());
    // A link that stays inside the folder is harmless.
    QCOMPARE(ArchivePath::join(folder, QStringLiteral("near/a.txt")),
             folder + QStringLiteral("/near/a.txt"));
    QCOMPARE(ArchivePath::join(folder, QStringLiteral("new/a.txt")),
             folder + QStringLiteral("/new/a.txt"));
}

VL_TEST_GUILESS_MAIN(TestArchivePath)
#include "tst_archivepath.moc"
