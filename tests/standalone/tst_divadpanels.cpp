#include "standalone/gfx/ctransparentstatic.h"
#include "standalone/panels/bookinfopanel.h"
#include "standalone/panels/cpicture.h"
#include "standalone/panels/filebrowserpanel.h"
#include "standalone/panels/foldertreectrl.h"
#include "standalone/panels/panelmessages.h"
#include "standalone/panels/sharedialog.h"
#include "standalone/panels/sidebar.h"
#include "standalone/panels/webpagewindow.h"
#include "standalone/text/booktext.h"
#include "standalone/util/filehelpers.h"
#include "standalone/web/chtmlctrl.h"
#include "standalone/web/clinklabel.h"
#include "tests/standalone/divadtestsupport.h"
#include "tests/support/crc32.h"
#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

using namespace divad;
using divadtest::writeFile;

namespace {

// Stands in for the reading window: keeps what the panels post to it.
class MainWindowStandIn : public QWidget
{
public:
    QStringList opened;
    QList<int> volumes;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == OpenPendingPathEvent::eventType()) {
            opened << PathToOpen();
            return true;
        }
        if (event->type() == ShowVolumeEvent::eventType()) {
            volumes << static_cast<ShowVolumeEvent *>(event)->volume;
            return true;
        }
        return QWidget::event(event);
    }
};

// A tree whose items fill as the test says and count their fills.
class CountingTree : public LazyTreeCtrl
{
public:
    int fills = 0;
    bool answer = true;
    int children = 0;

    QTreeWidgetItem *addUnfilled(const QString &text)
    {
        auto *item = new QTreeWidgetItem(this, QStringList(text));
        SetChildIndicator(item, true);
        return item;
    }

protected:
    bool PopulateItem(QTreeWidgetItem *item) override
    {
        if (item == invisibleRootItem())
            return true;
        ++fills;
        for (int i = 0; i < children; ++i)
            new QTreeWidgetItem(item, QStringList(QStringLiteral("child")));
        return answer;
    }
};

QStringList topLevelNames(const QTreeWidget &tree)
{
    QStringList names;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        names << tree.topLevelItem(i)->text(0);
    return names;
}

} // namespace

// The side bar and its pages, the folder tree, the book information page
// and its cover, and the share and web page windows.
class TestDivadPanels : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<divadtest::DataFolder> m_home;
    std::unique_ptr<divadtest::ScriptedPrompter> m_prompts;
    std::unique_ptr<MainWindowStandIn> m_main;

    QString folderWithBooks()
    {
        const QString root = m_home->file(QStringLiteral("shelf"));
        for (const char *name : { "a.TXT", "b.html", "c.doc", "README", "sub/inner.txt",
                                  ".hidden.txt", "z.htm" })
            writeFile(root + QLatin1Char('/') + QString::fromLatin1(name), "x");
        QDir().mkpath(root + QStringLiteral("/empty"));
        return root;
    }

private slots:
    void init()
    {
        m_home = std::make_unique<divadtest::DataFolder>();
        m_prompts = std::make_unique<divadtest::ScriptedPrompter>();
        m_main = std::make_unique<MainWindowStandIn>();
        m_main->resize(900, 640);
        SetMainWindow(m_main.get());
        const QString desktop = m_home->file(QStringLiteral("desktop"));
        QDir().mkpath(desktop);
        FolderTreeCtrl::SetDesktopEntriesSource([desktop] { return QStringList { desktop }; });
    }

    void cleanup()
    {
        sideBarHost().Destroy();
        SetMainWindow(nullptr);
        FolderTreeCtrl::SetDesktopEntriesSource(nullptr);
        ShareDialog::SetDriveSource(nullptr, nullptr);
        m_main.reset();
        m_prompts.reset();
        m_home.reset();
    }

    void lazyTreeFillsOnce()
    {
        CountingTree tree;
        tree.children = 2;
        QTreeWidgetItem *item = tree.addUnfilled(QStringLiteral("folder"));
        item->setExpanded(true);
        QCOMPARE(tree.fills, 1);
        QCOMPARE(item->childCount(), 2);
        QVERIFY(!item->child(0)->text(0).startsWith(QStringLiteral("Loading")));
        item->setExpanded(false);
        item->setExpanded(true);
        QCOMPARE(tree.fills, 1);
        QVERIFY(LazyTreeCtrl::HasChildIndicator(item));
    }

    void lazyTreeIndicator_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("keepsIndicator");
        QTest::addColumn<int>("fillsAfterTwo");
        QTest::newRow("filled, nothing found: the + goes") << true << false << 1;
        QTest::newRow("failed, nothing found: the + stays, read again") << false << true << 2;
    }

    void lazyTreeIndicator()
    {
        QFETCH(bool, answer);
        CountingTree tree;
        tree.answer = answer;
        QTreeWidgetItem *item = tree.addUnfilled(QStringLiteral("drive"));
        item->setExpanded(true);
        QTEST(LazyTreeCtrl::HasChildIndicator(item), "keepsIndicator");
        QCOMPARE(item->isExpanded(), answer);
        // The user can only expand again what still shows its +.
        if (LazyTreeCtrl::HasChildIndicator(item)) {
            item->setExpanded(false);
            item->setExpanded(true);
        }
        QTEST(tree.fills, "fillsAfterTwo");
    }

    void folderTreeShowsBooks()
    {
        const QString root = folderWithBooks();
        FolderTreeCtrl tree;
        tree.SetRoot(root, true);
        QCOMPARE(topLevelNames(tree),
                 (QStringList { QStringLiteral("empty"), QStringLiteral("sub"), QStringLiteral("a.TXT"),
                                QStringLiteral("b.html"), QStringLiteral("README"),
                                QStringLiteral("z.htm") }));
        // Folders invite an expansion while files are shown; files do not.
        QTreeWidgetItem *sub = tree.FindItem(root + QStringLiteral("/sub"));
        QVERIFY(LazyTreeCtrl::HasChildIndicator(sub));
        QVERIFY(!LazyTreeCtrl::HasChildIndicator(tree.FindItem(root + QStringLiteral("/README"))));
        sub->setExpanded(true);
        QCOMPARE(sub->childCount(), 1);
        QCOMPARE(sub->child(0)->text(0), QStringLiteral("inner.txt"));
        QTreeWidgetItem *empty = tree.FindItem(root + QStringLiteral("/empty"));
        empty->setExpanded(true);
        QVERIFY(!LazyTreeCtrl::HasChildIndicator(empty));

        // Without files a folder shows + only when it has folders inside.
        FolderTreeCtrl folders;
        folders.SetRoot(root, false);
        QCOMPARE(topLevelNames(folders), (QStringList { QStringLiteral("empty"), QStringLiteral("sub") }));
        QVERIFY(!LazyTreeCtrl::HasChildIndicator(folders.FindItem(root + QStringLiteral("/sub"))));

        // A point in a folder's name does not hide the files without one.
        const QString dotted = m_home->file(QStringLiteral("books.old"));
        writeFile(dotted + QStringLiteral("/README"), "x");
        writeFile(dotted + QStringLiteral("/notes.doc"), "x");
        FolderTreeCtrl old;
        old.SetRoot(dotted, true);
        QCOMPARE(topLevelNames(old), QStringList { QStringLiteral("README") });
    }

    void folderTreeRoots()
    {
        const QString root = folderWithBooks();
        FolderTreeCtrl tree;
        tree.SetRoot(QString(), true);
        QCOMPARE(topLevelNames(tree), QStringList { QStringLiteral("desktop") });
        QCOMPARE(tree.SelectedPath(), QString());

        FolderTreeCtrl shelf;
        shelf.SetRoot(root, true);
        shelf.setCurrentItem(shelf.FindItem(root + QStringLiteral("/a.TXT")));
        QCOMPARE(shelf.SelectedFilePath(), root + QStringLiteral("/a.TXT"));
        shelf.RootAtSelection();
        QCOMPARE(shelf.RootPath(), root);

        shelf.setCurrentItem(shelf.FindItem(root + QStringLiteral("/sub")));
        QCOMPARE(shelf.SelectedFilePath(), QString());
        QCOMPARE(shelf.SelectedPath(), root + QStringLiteral("/sub"));
        shelf.RootAtSelection();
        QCOMPARE(topLevelNames(shelf), QStringList { QStringLiteral("inner.txt") });
        shelf.RestoreRoot();
        QCOMPARE(topLevelNames(shelf), QStringList { QStringLiteral("desktop") });
    }

    void fileBrowserOpens_data()
    {
        QTest::addColumn<bool>("singleClick");
        QTest::newRow("double click") << false;
        QTest::newRow("single click") << true;
    }

    void fileBrowserOpens()
    {
        QFETCH(bool, singleClick);
        const QString root = folderWithBooks();
        m_home->writeSetting(QStringLiteral("fileview"), QStringLiteral("chksingleclickopenfile"),
                             singleClick ? QStringLiteral("1") : QStringLiteral("0"));
        FileBrowserPanel panel;
        QCOMPARE(panel.SingleClickButton()->isChecked(), singleClick);
        panel.Tree()->SetRoot(root, true);

        panel.Tree()->setCurrentItem(panel.Tree()->FindItem(root + QStringLiteral("/sub")));
        QCOMPARE(panel.Hint()->text(), QStringLiteral("目录：") + root + QStringLiteral("/sub"));
        const QString book = root + QStringLiteral("/b.html");
        panel.Tree()->setCurrentItem(panel.Tree()->FindItem(book));
        QCOMPARE(panel.Hint()->text(), QStringLiteral("文件：") + book
                         + (singleClick ? QString() : QStringLiteral("\r\n双击打开阅读")));
        QCoreApplication::processEvents();
        QCOMPARE(m_main->opened, singleClick ? QStringList { book } : QStringList());
        if (!singleClick) {
            emit panel.Tree()->itemDoubleClicked(panel.Tree()->currentItem(), 0);
            QCoreApplication::processEvents();
            QCOMPARE(m_main->opened, QStringList { book });
        }
        // Rooting the tree at a selected file changes nothing and opens
        // nothing.
        m_main->opened.clear();
        panel.OnSetRoot();
        QCoreApplication::processEvents();
        QCOMPARE(panel.Tree()->RootPath(), root);
        QVERIFY(m_main->opened.isEmpty());

        panel.SingleClickButton()->setChecked(!singleClick);
        QCOMPARE(m_home->readSetting(QStringLiteral("fileview"), QStringLiteral("chksingleclickopenfile")),
                 singleClick ? QStringLiteral("0") : QStringLiteral("1"));
    }

    void sideBarTabs_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("tab");
        QTest::newRow("7 is the last tab") << QStringLiteral("7") << 2;
        QTest::newRow("negative is the first") << QStringLiteral("-3") << 0;
        QTest::newRow("browse") << QStringLiteral("1") << 1;
    }

    void sideBarTabs()
    {
        QFETCH(QString, stored);
        QFETCH(int, tab);
        m_home->writeSetting(QStringLiteral("leftbar"), QStringLiteral("tabidx"), stored);
        sideBarHost().Show(true);
        SideBarDialog *bar = sideBarHost().Dialog();
        QVERIFY(bar);
        QCOMPARE(bar->Tabs()->currentIndex(), tab);
        bar->OnTick();
        QCOMPARE(bar->FileBrowser()->isVisible(), tab == 1);
        QCOMPARE(bar->BookInfo()->isVisible(), tab == 2);
        QCOMPARE(bar->WebPage()->isVisible(), tab == 0);

        // A tab chosen shows its pages at the next tick, not at once.
        const int other = (tab + 1) % 3;
        bar->Tabs()->setCurrentIndex(other);
        QCOMPARE(m_home->readSetting(QStringLiteral("leftbar"), QStringLiteral("tabidx")),
                 QString::number(other));
        QCOMPARE(bar->FileBrowser()->isVisible(), tab == 1);
        QTRY_COMPARE_WITH_TIMEOUT(bar->windowTitle(),
                                  QString::fromUtf8(other == 0   ? "e书下载-divad"
                                                    : other == 1 ? "目录浏览-divad"
                                                                 : "正在阅读-divad"),
                                  1000);
        QCOMPARE(bar->FileBrowser()->isVisible(), other == 1);
        QCOMPARE(bar->BookInfo()->isVisible(), other == 2);
    }

    void sideBarPlaceAndVisibility()
    {
        m_main->move(100, 40);
        m_main->show();
        sideBarHost().Show(true);
        sideBarHost().SaveVisible(true);
        SideBarDialog *bar = sideBarHost().Dialog();
        QCOMPARE(bar->x(), 0);
        QCOMPARE(bar->frameGeometry().height(), m_main->frameGeometry().height());
        QCOMPARE(bar->Progress()->maximum(), 100);

        // Escape hides it and leaves it remembered open.
        QTest::keyClick(bar, Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        QCOMPARE(m_home->readSetting(QStringLiteral("DownBook"), QStringLiteral("DlgVisible")),
                 QStringLiteral("1"));
        sideBarHost().Destroy();
        sideBarHost().RestoreFromSettings();
        QVERIFY(sideBarHost().IsVisible());

        // The close box hides it and remembers it closed.
        sideBarHost().Dialog()->close();
        QVERIFY(!sideBarHost().IsVisible());
        QCOMPARE(m_home->readSetting(QStringLiteral("DownBook"), QStringLiteral("DlgVisible")),
                 QStringLiteral("0"));
        sideBarHost().Destroy();
        sideBarHost().RestoreFromSettings();
        QVERIFY(!sideBarHost().IsVisible());

        m_main->move(400, 40);
        sideBarHost().Show(true);
        QCOMPARE(sideBarHost().Dialog()->x(), 250);
        m_main->resize(900, 700);
        sideBarHost().Relayout();
        QCOMPARE(sideBarHost().Dialog()->frameGeometry().height(), m_main->frameGeometry().height());
    }

    void resizeChildren()
    {
        QWidget parent;
        auto *stretch = new QWidget(&parent);
        stretch->setGeometry(0, 10, 50, 100);
        auto *move = new QWidget(&parent);
        move->setGeometry(0, 120, 50, 20);
        ResizeChildrenVertically(&parent, 400, 430, { stretch, nullptr }, { move });
        QCOMPARE(stretch->geometry(), QRect(0, 10, 50, 130));
        QCOMPARE(move->geometry(), QRect(0, 150, 50, 20));
        ResizeChildrenVertically(&parent, 430, 0, { stretch }, {});
        QCOMPARE(stretch->height(), 1);
    }

    void infoText_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a megabyte") << 1048576 << 0 << QStringLiteral("1048576字节 (1MB)\r\n编码方式：ANSI");
        QTest::newRow("one and a half kilobytes")
                << 1536 << 1 << QStringLiteral("1536字节 (1.5KB)\r\n编码方式：UTF8");
        QTest::newRow("under a kilobyte") << 1000 << 3
                                          << QStringLiteral("1000字节\r\n编码方式：Unicode Big Endian");
        QTest::newRow("an unknown encoding") << 10 << 7 << QStringLiteral("10字节\r\n编码方式：");
    }

    void infoText()
    {
        QFETCH(int, size);
        QFETCH(int, encoding);
        QFETCH(QString, expected);
        const QString path = writeFile(m_home->file(QStringLiteral("book.txt")), QByteArray(size, 'a'));
        QCOMPARE(BookInfoPanel::InfoText(path, encoding, 3),
                 QStringLiteral("文件路径：") + path + QStringLiteral("\r\n文件大小：") + expected
                         + QStringLiteral("\r\n共分3卷"));
        QCOMPARE(BookInfoPanel::InfoText(m_home->file(QStringLiteral("none.txt")), 0, 1)
                         .contains(QStringLiteral("文件大小：0字节\r\n")),
                 true);
    }

    void cover_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("the book's own before the folder's")
                << QStringList { "三国face.jpg", "face.jpg" } << QStringLiteral("三国face.jpg");
        QTest::newRow("the folder's") << QStringList { "face.bmp" } << QStringLiteral("face.bmp");
        QTest::newRow("an empty file is passed over")
                << QStringList { "!三国face.jpg", "face.jpg" } << QStringLiteral("face.jpg");
        QTest::newRow("none: the built-in cover") << QStringList() << QString();
    }

    void cover()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, chosen);
        const QString folder = m_home->file(QStringLiteral("书"));
        const QString book = writeFile(folder + QStringLiteral("/三国.txt"), "x");
        QImage picture(30, 40, QImage::Format_RGB32);
        picture.fill(Qt::red);
        for (QString name : files) {
            const bool empty = name.startsWith(QLatin1Char('!'));
            name.remove(QLatin1Char('!'));
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, QFileInfo(name).suffix().toUpper().toLatin1().constData());
            writeFile(folder + QLatin1Char('/') + name, empty ? QByteArray() : bytes);
        }
        QCOMPARE(BookInfoPanel::CoverFileFor(book),
                 chosen.isEmpty() ? QString() : folder + QLatin1Char('/') + chosen);

        BookText text;
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(text.OpenBook(book, &window, 300, 400));
        BookInfoPanel panel(nullptr, &text);
        panel.OnTimer();
        QVERIFY(panel.CoverLoaded());
        QVERIFY(m_prompts->messages.isEmpty());
    }

    void infoPanelRebuilds()
    {
        const QString path = writeFile(m_home->file(QStringLiteral("Novel.txt")),
                                       divadtest::novelText(70000, QStringLiteral("标记")));
        BookText text;
        QImage window(1, 1, QImage::Format_RGB32);
        QVERIFY(text.OpenBook(path, &window, 300, 400));
        BookInfoPanel panel(nullptr, &text);
        QCOMPARE(panel.Rebuilds(), 0);
        panel.OnTimer();
        QCOMPARE(panel.Rebuilds(), 1);
        QCOMPARE(panel.VolumeList()->count(), text.VolumeCount());
        QVERIFY(panel.VolumeList()->item(0)->text().startsWith(QStringLiteral("第1卷 第1章标记")));
        // The continuation line and the blanks are gone from the excerpts.
        QVERIFY(!panel.VolumeList()->item(1)->text().contains(QStringLiteral("接上一卷")));
        QVERIFY(!panel.VolumeList()->item(1)->text().contains(QStringLiteral("　")));
        QVERIFY(panel.InfoLabel()->text().endsWith(QStringLiteral("共分%1卷").arg(text.VolumeCount())));

        // The same book by another spelling is no reason to rebuild.
        panel.OnTimer();
        QCOMPARE(panel.Rebuilds(), 1);
        text.SplitVolumes(divadtest::novelText(5000));
        panel.OnTimer();
        QCOMPARE(panel.Rebuilds(), 2);

        panel.VolumeList()->setCurrentRow(0);
        QCoreApplication::processEvents();
        QCOMPARE(m_main->volumes, QList<int> { 0 });
    }

    void pictures()
    {
        CPicture picture;
        QVERIFY(picture.LoadFromResource(151, QStringLiteral("JPG")));
        QVERIFY(picture.Width() > 100 && picture.Height() > 100);
        QVERIFY(!picture.LoadFromResource(152, QStringLiteral("JPG")));
        QCOMPARE(m_prompts->messages.value(0), QStringLiteral("FindResource() Failed\t"));
        QCOMPARE(m_prompts->captions.value(0), QStringLiteral("CPicture Error"));

        // Bytes that hold no picture, and a header that promises too much.
        QVERIFY(picture.LoadFromMemory("not a picture at all"));
        QVERIFY(!picture.IsLoaded());
        QVERIFY(!picture.LoadFromFile(writeFile(m_home->file(QStringLiteral("face.jpg")),
                                                "not a picture at all")));
        QByteArray bomb;
        {
            QImage small(8, 8, QImage::Format_RGB32);
            small.fill(Qt::blue);
            QBuffer buffer(&bomb);
            buffer.open(QIODevice::WriteOnly);
            small.save(&buffer, "PNG");
        }
        // Width and height of the PNG header, made 60000 x 60000.
        bomb[16] = 0; bomb[17] = 0; bomb[18] = char(0xEA); bomb[19] = 0x60;
        bomb[20] = 0; bomb[21] = 0; bomb[22] = char(0xEA); bomb[23] = 0x60;
        char crc[4];
        qToBigEndian<quint32>(TestSupport::crc32(bomb.mid(12, 17)), crc);
        bomb.replace(29, 4, crc, 4);
        picture.LoadFromMemory(bomb);
        QVERIFY(!picture.IsLoaded());
        QVERIFY(!picture.LoadFromFile(m_home->file(QStringLiteral("missing.jpg"))));
        QCOMPARE(m_prompts->messages.size(), 2);
    }

    void shareDialog()
    {
        const QString fixed = m_home->file(QStringLiteral("fixed"));
        const QString stick = m_home->file(QStringLiteral("stick"));
        QDir().mkpath(fixed);
        QDir().mkpath(stick);
        QStringList drives { fixed };
        ShareDialog::SetDriveSource([&drives] { return drives; },
                                    [stick](const QString &root) { return root == stick; });
        writeFile(ProgramFolderFile(Const::HelpBook), "help");
        QDir().mkpath(ProgramFolderFile(Const::SkinsFolder));
        writeFile(ProgramFolderFile(Const::SkinsFolder) + QStringLiteral("/mine.bmp"), "bmp");

        ShareDialog dialog;
        QVERIFY(dialog.OnlineChoice()->isChecked());
        QVERIFY(!dialog.DriveList()->isEnabled());
        QVERIFY(!dialog.CopyButton()->isEnabled());
        QCOMPARE(dialog.TextEdit()->toPlainText(), ShareDialog::RecommendationText().replace(QLatin1String("\r\n"), QLatin1String("\n")));
        QCOMPARE(dialog.Link()->Url(), QStringLiteral("http://127.0.0.1:9/soft/89512.htm"));
        dialog.DriveChoice()->setChecked(true);
        QVERIFY(dialog.CopyButton()->isEnabled());

        // No removable drive: listed, none chosen.
        QCOMPARE(dialog.DriveList()->count(), 1);
        QCOMPARE(dialog.DriveList()->currentIndex(), -1);
        dialog.CopyToDrive();
        QCOMPARE(m_prompts->messages.value(0), QStringLiteral("没有选择盘符"));

        // A stick comes in: the list follows within a tick and picks it.
        drives << stick;
        QTRY_COMPARE_WITH_TIMEOUT(dialog.DriveList()->count(), 2, 1500);
        QCOMPARE(dialog.DriveList()->currentText(), stick);
        dialog.CopyToDrive();
        QCOMPARE(m_prompts->messages.value(1), QStringLiteral("拷贝成功!"));
        const QString copied = stick + QLatin1Char('/') + Const::ProductTitle;
        QVERIFY(QFileInfo::exists(copied + QLatin1Char('/') + Const::HelpBook));
        QVERIFY(QFileInfo::exists(copied + QStringLiteral("/skins/mine.bmp")));
        QVERIFY(QFileInfo::exists(copied + QLatin1Char('/') + FileNameOfPath(ProgramPath())));

        dialog.CopyTextToClipboard();
        QCOMPARE(QApplication::clipboard()->text(), dialog.TextEdit()->toPlainText());
    }

    void webPageWindows()
    {
        QPointer<WebPageWindow> first = WebPageWindow::Open(
                QStringLiteral("网上搜书"), QStringLiteral("http://127.0.0.1:9/"), 700, 500);
        QPointer<WebPageWindow> second = WebPageWindow::Open(
                QStringLiteral("网上搜书"), QStringLiteral("http://127.0.0.1:9/"), 0, 0);
        QCOMPARE(WebPageWindow::LiveCount(), 2);
        QCOMPARE(first->size(), QSize(700, 500));
        QCOMPARE(first->windowTitle(), QStringLiteral("网上搜书"));
        QCOMPARE(first->Banner()->geometry(), QRect(10, 10, 680, 120));
        QCOMPARE(first->MainPage()->geometry(), QRect(10, 140, 680, 350));
        QCOMPARE(second->size(), QSize(828, 606));
        first->close();
        QTest::keyClick(second, Qt::Key_Escape);
        QTRY_VERIFY(!first && !second);
        QCOMPARE(WebPageWindow::LiveCount(), 0);
    }
};

VL_TEST_WIDGETS_MAIN(TestDivadPanels)
#include "tst_divadpanels.moc"
