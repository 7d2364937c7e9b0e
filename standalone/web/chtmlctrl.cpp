#include "standalone/web/chtmlctrl.h"

#include "standalone/web/constants.h"

#include <QCoreApplication>
#include <QNetworkRequest>
#include <QWebFrame>
#include <QWebPage>

namespace divad {

namespace {

    std::function<void()> &exitHandler()
    {
        static std::function<void()> handler;
        return handler;
    }

    class HtmlPage : public QWebPage
    {
    public:
        HtmlPage(CHtmlCtrl *control)
            : QWebPage(control)
            , m_control(control)
        {
        }

    protected:
        bool acceptNavigationRequest(QWebFrame *frame, const QNetworkRequest &request,
                                     NavigationType type) override
        {
            // The page a link stands on is the frame's own address; a page
            // can claim any base address, so that is not asked.
            const QUrl source = frame ? frame->url() : QUrl();
            if (!m_control->OnBeforeNavigate2(request.url(), source))
                return false;
            return QWebPage::acceptNavigationRequest(frame, request, type);
        }

    private:
        CHtmlCtrl *m_control;
    };

} // namespace

CHtmlCtrl::CHtmlCtrl(QWidget *parent)
    : QWebView(parent)
{
    setPage(new HtmlPage(this));
    connect(page(), &QWebPage::loadProgress, this,
            [this](int percent) { OnProgressChange(percent, 100); });
}

CHtmlCtrl::~CHtmlCtrl() = default;

bool CHtmlCtrl::CreateFromPlaceholder(const QString &placeholderName, QWidget *parentDialog)
{
    if (!parentDialog)
        return false;
    QWidget *placeholder = parentDialog->findChild<QWidget *>(placeholderName);
    if (!placeholder || placeholder == this)
        return false;
    QWidget *parent = placeholder->parentWidget();
    const QRect place = placeholder->geometry();
    delete placeholder;
    setParent(parent);
    setObjectName(placeholderName);
    setGeometry(place);
    show();
    return true;
}

void CHtmlCtrl::Navigate(const QString &address)
{
    load(QUrl(address));
}

void CHtmlCtrl::GoBack()
{
    back();
}

void CHtmlCtrl::GoForward()
{
    forward();
}

bool CHtmlCtrl::OnBeforeNavigate2(const QUrl &target, const QUrl &sourcePage)
{
    const QString address = target.toString();
    if (!address.left(4).startsWith(QLatin1String("app:"), Qt::CaseInsensitive))
        return true;
    if (IsOwnPage(sourcePage))
        OnAppCommand(address.mid(4));
    return false;
}

void CHtmlCtrl::OnProgressChange(double progress, double maximum)
{
    m_loadProgress = maximum == 0 ? 0 : progress * 100.0 / maximum;
}

void CHtmlCtrl::OnAppCommand(const QString &command)
{
    if (!command.contains(QLatin1String("ok")))
        return;
    if (exitHandler())
        exitHandler()();
    else
        QCoreApplication::exit(0);
}

bool CHtmlCtrl::IsOwnPage(const QUrl &page)
{
    const QUrl home(Const::HomeAddress());
    if (!page.isValid() || page.host().isEmpty())
        return false;
    if (page.scheme() != QLatin1String("http") && page.scheme() != QLatin1String("https"))
        return false;
    return page.host().compare(home.host(), Qt::CaseInsensitive) == 0
            && page.port(80) == home.port(80);
}

void CHtmlCtrl::SetExitHandler(std::function<void()> handler)
{
    exitHandler() = std::move(handler);
}

} // namespace divad
