#include "core/paths.h"
#include "reader/booksidefiles.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

class tst_BookSideFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void missingFilesReadAsEmpty();
    void fontRanges_data();
    void fontRanges();
    void notesSkipBrokenItems();
    void oldPositionFileStandsIn_data();
    void oldPositionFileStandsIn();
    void oldBookmarksFile();
    void tableOfContents();
    void damagedFileIsKeptAsBackup();
    void roundTrip();

private:
    void writeFile(const QString &path, const QByteArray &bytes);
    void writeSettings(const QJsonObject &object);
    QJsonObject writtenSettings(const BookSideFiles &files);

    QScopedPointer<QTemporaryDir> m_dir;
    QString m_book;
    QString m_content;
};

void tst_BookSideFiles::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_book = m_dir->filePath(QStringLiteral("Some Book.epub"));
    m_content = m_dir->filePath(QStringLiteral("content/OEBPS"));
    QVERIFY(QDir().mkpath(m_content));
    QDir(Paths::bookPath(m_book)).removeRecursively();
}

void tst_BookSideFiles::cleanup()
{
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    QDir(Paths::bookPath(m_book)).removeRecursively();
}

void tst_BookSideFiles::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void tst_BookSideFiles::writeSettings(const QJsonObject &object)
{
    writeFile(BookSideFiles(m_book).settingsPath(), QJsonDocument(object).toJson());
}

QJsonObject tst_BookSideFiles::writtenSettings(const BookSideFiles &files)
{
    QJsonObject object;
    bool damaged = true;
    const bool ok = BookSideFiles::readObject(files.settingsPath(), &object, &damaged);
    return ok ? object : QJsonObject { { "unreadable", damaged } };
}

void tst_BookSideFiles::missingFilesReadAsEmpty()
{
    BookSideFiles files(m_book);
    QCOMPARE(files.pathHash(), Paths::hashHex(m_book));
    QVERIFY(files.settingsPath().endsWith(files.pathHash() + ".settings"));
    QVERIFY(!files.load());
    QVERIFY(files.readBookmarks().isEmpty());
    QVERIFY(files.readNotes().isEmpty());
    const BookSideFiles::FontAndPosition stored = files.readFontAndPosition(m_content);
    QVERIFY(!stored.hasFont);
    QVERIFY(!stored.hasPosition);
    QVERIFY(files.encoding().isNull());

    // Without bookmarks and notes only the two fixed sections are written.
    BookSideFiles::State state;
    state.position = "OEBPS/ch1.xhtml#content";
    state.fontSize = 16;
    QVERIFY(files.write(state));
    const QJsonObject written = writtenSettings(files);
    QCOMPARE(written.keys(), QStringList({ "FontSettings", "ReadingPosition" }));
    QCOMPARE(written["FontSettings"].toObject(),
             QJsonObject({ { "Size", 16 }, { "LineSpacing", 100 } }));
    QCOMPARE(written["ReadingPosition"].toObject()["Source"].toString(), state.position);
}

void tst_BookSideFiles::fontRanges_data()
{
    QTest::addColumn<QJsonValue>("size");
    QTest::addColumn<QJsonValue>("spacing");
    QTest::addColumn<int>("expectedSize");
    QTest::addColumn<int>("expectedSpacing");

    QTest::newRow("upper bounds taken") << QJsonValue(40) << QJsonValue(300) << 40 << 300;
    QTest::newRow("lower bounds taken") << QJsonValue(8) << QJsonValue(100) << 8 << 100;
    QTest::newRow("just outside ignored") << QJsonValue(41) << QJsonValue(99) << -1 << -1;
    QTest::newRow("below ignored") << QJsonValue(7) << QJsonValue(301) << -1 << -1;
    QTest::newRow("texts ignored") << QJsonValue("12") << QJsonValue("150") << -1 << -1;
    QTest::newRow("fractions ignored") << QJsonValue(12.5) << QJsonValue(150.5) << -1 << -1;
}

void tst_BookSideFiles::fontRanges()
{
    QFETCH(QJsonValue, size);
    QFETCH(QJsonValue, spacing);
    QFETCH(int, expectedSize);
    QFETCH(int, expectedSpacing);
    writeSettings(
            { { "FontSettings", QJsonObject { { "Size", size }, { "LineSpacing", spacing } } },
              { "ReadingPosition", QJsonObject { { "Source", "OEBPS/ch2.xhtml#x" } } } });
    BookSideFiles files(m_book);
    QVERIFY(files.load());
    const BookSideFiles::FontAndPosition stored = files.readFontAndPosition(m_content);
    QVERIFY(stored.hasFont);
    QVERIFY(stored.hasPosition);
    QCOMPARE(stored.fontSize, expectedSize);
    QCOMPARE(stored.lineSpacing, expectedSpacing);
    QCOMPARE(stored.source, QString("OEBPS/ch2.xhtml#x"));
}

void tst_BookSideFiles::notesSkipBrokenItems()
{
    const QJsonObject good { { "Chapter", "ch1.xhtml" },
                             { "Color", "#f3e3a2" },
                             { "StartPath", "/HTML[1]/BODY[1]/P[1]/text()[1]" },
                             { "EndPath", "/HTML[1]/BODY[1]/P[2]/text()[1]" },
                             { "StartOffset", 3 },
                             { "EndOffset", 7 },
                             { "Context", "noted" },
                             { "Note", "comment" },
                             { "Date", "1700000000123" } };
    QJsonObject emptyEnd = good;
    emptyEnd["EndPath"] = "";
    QJsonObject noColor = good;
    noColor.remove("Color");
    QJsonObject noDate = good;
    noDate.remove("Date");
    noDate["StartOffset"] = "not a number";
    noDate.remove("Note");
    writeSettings(
            { { "Notes",
                QJsonObject { { "Version", "1" },
                              { "Items", QJsonArray { good, emptyEnd, noColor, noDate, 5 } } } } });

    BookSideFiles files(m_book);
    QVERIFY(files.load());
    const QList<Note> notes = files.readNotes();
    QCOMPARE(notes.size(), 2);
    QCOMPARE(notes[0].chapter, QString("ch1.xhtml"));
    QCOMPARE(notes[0].startOffset, 3);
    QCOMPARE(notes[0].endOffset, 7);
    QCOMPARE(notes[0].color, QColor(243, 227, 162));
    QCOMPARE(notes[0].context, QString("noted"));
    QCOMPARE(notes[0].text, QString("comment"));
    QCOMPARE(notes[0].date.toMSecsSinceEpoch(), qint64(1700000000123));
    QCOMPARE(notes[0].page, 0);
    QVERIFY(notes[0].chapterTitle.isEmpty());
    QCOMPARE(notes[1].startOffset, 0);
    QVERIFY(notes[1].text.isEmpty());
    QVERIFY(notes[1].date.isNull());
    QVERIFY(notes[0].id != notes[1].id);
    // Ids are made afresh at every reading.
    QVERIFY(files.readNotes().first().id != notes[0].id);
}

void tst_BookSideFiles::oldPositionFileStandsIn_data()
{
    QTest::addColumn<bool>("withPos");
    QTest::newRow("old position file read for both") << true;
    QTest::newRow("no old position file") << false;
}

void tst_BookSideFiles::oldPositionFileStandsIn()
{
    QFETCH(bool, withPos);
    writeSettings({ { "FontSettings", QJsonObject { { "Size", 20 } } } });
    BookSideFiles files(m_book);
    if (withPos) {
        writeFile(files.oldPositionPath(m_content),
                  QJsonDocument(QJsonObject { { "FontSettings", QJsonObject { { "Size", 30 } } },
                                              { "ReadingPosition",
                                                QJsonObject { { "Source", "ch3.xhtml#p" } } } })
                          .toJson());
    }
    QVERIFY(files.load());
    const BookSideFiles::FontAndPosition stored = files.readFontAndPosition(m_content);
    QVERIFY(stored.hasFont);
    QCOMPARE(stored.fontSize, withPos ? 30 : 20);
    QCOMPARE(stored.hasPosition, withPos);
    QCOMPARE(stored.source, withPos ? QString("ch3.xhtml#p") : QString());
}

void tst_BookSideFiles::oldBookmarksFile()
{
    BookSideFiles files(m_book);
    const QJsonObject old {
        { "Bookmarks",
          QJsonObject { { "Version", "1" },
                        { "Items",
                          QJsonArray { QJsonObject { { "Source", "ch1.xhtml#a" }, { "Title", 3 } },
                                       QJsonObject { { "Title", "no source" } },
                                       QJsonObject { { "Source", "ch2.xhtml#b" },
                                                     { "Text", "words" } } } } } }
    };
    writeFile(files.oldBookmarksPath(), QJsonDocument(old).toJson());

    // Read when the settings file has no bookmarks of its own...
    QVERIFY(!files.load());
    QList<ViewerBookmark> bookmarks = files.readBookmarks();
    QCOMPARE(bookmarks.size(), 2);
    QCOMPARE(bookmarks[0].source, QString("ch1.xhtml#a"));
    QVERIFY(bookmarks[0].title.isEmpty());
    QCOMPARE(bookmarks[1].index, 1);
    QCOMPARE(bookmarks[1].id, 100001);
    QCOMPARE(bookmarks[1].text, QString("words"));

    // ...and written into it at the next write, after which the old file
    // is no longer consulted and is left as it was.
    BookSideFiles::State state;
    state.bookmarks = bookmarks.mid(0, 1);
    QVERIFY(files.write(state));
    QVERIFY(files.load());
    QCOMPARE(files.readBookmarks().size(), 1);
    QVERIFY(QFile::exists(files.oldBookmarksPath()));
}

void tst_BookSideFiles::tableOfContents()
{
    const QString toc = m_dir->filePath("book.toc");
    QList<TocItem> tree { TocItem() };
    QList<TocItem> list { TocItem() };
    QVERIFY(!BookSideFiles::readTableOfContents(toc, m_content, &tree, &list));
    QCOMPARE(tree.size(), 1);

    const QJsonArray entries {
        QJsonObject { { "Title", "  Part\n one  " },
                      { "Source", m_content.toUpper() + "/Text/p1.xhtml#top" },
                      { "Childs",
                        QJsonArray { QJsonObject { { "Title", "Chapter 1" },
                                                   { "Source", "Text/./c1.xhtml" } } } } },
        QJsonObject { { "Title", "Part two" }, { "Source", "Text/p2.xhtml" } }
    };
    writeFile(toc, QJsonDocument(entries).toJson());
    QVERIFY(BookSideFiles::readTableOfContents(toc, m_content, &tree, &list));
    QCOMPARE(tree.size(), 2);
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[0].title, QString("Part one"));
    QCOMPARE(list[0].source, QString("Text/p1.xhtml#top"));
    QCOMPARE(list[1].source, QString("Text/c1.xhtml"));
    QCOMPARE(list[2].title, QString("Part two"));
    for (int i = 0; i < list.size(); ++i) {
        QCOMPARE(list[i].position, i);
        QCOMPARE(list[i].page, -1);
    }
    QCOMPARE(tree[0].children.first().position, 1);

    writeFile(toc, "{\"not\": \"an array\"}");
    QVERIFY(BookSideFiles::readTableOfContents(toc, m_content, &tree, &list));
    QVERIFY(tree.isEmpty());
    QVERIFY(list.isEmpty());
}

void tst_BookSideFiles::damagedFileIsKeptAsBackup()
{
    BookSideFiles files(m_book);
    const QByteArray damaged = "{\"ReadingPosition\": {\"Source\": \"ch1.xhtml#a\"}, \"Notes\": [";
    writeFile(files.settingsPath(), damaged);

    QVERIFY(!files.load());
    QVERIFY(!files.backupPath().isEmpty());
    QVERIFY(!QFile::exists(files.settingsPath()));
    QFile backup(files.backupPath());
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QCOMPARE(backup.readAll(), damaged);
    backup.close();

    // The next write makes a new settings file beside the backup.
    QVERIFY(files.write(BookSideFiles::State()));
    QVERIFY(files.load());
    QVERIFY(QFile::exists(backup.fileName()));

    // A settings file that is there but cannot be read as a file is kept
    // aside too, never counted as empty and written over.
    QFile::remove(files.settingsPath());
    QVERIFY(QDir().mkdir(files.settingsPath()));
    QVERIFY(!files.load());
    QVERIFY(!files.backupPath().isEmpty());
    QVERIFY(QFileInfo(files.backupPath()).isDir());
    QVERIFY(files.write(BookSideFiles::State()));
    QVERIFY(QFileInfo(files.settingsPath()).isFile());

    // A second damaged file gets a backup of its own.
    writeFile(files.settingsPath(), "[1, 2");
    QVERIFY(!files.load());
    QVERIFY(files.backupPath() != backup.fileName());
    QVERIFY(QFile::exists(backup.fileName()));
}

void tst_BookSideFiles::roundTrip()
{
    BookSideFiles::State state;
    state.position = "ch1.xhtml?vorpath=%2FHTML%5B1%5D";
    state.fontSize = 22;
    state.lineSpacing = 250;
    state.encoding = "Windows-1251";
    ViewerBookmark bookmark;
    bookmark.source = "ch2.xhtml?vorpath=%2FHTML%5B1%5D%2FBODY%5B1%5D";
    bookmark.title = "Chapter \"two\"";
    bookmark.text = "Первые слова";
    state.bookmarks = { bookmark };
    Note note;
    note.id = makeNoteId();
    note.chapter = "ch2.xhtml";
    note.startPath = "/HTML[1]/BODY[1]/P[1]/text()[1]";
    note.endPath = "/HTML[1]/BODY[1]/P[1]/text()[1]";
    note.startOffset = 1;
    note.endOffset = 4;
    note.color = QColor("#B1F3A4");
    note.context = "ote";
    note.text = "a\ncomment";
    note.date = QDateTime::fromMSecsSinceEpoch(1234567890123, Qt::UTC);
    state.notes = { note, note };

    BookSideFiles files(m_book);
    QVERIFY(files.write(state));
    const QJsonObject written = writtenSettings(files);
    QCOMPARE(written.keys(),
             QStringList({ "Bookmarks", "FontSettings", "Notes", "ReadingPosition" }));
    QCOMPARE(written["Bookmarks"].toObject()["Version"].toString(), QString("1"));
    const QJsonObject item = written["Notes"].toObject()["Items"].toArray().first().toObject();
    QCOMPARE(item["Color"].toString(), QString("#b1f3a4"));
    QCOMPARE(item["Date"].toString(), QString("1234567890123"));
    QCOMPARE(item.keys().size(), 9);

    QVERIFY(files.load());
    QCOMPARE(files.encoding(), state.encoding);
    const BookSideFiles::FontAndPosition stored = files.readFontAndPosition(m_content);
    QCOMPARE(stored.source, state.position);
    QCOMPARE(stored.fontSize, 22);
    QCOMPARE(stored.lineSpacing, 250);
    const QList<ViewerBookmark> bookmarks = files.readBookmarks();
    QCOMPARE(bookmarks.size(), 1);
    QCOMPARE(bookmarks[0].title, bookmark.title);
    QCOMPARE(bookmarks[0].text, bookmark.text);
    const QList<Note> notes = files.readNotes();
    QCOMPARE(notes.size(), 2);
    QCOMPARE(notes[1].text, note.text);
    QCOMPARE(notes[1].date, note.date);
    QCOMPARE(notes[1].color, note.color);
    QVERIFY(notes[1].id != note.id);

    // A byte-order mark in front, as an editor may leave it, is accepted.
    QFile file(files.settingsPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    writeFile(files.settingsPath(), "\xEF\xBB\xBF" + bytes);
    QVERIFY(files.load());
    QCOMPARE(files.readNotes().size(), 2);
}

VL_TEST_GUILESS_MAIN(tst_BookSideFiles)
#include "tst_booksidefiles.moc"
