#include "standalone/panels/webpagewindow.h"

#include "standalone/util/dialogunits.h"
#include "standalone/web/chtmlctrl.h"
#include "standalone/web/constants.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>

namespace divad {

namespace {

    int &liveWindows()
    {
        static int count = 0;
        return count;
    }

    QRect units(int x, int y, int w, int h)
    {
        return DialogRect(DialogFont::System10, x, y, w, h);
    }

} // namespace

WebPageWindow::WebPageWindow(const QString &caption, const QString &address, int width,
                             int height)
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                               | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , m_caption(caption)
    , m_address(address)
{
    ++liveWindows();
    setObjectName(QStringLiteral("WebPageWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(DialogFontOf(DialogFont::System10));
    setWindowTitle(QStringLiteral("Dialog"));
    resize(DialogSize(DialogFont::System10, 414, 303));

    auto *bannerPlace = new QLabel(QStringLiteral("Static"), this);
    bannerPlace->setObjectName(QStringLiteral("static1040"));
    bannerPlace->setFrameShape(QFrame::Panel);
    bannerPlace->setGeometry(units(7, 7, 400, 41));
    auto *pagePlace = new QLabel(QStringLiteral("Static"), this);
    pagePlace->setObjectName(QStringLiteral("static1039"));
    pagePlace->setFrameShape(QFrame::Panel);
    pagePlace->setGeometry(units(7, 108, 400, 188));
    for (const auto &hidden : { std::make_pair(static_cast<QWidget *>(new QLineEdit(this)),
                                               units(395, 284, 12, 12)),
                                std::make_pair(static_cast<QWidget *>(
                                                       new QPushButton(QStringLiteral("OK"), this)),
                                               units(310, 282, 26, 14)),
                                std::make_pair(static_cast<QWidget *>(new QPushButton(
                                                       QStringLiteral("Cancel"), this)),
                                               units(258, 282, 25, 14)) }) {
        hidden.first->setGeometry(hidden.second);
        hidden.first->hide();
    }

    m_page = new CHtmlCtrl(this);
    if (m_page->CreateFromPlaceholder(QStringLiteral("static1039"), this))
        m_page->Navigate(m_address);
    m_banner = new CHtmlCtrl(this);
    if (m_banner->CreateFromPlaceholder(QStringLiteral("static1040"), this))
        m_banner->Navigate(Const::BannerPage());
    setWindowTitle(m_caption);
    layout(this->width(), this->height());
    if (width != 0 && height != 0)
        resize(width, height);
}

WebPageWindow::~WebPageWindow()
{
    --liveWindows();
}

int WebPageWindow::LiveCount()
{
    return liveWindows();
}

WebPageWindow *WebPageWindow::Open(const QString &caption, const QString &address, int width,
                                   int height)
{
    auto *window = new WebPageWindow(caption, address, width, height);
    window->show();
    return window;
}

void WebPageWindow::layout(int width, int height)
{
    if (m_banner)
        m_banner->setGeometry(10, 10, qMax(1, width - 20), 120);
    if (m_page)
        m_page->setGeometry(10, 140, qMax(1, width - 20), qMax(1, height - 150));
}

void WebPageWindow::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layout(event->size().width(), event->size().height());
    if (m_page) {
        m_page->show();
        m_page->update();
    }
}

SplashDialog::SplashDialog()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SplashDialog"));
    const QSize size = DialogSize(DialogFont::System10, 183, 200);
    setFixedSize(size);
    auto *picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/divad/images/splash140.png")));
    picture->setGeometry(0, 0, size.width(), size.height());
    picture->setFrameShape(QFrame::Box);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->geometry();
        move(available.center() - QPoint(size.width() / 2, size.height() / 2));
    }
}

SplashDialog::~SplashDialog() = default;

} // namespace divad
