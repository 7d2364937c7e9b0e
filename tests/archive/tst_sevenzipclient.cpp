#include "archive/sevenzip/sevenzipclient.h"
#include "archive/sevenzip/sevenzipinterfaces.h"
#include "archive/sevenzip/sevenzipsupport.h"
#include "tests/archive/sevenzipfixture.h"
#include "tests/support/testenvironment.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <cstring>
#include <dlfcn.h>
#include <malloc.h>

using SevenZipFixture::File;
using TestSupport::filesBelow;

using namespace sevenzip;

namespace {

const QString notOne = QStringLiteral("the archive does not hold exactly one file");
const QString outside
        = QStringLiteral("the file in the archive is named to lie outside its folder");
const QString encrypted = QStringLiteral("the archive is encrypted");
const QString damaged = QStringLiteral("the archive is damaged");
const QString noArchive = QStringLiteral("the archive is damaged or is no 7z archive");
const QString noLibrary = QStringLiteral("the 7-Zip codec library can not be loaded");

QString debianLibrary()
{
    return SevenZipClient::defaultLibraryPaths().last();
}

quint64 fileTimeTicks(const FILETIME &time)
{
    return (quint64(time.high) << 32) | time.low;
}

} // namespace

class TestSevenZipClient : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void libraryFacts();
    void singleEntrySuffix_data();
    void singleEntrySuffix();
    void extract_data();
    void extract();
    void refusedArchives_data();
    void refusedArchives();
    void libraryThatCannotBeUsed_data();
    void libraryThatCannotBeUsed();
    void loadIsTriedAgain();
    void oneCallAtATime();
    void streams();

private:
    // Makes an archive of the kind a table row names: "7z" packs the files,
    // "text" is a file of text, "missing" no file at all; "truncated",
    // "damaged" pack the files and then cut or change the archive.
    QString makeArchive(const QString &kind, const QList<File> &files, const QStringList &switches);

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestSevenZipClient::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestSevenZipClient::cleanup()
{
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

QString TestSevenZipClient::makeArchive(const QString &kind, const QList<File> &files,
                                        const QStringList &switches)
{
    const QString path = m_dir->filePath(QStringLiteral("book.7z"));
    if (kind == QLatin1String("missing"))
        return path;
    if (kind == QLatin1String("text")) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("this is no archive at all, only a few words of text");
        return path;
    }
    if (!SevenZipFixture::make(path, files, switches))
        return QString();
    if (kind == QLatin1String("truncated")) {
        const QString cut = m_dir->filePath(QStringLiteral("cut.7z"));
        SevenZipFixture::truncatedCopy(path, cut, QFileInfo(path).size() / 2);
        QFile::remove(path);
        QFile::rename(cut, path);
    } else if (kind == QLatin1String("damaged")) {
        // The packed data follows the 32-byte signature header.
        SevenZipFixture::flipByte(path, 32 + 40);
    }
    return path;
}

// What everything else here stands on, checked on the library itself: how
// its objects are laid out and how its strings are made.
void TestSevenZipClient::libraryFacts()
{
    const QByteArray data = "a book of a few words";
    const QString path = m_dir->filePath(QStringLiteral("one.7z"));
    QVERIFY(SevenZipFixture::make(path, { { QStringLiteral("Book.EPUB"), data } }));

    void *module = dlopen(QFile::encodeName(debianLibrary()).constData(), RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(module, dlerror());
    const auto moduleProperty
            = reinterpret_cast<GetModulePropFunction>(dlsym(module, "GetModuleProp"));
    const auto createObject = reinterpret_cast<CreateObjectFunction>(dlsym(module, "CreateObject"));
    QVERIFY(moduleProperty);
    QVERIFY(createObject);

    // Interface type 0: no destructor entries after Release(), so Open()
    // is the fourth entry of the handler's table.
    Variant type;
    QCOMPARE(moduleProperty(modulePropInterfaceType, &type), S_OK);
    QCOMPARE(type.vt, VARTYPE(VT_UI4));
    QCOMPARE(type.ulVal, interfaceTypeWithoutDestructor);

    void *object = nullptr;
    QCOMPARE(createObject(&CLSID_Format7z, &IID_IInArchive, &object), S_OK);
    QVERIFY(object);
    auto *handler = static_cast<IInArchive *>(object);
    QCOMPARE(handler->AddRef(), ULONG(2));
    QCOMPARE(handler->Release(), ULONG(1));

    {
        ComPtr<CInFileStream> stream(new CInFileStream);
        QVERIFY(stream->open(path));
        const UInt64 maxCheck = UInt64(1) << 23;
        QCOMPARE(handler->Open(stream.get(), &maxCheck, nullptr), S_OK);
        UInt32 count = 0;
        QCOMPARE(handler->GetNumberOfItems(&count), S_OK);
        QCOMPARE(count, UInt32(1));

        // A malloc() block: 32-bit length in bytes, 4-byte characters and
        // a terminator; the pointer stands after the length.
        PROPVARIANT name {};
        QCOMPARE(handler->GetProperty(0, kpidPath, &name), S_OK);
        QCOMPARE(name.vt, VARTYPE(VT_BSTR));
        std::uint32_t byteLength = 0;
        std::memcpy(&byteLength, reinterpret_cast<char *>(name.bstrVal) - 4, 4);
        QCOMPARE(byteLength, std::uint32_t(9 * sizeof(wchar_t)));
        QCOMPARE(std::wcslen(name.bstrVal), size_t(9));
        QCOMPARE(stringLength(name.bstrVal), std::uint32_t(9));
        QVERIFY(malloc_usable_size(reinterpret_cast<char *>(name.bstrVal) - 4)
                >= 4 + 10 * sizeof(wchar_t));
        QCOMPARE(toQString(name.bstrVal), QStringLiteral("Book.EPUB"));
        clearVariant(&name);
        QCOMPARE(name.vt, VARTYPE(VT_EMPTY));

        Variant size;
        QCOMPARE(handler->GetProperty(0, kpidSize, &size), S_OK);
        QCOMPARE(size.vt, VARTYPE(VT_UI8));
        QCOMPARE(size.uhVal, UInt64(data.size()));
        Variant time;
        QCOMPARE(handler->GetProperty(0, kpidMTime, &time), S_OK);
        QCOMPARE(time.vt, VARTYPE(VT_FILETIME));
        QCOMPARE(fileTimeTicks(time.filetime),
                 quint64(SevenZipFixture::fileTime().toMSecsSinceEpoch()) * 10000
                         + 116444736000000000ULL);
        QCOMPARE(handler->Close(), S_OK);
    }
    QCOMPARE(handler->Release(), ULONG(0));
    dlclose(module);
}

void TestSevenZipClient::singleEntrySuffix_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<File>>("files");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("suffix"); // "null" for a null string
    QTest::addColumn<QString>("problem");

    const QByteArray book = "<FictionBook/>";
    QTest::newRow("upper-case suffix") << "7z" << QList<File> { { "Book.EPUB", book } }
                                       << QStringList() << "epub" << QString();
    QTest::newRow("name without a dot")
            << "7z" << QList<File> { { "README", book } } << QStringList() << "" << QString();
    QTest::newRow("below folders") << "7z" << QList<File> { { "books/fantasy/Novel.fb2", book } }
                                   << QStringList() << "fb2" << QString();
    QTest::newRow("two entries") << "7z" << QList<File> { { "a.epub", book }, { "b.epub", book } }
                                 << QStringList() << "null" << QString();
    // The names stand in plain headers; only the data asks for a password.
    QTest::newRow("encrypted data") << "7z" << QList<File> { { "a.mobi", book } }
                                    << QStringList { "-pSECRET" } << "mobi" << QString();
    QTest::newRow("encrypted headers")
            << "7z" << QList<File> { { "a.mobi", book } } << QStringList { "-pSECRET", "-mhe=on" }
            << "null" << encrypted;
    QTest::newRow("not an archive")
            << "text" << QList<File>() << QStringList() << "null" << noArchive;
    QTest::newRow("no file") << "missing" << QList<File>() << QStringList() << "null"
                             << "the archive can not be read";
}

void TestSevenZipClient::singleEntrySuffix()
{
    QFETCH(QString, kind);
    QFETCH(QList<File>, files);
    QFETCH(QStringList, switches);
    QFETCH(QString, suffix);
    QFETCH(QString, problem);
    const QString path = makeArchive(kind, files, switches);
    QVERIFY(!path.isEmpty());

    QString found = QStringLiteral("untouched");
    const QString result = SevenZipClient::instance().singleEntrySuffix(path, &found);
    if (suffix == QLatin1String("null")) {
        QVERIFY(result.isNull());
    } else {
        QVERIFY(!result.isNull());
        QCOMPARE(result, suffix);
    }
    QCOMPARE(found, problem.isEmpty() ? QStringLiteral("untouched") : problem);
}

void TestSevenZipClient::extract_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("destination"); // relative to the temporary folder
    QTest::addColumn<bool>("targetExists");

    QTest::newRow("top level") << "Novel.epub" << QStringList() << "out" << false;
    QTest::newRow("below folders, destination missing")
            << "books/fantasy/Novel.fb2" << QStringList() << "out/new/deeper" << false;
    QTest::newRow("stored without compression")
            << "Novel.txt" << QStringList { "-mx0" } << "out" << false;
    QTest::newRow("read-only file at the target") << "Novel.epub" << QStringList() << "out" << true;
}

void TestSevenZipClient::extract()
{
    QFETCH(QString, entry);
    QFETCH(QStringList, switches);
    QFETCH(QString, destination);
    QFETCH(bool, targetExists);
    const QByteArray data = SevenZipFixture::noise(300 * 1024);
    const QString path = m_dir->filePath(QStringLiteral("book.7z"));
    QVERIFY(SevenZipFixture::make(path, { { entry, data } }, switches));
    const QString folder = m_dir->filePath(destination);
    const QString target = folder + QLatin1Char('/') + entry;
    if (targetExists) {
        QVERIFY(QDir().mkpath(folder));
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older book");
        old.close();
        QVERIFY(old.setPermissions(QFileDevice::ReadOwner));
    }

    QString problem;
    QCOMPARE(SevenZipClient::instance().extract(path, folder, &problem), entry);
    QCOMPARE(problem, QString());
    QFile unpacked(target);
    QVERIFY(unpacked.open(QIODevice::ReadOnly));
    QVERIFY(unpacked.readAll() == data);
    // The stored time: the same archive unpacks to the same file.
    QCOMPARE(QFileInfo(target).lastModified().toUTC(), SevenZipFixture::fileTime());
    QCOMPARE(filesBelow(folder), QStringList { entry });
}

void TestSevenZipClient::refusedArchives_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<File>>("files");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("problem");

    const QByteArray book = SevenZipFixture::noise(4096);
    QTest::newRow("two books") << "7z" << QList<File> { { "a.epub", book }, { "b.epub", book } }
                               << QStringList() << notOne;
    QTest::newRow("parent step") << "7z" << QList<File> { { "../evil.epub", book } }
                                 << QStringList { "-spf" } << outside;
    QTest::newRow("parent step below a folder")
            << "7z" << QList<File> { { "../../evil.epub", book } } << QStringList { "-spf" }
            << outside;
    QTest::newRow("absolute name")
            << "7z" << QList<File> { { "ABSOLUTE", book } } << QStringList { "-spf" } << outside;
    QTest::newRow("encrypted data") << "7z" << QList<File> { { "a.epub", book } }
                                    << QStringList { "-pSECRET" } << encrypted;
    QTest::newRow("encrypted headers") << "7z" << QList<File> { { "a.epub", book } }
                                       << QStringList { "-pSECRET", "-mhe=on" } << encrypted;
    QTest::newRow("truncated") << "truncated" << QList<File> { { "a.epub", book } } << QStringList()
                               << noArchive;
    QTest::newRow("stored data changed")
            << "damaged" << QList<File> { { "a.epub", SevenZipFixture::noise(8192) } }
            << QStringList { "-mx0" } << damaged;
    QTest::newRow("packed data changed")
            << "damaged"
            << QList<File> { { "a.txt",
                               QByteArray("a line of a book that repeats\n").repeated(2000) } }
            << QStringList() << damaged;
    QTest::newRow("not an archive") << "text" << QList<File>() << QStringList() << noArchive;
}

// Nothing lands in the destination (not even an unfinished file) and
// nothing outside it.
void TestSevenZipClient::refusedArchives()
{
    QFETCH(QString, kind);
    QFETCH(QList<File>, files);
    QFETCH(QStringList, switches);
    QFETCH(QString, problem);
    const QString absolute = m_dir->filePath(QStringLiteral("abs/evil.epub"));
    for (File &file : files) {
        if (file.name == QLatin1String("ABSOLUTE"))
            file.name = absolute;
    }
    // Packed from <temp>/pack-*/root, so "../../evil.epub" would land in
    // the temporary folder itself.
    const QString path = makeArchive(kind, files, switches);
    QVERIFY(!path.isEmpty());
    QFile::remove(absolute);
    QFile::remove(m_dir->filePath(QStringLiteral("evil.epub")));
    const QStringList before = filesBelow(m_dir->path());
    const QString folder = m_dir->filePath(QStringLiteral("out/inner"));

    QString found;
    QVERIFY(SevenZipClient::instance().extract(path, folder, &found).isNull());
    QCOMPARE(found, problem);
    QCOMPARE(filesBelow(m_dir->path()), before);
}

void TestSevenZipClient::libraryThatCannotBeUsed_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("mode");

    QTest::newRow("no such file") << "missing/7z.so" << QString();
    QTest::newRow("not a library") << "text" << QString();
    QTest::newRow("no entry points") << FAKE_SEVENZIP_EMPTY << QString();
    QTest::newRow("objects of another layout") << FAKE_SEVENZIP << "layout";
    QTest::newRow("creation fails") << FAKE_SEVENZIP << "fail";
    QTest::newRow("creation without an object") << FAKE_SEVENZIP << "null";
}

void TestSevenZipClient::libraryThatCannotBeUsed()
{
    QFETCH(QString, library);
    QFETCH(QString, mode);
    if (library == QLatin1String("text")) {
        library = m_dir->filePath(QStringLiteral("7z.so"));
        QFile file(library);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("no library");
    } else if (!QFileInfo(library).isAbsolute()) {
        library = m_dir->filePath(library);
    }
    qputenv("FAKE_SEVENZIP_MODE", mode.toUtf8());
    const QString path = m_dir->filePath(QStringLiteral("book.7z"));
    QVERIFY(SevenZipFixture::make(path, { { QStringLiteral("a.epub"), "x" } }));

    SevenZipClient client({ library });
    QString problem;
    QVERIFY(!client.load(&problem));
    QCOMPARE(problem, noLibrary);
    problem.clear();
    QVERIFY(client.singleEntrySuffix(path, &problem).isNull());
    QCOMPARE(problem, noLibrary);
    problem.clear();
    QVERIFY(client.extract(path, m_dir->filePath(QStringLiteral("out")), &problem).isNull());
    QCOMPARE(problem, noLibrary);
    QList<SevenZipClient::Entry> entries;
    QVERIFY(!client.list(path, &entries));
    QCOMPARE(client.libraryPath(), QString());
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("out"))));
    qunsetenv("FAKE_SEVENZIP_MODE");
}

// A library that comes later (installed while the program runs) is used
// at the next call.
void TestSevenZipClient::loadIsTriedAgain()
{
    const QString path = m_dir->filePath(QStringLiteral("book.7z"));
    QVERIFY(SevenZipFixture::make(path, { { QStringLiteral("Novel.fb2"), "x" } }));
    const QString library = m_dir->filePath(QStringLiteral("lib/7z.so"));
    SevenZipClient client({ library });
    QVERIFY(client.singleEntrySuffix(path).isNull());
    QVERIFY(QDir().mkpath(QFileInfo(library).absolutePath()));
    QVERIFY(QFile::copy(debianLibrary(), library));
    QCOMPARE(client.singleEntrySuffix(path), QStringLiteral("fb2"));
    QCOMPARE(client.libraryPath(), library);
}

// The one handler serves a library worker and the reader at once: every
// call must still see its own archive.
void TestSevenZipClient::oneCallAtATime()
{
    struct Book
    {
        QString archive;
        QString entry;
        QByteArray data;
    };
    QList<Book> books;
    for (int i = 0; i < 4; ++i) {
        const QString entry = QStringLiteral("book%1/Novel%1.%2")
                                      .arg(i)
                                      .arg(QStringList { "epub", "fb2", "mobi", "txt" }.at(i));
        const QString archive = m_dir->filePath(QStringLiteral("book%1.7z").arg(i));
        const QByteArray data = SevenZipFixture::noise(64 * 1024 * (i + 1), quint32(i + 1));
        QVERIFY(SevenZipFixture::make(archive, { { entry, data } }));
        books.append({ archive, entry, data });
    }
    const QString root = m_dir->path();
    const auto job = [&](int number) {
        const Book &book = books.at(number % books.size());
        SevenZipClient &client = SevenZipClient::instance();
        if (number % 2 == 0)
            return client.singleEntrySuffix(book.archive) == QFileInfo(book.entry).suffix();
        const QString folder = root + QStringLiteral("/job%1").arg(number);
        if (client.extract(book.archive, folder) != book.entry)
            return false;
        QFile file(folder + QLatin1Char('/') + book.entry);
        return file.open(QIODevice::ReadOnly) && file.readAll() == book.data;
    };
    constexpr int threads = 4;
    constexpr int jobsPerThread = 12;
    QList<QFuture<int>> running;
    for (int thread = 0; thread < threads; ++thread) {
        running << QtConcurrent::run([&job, thread] {
            int done = 0;
            for (int i = 0; i < jobsPerThread; ++i)
                done += job(thread * jobsPerThread + i) ? 1 : 0;
            return done;
        });
    }
    int done = 0;
    for (QFuture<int> &future : running)
        done += future.result();
    QCOMPARE(done, threads * jobsPerThread);
}

void TestSevenZipClient::streams()
{
    const QString path = m_dir->filePath(QStringLiteral("big"));
    const QByteArray data(10 * 1024 * 1024, 'b');

    ComPtr<COutFileStream> out(new COutFileStream);
    QVERIFY(out->open(path));
    UInt32 written = 0;
    QCOMPARE(out->Write(data.constData(), UInt32(data.size()), &written), S_OK);
    QCOMPARE(written, UInt32(data.size()));
    QCOMPARE(out->close(), S_OK);
    QCOMPARE(QFileInfo(path).size(), qint64(data.size()));

    ComPtr<CInFileStream> in(new CInFileStream);
    QVERIFY(in->open(path));
    QByteArray buffer(data.size(), 0);
    UInt32 read = 0;
    QCOMPARE(in->Read(buffer.data(), UInt32(buffer.size()), &read), S_OK);
    QCOMPARE(read, CInFileStream::chunkLimit);
    UInt64 position = 7;
    QCOMPARE(in->Seek(0, 3, &position), STG_E_INVALIDFUNCTION);
    QCOMPARE(position, UInt64(7));
    QCOMPARE(in->Seek(0, 1, &position), S_OK);
    QCOMPARE(position, UInt64(CInFileStream::chunkLimit));

    // The second table answers for the same object.
    void *part = nullptr;
    QCOMPARE(in->QueryInterface(IID_IStreamGetSize, &part), S_OK);
    QVERIFY(part && part != in.get());
    UInt64 size = 0;
    QCOMPARE(static_cast<IStreamGetSize *>(part)->GetSize(&size), S_OK);
    QCOMPARE(size, UInt64(data.size()));
    static_cast<IStreamGetSize *>(part)->Release();
    part = reinterpret_cast<void *>(1);
    QCOMPARE(in->QueryInterface(IID_IOutStream, &part), E_NOINTERFACE);
    QCOMPARE(part, nullptr);

    // Past its budget a stream writes nothing more.
    qint64 budget = 10;
    ComPtr<COutFileStream> limited(new COutFileStream(&budget));
    QVERIFY(limited->open(m_dir->filePath(QStringLiteral("limited"))));
    QCOMPARE(limited->Write("12345678", 8, &written), S_OK);
    QVERIFY(limited->Write("12345678", 8, &written) != S_OK);
    QCOMPARE(written, UInt32(0));
    QVERIFY(limited->budgetSpent());
    QVERIFY(limited->SetSize(1024 * 1024) != S_OK);
    QCOMPARE(limited->close(), S_OK);
    QCOMPARE(QFileInfo(m_dir->filePath(QStringLiteral("limited"))).size(), qint64(8));
}

VL_TEST_GUILESS_MAIN(TestSevenZipClient)
#include "tst_sevenzipclient.moc"
