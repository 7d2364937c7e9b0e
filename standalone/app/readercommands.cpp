// The command half of the reading window: the context menu built afresh on
// every right click, the commands it and the developer buttons send, and
// the dialogs those commands open.

#include "standalone/app/readerdialog.h"

#include "standalone/app/aboutdialog.h"
#include "standalone/gfx/drawing.h"
#include "standalone/gfx/messageoverlay.h"
#include "standalone/gfx/trayicon.h"
#include "standalone/panels/sharedialog.h"
#include "standalone/panels/sidebar.h"
#include "standalone/settings/cinifile.h"
#include "standalone/settings/crecentfiles.h"
#include "standalone/settings/readersettings.h"
#include "standalone/text/booktext.h"
#include "standalone/text/cbookinfostore.h"
#include "standalone/util/ansi.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/prompts.h"
#include "standalone/util/shell.h"
#include "standalone/util/strutil.h"
#include "standalone/web/constants.h"

#include <QDir>
#include <QFontInfo>
#include <QMenu>
#include <QUrl>

namespace divad {

namespace {

    QAction *addCommand(QMenu *menu, const QString &text, int command)
    {
        QAction *action = menu->addAction(text);
        action->setData(command);
        return action;
    }

    QAction *addChecked(QMenu *menu, const QString &text, int command, bool checked)
    {
        QAction *action = addCommand(menu, text, command);
        action->setCheckable(true);
        action->setChecked(checked);
        return action;
    }

    void inform(QObject *owner, const QString &text, MessageIcon icon = MessageIcon::None)
    {
        MessageRequest request;
        request.owner = owner;
        request.text = text;
        request.icon = icon;
        ShowMessage(request);
    }

    QString lastReadFile()
    {
        return CIniFile(Const::CfgIni, QStringLiteral("global")).ReadString(QStringLiteral("lastreadfile"));
    }

    QString sizeNote(qint64 bytes)
    {
        if (bytes >= 1048576)
            return QStringLiteral(" (") + QString::number(bytes / 1048576.0, 'f', 2)
                    + QStringLiteral("MB)");
        if (bytes >= 1024)
            return QStringLiteral(" (") + QString::number(bytes / 1024.0, 'f', 2)
                    + QStringLiteral("KB)");
        return QString();
    }

} // namespace

QMenu *ReaderDialog::BuildContextMenu()
{
    BookText &book = bookText();
    CRecentFiles &recent = recentFiles();
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ContextMenu"));

    addCommand(menu, QStringLiteral("打开新书(&O)..."), 3000);
    QMenu *recentMenu = menu->addMenu(QStringLiteral("最近读的"));
    int used = 0;
    for (int i = 0; i < CRecentFiles::Capacity; ++i) {
        const QString path = recent.GetAt(i);
        if (path.toUtf8().size() <= 2)
            continue;
        addCommand(recentMenu, path, 3010 + i);
        ++used;
    }
    if (used > 0)
        recentMenu->addSeparator();
    addCommand(recentMenu, QStringLiteral("清除记录"), 3100);
    addChecked(recentMenu, QStringLiteral("退出程序时自动清除记录"), 3101, recent.ClearOnExit());

    const QString previous = BookText::FindSiblingBook(CurrentBookPath(), true);
    const QString next = BookText::FindSiblingBook(CurrentBookPath(), false);
    if (!previous.isEmpty() || !next.isEmpty()) {
        QMenu *smart = menu->addMenu(QStringLiteral("智能开启(&S)"));
        if (!previous.isEmpty())
            addCommand(smart, QStringLiteral("上一本(&P)：") + FileNameOfPath(previous), 6000);
        if (!next.isEmpty())
            addCommand(smart, QStringLiteral("下一本(&N)：") + FileNameOfPath(next), 6001);
    }
    const QString last = lastReadFile();
    if (SamePath(CurrentBookPath(), HelpBookPath()) && LooksLikePath(last)) {
        QMenu *justRead = menu->addMenu(QStringLiteral("刚才读的"));
        addCommand(justRead, FileNameOfPath(last), 3051);
    }
    addCommand(menu, QStringLiteral("刷新(&R)"), 3050);
    addCommand(menu, QStringLiteral("查看剪切板(&V)"), 7001);
    addCommand(menu, QStringLiteral("下载电子书..."), 9000);
    if (book.VolumeCount() > 1) {
        menu->addSeparator();
        addCommand(menu, QStringLiteral("上一卷"), 3005)->setEnabled(book.CurrentVolume() > 0);
        addCommand(menu, QStringLiteral("下一卷"), 3004)
                ->setEnabled(book.CurrentVolume() < book.VolumeCount() - 1);
        addCommand(menu, QStringLiteral("跳卷..."), 8000);
    }
    menu->addSeparator();
    int index = -1;
    const bool marked = bookInfoStore().FindBookmark(CurrentVolume(), Geometry().spread, &index);
    addCommand(menu, marked ? QStringLiteral("取消书签(&B)") : QStringLiteral("插入书签(&B)..."),
               5000);
    const int bookmarks = bookInfoStore().BookmarkCount();
    if (bookmarks > 0) {
        QMenu *jump = menu->addMenu(QStringLiteral("跳转到书签"));
        for (int i = 0; i < qMin(bookmarks, MaximumBookmarks); ++i) {
            const PositionEntry entry = bookInfoStore().GetBookmark(i);
            const QString volume = book.VolumeCount() >= 2
                    ? QStringLiteral("第") + QString::number(entry.volume + 1) + QStringLiteral("卷，")
                    : QString();
            addCommand(jump,
                       QStringLiteral("[") + QString::number(i + 1) + QStringLiteral("]-") + volume
                               + QStringLiteral("第") + QString::number(2 * entry.spread + 1)
                               + QStringLiteral("页，")
                               + Ansi::toUnicode(CBookInfoStore::GetNote(entry)),
                       5001 + i);
        }
    }
    menu->addSeparator();
    addCommand(menu, QStringLiteral("¤ - 网上讨论当前书籍..."), 9500);
    menu->addSeparator();
    QMenu *skins = menu->addMenu(QStringLiteral("换肤"));
    const int skin = readerSettings().SkinIndex();
    for (int i = 0; i < Const::MenuSkinCount; ++i)
        addChecked(skins, Const::SkinName(i), 4000 + i, i == skin);
    skins->addSeparator();
    addCommand(skins, Const::CustomBackgroundMenuText, 4009);

    QMenu *settingsMenu = menu->addMenu(QStringLiteral("设置"));
    addCommand(settingsMenu, QStringLiteral("字体设置(&F)..."), 7000);
    addCommand(settingsMenu, QStringLiteral("行间距设置..."), 9006);
    QMenu *animation = settingsMenu->addMenu(QStringLiteral("翻页动画"));
    const ReaderSettings &settings = readerSettings();
    addChecked(animation, QStringLiteral("快"), 9007, settings.AnimationFast());
    addChecked(animation, QStringLiteral("中"), 9008, settings.AnimationMedium());
    addChecked(animation, QStringLiteral("慢"), 9009, settings.AnimationSlow());
    addChecked(animation, QStringLiteral("禁用"), 9010, settings.AnimationDisabled());
    QMenu *sound = settingsMenu->addMenu(QStringLiteral("翻页声音"));
    addChecked(sound, QStringLiteral("开启"), 9100, settings.PageSoundOn());
    addChecked(sound, QStringLiteral("关闭"), 9101, settings.PageSoundOff());
    settingsMenu->addSeparator();
    addCommand(settingsMenu, QStringLiteral("放大界面(5%)"), 9002);
    addCommand(settingsMenu, QStringLiteral("缩小界面(5%)"), 9003);
    addCommand(settingsMenu, QStringLiteral("快速放大(15%)"), 9004);
    addCommand(settingsMenu, QStringLiteral("快速缩小(15%)"), 9005);
    menu->addSeparator();
    QMenu *shell = menu->addMenu(QStringLiteral("Shell"));
    addCommand(shell, QStringLiteral("用记事本打开"), 3008);
    addCommand(shell, QStringLiteral("用关联程序打开"), 3103);
    addCommand(shell, QStringLiteral("打开所在文件夹"), 3009);
    addCommand(shell, QStringLiteral("查看编码信息"), 3102);
    QMenu *tools = menu->addMenu(QStringLiteral("工具"));
    addCommand(tools, QStringLiteral("和朋友分享本软件..."), 9001);
    addCommand(tools, QStringLiteral("网上搜书...(搜txt并下载)"), 9501);
    addCommand(tools, QStringLiteral("网络取书...(把在线电子书抓取到本地)"), 9502);
    addCommand(tools, QStringLiteral("网上购书...(搜索并购买)"), 9503);
    menu->addSeparator();
    addCommand(menu, QStringLiteral("说明(&H)"), 3002);
    addCommand(menu, QStringLiteral("关于(&A)..."), 3001);
    menu->addSeparator();
    addCommand(menu, QStringLiteral("最小化到托盘(&T)"), 3007);
    addCommand(menu, QStringLiteral("最小化(&M)"), 3006);
    addCommand(menu, QStringLiteral("退出(&X)"), 3003);
    return menu;
}

void ReaderDialog::ShowContextMenu(const QPoint &globalPosition)
{
    QMenu *menu = BuildContextMenu();
    QAction *chosen = m_menuChooser ? m_menuChooser(menu, globalPosition)
                                    : menu->exec(globalPosition);
    const int command = chosen && chosen->isEnabled() ? chosen->data().toInt() : 0;
    delete menu;
    if (command != 0)
        OnCommand(command);
}

void ReaderDialog::OnCommand(int command)
{
    if (command >= 1001 && command <= 1013) {
        onDeveloperButton(command);
        return;
    }
    if (command >= 3010 && command <= 3014) {
        OpenBook(recentFiles().GetAt(command - 3010));
        return;
    }
    if (command >= 4000 && command <= 4008) {
        readerSettings().SetSkinIndex(command - 4000);
        readerSettings().WriteSettings(CurrentBookPath());
        return;
    }
    if (command >= 5001 && command <= 5010) {
        goToBookmark(command - 5001);
        return;
    }
    switch (command) {
    case 3000:
        openFileDialog();
        break;
    case 3001: {
        AboutDialog about(this);
        about.exec();
        break;
    }
    case 3002:
        OpenHelp();
        break;
    case 3003:
        bookText().ReleaseVolumeCanvas();
        QMetaObject::invokeMethod(this, "reject", Qt::QueuedConnection);
        break;
    case 3004:
        NextVolume();
        break;
    case 3005:
        PreviousVolume();
        break;
    case 3006:
        showMinimized();
        break;
    case 3007:
        MinimizeToTray(this);
        break;
    case 3008:
        ShellEditText(CurrentBookPath());
        break;
    case 3009:
        openBookFolder();
        break;
    case 3050:
        OpenBook(CurrentBookPath());
        break;
    case 3051:
        OpenBook(lastReadFile());
        break;
    case 3100:
        recentFiles().ClearAll();
        recentFiles().Save();
        break;
    case 3101:
        recentFiles().SetClearOnExit(!recentFiles().ClearOnExit());
        recentFiles().Save();
        break;
    case 3102:
        inform(this, FileInformation(), MessageIcon::Information);
        break;
    case 3103:
        ShellOpenFile(CurrentBookPath());
        break;
    case 4009:
        chooseOwnPicture();
        break;
    case 5000:
        insertOrRemoveBookmark();
        break;
    case 6000:
    case 6001: {
        const QString sibling = BookText::FindSiblingBook(CurrentBookPath(), command == 6000);
        if (!sibling.isEmpty())
            OpenBook(sibling);
        break;
    }
    case 7000:
        chooseFont();
        break;
    case 7001:
        openClipboardBook();
        break;
    case 8000:
        askJumpToVolume();
        break;
    case 9000:
        sideBarHost().Show(true);
        sideBarHost().SaveVisible(true);
        break;
    case 9001: {
        ShareDialog share(this);
        share.exec();
        break;
    }
    case 9002:
        ZoomStep(5);
        break;
    case 9003:
        ZoomStep(-5);
        break;
    case 9004:
        ZoomStep(15);
        break;
    case 9005:
        ZoomStep(-15);
        break;
    case 9006:
        if (readerSettings().AskLineSpacing(this)) {
            readerSettings().WriteSettings(CurrentBookPath());
            OpenBook(CurrentBookPath());
        }
        break;
    case 9007:
    case 9008:
    case 9009:
    case 9010: {
        static const int speeds[] = { 1, 0, -1, -2 };
        readerSettings().SetAnimationSpeed(speeds[command - 9007]);
        readerSettings().WriteSettings(CurrentBookPath());
        break;
    }
    case 9100:
    case 9101:
        readerSettings().SetPageSound(command == 9100);
        readerSettings().WriteSettings(CurrentBookPath());
        break;
    case 9500: {
        const QString title = bookTitleForQuery();
        if (!title.isEmpty())
            openWebPage(QStringLiteral("网上讨论:《") + title + QStringLiteral("》"),
                        DiscussionAddress(title));
        break;
    }
    case 9501:
        openWebPage(QStringLiteral("网上搜书"), Const::BookSearchSite() + QLatin1Char('/'));
        break;
    case 9502:
        openWebPage(QStringLiteral("网络取书 - 把在线电子书抓取、下载到本地"),
                    Const::FetchService() + QLatin1Char('/'));
        break;
    case 9503:
        openWebPage(QStringLiteral("网上购书"), Const::BuyBooksPage());
        break;
    default:
        break;
    }
}

QString ReaderDialog::bookTitleForQuery() const
{
    QString title = bookText().BookDisplayName();
    if (Ansi::widthOf(title) > 2 && title.startsWith(QStringLiteral("《"))) {
        title.remove(0, 1);
        title.remove(QStringLiteral("》"));
    }
    return title;
}

QString ReaderDialog::DiscussionAddress(const QString &bookTitle)
{
    // Every byte of the title that is not a plain letter, digit or one of
    // "-._~" is percent-encoded, so "&", "#", "+", "%" and blanks in a
    // title stay part of the query.
    const QByteArray encoded = Ansi::fromUnicode(bookTitle).toPercentEncoding();
    return Const::DiscussionSite() + QStringLiteral("/f?kw=") + QString::fromLatin1(encoded)
            + QLatin1Char('#');
}

QString ReaderDialog::FileInformation() const
{
    static const char *const encodings[] = { "ANSI", "UTF8", "Unicode", "Unicode Big Endian" };
    const int encoding = int(bookText().Encoding());
    const qint64 size = FileSize64(CurrentBookPath());
    return QStringLiteral("文件路径：") + CurrentBookPath() + QStringLiteral("\r\n文件大小：")
            + QString::number(size) + QStringLiteral("字节") + sizeNote(size)
            + QStringLiteral("\r\n编码方式：")
            + (encoding >= 0 && encoding <= 3 ? QString::fromLatin1(encodings[encoding]) : QString());
}

void ReaderDialog::insertOrRemoveBookmark()
{
    PositionEntry entry;
    entry.volume = CurrentVolume();
    entry.spread = Geometry().spread;
    int index = -1;
    CBookInfoStore &store = bookInfoStore();
    if (store.FindBookmark(entry.volume, entry.spread, &index)) {
        store.RemoveBookmark(index);
        update();
        return;
    }
    if (store.BookmarkCount() >= MaximumBookmarks) {
        inform(this, QStringLiteral("书签已满"));
        return;
    }
    QString note;
    if (!AskText(this, Const::ProgramName + QStringLiteral(" - 添加书签"),
                 QStringLiteral("请输入书签注释"), &note))
        return;
    if (note.isEmpty())
        note = QStringLiteral("无注释");
    CBookInfoStore::SetNote(entry, Ansi::fromUnicode(note));
    store.AddOrUpdateBookmark(entry);
    update();
}

void ReaderDialog::goToBookmark(int index)
{
    if (index < 0 || index >= bookInfoStore().BookmarkCount())
        return;
    const PositionEntry entry = bookInfoStore().GetBookmark(index);
    if (entry.volume == CurrentVolume()) {
        JumpToSpread(entry.spread);
        PlayPageSoundIfOn();
    } else {
        JumpToVolume(entry.volume);
        JumpToSpread(entry.spread);
    }
}

void ReaderDialog::openFileDialog()
{
    QString folder = FolderOfPath(CurrentBookPath());
    if (SamePath(folder, DataFolder())) {
        folder = QDir::homePath();
        for (int i = 0; i < CRecentFiles::Capacity; ++i) {
            const QString other = FolderOfPath(recentFiles().GetAt(i));
            if (LooksLikePath(recentFiles().GetAt(i)) && !SamePath(other, DataFolder())) {
                folder = other;
                break;
            }
        }
    }
    OpenFileRequest request;
    request.owner = this;
    request.folder = folder;
    request.filter = Const::OpenFileFilter;
    request.defaultExtension = QStringLiteral("*.txt");
    const QString path = AskOpenFileName(request);
    if (!path.isEmpty())
        GuardedOpen(path);
}

void ReaderDialog::openBookFolder()
{
    const QString path = CurrentBookPath();
    if (SamePath(FolderOfPath(path), DataFolder())) {
        inform(this, QStringLiteral("系统") + StripExtension(FileNameOfPath(path)));
        return;
    }
    ShellOpenFolder(FolderOfPath(path));
}

void ReaderDialog::chooseOwnPicture()
{
    const QString current = CIniFile(Const::CfgIni, QStringLiteral("global")).ReadString(Const::SkinFileKey);
    QString folder = FolderOfPath(current);
    if (folder.size() < 3)
        folder = ProgramFolderFile(Const::SkinsFolder);
    OpenFileRequest request;
    request.owner = this;
    request.folder = folder;
    request.filter = QStringLiteral("*.bmp|*.bmp||");
    request.defaultExtension = QStringLiteral(".bmp");
    const QString path = AskOpenFileName(request);
    if (path.isEmpty())
        return;
    CIniFile(Const::CfgIni, QStringLiteral("global")).WriteString(Const::SkinFileKey, path);
    readerSettings().SetSkinIndex(Const::CustomSkinIndex);
    ReloadSkinPictures();
    readerSettings().WriteSettings(CurrentBookPath());
    update();
}

void ReaderDialog::chooseFont()
{
    ReaderSettings &settings = readerSettings();
    QFont initial = settings.BookFont();
    QFont chosen;
    if (!AskFont(this, initial, &chosen))
        return;
    if (!AskOkCancel(this,
                     QStringLiteral("改变字体可能导致您必须手动寻找刚才看书的位置和重新编排书签，确定改变字体吗？")))
        return;
    // The dialog speaks points; the book is laid out in pixels.
    const int pixels = chosen.pixelSize() > 0 ? chosen.pixelSize() : QFontInfo(chosen).pixelSize();
    settings.SetFontFace(chosen.family());
    settings.SetFontHeight(pixels);
    settings.WriteSettings(CurrentBookPath());
    OpenBook(CurrentBookPath());
    settings.RecreateLabelFont();
    update();
}

void ReaderDialog::openClipboardBook()
{
    const QString path = ProgramFolderFile(Const::ClipboardBook);
    SaveClipboardText(path);
    OpenBook(path);
    messageOverlay().Show(QStringLiteral("正在搜索上次看书的位置：\r\n卷1  页1"), 5000);
    repaint();
    PumpMessages();
    bookText().LayoutVolume(0, this, BookText::PageTextWidth(), Geometry().TextAreaHeight());
    bookText().SetCurrentSpread(0);
    messageOverlay().Clear();
    JumpToSpread(0);
}

void ReaderDialog::askJumpToVolume()
{
    QString answer;
    if (!AskText(this, Const::ProgramName + QStringLiteral(" - 跳卷"),
                 QStringLiteral("请输入要跳到的卷号"), &answer))
        return;
    JumpToVolume(ParseInt(answer) - 1);
    JumpToSpread(0);
}

void ReaderDialog::onDeveloperButton(int id)
{
    switch (id) {
    case 1:
        break;
    case 2:
        reject();
        break;
    case 1001:
        inform(this, QString::number(width()));
        inform(this, QString::number(height()));
        break;
    case 1002:
        runOrQueue([this] { NextSpread(); });
        break;
    case 1003:
        runOrQueue([this] { PreviousSpread(); });
        break;
    case 1004:
        bookText().SetCurrentSpread(CurrentSpread() + 10);
        break;
    case 1005:
        bookText().SetCurrentSpread(CurrentSpread() - 10);
        break;
    case 1006: {
        const QFontMetrics metrics(font());
        const QRect box = metrics.boundingRect(QStringLiteral("测试文字高度ABCabc"));
        inform(this, QString::number(box.height()) + QLatin1Char(' ') + QString::number(box.width()));
        break;
    }
    case 1009:
        inform(this, QString::number(BookText::PageTextWidth()));
        break;
    case 1010: {
        const BookGeometry g = Geometry();
        inform(this, QStringLiteral(" left son page rect ")
                       + RectToText(g.leftText.left, g.leftText.top, g.leftText.right,
                                    g.leftText.bottom)
                       + QStringLiteral("\n right son page rect ")
                       + RectToText(g.rightText.left, g.rightText.top, g.rightText.right,
                                    g.rightText.bottom));
        break;
    }
    case 1011:
        inform(this, QString::number(QByteArray("\n").size()));
        inform(this, QString::number(Ansi::fromUnicode(QStringLiteral("中")).size()));
        break;
    case 1012:
        runOrQueue([this] { NextVolume(); });
        break;
    case 1013:
        runOrQueue([this] { PreviousVolume(); });
        break;
    default:
        break;
    }
}

} // namespace divad
