#include "standalone/app/readerdialog.h"

#include "standalone/gfx/messageoverlay.h"
#include "standalone/gfx/trayicon.h"
#include "standalone/panels/panelmessages.h"
#include "standalone/panels/sidebar.h"
#include "standalone/panels/webpagewindow.h"
#include "standalone/settings/cinifile.h"
#include "standalone/settings/crecentfiles.h"
#include "standalone/settings/readersettings.h"
#include "standalone/text/booktext.h"
#include "standalone/text/cbookinfostore.h"
#include "standalone/util/dialogunits.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/prompts.h"
#include "standalone/util/strutil.h"
#include "standalone/web/chtmlctrl.h"
#include "standalone/web/constants.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace divad {

const QSize ReaderDialog::DesignedSize = DialogSize(DialogFont::SongTi9, 616, 431);

// Marks a step that dispatches events itself; input arriving meanwhile is
// queued and runs after the outermost step.
class ReaderDialog::BusyScope
{
public:
    explicit BusyScope(ReaderDialog *dialog)
        : m_dialog(dialog)
    {
        ++m_dialog->m_busy;
    }
    ~BusyScope()
    {
        if (--m_dialog->m_busy == 0 && !m_dialog->m_queue.isEmpty()
            && !m_dialog->m_drainScheduled) {
            m_dialog->m_drainScheduled = true;
            QTimer::singleShot(0, m_dialog, &ReaderDialog::drainQueue);
        }
    }

private:
    ReaderDialog *m_dialog;
};

ReaderDialog::ReaderDialog(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_windowIcon(QStringLiteral(":/divad/images/icon128.png"))
{
    setObjectName(QStringLiteral("ReaderDialog"));
    setFont(DialogFontOf(DialogFont::SongTi9));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    resize(DesignedSize);

    // The developer controls: never shown, their commands still wired.
    const struct
    {
        int id;
        const char *text;
    } buttons[] = {
        { 1, "确定" },
        { 2, "取消" },
        { 1001, "获取主窗口的宽度高度" },
        { 1002, "下一页" },
        { 1003, "上一页" },
        { 1004, "下10页" },
        { 1005, "上10页" },
        { 1006, "GetTextHeight" },
        { 1009, "GetLogicalSonPageWidth" },
        { 1010, "GetLeftRightSonPageRect" },
        { 1011, "Len of Enter" },
        { 1012, "下一卷" },
        { 1013, "上一卷" },
    };
    for (const auto &entry : buttons) {
        auto *button = new QPushButton(QString::fromUtf8(entry.text), this);
        button->setObjectName(QStringLiteral("button%1").arg(entry.id));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->hide();
        const int id = entry.id;
        connect(button, &QPushButton::clicked, this, [this, id] { onDeveloperButton(id); });
    }
}

ReaderDialog::~ReaderDialog()
{
    CHtmlCtrl::SetExitHandler(nullptr);
    delete m_splash;
}

int ReaderDialog::CurrentSpread() const
{
    return bookText().CurrentSpread();
}

int ReaderDialog::SpreadCount() const
{
    return bookText().SpreadCount();
}

int ReaderDialog::CurrentVolume() const
{
    return bookText().CurrentVolume();
}

int ReaderDialog::VolumeCount() const
{
    return bookText().VolumeCount();
}

QString ReaderDialog::CurrentBookPath() const
{
    return bookText().CurrentPath();
}

BookGeometry ReaderDialog::Geometry()
{
    BookText &book = bookText();
    const int spread = BookGeometry::ClampSpread(book.CurrentSpread(), book.SpreadCount());
    book.SetCurrentSpread(spread);
    return BookGeometry::Compute(width(), height(), spread, book.SpreadCount());
}

QString ReaderDialog::HelpBookPath()
{
    return ProgramFolderFile(Const::HelpBook);
}

void ReaderDialog::OnInitDialog(const QString &openPath)
{
    // An "app:" link of the program's own pages ends the reader the
    // ordinary way, with everything saved.
    QPointer<ReaderDialog> self = this;
    CHtmlCtrl::SetExitHandler([self] {
        if (self)
            QMetaObject::invokeMethod(self, "reject", Qt::QueuedConnection);
    });
    readerSettings().LoadReaderSettings();
    setWindowIcon(m_windowIcon);
    bookText().SetCurrentSpread(0);
    m_foldLeft = m_foldRight = false;

    m_splash = new SplashDialog;
    m_splash->show();
    PumpMessages();

    ApplyZoom();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    const QString last = openPath.isEmpty()
            ? CIniFile(Const::CfgIni, QStringLiteral("global")).ReadString(QStringLiteral("lastreadfile"))
            : openPath;
    if (last.isEmpty() || !FileExists(last) || QFileInfo(last).isDir())
        OpenHelp();
    else
        GuardedOpen(last);

    readerSettings().InitSkinAndFonts(nullptr);

    delete m_splash;
    m_splash = nullptr;
    m_timer.start(500, this);
}

bool ReaderDialog::GuardedOpen(const QString &path)
{
    if (FileSize64(path) > LargeBookBytes) {
        const QString question = QStringLiteral("文件\r\n") + path + QStringLiteral("\r\n大于")
                + QString::number(LargeBookBytes / 1000000)
                + QStringLiteral("MB，读取较慢，确定继续吗？");
        if (!AskOkCancel(this, question))
            return false;
    }
    OpenBook(path);
    return true;
}

void ReaderDialog::OpenHelp()
{
    OpenBook(HelpBookPath());
}

bool ReaderDialog::StorePosition()
{
    PositionEntry entry;
    entry.volume = CurrentVolume();
    entry.spread = CurrentSpread();
    bookInfoStore().SetPosition(entry);
    m_savedVolume = entry.volume;
    m_savedSpread = entry.spread;
    m_sinceSave.start();
    const QString current = CurrentBookPath();
    if (current.isEmpty() || SamePath(current, HelpBookPath()))
        return false;
    recentFiles().Add(current);
    return true;
}

void ReaderDialog::OpenBook(const QString &path)
{
    const BusyScope busy(this);
    // The book being left is on disk at once: its position with the record
    // store's save below, the recent books here.
    if (StorePosition())
        recentFiles().Save();

    const int pageTextWidth = BookText::PageTextWidth();
    const int textHeight = Geometry().TextAreaHeight();
    // The model keeps the book that was open when this one cannot be read;
    // the rest of the steps would file that book under the new name.
    if (!bookText().OpenBook(path, this, pageTextWidth, textHeight)) {
        bookInfoStore().Save();
        return;
    }

    PumpMessages();
    readerSettings().SaveLastBook(path);
    bookInfoStore().SelectBook(path);
    const PositionEntry saved = bookInfoStore().GetPosition();
    if (saved.volume > 0 || saved.spread > 0) {
        const int volume = qBound(0, int(saved.volume), qMax(0, VolumeCount() - 1));
        messageOverlay().Show(QStringLiteral("正在搜索上次看书的位置：\r\n卷")
                                      + QString::number(volume + 1) + QStringLiteral("  页")
                                      + QString::number(2 * saved.spread + 1),
                              5000);
        repaint();
        PumpMessages();
        bookText().LayoutVolume(volume, this, BookText::PageTextWidth(), textHeight);
        bookText().SetCurrentSpread(saved.spread);
        messageOverlay().Clear();
    }
    m_savedVolume = CurrentVolume();
    m_savedSpread = CurrentSpread();

    ReloadSkinPictures();
    update();
    PumpMessages();
    PlayPageSoundIfOn();

    if (VolumeCount() >= 2) {
        // The notice comes two seconds later, as it always has; the window
        // stays responsive meanwhile.
        const QString book = CurrentBookPath();
        const QString notice = QStringLiteral("文件内容较长，被分为") + ToChineseNumeral(VolumeCount())
                + QStringLiteral("卷。用右键菜单中的【上一卷】【下一卷】命令可以切换卷");
        QTimer::singleShot(2000, this, [this, book, notice] {
            if (SamePath(book, CurrentBookPath())) {
                messageOverlay().Show(notice, 4000);
                update();
            }
        });
    }
}

void ReaderDialog::NextSpread()
{
    const BusyScope busy(this);
    const int spread = Geometry().spread;
    if (spread >= SpreadCount() - 1) {
        NextVolume();
        return;
    }
    PlayPageSound(true);
    PageTurn(true);
    bookText().SetCurrentSpread(CurrentSpread() + 1);
    update();
}

void ReaderDialog::PreviousSpread()
{
    const BusyScope busy(this);
    const int spread = Geometry().spread;
    if (spread <= 0) {
        PreviousVolume();
        return;
    }
    PlayPageSound(false);
    PageTurn(false);
    bookText().SetCurrentSpread(CurrentSpread() - 1);
    update();
}

void ReaderDialog::layoutVolumeWithMessage(int volume, bool message)
{
    if (message) {
        messageOverlay().Show(QStringLiteral("正在载入第") + QString::number(volume + 1)
                                      + QStringLiteral("卷 ..."),
                              4000);
        repaint();
        PumpMessages();
    }
    bookText().LayoutVolume(volume, this, BookText::PageTextWidth(), Geometry().TextAreaHeight());
    if (message)
        messageOverlay().Clear();
}

void ReaderDialog::NextVolume()
{
    if (CurrentVolume() < VolumeCount() - 1)
        stepVolume(1);
}

void ReaderDialog::PreviousVolume()
{
    if (CurrentVolume() > 0)
        stepVolume(-1);
}

void ReaderDialog::stepVolume(int step)
{
    const BusyScope busy(this);
    layoutVolumeWithMessage(CurrentVolume() + step, true);
    // Going back, the reader lands on the last spread of the volume.
    if (step < 0)
        bookText().SetCurrentSpread(SpreadCount() - 1);
    ReloadSkinPictures();
    update();
    PumpMessages();
    PlayPageSoundIfOn();
}

void ReaderDialog::JumpToVolume(int volume)
{
    const BusyScope busy(this);
    volume = qBound(0, volume, qMax(0, VolumeCount() - 1));
    layoutVolumeWithMessage(volume, VolumeCount() > 1);
    bookText().SetCurrentSpread(0);
    ReloadSkinPictures();
    update();
    PumpMessages();
    PlayPageSoundIfOn();
}

void ReaderDialog::JumpToSpread(int spread)
{
    const BusyScope busy(this);
    const int current = Geometry().spread;
    if (spread > current)
        PageTurn(true);
    else if (spread < current)
        PageTurn(false);
    bookText().SetCurrentSpread(spread);
    update();
}

void ReaderDialog::PlayPageSound(bool forward)
{
    const int spread = Geometry().spread;
    if ((forward && spread >= SpreadCount() - 1) || (!forward && spread <= 0))
        return;
    PlayPageSoundIfOn();
}

void ReaderDialog::PlayPageSoundIfOn()
{
    if (readerSettings().PageSoundOn())
        m_sound.Play();
}

void ReaderDialog::PageTurn(bool forward)
{
    ReaderSettings &settings = readerSettings();
    if (settings.AnimationDisabled())
        return;
    const int spread = Geometry().spread;
    if ((forward && spread >= SpreadCount() - 1) || (!forward && spread <= 0))
        return;
    const BusyScope busy(this);
    int steps = 5;
    if (settings.AnimationSlow())
        steps = 10;
    if (settings.AnimationMedium())
        steps = 5;
    if (settings.AnimationFast())
        steps = 3;
    const double step = 100.0 / steps;

    // Forward the right page folds in toward the spine, then the left one
    // opens out from it; backward the other way round.
    m_foldLeft = m_foldRight = false;
    takeTurnSnapshot();
    bool &first = forward ? m_foldRight : m_foldLeft;
    bool &second = forward ? m_foldLeft : m_foldRight;
    first = true;
    second = false;
    for (int k = steps; k >= 0; --k)
        showAnimationFrame(k, step);
    first = false;
    second = true;
    for (int k = 0; k <= steps; ++k)
        showAnimationFrame(k, step);
    m_foldLeft = m_foldRight = false;
    update();
}

void ReaderDialog::showAnimationFrame(int k, double step)
{
    m_turnPercent = int(k * step);
    if (m_turnPercent >= 100)
        m_turnPercent = int(m_turnPercent - step * 0.5);
    if (m_frameObserver)
        m_frameObserver();
    update();
    PumpMessages();
}

int ReaderDialog::screenDefaultZoom()
{
    // Small screens start at 70 % of the designed size.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        if (size.width() > 0 && size.height() > 0 && (size.width() <= 1024 || size.height() < 601))
            return -30;
    }
    return 0;
}

void ReaderDialog::ApplyZoom()
{
    if (!m_zoomApplied) {
        m_designedSize = size();
        m_zoomApplied = true;
    }
    const int screenDefault = screenDefaultZoom();
    const int percent = qBound(-50,
                               CIniFile(Const::CfgIni, QStringLiteral("maindlg"))
                                       .ReadInt(QStringLiteral("dlgsizeaddpercent"), screenDefault),
                               50);
    m_zoomPercent = percent;
    setFixedSize(int(m_designedSize.width() * (percent + 100) / 100.0),
                 int(m_designedSize.height() * (percent + 100) / 100.0));
}

void ReaderDialog::ZoomStep(int step)
{
    const CIniFile zoom(Const::CfgIni, QStringLiteral("maindlg"));
    const QString key = QStringLiteral("dlgsizeaddpercent");
    const int screenDefault = screenDefaultZoom();
    if (step == 5)
        zoom.WriteInt(key, qMin(zoom.ReadInt(key, screenDefault) + 5, 50));
    else if (step == -5)
        zoom.WriteInt(key, qMax(zoom.ReadInt(key, screenDefault) - 5, -50));
    else
        zoom.WriteInt(key, qMax(zoom.ReadInt(key, 0) + step, -50));
    ApplyZoom();
    OpenBook(CurrentBookPath());
    sideBarHost().Relayout();
}

void ReaderDialog::ReloadSkinPictures()
{
    const BookGeometry g = Geometry();
    m_skins.Reload(QSize(g.inner.width(), g.inner.height()), readerSettings().SkinIndex());
}

void ReaderDialog::ExitSave()
{
    readerSettings().SaveReaderSettings(CurrentBookPath());
    StorePosition();
    bookInfoStore().Save();
}

void ReaderDialog::done(int result)
{
    QDialog::done(result);
    if (m_closing)
        return;
    m_closing = true;
    m_timer.stop();
    ExitSave();
}

void ReaderDialog::runOrQueue(std::function<void()> action)
{
    if (m_busy > 0 || m_closing) {
        if (!m_closing)
            m_queue.append(std::move(action));
        return;
    }
    action();
}

void ReaderDialog::drainQueue()
{
    m_drainScheduled = false;
    while (!m_queue.isEmpty() && m_busy == 0 && !m_closing) {
        const std::function<void()> action = m_queue.takeFirst();
        action();
    }
}

bool ReaderDialog::event(QEvent *event)
{
    if (event->type() == OpenPendingPathEvent::eventType()) {
        runOrQueue([this] {
            const QString path = PathToOpen();
            if (!path.isEmpty())
                GuardedOpen(path);
        });
        return true;
    }
    if (event->type() == ShowVolumeEvent::eventType()) {
        const int volume = static_cast<ShowVolumeEvent *>(event)->volume;
        runOrQueue([this, volume] {
            if (volume != CurrentVolume())
                JumpToVolume(volume);
        });
        return true;
    }
    if (event->type() == TrayMessageEvent::eventType()) {
        const auto *tray = static_cast<TrayMessageEvent *>(event);
        if (tray->iconId != TrayIconId)
            return true;
        if (tray->mouseMessage == TrayMessageEvent::LeftDoubleClick)
            RestoreFromTray(this);
        else if (tray->mouseMessage == TrayMessageEvent::RightButtonUp)
            showTrayMenu();
        return true;
    }
    return QDialog::event(event);
}

void ReaderDialog::showTrayMenu()
{
    QMenu menu(this);
    QAction *close = menu.addAction(QStringLiteral("关闭"));
    QAction *chosen = m_menuChooser ? m_menuChooser(&menu, QCursor::pos()) : menu.exec(QCursor::pos());
    if (chosen == close)
        reject();
}

void ReaderDialog::mousePressEvent(QMouseEvent *event)
{
    m_mousePoint = event->pos();
    if (event->button() == Qt::RightButton) {
        const QPoint global = event->globalPos();
        runOrQueue([this, global] { ShowContextMenu(global); });
        return;
    }
    if (event->button() == Qt::LeftButton) {
        const BookGeometry g = Geometry();
        // Pages are where the window is held to move it.
        if ((g.leftText.contains(event->pos()) || g.rightText.contains(event->pos()))
            && windowHandle())
            windowHandle()->startSystemMove();
    }
    QDialog::mousePressEvent(event);
}

void ReaderDialog::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        onLeftButtonUp(event->pos());
    QDialog::mouseReleaseEvent(event);
}

void ReaderDialog::onLeftButtonUp(const QPoint &point)
{
    // What a click means is settled against the book as the user saw it;
    // carrying it out may have to wait for a turn in progress.
    m_mousePoint = point;
    const BookGeometry g = Geometry();
    const int target = g.SpreadUnder(m_mousePoint);
    if (target >= 0) {
        runOrQueue([this, target] {
            const BusyScope busy(this);
            const bool forward = target > Geometry().spread;
            PlayPageSound(forward);
            PageTurn(forward);
            bookText().SetCurrentSpread(target);
            update();
        });
    } else if (g.nextZone.contains(point)) {
        runOrQueue([this] { NextSpread(); });
    } else if (g.previousZone.contains(point)) {
        runOrQueue([this] { PreviousSpread(); });
    }
}

void ReaderDialog::mouseMoveEvent(QMouseEvent *event)
{
    m_mousePoint = event->pos();
    const BookGeometry g = Geometry();
    if (g.leftStack.contains(m_mousePoint) || g.rightStack.contains(m_mousePoint))
        update();
    QDialog::mouseMoveEvent(event);
}

void ReaderDialog::wheelEvent(QWheelEvent *event)
{
    m_wheelAngle += event->angleDelta().y();
    while (m_wheelAngle <= -120) {
        m_wheelAngle += 120;
        runOrQueue([this] { NextSpread(); });
    }
    while (m_wheelAngle >= 120) {
        m_wheelAngle -= 120;
        runOrQueue([this] { PreviousSpread(); });
    }
    event->accept();
}

void ReaderDialog::keyPressEvent(QKeyEvent *event)
{
    // Enter does nothing; Escape closes the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ReaderDialog::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat()) {
        QDialog::keyReleaseEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        runOrQueue([this] { PreviousSpread(); });
        break;
    case Qt::Key_Right:
    case Qt::Key_Space:
        runOrQueue([this] { NextSpread(); });
        break;
    case Qt::Key_T:
        runOrQueue([this] { OnCommand(3007); });
        break;
    case Qt::Key_Minus:
        runOrQueue([this] { ZoomStep(-5); });
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        if (!(event->modifiers() & Qt::KeypadModifier))
            runOrQueue([this] { ZoomStep(5); });
        break;
    default:
        break;
    }
    QDialog::keyReleaseEvent(event);
}

void ReaderDialog::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer.timerId())
        onTimer();
    QDialog::timerEvent(event);
}

void ReaderDialog::onTimer()
{
    update();
    setWindowTitle(FileNameOfPath(CurrentBookPath()));
    if (m_busy > 0)
        return;
    if (m_firstTick) {
        m_firstTick = false;
        sideBarHost().RestoreFromSettings();
    }
    // The position is on disk within a few seconds of every change, so
    // that a reader killed outright reopens where it was.
    if ((CurrentVolume() != m_savedVolume || CurrentSpread() != m_savedSpread)
        && (!m_sinceSave.isValid() || m_sinceSave.elapsed() >= m_positionSaveDelay)) {
        PositionEntry entry;
        entry.volume = CurrentVolume();
        entry.spread = CurrentSpread();
        bookInfoStore().SetPosition(entry);
        bookInfoStore().Save();
        m_savedVolume = entry.volume;
        m_savedSpread = entry.spread;
        m_sinceSave.start();
    }
}

void ReaderDialog::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ReaderDialog::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    const QString path = urls.first().toLocalFile();
    event->acceptProposedAction();
    runOrQueue([this, path] { DropFile(path); });
}

void ReaderDialog::DropFile(const QString &path)
{
    const QString name = FileNameOfPath(path);
    const QString extension
            = name.contains(QLatin1Char('.')) ? ExtensionOf(name).toUpper() : QString();
    if (extension.isEmpty())
        return;
    if (!Const::OpenFileFilter.toUpper().contains(extension)) {
        MessageRequest request;
        request.owner = this;
        request.text = QStringLiteral("不支持的文件格式");
        ShowMessage(request);
        return;
    }
    OpenBook(path);
}

void ReaderDialog::changeEvent(QEvent *event)
{
    // The sleepy face comes and goes with the focus.
    if (event->type() == QEvent::ActivationChange)
        update();
    QDialog::changeEvent(event);
}

bool ReaderDialog::isActive() const
{
    if (m_activeOverride >= 0)
        return m_activeOverride != 0;
    return isActiveWindow();
}

void ReaderDialog::openWebPage(const QString &caption, const QString &address)
{
    if (m_webPageOpener)
        m_webPageOpener(caption, address, width(), height());
    else
        WebPageWindow::Open(caption, address, width(), height());
}

} // namespace divad
