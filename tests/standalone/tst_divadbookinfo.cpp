#include "standalone/text/cbookinfostore.h"
#include "standalone/util/ansi.h"
#include "tests/support/testenvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

using namespace divad;

namespace {

PositionEntry entry(int volume, int spread, const QByteArray &note = QByteArray())
{
    PositionEntry result;
    result.volume = volume;
    result.spread = spread;
    CBookInfoStore::SetNote(result, note);
    return result;
}

void putInt(QByteArray &bytes, int offset, qint32 value)
{
    const qint32 little = qToLittleEndian(value);
    bytes.replace(offset, 4, reinterpret_cast<const char *>(&little), 4);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// "bookinfo.bin": 1000 fixed records of positions and bookmarks.
class TestDivadBookInfo : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("DIVAD_HOME", QFile::encodeName(m_dir->path()));
        m_file = m_dir->filePath(QStringLiteral("bookinfo.bin"));
    }

    void cleanup() { m_dir->setAutoRemove(!QTest::currentTestFailed()); }

    void recordLayoutOnDisk()
    {
        CBookInfoStore store;
        QCOMPARE(store.FilePath(), m_file);
        QVERIFY(!store.HasCurrent());
        QCOMPARE(store.CurrentIndex(), 0);
        QCOMPARE(store.GetPosition().volume, 0);
        QVERIFY(!store.AddOrUpdateBookmark(entry(1, 1)));
        store.SelectBook(QStringLiteral("/书/a.txt"));
        QVERIFY(store.HasCurrent());
        store.SetPosition(entry(3, 7, "ignored"));
        QVERIFY(store.AddOrUpdateBookmark(entry(2, 5, Ansi::fromUnicode(QStringLiteral("注")))));
        QVERIFY(store.Save());

        const QByteArray bytes = readAll(m_file);
        QCOMPARE(bytes.size(), 3592000);
        const char *record = bytes.constData();
        QCOMPARE(record[0], char(1));
        QCOMPARE(QByteArray(record + 1), QStringLiteral("/书/a.txt").toUtf8());
        QCOMPARE(QByteArray(record + 524), QByteArray("\xD7\xA2"));
        QCOMPARE(qFromLittleEndian<qint32>(record + 524 + 52), 2);
        QCOMPARE(qFromLittleEndian<qint32>(record + 524 + 56), 5);
        QCOMPARE(QByteArray(record + 3524, 50), QByteArray(50, '\0'));
        QCOMPARE(qFromLittleEndian<qint32>(record + 3524 + 52), 3);
        QCOMPARE(qFromLittleEndian<qint32>(record + 3524 + 56), 7);
        QCOMPARE(qFromLittleEndian<qint32>(record + 3584), 1);
        QCOMPARE(qFromLittleEndian<qint32>(record + 3588), 1);
        QCOMPARE(bytes.mid(3592), QByteArray(3592000 - 3592, '\0'));

        CBookInfoStore reread;
        reread.SelectBook(QStringLiteral("/书/a.txt"));
        QCOMPARE(reread.GetPosition().spread, 7);
        QCOMPARE(reread.UsageCounter(0), 2);
        QCOMPARE(CBookInfoStore::GetNote(reread.GetBookmark(0)), QByteArray("\xD7\xA2"));
    }

    void matchingIgnoresAsciiCaseOnly()
    {
        CBookInfoStore store(m_file);
        store.SetAutoSave(false);
        store.SelectBook(QStringLiteral("/Books/Novel.TXT"));
        store.SelectBook(QStringLiteral("/books/novel.txt"));
        QCOMPARE(store.CurrentIndex(), 0);
        QCOMPARE(store.UsageCounter(0), 2);
        QCOMPARE(store.CurrentPath(), QStringLiteral("/books/novel.txt"));
        // Only ASCII letters fold: other letters and every byte of an
        // ideograph are compared as they are.
        store.SelectBook(QStringLiteral("/books/书a.txt"));
        store.SelectBook(QStringLiteral("/books/书A.txt"));
        QCOMPARE(store.CurrentIndex(), 1);
        store.SelectBook(QStringLiteral("/b/\u6e2c.txt"));
        store.SelectBook(QStringLiteral("/b/\u6e0c.txt"));
        QCOMPARE(store.CurrentIndex(), 3);
        store.SelectBook(QStringLiteral("/b/é.txt"));
        store.SelectBook(QStringLiteral("/b/É.txt"));
        QCOMPARE(store.CurrentIndex(), 5);
        store.SelectBook(QStringLiteral("/b/книга.txt"));
        store.SelectBook(QStringLiteral("/b/КНИГА.txt"));
        QCOMPARE(store.CurrentIndex(), 7);
        QVERIFY(store.IsUsed(2));
        store.SelectBook(QString());
        QVERIFY(!store.HasCurrent());
    }

    void longPathsAreCutOnCharacters()
    {
        CBookInfoStore store(m_file);
        store.SetAutoSave(false);
        const QString path = QStringLiteral("/") + QStringLiteral("书").repeated(300);
        store.SelectBook(path);
        QCOMPARE(store.CurrentPath().toUtf8().size(), 517); // 1 + 172 x 3
        QVERIFY(path.startsWith(store.CurrentPath()));
        store.SelectBook(path);
        QCOMPARE(store.CurrentIndex(), 0);
        QCOMPARE(store.UsageCounter(0), 2);
    }

    void fullTableRecyclesTheLeastUsed()
    {
        CBookInfoStore store(m_file);
        store.SetAutoSave(false);
        for (int i = 0; i < CBookInfoStore::RecordCount; ++i)
            store.SelectBook(QStringLiteral("/b/%1.txt").arg(i));
        for (int i = 0; i < CBookInfoStore::RecordCount; ++i) {
            if (i != 17 && i != 40) {
                store.SelectBook(QStringLiteral("/b/%1.txt").arg(i));
                store.SelectBook(QStringLiteral("/b/%1.txt").arg(i));
            }
        }
        store.SelectBook(QStringLiteral("/b/7.txt")); // counter 4, the highest
        store.SelectBook(QStringLiteral("/b/new.txt"));
        QCOMPARE(store.CurrentIndex(), 17);
        QCOMPARE(store.UsageCounter(17), 5);
        QCOMPARE(store.RecordPath(17), QStringLiteral("/b/new.txt"));
        QCOMPARE(store.BookmarkCount(), 0);
        store.SelectBook(QStringLiteral("/b/newer.txt"));
        QCOMPARE(store.CurrentIndex(), 40);
    }

    void countersHalveAboveOneBillion_data()
    {
        QTest::addColumn<qint32>("counter");
        QTest::addColumn<qint32>("bumped");
        QTest::addColumn<qint32>("other");
        QTest::newRow("at the limit") << qint32(1000000000) << qint32(1000000001) << qint32(600);
        QTest::newRow("above it") << qint32(1000000001) << qint32(500000001) << qint32(300);
    }

    void countersHalveAboveOneBillion()
    {
        QFETCH(qint32, counter);
        // A table written by a long run: record 0 near the limit, record 1 at 600.
        QByteArray image(3592000, '\0');
        image[0] = 1;
        memcpy(image.data() + 1, "/a", 2);
        putInt(image, 3588, counter);
        image[3592] = 1;
        memcpy(image.data() + 3592 + 1, "/b", 2);
        putInt(image, 3592 + 3588, 600);
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(image);
        file.close();
        CBookInfoStore store(m_file);
        store.SetAutoSave(false);
        store.SelectBook(QStringLiteral("/a"));
        QTEST(qint32(store.UsageCounter(0)), "bumped");
        QTEST(qint32(store.UsageCounter(1)), "other");
    }

    void bookmarks()
    {
        CBookInfoStore store(m_file);
        store.SetAutoSave(false);
        store.SelectBook(QStringLiteral("/b/a.txt"));
        QVERIFY(store.AddOrUpdateBookmark(entry(0, 1, "one")));
        QVERIFY(store.AddOrUpdateBookmark(entry(0, 2, "two")));
        QVERIFY(store.AddOrUpdateBookmark(entry(1, 0, "three")));
        // Same place again: the note changes, no entry is added.
        QVERIFY(store.AddOrUpdateBookmark(entry(0, 2, "TWO")));
        QCOMPARE(store.BookmarkCount(), 3);
        QCOMPARE(CBookInfoStore::GetNote(store.GetBookmark(1)), QByteArray("TWO"));
        int index = -1;
        QVERIFY(store.FindBookmark(1, 0, &index));
        QCOMPARE(index, 2);
        QVERIFY(!store.FindBookmark(1, 1, &index));

        QVERIFY(store.RemoveBookmark(0));
        QCOMPARE(store.BookmarkCount(), 2);
        QCOMPARE(CBookInfoStore::GetNote(store.GetBookmark(0)), QByteArray("TWO"));
        QCOMPARE(CBookInfoStore::GetNote(store.GetBookmark(1)), QByteArray("three"));
        // Past the last one: nothing is removed.
        QVERIFY(!store.RemoveBookmark(5));
        QCOMPARE(store.BookmarkCount(), 2);
        QVERIFY(store.RemoveBookmarkAt(1, 0));
        QVERIFY(!store.RemoveBookmarkAt(1, 0));
        QCOMPARE(store.BookmarkCount(), 1);

        for (int i = 0; i < 49; ++i)
            QVERIFY(store.AddOrUpdateBookmark(entry(5, i)));
        QCOMPARE(store.BookmarkCount(), 50);
        QVERIFY(!store.AddOrUpdateBookmark(entry(6, 0)));
        QVERIFY(store.AddOrUpdateBookmark(entry(5, 3, "still updates")));
    }

    void notes_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("short") << QByteArray("note") << QByteArray("note");
        QTest::newRow("60 bytes keep 49") << QByteArray(60, 'n') << QByteArray(49, 'n');
        QTest::newRow("50 bytes keep 49") << QByteArray(50, 'n') << QByteArray(49, 'n');
        // 49 bytes would end inside the 25th character: keep 24 whole ones.
        QTest::newRow("ideographs stay whole")
                << QByteArray("\xD6\xD0").repeated(30) << QByteArray("\xD6\xD0").repeated(24);
        QTest::newRow("NUL ends the note") << QByteArray("ab\0cd", 5) << QByteArray("ab");
    }

    void notes()
    {
        QFETCH(QByteArray, text);
        PositionEntry place;
        memset(place.note, 'x', sizeof place.note);
        CBookInfoStore::SetNote(place, text);
        QTEST(CBookInfoStore::GetNote(place), "stored");
        QCOMPARE(place.note[49], '\0');
    }

    void damagedFilesAreClamped()
    {
        // Counts and paths beyond their fields, a file of the wrong length.
        QByteArray image(8000, '\0');
        image[0] = 1;
        image.replace(1, 523, QByteArray(523, 'p')); // no NUL inside the path field
        putInt(image, 3584, -5);
        image[3592] = 1;
        image.replace(3593, 2, "/x");
        putInt(image, 3592 + 3584, 999);
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(image);
        file.close();
        CBookInfoStore store(m_file);
        QVERIFY(store.lastError().isEmpty());
        QCOMPARE(store.RecordPath(0), QString(520, QLatin1Char('p')));
        QCOMPARE(store.RecordBookmarkCount(0), 0);
        store.SetAutoSave(false);
        store.SelectBook(QString(520, QLatin1Char('p')));
        QCOMPARE(store.CurrentIndex(), 2); // the stored path is longer than any cut path
        QVERIFY(store.AddOrUpdateBookmark(entry(1, 1)));
        store.SelectBook(QStringLiteral("/x"));
        QCOMPARE(store.CurrentIndex(), 1);
        QCOMPARE(store.BookmarkCount(), 50);
        QVERIFY(!store.AddOrUpdateBookmark(entry(2, 2)));
    }

    // The table reaches the disk at every change of book and of bookmarks,
    // by a new file that replaces the old one whole.
    void savedAtOnceAndWhole()
    {
        {
            CBookInfoStore store;
            store.SelectBook(QStringLiteral("/b/first.txt"));
            QCOMPARE(QFileInfo(m_file).size(), 3592000);
            store.SetPosition(entry(4, 9));
            store.SelectBook(QStringLiteral("/b/second.txt"));
            QVERIFY(store.AddOrUpdateBookmark(entry(0, 3, "mark")));
            // No Save(): as if the program were killed here.
        }
        CBookInfoStore reread;
        reread.SelectBook(QStringLiteral("/b/first.txt"));
        QCOMPARE(reread.GetPosition().volume, 4);
        QCOMPARE(reread.GetPosition().spread, 9);
        reread.SelectBook(QStringLiteral("/b/second.txt"));
        QCOMPARE(reread.BookmarkCount(), 1);

        // A save that cannot replace the file leaves the old one as it was.
        const QByteArray before = readAll(m_file);
        const QString blocked = m_dir->filePath(QStringLiteral("blocked"));
        QVERIFY(QDir().mkpath(blocked + QStringLiteral("/bookinfo.bin")));
        CBookInfoStore elsewhere(blocked + QStringLiteral("/bookinfo.bin"));
        QVERIFY(!elsewhere.lastError().isEmpty());
        QVERIFY(!elsewhere.Save());
        QVERIFY(!elsewhere.lastError().isEmpty());
        QCOMPARE(readAll(m_file), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { "bookinfo.bin" });
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

VL_TEST_GUILESS_MAIN(TestDivadBookInfo)

#include "tst_divadbookinfo.moc"
