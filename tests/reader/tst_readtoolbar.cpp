#include "core/settings.h"
#include "reader/bookoperations.h"
#include "reader/readtoolbar.h"
#include "reader/tooltippushbutton.h"
#include "tests/support/testenvironment.h"
#include "widgets/stylesheet.h"

#include <QFile>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QToolTip>

using Tool = ReadToolBar::Tool;

class tst_ReadToolBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void styleNames_data();
    void styleNames();
    void everyNameHasItsIcons_data();
    void everyNameHasItsIcons();
    void searchOnlyInFullScreen();
    void buttonsEmit_data();
    void buttonsEmit();
    void tooltips();
};

void tst_ReadToolBar::initTestCase()
{
    reloadStyleSheet();
}

static void setProfile(int profile)
{
    ViewerSettings values = Settings::instance()->values();
    values.currentProfile = profile;
    Settings::instance()->setValues(values, true);
}

void tst_ReadToolBar::styleNames_data()
{
    QTest::addColumn<int>("profile");
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<int>("viewMode");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("profileButton");
    QTest::addColumn<int>("side");

    QTest::newRow("day, window, two columns") << 0 << false << 2 << "buttonNotes_day_small"
                                              << "buttonSwitchView_column_day_small"
                                              << "buttonSwitchPartDay_day_day_small" << 16;
    QTest::newRow("night takes the day signs") << 1 << false << 1 << "buttonNotes_day_small"
                                               << "buttonSwitchView_table_day_small"
                                               << "buttonSwitchPartDay_day_day_small" << 16;
    QTest::newRow("sepia, full screen, one column") << 2 << true << 1 << "buttonNotes_sepia_big"
                                                    << "buttonSwitchView_table_sepia_big"
                                                    << "buttonSwitchPartDay_sepia_day_big" << 30;
    QTest::newRow("unknown profile takes the sepia signs")
            << -1 << false << 0 << "buttonNotes_sepia_small"
            << "buttonSwitchView_column_sepia_small"
            << "buttonSwitchPartDay_sepia_day_small" << 16;
}

void tst_ReadToolBar::styleNames()
{
    QFETCH(int, profile);
    QFETCH(bool, fullScreen);
    QFETCH(int, viewMode);
    QFETCH(QString, notes);
    QFETCH(QString, view);
    QFETCH(QString, profileButton);
    QFETCH(int, side);

    setProfile(profile);
    ReadToolBar bar;
    bar.setFullScreenState(fullScreen);
    bar.setViewMode(viewMode);
    QCOMPARE(bar.button(Tool::Notes)->objectName(), notes);
    QCOMPARE(bar.button(Tool::SwitchView)->objectName(), view);
    QCOMPARE(bar.button(Tool::SwitchProfile)->objectName(), profileButton);
    for (int i = 0; i < ReadToolBar::ToolCount; ++i) {
        const TooltipPushButton *button = bar.button(Tool(i));
        if (Tool(i) == Tool::Search && !fullScreen)
            continue;
        QCOMPARE(button->size(), QSize(side, side));
        QCOMPARE(button->iconSize(), QSize(side, side));
    }
}

void tst_ReadToolBar::everyNameHasItsIcons_data()
{
    QTest::addColumn<int>("profile");
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<int>("viewMode");
    QTest::addColumn<QString>("fullScreenIcon");
    QTest::newRow("sepia small") << 2 << false << 1 << "fullscreen_sepia_small.png";
    QTest::newRow("sepia big") << 2 << true << 2 << "sepfsminimize.png";
    QTest::newRow("day small") << 0 << false << 2 << "windmaximize.png";
    QTest::newRow("day big") << 0 << true << 1 << "fsminimize.png";
}

void tst_ReadToolBar::everyNameHasItsIcons()
{
    QFETCH(int, profile);
    QFETCH(bool, fullScreen);
    QFETCH(int, viewMode);
    QFETCH(QString, fullScreenIcon);

    setProfile(profile);
    ReadToolBar bar;
    bar.setFullScreenState(fullScreen);
    bar.setViewMode(viewMode);
    QCOMPARE(bar.button(Tool::FullScreen)->iconNormal(),
             QStringLiteral(":/style/images/") + fullScreenIcon);
    for (int i = 0; i < ReadToolBar::ToolCount; ++i) {
        const TooltipPushButton *button = bar.button(Tool(i));
        if (Tool(i) == Tool::Search && !fullScreen)
            continue;
        for (const QString &icon :
             { button->iconNormal(), button->iconHover(), button->iconPressed() }) {
            QVERIFY2(!icon.isEmpty() && QFile::exists(icon),
                     qPrintable(button->objectName() + QLatin1String(": ") + icon));
        }
    }
}

void tst_ReadToolBar::searchOnlyInFullScreen()
{
    setProfile(0);
    ReadToolBar bar;
    bar.show();
    QVERIFY(!bar.button(Tool::Search)->isVisible());
    QVERIFY(!bar.button(Tool::ZoomIn)->isVisible());
    QVERIFY(bar.button(Tool::ZoomOut)->isVisible());

    bar.setFullScreenState(true);
    QVERIFY(bar.button(Tool::Search)->isVisible());
    QCOMPARE(bar.button(Tool::Search)->objectName(), QStringLiteral("buttonSearch_day_big"));
    QCOMPARE(bar.button(Tool::Contents)->size(), QSize(30, 30));

    bar.setFullScreenState(false);
    QVERIFY(!bar.button(Tool::Search)->isVisible());
    QCOMPARE(bar.button(Tool::Contents)->size(), QSize(16, 16));

    bar.hideFitSizeButton(true);
    QVERIFY(!bar.button(Tool::FitSize)->isVisible());
    bar.hideFitSizeButton(false);
    QVERIFY(bar.button(Tool::FitSize)->isVisible());
}

void tst_ReadToolBar::buttonsEmit_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("full screen") << int(Tool::FullScreen) << QStringList { "fullScreen" };
    QTest::newRow("contents") << int(Tool::Contents) << QStringList { "showContents" };
    QTest::newRow("bookmark") << int(Tool::Bookmark) << QStringList { "addBookmark" };
    QTest::newRow("notes") << int(Tool::Notes) << QStringList { "showNotes" };
    QTest::newRow("larger font") << int(Tool::IncreaseFont)
                                 << QStringList { "increaseFont", "hub increaseFont" };
    QTest::newRow("smaller font") << int(Tool::DecreaseFont)
                                  << QStringList { "decreaseFont", "hub decreaseFont" };
    QTest::newRow("more spacing") << int(Tool::IncreaseSpacing)
                                  << QStringList { "hub increaseLineSpacing" };
    QTest::newRow("less spacing") << int(Tool::DecreaseSpacing)
                                  << QStringList { "hub decreaseLineSpacing" };
    QTest::newRow("view") << int(Tool::SwitchView)
                          << QStringList { "switchColumnCount", "hub toggleColumnCount" };
    QTest::newRow("profile") << int(Tool::SwitchProfile) << QStringList { "nextProfile" };
    QTest::newRow("search") << int(Tool::Search) << QStringList { "search" };
    QTest::newRow("zoom in") << int(Tool::ZoomIn) << QStringList { "zoomIn" };
    QTest::newRow("zoom out") << int(Tool::ZoomOut) << QStringList { "zoomOut" };
    QTest::newRow("fit") << int(Tool::FitSize) << QStringList { "fitSize" };
    QTest::newRow("original") << int(Tool::Original) << QStringList { "original" };
}

void tst_ReadToolBar::buttonsEmit()
{
    QFETCH(int, tool);
    QFETCH(QStringList, heard);

    ReadToolBar bar;
    BookOperations *hub = BookOperations::instance();
    QStringList log;
    auto listen = [&log](auto *sender, auto signal, const QString &name) {
        return connect(sender, signal, sender, [&log, name] { log.append(name); });
    };
    QList<QMetaObject::Connection> connections = {
        listen(&bar, &ReadToolBar::fullScreen, "fullScreen"),
        listen(&bar, &ReadToolBar::switchColumnCount, "switchColumnCount"),
        listen(&bar, &ReadToolBar::addBookmark, "addBookmark"),
        listen(&bar, &ReadToolBar::showContents, "showContents"),
        listen(&bar, &ReadToolBar::showNotes, "showNotes"),
        listen(&bar, &ReadToolBar::increaseFont, "increaseFont"),
        listen(&bar, &ReadToolBar::decreaseFont, "decreaseFont"),
        listen(&bar, &ReadToolBar::nextProfile, "nextProfile"),
        listen(&bar, &ReadToolBar::search, "search"),
        listen(&bar, &ReadToolBar::zoomIn, "zoomIn"),
        listen(&bar, &ReadToolBar::zoomOut, "zoomOut"),
        listen(&bar, &ReadToolBar::fitSize, "fitSize"),
        listen(&bar, &ReadToolBar::original, "original"),
        listen(hub, &BookOperations::increaseFont, "hub increaseFont"),
        listen(hub, &BookOperations::decreaseFont, "hub decreaseFont"),
        listen(hub, &BookOperations::increaseLineSpacing, "hub increaseLineSpacing"),
        listen(hub, &BookOperations::decreaseLineSpacing, "hub decreaseLineSpacing"),
        listen(hub, &BookOperations::toggleColumnCount, "hub toggleColumnCount"),
    };
    bar.button(Tool(tool))->click();
    for (const QMetaObject::Connection &connection : connections)
        disconnect(connection);
    QCOMPARE(log, heard);
}

void tst_ReadToolBar::tooltips()
{
    setProfile(0);
    ReadToolBar bar;
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QCOMPARE(bar.button(Tool::Notes)->toolTip(), QStringLiteral("Show notes"));
    QCOMPARE(bar.button(Tool::Original)->toolTip(), QStringLiteral("Show original size"));
    QCOMPARE(bar.button(Tool::Notes)->toolTipDuration(), 5000);

    // Entering a button shows its tooltip at once.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(bar.button(Tool::Notes), &enter);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("Show notes"));

    // The system's delayed tooltip over the bar is swallowed.
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), bar.mapToGlobal(QPoint(2, 2)));
    QVERIFY(QApplication::sendEvent(&bar, &help));
    QVERIFY(!help.isAccepted());
    QTRY_VERIFY(!QToolTip::isVisible());
}

VL_TEST_WIDGETS_MAIN(tst_ReadToolBar)
#include "tst_readtoolbar.moc"
