#pragma once

#include <QLockFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <memory>

class CrashReport;
class QNetworkReply;

// Sends one crash report to the crash-report server: one HTTP POST of a
// multipart form with the program's name and version, the report's id,
// the user's words, "report.json" and every file of the report. Only a
// 2xx answer counts as sent; the report is then marked so that it never
// goes out again. A report already marked, or being sent by another
// reporter at the same time (a lock file in its folder), is refused.
//
// One upload at a time; the report must outlive it.
class ReportUploader : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 60000;

    explicit ReportUploader(QObject *parent = nullptr);
    ~ReportUploader() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // Starts sending; finished() follows, possibly at once.
    void upload(CrashReport *report, const QUrl &url);

signals:
    // ok: the server took the report (error may still hold a remark).
    // Otherwise error says why not.
    void finished(bool ok, const QString &error);

private:
    void onFinished();
    void finish(bool ok, const QString &error);

    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    CrashReport *m_report = nullptr;
    std::unique_ptr<QLockFile> m_lock;
    int m_timeoutMs = DefaultTimeoutMs;
};
