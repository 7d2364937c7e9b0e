#include "standalone/gfx/cmemcanvas.h"
#include "standalone/gfx/drawing.h"
#include "standalone/settings/cinifile.h"
#include "standalone/settings/crecentfiles.h"
#include "standalone/settings/readersettings.h"
#include "standalone/util/prompts.h"
#include "standalone/util/strutil.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace divad;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// "cfg.ini": the INI accessor, the reader's own settings with their
// clamps, the fonts, and the recent-books list.
class TestDivadSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("DIVAD_HOME", QFile::encodeName(m_dir->path()));
        m_cfg = m_dir->filePath(QStringLiteral("cfg.ini"));
        recentFiles() = CRecentFiles();
    }

    void cleanup()
    {
        m_dir->setAutoRemove(!QTest::currentTestFailed());
        SetInputBoxHandler(nullptr);
    }

    void iniReadsAsTheReaderAlwaysHas()
    {
        writeFile(m_cfg,
                  "\xEF\xBB\xBF; written by hand\r\n"
                  "[Global]\r\n"
                  "FontFace = 楷体 \r\n"
                  "fontheight=abc\r\n"
                  "linespace=12px\r\n"
                  "empty=\r\n"
                  "[other]\r\n"
                  "linespace=7\r\n");
        const CIniFile global(m_cfg, QStringLiteral("global"));
        QCOMPARE(global.ReadString(QStringLiteral("fontface")), QStringLiteral("楷体"));
        QCOMPARE(global.ReadString(QStringLiteral("missing")), QStringLiteral("0"));
        QCOMPARE(global.ReadString(QStringLiteral("empty")), QStringLiteral(""));
        QVERIFY(global.ReadString(QString()).isNull());
        QCOMPARE(global.ReadInt(QStringLiteral("fontheight"), 5), 0);
        QCOMPARE(global.ReadInt(QStringLiteral("linespace"), 5), 12);
        QCOMPARE(global.ReadInt(QStringLiteral("missing"), 5), 5);
        QCOMPARE(global.ReadInt(QString(), 5), 5);
        QVERIFY(!global.ReadBool(QStringLiteral("missing")));
        QCOMPARE(CIniFile(m_cfg, QStringLiteral("OTHER")).ReadInt0(QStringLiteral("LINESPACE")), 7);
        QCOMPARE(CIniFile(m_dir->filePath(QStringLiteral("none.ini")), QStringLiteral("global"))
                         .ReadInt(QStringLiteral("x"), 3),
                 3);
        // A bare file name lives in the data folder.
        QCOMPARE(CIniFile(QStringLiteral("cfg.ini"), QStringLiteral("global")).FilePath(), m_cfg);
    }

    void iniWritesInPlace()
    {
        writeFile(m_cfg, "; keep me\r\n[global]\r\nskin=3\r\n\r\n[other]\r\nx=1\r\n");
        const CIniFile global(m_cfg, QStringLiteral("global"));
        global.WriteInt(QStringLiteral("SKIN"), 5);
        global.WriteString(QStringLiteral("lastreadfile"), QStringLiteral("/书/一\r\n二.txt"));
        global.WriteBool(QStringLiteral("PageSound"), false);
        global.WriteString(QString(), QStringLiteral("ignored"));
        CIniFile(m_cfg, QStringLiteral("recentfiles"))
                .WriteString(QStringLiteral("file0"), QString());

        QCOMPARE(global.ReadInt0(QStringLiteral("skin")), 5);
        QCOMPARE(global.ReadString(QStringLiteral("lastreadfile")),
                 QStringLiteral("/书/一  二.txt"));
        QCOMPARE(CIniFile(m_cfg, QStringLiteral("other")).ReadInt0(QStringLiteral("x")), 1);
        QCOMPARE(CIniFile(m_cfg, QStringLiteral("recentfiles")).ReadString(QStringLiteral("file0")),
                 QStringLiteral(""));
        const QString text = QString::fromUtf8(readAll(m_cfg));
        QCOMPARE(text,
                 QStringLiteral(
                         "; keep me\r\n[global]\r\nSKIN=5\r\nlastreadfile=/书/一  二.txt\r\n"
                         "PageSound=0\r\n\r\n[other]\r\nx=1\r\n\r\n[recentfiles]\r\nfile0=\r\n"));
    }

    void freshStartAndExit()
    {
        ReaderSettings settings;
        settings.LoadReaderSettings();
        settings.InitSkinAndFonts(nullptr);
        QCOMPARE(settings.FontFace(), QStringLiteral("宋体"));
        QCOMPARE(settings.FontHeight(), 16);
        QVERIFY(settings.PageSoundOn());
        QCOMPARE(settings.SkinIndex(), 0);
        QCOMPARE(settings.LineSpacing(), 15);
        QVERIFY(settings.AnimationMedium());
        QVERIFY(LabelCanvas().IsValid());
        QCOMPARE(LabelCanvas().Image().size(), QSize(800, 100));
        QCOMPARE(recentFiles().CountUsed(), 0);
        QCOMPARE(recentFiles().GetAt(0), QStringLiteral("0"));

        settings.SaveReaderSettings(QStringLiteral("/books/a.txt"));
        QVERIFY(!LabelCanvas().IsValid());
        const CIniFile global(m_cfg, QStringLiteral("global"));
        QCOMPARE(global.ReadString(QStringLiteral("fontface")), QStringLiteral("宋体"));
        QCOMPARE(global.ReadInt(QStringLiteral("fontheight"), -1), 16);
        QCOMPARE(global.ReadInt(QStringLiteral("linespace"), -1), 15);
        QCOMPARE(global.ReadInt(QStringLiteral("pageanimationspeed"), -1), 0);
        QCOMPARE(global.ReadInt(QStringLiteral("PageSound"), -1), 1);
        QCOMPARE(global.ReadInt(QStringLiteral("skin"), -1), 0);
        QCOMPARE(global.ReadString(QStringLiteral("lastreadfile")), QStringLiteral("/books/a.txt"));
        QCOMPARE(CIniFile(m_cfg, QStringLiteral("recentfiles")).ReadString(QStringLiteral("file4")),
                 QStringLiteral("0"));
    }

    void storedValuesAreClamped_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("fontHeight");
        QTest::addColumn<int>("skin");
        QTest::addColumn<int>("lineSpacing");
        QTest::newRow("negative height") << QByteArray("fontheight=-20") << 20 << 0 << 15;
        QTest::newRow("huge height") << QByteArray("fontheight=99") << 46 << 0 << 15;
        QTest::newRow("skin past the custom one") << QByteArray("skin=12") << 16 << 8 << 15;
        QTest::newRow("negative skin") << QByteArray("skin=-3") << 16 << 0 << 15;
        QTest::newRow("tight spacing") << QByteArray("linespace=3") << 16 << 0 << 5;
        QTest::newRow("wide spacing") << QByteArray("linespace=40") << 16 << 0 << 25;
        QTest::newRow("zero spacing") << QByteArray("linespace=0") << 16 << 0 << 15;
    }

    void storedValuesAreClamped()
    {
        QFETCH(QByteArray, line);
        writeFile(m_cfg, "[global]\r\n" + line + "\r\n");
        ReaderSettings settings;
        settings.LoadReaderSettings();
        settings.InitSkinAndFonts(nullptr);
        QTEST(settings.FontHeight(), "fontHeight");
        QTEST(settings.SkinIndex(), "skin");
        QTEST(settings.LineSpacing(), "lineSpacing");
        QCOMPARE(settings.BookFont().pixelSize(), settings.FontHeight());
        QCOMPARE(settings.LabelFont().pixelSize(), 18);
    }

    void animationSpeeds()
    {
        ReaderSettings settings;
        const QList<int> speeds = { 2, 1, 0, -1, -2, -5 };
        for (const int speed : speeds) {
            settings.SetAnimationSpeed(speed);
            const int matches = int(settings.AnimationFast()) + int(settings.AnimationMedium())
                    + int(settings.AnimationSlow()) + int(settings.AnimationDisabled());
            QCOMPARE(matches, 1);
        }
        settings.SetAnimationSpeed(-2);
        QVERIFY(settings.AnimationDisabled());
        settings.SetFontFace(QStringLiteral("x"));
        QCOMPARE(settings.FontFace(), QStringLiteral("宋体"));
        settings.SetFontFace(QStringLiteral("黑体"));
        QCOMPARE(settings.FontFace(), QStringLiteral("黑体"));
        QVERIFY(settings.BookFont().families().contains(QStringLiteral("黑体")));
    }

    void lastBookSkipsTheHelpBook()
    {
        ReaderSettings settings;
        settings.SaveLastBook(QStringLiteral("/books/first.txt"));
        // The help book, named with other letter case, leaves the last book alone.
        QString help = ProgramFolderFile(QStringLiteral("DIVAD.TXT"));
        settings.SaveLastBook(help);
        QCOMPARE(ReadSettingString(QStringLiteral("global"), QStringLiteral("lastreadfile")),
                 QStringLiteral("/books/first.txt"));
        settings.SaveLastBook(QStringLiteral("/books/second.txt"));
        QCOMPARE(ReadSettingString(QStringLiteral("global"), QStringLiteral("lastreadfile")),
                 QStringLiteral("/books/second.txt"));
    }

    void askLineSpacing_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("spacing");
        QTest::newRow("number") << true << QStringLiteral("20") << true << 20;
        QTest::newRow("not a number") << true << QStringLiteral("abc") << true << 5;
        QTest::newRow("too wide") << true << QStringLiteral("99") << true << 25;
        QTest::newRow("cancel") << false << QStringLiteral("20") << false << 15;
    }

    void askLineSpacing()
    {
        QFETCH(bool, confirm);
        QFETCH(QString, answer);
        QString asked;
        QString title;
        SetInputBoxHandler(
                [&](QObject *, const QString &caption, const QString &prompt, QString *text) {
                    title = caption;
                    asked = prompt;
                    *text = answer;
                    return confirm;
                });
        ReaderSettings settings;
        QTEST(settings.AskLineSpacing(nullptr), "result");
        QTEST(settings.LineSpacing(), "spacing");
        QCOMPARE(title, QStringLiteral("设置行间距"));
        QCOMPARE(asked,
                 QStringLiteral("当前行间距:15，请输入新的行间距（5-25）\r\n "
                                "设置后需要手动寻找看书位置和重排书签"));
    }

    void recentBooks()
    {
        CRecentFiles recent;
        recent.Load();
        QCOMPARE(recent.CountUsed(), 0);
        for (int i = 1; i <= 6; ++i)
            recent.Add(QStringLiteral("/books/%1.txt").arg(i));
        recent.Add(QStringLiteral("/books/4.txt"));
        QCOMPARE(recent.GetAt(0), QStringLiteral("/books/4.txt"));
        QCOMPARE(recent.GetAt(1), QStringLiteral("/books/6.txt"));
        QCOMPARE(recent.GetAt(4), QStringLiteral("/books/2.txt"));
        QCOMPARE(recent.GetAt(9), QStringLiteral("/books/2.txt"));
        QCOMPARE(recent.GetAt(-1), QStringLiteral("/books/4.txt"));
        QCOMPARE(recent.CountUsed(), 5);
        // Letter case names one book; two different ideographs never do.
        recent.Add(QStringLiteral("/BOOKS/2.TXT"));
        QCOMPARE(recent.GetAt(0), QStringLiteral("/BOOKS/2.TXT"));
        QCOMPARE(recent.GetAt(4), QStringLiteral("/books/3.txt"));
        recent.Add(QStringLiteral("/books/书.txt"));
        recent.Add(QStringLiteral("/books/节.txt"));
        QCOMPARE(recent.GetAt(1), QStringLiteral("/books/书.txt"));

        recent.Save();
        CRecentFiles reloaded;
        reloaded.Load();
        for (int i = 0; i < CRecentFiles::Capacity; ++i)
            QCOMPARE(reloaded.GetAt(i), recent.GetAt(i));

        recent.SetClearOnExit(true);
        recent.Save();
        QCOMPARE(recent.CountUsed(), 5);
        const CIniFile profile(m_cfg, QStringLiteral("recentfiles"));
        QCOMPARE(profile.ReadString(QStringLiteral("flagclearbeforeexit")), QStringLiteral("1"));
        for (int i = 0; i < CRecentFiles::Capacity; ++i)
            QCOMPARE(profile.ReadString(QStringLiteral("file%1").arg(i)), QStringLiteral(""));
        reloaded.Load();
        QVERIFY(reloaded.ClearOnExit());
        QCOMPARE(reloaded.CountUsed(), 0);

        recent.ClearAll();
        QCOMPARE(recent.CountUsed(), 0);
        QVERIFY(recent.ClearOnExit());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_cfg;
};

VL_TEST_GUI_MAIN(TestDivadSettings)

#include "tst_divadsettings.moc"
