#pragma once

#include "pagination/paginationblock.h"
#include "pagination/paginationrequest.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QProcess;

// The viewer's side of the exchange with the pagination helper: owns one
// shared block and one helper process, both made by the first request and
// ended with the client (the helper is killed and waited for before the block
// is detached, so the segment goes away with the last attachment).
//
// Lives on one thread with an event loop: replies are found by polling the
// block from a timer. Only the newest request is answered; sending while a
// request is outstanding simply takes over.
class PaginationClient : public QObject
{
    Q_OBJECT

public:
    explicit PaginationClient(QObject *parent = nullptr);
    ~PaginationClient() override;

    // The helper program: $VELLUMIN_QUIRELET when set, else "quirelet" in the
    // folder of the running program.
    static QString defaultProgram();

    // All of these take effect for the next block or process made.
    void setProgram(const QString &path) { m_program = path; }
    QString program() const { return m_program; }
    // The size of a new block; a request that does not fit it gets a block
    // sized to it (with room for the reply), up to the limit.
    void setBlockSize(int bytes) { m_blockSize = bytes; }
    void setBlockSizeLimit(int bytes) { m_blockSizeLimit = bytes; }
    void setPollInterval(int msecs) { m_pollInterval = msecs; }
    void setStartTimeout(int msecs) { m_startTimeout = msecs; }
    // Where the keys of new blocks come from; by default fresh UUIDs.
    void setKeySource(std::function<QString()> source) { m_keySource = std::move(source); }
    // Keys tried for one block before the request is given up.
    static constexpr int BlockAttempts = 8;

    // Writes `request` into the block and starts polling for its reply. The
    // block and the helper are made when missing; a request larger than the
    // block gets a new, larger block and a new helper, so a book is never
    // left without page numbers for its size. Answers false, with
    // lastError(), when the block cannot be made, the request does not fit
    // even the largest block or the helper does not start; nothing is
    // polled for then, and the next send tries again.
    //
    // A reply that did not fit the block (a search with many hits) is not
    // handed on: the request is asked once more in a block made for the
    // whole reply, with a new helper. Only when the whole reply is larger
    // than the limit does the shortened one come, with droppedSearchHits().
    // A caller that expects a large reply says how many bytes it adds to
    // the request (see SearchReplyEstimate): the block is made for it before
    // the request goes, and the helper lays the book out once.
    bool send(const PaginationRequest &request, qint64 expectedReplyGrowth = 0);

    // True from a successful send() until its reply or a failure.
    bool isWaiting() const { return m_pollTimer.isActive(); }
    // Runs a local event loop until the outstanding request is answered, the
    // exchange fails, or `msecs` pass. Answers whether a reply came.
    bool waitForReply(int msecs);

    // The last reply read, a default record before the first one.
    const PaginationRequest &reply() const { return m_reply; }
    // Search hits the last reply is without: its whole of
    // neededReplyBytes() did not fit even the largest block. 0 when every
    // hit came.
    int droppedSearchHits() const { return m_droppedSearchHits; }
    int neededReplyBytes() const { return m_neededReplyBytes; }
    int blockSizeLimit() const { return m_blockSizeLimit; }
    QString lastError() const { return m_error; }
    QString key() const { return m_block.key(); }
    // Number of the last message this client wrote or read.
    quint32 sequence() const { return m_sequence; }
    // Process id of the running helper, 0 when none.
    qint64 helperProcessId() const;

signals:
    void replyReceived(const PaginationRequest &reply);
    // The helper died or its reply could not be read.
    void failed(const QString &message);

private:
    Q_DISABLE_COPY_MOVE(PaginationClient)

    // A block that holds a request of `payloadBytes` and, when given, a
    // reply of `replyBytes`.
    bool ensureBlock(int payloadBytes, int replyBytes = 0);
    bool deliver(const QByteArray &payload, int replyBytes);
    // Asks the last request again in a block for a reply of `replyBytes`;
    // false when it was asked again already, or the block cannot be made.
    bool askForWholeReply(int replyBytes);
    bool ensureHelper();
    void stopHelper();
    void onPollTimer();
    void onHelperFinished();
    void fail(const QString &message);

    PaginationBlock m_block;
    QPointer<QProcess> m_helper;
    QTimer m_pollTimer;
    PaginationRequest m_reply;
    // The request being answered, for asking it again.
    PaginationRequest m_sent;
    bool m_askedAgain = false;
    int m_droppedSearchHits = 0;
    int m_neededReplyBytes = 0;
    QString m_program;
    QString m_error;
    quint32 m_sequence = 0;
    int m_blockSize = PaginationBlock::DefaultSize;
    // The requests of a book of a hundred thousand files with long names
    // stay far below this.
    int m_blockSizeLimit = 1 << 30;
    std::function<QString()> m_keySource;
    int m_pollInterval = 150;
    int m_startTimeout = 1500;
};
