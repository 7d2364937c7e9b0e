#include "standalone/util/ansi.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/strutil.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace divad;

// The reader's helpers: code-page byte handling, numbers as text, paths.
class TestDivadUtil : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("DIVAD_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("home"))));
    }

    void chineseNumerals_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << QStringLiteral("零");
        QTest::newRow("two alone") << 2 << QStringLiteral("两");
        QTest::newRow("ten") << 10 << QStringLiteral("十");
        QTest::newRow("eleven") << 11 << QStringLiteral("十一");
        QTest::newRow("twelve uses 二") << 12 << QStringLiteral("十二");
        QTest::newRow("twenty") << 20 << QStringLiteral("二十");
        QTest::newRow("twenty-one") << 21 << QStringLiteral("二十一");
        QTest::newRow("eighty-one") << 81 << QStringLiteral("八十一");
        QTest::newRow("ninety-nine") << 99 << QStringLiteral("九十九");
        QTest::newRow("hundred in digits") << 100 << QStringLiteral("100");
        QTest::newRow("negative in digits") << -1 << QStringLiteral("-1");
    }

    void chineseNumerals()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(ToChineseNumeral(n), text);
    }

    void numbersAsText()
    {
        QCOMPARE(ParseInt(QStringLiteral("12abc")), 12);
        QCOMPARE(ParseInt(QStringLiteral("abc")), 0);
        QCOMPARE(ParseInt(QStringLiteral("  -7 px")), -7);
        QCOMPARE(ParseInt(QStringLiteral("99999999999999")), INT_MAX);
        QCOMPARE(ParseInt(QString()), 0);

        QCOMPARE(FormatDecimal(3.5, 2), QStringLiteral("3.5"));
        QCOMPARE(FormatDecimal(3, 2), QStringLiteral("3"));
        QCOMPARE(FormatDecimal(10, 1), QStringLiteral("10"));
        QCOMPARE(FormatDecimal(10, 0), QStringLiteral("10"));
        QCOMPARE(FormatDecimal(2.25, 0), QStringLiteral("2"));

        QCOMPARE(RectToText(1, 2, 5, 9),
                 QStringLiteral("left=1 right=5 width=4 top=2 bottom=9 height=7"));
    }

    void colourArithmetic()
    {
        QCOMPARE(InterpolateChannel(0, 10, 0, 255, 5), 127);
        QCOMPARE(InterpolateChannel(0, 10, 0, 255, 11), 255);
        QCOMPARE(InterpolateChannel(0, 10, 255, 0, 20), 0);
        QCOMPARE(InterpolateChannel(3, 3, 40, 90, 3), 40);
        QCOMPARE(ClampChannel(200, 90), 255);
        QCOMPARE(ClampChannel(10, -50), 0);
        const ColourChannels channels = SplitColour(QColor(1, 2, 3));
        QCOMPARE(channels.red, 1);
        QCOMPARE(channels.green, 2);
        QCOMPARE(channels.blue, 3);
        QCOMPARE(Hypotenuse(3, 4), 5.0);
    }

    void programFolderFile()
    {
        const QString home = m_dir.filePath(QStringLiteral("home"));
        QCOMPARE(ProgramFolderFile(QStringLiteral("cfg.ini")), home + QStringLiteral("/cfg.ini"));
        QVERIFY(QDir(home).exists());
        QVERIFY(ProgramPath().endsWith(QStringLiteral("tst_divadutil")));
    }

    void mainWindowSize()
    {
        QCOMPARE(MainWindowWidth(), 0);
        QObject window;
        window.setProperty("width", 1000);
        window.setProperty("height", 700);
        window.setProperty("windowTitle", QStringLiteral("书"));
        SetMainWindow(&window);
        QCOMPARE(MainWindowWidth(), 1000);
        QCOMPARE(MainWindowHeight(), 700);
        QCOMPARE(WindowTextOf(&window), QStringLiteral("书"));
        SetMainWindow(nullptr);
        QCOMPARE(MainWindowHeight(), 0);
        QCOMPARE(WindowTextOf(nullptr), QString());
    }

    void pathParts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stripped");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("parent");
        QTest::newRow("book") << QStringLiteral("/书/小说/12.txt") << QStringLiteral("/书/小说")
                              << QStringLiteral("12.txt") << QStringLiteral("/书/小说/12")
                              << QStringLiteral("txt") << QStringLiteral("小说");
        QTest::newRow("no dot") << QStringLiteral("/a/readme") << QStringLiteral("/a")
                                << QStringLiteral("readme") << QStringLiteral("/a/readme")
                                << QString() << QStringLiteral("a");
        QTest::newRow("root") << QStringLiteral("/a.txt") << QStringLiteral("/")
                              << QStringLiteral("a.txt") << QStringLiteral("/a")
                              << QStringLiteral("txt") << QString();
        QTest::newRow("bare name")
                << QStringLiteral("a.b.txt") << QString() << QStringLiteral("a.b.txt")
                << QStringLiteral("a.b") << QStringLiteral("txt") << QString();
    }

    void pathParts()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, stripped);
        QFETCH(QString, extension);
        QFETCH(QString, parent);
        QCOMPARE(FolderOfPath(path), folder);
        QCOMPARE(FileNameOfPath(path), name);
        QCOMPARE(StripExtension(path), stripped);
        QCOMPARE(ExtensionOf(path), extension);
        QCOMPARE(ParentFolderName(path), parent);
    }

    void joinPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("joined");
        QTest::newRow("separators on both sides")
                << QStringLiteral("/书/") << QStringLiteral("/a.txt")
                << QStringLiteral("/书/a.txt");
        QTest::newRow("plain") << QStringLiteral("/书") << QStringLiteral("a.txt")
                               << QStringLiteral("/书/a.txt");
        QTest::newRow("no folder")
                << QString() << QStringLiteral("a.txt") << QStringLiteral("a.txt");
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("a.txt")
                              << QStringLiteral("/a.txt");
        QTest::newRow("no name") << QStringLiteral("/书") << QString() << QStringLiteral("/书");
        QTest::newRow("separator as name")
                << QStringLiteral("/书") << QStringLiteral("/") << QStringLiteral("/书");
    }

    void joinPath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, joined);
        QCOMPARE(JoinPath(folder, name), joined);
    }

    void samePath_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("case and trailing separator")
                << QStringLiteral("/home/书") << QStringLiteral("/HOME/书/") << true;
        QTest::newRow("short paths get no separator")
                << QStringLiteral("/a") << QStringLiteral("/a/") << false;
        QTest::newRow("different ideographs")
                << QStringLiteral("/b/书.txt") << QStringLiteral("/b/节.txt") << false;
        // Letters beyond ASCII are compared as they are.
        QTest::newRow("accented letters")
                << QStringLiteral("/b/é.txt") << QStringLiteral("/b/É.txt") << false;
    }

    void samePath()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(SamePath(a, b), same);
        QCOMPARE(PathsDiffer(a, b), !same);
    }

    // GBK trail bytes run from 0x40, so an ASCII letter can be half of a
    // character: case folding, cuts and lengths must step over whole pairs.
    void ansiBytes()
    {
        // 0x81 0x61 is one character whose second byte is "a"; 0x80 stands alone.
        const QByteArray text("\x81\x61"
                              "a"
                              "\x80"
                              "b",
                              5);
        QCOMPARE(Ansi::upperAscii(text),
                 QByteArray("\x81\x61"
                            "A"
                            "\x80"
                            "B",
                            5));
        QCOMPARE(Ansi::charLength(text.constData(), 0, text.size()), 2);
        QCOMPARE(Ansi::charLength(text.constData(), 3, text.size()), 1);
        QCOMPARE(Ansi::cutToBytes(text, 1), QByteArray());
        QCOMPARE(Ansi::cutToBytes(text, 2), QByteArray("\x81\x61", 2));
        QCOMPARE(Ansi::cutToBytes(text, 4),
                 QByteArray("\x81\x61"
                            "a"
                            "\x80",
                            4));
        QCOMPARE(Ansi::toUnicode(QByteArray("\x80")), QString(QChar(0x20AC)));
        QCOMPARE(Ansi::fromUnicode(QStringLiteral("中文a")),
                 QByteArray("\xD6\xD0\xCE\xC4"
                            "a"));
        QCOMPARE(Ansi::widthOf(QStringLiteral("中a😀")), 5);
    }

    void fileSizesAndCopies()
    {
        const QString folder = m_dir.filePath(QStringLiteral("copy"));
        QDir().mkpath(folder + QStringLiteral("/src/sub"));
        QFile a(folder + QStringLiteral("/src/a.txt"));
        QVERIFY(a.open(QIODevice::WriteOnly));
        a.write("12345");
        a.close();
        QFile b(folder + QStringLiteral("/src/sub/b.txt"));
        QVERIFY(b.open(QIODevice::WriteOnly));
        b.write("xy");
        b.close();
        QCOMPARE(FileSize(a.fileName()), 5u);
        QCOMPARE(FileSize64(folder + QStringLiteral("/missing")), 0);
        QVERIFY(FileExists(folder + QStringLiteral("/src")));
        QVERIFY(!FileExists(QString()));
        QVERIFY(LooksLikePath(QStringLiteral("/a")));
        QVERIFY(!LooksLikePath(QStringLiteral("/")));

        // One folder as the destination: everything goes into it.
        const QString target = folder + QStringLiteral("/target");
        QVERIFY(CopyFilesTo({ a.fileName(), folder + QStringLiteral("/src/sub") }, { target }));
        QCOMPARE(FileSize(target + QStringLiteral("/a.txt")), 5u);
        QCOMPARE(FileSize(target + QStringLiteral("/sub/b.txt")), 2u);
        // Pairs: each source to its own name, an existing file replaced.
        QVERIFY(CopyFilesTo({ b.fileName() }, { target + QStringLiteral("/a.txt") }));
        QCOMPARE(FileSize(target + QStringLiteral("/a.txt")), 2u);
        QVERIFY(!CopyFilesTo({}, { target }));
        QVERIFY(!CopyFilesTo({ a.fileName(), b.fileName() }, { target, target, target }));
        QVERIFY(!CopyFilesTo({ folder + QStringLiteral("/missing") }, { target }));
    }

    void drives()
    {
        const QStringList roots = ListDriveLetters();
        for (const QString &root : roots)
            QVERIFY2(QDir(root).exists(), qPrintable(root));
        QVERIFY(!IsRemovableDrive(m_dir.path() + QStringLiteral("/no-such-mount")));
    }

private:
    QTemporaryDir m_dir;
};

VL_TEST_GUILESS_MAIN(TestDivadUtil)

#include "tst_divadutil.moc"
