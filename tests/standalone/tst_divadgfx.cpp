#include "standalone/gfx/cdibimage.h"
#include "standalone/gfx/cmemcanvas.h"
#include "standalone/gfx/drawcontext.h"
#include "standalone/gfx/drawing.h"
#include "standalone/util/prompts.h"
#include "tests/support/testenvironment.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>

using namespace divad;

namespace {

// A BMP file: headers as given, then the palette and the pixel rows.
QByteArray bmp(int width, int height, int bits, const QByteArray &pixels,
               const QByteArray &palette = QByteArray(), quint32 colours = 0,
               quint32 compression = 0)
{
    char h[54] = {};
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(quint32(54 + palette.size() + pixels.size()), h + 2);
    qToLittleEndian<quint32>(quint32(54 + palette.size()), h + 10);
    qToLittleEndian<quint32>(40, h + 14);
    qToLittleEndian<qint32>(width, h + 18);
    qToLittleEndian<qint32>(height, h + 22);
    qToLittleEndian<quint16>(1, h + 26);
    qToLittleEndian<quint16>(quint16(bits), h + 28);
    qToLittleEndian<quint32>(compression, h + 30);
    qToLittleEndian<quint32>(colours, h + 46);
    return QByteArray(h, sizeof h) + palette + pixels;
}

quint32 pixelAt(const CDibImage &image, int x, int row)
{
    return qFromLittleEndian<quint32>(image.Pixels().constData() + row * image.Stride() + x * 4);
}

int darkPixels(const QImage &image, const QRect &rect)
{
    int dark = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                ++dark;
        }
    }
    return dark;
}

} // namespace

// Skin pictures, canvases, block copies and the reader's painters.
class TestDivadGfx : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("DIVAD_HOME", QFile::encodeName(m_dir.path()));
        SetMessageBoxHandler([this](const QString &text) { m_messages << text; });
    }

    void cleanup()
    {
        m_dir.setAutoRemove(!QTest::currentTestFailed());
        m_messages.clear();
    }

    void loadsBitmaps_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        // Pixels of the bottom row, then of the row above, as 0x00RRGGBB.
        QTest::addColumn<QList<quint32>>("pixels");

        // 2 x 2, 24 bits: rows of 6 bytes padded to 8, bottom row first.
        QTest::newRow("24 bits") << bmp(2, 2, 24,
                                        QByteArray("\x01\x02\x03\x04\x05\x06\0\0"
                                                   "\x07\x08\x09\x0A\x0B\x0C\0\0",
                                                   16))
                                 << 2 << 2
                                 << QList<quint32> { 0x030201, 0x060504, 0x090807, 0x0C0B0A };
        // All five-bit fields full is white, a full red field is full red.
        QTest::newRow("16 bits") << bmp(2, 1, 16, QByteArray("\xFF\x7F\x00\x7C", 4)) << 2 << 1
                                 << QList<quint32> { 0xFFFFFF, 0xFF0000 };
        // Two palette entries; an index past them is black, not a read
        // beyond the palette.
        QTest::newRow("8 bits") << bmp(3, 1, 8, QByteArray("\x01\x00\x07\x00", 4),
                                       QByteArray("\x10\x20\x30\x00\x40\x50\x60\x00", 8), 2)
                                << 3 << 1 << QList<quint32> { 0x605040, 0x302010, 0 };
        QTest::newRow("32 bits") << bmp(1, 1, 32, QByteArray("\x01\x02\x03\xFF", 4)) << 1 << 1
                                 << QList<quint32> { 0x030201 };
        // A negative height means rows top-down; they are turned bottom-up.
        QTest::newRow("top-down") << bmp(1, -2, 32, QByteArray("\x01\0\0\0\x02\0\0\0", 8)) << 1 << 2
                                  << QList<quint32> { 0x000002, 0x000001 };
    }

    void loadsBitmaps()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QList<quint32>, pixels);
        const QString path = m_dir.filePath(QStringLiteral("skin.bmp"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
        out.close();

        CDibImage image;
        image.LoadBmpFile(path);
        QVERIFY2(image.HasPixels(), qPrintable(image.lastError()));
        QCOMPARE(image.Width(), width);
        QCOMPARE(image.Height(), height);
        QCOMPARE(image.BytesPerPixel(), 4);
        QCOMPARE(image.Stride(), width * 4);
        QCOMPARE(image.ImageSize(), width * height * 4);
        QCOMPARE(image.InfoHeader().bitCount, quint16(32));
        QCOMPARE(image.FileHeader().offBits, 54u);
        QCOMPARE(int(image.FileHeader().size), width * height * 4 + 54);
        for (int i = 0; i < pixels.size(); ++i)
            QCOMPARE(pixelAt(image, i % width, i / width), pixels.at(i));
        // Drawn top-down: the last stored row is the top one.
        const QImage shown = image.ToQImage();
        QCOMPARE(shown.pixel(0, 0) & 0xFFFFFF, pixels.at((height - 1) * width));
    }

    void refusesDamagedBitmaps_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray good = bmp(2, 2, 24, QByteArray(16, '\x11'));
        QTest::newRow("pixels cut short") << good.left(good.size() - 1);
        QTest::newRow("headers only") << good.left(54);
        QTest::newRow("half a header") << good.left(30);
        QTest::newRow("huge size") << bmp(100000, 100000, 24, QByteArray(16, '\x11'));
        QTest::newRow("negative width") << bmp(-2, 2, 24, QByteArray(16, '\x11'));
        QTest::newRow("zero height") << bmp(2, 0, 24, QByteArray(16, '\x11'));
        QTest::newRow("odd depth") << bmp(2, 2, 12, QByteArray(16, '\x11'));
        QTest::newRow("run-length coded")
                << bmp(2, 2, 8, QByteArray(16, '\x11'), QByteArray(8, '\0'), 2, 1);
        QTest::newRow("palette of 1000")
                << bmp(2, 2, 8, QByteArray(8, '\x01'), QByteArray(4000, '\0'), 1000);
        QByteArray badMagic = good;
        badMagic[0] = 'X';
        QTest::newRow("not a bitmap") << badMagic;
        QByteArray badInfo = good;
        qToLittleEndian<quint32>(0x7FFFFFFF, badInfo.data() + 14);
        QTest::newRow("information header past the end") << badInfo;
    }

    void refusesDamagedBitmaps()
    {
        QFETCH(QByteArray, file);
        const QString path = m_dir.filePath(QStringLiteral("damaged.bmp"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(file);
        out.close();
        CDibImage image;
        image.FromBitmap(QImage(4, 4, QImage::Format_RGB32));
        QVERIFY(image.HasPixels());
        image.LoadBmpFile(path);
        QVERIFY(!image.HasPixels());
        QVERIFY(!image.lastError().isEmpty());
        QVERIFY(image.ToQImage().isNull());
        QImage target(4, 4, QImage::Format_RGB32);
        target.fill(Qt::red);
        {
            DrawContext dc(&target);
            image.Draw(&dc, 0, 0);
            image.Resize(10, 10);
        }
        QCOMPARE(target.pixel(0, 0), QColor(Qt::red).rgb());
    }

    void oneBitPicturesHaveNoPixelsAndMissingFilesChangeNothing()
    {
        const QString path = m_dir.filePath(QStringLiteral("mono.bmp"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bmp(8, 1, 1, QByteArray(4, '\xFF'), QByteArray(8, '\0'), 2));
        out.close();
        CDibImage image;
        image.FromBitmap(QImage(2, 2, QImage::Format_RGB32));
        image.LoadBmpFile(m_dir.filePath(QStringLiteral("missing.bmp")));
        QVERIFY(image.HasPixels());
        image.LoadBmpFile(path);
        QVERIFY(!image.HasPixels());
        image.FromBitmap(QImage(2, 2, QImage::Format_Indexed8));
        QVERIFY(!image.HasPixels());
    }

    void resizes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("nearest") << int(CDibImage::Nearest);
        QTest::newRow("bilinear") << int(CDibImage::Bilinear);
        QTest::newRow("bicubic") << int(CDibImage::Bicubic);
    }

    void resizes()
    {
        QFETCH(int, mode);
        QImage source(6, 4, QImage::Format_RGB32);
        source.fill(QColor(200, 100, 50));
        CDibImage image;
        image.FromBitmap(source);
        image.SetResampleMode(mode);
        image.Resize(13, 9);
        QCOMPARE(image.Width(), 13);
        QCOMPARE(image.Height(), 9);
        QCOMPARE(image.Stride(), 52);
        QCOMPARE(image.ImageSize(), 13 * 9 * 4);
        // A plain colour stays (nearly) that colour everywhere.
        const QImage shown = image.ToQImage();
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 13; ++x) {
                const QColor c = shown.pixelColor(x, y);
                QVERIFY2(qAbs(c.red() - 200) <= 8 && qAbs(c.green() - 100) <= 8
                                 && qAbs(c.blue() - 50) <= 8,
                         qPrintable(QStringLiteral("%1,%2: %3").arg(x).arg(y).arg(c.name())));
            }
        }
        image.Resize(0, 0);
        QCOMPARE(image.Width(), 1);
        QCOMPARE(image.Height(), 1);
        QCOMPARE(image.ImageSize(), 4);
    }

    void nearestReplicatesPixels()
    {
        QImage source(2, 1, QImage::Format_RGB32);
        source.setPixel(0, 0, qRgb(255, 0, 0));
        source.setPixel(1, 0, qRgb(0, 0, 255));
        CDibImage image;
        image.FromBitmap(source);
        image.ResizeNearest(4, 2);
        const QImage shown = image.ToQImage();
        QCOMPARE(shown.pixel(1, 1), qRgb(255, 0, 0));
        QCOMPARE(shown.pixel(2, 0), qRgb(0, 0, 255));
        image.FlipVertical();
        QCOMPARE(image.ToQImage().pixel(3, 1), qRgb(0, 0, 255));
    }

    void canvasesAndCopies()
    {
        QImage window(40, 30, QImage::Format_RGB32);
        window.fill(qRgb(0, 200, 0));
        DrawContext target(&window);
        CMemCanvas canvas;
        QVERIFY(canvas.Setup(&target, 5, 6, 10, 8));
        QVERIFY(canvas.IsValid());
        QCOMPARE(canvas.Image().size(), QSize(10, 8));
        canvas.SetColour(QColor(10, 20, 30));
        canvas.Clear();
        canvas.Present();
        QCOMPARE(window.pixel(5, 6), qRgb(10, 20, 30));
        QCOMPARE(window.pixel(14, 13), qRgb(10, 20, 30));
        QCOMPARE(window.pixel(15, 13), qRgb(0, 200, 0));
        QCOMPARE(window.pixel(4, 6), qRgb(0, 200, 0));

        // Black on white ANDed onto green: green stays where the source is
        // white, black where it is black.
        CMemCanvas ink;
        ink.Setup(nullptr, 0, 0, 4, 1);
        ink.Clear();
        ink.DC()->FillSolidRect(QRect(0, 0, 2, 1), Qt::black);
        target.BitBlt(20, 20, 4, 1, *ink.DC(), 0, 0, RasterOp::And);
        QCOMPARE(window.pixel(20, 20), qRgb(0, 0, 0));
        QCOMPARE(window.pixel(22, 20), qRgb(0, 200, 0));

        // Too large a canvas: a message, an invalid canvas, and no-ops.
        CMemCanvas huge;
        QVERIFY(huge.Setup(&target, 0, 0, 1 << 20, 1 << 20));
        QVERIFY(!huge.IsValid());
        QCOMPARE(m_messages,
                 QStringList { QStringLiteral("创建位图失败！文件太大，请分割文件！") });
        huge.Clear();
        huge.Present();
        QCOMPARE(window.pixel(0, 0), qRgb(0, 200, 0));
        canvas.Release();
        QVERIFY(!canvas.IsValid());
    }

    void textLayout()
    {
        QImage image(200, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        DrawContext dc(&image);
        QFont font;
        font.setFamilies({ QStringLiteral("WenQuanYi Micro Hei") });
        font.setPixelSize(16);
        dc.SelectFont(font);
        const QRect one = dc.DrawText(QStringLiteral("中文中文"), QRect(0, 0, 200, 200),
                                      TextFormat::CalcRect);
        const QRect wrapped = dc.DrawText(QStringLiteral("中文中文"), QRect(0, 0, 40, 200),
                                          TextFormat::CalcRect | TextFormat::WordBreak);
        QVERIFY(one.height() > 0);
        QCOMPARE(wrapped.height(), 2 * one.height());
        QVERIFY(wrapped.width() <= 40);
        const QRect lines = dc.DrawText(QStringLiteral("a\r\nb\nc"), QRect(0, 0, 200, 200),
                                        TextFormat::CalcRect);
        QCOMPARE(lines.height(), 3 * one.height());
        const QRect single = dc.DrawText(QStringLiteral("a\r\nb"), QRect(0, 0, 200, 200),
                                         TextFormat::CalcRect | TextFormat::SingleLine);
        QCOMPARE(single.height(), one.height());
        // "&&" is one ampersand; a lone "&" only marks the next letter.
        QCOMPARE(dc.DrawText(QStringLiteral("a&&b"), QRect(0, 0, 200, 20), TextFormat::CalcRect),
                 dc.DrawText(QStringLiteral("a&b"), QRect(0, 0, 200, 20),
                             TextFormat::CalcRect | TextFormat::NoPrefix));
        QCOMPARE(darkPixels(image, image.rect()), 0);
        dc.DrawText(QStringLiteral("中"), QRect(100, 100, 50, 50), TextFormat::Left);
        QVERIFY(darkPixels(image, QRect(100, 100, 50, 50)) > 0);
        QCOMPARE(darkPixels(image, QRect(0, 0, 100, 100)), 0);
    }

    void labelsLeaveTheSkinUnderWhite()
    {
        QImage window(300, 60, QImage::Format_RGB32);
        window.fill(qRgb(180, 220, 255));
        DrawContext dc(&window);
        CMemCanvas &label = LabelCanvas();
        label.Setup(&dc, 0, 0, 800, 100);
        QFont font;
        font.setFamilies({ QStringLiteral("WenQuanYi Micro Hei") });
        font.setPixelSize(18);
        label.DC()->SelectFont(font);

        DrawLabel(&dc, QString(), QRect(10, 10, 200, 30), true, false);
        QCOMPARE(darkPixels(window, window.rect()), 0);
        DrawLabel(&dc, QStringLiteral("《书名》"), QRect(10, 10, 200, 30), true, false);
        QVERIFY(darkPixels(window, QRect(10, 10, 200, 30)) > 0);
        QCOMPARE(window.pixel(12, 12), qRgb(180, 220, 255));
        QCOMPARE(darkPixels(window, QRect(0, 41, 300, 19)), 0);
        // Right-aligned text ends at the rectangle's right edge.
        window.fill(qRgb(180, 220, 255));
        DrawLabel(&dc, QStringLiteral("12"), QRect(10, 10, 200, 30), false, true);
        QCOMPARE(darkPixels(window, QRect(10, 10, 150, 30)), 0);
        QVERIFY(darkPixels(window, QRect(160, 10, 50, 30)) > 0);
        label.Release();
    }

    void smoothCurves()
    {
        const QVector<QPoint> points = { { 0, 0 }, { 50, 40 }, { 100, 0 } };
        const QVector<QPoint> curve = SmoothCurve(points);
        for (const QPoint &point : points)
            QVERIFY(curve.contains(point));
        QCOMPARE(curve.last(), QPoint(100, 0));
        int highest = 0;
        for (const QPoint &point : curve)
            highest = qMax(highest, point.y());
        QVERIFY(highest >= 40 && highest <= 45);
        // Points on a line give that line.
        for (const QPoint &point : SmoothCurve({ { 0, 0 }, { 0, 0 }, { 30, 30 }, { 60, 60 } }))
            QVERIFY(qAbs(point.x() - point.y()) <= 1);
        QCOMPARE(SmoothCurve({ { 5, 5 }, { 5, 5 } }), QVector<QPoint>({ { 5, 5 }, { 5, 5 } }));
        const QVector<QPoint> given = SmoothCurve({ { 0, 0 }, { 100, 0 } }, CurveEnd::GivenSlopes,
                                                  QPointF(1, 1), QPointF(1, -1));
        QVERIFY(std::any_of(given.cbegin(), given.cend(),
                            [](const QPoint &p) { return p.y() > 5; }));

        QImage image(120, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        DrawContext dc(&image);
        dc.MoveTo(QPoint(10, 50));
        QVector<QPoint> samples;
        CurveTo(&dc, QPoint(60, 10), QPoint(110, 50), &samples, true);
        QCOMPARE(dc.CurrentPosition(), QPoint(110, 50));
        QVERIFY(samples.contains(QPoint(60, 10)));
        QCOMPARE(darkPixels(image, image.rect()), 0);
    }

    void decorations()
    {
        QImage image(200, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        DrawContext dc(&image);
        DrawArrow(&dc, 0, QRect(0, 0, 100, 40), QColor(200, 200, 255), QColor(0, 0, 255));
        // The tail shades from the first colour at its top edge downwards,
        // the head across towards the second.
        QVERIFY(image.pixelColor(1, 10).red() >= 190);
        QVERIFY(image.pixelColor(1, 28).red() < image.pixelColor(1, 12).red());
        QVERIFY(image.pixelColor(95, 20).red() < 30);
        QCOMPARE(image.pixel(1, 2), qRgb(255, 255, 255));
        DrawArrow(&dc, 2, QRect(0, 50, 100, 40), QColor(200, 200, 255), QColor(0, 0, 255));
        QVERIFY(image.pixelColor(98, 60).red() >= 190);
        QVERIFY(image.pixelColor(5, 70).red() < 30);

        QCOMPARE(TagPaletteColour(7), QColor(97, 189, 236));
        QCOMPARE(TagPaletteColour(-1), QColor(238, 61, 152));
        DrawTag(&dc, QRect(120, 0, 35, 65), Qt::red, QStringLiteral("书签1"), true, 7);
        QCOMPARE(image.pixelColor(123, 30), QColor(97, 189, 236));

        QCOMPARE(MirrorRect(Ltrb(10, 0, 30, 5), 50), Ltrb(70, 0, 90, 5));
        DrawBubble(&dc, QRect(0, 100, 150, 60), QStringLiteral("第3页"), QColor(221, 239, 255),
                   QColor(0, 255, 0), 2, false);
        QCOMPARE(image.pixelColor(10, 130), QColor(221, 239, 255));
        QCOMPARE(image.pixelColor(145, 105), QColor(Qt::white));

        image.fill(Qt::white);
        DrawSleepyFace(&dc, 0, 0, 100, 100, false);
        QCOMPARE(image.pixelColor(50, 1), QColor(255, 221, 48));
        DrawCurvedArrow(&dc, QRect(110, 110, 60, 30), QColor(0, 0, 255));
        QVERIFY(image.pixelColor(140, 134).blue() > 200);
        DrawSleepyFace(&dc, 0, 0, 100, 100, true);
    }

    void clipboardBook()
    {
        const QString path = m_dir.filePath(QStringLiteral("剪切板.txt"));
        QGuiApplication::clipboard()->clear();
        QVERIFY(!SaveClipboardText(path));
        QVERIFY(!QFile::exists(path));
        QGuiApplication::clipboard()->setText(QStringLiteral("中文 text"));
        QVERIFY(SaveClipboardText(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\xD6\xD0\xCE\xC4 text"));
    }

private:
    QTemporaryDir m_dir;
    QStringList m_messages;
};

VL_TEST_GUI_MAIN(TestDivadGfx)

#include "tst_divadgfx.moc"
