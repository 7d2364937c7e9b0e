#include "reader/pagenavigationpanel.h"
#include "reader/pagenavigationslider.h"
#include "reader/pagenavigationtooltip.h"
#include "tests/support/testenvironment.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QWidget>

class tst_PageNavigation : public QObject
{
    Q_OBJECT

private slots:
    void backButtonText();
    void tooltipPages_data();
    void tooltipPages();
    void previewWithoutPressKeepsHandle();
    void tooltipStaysInside_data();
    void tooltipStaysInside();
    void keysDoNothing();

private:
    struct Fixture
    {
        Fixture()
        {
            host.resize(600, 400);
            panel = new PageNavigationPanel(&host);
            panel->setGeometry(0, 360, 600, 40);
            panel->setPageCount(1, 100);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
        }
        QWidget host;
        PageNavigationPanel *panel = nullptr;
    };
};

void tst_PageNavigation::backButtonText()
{
    PageNavigationPanel panel;
    QCOMPARE(panel.backButton()->objectName(), QString("backToPageButton"));
    QCOMPARE(panel.slider()->objectName(), QString("pageNavigationSlider"));
    QVERIFY(panel.backButton()->text().isEmpty());
    panel.setBackToPageVisible(17);
    QCOMPARE(panel.backButton()->text(), QString("Back to page 17"));
    panel.setBackToPageVisible(0);
    QVERIFY(panel.backButton()->text().isEmpty());
}

void tst_PageNavigation::tooltipPages_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("line");
    QTest::newRow("one column") << 4 << 1 << "page 4";
    QTest::newRow("two columns, odd page") << 3 << 2 << "page 3-4";
    QTest::newRow("two columns, even page") << 4 << 2 << "page 3-4";
}

void tst_PageNavigation::tooltipPages()
{
    QFETCH(int, page);
    QFETCH(int, columns);
    QFETCH(QString, line);
    PageNavigationTooltip tip;
    tip.setPages("Chapter", page, columns);
    QCOMPARE(tip.firstLine(), QString("Chapter"));
    QCOMPARE(tip.secondLine(), line);
    const QFontMetrics metrics(tip.font());
    QCOMPARE(tip.height(), 2 * metrics.height() + 13);
    QVERIFY(tip.width() >= metrics.horizontalAdvance(line) + 14);
}

void tst_PageNavigation::previewWithoutPressKeepsHandle()
{
    Fixture fixture;
    PageNavigationSlider *slider = fixture.panel->slider();
    QSignalSpy previews(slider, &PageNavigationSlider::previewSlider);
    slider->setValue(1);
    const QPoint middle(slider->width() / 2, slider->height() / 2);
    QTest::mouseMove(slider, middle);
    QTRY_COMPARE(previews.count(), 1);
    const int previewed = previews.last().at(0).toInt();
    QVERIFY2(previewed > 30 && previewed < 70, qPrintable(QString::number(previewed)));
    QCOMPARE(slider->value(), 1);
    QVERIFY(fixture.panel->tooltip()->isVisible());

    // Pressing beside the handle jumps to the previewed page.
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, middle);
    QCOMPARE(slider->value(), previewed);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, middle);
}

void tst_PageNavigation::tooltipStaysInside_data()
{
    QTest::addColumn<int>("x");
    QTest::newRow("left end") << 1;
    QTest::newRow("middle") << 300;
    QTest::newRow("right end") << 578;
}

void tst_PageNavigation::tooltipStaysInside()
{
    QFETCH(int, x);
    Fixture fixture;
    PageNavigationSlider *slider = fixture.panel->slider();
    PageNavigationTooltip *tip = fixture.panel->tooltip();
    tip->setPages("A rather long chapter title", 10, 1);
    const QPoint inSlider = slider->mapFrom(&fixture.host, QPoint(x, 0));
    QTest::mouseMove(slider, QPoint(qBound(0, inSlider.x(), slider->width()), 5));
    QTRY_VERIFY(tip->isVisible());
    const QRect box = tip->geometry();
    QVERIFY2(box.left() >= 2 && box.right() <= fixture.host.width() - 2,
             qPrintable(QStringLiteral("%1..%2").arg(box.left()).arg(box.right())));
    QCOMPARE(box.bottom(), fixture.host.height() - 15 - 1);
    // The arrow points at the mouse: its tip lies within a few pixels of it.
    const int mouseX = fixture.host
                               .mapFromGlobal(slider->mapToGlobal(
                                       QPoint(qBound(0, inSlider.x(), slider->width()), 5)))
                               .x();
    QVERIFY(tip->arrowOffset() > 0);
    const int arrowTip = box.left() + tip->width() - 1 - tip->arrowOffset();
    QVERIFY2(qAbs(arrowTip - mouseX) <= 4,
             qPrintable(QStringLiteral("%1 vs %2").arg(arrowTip).arg(mouseX)));
}

void tst_PageNavigation::keysDoNothing()
{
    Fixture fixture;
    PageNavigationSlider *slider = fixture.panel->slider();
    slider->setValue(10);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_PageUp);
    QCOMPARE(slider->value(), 10);
}

VL_TEST_WIDGETS_MAIN(tst_PageNavigation)
#include "tst_pagenavigation.moc"
