#include "crashreporter/reportuploader.h"

#include "crashreporter/crashreport.h"

#include <QFile>
#include <QHttpMultiPart>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

QHttpPart textPart(const QString &name, const QString &value)
{
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QStringLiteral("form-data; name=\"%1\"").arg(name));
    part.setBody(value.toUtf8());
    return part;
}

QString quotedFileName(QString name)
{
    return name.replace(QLatin1Char('"'), QLatin1Char('_'));
}

} // namespace

ReportUploader::ReportUploader(QObject *parent)
    : QObject(parent)
{
}

ReportUploader::~ReportUploader()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void ReportUploader::upload(CrashReport *report, const QUrl &url)
{
    if (m_reply) {
        QTimer::singleShot(0, this,
                           [this] { emit finished(false, tr("An upload is already running.")); });
        return;
    }
    m_report = report;
    m_lock = std::make_unique<QLockFile>(report->filePath(QStringLiteral("upload.lock")));
    // A lock left by a reporter that died is stale after a minute.
    m_lock->setStaleLockTime(60000);
    if (!m_lock->tryLock(0)) {
        finish(false, tr("The report is being sent by another reporter."));
        return;
    }
    if (report->isUploaded()) {
        finish(false, tr("The report has been sent already."));
        return;
    }
    if (!url.isValid()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        finish(false, tr("The report server address is not valid: %1").arg(url.toString()));
        return;
    }

    auto *form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    form->append(textPart(QStringLiteral("appname"), report->applicationName()));
    form->append(textPart(QStringLiteral("appversion"), report->applicationVersion()));
    form->append(textPart(QStringLiteral("crashguid"), report->crashId()));
    form->append(textPart(QStringLiteral("description"), report->description()));
    QHttpPart json;
    json.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    json.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QStringLiteral("form-data; name=\"report\"; filename=\"report.json\""));
    json.setBody(report->toJson());
    form->append(json);
    for (const CrashReport::File &file : report->files()) {
        auto *device = new QFile(report->filePath(file.name), form);
        if (!device->open(QIODevice::ReadOnly))
            continue;
        QHttpPart part;
        part.setHeader(QNetworkRequest::ContentTypeHeader,
                       QStringLiteral("application/octet-stream"));
        part.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QStringLiteral("form-data; name=\"file\"; filename=\"%1\"")
                               .arg(quotedFileName(file.name)));
        part.setBodyDevice(device);
        form->append(part);
    }

    QNetworkRequest request(url);
    // The report goes to the address given, nowhere else.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_timeoutMs);
    m_reply = m_network.post(request, form);
    form->setParent(m_reply);
    connect(m_reply, &QNetworkReply::finished, this, &ReportUploader::onFinished);
}

void ReportUploader::onFinished()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError && status == 0) {
        finish(false, reply->errorString());
        return;
    }
    if (status < 200 || status > 299) {
        finish(false, tr("The server answered %1.").arg(status));
        return;
    }
    QString error;
    if (!m_report->markUploaded(&error)) {
        // Sent all the same: the server has it, whatever the folder says.
        finish(true, tr("The report was sent, but could not be marked as sent: %1").arg(error));
        return;
    }
    finish(true, QString());
}

void ReportUploader::finish(bool ok, const QString &error)
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
    // Always from the event loop, so a caller can connect after upload().
    QTimer::singleShot(0, this, [this, ok, error] { emit finished(ok, error); });
}
