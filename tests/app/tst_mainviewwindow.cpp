#include "app/mainview.h"
#include "app/updatechecker.h"
#include "core/settingsfile.h"
#include "library/db/bookprovider.h"
#include "tests/support/localhttpserver.h"
#include "tests/support/testenvironment.h"

#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>

#include <memory>

namespace {

struct Announcement
{
    QString version;
    QString changelogUrl;
    QString downloadUrl;
};

} // namespace

// The main window on a window system: dragging snaps it to the screen's
// edges, and the update check at start-up announces each newer version once.
class TestMainViewWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("5.0.7"));
        QVERIFY(BookProvider::instance()->createConnection());
        QVERIFY(m_server.listen());
    }

    void init()
    {
        auto settings = SettingsFile::create();
        settings->clear();
        settings->sync();
        m_announced.clear();
        m_server.setReply(200, "5.0.7");
    }

    void eachVersionAnnouncedOnce()
    {
        m_server.setReply(200, "6.0.0");
        QVERIFY(startAndCheck());
        QCOMPARE(m_announced.size(), 1);
        QCOMPARE(m_announced.first().version, QStringLiteral("6.0.0"));
        QCOMPARE(m_announced.first().changelogUrl,
                 QStringLiteral("https://www.morvasco.com/Vellumin/changelog.html"));
        QCOMPARE(m_announced.first().downloadUrl,
                 QStringLiteral("https://www.morvasco.com/Download-Vellumin/"));
        QCOMPARE(SettingsFile::create()->value(QStringLiteral("last_show_version")).toString(),
                 QStringLiteral("6.0.0"));

        // The next start hears of the same version and says nothing.
        QVERIFY(startAndCheck());
        QCOMPARE(m_announced.size(), 1);

        m_server.setReply(200, "6.0.1");
        QVERIFY(startAndCheck());
        QCOMPARE(m_announced.size(), 2);
        QCOMPARE(m_announced.last().version, QStringLiteral("6.0.1"));
        QCOMPARE(m_server.requests().size() >= 3, true);
    }

    void nothingNewerAsksNothing_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("equal") << QByteArray("5.0.7");
        QTest::newRow("older") << QByteArray("4.9");
        QTest::newRow("garbage") << QByteArray("<h1>9.0.0</h1>");
    }

    void nothingNewerAsksNothing()
    {
        QFETCH(QByteArray, answer);
        m_server.setReply(200, answer);
        QVERIFY(startAndCheck());
        QVERIFY(m_announced.isEmpty());
        QVERIFY(!SettingsFile::create()->contains(QStringLiteral("last_show_version")));
    }

    void switchedOffChecksNothing()
    {
        SettingsFile::create()->setValue(QStringLiteral("auto_update_enabled"), false);
        const int before = m_server.requests().size();
        const std::unique_ptr<MainView> window = makeWindow();
        QVERIFY(!window->updateChecker());
        QTest::qWait(100);
        QCOMPARE(m_server.requests().size(), before);
    }

    void dragSnapsToScreenEdges_data()
    {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<QPoint>("target");
        QTest::addColumn<QPoint>("expected");

        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize size = windowSize();
        const int right = screen.width() - size.width();
        const int bottom = screen.height() - size.height();
        QTest::newRow("free") << QPoint(200, 200) << QPoint(260, 230) << QPoint(260, 230);
        QTest::newRow("left") << QPoint(200, 200) << QPoint(20, 210) << QPoint(-20, 210);
        QTest::newRow("right") << QPoint(200, 200) << QPoint(right - 20, 210)
                               << QPoint(right + 20, 210);
        QTest::newRow("top") << QPoint(200, 200) << QPoint(210, 10) << QPoint(210, -20);
        QTest::newRow("bottom") << QPoint(200, 200) << QPoint(210, bottom - 10)
                                << QPoint(210, bottom + 20);
        QTest::newRow("corner") << QPoint(200, 200) << QPoint(5, 5) << QPoint(-20, -20);
        QTest::newRow("just outside the zone")
                << QPoint(200, 200) << QPoint(30, 30) << QPoint(30, 30);
        // Already in the zone: the window can be dragged on, not pulled back.
        QTest::newRow("inside the zone") << QPoint(10, 200) << QPoint(5, 200) << QPoint(5, 200);
    }

    void dragSnapsToScreenEdges()
    {
        QFETCH(QPoint, start);
        QFETCH(QPoint, target);
        QFETCH(QPoint, expected);

        const std::unique_ptr<MainView> window = makeWindow();
        QCOMPARE(window->size(), windowSize());
        window->move(start);
        QTRY_COMPARE(window->pos(), start);

        const QPoint grip(150, 12);
        send(window.get(), QEvent::MouseButtonPress, grip, start + grip);
        send(window.get(), QEvent::MouseMove, grip, target + grip);
        QTRY_COMPARE(window->pos(), expected);
        const bool snapped = expected != target;
        QCOMPARE(window->isSnapLocked(), snapped);

        if (snapped) {
            // A snapped window holds still for a moment, then follows again.
            send(window.get(), QEvent::MouseMove, grip, QPoint(300, 300) + grip);
            QCOMPARE(window->pos(), expected);
            QTRY_VERIFY(!window->isSnapLocked());
        }
        send(window.get(), QEvent::MouseMove, grip, QPoint(300, 310) + grip);
        QTRY_COMPARE(window->pos(), QPoint(300, 310));
        send(window.get(), QEvent::MouseButtonRelease, grip, QPoint(300, 310) + grip);
        send(window.get(), QEvent::MouseMove, grip, QPoint(320, 320) + grip);
        QCOMPARE(window->pos(), QPoint(300, 310));
    }

private:
    static QSize windowSize() { return QSize(BaseWidth + 40, BaseHeight + 40); }

    std::unique_ptr<MainView> makeWindow()
    {
        MainViewParts parts;
        parts.showNewVersion = [this](QWidget *, const QString &version,
                                      const QString &changelogUrl, const QString &downloadUrl) {
            m_announced.append({ version, changelogUrl, downloadUrl });
        };
        parts.openUrl = [](const QUrl &) { return true; };
        parts.updateCheckUrl = QUrl(m_server.url(QStringLiteral("/check")));
        auto window = std::make_unique<MainView>(BaseWidth, BaseHeight, parts);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return nullptr;
        return window;
    }

    // Starts a window and waits for its update check to end and any
    // announcement to be made.
    bool startAndCheck()
    {
        const std::unique_ptr<MainView> window = makeWindow();
        if (!window || !window->updateChecker())
            return false;
        QSignalSpy finished(window->updateChecker(), &UpdateChecker::checkFinished);
        if (!finished.wait(10000))
            return false;
        // The announcement is queued behind the check's end.
        QTest::qWait(50);
        return true;
    }

    static void send(QWidget *window, QEvent::Type type, const QPoint &local, const QPoint &global)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons
                = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(window, &event);
    }

    static constexpr int BaseWidth = 400;
    static constexpr int BaseHeight = 300;
    LocalHttpServer m_server;
    QList<Announcement> m_announced;
};

VL_TEST_WIDGETS_MAIN(TestMainViewWindow)
#include "tst_mainviewwindow.moc"
