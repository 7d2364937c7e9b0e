#include "document/tocfile.h"
#include "tests/support/testenvironment.h"

#include "core/paths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

class TestTocFile : public QObject
{
    Q_OBJECT
private slots:
    void pathInStorageFolder();
    void roundTrip();
    void missingKeysAndWrongTypes();
    void depthIsCapped();
    void read_data();
    void read();
    void writeKeepsExistingFile();
};

void TestTocFile::pathInStorageFolder()
{
    const QString book = QStringLiteral("/books/a.epub");
    QCOMPARE(TocFile::path(book),
             QDir::toNativeSeparators(Paths::bookPath(book) + "/" + Paths::hashHex(book) + ".toc"));
}

void TestTocFile::roundTrip()
{
    TocItem child { QStringLiteral("Inner"), QStringLiteral("b.html#x"), 0, 0, {} };
    TocItem first { QStringLiteral("First"), QStringLiteral("a.html"), 0, 0, {} };
    TocItem second { QStringLiteral("Второй"), QStringLiteral("b.html"), 0, 0, { child } };
    const QByteArray text = TocFile::serialize({ first, second });

    // The file is the indented JSON form.
    QVERIFY(text.contains("\n    {"));
    const QJsonArray array = QJsonDocument::fromJson(text).array();
    QCOMPARE(array.size(), 2);
    QVERIFY(!array.at(0).toObject().contains(QStringLiteral("Childs")));
    QCOMPARE(array.at(1).toObject().value(QStringLiteral("Childs")).toArray().size(), 1);

    const QList<TocItem> back = TocFile::fromJson(array);
    QCOMPARE(back.size(), 2);
    QCOMPARE(back.at(1).title, QStringLiteral("Второй"));
    QCOMPARE(back.at(1).children.size(), 1);
    QCOMPARE(back.at(1).children.first().source, QStringLiteral("b.html#x"));
}

void TestTocFile::missingKeysAndWrongTypes()
{
    const QJsonArray array = QJsonDocument::fromJson(
                                     R"([{"Title":"only title"}, 7, {"Source":"s","Childs":"no"}])")
                                     .array();
    const QList<TocItem> items = TocFile::fromJson(array);
    QCOMPARE(items.size(), 2);
    QCOMPARE(items.at(0).title, QStringLiteral("only title"));
    QVERIFY(items.at(0).source.isEmpty());
    QVERIFY(items.at(1).title.isEmpty());
    QVERIFY(items.at(1).children.isEmpty());
}

void TestTocFile::depthIsCapped()
{
    TocItem deep { QStringLiteral("leaf"), QString(), 0, 0, {} };
    for (int i = 0; i < 200; ++i)
        deep = TocItem { QString::number(i), QString(), 0, 0, { deep } };
    QList<TocItem> items = TocFile::fromJson(TocFile::toJson({ deep }));
    int depth = 0;
    while (!items.isEmpty()) {
        ++depth;
        items = items.first().children;
    }
    QCOMPARE(depth, TocFile::maxDepth);
}

void TestTocFile::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("entries");

    QTest::newRow("empty file") << QByteArray() << true << 0;
    QTest::newRow("empty array") << QByteArray("[]") << true << 0;
    QTest::newRow("two entries") << QByteArray(R"([{"Title":"a"},{"Title":"b"}])") << true << 2;
    QTest::newRow("cut short") << QByteArray(R"([{"Title":"a"},{"Tit)") << false << 0;
    QTest::newRow("object") << QByteArray(R"({"Title":"a"})") << false << 0;
}

void TestTocFile::read()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    QFETCH(int, entries);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.toc"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    QList<TocItem> items;
    QString error;
    QCOMPARE(TocFile::read(path, &items, &error), ok);
    QCOMPARE(items.size(), entries);
    QCOMPARE(error.isEmpty(), ok);
    QVERIFY(!TocFile::read(dir.filePath(QStringLiteral("missing.toc")), &items, &error));
}

void TestTocFile::writeKeepsExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.toc"));
    QVERIFY(TocFile::write(path, "[1]", false));
    QVERIFY(TocFile::write(path, "[2]", false));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[1]"));
    file.close();
    QVERIFY(TocFile::write(path, "[3]", true));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[3]"));

    QString error;
    QVERIFY(!TocFile::write(dir.filePath(QStringLiteral("no/such/x.toc")), "[]", true, &error));
    QVERIFY(!error.isEmpty());
}

VL_TEST_GUILESS_MAIN(TestTocFile)
#include "tst_tocfile.moc"
