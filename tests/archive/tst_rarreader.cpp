#include "archive/rarreader.h"
#include "archive/sevenzip/sevenzipreader.h"
#include "archive/zipreader.h"
#include "platform/unrar/unrar.h"
#include "tests/archive/rarfixture.h"
#include "tests/archive/zipfixture.h"
#include "tests/support/testenvironment.h"
#include "tests/support/testfiles.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <unistd.h>

using RarFixture::Entry;
using TestSupport::filesBelow;
Q_DECLARE_METATYPE(RarFixture::Archive)

class TestRarReader : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void listAndExtract();
    void listMatchesBsdtar();
    void extractFailures_data();
    void extractFailures();
    void refusedArchives_data();
    void refusedArchives();
    void neverReadsStandardInput();
    void testOperationPassesTheData();
    void readerChoice_data();
    void readerChoice();
    void zipProblems();

private:
    QString write(const RarFixture::Archive &archive,
                  const QString &name = QStringLiteral("a.cbr"));
    // Every file below the temporary folder, relative to it.

    QScopedPointer<QTemporaryDir> m_dir;
};

namespace {

const QByteArray pageOne = "first page bytes";
const QByteArray pageTwo(70000, 'x'); // more than one read block of the library

RarFixture::Archive comic()
{
    RarFixture::Archive archive;
    archive.entries = {
        { QStringLiteral("p10.png"), pageOne },
        { QStringLiteral("images"), {}, true },
        { QStringLiteral("images\\P2.png"), pageTwo },
        { QStringLiteral("Страница 3.png"), "third", false, false, true },
    };
    return archive;
}

} // namespace

void TestRarReader::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestRarReader::cleanup()
{
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

QString TestRarReader::write(const RarFixture::Archive &archive, const QString &name)
{
    const QString path = m_dir->filePath(name);
    if (!archive.write(path))
        qWarning("fixture not written: %s", qPrintable(path));
    return path;
}

// Names in header order with "/" between folders, folders left out; each
// entry extracts to its own path below the folder, sub-folder made first.
void TestRarReader::listAndExtract()
{
    const QString path = write(comic());
    RarReader reader;
    const QStringList expected = { QStringLiteral("p10.png"), QStringLiteral("images/P2.png"),
                                   QStringLiteral("Страница 3.png") };
    QCOMPARE(reader.list(path), expected);
    QCOMPARE(reader.problem(path), QString());

    const QString folder = m_dir->filePath(QStringLiteral("out"));
    const QList<QByteArray> contents = { pageOne, pageTwo, "third" };
    for (int i = 0; i < expected.size(); ++i) {
        QString output;
        QVERIFY2(reader.extractFile(path, expected.at(i), folder, output),
                 qPrintable(expected.at(i)));
        QCOMPARE(output, QDir::toNativeSeparators(folder + QLatin1Char('/') + expected.at(i)));
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), contents.at(i));
    }
    // Extracting again replaces the file; nothing is left beside it.
    QString output;
    QVERIFY(reader.extractFile(path, expected.first(), folder, output));
    QCOMPARE(filesBelow(m_dir->path()),
             QStringList({ QStringLiteral("a.cbr"), QStringLiteral("out/images/P2.png"),
                           QStringLiteral("out/p10.png"), QStringLiteral("out/Страница 3.png") }));
}

// The fixture writer is checked against an independent reader of the
// format, so the reader tests rest on real RAR files.
void TestRarReader::listMatchesBsdtar()
{
    const QString bsdtar = QStandardPaths::findExecutable(QStringLiteral("bsdtar"));
    if (bsdtar.isEmpty())
        QSKIP("bsdtar is not installed (tools/setup.sh installs it)");
    const QString path = write(comic());
    QProcess process;
    process.start(bsdtar, { QStringLiteral("-tf"), path });
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    QStringList names = QString::fromUtf8(process.readAllStandardOutput())
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString &name : names) {
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (name.endsWith(QLatin1Char('/')))
            name.chop(1);
    }
    names.removeAll(QStringLiteral("images"));
    QCOMPARE(names, RarReader().list(path));

    // And the data: bsdtar unpacks what our reader unpacks.
    process.start(bsdtar,
                  { QStringLiteral("-xOf"), path, QStringLiteral("images\\P2.png"),
                    QStringLiteral("images/P2.png") });
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.readAllStandardOutput(), pageTwo);
}

void TestRarReader::extractFailures_data()
{
    QTest::addColumn<RarFixture::Archive>("archive");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("problem");

    const auto one = [](const Entry &entry) {
        RarFixture::Archive archive;
        archive.entries = { { QStringLiteral("before.png"), "b" }, entry };
        return archive;
    };
    QTest::newRow("name in another letter case")
            << one({ QStringLiteral("Page.png"), "x" }) << "page.png"
            << "";
    QTest::newRow("missing entry") << one({ QStringLiteral("Page.png"), "x" }) << "none.png"
                                   << "";
    QTest::newRow("folder entry") << one({ QStringLiteral("dir"), {}, true }) << "dir/x"
                                  << "";
    Entry encrypted { QStringLiteral("secret.png"), "x" };
    encrypted.encrypted = true;
    QTest::newRow("encrypted entry") << one(encrypted) << "secret.png"
                                     << "the archive is encrypted";
    Entry bomb { QStringLiteral("bomb.png"), "tiny" };
    bomb.declaredSize = qint64(3) * 1024 * 1024 * 1024;
    QTest::newRow("declares gigabytes") << one(bomb) << "bomb.png"
                                        << "the archive unpacks to far more data than a book holds";
    Entry damaged { QStringLiteral("damaged.png"), "data" };
    damaged.badChecksum = true;
    QTest::newRow("data checksum wrong") << one(damaged) << "damaged.png"
                                         << "";
    RarFixture::Archive damagedFirst;
    damagedFirst.entries = { damaged, { QStringLiteral("before.png"), "b" } };
    QTest::newRow("first entry's checksum wrong") << damagedFirst << "damaged.png"
                                                  << "";
    Entry longer { QStringLiteral("short.png"), "data" };
    longer.declaredSize = 2;
    QTest::newRow("more data than declared") << one(longer) << "short.png"
                                             << "";
    for (const char *name :
         { "../evil.png", "..\\evil.png", "/tmp/evil.png", "C:\\evil.png", "a/../../evil.png" }) {
        QTest::newRow(name) << one({ QString::fromLatin1(name), "evil" }) << name << "";
    }
}

// False, the output path untouched, and no file anywhere: a missing,
// refused or damaged entry is never counted as extracted, and no name
// writes outside the folder.
void TestRarReader::extractFailures()
{
    QFETCH(RarFixture::Archive, archive);
    QFETCH(QString, entry);
    QFETCH(QString, problem);
    const QString path = write(archive, QStringLiteral("x.cbr"));
    const QString folder = m_dir->filePath(QStringLiteral("a/b"));
    RarReader reader;
    QString output = QStringLiteral("unchanged");
    QVERIFY(!reader.extractFile(path, entry, folder, output));
    QCOMPARE(output, QStringLiteral("unchanged"));
    QCOMPARE(filesBelow(m_dir->path()), QStringList { QStringLiteral("x.cbr") });
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("evil.png"))));
    QCOMPARE(reader.problem(path), problem);
    // The entry before the wanted one still comes out.
    QVERIFY(reader.extractFile(path, QStringLiteral("before.png"), folder, output));
}

void TestRarReader::refusedArchives_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");

    RarFixture::Archive volume;
    volume.entries = { { QStringLiteral("p.png"), "x" } };
    volume.flags = 0x1 | 0x100;
    QTest::newRow("first volume of a set")
            << volume.bytes()
            << "the archive is one part of a multi-volume set, which can not be read";
    RarFixture::Archive hidden = volume;
    hidden.flags = 0x80;
    QTest::newRow("encrypted headers") << hidden.bytes() << "the archive is encrypted";
    QTest::newRow("no RAR archive")
            << QByteArray("PK\x03\x04 not really") << "the file is no RAR archive";
    QTest::newRow("empty file") << QByteArray() << "the file is no RAR archive";
    QTest::newRow("marker only") << QByteArray("Rar!\x1a\x07\x00", 7) << "the archive is damaged";
    RarFixture::Archive whole;
    whole.entries = { { QStringLiteral("p.png"), QByteArray(5000, 'p') } };
    const QByteArray bytes = whole.bytes();
    QTest::newRow("cut in the header") << bytes.left(30) << "the archive is damaged";
    QByteArray headerDamaged = bytes;
    headerDamaged[7 + 13 + 10] = char(headerDamaged.at(7 + 13 + 10) ^ 0x55);
    QTest::newRow("header checksum wrong") << headerDamaged << "the archive is damaged";
}

void TestRarReader::refusedArchives()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    const QString path = m_dir->filePath(QStringLiteral("x.cbr"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    RarReader reader;
    QCOMPARE(reader.list(path), QStringList());
    QString output;
    QVERIFY(!reader.extractFile(path, QStringLiteral("p.png"), m_dir->filePath("out"), output));
    QCOMPARE(reader.problem(path), problem);
    QCOMPARE(filesBelow(m_dir->path()), QStringList { QStringLiteral("x.cbr") });

    const QString missing = m_dir->filePath(QStringLiteral("missing.cbr"));
    QCOMPARE(reader.list(missing), QStringList());
    QVERIFY(!reader.extractFile(missing, QStringLiteral("p.png"), m_dir->path(), output));
    QCOMPARE(reader.problem(missing), QStringLiteral("the file can not be opened"));
}

// A window has no console: with standard input open but silent (a read
// would wait for ever), every call on a volume or an encrypted archive
// ends at once, refused.
void TestRarReader::neverReadsStandardInput()
{
    int pipeEnds[2];
    QVERIFY(::pipe(pipeEnds) == 0);
    const int savedInput = ::dup(STDIN_FILENO);
    QVERIFY(::dup2(pipeEnds[0], STDIN_FILENO) >= 0);

    RarFixture::Archive volume;
    volume.entries = { { QStringLiteral("p.png"), "x" } };
    volume.flags = 0x1;
    const QString volumePath = write(volume, QStringLiteral("volume.cbr"));
    Entry secret { QStringLiteral("p.png"), "x" };
    secret.encrypted = true;
    RarFixture::Archive encrypted;
    encrypted.entries = { secret };
    const QString encryptedPath = write(encrypted, QStringLiteral("secret.cbr"));
    const QString folder = m_dir->filePath(QStringLiteral("out"));

    QFuture<QStringList> run = QtConcurrent::run([=] {
        RarReader reader;
        QString output;
        QStringList results;
        results << reader.list(volumePath).join(QLatin1Char(','));
        results << QString::number(reader.extractFile(volumePath, "p.png", folder, output));
        results << reader.list(encryptedPath).join(QLatin1Char(','));
        results << QString::number(reader.extractFile(encryptedPath, "p.png", folder, output));
        // The callback itself, asked for a volume and for a password.
        wchar_t buffer[300] = L"old";
        results << QString::number(
                RarReader::rarCallback(RarMessageChangeVolume, 3, std::intptr_t(buffer), 0));
        results << QString::number(
                RarReader::rarCallback(RarMessageNeedPassword, 3, std::intptr_t(buffer), 300));
        results << QString::fromWCharArray(buffer);
        return results;
    });
    QDeadlineTimer deadline(20000);
    while (!run.isFinished() && !deadline.hasExpired())
        QTest::qWait(20);
    const bool finished = run.isFinished();
    // Let a stuck read end before the pipe goes, then put stdin back.
    ::close(pipeEnds[1]);
    run.waitForFinished();
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    ::close(pipeEnds[0]);
    QVERIFY2(finished, "a call waited for standard input");
    QCOMPARE(run.result(), QStringList({ "", "0", "p.png", "0", "-1", "-1", "" }));
}

// The layer's test operation hands every byte of the entry, and nothing
// else, to the callback.
void TestRarReader::testOperationPassesTheData()
{
    const QString path = write(comic());
    const std::wstring name = path.toStdWString();
    QByteArray received;
    RAROpenArchiveDataEx data = {};
    data.archiveNameW = name.c_str();
    data.openMode = RarOpenForExtract;
    data.callback = [](unsigned message, std::intptr_t user, std::intptr_t p1, std::intptr_t p2) {
        if (message == RarMessageProcessData)
            reinterpret_cast<QByteArray *>(user)->append(reinterpret_cast<const char *>(p1),
                                                         int(p2));
        return 1;
    };
    data.userData = std::intptr_t(&received);
    RarHandle handle = RAROpenArchiveEx(&data);
    QVERIFY(handle);
    QCOMPARE(data.openResult, unsigned(RarSuccess));
    QCOMPARE(data.flags, 0u);
    RARHeaderDataEx header = {};
    QCOMPARE(RARProcessFile(handle, RarSkip, nullptr, nullptr), int(RarBadData)); // no header yet
    QCOMPARE(RARReadHeaderEx(handle, &header), int(RarSuccess));
    QCOMPARE(RARProcessFile(handle, RarSkip, nullptr, nullptr), int(RarSuccess));
    QCOMPARE(RARReadHeaderEx(handle, &header), int(RarSuccess));
    QCOMPARE(header.flags, unsigned(RarEntryDirectory));
    QCOMPARE(RARProcessFile(handle, RarSkip, nullptr, nullptr), int(RarSuccess));
    QCOMPARE(RARReadHeaderEx(handle, &header), int(RarSuccess));
    QCOMPARE(QString::fromWCharArray(header.fileNameW), QStringLiteral("images/P2.png"));
    QCOMPARE(header.unpackedSize, quint64(pageTwo.size()));
    QCOMPARE(RARProcessFile(handle, RarTest, nullptr, nullptr), int(RarSuccess));
    QCOMPARE(received, pageTwo);
    // Without a destination name nothing is written.
    QCOMPARE(RARReadHeaderEx(handle, &header), int(RarSuccess));
    QCOMPARE(RARProcessFile(handle, RarExtract, "/tmp", nullptr), int(RarFileCreateError));
    QCOMPARE(RARReadHeaderEx(handle, &header), int(RarEndOfArchive));
    QCOMPARE(RARCloseArchive(handle), int(RarSuccess));
}

void TestRarReader::readerChoice_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind");
    QTest::newRow("cbr") << "/b/Comic.cbr"
                         << "rar";
    QTest::newRow("CBR") << "/b/COMIC.CBR"
                         << "rar";
    QTest::newRow("cbz") << "/b/comic.cbz"
                         << "zip";
    QTest::newRow("Epub") << "/b/book.Epub"
                          << "zip";
    QTest::newRow("zip") << "/b/book.zip"
                         << "zip";
    QTest::newRow("rar") << "/b/book.rar"
                         << "plain";
    QTest::newRow("7z") << "/b/book.7z"
                        << "7z";
    QTest::newRow("7Z") << "/b/BOOK.7Z"
                        << "7z";
    QTest::newRow("zip.bak") << "/b/book.zip.bak"
                             << "plain";
    QTest::newRow("no suffix") << "/b/cbz"
                               << "plain";
}

// By the ending of the path alone; the plain reader reads nothing.
void TestRarReader::readerChoice()
{
    QFETCH(QString, path);
    QFETCH(QString, kind);
    const std::unique_ptr<ArchiveReader> reader = ArchiveReader::create(path);
    QVERIFY(reader);
    const QString found = dynamic_cast<RarReader *>(reader.get()) ? QStringLiteral("rar")
            : dynamic_cast<ZipReader *>(reader.get())             ? QStringLiteral("zip")
            : dynamic_cast<SevenZipReader *>(reader.get())        ? QStringLiteral("7z")
                                                                  : QStringLiteral("plain");
    QCOMPARE(found, kind);
    if (kind == QLatin1String("plain")) {
        const QString archive = write(comic(), QStringLiteral("real.rar"));
        QString output = QStringLiteral("unchanged");
        QCOMPARE(reader->list(archive), QStringList());
        QVERIFY(!reader->extractFile(archive, QStringLiteral("p10.png"), m_dir->path(), output));
        QCOMPARE(output, QStringLiteral("unchanged"));
        QVERIFY(!reader->problem(archive).isEmpty());
    }
}

void TestRarReader::zipProblems()
{
    ZipReader reader;
    const QString good = m_dir->filePath(QStringLiteral("good.cbz"));
    QVERIFY(ZipFixture::write(good, { { QStringLiteral("p.png"), "x" } }));
    QCOMPARE(reader.problem(good), QString());
    const QString rar = write(comic(), QStringLiteral("rar.cbz"));
    QCOMPARE(reader.problem(rar), QStringLiteral("the archive is damaged or is no ZIP archive"));
    // The encryption bit of the entry's flags, in both headers.
    QFile file(good);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    for (const QByteArray &signature : { QByteArray("PK\x03\x04"), QByteArray("PK\x01\x02") }) {
        const int at = bytes.indexOf(signature);
        QVERIFY(at >= 0);
        const int flags = at + (signature.at(2) == 3 ? 6 : 8);
        bytes[flags] = char(bytes.at(flags) | 0x1);
    }
    file.seek(0);
    file.write(bytes);
    file.close();
    QCOMPARE(reader.problem(good), QStringLiteral("the archive is encrypted"));
}

VL_TEST_GUILESS_MAIN(TestRarReader)

#include "tst_rarreader.moc"
