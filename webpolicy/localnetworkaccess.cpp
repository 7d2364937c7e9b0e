#include "webpolicy/localnetworkaccess.h"

#include "core/logger.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkRequest>
#include <QUrl>

QString LocalNetworkAccess::resolved(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

LocalNetworkAccess::LocalNetworkAccess(QObject *parent)
    : QNetworkAccessManager(parent)
{
}

void LocalNetworkAccess::setAllowedFolders(const QStringList &folders)
{
    m_folders.clear();
    for (const QString &folder : folders) {
        if (!folder.isEmpty())
            m_folders.append(resolved(folder));
    }
}

bool LocalNetworkAccess::isAllowed(const QUrl &url) const
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("qrc") || scheme == QLatin1String("data"))
        return true;
    if (scheme != QLatin1String("file") || !url.host().isEmpty())
        return false;
    const QString path = resolved(url.toLocalFile());
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity sensitivity = Qt::CaseSensitive;
#endif
    for (const QString &folder : m_folders) {
        if (path.compare(folder, sensitivity) == 0
            || path.startsWith(folder + QLatin1Char('/'), sensitivity)) {
            return true;
        }
    }
    return false;
}

QNetworkReply *LocalNetworkAccess::createRequest(Operation operation,
                                                 const QNetworkRequest &request,
                                                 QIODevice *outgoingData)
{
    if (operation == GetOperation && isAllowed(request.url()))
        return QNetworkAccessManager::createRequest(operation, request, outgoingData);
    ++m_refused;
    Logger::instance()->write(QStringLiteral("LocalNetworkAccess: refused %1")
                                      .arg(request.url().toDisplayString().left(200)),
                              Logger::Debug);
    // A request without a scheme fails at once with an error reply, which
    // the page treats like any missing resource.
    return QNetworkAccessManager::createRequest(GetOperation, QNetworkRequest(QUrl()), nullptr);
}
