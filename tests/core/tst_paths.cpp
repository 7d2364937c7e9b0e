#include "core/paths.h"
#include "tests/support/testenvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString cacheBase()
{
    return QDir::tempPath() + QStringLiteral("/.vellumin-") + QString::number(::geteuid());
}

} // namespace

class TestPaths : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("vellumin"));
    }

    void folders()
    {
        const QString home = QDir::homePath() + QStringLiteral("/.vellumin");
        QVERIFY(!QFile::exists(home));
        QCOMPARE(Paths::booksDir(), home + QStringLiteral("/books"));
        QVERIFY(QDir(home + QStringLiteral("/books")).exists());
        QCOMPARE(Paths::appHomeDir(), QDir::toNativeSeparators(home));
        QCOMPARE(Paths::dataDir(), QDir::toNativeSeparators(home + QStringLiteral("/data")));
        QCOMPARE(Paths::importDir(), QDir::toNativeSeparators(home + QStringLiteral("/Import")));
        QCOMPARE(Paths::logDir(), QDir::toNativeSeparators(home + QStringLiteral("/log")));
        QCOMPARE(Paths::tmpDir(), home + QStringLiteral("/tmp"));
        for (const QString &dir : {Paths::dataDir(), Paths::importDir(), Paths::logDir(),
                                   Paths::tmpDir()})
            QVERIFY2(QDir(dir).exists(), qPrintable(dir));

        // The cache lies under the system temporary folder, not under home.
        const QString cache = Paths::cacheDir();
        QCOMPARE(cache, cacheBase() + QStringLiteral("/cache"));
        QVERIFY(QDir(cache).exists());
        QVERIFY(!cache.startsWith(QDir::homePath()));
    }

    // Temporary and decrypted copies of books go to the cache: it is the
    // user's own, whatever another user left at its name first.
    void cacheIsPrivate_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::newRow("nothing there") << QString();
        QTest::newRow("open folder of the user's own") << QStringLiteral("open");
        QTest::newRow("link to another folder") << QStringLiteral("link");
        QTest::newRow("file in the way") << QStringLiteral("file");
        QTest::newRow("another user's folder") << QStringLiteral("foreign");
    }

    void cacheIsPrivate()
    {
        QFETCH(QString, planted);
        const QString base = cacheBase();
        QVERIFY(Paths::removeDir(base));
        QTemporaryDir elsewhere;
        QVERIFY(elsewhere.isValid());
        const QByteArray name = QFile::encodeName(base);
        if (planted == QLatin1String("open")) {
            QVERIFY(QDir().mkpath(base + QStringLiteral("/cache")));
            QVERIFY(::chmod(name.constData(), 0777) == 0);
        } else if (planted == QLatin1String("link")) {
            QVERIFY(QFile::link(elsewhere.path(), base));
        } else if (planted == QLatin1String("file")) {
            QFile file(base);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (planted == QLatin1String("foreign")) {
            if (::geteuid() != 0)
                QSKIP("only root can make a folder owned by another user");
            QVERIFY(QDir().mkpath(base));
            QVERIFY(::chmod(name.constData(), 0777) == 0);
            QVERIFY(::chown(name.constData(), 65534, 65534) == 0);
        }

        const QString cache = Paths::cacheDir();
        QVERIFY(QDir(cache).exists());
        QVERIFY(cache.startsWith(QDir::tempPath() + QLatin1Char('/')));
        QVERIFY2(!QFileInfo(cache).canonicalFilePath().startsWith(elsewhere.path()),
                 qPrintable(cache));
        struct stat status;
        QVERIFY(::lstat(QFile::encodeName(cache).constData(), &status) == 0);
        QVERIFY(S_ISDIR(status.st_mode));
        QCOMPARE(status.st_uid, ::geteuid());
        QCOMPARE(int(status.st_mode & 0777), 0700);
        // The parent of a cache at the usual place is private too.
        if (cache == base + QStringLiteral("/cache")) {
            QVERIFY(::lstat(name.constData(), &status) == 0);
            QCOMPARE(int(status.st_mode & 0777), 0700);
        }
        QCOMPARE(Paths::cacheDir(), cache);

        // Leave the usual place as the next row expects to find it.
        if (QFileInfo(base).isSymLink() || QFileInfo(base).isFile())
            QVERIFY(QFile::remove(base));
        else
            QVERIFY(Paths::removeDir(base));
    }

    void bookPathIsStableAndHashed()
    {
        const QString key = QStringLiteral("/books/Война и мир.epub");
        const QString first = Paths::bookPath(key);
        QCOMPARE(Paths::bookPath(key), first);
        QVERIFY(QDir(first).exists());
        const QString last = QFileInfo(first).fileName();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(last).hasMatch());
        QCOMPARE(last, Paths::hashHex(key));
        QVERIFY(Paths::bookPath(key + QLatin1Char(' ')) != first);
    }

    void hashHex()
    {
        QCOMPARE(Paths::hashHex(QString()), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
        QCOMPARE(Paths::hashHex(QStringLiteral("abc")),
                 QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    }

    void fileHash()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Larger than one read block, so the streamed digest is checked.
        QByteArray data;
        for (int i = 0; i < 300000; ++i)
            data.append(char(i * 7));
        file.write(data);
        file.close();

        QCOMPARE(Paths::fileHash(path, QCryptographicHash::Sha256),
                 QString::fromLatin1(
                         QCryptographicHash::hash(data, QCryptographicHash::Sha256).toBase64()));
        QCOMPARE(Paths::fileHash(dir.filePath(QStringLiteral("missing")),
                                 QCryptographicHash::Sha256),
                 QString());
        QCOMPARE(Paths::fileHash(dir.path(), QCryptographicHash::Sha256), QString());
    }

    void fileSuffix_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("upper case") << "Book.EPUB" << "epub";
        QTest::newRow("no dot") << "README" << "readme";
        QTest::newRow("two dots") << "archive.tar.gz" << "gz";
        QTest::newRow("trailing dot") << "name." << "";
    }

    void fileSuffix()
    {
        QFETCH(QString, name);
        QFETCH(QString, suffix);
        QCOMPARE(Paths::fileSuffix(name), suffix);
    }

    void uuidName()
    {
        const QString name = Paths::uuidName();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(name).hasMatch());
        QVERIFY(name != Paths::uuidName());
    }

    void uniqueFileName()
    {
        QTemporaryDir dir;
        QCOMPARE(Paths::uniqueFileName(dir.path(), QStringLiteral("a.epub")),
                 QDir::toNativeSeparators(dir.filePath(QStringLiteral("a.epub"))));
        QFile(dir.filePath(QStringLiteral("a.epub"))).open(QIODevice::WriteOnly);
        QDir(dir.path()).mkdir(QStringLiteral("(1)a.epub"));
        QCOMPARE(Paths::uniqueFileName(dir.path(), QStringLiteral("a.epub")),
                 QDir::toNativeSeparators(dir.filePath(QStringLiteral("(2)a.epub"))));
    }

    void findFile()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("x/oebps"));
        QFile(dir.filePath(QStringLiteral("x/oebps/Content.opf"))).open(QIODevice::WriteOnly);
        const QString found = Paths::findFile(dir.path(), QStringLiteral("OEBPS/content.opf"));
        QCOMPARE(found, dir.filePath(QStringLiteral("x/oebps/Content.opf")));
        QCOMPARE(Paths::findFile(dir.path(), QStringLiteral("nothing.opf")), QString());

        const QString matched =
                Paths::findFileMatching(dir.path(), QRegExp(QStringLiteral("\\.opf$")));
        QCOMPARE(matched, found);
    }

    void removeDir()
    {
        QTemporaryDir dir;
        QCOMPARE(Paths::removeDir(dir.filePath(QStringLiteral("missing"))), true);

        const QString target = dir.filePath(QStringLiteral("book"));
        QDir(target).mkpath(QStringLiteral("a/b"));
        QFile(target + QStringLiteral("/a/b/page.html")).open(QIODevice::WriteOnly);
        QFile(target + QStringLiteral("/.hidden")).open(QIODevice::WriteOnly);

        // Links inside the folder point at things the user owns elsewhere:
        // removing the folder must not reach through them.
        const QString outside = dir.filePath(QStringLiteral("outside"));
        QDir().mkpath(outside);
        QFile(outside + QStringLiteral("/keep.txt")).open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(outside, target + QStringLiteral("/linkdir")));
        QVERIFY(QFile::link(outside + QStringLiteral("/keep.txt"),
                            target + QStringLiteral("/linkfile")));

        QVERIFY(Paths::removeDir(target));
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(QFile::exists(outside + QStringLiteral("/keep.txt")));
    }

    void removeDirStopsAtFirstFailure()
    {
        if (::geteuid() == 0)
            QSKIP("root may remove from a read-only folder");
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("book"));
        QDir(target).mkpath(QStringLiteral("locked"));
        QFile(target + QStringLiteral("/locked/file")).open(QIODevice::WriteOnly);
        QFile::setPermissions(target + QStringLiteral("/locked"),
                              QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(!Paths::removeDir(target));
        QVERIFY(QFile::exists(target + QStringLiteral("/locked/file")));
        QFile::setPermissions(target + QStringLiteral("/locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

VL_TEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
