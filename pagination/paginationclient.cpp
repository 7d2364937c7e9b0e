#include "pagination/paginationclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryFile>
#include <QUuid>

#include <memory>
#include <vector>

PaginationClient::PaginationClient(QObject *parent)
    : QObject(parent)
    , m_program(defaultProgram())
{
    connect(&m_pollTimer, &QTimer::timeout, this, &PaginationClient::onPollTimer);
}

PaginationClient::~PaginationClient()
{
    m_pollTimer.stop();
    // The helper goes first: a helper killed while still attached would leave
    // the segment behind once the client has detached.
    stopHelper();
    m_block.detach();
}

QString PaginationClient::defaultProgram()
{
    const QString configured = qEnvironmentVariable("VELLUMIN_QUIRELET");
    if (!configured.isEmpty())
        return configured;
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("/quirelet.exe");
#else
    const QString name = QStringLiteral("/quirelet");
#endif
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + name);
}

qint64 PaginationClient::helperProcessId() const
{
    return m_helper ? m_helper->processId() : 0;
}

bool PaginationClient::ensureBlock(int payloadBytes, int replyBytes)
{
    const int needed = qMax(payloadBytes, replyBytes);
    if (m_block.isAttached() && needed <= m_block.maxPayload())
        return true;
    qint64 size = m_blockSize;
    if (payloadBytes > qint64(m_blockSize) - PaginationBlock::HeaderSize) {
        // Room for the request and for the reply, which adds the results.
        size = PaginationBlock::HeaderSize + 2 * qint64(payloadBytes) + 65536;
    }
    if (replyBytes > 0) {
        // A layout made again comes out alike; the margin is for one that
        // does not, within the limit.
        const qint64 wanted
                = PaginationBlock::HeaderSize + qint64(replyBytes) + qint64(replyBytes) / 8 + 65536;
        size = qMax(size, qMin(wanted, qint64(m_blockSizeLimit)));
    }
    if (size > m_blockSizeLimit || PaginationBlock::HeaderSize + qint64(needed) > size) {
        m_error = QStringLiteral("the pagination request was not sent: a request of %1 bytes "
                                 "does not fit the largest block of %2 bytes")
                          .arg(payloadBytes)
                          .arg(m_blockSizeLimit);
        return false;
    }
    if (m_block.isAttached()) {
        // The helper knows the old block only: both go, and a new pair takes
        // the request.
        stopHelper();
        m_block.detach();
    }
    // What viewers killed before left behind goes before this process makes
    // a block of its own.
    static bool staleRemoved = false;
    if (!staleRemoved) {
        staleRemoved = true;
        const int stale = PaginationBlock::removeStale();
        if (stale > 0)
            qInfo("PaginationClient: %d blocks of ended viewers removed", stale);
    }
    // A fresh key for every block: a failed block is never written into, the
    // next request makes a new one.
    m_sequence = 0;
    // The system names a block after a few bits of a file's number, so a
    // fresh key can still meet the block of another viewer or program; the
    // next key is tried then, a few times. The file system would hand the
    // next key file the number just freed, so a placeholder holds it
    // meanwhile.
    std::vector<std::unique_ptr<QTemporaryFile>> placeholders;
    for (int attempt = 0; attempt < BlockAttempts; ++attempt) {
        if (m_block.create(m_keySource ? m_keySource() : QUuid::createUuid().toString(),
                           int(size)))
            return true;
        placeholders.push_back(std::make_unique<QTemporaryFile>());
        placeholders.back()->open();
    }
    m_error = QStringLiteral("the pagination block cannot be made: %1").arg(m_block.lastError());
    return false;
}

bool PaginationClient::ensureHelper()
{
    if (m_helper)
        return true;
    auto *process = new QProcess(this);
    process->setProgram(m_program);
    process->setArguments({ m_block.key() });
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QIODevice::ReadWrite);
    if (!process->waitForStarted(m_startTimeout)) {
        m_error = QStringLiteral("the pagination helper %1 did not start: %2")
                          .arg(m_program, process->errorString());
        process->kill();
        process->waitForFinished(m_startTimeout);
        delete process;
        return false;
    }
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &PaginationClient::onHelperFinished);
    m_helper = process;
    return true;
}

void PaginationClient::stopHelper()
{
    if (!m_helper)
        return;
    QProcess *process = m_helper;
    m_helper = nullptr;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(5000);
    }
    delete process;
}

bool PaginationClient::send(const PaginationRequest &request, qint64 expectedReplyGrowth)
{
    m_sent = request;
    m_askedAgain = false;
    const QByteArray payload = request.toByteArray();
    int replyBytes = 0;
    if (expectedReplyGrowth > 0) {
        // Beyond the largest block the reply comes shortened, as it would
        // without the estimate.
        replyBytes = int(qMin(qint64(payload.size()) + expectedReplyGrowth,
                              qint64(m_blockSizeLimit) - PaginationBlock::HeaderSize));
    }
    return deliver(payload, replyBytes);
}

bool PaginationClient::deliver(const QByteArray &payload, int replyBytes)
{
    m_pollTimer.stop();
    if (!ensureBlock(payload.size(), replyBytes))
        return false;
    quint32 number = 0;
    switch (m_block.writeRequest(payload, &number)) {
    case PaginationBlock::WriteResult::Written:
        m_sequence = number;
        break;
    case PaginationBlock::WriteResult::TooLarge:
    case PaginationBlock::WriteResult::Overtaken:
    case PaginationBlock::WriteResult::Failed:
        m_error = QStringLiteral("the pagination request was not sent: %1")
                          .arg(m_block.lastError());
        return false;
    }
    if (!ensureHelper())
        return false;
    m_pollTimer.start(m_pollInterval);
    return true;
}

bool PaginationClient::askForWholeReply(int replyBytes)
{
    if (m_askedAgain || replyBytes <= m_block.maxPayload()
        || PaginationBlock::HeaderSize + qint64(replyBytes) > m_blockSizeLimit)
        return false;
    // Once: should the layout come out larger still, the reply that fits
    // is taken rather than asking for ever.
    m_askedAgain = true;
    return deliver(m_sent.toByteArray(), replyBytes);
}

bool PaginationClient::waitForReply(int msecs)
{
    if (!isWaiting())
        return false;
    QEventLoop loop;
    bool replied = false;
    const auto onReply = connect(this, &PaginationClient::replyReceived, &loop, [&] {
        replied = true;
        loop.quit();
    });
    const auto onFailure = connect(this, &PaginationClient::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    loop.exec();
    disconnect(onReply);
    disconnect(onFailure);
    return replied;
}

void PaginationClient::onPollTimer()
{
    quint32 found = 0;
    PaginationRequest record;
    switch (m_block.read(m_sequence, &found, &record)) {
    case PaginationBlock::ReadResult::NotNew:
        return;
    case PaginationBlock::ReadResult::Read: {
        m_pollTimer.stop();
        m_sequence = found;
        const PaginationRequest::Shortfall shortfall = record.takeShortfall();
        if (shortfall.replyBytes > 0 && askForWholeReply(shortfall.replyBytes))
            return;
        m_droppedSearchHits = shortfall.droppedSearchHits;
        m_neededReplyBytes = shortfall.droppedSearchHits > 0 ? shortfall.replyBytes : 0;
        m_reply = record;
        emit replyReceived(m_reply);
        return;
    }
    case PaginationBlock::ReadResult::Damaged:
        // The number is taken all the same, so the next request counts on
        // from it; the damaged record is never adopted.
        m_sequence = found;
        fail(QStringLiteral("the pagination reply was not read: %1").arg(m_block.lastError()));
        return;
    case PaginationBlock::ReadResult::Failed:
        fail(QStringLiteral("the pagination block cannot be read: %1").arg(m_block.lastError()));
        return;
    }
}

void PaginationClient::onHelperFinished()
{
    QProcess *process = m_helper;
    m_helper = nullptr;
    if (!process)
        return;
    const QString message
            = QStringLiteral("the pagination helper ended (exit code %1)").arg(process->exitCode());
    process->deleteLater();
    // A reply written just before the end still counts; one that asks again
    // has started another helper.
    if (isWaiting())
        onPollTimer();
    if (isWaiting() && !m_helper)
        fail(message);
}

void PaginationClient::fail(const QString &message)
{
    m_pollTimer.stop();
    m_error = message;
    emit failed(message);
}
