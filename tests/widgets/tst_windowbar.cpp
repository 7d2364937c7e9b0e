#include "widgets/button.h"
#include "widgets/dropshadow.h"
#include "widgets/sizegrip.h"
#include "widgets/windowbar.h"

#include "tests/support/testenvironment.h"

#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QSignalSpy>
#include <QVBoxLayout>

class TestWindowBar : public QObject
{
    Q_OBJECT

private slots:
    void buildsItsParts();
    void doubleClick_data();
    void doubleClick();
    void buttonsOnlyReport();
    void setMaximizedSwapsTheIcons();
    void hiddenButtonsKeepTheRestRightAligned();
    void sizeGripAnnouncesResizes();
    void dropShadow();
};

void TestWindowBar::buildsItsParts()
{
    WindowBar bar;
    QCOMPARE(bar.minimumHeight(), 22);
    QCOMPARE(bar.maximumHeight(), 22);
    const struct
    {
        const char *name;
        QSize size;
    } buttons[] = { { "windowMinimize", QSize(26, 19) },
                    { "windowMaximize", QSize(25, 19) },
                    { "windowClose", QSize(45, 19) } };
    for (const auto &entry : buttons) {
        auto *button = bar.findChild<Button *>(QLatin1String(entry.name));
        QVERIFY2(button, entry.name);
        QCOMPARE(button->minimumSize(), entry.size);
        QCOMPARE(button->maximumSize(), entry.size);
        QCOMPARE(button->iconSize(), entry.size);
    }
    bar.setTitle(QStringLiteral("Enter password"));
    QCOMPARE(bar.title(), QStringLiteral("Enter password"));
    QVERIFY(bar.findChild<QLabel *>(QStringLiteral("windowBarLabel")));
    QVERIFY(bar.titleFontMetrics().horizontalAdvance(QStringLiteral("Enter")) > 0);
}

void TestWindowBar::doubleClick_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("emitted");
    QTest::newRow("left") << int(Qt::LeftButton) << 1;
    QTest::newRow("right") << int(Qt::RightButton) << 0;
    QTest::newRow("middle") << int(Qt::MiddleButton) << 0;
}

void TestWindowBar::doubleClick()
{
    QFETCH(int, button);
    QFETCH(int, emitted);
    WindowBar bar;
    bar.resize(400, 22);
    QSignalSpy maximize(&bar, &WindowBar::maximizeWindow);
    QTest::mouseDClick(&bar, Qt::MouseButton(button), Qt::NoModifier, QPoint(5, 11));
    QCOMPARE(maximize.count(), emitted);
}

void TestWindowBar::buttonsOnlyReport()
{
    WindowBar bar;
    QSignalSpy maximize(&bar, &WindowBar::maximizeWindow);
    QSignalSpy minimize(&bar, &WindowBar::minimizeWindow);
    QSignalSpy close(&bar, &WindowBar::closeWindow);
    auto *maximizeButton = bar.findChild<Button *>(QStringLiteral("windowMaximize"));
    const QString sheetBefore = maximizeButton->styleSheet();

    maximizeButton->click();
    maximizeButton->click();
    bar.findChild<Button *>(QStringLiteral("windowMinimize"))->click();
    bar.findChild<Button *>(QStringLiteral("windowClose"))->click();

    QCOMPARE(maximize.count(), 2);
    QCOMPARE(minimize.count(), 1);
    QCOMPARE(close.count(), 1);
    // The icons change only when the window says it is maximized.
    QCOMPARE(maximizeButton->styleSheet(), sheetBefore);
}

void TestWindowBar::setMaximizedSwapsTheIcons()
{
    WindowBar bar;
    auto *button = bar.findChild<Button *>(QStringLiteral("windowMaximize"));
    bar.setMaximized(true);
    QCOMPARE(button->styleSheet(),
             QStringLiteral("QPushButton{ border: none;\twidth: 25px; height: 19px;\t"
                            "qproperty-iconNormal:url(:/style/images/windowed.png);"
                            "qproperty-iconHover:url(:/style/images/windowedhigh.png);"
                            "qproperty-iconPressed:url(:/style/images/windowedhigh.png);}"));
    button->ensurePolished();
    QCOMPARE(button->iconNormal(), QStringLiteral(":/style/images/windowed.png"));
    QCOMPARE(button->iconPressed(), QStringLiteral(":/style/images/windowedhigh.png"));

    bar.setMaximized(false);
    QVERIFY(button->styleSheet().contains(QStringLiteral("url(:/style/images/maximize.png)")));
    QVERIFY(button->styleSheet().contains(QStringLiteral("url(:/style/images/maximizehigh.png)")));
    QVERIFY(!button->styleSheet().contains(QStringLiteral("windowed")));
}

void TestWindowBar::hiddenButtonsKeepTheRestRightAligned()
{
    QFrame window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new WindowBar(&window);
    layout->addWidget(bar);
    layout->addStretch();
    bar->setMinimizeVisible(false);
    bar->setMaximizeVisible(false);
    window.resize(380, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto *close = bar->findChild<Button *>(QStringLiteral("windowClose"));
    QVERIFY(close->isVisible());
    QVERIFY(!bar->findChild<Button *>(QStringLiteral("windowMinimize"))->isVisible());
    QCOMPARE(close->geometry().right(), bar->width() - 1);
    QCOMPARE(close->geometry().top(), 0);
}

void TestWindowBar::sizeGripAnnouncesResizes()
{
    QWidget window;
    window.resize(200, 200);
    auto *grip = new SizeGrip(&window);
    grip->setGeometry(180, 180, 20, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QStringList order;
    connect(grip, &SizeGrip::beginResize, this, [&]() { order << QStringLiteral("begin"); });
    connect(grip, &SizeGrip::endResize, this, [&]() { order << QStringLiteral("end"); });
    QTest::mousePress(grip, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseRelease(grip, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(order, QStringList({ QStringLiteral("begin"), QStringLiteral("end") }));
}

void TestWindowBar::dropShadow()
{
    QWidget window;
    auto *frame = new QFrame(&window);
    addDropShadow(&window, frame);
    QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));
    auto *effect = qobject_cast<QGraphicsDropShadowEffect *>(frame->graphicsEffect());
    QVERIFY(effect);
    QCOMPARE(effect->offset(), QPointF(0, 0));
    QCOMPARE(effect->blurRadius(), 20.0);
    QCOMPARE(effect->color(), QGraphicsDropShadowEffect().color());
    // Null arguments are ignored rather than crashing.
    addDropShadow(nullptr, frame);
    addDropShadow(&window, nullptr);
}

VL_TEST_WIDGETS_MAIN(TestWindowBar)
#include "tst_windowbar.moc"
