#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkReply;

// Asks the update server once whether a newer version than the installed
// one exists. The request is one GET of the check address with the
// installed version, the product identifier and two digests as query
// parameters; the answer's body is the newest version's text.
//
// A failed check is silent: network and HTTP errors, time-outs, redirects
// to another server, over-long answers and answers that are not a plain
// version text end it without a message and without a signal. The program
// never depends on the answer.
//
// GUI thread (or any thread with an event loop); one check at a time.
class UpdateChecker : public QObject
{
    Q_OBJECT
public:
    // An answer longer than this is no version text; the check gives up.
    static constexpr qint64 MaxAnswerBytes = 1024;
    static constexpr int DefaultTimeoutMs = 30000;

    UpdateChecker(const QString &productId, const QString &installedVersion,
                  QObject *parent = nullptr);
    ~UpdateChecker() override;

    // The update server's check script. VELLUMIN_UPDATE_URL in the
    // environment stands in for it (tests point it at a local server).
    static QUrl defaultCheckUrl();
    void setCheckUrl(const QUrl &url) { m_checkUrl = url; }
    QUrl checkUrl() const { return m_checkUrl; }
    // How long the transfer may stall before the check gives up.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // The whole request address as sent.
    QUrl requestUrl() const;

    // MD5 of the text's UTF-8 bytes as 32 lower-case hexadecimal digits.
    static QString md5Hex(const QString &text);
    // The computer's stable identifier (the system's machine id, or the
    // host name where there is none).
    static QString machineIdentifier();
    static QString machineDigest(const QString &machineId);
    static QString requestDigest(const QString &productId, const QString &machineDigest);
    // Whether an answer is a plain dotted version ("6.0.0", with white space
    // around it at most).
    static bool isVersionText(const QString &text);

signals:
    // The offered version, exactly as the server wrote it.
    void newVersionAvalible(const QString &newVerion);
    // Every check ends with this, whatever its outcome.
    void checkFinished();

public slots:
    void checkUpdates();
    void complete();

private:
    // Whether the body offers a version newer than the installed one.
    bool parseResponse(const QByteArray &body, QString *offered) const;
    void onDownloadProgress(qint64 received, qint64 total);

    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QString m_productId;
    QString m_installedVersion;
    QUrl m_checkUrl;
    int m_timeoutMs = DefaultTimeoutMs;
};
