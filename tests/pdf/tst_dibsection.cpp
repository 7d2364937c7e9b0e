// The page bitmap and the device contexts it is drawn through.

#include "pdf/dibsection.h"
#include "tests/support/testenvironment.h"

class TestDibSection : public QObject
{
    Q_OBJECT

private slots:
    void sizes_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("valid");
        QTest::newRow("page") << 612 << 792 << true;
        QTest::newRow("one pixel") << 1 << 1 << true;
        QTest::newRow("no width") << 0 << 10 << false;
        QTest::newRow("negative") << -5 << 5 << false;
        // A fit scale of 0 on a tiny view, or a huge zoom: refused, not
        // allocated.
        QTest::newRow("too large") << 100000 << 100000 << false;
    }

    void sizes()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, valid);
        DibSection section(width, height);
        QCOMPARE(section.isValid(), valid);
        const gdi::HDC dc = section.createDC();
        QCOMPARE(dc != nullptr, valid);
        const QImage view = section.toImage();
        QCOMPARE(view.isNull(), !valid);
        if (valid) {
            QCOMPARE(view.size(), QSize(width, height));
            QCOMPARE(view.format(), QImage::Format_RGB32);
            QCOMPARE(view.bytesPerLine(), width * 4);
        }
        section.releaseDC(dc);
    }

    void contextLifecycle()
    {
        DibSection section(4, 3);
        const gdi::HDC dc = section.createDC();
        QVERIFY(dc);
        // The bitmap is in use: no second context, and it cannot be freed.
        QVERIFY(!section.createDC());
        gdi::Surface surface;
        QVERIFY(gdi::surfaceOf(dc, &surface));
        QCOMPARE(surface.width, 4);
        QCOMPARE(surface.height, 3);
        QVERIFY(surface.topDown);
        surface.bits[(2 * 4 + 3) * 4] = 0x7f;

        // Giving back nothing, or twice, changes nothing.
        section.releaseDC(nullptr);
        section.releaseDC(dc);
        section.releaseDC(dc);
        const gdi::HDC again = section.createDC();
        QVERIFY(again);
        section.releaseDC(again);

        QImage copy;
        {
            DibSection scoped(4, 3);
            const gdi::HDC scopedDc = scoped.createDC();
            gdi::Surface pixels;
            QVERIFY(gdi::surfaceOf(scopedDc, &pixels));
            pixels.bits[0] = 0xff;
            scoped.releaseDC(scopedDc);
            copy = scoped.toImage().copy();
        }
        QCOMPARE(copy.pixel(0, 0), qRgb(0, 0, 0xff));
        QCOMPARE(section.toImage().pixel(3, 2), qRgb(0, 0, 0x7f));
    }

    // Handles cross between the program and the library: the calls check
    // what they are given instead of trusting it.
    void handlesAreChecked()
    {
        gdi::HDC first = gdi::CreateCompatibleDC(nullptr);
        gdi::HDC second = gdi::CreateCompatibleDC(gdi::GetDC(nullptr));
        QVERIFY(first && second);
        gdi::Surface surface;
        QVERIFY(!gdi::surfaceOf(first, &surface)); // only its stock bitmap
        QVERIFY(!gdi::surfaceOf(gdi::GetDC(nullptr), &surface));
        QVERIFY(!gdi::DeleteDC(gdi::GetDC(nullptr)));

        gdi::BITMAPINFO info;
        info.bmiHeader.biSize = sizeof(gdi::BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 2;
        info.bmiHeader.biHeight = 2;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void *bits = reinterpret_cast<void *>(1);
        QVERIFY(!gdi::CreateDIBSection(nullptr, &info, gdi::DIB_RGB_COLORS, &bits, nullptr, 0));
        QVERIFY(!bits);
        info.bmiHeader.biBitCount = 32;
        const gdi::HBITMAP bitmap
                = gdi::CreateDIBSection(nullptr, &info, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
        QVERIFY(bitmap && bits);

        const gdi::HGDIOBJ stock = gdi::SelectObject(first, bitmap);
        QVERIFY(stock);
        QVERIFY(gdi::surfaceOf(first, &surface));
        QVERIFY(!surface.topDown);
        QVERIFY(!gdi::SelectObject(second, bitmap)); // already in another context
        QVERIFY(!gdi::SelectObject(second, stock)); // another context's stock bitmap
        QVERIFY(!gdi::DeleteObject(bitmap)); // still selected
        QVERIFY(!gdi::DeleteObject(stock));
        QCOMPARE(gdi::SelectObject(first, stock), gdi::HGDIOBJ(bitmap));
        QVERIFY(gdi::DeleteObject(bitmap));
        QVERIFY(gdi::DeleteDC(first));
        QVERIFY(gdi::DeleteDC(second));
        QVERIFY(!gdi::SelectObject(nullptr, nullptr));
        QVERIFY(!gdi::DeleteObject(nullptr));
    }
};

VL_TEST_GUILESS_MAIN(TestDibSection)

#include "tst_dibsection.moc"
