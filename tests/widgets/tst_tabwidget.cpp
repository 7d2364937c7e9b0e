#include "widgets/tabbutton.h"
#include "widgets/tabwidget.h"

#include "tests/support/testenvironment.h"

#include <QLabel>
#include <QSignalSpy>

namespace {

// Two tabs with buttons, inserted as the settings page does.
struct Tabs
{
    TabWidget widget;
    QWidget *pages[2] = {};
    TabButton *buttons[2] = {};

    Tabs()
    {
        for (int i = 0; i < 2; ++i) {
            pages[i] = new QWidget;
            buttons[i] = new TabButton;
            buttons[i]->setText(QStringLiteral("Tab %1").arg(i));
            widget.insertTab(pages[i], i, buttons[i]);
        }
    }

    int checkedCount() const
    {
        int checked = 0;
        for (const TabButton *button : buttons)
            checked += button->isChecked() ? 1 : 0;
        return checked;
    }
};

} // namespace

class TestTabWidget : public QObject
{
    Q_OBJECT

private slots:
    void insertTabReturnsPositions();
    void outOfRangeIndexChangesNothing_data();
    void outOfRangeIndexChangesNothing();
    void stripTakesItsShownName();
    void clickingSwitchesTabs();
    void clickingTheCurrentTabKeepsItChecked();
};

void TestTabWidget::insertTabReturnsPositions()
{
    TabWidget widget;
    QCOMPARE(widget.objectName(), QStringLiteral("tabWidget"));
    QCOMPARE(widget.insertTab(new QWidget, 0, new TabButton), 0);
    QCOMPARE(widget.insertTab(new QWidget, 1, nullptr), 1);
    QCOMPARE(widget.count(), 2);
    auto *button = new TabButton;
    QCOMPARE(widget.insertTab(new QWidget, 2, button), 2);
    QCOMPARE(button->index(), 2);
    QVERIFY(button->isCheckable());
}

void TestTabWidget::outOfRangeIndexChangesNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("negative") << -1;
    QTest::newRow("count") << 2;
    QTest::newRow("beyond") << 7;
}

void TestTabWidget::outOfRangeIndexChangesNothing()
{
    QFETCH(int, index);
    Tabs tabs;
    tabs.widget.setCurrentIndex(1);
    QSignalSpy changed(&tabs.widget, &TabWidget::currentIndexChanged);
    tabs.widget.setCurrentIndex(index);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(tabs.widget.currentIndex(), 1);
    QCOMPARE(tabs.widget.currentPage(), tabs.pages[1]);
    QVERIFY(tabs.buttons[1]->isChecked());
}

void TestTabWidget::stripTakesItsShownName()
{
    TabWidget widget;
    widget.insertTab(new QWidget, 0, nullptr);
    widget.insertTab(new QWidget, 1, new TabButton);
    QCOMPARE(widget.strip()->objectName(), QStringLiteral("labelTabBarHide"));
    // A tab without a button does not reveal the strip.
    widget.setCurrentIndex(0);
    QCOMPARE(widget.strip()->objectName(), QStringLiteral("labelTabBarHide"));
    widget.setCurrentIndex(1);
    QCOMPARE(widget.strip()->objectName(), QStringLiteral("labelTabBar"));
    widget.setCurrentIndex(0);
    QCOMPARE(widget.strip()->objectName(), QStringLiteral("labelTabBar"));
}

void TestTabWidget::clickingSwitchesTabs()
{
    Tabs tabs;
    tabs.widget.setCurrentIndex(0);
    QSignalSpy changed(&tabs.widget, &TabWidget::currentIndexChanged);
    tabs.buttons[1]->click();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toInt(), 1);
    QCOMPARE(tabs.widget.currentPage(), tabs.pages[1]);
    QVERIFY(tabs.buttons[1]->isChecked());
    QVERIFY(!tabs.buttons[0]->isChecked());
}

void TestTabWidget::clickingTheCurrentTabKeepsItChecked()
{
    Tabs tabs;
    tabs.widget.setCurrentIndex(1);
    QSignalSpy changed(&tabs.widget, &TabWidget::currentIndexChanged);
    tabs.buttons[1]->click();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toInt(), 1);
    QVERIFY(tabs.buttons[1]->isChecked());
    QCOMPARE(tabs.checkedCount(), 1);
}

VL_TEST_WIDGETS_MAIN(TestTabWidget)
#include "tst_tabwidget.moc"
