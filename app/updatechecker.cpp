#include "app/updatechecker.h"

#include "app/version.h"
#include "core/logger.h"

#include <QCryptographicHash>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSysInfo>

namespace {

// Part of both digests, so that the server can tell its own program's
// requests from made-up ones.
const QString RequestSigningSuffix = QStringLiteral("vl-morvasco-upd-1");

void log(const QString &text)
{
    Logger::instance()->write(text, Logger::Debug);
}

} // namespace

UpdateChecker::UpdateChecker(const QString &productId, const QString &installedVersion,
                             QObject *parent)
    : QObject(parent)
    , m_productId(productId)
    , m_installedVersion(installedVersion)
    , m_checkUrl(defaultCheckUrl())
{
}

UpdateChecker::~UpdateChecker()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QUrl UpdateChecker::defaultCheckUrl()
{
    const QString overridden = qEnvironmentVariable("VELLUMIN_UPDATE_URL");
    if (!overridden.isEmpty())
        return QUrl(overridden, QUrl::TolerantMode);
    return QUrl(QStringLiteral("https://www.morvasco.com/update/check.php"));
}

QString UpdateChecker::md5Hex(const QString &text)
{
    return QString::fromLatin1(
            QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

QString UpdateChecker::machineIdentifier()
{
    const QByteArray id = QSysInfo::machineUniqueId();
    return id.isEmpty() ? QSysInfo::machineHostName() : QString::fromLatin1(id);
}

QString UpdateChecker::machineDigest(const QString &machineId)
{
    return md5Hex(machineId + RequestSigningSuffix);
}

QString UpdateChecker::requestDigest(const QString &productId, const QString &machineDigest)
{
    return md5Hex(productId + machineDigest + RequestSigningSuffix);
}

bool UpdateChecker::isVersionText(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[0-9]{1,9}(\\.[0-9]{1,9}){0,3}$"));
    return plain.match(text.trimmed()).hasMatch();
}

QUrl UpdateChecker::requestUrl() const
{
    const QString machine = machineDigest(machineIdentifier());
    const QString request = requestDigest(m_productId, machine);
    return QUrl(
            QStringLiteral("%1?ver=%2&pid=%3&mh=%4&h=%5")
                    .arg(m_checkUrl.toString(), m_installedVersion, m_productId, machine, request),
            QUrl::TolerantMode);
}

void UpdateChecker::checkUpdates()
{
    if (m_reply)
        return;
    const QUrl url = requestUrl();
    log(QStringLiteral("Request url:'%1'").arg(url.toString()));
    QNetworkRequest request(url);
    // A redirect may move the script on its own server, never to another.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    request.setTransferTimeout(m_timeoutMs);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &UpdateChecker::onDownloadProgress);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateChecker::complete);
}

void UpdateChecker::onDownloadProgress(qint64 received, qint64 total)
{
    // A version is a few bytes; anything longer is not read into memory.
    if (m_reply && (received > MaxAnswerBytes || total > MaxAnswerBytes))
        m_reply->abort();
}

void UpdateChecker::complete()
{
    QNetworkReply *reply = m_reply;
    if (!reply || reply != sender())
        return;
    m_reply = nullptr;
    reply->deleteLater();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        log(QStringLiteral("Update check ended: %1 (HTTP %2)")
                    .arg(reply->errorString())
                    .arg(status));
        emit checkFinished();
        return;
    }
    QString offered;
    const bool newer = parseResponse(reply->read(MaxAnswerBytes + 1), &offered);
    if (newer) {
        log(QStringLiteral("Has new version:'%1'").arg(offered));
        emit newVersionAvalible(offered);
    }
    emit checkFinished();
}

bool UpdateChecker::parseResponse(const QByteArray &body, QString *offered) const
{
    if (body.size() > MaxAnswerBytes)
        return false;
    const QString text = QString::fromUtf8(body);
    log(QStringLiteral("Update response:'%1'").arg(text));
    if (text.isEmpty())
        return false;
    // An error page or a stray answer whose first part happens to be a
    // number must not announce a version.
    if (!isVersionText(text))
        return false;
    *offered = text;
    return Version::compareVersion(text, m_installedVersion) == 1;
}
