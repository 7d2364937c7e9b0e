#include "reader/viewerpage.h"

#include "core/logger.h"
#include "reader/localnetworkaccess.h"

#include <QNetworkRequest>
#include <QWebFrame>
#include <QWebSettings>

ViewerPage::ViewerPage(QObject *parent)
    : QWebPage(parent)
    , m_access(new LocalNetworkAccess(this))
{
    setNetworkAccessManager(m_access);
    QWebSettings *page = settings();
    page->setAttribute(QWebSettings::JavascriptEnabled, false);
    page->setAttribute(QWebSettings::JavascriptCanOpenWindows, false);
    page->setAttribute(QWebSettings::JavascriptCanAccessClipboard, false);
    page->setAttribute(QWebSettings::PluginsEnabled, false);
    page->setAttribute(QWebSettings::JavaEnabled, false);
    page->setAttribute(QWebSettings::LocalContentCanAccessRemoteUrls, false);
    page->setAttribute(QWebSettings::LocalStorageEnabled, false);
    page->setAttribute(QWebSettings::OfflineStorageDatabaseEnabled, false);
    page->setAttribute(QWebSettings::OfflineWebApplicationCacheEnabled, false);
    page->setAttribute(QWebSettings::DnsPrefetchEnabled, false);
    page->setAttribute(QWebSettings::XSSAuditingEnabled, true);
    // Links are the view's to follow: it knows which ones lead inside the
    // book and asks before opening any other.
    setLinkDelegationPolicy(QWebPage::DelegateAllLinks);
}

ViewerPage::~ViewerPage() = default;

void ViewerPage::setAllowedFolders(const QStringList &folders)
{
    m_access->setAllowedFolders(folders);
}

QVariant ViewerPage::evaluate(const QString &script)
{
    // Evaluation is synchronous and dispatches no events of its own, so
    // nothing of the book's can run in the window in which scripting is on.
    QWebSettings *page = settings();
    ++m_evaluating;
    page->setAttribute(QWebSettings::JavascriptEnabled, true);
    const QVariant answer = mainFrame()->evaluateJavaScript(script);
    if (--m_evaluating == 0)
        page->setAttribute(QWebSettings::JavascriptEnabled, false);
    return answer;
}

bool ViewerPage::acceptNavigationRequest(QWebFrame *frame, const QNetworkRequest &request,
                                         NavigationType type)
{
    // Delegated link clicks are the view's; every other navigation must stay
    // inside the book.
    if (type != NavigationTypeLinkClicked && !m_access->isAllowed(request.url())
        && request.url() != QUrl(QStringLiteral("about:blank"))) {
        return false;
    }
    return QWebPage::acceptNavigationRequest(frame, request, type);
}

QObject *ViewerPage::createPlugin(const QString &classid, const QUrl &url,
                                  const QStringList &paramNames, const QStringList &paramValues)
{
    Q_UNUSED(classid)
    Q_UNUSED(url)
    Q_UNUSED(paramNames)
    Q_UNUSED(paramValues)
    return nullptr;
}

QWebPage *ViewerPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type)
    return nullptr;
}

void ViewerPage::javaScriptConsoleMessage(const QString &message, int lineNumber,
                                          const QString &sourceID)
{
    Logger::instance()->write(QStringLiteral("ViewerPage: script message %1:%2: %3")
                                      .arg(sourceID)
                                      .arg(lineNumber)
                                      .arg(message),
                              Logger::Debug);
}
