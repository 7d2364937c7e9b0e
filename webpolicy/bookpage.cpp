#include "webpolicy/bookpage.h"

#include "core/logger.h"
#include "core/paths.h"
#include "webpolicy/localnetworkaccess.h"

#include <QNetworkRequest>
#include <QWebFrame>
#include <QWebSettings>

BookPage::BookPage(QObject *parent)
    : QWebPage(parent)
    , m_access(new LocalNetworkAccess(this))
{
    setNetworkAccessManager(m_access);
    applyPolicy(settings());
}

BookPage::~BookPage() = default;

const char BookPage::WrappedAttribute[] = "data-vor-wrapped";

void BookPage::setLayoutHeld(bool held)
{
    if (!held) {
        settings()->setUserStyleSheetUrl(QUrl());
        return;
    }
    const QByteArray sheet = QByteArrayLiteral("html:not([") + WrappedAttribute
            + QByteArrayLiteral("]) body { display: none !important; }");
    settings()->setUserStyleSheetUrl(QUrl(QStringLiteral("data:text/css;charset=utf-8;base64,")
                                          + QString::fromLatin1(sheet.toBase64())));
}

void BookPage::applyPolicy(QWebSettings *settings)
{
    settings->setAttribute(QWebSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebSettings::JavascriptCanCloseWindows, false);
    settings->setAttribute(QWebSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebSettings::PluginsEnabled, false);
    settings->setAttribute(QWebSettings::JavaEnabled, false);
    // Media is fetched by the platform's player, past the page's own network
    // access: a book's audio or video could reach any address.
    settings->setAttribute(QWebSettings::MediaEnabled, false);
    settings->setAttribute(QWebSettings::MediaSourceEnabled, false);
    settings->setAttribute(QWebSettings::WebAudioEnabled, false);
    settings->setAttribute(QWebSettings::WebGLEnabled, false);
    settings->setAttribute(QWebSettings::NotificationsEnabled, false);
    settings->setAttribute(QWebSettings::FullScreenSupportEnabled, false);
    settings->setAttribute(QWebSettings::HyperlinkAuditingEnabled, false);
    settings->setAttribute(QWebSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebSettings::AllowRunningInsecureContent, false);
    settings->setAttribute(QWebSettings::LocalStorageEnabled, false);
    settings->setAttribute(QWebSettings::OfflineStorageDatabaseEnabled, false);
    settings->setAttribute(QWebSettings::OfflineWebApplicationCacheEnabled, false);
    // Name look-ups go to the system's resolver, past the network access.
    settings->setAttribute(QWebSettings::DnsPrefetchEnabled, false);
    settings->setAttribute(QWebSettings::XSSAuditingEnabled, true);
}

void BookPage::setAllowedFolders(const QStringList &folders)
{
    m_access->setAllowedFolders(folders);
}

void BookPage::setContentFolder(const QString &contentFolder)
{
    m_access->setAllowedFolders(readableFolders(contentFolder));
}

QStringList BookPage::readableFolders(const QString &contentFolder)
{
    if (contentFolder.isEmpty())
        return QStringList();
    QStringList folders { contentFolder };
    const QString books = LocalNetworkAccess::resolved(Paths::booksDir());
    const QString content = LocalNetworkAccess::resolved(contentFolder);
    if (content.startsWith(books + QLatin1Char('/'))) {
        const int end = content.indexOf(QLatin1Char('/'), books.size() + 1);
        folders.append(end < 0 ? content : content.left(end));
    }
    return folders;
}

QVariant BookPage::evaluate(const QString &script)
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

bool BookPage::acceptNavigationRequest(QWebFrame *frame, const QNetworkRequest &request,
                                       NavigationType type)
{
    const QUrl url = request.url();
    // A delegated link click only tells the view, which asks before it
    // opens anything outside the book; every other navigation, of any frame
    // (refresh, form, frame source, redirect), must stay inside the book.
    const bool delegated = type == NavigationTypeLinkClicked
            && linkDelegationPolicy() == QWebPage::DelegateAllLinks;
    if (!delegated && !m_access->isAllowed(url) && url != QUrl(QStringLiteral("about:blank"))) {
        Logger::instance()->write(QStringLiteral("BookPage: navigation refused: %1")
                                          .arg(url.toDisplayString().left(200)),
                                  Logger::Debug);
        return false;
    }
    return QWebPage::acceptNavigationRequest(frame, request, type);
}

QObject *BookPage::createPlugin(const QString &classid, const QUrl &url,
                                const QStringList &paramNames, const QStringList &paramValues)
{
    Q_UNUSED(classid)
    Q_UNUSED(url)
    Q_UNUSED(paramNames)
    Q_UNUSED(paramValues)
    return nullptr;
}

QWebPage *BookPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type)
    return nullptr;
}

void BookPage::javaScriptConsoleMessage(const QString &message, int lineNumber,
                                        const QString &sourceID)
{
    Logger::instance()->write(QStringLiteral("BookPage: script message %1:%2: %3")
                                      .arg(sourceID.left(200))
                                      .arg(lineNumber)
                                      .arg(message.left(1000)),
                              Logger::Debug);
}

void BookPage::javaScriptAlert(QWebFrame *frame, const QString &message)
{
    Q_UNUSED(frame)
    Q_UNUSED(message)
}

bool BookPage::javaScriptConfirm(QWebFrame *frame, const QString &message)
{
    Q_UNUSED(frame)
    Q_UNUSED(message)
    return false;
}

bool BookPage::javaScriptPrompt(QWebFrame *frame, const QString &message,
                                const QString &defaultValue, QString *result)
{
    Q_UNUSED(frame)
    Q_UNUSED(message)
    Q_UNUSED(defaultValue)
    Q_UNUSED(result)
    return false;
}

QString BookPage::chooseFile(QWebFrame *parentFrame, const QString &suggestedFile)
{
    Q_UNUSED(parentFrame)
    Q_UNUSED(suggestedFile)
    return QString();
}
