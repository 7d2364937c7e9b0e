#include "standalone/app/bookgeometry.h"
#include "standalone/app/readerdialog.h"
#include "standalone/gfx/trayicon.h"
#include "standalone/panels/panelmessages.h"
#include "standalone/panels/sidebar.h"
#include "standalone/text/booktext.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/strutil.h"
#include "standalone/web/chtmlctrl.h"
#include "tests/standalone/divadtestsupport.h"
#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSystemTrayIcon>

using namespace divad;
using divadtest::writeFile;

Q_DECLARE_METATYPE(divad::Box)

namespace {

QAction *findCommand(QMenu *menu, int command)
{
    for (QAction *action : menu->actions()) {
        if (action->menu()) {
            if (QAction *found = findCommand(action->menu(), command))
                return found;
        } else if (action->data().toInt() == command) {
            return action;
        }
    }
    return nullptr;
}

QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
        if (action->menu())
            texts << menuTexts(action->menu());
    }
    return texts;
}

// Pixels that differ between two pictures inside rect.
int differingPixels(const QImage &a, const QImage &b, const QRect &rect)
{
    int count = 0;
    const QRect area = rect.intersected(a.rect()).intersected(b.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                ++count;
        }
    }
    return count;
}

// Counts the paints of the window while a page-turn frame is up.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(ReaderDialog *dialog)
        : m_dialog(dialog)
    {
        dialog->installEventFilter(this);
    }
    int framesPainted = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && (m_dialog->FoldingLeft() || m_dialog->FoldingRight()))
            ++framesPainted;
        return false;
    }

private:
    ReaderDialog *m_dialog;
};

} // namespace

// The reading window: start-up, spreads and volumes, page turns, input
// while busy, bookmarks, the menu, keys, wheel, drops, zoom, skins, fonts,
// saving, tray and the commands that open web pages.
class TestDivadReader : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<divadtest::DataFolder> m_home;
    std::unique_ptr<divadtest::ScriptedPrompter> m_prompts;
    std::unique_ptr<ReaderDialog> m_dialog;

    ReaderDialog *startReader(const QString &path = QString())
    {
        m_dialog = std::make_unique<ReaderDialog>();
        SetMainWindow(m_dialog.get());
        m_dialog->OnInitDialog(path);
        m_dialog->show();
        if (!QTest::qWaitForWindowExposed(m_dialog.get()))
            qWarning("the reading window did not come up");
        return m_dialog.get();
    }

    // A book of several volumes (about 30,000 bytes each at the default
    // font).
    QString longBook(const QString &name = QStringLiteral("long.txt"))
    {
        return writeFile(m_home->file(QStringLiteral("books/") + name),
                         divadtest::novelText(100000));
    }

    QString shortBook(const QString &name = QStringLiteral("short.txt"))
    {
        return writeFile(m_home->file(QStringLiteral("books/") + name),
                         divadtest::novelText(12000));
    }

    // Simulates a restart: the process-wide state is read back from disk.
    void reloadFromDisk()
    {
        m_dialog.reset();
        readerSettings() = ReaderSettings();
        recentFiles() = CRecentFiles();
        bookInfoStore().Clear();
        bookInfoStore().SelectBook(QString());
        QVERIFY(bookInfoStore().Load());
    }

private slots:
    void initTestCase()
    {
        PageSound::SetOutputEnabled(false);
        SetTrayAvailability(0);
    }

    void init()
    {
        m_home = std::make_unique<divadtest::DataFolder>();
        m_prompts = std::make_unique<divadtest::ScriptedPrompter>();
        // Turns are instant unless a test asks for frames.
        m_home->writeSetting(QStringLiteral("global"), QStringLiteral("pageanimationspeed"),
                             QStringLiteral("-2"));
    }

    void cleanup()
    {
        m_dialog.reset();
        sideBarHost().Destroy();
        SetMainWindow(nullptr);
        SetTrayAvailability(0);
        m_prompts.reset();
        m_home.reset();
    }

    void geometry_data()
    {
        QTest::addColumn<int>("spread");
        QTest::addColumn<int>("count");
        QTest::addColumn<Box>("leftStack");
        QTest::addColumn<Box>("rightStack");
        QTest::addColumn<Box>("leftText");
        QTest::addColumn<Box>("rightText");
        QTest::addColumn<Box>("nextZone");
        QTest::addColumn<Box>("inner");
        QTest::newRow("first of ten") << 0 << 10 << Box { 0, 0, 0, 700 }
                                      << Box { 959, 0, 1000, 700 } << Box { 50, 52, 439, 665 }
                                      << Box { 519, 52, 909, 665 } << Box { 909, 52, 959, 665 }
                                      << Box { 1, 1, 958, 699 };
        QTest::newRow("last of ten") << 9 << 10 << Box { 0, 0, 40, 700 }
                                     << Box { 1000, 0, 1000, 700 } << Box { 90, 52, 480, 665 }
                                     << Box { 560, 52, 950, 665 } << Box { 950, 52, 1000, 665 }
                                     << Box { 41, 1, 999, 699 };
        QTest::newRow("a volume of one spread has no stacks")
                << 0 << 1 << Box { 0, 0, 0, 700 } << Box { 1000, 0, 1000, 700 }
                << Box { 50, 52, 460, 665 } << Box { 540, 52, 950, 665 }
                << Box { 950, 52, 1000, 665 } << Box { 1, 1, 999, 699 };
    }

    void geometry()
    {
        QFETCH(int, spread);
        QFETCH(int, count);
        const BookGeometry g = BookGeometry::Compute(1000, 700, spread, count);
        QTEST(g.leftStack, "leftStack");
        QTEST(g.rightStack, "rightStack");
        QTEST(g.leftText, "leftText");
        QTEST(g.rightText, "rightText");
        QTEST(g.nextZone, "nextZone");
        QTEST(g.inner, "inner");
        QCOMPARE(g.leftFooter.top, 665);
        QCOMPARE(g.previousZone.right, g.leftText.left);
    }

    void stacks_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("spread");
        // Spread 4 of 10 in 1000 x 700: left stack 0 ... 18, right 977 ... 1000.
        QTest::newRow("right stack, left edge: the next spread") << QPoint(977, 300) << 5;
        QTest::newRow("right stack, far edge") << QPoint(999, 300) << 9;
        QTest::newRow("left stack, outer edge") << QPoint(0, 300) << 0;
        QTest::newRow("left stack, inner edge") << QPoint(17, 300) << 3;
        QTest::newRow("the page") << QPoint(500, 300) << -1;
    }

    void stacks()
    {
        QFETCH(QPoint, point);
        const BookGeometry g = BookGeometry::Compute(1000, 700, 4, 10);
        QTEST(g.SpreadUnder(point), "spread");
        QCOMPARE(BookGeometry::Compute(800, 600, 0, 200).StackSpacing(), 2.0);
        QCOMPARE(BookGeometry::ClampSpread(12, 10), 9);
        QCOMPARE(BookGeometry::ClampSpread(-3, 10), 0);
    }

    void startUp_data()
    {
        QTest::addColumn<QString>("lastRead"); // "book", "gone" or ""
        QTest::addColumn<bool>("opensBook");
        QTest::newRow("nothing read yet") << QString() << false;
        QTest::newRow("the last book was deleted") << QStringLiteral("gone") << false;
        QTest::newRow("the last book") << QStringLiteral("book") << true;
    }

    void startUp()
    {
        QFETCH(QString, lastRead);
        QFETCH(bool, opensBook);
        const QString book = shortBook();
        if (lastRead == QLatin1String("book"))
            m_home->writeSetting(QStringLiteral("global"), QStringLiteral("lastreadfile"), book);
        else if (lastRead == QLatin1String("gone"))
            m_home->writeSetting(QStringLiteral("global"), QStringLiteral("lastreadfile"),
                                 m_home->file(QStringLiteral("deleted.txt")));
        QVERIFY(ReaderApp_InstallHelp());
        ReaderDialog *dialog = startReader();
        QCOMPARE(dialog->CurrentBookPath(), opensBook ? book : ReaderDialog::HelpBookPath());
        QCOMPARE(dialog->CurrentSpread(), 0);
        QVERIFY(m_prompts->messages.isEmpty());
    }

    void largeBooksAsk_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("opened");
        QTest::newRow("3,000,000 bytes open at once") << 3000000 << true << false << true;
        QTest::newRow("3,000,001 bytes ask, OK") << 3000001 << true << true << true;
        QTest::newRow("3,000,001 bytes ask, Cancel") << 3000001 << false << true << false;
    }

    void largeBooksAsk()
    {
        QFETCH(int, size);
        QFETCH(bool, answer);
        QByteArray text = divadtest::novelText(40000);
        while (text.size() < size)
            text += text;
        text.truncate(size);
        const QString book = writeFile(m_home->file(QStringLiteral("big.txt")), text);
        m_home->writeSetting(QStringLiteral("global"), QStringLiteral("lastreadfile"), book);
        m_prompts->questionAnswers << answer;
        ReaderDialog *dialog = startReader();
        QTEST(m_prompts->messages.size() == 1, "asked");
        if (!m_prompts->messages.isEmpty())
            QVERIFY(m_prompts->messages.first().contains(QStringLiteral("大于3MB")));
        QTEST(dialog->CurrentBookPath() == book, "opened");
    }

    void spreadsAndVolumes()
    {
        ReaderDialog *dialog = startReader(longBook());
        QVERIFY(dialog->VolumeCount() >= 3);
        const int sounds = dialog->Sound().PlayCount();

        dialog->JumpToSpread(dialog->SpreadCount() - 1);
        dialog->NextSpread();
        QCOMPARE(dialog->CurrentVolume(), 1);
        QCOMPARE(dialog->CurrentSpread(), 0);
        QCOMPARE(dialog->Sound().PlayCount(), sounds + 1);

        dialog->PreviousSpread();
        QCOMPARE(dialog->CurrentVolume(), 0);
        QCOMPARE(dialog->CurrentSpread(), dialog->SpreadCount() - 1);

        dialog->JumpToVolume(dialog->VolumeCount() - 1);
        dialog->JumpToSpread(dialog->SpreadCount() - 1);
        const int before = dialog->Sound().PlayCount();
        dialog->NextSpread();
        QCOMPARE(dialog->CurrentVolume(), dialog->VolumeCount() - 1);
        QCOMPARE(dialog->CurrentSpread(), dialog->SpreadCount() - 1);
        QCOMPARE(dialog->Sound().PlayCount(), before);

        // The spread counter buttons move without bounds; the next look at
        // the geometry puts the spread back in range.
        QPushButton *tenOn = dialog->findChild<QPushButton *>(QStringLiteral("button1004"));
        QVERIFY(tenOn);
        tenOn->click();
        QCOMPARE(dialog->CurrentSpread(), dialog->SpreadCount() + 9);
        dialog->Geometry();
        QCOMPARE(dialog->CurrentSpread(), dialog->SpreadCount() - 1);
    }

    void anUnreadableBookLeavesTheOpenOne()
    {
        const QString book = longBook();
        ReaderDialog *dialog = startReader(book);
        dialog->JumpToVolume(1);
        dialog->JumpToSpread(2);
        // A folder under a book's name cannot be read.
        const QString folder = m_home->file(QStringLiteral("notabook.txt"));
        QVERIFY(QDir().mkpath(folder));
        dialog->OpenBook(folder);
        QCOMPARE(m_prompts->messages.size(), 1);
        QCOMPARE(dialog->CurrentBookPath(), book);
        QCOMPARE(dialog->CurrentVolume(), 1);
        QCOMPARE(m_home->readSetting(QStringLiteral("global"), QStringLiteral("lastreadfile")), book);
        // The book still shown keeps its own record.
        QCOMPARE(bookInfoStore().CurrentPath(), book);
        QCOMPARE(int(bookInfoStore().GetPosition().spread), 2);
    }

    void volumesAreAnnouncedLater()
    {
        ReaderDialog *dialog = startReader(longBook());
        // The window answers at once; the notice follows two seconds on.
        QVERIFY(!messageOverlay().Text().startsWith(QStringLiteral("文件内容较长")));
        QTRY_VERIFY_WITH_TIMEOUT(messageOverlay().Text().startsWith(QStringLiteral("文件内容较长，被分为")),
                                 3000);
        QVERIFY(messageOverlay().Text().contains(ToChineseNumeral(dialog->VolumeCount()) + QStringLiteral("卷")));
    }

    void pageTurnFrames_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QList<int>>("percents");
        QTest::newRow("fast") << 1 << 8 << QList<int> { 83, 66, 33, 0, 0, 33, 66, 83 };
        QTest::newRow("medium") << 0 << 12 << QList<int> { 90, 80, 60, 40, 20, 0,
                                                           0,  20, 40, 60, 80, 90 };
        QTest::newRow("slow") << -1 << 22 << QList<int>();
        QTest::newRow("off") << -2 << 0 << QList<int>();
    }

    void pageTurnFrames()
    {
        QFETCH(int, speed);
        QFETCH(int, frames);
        QFETCH(QList<int>, percents);
        m_home->writeSetting(QStringLiteral("global"), QStringLiteral("pageanimationspeed"),
                             QString::number(speed));
        ReaderDialog *dialog = startReader(shortBook());
        QVERIFY(dialog->SpreadCount() >= 3);
        QList<int> seen;
        QList<bool> rightFirst;
        dialog->SetFrameObserver([&] {
            seen << dialog->TurnPercent();
            rightFirst << dialog->FoldingRight();
        });
        PaintCounter painted(dialog);
        const int sounds = dialog->Sound().PlayCount();
        dialog->NextSpread();
        QCOMPARE(seen.size(), frames);
        if (!percents.isEmpty())
            QCOMPARE(seen, percents);
        if (frames > 0) {
            // Forward: the right page folds first, then the left opens.
            QVERIFY(rightFirst.first());
            QVERIFY(!rightFirst.last());
            QVERIFY(painted.framesPainted >= frames);
        }
        QCOMPARE(dialog->CurrentSpread(), 1);
        QCOMPARE(dialog->Sound().PlayCount(), sounds + 1);
        QVERIFY(!dialog->FoldingLeft() && !dialog->FoldingRight());

        seen.clear();
        dialog->PreviousSpread();
        QCOMPARE(seen.size(), frames);
        QCOMPARE(dialog->CurrentSpread(), 0);
    }

    void inputDuringATurnWaits()
    {
        m_home->writeSetting(QStringLiteral("global"), QStringLiteral("pageanimationspeed"),
                             QStringLiteral("1"));
        ReaderDialog *dialog = startReader(shortBook());
        QVERIFY(dialog->SpreadCount() >= 4);
        QList<int> seen;
        int queuedAtFirstFrame = -1;
        dialog->SetFrameObserver([&] {
            seen << dialog->TurnPercent();
            if (seen.size() == 2) {
                // A key and a click on the next-page zone arrive mid-turn.
                QTest::keyRelease(dialog, Qt::Key_Right);
                const BookGeometry g = dialog->Geometry();
                QTest::mouseClick(dialog, Qt::LeftButton, Qt::NoModifier,
                                  QPoint(g.nextZone.left + 2, (g.nextZone.top + g.nextZone.bottom) / 2));
                queuedAtFirstFrame = dialog->QueuedInput();
            }
        });
        dialog->NextSpread();
        QCOMPARE(queuedAtFirstFrame, 2);
        QTRY_COMPARE(dialog->CurrentSpread(), 3);
        QCOMPARE(dialog->QueuedInput(), 0);
        // Three whole turns one after the other, none inside another.
        const QList<int> turn { 83, 66, 33, 0, 0, 33, 66, 83 };
        QCOMPARE(seen, turn + turn + turn);
    }

    void bookmarks()
    {
        ReaderDialog *dialog = startReader(shortBook());
        m_prompts->inputAnswers << QStringLiteral("第一处");
        dialog->OnCommand(5000);
        QCOMPARE(m_prompts->inputTitles.value(0), QStringLiteral("divad - 添加书签"));
        QCOMPARE(m_prompts->inputPrompts.value(0), QStringLiteral("请输入书签注释"));
        QCOMPARE(bookInfoStore().BookmarkCount(), 1);
        std::unique_ptr<QMenu> menu(dialog->BuildContextMenu());
        QCOMPARE(findCommand(menu.get(), 5000)->text(), QStringLiteral("取消书签(&B)"));
        QCOMPARE(findCommand(menu.get(), 5001)->text(), QStringLiteral("[1]-第1页，第一处"));

        // An empty note becomes "无注释"; Cancel adds nothing.
        dialog->JumpToSpread(1);
        m_prompts->inputAnswers << QString(QLatin1String(""));
        dialog->OnCommand(5000);
        QCOMPARE(Ansi::toUnicode(CBookInfoStore::GetNote(bookInfoStore().GetBookmark(1))),
                 QStringLiteral("无注释"));
        dialog->JumpToSpread(2);
        m_prompts->inputAnswers << QString();
        dialog->OnCommand(5000);
        QCOMPARE(bookInfoStore().BookmarkCount(), 2);

        // A bookmarked spread wears its tag.
        dialog->JumpToSpread(1);
        const QImage tagged = dialog->Render();
        const BookGeometry g = dialog->Geometry();
        dialog->OnCommand(5000); // removes it
        QCOMPARE(bookInfoStore().BookmarkCount(), 1);
        const QImage plain = dialog->Render();
        QVERIFY(differingPixels(tagged, plain, QRect(g.rightPage.left, g.H / 2, 35, 65)) > 200);

        // Ten is the most; an eleventh is refused, a bookmarked spread is
        // still freed.
        for (int i = 0; bookInfoStore().BookmarkCount() < 10; ++i) {
            PositionEntry entry;
            entry.volume = 0;
            entry.spread = 100 + i;
            CBookInfoStore::SetNote(entry, "x");
            QVERIFY(bookInfoStore().AddOrUpdateBookmark(entry));
        }
        dialog->JumpToSpread(2);
        dialog->OnCommand(5000);
        QCOMPARE(m_prompts->messages.value(0), QStringLiteral("书签已满"));
        QCOMPARE(bookInfoStore().BookmarkCount(), 10);
        dialog->JumpToSpread(0);
        dialog->OnCommand(5000);
        QCOMPARE(bookInfoStore().BookmarkCount(), 9);
    }

    void bookmarkInAnotherVolume()
    {
        ReaderDialog *dialog = startReader(longBook());
        PositionEntry entry;
        entry.volume = 2;
        entry.spread = 1;
        CBookInfoStore::SetNote(entry, "far");
        QVERIFY(bookInfoStore().AddOrUpdateBookmark(entry));
        std::unique_ptr<QMenu> menu(dialog->BuildContextMenu());
        QCOMPARE(findCommand(menu.get(), 5001)->text(), QStringLiteral("[1]-第3卷，第3页，far"));
        dialog->OnCommand(5001);
        QCOMPARE(dialog->CurrentVolume(), 2);
        QCOMPARE(dialog->CurrentSpread(), 1);
    }

    void contextMenu()
    {
        ReaderDialog *dialog = startReader(shortBook());
        std::unique_ptr<QMenu> single(dialog->BuildContextMenu());
        QVERIFY(!findCommand(single.get(), 3004));
        QVERIFY(!findCommand(single.get(), 3005));
        QVERIFY(!findCommand(single.get(), 8000));
        QVERIFY(findCommand(single.get(), 4000 + readerSettings().SkinIndex())->isChecked());
        QVERIFY(findCommand(single.get(), 9010)->isChecked()); // animation off
        QVERIFY(findCommand(single.get(), 9100)->isChecked()); // sound on
        QVERIFY(!menuTexts(single.get()).contains(QStringLiteral("b")));

        dialog->OpenBook(longBook());
        std::unique_ptr<QMenu> volumes(dialog->BuildContextMenu());
        QVERIFY(!findCommand(volumes.get(), 3005)->isEnabled());
        QVERIFY(findCommand(volumes.get(), 3004)->isEnabled());
        QVERIFY(menuTexts(volumes.get()).contains(QStringLiteral("short.txt").prepend(m_home->file(QStringLiteral("books/")))));

        // A right click builds the menu; the command chosen runs.
        int menus = 0;
        dialog->SetMenuChooser([&](QMenu *menu, const QPoint &) {
            ++menus;
            return findCommand(menu, 3004);
        });
        QTest::mousePress(dialog, Qt::RightButton, Qt::NoModifier, QPoint(300, 300));
        QCOMPARE(menus, 1);
        QCOMPARE(dialog->CurrentVolume(), 1);
        std::unique_ptr<QMenu> second(dialog->BuildContextMenu());
        QVERIFY(findCommand(second.get(), 3005)->isEnabled());

        // A jump by number, through the input box.
        m_prompts->inputAnswers << QStringLiteral("3");
        dialog->OnCommand(8000);
        QCOMPARE(m_prompts->inputPrompts.last(), QStringLiteral("请输入要跳到的卷号"));
        QCOMPARE(dialog->CurrentVolume(), 2);
        m_prompts->inputAnswers << QStringLiteral("99");
        dialog->OnCommand(8000);
        QCOMPARE(dialog->CurrentVolume(), dialog->VolumeCount() - 1);
    }

    void keysAndWheel_data()
    {
        QTest::addColumn<int>("key"); // 0: the wheel
        QTest::addColumn<int>("wheel");
        QTest::addColumn<int>("move");
        QTest::newRow("right arrow") << int(Qt::Key_Right) << 0 << 1;
        QTest::newRow("space") << int(Qt::Key_Space) << 0 << 1;
        QTest::newRow("left arrow") << int(Qt::Key_Left) << 0 << -1;
        QTest::newRow("enter does nothing") << int(Qt::Key_Return) << 0 << 0;
        QTest::newRow("wheel down") << 0 << -120 << 1;
        QTest::newRow("wheel up") << 0 << 120 << -1;
        QTest::newRow("half a notch") << 0 << -60 << 0;
    }

    void keysAndWheel()
    {
        QFETCH(int, key);
        QFETCH(int, wheel);
        QFETCH(int, move);
        ReaderDialog *dialog = startReader(shortBook());
        dialog->JumpToSpread(1);
        if (key != 0) {
            QTest::keyClick(dialog, Qt::Key(key));
        } else {
            QWheelEvent event(QPointF(300, 300), dialog->mapToGlobal(QPoint(300, 300)), QPoint(),
                              QPoint(0, wheel), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(dialog, &event);
        }
        QCOMPARE(dialog->CurrentSpread(), 1 + move);
        QVERIFY(dialog->isVisible());
    }

    void escapeClosesAndSaves()
    {
        const QString book = longBook();
        ReaderDialog *dialog = startReader(book);
        dialog->JumpToVolume(1);
        dialog->JumpToSpread(2);
        m_prompts->inputAnswers << QStringLiteral("记号");
        dialog->OnCommand(5000);
        dialog->OnCommand(4005);
        dialog->OnCommand(9101);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(m_home->readSetting(QStringLiteral("global"), QStringLiteral("lastreadfile")), book);
        QCOMPARE(m_home->readSetting(QStringLiteral("global"), QStringLiteral("skin")),
                 QStringLiteral("5"));

        reloadFromDisk();
        dialog = startReader();
        QCOMPARE(dialog->CurrentBookPath(), book);
        QCOMPARE(dialog->CurrentVolume(), 1);
        QCOMPARE(dialog->CurrentSpread(), 2);
        QCOMPARE(bookInfoStore().BookmarkCount(), 1);
        QCOMPARE(readerSettings().SkinIndex(), 5);
        QVERIFY(readerSettings().PageSoundOff());
        QCOMPARE(m_prompts->messages, QStringList());
    }

    void exitCommand()
    {
        const QString book = shortBook();
        ReaderDialog *dialog = startReader(book);
        dialog->JumpToSpread(1);
        dialog->OnCommand(3003);
        QTRY_VERIFY(!dialog->isVisible());
        CBookInfoStore disk(m_home->file(QStringLiteral("bookinfo.bin")));
        disk.SelectBook(book);
        QCOMPARE(int(disk.GetPosition().spread), 1);
        QVERIFY(!m_home->readSetting(QStringLiteral("global"), QStringLiteral("fontheight")).isEmpty());
    }

    void positionSurvivesAKill()
    {
        const QString book = longBook();
        ReaderDialog *dialog = startReader(book);
        dialog->SetPositionSaveDelay(0);
        dialog->JumpToVolume(2);
        dialog->JumpToSpread(3);
        dialog->OnCommand(4003);
        // What is on disk now is all a killed reader leaves.
        QTRY_VERIFY_WITH_TIMEOUT(
                [&] {
                    CBookInfoStore disk(m_home->file(QStringLiteral("bookinfo.bin")));
                    disk.SelectBook(book);
                    const PositionEntry saved = disk.GetPosition();
                    return saved.volume == 2 && saved.spread == 3;
                }(),
                3000);
        QCOMPARE(m_home->readSetting(QStringLiteral("global"), QStringLiteral("skin")),
                 QStringLiteral("3"));
        QCOMPARE(m_home->readSetting(QStringLiteral("global"), QStringLiteral("lastreadfile")), book);
    }

    void leavingBooksFillsRecentBooks()
    {
        QVERIFY(ReaderApp_InstallHelp());
        ReaderDialog *dialog = startReader();
        QCOMPARE(dialog->CurrentBookPath(), ReaderDialog::HelpBookPath());
        // (The book of the test before was "left" at start-up.)
        recentFiles().ClearAll();
        const QString first = shortBook(QStringLiteral("first.txt"));
        const QString second = shortBook(QStringLiteral("second.txt"));
        dialog->OpenBook(first);
        QCOMPARE(recentFiles().CountUsed(), 0);
        dialog->OpenBook(second);
        QCOMPARE(recentFiles().GetAt(0), first);
        dialog->OnCommand(3002);
        QCOMPARE(dialog->CurrentBookPath(), ReaderDialog::HelpBookPath());
        QCOMPARE(recentFiles().GetAt(0), second);
        dialog->OpenBook(first);
        QCOMPARE(recentFiles().CountUsed(), 2);
        dialog->OnCommand(3010);
        QCOMPARE(dialog->CurrentBookPath(), second);
    }

    void appLinkEndsInOrder_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("ends");
        QTest::newRow("the program's own page") << QStringLiteral("http://127.0.0.1:9/cn/bar.htm")
                                                << true;
        QTest::newRow("a page from elsewhere") << QStringLiteral("http://elsewhere.example.net/")
                                               << false;
    }

    void appLinkEndsInOrder()
    {
        QFETCH(QString, page);
        QFETCH(bool, ends);
        const QString book = longBook();
        ReaderDialog *dialog = startReader(book);
        dialog->JumpToVolume(1);
        CHtmlCtrl web;
        QVERIFY(!web.OnBeforeNavigate2(QUrl(QStringLiteral("app:ok")), QUrl(page)));
        if (ends) {
            QTRY_VERIFY(!dialog->isVisible());
            CBookInfoStore disk(m_home->file(QStringLiteral("bookinfo.bin")));
            disk.SelectBook(book);
            QCOMPARE(int(disk.GetPosition().volume), 1);
            QVERIFY(!m_home->readSetting(QStringLiteral("global"), QStringLiteral("fontheight")).isEmpty());
        } else {
            QTest::qWait(50);
            QVERIFY(dialog->isVisible());
        }
    }

    void webCommands_data()
    {
        QTest::addColumn<QString>("bookName");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("address");
        QTest::newRow("discussion, marks removed")
                << QStringLiteral("《三国》.txt") << 9500 << QStringLiteral("网上讨论:《三国》")
                << QStringLiteral("http://127.0.0.1:9/f?kw=%C8%FD%B9%FA#");
        QTest::newRow("discussion, reserved characters encoded")
                << QStringLiteral("A&B #1+2%3 c.txt") << 9500
                << QStringLiteral("网上讨论:《A&B #1+2%3 c》")
                << QStringLiteral("http://127.0.0.1:9/f?kw=A%26B%20%231%2B2%253%20c#");
        QTest::newRow("search") << QStringLiteral("x.txt") << 9501 << QStringLiteral("网上搜书")
                                << QStringLiteral("http://127.0.0.1:9/");
        QTest::newRow("buy") << QStringLiteral("x.txt") << 9503 << QStringLiteral("网上购书")
                             << QStringLiteral("http://127.0.0.1:9/cn/zuvudoza/buybook.htm");
    }

    void webCommands()
    {
        QFETCH(QString, bookName);
        QFETCH(int, command);
        ReaderDialog *dialog = startReader(shortBook(bookName));
        QStringList opened;
        QSize size;
        dialog->SetWebPageOpener([&](const QString &caption, const QString &address, int w, int h) {
            opened << caption << address;
            size = QSize(w, h);
        });
        dialog->OnCommand(command);
        QCOMPARE(opened.size(), 2);
        QTEST(opened.at(0), "caption");
        QTEST(opened.at(1), "address");
        QCOMPARE(size, dialog->size());
    }

    void droppedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("outcome"); // open, refuse, ignore
        QTest::newRow("TXT in capitals") << QStringLiteral("LOUD.TXT") << QStringLiteral("open");
        QTest::newRow("a Word file") << QStringLiteral("letter.doc") << QStringLiteral("refuse");
        QTest::newRow("no extension") << QStringLiteral("README") << QStringLiteral("ignore");
        QTest::newRow("ht, part of htm") << QStringLiteral("page.ht") << QStringLiteral("open");
    }

    void droppedFiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, outcome);
        const QString start = shortBook();
        ReaderDialog *dialog = startReader(start);
        const QString dropped = writeFile(m_home->file(QStringLiteral("drop/") + name),
                                          divadtest::novelText(3000));
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(dropped) });
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(dialog, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog, &drop);
        if (outcome == QLatin1String("open"))
            QCOMPARE(dialog->CurrentBookPath(), dropped);
        else
            QCOMPARE(dialog->CurrentBookPath(), start);
        QCOMPARE(m_prompts->messages,
                 outcome == QLatin1String("refuse") ? QStringList { QStringLiteral("不支持的文件格式") }
                                                    : QStringList());
    }

    void zoom_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("percent");
        // The test screen is 800 x 600: a small one, so the default is -30.
        QTest::newRow("a small screen opens at 70%") << QString() << 0 << QString() << -30;
        QTest::newRow("45 +5") << QStringLiteral("45") << 5 << QStringLiteral("50") << 50;
        QTest::newRow("50 +5 stays") << QStringLiteral("50") << 5 << QStringLiteral("50") << 50;
        QTest::newRow("45 +15 is stored, 50 used") << QStringLiteral("45") << 15
                                                   << QStringLiteral("60") << 50;
        QTest::newRow("nothing stored +15") << QString() << 15 << QStringLiteral("15") << 15;
        QTest::newRow("nothing stored -5") << QString() << -5 << QStringLiteral("-35") << -35;
        QTest::newRow("-45 -15") << QStringLiteral("-45") << -15 << QStringLiteral("-50") << -50;
    }

    void zoom()
    {
        QFETCH(QString, stored);
        QFETCH(int, step);
        QFETCH(int, percent);
        if (!stored.isEmpty())
            m_home->writeSetting(QStringLiteral("maindlg"), QStringLiteral("dlgsizeaddpercent"), stored);
        ReaderDialog *dialog = startReader(shortBook());
        if (step != 0)
            dialog->ZoomStep(step);
        QTEST(m_home->readSetting(QStringLiteral("maindlg"), QStringLiteral("dlgsizeaddpercent")),
              "expected");
        QCOMPARE(dialog->ZoomPercent(), percent);
        QCOMPARE(dialog->size(),
                 QSize(int(ReaderDialog::DesignedSize.width() * (percent + 100) / 100.0),
                       int(ReaderDialog::DesignedSize.height() * (percent + 100) / 100.0)));
        // The book is laid out anew for the new width.
        QCOMPARE(bookText().TextBlockWidth() <= BookText::PageTextWidthFor(dialog->width()), true);
    }

    void paintedLayers()
    {
        ReaderDialog *dialog = startReader(longBook());
        dialog->JumpToSpread(2);
        dialog->SetActiveOverride(1);
        dialog->SetMousePoint(QPoint(-1, -1));
        const QImage plain = dialog->Render();
        const BookGeometry g = dialog->Geometry();

        // The sleepy face sits in the spine gap while the window is idle.
        dialog->SetActiveOverride(0);
        const QRect gap(g.leftText.right, g.H / 3, g.rightText.left - g.leftText.right, g.H / 3);
        QVERIFY(differingPixels(plain, dialog->Render(), gap) > 100);
        dialog->SetActiveOverride(1);

        // Arrows and hints in the turn zones under the mouse.
        dialog->SetMousePoint(QPoint(g.nextZone.left + 3, g.H / 2));
        QVERIFY(differingPixels(plain, dialog->Render(), g.nextZone.rect()) > 50);
        dialog->SetMousePoint(QPoint(g.previousZone.left + 3, g.H / 2));
        QVERIFY(differingPixels(plain, dialog->Render(), g.previousZone.rect()) > 50);

        // The page-number bubble over a stack.
        dialog->SetMousePoint(QPoint(g.rightStack.left + 1, g.H / 2));
        const QImage bubble = dialog->Render();
        const QRect box(g.rightPage.right - 155, int(g.H * 0.5 - 60), 150, 60);
        QVERIFY(differingPixels(plain, bubble, box) > 500);
        QCOMPARE(bubble.pixelColor(box.center()), QColor(221, 239, 255));
        dialog->SetMousePoint(QPoint(-1, -1));

        // The overlay box while a message is up.
        messageOverlay().Show(QStringLiteral("测试"), 5000);
        const QImage message = dialog->Render();
        messageOverlay().Clear();
        QCOMPARE(message.pixelColor((g.W - 350) / 2 + 10, (g.H - 60) / 2 + 70), QColor(Qt::white));

        // Text lands on both pages.
        int ink[2] = { 0, 0 };
        for (int side = 0; side < 2; ++side) {
            const Box &area = side ? g.rightText : g.leftText;
            for (int y = area.top; y < area.bottom; y += 2)
                for (int x = area.left; x < area.right; x += 2)
                    ink[side] += qGray(plain.pixel(x, y)) < 100;
        }
        QVERIFY(ink[0] > 500);
        QVERIFY(ink[1] > 500);
    }

    void panelMessages()
    {
        ReaderDialog *dialog = startReader(shortBook());
        const QString other = longBook();
        PathToOpen() = other;
        QCoreApplication::postEvent(dialog, new OpenPendingPathEvent);
        QTRY_COMPARE(dialog->CurrentBookPath(), other);
        dialog->JumpToSpread(2);
        QCoreApplication::postEvent(dialog, new ShowVolumeEvent(2));
        QTRY_COMPARE(dialog->CurrentVolume(), 2);
        QCOMPARE(dialog->CurrentSpread(), 0);
    }

    void clipboardBook()
    {
        ReaderDialog *dialog = startReader(shortBook());
        QApplication::clipboard()->setText(QStringLiteral("剪切板里的一段文字，当作一本书来看。"));
        dialog->OnCommand(7001);
        const QString path = m_home->file(QStringLiteral("剪切板.txt"));
        QCOMPARE(dialog->CurrentBookPath(), path);
        QCOMPARE(dialog->CurrentSpread(), 0);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(Ansi::toUnicode(saved.readAll()), QStringLiteral("剪切板里的一段文字，当作一本书来看。"));
        // The clipboard book lies beside the program: its folder is "系统".
        dialog->OnCommand(3009);
        QCOMPARE(m_prompts->messages.value(0), QStringLiteral("系统剪切板"));
    }

    void fontChange_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("declined") << false;
    }

    void fontChange()
    {
        QFETCH(bool, confirm);
        ReaderDialog *dialog = startReader(shortBook());
        QFont chosen(QStringLiteral("DejaVu Sans"));
        chosen.setPixelSize(24);
        m_prompts->fontAnswers << chosen;
        m_prompts->questionAnswers << confirm;
        const int before = bookText().LineHeight();
        dialog->OnCommand(7000);
        QCOMPARE(m_prompts->messages.size(), 1);
        QCOMPARE(readerSettings().FontFace() == QStringLiteral("DejaVu Sans"), confirm);
        QCOMPARE(readerSettings().FontHeight(), confirm ? 24 : 16);
        QCOMPARE(bookText().LineHeight() > before, confirm);
    }

    void ownBackground()
    {
        ReaderDialog *dialog = startReader(shortBook());
        QImage picture(64, 48, QImage::Format_RGB888);
        picture.fill(QColor(250, 240, 200));
        const QString bmp = m_home->file(QStringLiteral("mine.bmp"));
        QVERIFY(picture.save(bmp, "BMP"));
        m_prompts->fileAnswers << bmp;
        dialog->OnCommand(4009);
        QCOMPARE(m_prompts->fileRequests.value(0).folder, m_home->file(QStringLiteral("skins")));
        QCOMPARE(readerSettings().SkinIndex(), 8);
        QCOMPARE(m_home->readSetting(QStringLiteral("global"), QStringLiteral("skinfile")), bmp);
        const BookGeometry g = dialog->Geometry();
        QCOMPARE(dialog->Skins().Picture(8).Width(), g.inner.width());
        const QColor own = dialog->Skins().Image(8).pixelColor(10, 10);
        QVERIFY(qAbs(own.red() - 250) < 6 && qAbs(own.blue() - 200) < 6);

        // A damaged picture is reported and the one before stays.
        QFile damaged(bmp);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("BM\x10\x00\x00\x00garbage that is no bitmap");
        damaged.close();
        dialog->ReloadSkinPictures();
        QVERIFY(messageOverlay().Text().startsWith(QStringLiteral("[自定义背景]图片不合法：")));
        QCOMPARE(dialog->Skins().Image(8).pixelColor(10, 10), own);

        QFile::remove(bmp);
        dialog->ReloadSkinPictures();
        QCOMPARE(messageOverlay().Text(), QStringLiteral("[自定义背景]图片未找到：") + bmp);
    }

    void tray_data()
    {
        QTest::addColumn<bool>("available");
        QTest::newRow("no notification area: minimised, never hidden") << false;
        QTest::newRow("a notification area") << true;
    }

    void tray()
    {
        QFETCH(bool, available);
        SetTrayAvailability(available ? 1 : 0);
        ReaderDialog *dialog = startReader(shortBook());
        const QRect place = dialog->geometry();
        QTest::keyClick(dialog, Qt::Key_T);
        if (!available) {
            QVERIFY(!dialog->isHidden());
            QVERIFY(dialog->isMinimized());
            QVERIFY(!TrayIconPresent());
            return;
        }
        QVERIFY(dialog->isHidden());
        QVERIFY(TrayIcon());
        // Another icon's message is not ours.
        QCoreApplication::postEvent(dialog, new TrayMessageEvent(TrayIconId + 1,
                                                                 TrayMessageEvent::LeftDoubleClick));
        QCoreApplication::processEvents();
        QVERIFY(dialog->isHidden());
        emit TrayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(dialog->geometry(), place);
        QVERIFY(!TrayIcon());

        // From the tray, its menu's "关闭" ends the program.
        dialog->OnCommand(3007);
        dialog->SetMenuChooser([](QMenu *menu, const QPoint &) {
            return menu->actions().value(0);
        });
        emit TrayIcon()->activated(QSystemTrayIcon::Context);
        QTRY_VERIFY(!m_home->readSetting(QStringLiteral("global"), QStringLiteral("fontheight")).isEmpty());
    }

    void fileInformation_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("sizeLine");
        QTest::newRow("a megabyte") << 1048576 << QStringLiteral("1048576字节 (1.00MB)");
        QTest::newRow("one and a half kilobytes") << 1536 << QStringLiteral("1536字节 (1.50KB)");
        QTest::newRow("under a kilobyte") << 1000 << QStringLiteral("1000字节");
    }

    void fileInformation()
    {
        QFETCH(int, size);
        QFETCH(QString, sizeLine);
        QByteArray text = divadtest::novelText(size);
        text.truncate(size);
        const QString book = writeFile(m_home->file(QStringLiteral("sized.txt")), text);
        ReaderDialog *dialog = startReader(book);
        dialog->OnCommand(3102);
        QCOMPARE(m_prompts->messages.value(0),
                 QStringLiteral("文件路径：") + book + QStringLiteral("\r\n文件大小：") + sizeLine
                         + QStringLiteral("\r\n编码方式：ANSI"));
    }

    void seriesAndShell()
    {
        const QString first = shortBook(QStringLiteral("书1.txt"));
        const QString second = shortBook(QStringLiteral("书2.txt"));
        ReaderDialog *dialog = startReader(first);
        std::unique_ptr<QMenu> menu(dialog->BuildContextMenu());
        QVERIFY(!findCommand(menu.get(), 6000));
        QCOMPARE(findCommand(menu.get(), 6001)->text(), QStringLiteral("下一本(&N)：书2.txt"));
        dialog->OnCommand(6001);
        QCOMPARE(dialog->CurrentBookPath(), second);

        dialog->OnCommand(3008);
        dialog->OnCommand(3103);
        dialog->OnCommand(3009);
        QCOMPARE(m_prompts->shellRequests.size(), 3);
        QCOMPARE(m_prompts->shellRequests.at(0).verb, ShellVerb::EditText);
        QCOMPARE(m_prompts->shellRequests.at(0).target, second);
        QCOMPARE(m_prompts->shellRequests.at(1).verb, ShellVerb::OpenFile);
        QCOMPARE(m_prompts->shellRequests.at(2).verb, ShellVerb::OpenFolder);
        QCOMPARE(m_prompts->shellRequests.at(2).target, FolderOfPath(second));
    }

private:
    static bool ReaderApp_InstallHelp()
    {
        return writeFile(ReaderDialog::HelpBookPath(),
                         QByteArray("\xEF\xBB\xBF") + QStringLiteral("说明书。\r\n").toUtf8().repeated(200))
                .size()
                > 0;
    }
};

VL_TEST_WIDGETS_MAIN(TestDivadReader)
#include "tst_divadreader.moc"
