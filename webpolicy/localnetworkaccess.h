#pragma once

#include <QNetworkAccessManager>
#include <QStringList>

// The only way a book page reaches anything outside itself. A book is
// untrusted: it may load its own files below the folders it is given and
// the program's resources, and nothing else. Remote addresses, other local
// files and anything but reading are refused with an error reply, so a page
// cannot tell a remote server that it was opened, nor read the reader's
// other files.
class LocalNetworkAccess : public QNetworkAccessManager
{
    Q_OBJECT
public:
    explicit LocalNetworkAccess(QObject *parent = nullptr);

    // Folders whose files the page may load (their sub-folders included).
    void setAllowedFolders(const QStringList &folders);
    QStringList allowedFolders() const { return m_folders; }

    // Whether a GET of url would be let through.
    bool isAllowed(const QUrl &url) const;
    // Where a path leads once links and "." and ".." are resolved; for a
    // path that does not exist (yet), its cleaned absolute form.
    static QString resolved(const QString &path);
    // Requests refused so far.
    int refusedCount() const { return m_refused; }

protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request,
                                 QIODevice *outgoingData) override;

private:
    Q_DISABLE_COPY_MOVE(LocalNetworkAccess)

    QStringList m_folders;
    int m_refused = 0;
};
