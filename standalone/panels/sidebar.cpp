#include "standalone/panels/sidebar.h"

#include "standalone/panels/bookinfopanel.h"
#include "standalone/panels/filebrowserpanel.h"
#include "standalone/settings/cinifile.h"
#include "standalone/util/dialogunits.h"
#include "standalone/util/strutil.h"
#include "standalone/web/chtmlctrl.h"
#include "standalone/web/constants.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTimerEvent>
#include <QToolButton>

namespace divad {

namespace {

    QRect units(int x, int y, int w, int h)
    {
        return DialogRect(DialogFont::SongTi9, x, y, w, h);
    }

    QWidget *mainWidget()
    {
        return qobject_cast<QWidget *>(MainWindow());
    }

    // Height of the window's frame and caption above and below its client
    // area.
    int frameExtra(const QWidget *window)
    {
        return window->frameGeometry().height() - window->geometry().height();
    }

} // namespace

SideBarDialog::SideBarDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("SideBarDialog"));
    setFont(DialogFontOf(DialogFont::SongTi9));
    setWindowTitle(QStringLiteral("下载小说"));
    resize(DialogSize(DialogFont::SongTi9, 112, 416));

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("tab1027"));
    m_tabs->setGeometry(units(0, 0, 111, 15));
    m_tabs->setExpanding(true);
    m_back = new QPushButton(QStringLiteral("后退"), this);
    m_back->setObjectName(QStringLiteral("button1028"));
    m_back->setGeometry(units(5, 20, 30, 15));
    m_forward = new QPushButton(QStringLiteral("前进"), this);
    m_forward->setObjectName(QStringLiteral("button1029"));
    m_forward->setGeometry(units(40, 20, 30, 15));
    m_refresh = new QPushButton(QStringLiteral("刷新"), this);
    m_refresh->setObjectName(QStringLiteral("button1030"));
    m_refresh->setGeometry(units(75, 20, 30, 15));
    auto *placeholder = new QLabel(this);
    placeholder->setObjectName(QStringLiteral("static1017"));
    placeholder->setGeometry(units(0, 40, 110, 365));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress1026"));
    m_progress->setGeometry(units(0, 405, 110, 10));
    m_progress->setTextVisible(false);
    // The icon forms of the three web buttons, kept but never shown.
    const struct
    {
        const char *name;
        const char *icon;
        QRect place;
        QPushButton *same;
    } iconButtons[] = {
        { "button1014", ":/divad/images/icon142.png", units(5, 40, 25, 20), m_back },
        { "button1015", ":/divad/images/icon143.png", units(45, 40, 25, 20), m_forward },
        { "button1016", ":/divad/images/icon144.png", units(85, 40, 25, 20), m_refresh },
    };
    for (const auto &entry : iconButtons) {
        auto *button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setIcon(QIcon(QString::fromLatin1(entry.icon)));
        button->setGeometry(entry.place);
        button->hide();
        connect(button, &QToolButton::clicked, entry.same, &QPushButton::click);
    }
    auto *debug = new QPushButton(QStringLiteral("debug"), this);
    debug->setObjectName(QStringLiteral("button1018"));
    debug->setGeometry(units(95, 35, 15, 10));
    debug->hide();

    m_web = new CHtmlCtrl(this);
    if (m_web->CreateFromPlaceholder(QStringLiteral("static1017"), this))
        m_web->Navigate(HomeUrl());
    connect(m_back, &QPushButton::clicked, m_web, &CHtmlCtrl::GoBack);
    connect(m_forward, &QPushButton::clicked, m_web, &CHtmlCtrl::GoForward);
    connect(m_refresh, &QPushButton::clicked, m_web, [this] { m_web->Navigate(HomeUrl()); });

    setWindowTitle(QStringLiteral("电子书下载 - ") + Const::ProgramName);
    for (const char *name : { "下载", "浏览", "当前" })
        m_tabs->addTab(QString::fromUtf8(name));
    m_tabs->setGeometry(0, 0, width(), m_tabs->sizeHint().height());
    const int headerBottom = m_tabs->geometry().bottom() + 1;

    m_browser = new FileBrowserPanel(this);
    m_info = new BookInfoPanel(this);
    m_browser->move(0, headerBottom + 2);
    m_info->move(0, headerBottom + 2);

    const int saved = CIniFile(Const::CfgIni, QStringLiteral("leftbar"))
                              .ReadInt0(QStringLiteral("tabidx"));
    m_tabs->setCurrentIndex(qBound(0, saved, m_tabs->count() - 1));
    // A tab change is only remembered here; the pages follow at the tick.
    connect(m_tabs, &QTabBar::currentChanged, this, [](int index) {
        CIniFile(Const::CfgIni, QStringLiteral("leftbar")).WriteInt(QStringLiteral("tabidx"), index);
    });

    FitToMainWindow();
    m_timer.start(200, this);
}

SideBarDialog::~SideBarDialog() = default;

QString SideBarDialog::HomeUrl()
{
    return Const::SideBarPage();
}

void SideBarDialog::FitToMainWindow()
{
    const QWidget *main = mainWidget();
    if (!main)
        return;
    const int oldHeight = height();
    const int newHeight = qMax(1, main->frameGeometry().height() - frameExtra(this));
    resize(width(), newHeight);
    if (isVisible())
        raise();
    ResizeChildrenVertically(this, oldHeight, newHeight,
                             { static_cast<QWidget *>(m_web), m_browser }, { m_progress });
    if (m_info)
        ResizeChildrenVertically(m_info, oldHeight, newHeight, 
                                 { static_cast<QWidget *>(m_info->VolumeList()) }, {});
}

void SideBarDialog::ApplyTab()
{
    const int tab = m_tabs->currentIndex();
    for (QWidget *web : { static_cast<QWidget *>(m_web), static_cast<QWidget *>(m_progress),
                          static_cast<QWidget *>(m_back), static_cast<QWidget *>(m_forward),
                          static_cast<QWidget *>(m_refresh) }) {
        if (web)
            web->setVisible(tab == 0);
    }
    m_browser->setVisible(tab == 1);
    m_info->setVisible(tab >= 2);
    const char *caption = tab == 0 ? "e书下载-" : tab == 1 ? "目录浏览-" : "正在阅读-";
    setWindowTitle(QString::fromUtf8(caption) + Const::ProgramName);
}

void SideBarDialog::OnTick()
{
    m_progress->setRange(0, 100);
    m_progress->setValue(m_web ? int(m_web->LoadProgress()) : 0);
    ApplyTab();
}

void SideBarDialog::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer.timerId())
        OnTick();
    QDialog::timerEvent(event);
}

void SideBarDialog::reject()
{
    // Escape hides the side bar and leaves "DlgVisible" as it was.
    hide();
}

void SideBarDialog::closeEvent(QCloseEvent *event)
{
    sideBarHost().SaveVisible(false);
    hide();
    event->ignore();
}

void SideBarHost::Create()
{
    if (!m_sideBar)
        m_sideBar = new SideBarDialog(mainWidget());
}

void SideBarHost::PlaceBesideMain()
{
    const QWidget *main = mainWidget();
    if (!m_sideBar || !main)
        return;
    const QRect outer = main->frameGeometry();
    m_sideBar->move(outer.left() <= 150 ? 0 : outer.left() - 150, outer.top());
}

void SideBarHost::Show(bool visible)
{
    if (!m_sideBar) {
        if (!visible)
            return;
        Create();
        PlaceBesideMain();
    }
    m_sideBar->setVisible(visible);
    if (visible)
        m_sideBar->FitToMainWindow();
}

void SideBarHost::RestoreFromSettings()
{
    if (CIniFile(Const::CfgIni, QStringLiteral("DownBook")).ReadInt0(QStringLiteral("DlgVisible")))
        Show(true);
}

void SideBarHost::SaveVisible(bool visible)
{
    CIniFile(Const::CfgIni, QStringLiteral("DownBook"))
            .WriteInt(QStringLiteral("DlgVisible"), visible ? 1 : 0);
}

bool SideBarHost::IsVisible() const
{
    return m_sideBar && m_sideBar->isVisible();
}

void SideBarHost::Relayout()
{
    if (IsVisible())
        m_sideBar->FitToMainWindow();
}

void SideBarHost::Destroy()
{
    delete m_sideBar.data();
}

SideBarHost &sideBarHost()
{
    static SideBarHost host;
    return host;
}

} // namespace divad
