#include "standalone/settings/readersettings.h"
#include "standalone/text/booktext.h"
#include "standalone/text/ctextdecoder.h"
#include "standalone/util/ansi.h"
#include "standalone/util/prompts.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace divad;

namespace {

QByteArray gbk(const QString &text)
{
    return Ansi::fromUnicode(text);
}

// True when every volume, stripped of its continuation texts, starts on a
// character boundary of text and together they give text back.
bool volumesKeepCharacters(const BookText &book, const QByteArray &text, QString *why)
{
    const QByteArray prefix = gbk(QStringLiteral("（...接上一卷）\r\n\r\n"));
    const QByteArray suffix = gbk(QStringLiteral("\r\n\r\n（按[空格键]进入下一卷...）"));
    QByteArray joined;
    QList<int> starts;
    for (int i = 0; i < book.VolumeCount(); ++i) {
        QByteArray volume = book.GetVolumeText(i, true, 0);
        if (i > 0 && volume.startsWith(prefix))
            volume.remove(0, prefix.size());
        if (i + 1 < book.VolumeCount() && volume.endsWith(suffix))
            volume.chop(suffix.size());
        starts << joined.size();
        joined += volume;
    }
    if (joined != text) {
        *why = QStringLiteral("the volumes do not add up to the text");
        return false;
    }
    int position = 0;
    for (const int start : starts) {
        while (position < start)
            position += Ansi::charLength(text.constData(), position, text.size());
        if (position != start) {
            *why = QStringLiteral("a volume starts inside a character at %1").arg(start);
            return false;
        }
    }
    return true;
}

} // namespace

// The book text model: decoding, opening, HTML, volumes, names and series.
class TestDivadBookText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("DIVAD_HOME",
                QFile::encodeName(TestEnvironment::home() + QStringLiteral("/divad")));
        SetMessageBoxHandler([this](const QString &text) { m_messages << text; });
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_messages.clear();
        m_settings = std::make_unique<ReaderSettings>();
        m_settings->SetFontHeight(16);
    }

    void cleanup()
    {
        m_dir->setAutoRemove(!QTest::currentTestFailed());
        QDir::setCurrent(TestEnvironment::home());
    }

    void decodes_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("UTF-8 mark dropped")
                << QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87") << int(TextEncoding::Utf8)
                << gbk(QStringLiteral("中文"));
        QTest::newRow("UTF-8 NUL keeps the rest") << QByteArray("\xEF\xBB\xBF"
                                                                "a\0b",
                                                                6)
                                                  << int(TextEncoding::Utf8) << QByteArray("a b");
        QTest::newRow("UTF-16LE NUL keeps the rest")
                << QByteArray("\xFF\xFE"
                              "a\0\0\0b\0",
                              8)
                << int(TextEncoding::Unicode) << QByteArray("a b");
        QTest::newRow("UTF-16LE odd last byte ignored")
                << QByteArray("\xFF\xFE\x2D\x4E\x87\x65\x41", 7) << int(TextEncoding::Unicode)
                << gbk(QStringLiteral("中文"));
        QTest::newRow("UTF-16BE") << QByteArray("\xFE\xFF\x4E\x2D\x65\x87", 6)
                                  << int(TextEncoding::UnicodeBigEndian)
                                  << gbk(QStringLiteral("中文"));
        QTest::newRow("unmappable becomes ?") << QByteArray("\xEF\xBB\xBF\xF0\x9F\x98\x80!")
                                              << int(TextEncoding::Utf8) << QByteArray("?!");
        // EF BB is a character of the code page; a file may well start with it.
        QTest::newRow("EF BB without BF is code page text")
                << QByteArray("\xEF\xBB\x41\xD6\xD0") << int(TextEncoding::Ansi)
                << QByteArray("\xEF\xBB\x41\xD6\xD0");
        QTest::newRow("just a mark")
                << QByteArray("\xFF\xFE") << int(TextEncoding::Unicode) << QByteArray();
        QTest::newRow("two plain bytes")
                << QByteArray("ab") << int(TextEncoding::Ansi) << QByteArray("ab");
    }

    void decodes()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, text);
        QTEST(int(CTextDecoder::DetectEncoding(file)), "encoding");
        CTextDecoder decoder;
        QVERIFY(decoder.Decode(file));
        QCOMPARE(decoder.Text(), text);
        QVERIFY(!decoder.Decode(QByteArray("a")));
    }

    void opensBooks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("shown"); // "%1" stands for the path
        QTest::addColumn<int>("encoding");
        QTest::newRow("empty file")
                << QStringLiteral("empty.txt") << QByteArray() << QStringLiteral("该文件无内容：%1")
                << int(TextEncoding::Ansi);
        QTest::newRow("only a mark")
                << QStringLiteral("mark.txt") << QByteArray("\xFF\xFE")
                << QStringLiteral("该文件无内容：%1") << int(TextEncoding::Unicode);
        QTest::newRow("NULs in code page text")
                << QStringLiteral("nul.txt") << QByteArray("\xD6\xD0\0\0\xCE\xC4", 6)
                << QStringLiteral("中  文") << int(TextEncoding::Ansi);
        QTest::newRow("HTML in any case")
                << QStringLiteral("book.HtMl") << QByteArray("<title>T</title><p>a b&nbsp;c<br>d")
                << QStringLiteral("T\r\n\r\nab c\r\nd") << int(TextEncoding::Ansi);
        QTest::newRow("UTF-8 HTML")
                << QStringLiteral("u.htm") << QByteArray("\xEF\xBB\xBF<p>\xE4\xB8\xAD&amp;lt;</p>")
                << QStringLiteral("\r\n中&lt;") << int(TextEncoding::Utf8);
        QTest::newRow("text is not HTML")
                << QStringLiteral("t.txt") << QByteArray("<p>a b</p>")
                << QStringLiteral("<p>a b</p>") << int(TextEncoding::Ansi);
    }

    void opensBooks()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, file);
        QFETCH(QString, shown);
        const QString path = m_dir->filePath(name);
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
        out.close();
        BookText book(m_settings.get());
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(book.OpenBook(path, &window, 300, 400));
        QCOMPARE(book.VolumeCount(), 1);
        QCOMPARE(Ansi::toUnicode(book.GetVolumeText(0, true, 0)),
                 shown.contains(QLatin1String("%1")) ? shown.arg(path) : shown);
        QTEST(int(book.Encoding()), "encoding");
        QCOMPARE(book.CurrentPath(), path);
        QVERIFY(m_messages.isEmpty());
    }

    // Only a path longer than five characters can end in ".htm".
    void shortHtmName()
    {
        QVERIFY(QDir::setCurrent(m_dir->path()));
        for (const QString &name : { QStringLiteral("a.htm"), QStringLiteral("ab.htm") }) {
            QFile out(name);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("<p>a b c d e</p>");
        }
        BookText book(m_settings.get());
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(book.OpenBook(QStringLiteral("a.htm"), &window, 300, 400));
        QCOMPARE(book.GetVolumeText(0, true, 0), QByteArray("<p>a b c d e</p>"));
        QVERIFY(book.OpenBook(QStringLiteral("ab.htm"), &window, 300, 400));
        QCOMPARE(book.GetVolumeText(0, true, 0), QByteArray("\r\nabcde"));
    }

    void unreadableBooksKeepThePreviousOne()
    {
        const QString good = m_dir->filePath(QStringLiteral("good.txt"));
        QFile out(good);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("\xFF\xFE"
                  "a\0",
                  4);
        out.close();
        BookText book(m_settings.get());
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(book.OpenBook(good, &window, 300, 400));

        // A folder and a pipe are refused at once (a pipe would wait forever).
        const QString folder = m_dir->filePath(QStringLiteral("folder.txt"));
        QVERIFY(QDir().mkpath(folder));
        const QString pipe = m_dir->filePath(QStringLiteral("pipe.txt"));
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        // Larger than any book may be; sparse, so it costs no disk.
        const QString huge = m_dir->filePath(QStringLiteral("huge.txt"));
        QFile big(huge);
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(BookText::MaximumFileBytes + 1));
        big.close();

        for (const QString &path : { folder, pipe, huge }) {
            m_messages.clear();
            QVERIFY(!book.OpenBook(path, &window, 300, 400));
            QCOMPARE(m_messages.size(), 1);
            QCOMPARE(book.CurrentPath(), good);
            QCOMPARE(book.GetVolumeText(0, true, 0), QByteArray("a"));
            QCOMPARE(book.Encoding(), TextEncoding::Unicode);
        }
        QVERIFY(m_messages.first().contains(huge));
        QVERIFY(m_messages.first().contains(QStringLiteral("256MB")));

        // A missing file is shown as a book that says so; the encoding of
        // the previous file stays.
        const QString missing = m_dir->filePath(QStringLiteral("gone.txt"));
        m_messages.clear();
        QVERIFY(book.OpenBook(missing, &window, 300, 400));
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(Ansi::toUnicode(book.GetVolumeText(0, true, 0)),
                 QStringLiteral("文件未找到:") + missing);
        QVERIFY(book.CurrentPath().isEmpty());
        QCOMPARE(book.Encoding(), TextEncoding::Unicode);
        QVERIFY(book.BookDisplayName().isEmpty());
        QVERIFY(!book.OpenBook(good, nullptr, 300, 400));
    }

    void htmlToText_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("short stays") << QByteArray("<p>a</p>") << QByteArray("<p>a</p>");
        // Under ten bytes once squeezed: the remaining tags stay.
        QTest::newRow("short once squeezed")
                << QByteArray("<p>a b</p>") << QByteArray("\r\nab</p>");
        QTest::newRow("nbsp separates, spaces join")
                << QByteArray("<div>one&nbsp;two three</div>") << QByteArray("one twothree");
        QTest::newRow("upper-case tags break nothing")
                << QByteArray("<P>x<BR>y</TITLE>z") << QByteArray("xyz");
        QTest::newRow("amp lt stays an entity")
                << QByteArray("<b>a&amp;lt;b</b>") << QByteArray("a&lt;b");
        QTest::newRow("entities") << QByteArray("<i>&lt;&gt;&amp;</i>") << QByteArray("<>&");
        // Each entity is replaced through the whole text before the next.
        QTest::newRow("amp then nbsp") << QByteArray("<i>a&amp;nbsp;b</i>") << QByteArray("a b");
        QTest::newRow("amp twice")
                << QByteArray("<i>&amp;amp;nbsp;</i>") << QByteArray("&amp;nbsp;");
        QTest::newRow("entity split by a tag") << QByteArray("<i>&l<b>t;x</i>") << QByteArray("<x");
        QTest::newRow("a space inside a tag")
                << QByteArray("<p >one<br/>two") << QByteArray("onetwo");
        QTest::newRow("line ends in the source vanish")
                << QByteArray("<b>line\r\none</b><b\nr>two") << QByteArray("lineone\r\ntwo");
        QTest::newRow("short after squeezing")
                << QByteArray("  \r\n  <p>    ") << QByteArray("\r\n");
        // The tag bytes never occur inside a two-byte character.
        QTest::newRow("ideographs")
                << QByteArray("<p>\xD6\xD0 \xCE\xC4</p>") << QByteArray("\r\n\xD6\xD0\xCE\xC4");
    }

    void htmlToText()
    {
        QFETCH(QByteArray, html);
        QTEST(BookText::HtmlToText(html), "text");
    }

    void volumeBounds_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("volumes");
        QTest::addColumn<int>("firstBytes");
        QTest::newRow("30,101 bytes: one volume") << 30101 << 1 << 30101;
        QTest::newRow("30,102 bytes: two") << 30102 << 2 << 30101;
        QTest::newRow("short") << 10 << 1 << 10;
    }

    void volumeBounds()
    {
        QFETCH(int, length);
        QFETCH(int, firstBytes);
        BookText book(m_settings.get());
        QCOMPARE(book.VolumeSize(), 30000);
        book.SplitVolumes(QByteArray(length, 'x'));
        QTEST(book.VolumeCount(), "volumes");
        QCOMPARE(book.CurrentVolume(), 0);
        const QByteArray suffix = gbk(QStringLiteral("\r\n\r\n（按[空格键]进入下一卷...）"));
        const QByteArray prefix = gbk(QStringLiteral("（...接上一卷）\r\n\r\n"));
        if (book.VolumeCount() == 1) {
            QCOMPARE(book.GetVolumeText(0, true, 0), QByteArray(length, 'x'));
        } else {
            QCOMPARE(book.GetVolumeText(0, true, 0), QByteArray(firstBytes, 'x') + suffix);
            QCOMPARE(book.GetVolumeText(1, true, 0), prefix + "x");
            QCOMPARE(book.GetVolumeText(7, true, 0), prefix + "x");
        }
    }

    void volumesEndAtLineEnds()
    {
        BookText book(m_settings.get());
        const QByteArray text = QByteArray(30005, 'a') + "\r\n" + QByteArray(50, 'b') + "\n"
                + QByteArray(10, 'c');
        book.SplitVolumes(text);
        QCOMPARE(book.VolumeCount(), 2);
        QVERIFY(book.GetVolumeText(0, true, 0).startsWith(QByteArray(30005, 'a') + "\r\n\r\n\r\n"));
        QVERIFY(book.HasNextVolume());
        QVERIFY(!book.HasPreviousVolume());
        book.SetCurrentVolume(1);
        QVERIFY(!book.HasNextVolume());
        QVERIFY(book.HasPreviousVolume());

        m_settings->SetFontHeight(46);
        QCOMPARE(book.VolumeSize(), 10434);
        m_settings->SetFontHeight(18);
        QCOMPARE(book.VolumeSize(), 26666);
    }

    // Cut points near the volume size fall on every byte offset in turn;
    // no volume may end inside a character, whatever its second byte.
    void volumesNeverSplitCharacters_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray lowTrail = QByteArray("\x81\x40", 2).repeated(20000);
        QTest::newRow("low trail bytes") << lowTrail;
        // 0x80 is a character of its own, not the first half of one.
        QTest::newRow("after a lone 0x80")
                << QByteArray("\x80") + QByteArray("\xB0\xA1").repeated(20000);
        QTest::newRow("low trail after a lone 0x80") << QByteArray("\x80") + lowTrail;
        QTest::newRow("after ASCII") << QByteArray("a") + lowTrail;
        QTest::newRow("trail byte that looks like a line feed lead") << QByteArray("\x80\x80")
                        + QByteArray("\xD6\x0A", 2).repeated(100)
                        + QByteArray("\xB0\xA1").repeated(20000);
        QTest::newRow("mixed") << (QByteArray("\x80"
                                              "a\x81\x7E\xFE\xFE",
                                              6))
                                          .repeated(9000);
    }

    void volumesNeverSplitCharacters()
    {
        QFETCH(QByteArray, text);
        BookText book(m_settings.get());
        book.SplitVolumes(text);
        QVERIFY(book.VolumeCount() >= 2);
        QString why;
        QVERIFY2(volumesKeepCharacters(book, text, &why), qPrintable(why));
    }

    void shortensInTheMiddle_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<QByteArray>("shortened");
        QTest::newRow("fits") << QByteArray("abcdef") << 6 << QByteArray("abcdef");
        QTest::newRow("ascii") << QByteArray("abcdefghij") << 6 << QByteArray("abc...hij");
        QTest::newRow("pair at the cut grows the part") << QByteArray("a\xD6\xD0"
                                                                      "bcd\xCE\xC4")
                                                        << 4 << QByteArray("a\xD6\xD0...\xCE\xC4");
        QTest::newRow("low trail byte counted right") << QByteArray("\x81\x40\x81\x40"
                                                                    "xx\x81\x40\x81\x40")
                                                      << 4 << QByteArray("\x81\x40...\x81\x40");
        QTest::newRow("lone 0x80")
                << QByteArray("\x80\x80\x80\x80\x80") << 2 << QByteArray("\x80...\x80");
    }

    void shortensInTheMiddle()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, maxBytes);
        QTEST(BookText::ShortenMiddle(text, maxBytes), "shortened");
    }

    void displayAndMenuNames()
    {
        const QString folder = m_dir->filePath(QStringLiteral("三国演义"));
        QVERIFY(QDir().mkpath(folder));
        BookText book(m_settings.get());
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(book.OpenBook(folder + QStringLiteral("/12.txt"), &window, 300, 400));
        QVERIFY(book.CurrentPath().isEmpty()); // missing: no name
        QFile out(folder + QStringLiteral("/12.txt"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("x");
        out.close();
        QVERIFY(book.OpenBook(out.fileName(), &window, 300, 400));
        QCOMPARE(book.BookDisplayName(), QStringLiteral("三国演义\\12"));
        QCOMPARE(book.BookMenuName(100), QStringLiteral("三国演义\\12"));
        // 30 x 0.29 - 2 = 6.7: six bytes, three a side, and the ideograph
        // at the cut whole.
        QCOMPARE(book.BookMenuName(20), book.BookMenuName(30));
        QCOMPARE(book.BookMenuName(30), QStringLiteral("三国...\\12"));

        const QString named = folder + QStringLiteral("/第一部 龙战于野.txt");
        QFile second(named);
        QVERIFY(second.open(QIODevice::WriteOnly));
        second.write("x");
        second.close();
        QVERIFY(book.OpenBook(named, &window, 300, 400));
        QCOMPARE(book.BookDisplayName(), QStringLiteral("第一部 龙战于野"));
        QCOMPARE(book.BookMenuName(40), QStringLiteral("第一...于野"));
        QCOMPARE(book.BookMenuName(60), QStringLiteral("第一部 龙战于野"));
        QCOMPARE(BookText::ShortenMiddle(QStringLiteral("a😀b😀c"), 4), QStringLiteral("a😀...😀c"));
    }

    void siblingBooks_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("previous");
        QTest::addColumn<QString>("found");
        QTest::newRow("next number")
                << QStringList { "卷3.txt", "卷4.txt" } << "卷3.txt" << false << "卷4.txt";
        QTest::newRow("next with zeros")
                << QStringList { "卷3.txt", "卷004.txt" } << "卷3.txt" << false << "卷004.txt";
        QTest::newRow("previous drops zeros")
                << QStringList { "book10.txt", "book9.txt" } << "book10.txt" << true << "book9.txt";
        QTest::newRow("nine zeros at most")
                << QStringList { "a1.txt", "a00000000002.txt" } << "a1.txt" << false << "";
        QTest::newRow("上 to 中") << QStringList { "天龙上.txt", "天龙中.txt", "天龙下.txt" }
                                  << "天龙上.txt" << false << "天龙中.txt";
        QTest::newRow("上 to 下") << QStringList { "天龙上.txt", "天龙下.txt" } << "天龙上.txt"
                                  << false << "天龙下.txt";
        QTest::newRow("下 back to 上") << QStringList { "天龙上.txt", "天龙下.txt" } << "天龙下.txt"
                                       << true << "天龙上.txt";
        QTest::newRow("中 back") << QStringList { "天龙上.txt", "天龙中.txt" } << "天龙中.txt"
                                 << true << "天龙上.txt";
        // Without a part to step to, numbering goes on from the last stem tried.
        QTest::newRow("上 with neither") << QStringList { "天龙上.txt", "天龙下1.txt" }
                                         << "天龙上.txt" << false << "天龙下1.txt";
        QTest::newRow("no extension")
                << QStringList { "part1", "part2" } << "part1" << false << "part2";
        QTest::newRow("nothing") << QStringList { "solo.txt" } << "solo.txt" << false << "";
        QTest::newRow("too many digits") << QStringList { "x99999999999999999999.txt" }
                                         << "x99999999999999999999.txt" << false << "";
    }

    void siblingBooks()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, from);
        QFETCH(bool, previous);
        QFETCH(QString, found);
        for (const QString &name : files) {
            QFile file(m_dir->filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(BookText::FindSiblingBook(m_dir->filePath(from), previous),
                 found.isEmpty() ? QString() : m_dir->filePath(found));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReaderSettings> m_settings;
    QStringList m_messages;
};

VL_TEST_GUI_MAIN(TestDivadBookText)

#include "tst_divadbooktext.moc"
