#include "standalone/settings/readersettings.h"
#include "standalone/text/booktext.h"
#include "standalone/util/ansi.h"
#include "standalone/util/strutil.h"
#include "tests/support/testenvironment.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace divad;

namespace {

bool rowHasInk(const QImage &image, int y)
{
    const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
        if (qGray(line[x]) < 160)
            return true;
    }
    return false;
}

bool bandHasInk(const QImage &image, int top, int height)
{
    for (int y = top; y < top + height && y < image.height(); ++y) {
        if (rowHasInk(image, y))
            return true;
    }
    return false;
}

} // namespace

// A volume drawn once into the volume canvas and cut into pages and
// spreads by arithmetic.
class TestDivadLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("DIVAD_HOME",
                QFile::encodeName(TestEnvironment::home() + QStringLiteral("/divad")));
    }

    void init()
    {
        m_settings = std::make_unique<ReaderSettings>();
        m_settings->SetFontHeight(18);
        m_settings->SetLineSpacing(15);
    }

    void figures_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("linesPerPage"); // the page is made that many pitches high
        QTest::addColumn<int>("spreads");
        QTest::newRow("37 lines, 18 a page") << 37 << 18 << 2;
        QTest::newRow("36 lines, 18 a page") << 36 << 18 << 1;
        QTest::newRow("one line") << 1 << 18 << 1;
        QTest::newRow("five pages") << 41 << 9 << 3;
    }

    void figures()
    {
        QFETCH(int, lines);
        QFETCH(int, linesPerPage);
        BookText book(m_settings.get());
        QByteArray text = "a";
        for (int i = 1; i < lines; ++i)
            text += "\r\na";
        QImage window(1, 1, QImage::Format_RGB32);
        // Probe the line height first; the page is then sized in pitches.
        QVERIFY(book.PrepareText("a", &window, 300, 1000));
        const int pitch = book.LinePitch();
        QCOMPARE(pitch, book.LineHeight() + 15);
        QVERIFY(book.LineHeight() >= 18);
        QVERIFY(book.PrepareText(text, &window, 300, linesPerPage * pitch + pitch - 1));
        QCOMPARE(book.LinesPerPage(), linesPerPage);
        QCOMPARE(book.PageHeight(), linesPerPage * pitch);
        QCOMPARE(book.TotalLines(), lines);
        QTEST(book.SpreadCount(), "spreads");
        QCOMPARE(book.CurrentSpread(), 0);
        QCOMPARE(book.VolumeCanvas().Image().height(), lines * book.LineHeight());
        QCOMPARE(book.PageSourceOffset(1, true), 2 * book.LineHeight() * linesPerPage);
        QCOMPARE(book.PageSourceOffset(1, false), 3 * book.LineHeight() * linesPerPage);
        QCOMPARE(BookText::RightPageIndex(1), 3);
    }

    // A page area lower than one line still holds one line: pages and
    // spreads are never counted by dividing by zero.
    void pageLowerThanALine()
    {
        BookText book(m_settings.get());
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(book.PrepareText("a\r\nb\r\nc", &window, 300, 3));
        QCOMPARE(book.LinesPerPage(), 1);
        QCOMPARE(book.SpreadCount(), 2);
        QVERIFY(book.PrepareText("a", &window, 0, 0));
        QCOMPARE(book.SpreadCount(), 1);
        QVERIFY(book.TextBlockWidth() >= 1);
    }

    void linesLandWherePagesSayTheyDo()
    {
        // Lines 0-3 text, line 4 empty, lines 5-7 text; two lines a page.
        BookText book(m_settings.get());
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(book.PrepareText(
                Ansi::fromUnicode(QStringLiteral("一\r\n二\r\n三\r\n四\r\n\r\n六\r\n七\r\n八")),
                &window, 300, 1));
        const QImage &canvas = book.VolumeCanvas().Image();
        const int height = book.LineHeight();
        QCOMPARE(book.LinesPerPage(), 1);
        QCOMPARE(book.TotalLines(), 8);
        QCOMPARE(book.SpreadCount(), 4);
        // Pages are drawn when their spread is first asked for.
        QCOMPARE(canvas.pixel(0, book.PageSourceOffset(0, true)), qRgb(0, 0, 0));
        book.SpreadCanvas(0);
        QCOMPARE(canvas.pixel(0, book.PageSourceOffset(0, true)), qRgb(255, 255, 255));
        QCOMPARE(canvas.pixel(0, book.PageSourceOffset(1, true)), qRgb(0, 0, 0));
        book.SpreadCanvas(1);
        book.SpreadCanvas(2);
        book.SpreadCanvas(7);
        QVERIFY(bandHasInk(canvas, book.PageSourceOffset(0, true), height));
        QVERIFY(bandHasInk(canvas, book.PageSourceOffset(1, false), height));
        QVERIFY(!bandHasInk(canvas, book.PageSourceOffset(2, true), height));
        QVERIFY(bandHasInk(canvas, book.PageSourceOffset(2, false), height));
        // Text is black on white and no wider than the page.
        QCOMPARE(canvas.pixel(canvas.width() - 1, book.PageSourceOffset(2, true)),
                 qRgb(255, 255, 255));
        QVERIFY(book.TextBlockWidth() <= 300);
        QCOMPARE(book.TextBlockWidth(), canvas.width());
    }

    void wrapsWordsAndBreaksLongOnes()
    {
        BookText book(m_settings.get());
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(book.PrepareText(QByteArray(400, 'x'), &window, 100, 1000));
        QVERIFY(book.TotalLines() > 10);
        QVERIFY(book.TextBlockWidth() <= 100);
        const int words = book.TotalLines();
        QVERIFY(book.PrepareText(QByteArray("xxxxxxxxxx ").repeated(40), &window, 100, 1000));
        QVERIFY(book.TotalLines() >= words);
        QVERIFY(book.PrepareText(Ansi::fromUnicode(QStringLiteral("中").repeated(100)), &window,
                                 100, 1000));
        QVERIFY(book.TotalLines() >= 100 * 18 / 100);
    }

    void volumesAndRefusals()
    {
        BookText book(m_settings.get());
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(!book.LayoutVolume(0, &window, 300, 400));
        QVERIFY(!book.lastError().isEmpty());
        m_settings->SetFontHeight(46);
        book.SplitVolumes(QByteArray(25000, 'y'));
        QCOMPARE(book.VolumeCount(), 3);
        QVERIFY(!book.LayoutVolume(1, nullptr, 300, 400));
        QCOMPARE(book.CurrentVolume(), 0);
        QVERIFY(book.LayoutVolume(9, &window, 300, 400));
        QCOMPARE(book.CurrentVolume(), 2);
        QVERIFY(!book.HasNextVolume());
        book.SetCurrentSpread(1);
        QVERIFY(book.LayoutVolume(-4, &window, 300, 400));
        QCOMPARE(book.CurrentVolume(), 0);
        QCOMPARE(book.CurrentSpread(), 0);
        QVERIFY(book.LineHeight() >= 46);
        book.ReleaseVolumeCanvas();
        QVERIFY(!book.VolumeCanvas().IsValid());
    }

    void pageTextWidth()
    {
        QCOMPARE(BookText::PageTextWidthFor(1000), 387);
        QObject window;
        window.setProperty("width", 800);
        SetMainWindow(&window);
        QCOMPARE(BookText::PageTextWidth(), 310);
        SetMainWindow(nullptr);
        QCOMPARE(BookText::PageTextWidth(), 0);
    }

private:
    std::unique_ptr<ReaderSettings> m_settings;
};

VL_TEST_GUI_MAIN(TestDivadLayout)

#include "tst_divadlayout.moc"
