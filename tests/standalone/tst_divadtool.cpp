#include "standalone/text/cbookinfostore.h"
#include "tests/support/testenvironment.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>

namespace {

QString novel()
{
    QString text = QStringLiteral("第一章 山雨欲来\r\n\r\n");
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral(
                "　　夜色渐深，城外的官道上只剩下一辆马车。It was a bright cold day.\r\n");
    return text;
}

} // namespace

// divad-tool drives the engine from the shell and prints JSON.
class TestDivadTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The tool keeps its files here, never beside itself in the build.
        QDir().mkpath(m_dir.filePath(QStringLiteral("home")));
        qputenv("DIVAD_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("home"))));
        const QString text = novel();
        write(QStringLiteral("gbk.txt"), QTextCodec::codecForName("GBK")->fromUnicode(text));
        write(QStringLiteral("utf8.txt"), "\xEF\xBB\xBF" + text.toUtf8());
        QByteArray utf16("\xFF\xFE");
        utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        write(QStringLiteral("utf16.txt"), utf16);
        write(QStringLiteral("book.html"),
              "<html><title>Book</title><body><p>" + text.toUtf8().replace("\r\n", "<br>")
                      + "</body></html>");
    }

    void cleanupTestCase() { m_dir.setAutoRemove(!QTest::currentTestFailed()); }

    void decodesEveryEncoding_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("encoding");
        QTest::newRow("GBK") << QStringLiteral("gbk.txt") << QStringLiteral("ANSI");
        QTest::newRow("UTF-8") << QStringLiteral("utf8.txt") << QStringLiteral("UTF8");
        QTest::newRow("UTF-16") << QStringLiteral("utf16.txt") << QStringLiteral("Unicode");
    }

    void decodesEveryEncoding()
    {
        QFETCH(QString, file);
        const QString out = m_dir.filePath(file + QStringLiteral(".out"));
        const QJsonObject result = run(
                { QStringLiteral("decode"), m_dir.filePath(file), QStringLiteral("--out"), out });
        QTEST(result.value(QStringLiteral("encoding")).toString(), "encoding");
        QCOMPARE(result.value(QStringLiteral("volumeCount")).toInt(), 2);
        QFile decoded(out);
        QVERIFY(decoded.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(decoded.readAll());
        QVERIFY(text.startsWith(QStringLiteral("第一章 山雨欲来\r\n\r\n　　夜色渐深")));
        QCOMPARE(text.count(QStringLiteral("It was a bright cold day.")), 400);
    }

    void printsVolumes()
    {
        const QJsonObject result
                = run({ QStringLiteral("volumes"), m_dir.filePath(QStringLiteral("book.html")),
                        QStringLiteral("--font-height"), QStringLiteral("30") });
        QCOMPARE(result.value(QStringLiteral("volumeSize")).toInt(), 16000);
        const QJsonArray volumes = result.value(QStringLiteral("volumes")).toArray();
        QVERIFY(volumes.size() >= 2);
        QCOMPARE(volumes.at(0).toObject().value(QStringLiteral("preview")).toString().left(8),
                 QStringLiteral("Book\r\n\r\n"));
        const QJsonObject layout = result.value(QStringLiteral("layout")).toObject();
        QVERIFY(layout.value(QStringLiteral("spreadCount")).toInt() > 1);
        QVERIFY(layout.value(QStringLiteral("lineHeight")).toInt() >= 30);
    }

    // Two readable pages: ink in both text areas, none in the margins.
    void drawsASpread()
    {
        const QString png = m_dir.filePath(QStringLiteral("spread.png"));
        const QJsonObject result = run(
                { QStringLiteral("spread"), m_dir.filePath(QStringLiteral("gbk.txt")),
                  QStringLiteral("--out"), png, QStringLiteral("--size"),
                  QStringLiteral("1000x700"), QStringLiteral("--spread"), QStringLiteral("1") });
        QCOMPARE(result.value(QStringLiteral("spread")).toInt(), 1);
        const QImage image(png);
        QCOMPARE(image.size(), QSize(1000, 700));
        const auto ink = [&](const QRect &rect) {
            int dark = 0;
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x)
                    dark += qGray(image.pixel(x, y)) < 100;
            return dark;
        };
        QVERIFY(ink(QRect(60, 60, 370, 500)) > 2000);
        QVERIFY(ink(QRect(530, 60, 370, 500)) > 2000);
        QCOMPARE(ink(QRect(60, 5, 370, 40)), 0);
        QVERIFY(ink(QRect(30, 660, 430, 35)) > 0); // footer: page number and title
    }

    void roundTripsTheStores()
    {
        const QString home = m_dir.filePath(QStringLiteral("home"));
        {
            divad::CBookInfoStore store;
            store.SelectBook(QStringLiteral("/books/三国演义.txt"));
            divad::PositionEntry mark;
            mark.volume = 2;
            mark.spread = 11;
            divad::CBookInfoStore::SetNote(mark, QByteArray("\xD6\xD0"));
            QVERIFY(store.AddOrUpdateBookmark(mark));
        }
        QFile cfg(home + QStringLiteral("/cfg.ini"));
        QVERIFY(cfg.open(QIODevice::WriteOnly));
        cfg.write("[global]\r\nfontheight=-20\r\nfontface=黑体\r\n[recentfiles]\r\nfile0=/books/"
                  "书.txt\r\n");
        cfg.close();

        QJsonObject result = run({ QStringLiteral("bookinfo"), QStringLiteral("dump") });
        const QJsonArray records = result.value(QStringLiteral("records")).toArray();
        QCOMPARE(records.size(), 1);
        const QJsonObject record = records.at(0).toObject();
        QCOMPARE(record.value(QStringLiteral("path")).toString(),
                 QStringLiteral("/books/三国演义.txt"));
        const QJsonObject bookmark
                = record.value(QStringLiteral("bookmarks")).toArray().at(0).toObject();
        QCOMPARE(bookmark.value(QStringLiteral("note")).toString(), QStringLiteral("中"));
        QCOMPARE(bookmark.value(QStringLiteral("spread")).toInt(), 11);
        result = run({ QStringLiteral("bookinfo"), QStringLiteral("roundtrip") });
        QVERIFY(result.value(QStringLiteral("same")).toBool());
        QCOMPARE(result.value(QStringLiteral("bytes")).toInt(), 3592000);

        result = run({ QStringLiteral("cfg"), QStringLiteral("dump") });
        QJsonObject settings = result.value(QStringLiteral("settings")).toObject();
        QCOMPARE(settings.value(QStringLiteral("fontheight")).toInt(), 20);
        QCOMPARE(settings.value(QStringLiteral("fontface")).toString(), QStringLiteral("黑体"));
        QCOMPARE(settings.value(QStringLiteral("recentfiles")).toArray().at(0).toString(),
                 QStringLiteral("/books/书.txt"));
        result = run({ QStringLiteral("cfg"), QStringLiteral("roundtrip") });
        QVERIFY(result.value(QStringLiteral("same")).toBool());
        QVERIFY(result.value(QStringLiteral("written"))
                        .toString()
                        .contains(QStringLiteral("fontheight=20")));
        // The file itself is never touched by a round trip.
        QVERIFY(cfg.open(QIODevice::ReadOnly));
        QVERIFY(cfg.readAll().contains("fontheight=-20"));
    }

    void reportsErrors()
    {
        QProcess tool;
        tool.start(TestEnvironment::binDir() + QStringLiteral("/divad-tool"),
                   { QStringLiteral("volumes"), m_dir.path() });
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        const QJsonObject result = QJsonDocument::fromJson(tool.readAllStandardOutput()).object();
        QVERIFY(result.value(QStringLiteral("error"))
                        .toString()
                        .contains(QStringLiteral("打开文件失败")));
    }

private:
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QJsonObject run(const QStringList &arguments)
    {
        QProcess tool;
        tool.start(TestEnvironment::binDir() + QStringLiteral("/divad-tool"), arguments);
        if (!tool.waitForFinished(30000))
            return {};
        const QByteArray out = tool.readAllStandardOutput();
        if (tool.exitCode() != 0)
            qWarning("divad-tool %s: %s %s", qPrintable(arguments.join(QLatin1Char(' '))),
                     out.constData(), tool.readAllStandardError().constData());
        return QJsonDocument::fromJson(out).object();
    }

    QTemporaryDir m_dir;
};

VL_TEST_GUI_MAIN(TestDivadTool)

#include "tst_divadtool.moc"
