#include "pagination/paginationblock.h"

#include "pagination/paginationrequest.h"

#include "core/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSystemSemaphore>

#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace {

constexpr int SequenceOffset = 0;
constexpr int FlagsOffset = 4;
constexpr int LengthOffset = 8;

// The note of a block: its key with only the characters a file name takes.
QString noteName(const QString &key)
{
    QString name;
    for (const QChar c : key) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-'))
            name += c;
    }
    return name;
}

bool processRuns(qint64 pid)
{
#ifdef Q_OS_UNIX
    // A process of another user still runs when it may not be signalled.
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#else
    Q_UNUSED(pid)
    return true;
#endif
}

} // namespace

PaginationBlock::PaginationBlock() = default;

PaginationBlock::~PaginationBlock()
{
    detach();
}

bool PaginationBlock::create(const QString &key, int size)
{
    detach();
    if (size < HeaderSize) {
        m_error = QStringLiteral("a block of %1 bytes cannot hold the header").arg(size);
        return false;
    }
    m_memory.setKey(key);
    if (!m_memory.create(size, QSharedMemory::ReadWrite)) {
        m_error = m_memory.errorString();
        return false;
    }
    // A fresh segment is zeroed by the system already; clearing the header
    // here keeps "sequence 0 means no message" true on every platform. The
    // rest is left untouched, so a large block costs memory only as far as
    // messages fill it.
    if (!lock()) {
        m_memory.detach();
        return false;
    }
    std::memset(m_memory.data(), 0, size_t(HeaderSize));
    unlock();
    m_error.clear();

    // A process killed while it holds the block cannot remove it; the note
    // lets the next start do so.
    const QString folder = notesFolder();
    QDir().mkpath(folder);
    QFile note(folder + QLatin1Char('/') + noteName(key));
    if (note.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        note.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n'
                   + key.toUtf8() + '\n');
        m_note = note.fileName();
    }
    return true;
}

QString PaginationBlock::notesFolder()
{
    return Paths::tmpDir() + QStringLiteral("/pagination");
}

int PaginationBlock::removeStale()
{
    const QDir folder(notesFolder());
    int removed = 0;
    const QStringList notes = folder.entryList(QDir::Files);
    for (const QString &name : notes) {
        QFile note(folder.filePath(name));
        if (!note.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = note.read(1024).split('\n');
        note.close();
        const qint64 pid = lines.value(0).toLongLong();
        const QString key = QString::fromUtf8(lines.value(1));
        if (pid == QCoreApplication::applicationPid() || processRuns(pid))
            continue;
        if (!key.isEmpty() && noteName(key) == name) {
            // Attaching and detaching removes a segment that nobody else
            // holds, with its key file; the lock made afresh here removes
            // the one the dead process made.
            {
                QSharedMemory memory(key);
                if (memory.attach())
                    memory.detach();
            }
            QSystemSemaphore lock(key, 1, QSystemSemaphore::Create);
        }
        if (QFile::remove(note.fileName()))
            ++removed;
    }
    return removed;
}

bool PaginationBlock::attach(const QString &key)
{
    detach();
    if (key.isEmpty()) {
        m_error = QStringLiteral("no shared-memory key");
        return false;
    }
    m_memory.setKey(key);
    if (!m_memory.attach(QSharedMemory::ReadWrite)) {
        m_error = m_memory.errorString();
        return false;
    }
    if (m_memory.size() < HeaderSize) {
        m_error = QStringLiteral("the block has %1 bytes, too few for the header")
                          .arg(m_memory.size());
        m_memory.detach();
        return false;
    }
    m_error.clear();
    return true;
}

void PaginationBlock::detach()
{
    if (m_memory.isAttached())
        m_memory.detach();
    if (!m_note.isEmpty()) {
        QFile::remove(m_note);
        m_note.clear();
    }
}

bool PaginationBlock::isAttached() const
{
    return m_memory.isAttached();
}

QString PaginationBlock::key() const
{
    return m_memory.key();
}

int PaginationBlock::size() const
{
    return m_memory.isAttached() ? m_memory.size() : 0;
}

int PaginationBlock::maxPayload() const
{
    return qMax(0, size() - HeaderSize);
}

bool PaginationBlock::lock()
{
    if (!m_memory.isAttached()) {
        m_error = QStringLiteral("the block is not attached");
        return false;
    }
    if (!m_memory.lock()) {
        m_error = m_memory.errorString();
        return false;
    }
    return true;
}

void PaginationBlock::unlock()
{
    m_memory.unlock();
}

quint32 PaginationBlock::word(int offset) const
{
    quint32 value = 0;
    std::memcpy(&value, static_cast<const char *>(m_memory.constData()) + offset, sizeof value);
    return value;
}

void PaginationBlock::setWord(int offset, quint32 value)
{
    std::memcpy(static_cast<char *>(m_memory.data()) + offset, &value, sizeof value);
}

void PaginationBlock::put(quint32 sequence, const QByteArray &payload)
{
    setWord(SequenceOffset, sequence);
    setWord(FlagsOffset, 0);
    setWord(LengthOffset, quint32(payload.size()));
    std::memcpy(static_cast<char *>(m_memory.data()) + HeaderSize, payload.constData(),
                size_t(payload.size()));
}

quint32 PaginationBlock::sequence()
{
    if (!lock())
        return 0;
    const quint32 value = word(SequenceOffset);
    unlock();
    return value;
}

PaginationBlock::WriteResult PaginationBlock::write(const QByteArray &payload, Numbering numbering,
                                                    quint32 value, quint32 *written)
{
    if (!isAttached()) {
        m_error = QStringLiteral("the block is not attached");
        return WriteResult::Failed;
    }
    if (payload.size() > maxPayload()) {
        m_error = QStringLiteral("a message of %1 bytes does not fit the %2 bytes of the block")
                          .arg(payload.size())
                          .arg(maxPayload());
        return WriteResult::TooLarge;
    }
    if (!lock())
        return WriteResult::Failed;
    const quint32 current = word(SequenceOffset);
    quint32 sequence = value;
    switch (numbering) {
    case Numbering::Given:
        break;
    case Numbering::Next:
        // Counting on from the block rather than from the writer's own
        // counter: when a reply lies unread in the block, the writer's counter
        // + 1 equals the number the helper has just answered with, and the
        // helper would take the new request for its own reply.
        sequence = current + 1;
        if (sequence == 0) // 0 means "no message"; skip it on wrap-around
            sequence = 1;
        break;
    case Numbering::ReplyTo:
        if (current != value) {
            unlock();
            return WriteResult::Overtaken;
        }
        sequence = value + 1;
        break;
    }
    put(sequence, payload);
    unlock();
    if (written)
        *written = sequence;
    return WriteResult::Written;
}

PaginationBlock::WriteResult PaginationBlock::writeMessage(quint32 sequence,
                                                           const QByteArray &payload)
{
    return write(payload, Numbering::Given, sequence, nullptr);
}

PaginationBlock::WriteResult PaginationBlock::writeRequest(const QByteArray &payload,
                                                           quint32 *number)
{
    return write(payload, Numbering::Next, 0, number);
}

PaginationBlock::WriteResult PaginationBlock::writeReply(quint32 request, const QByteArray &payload)
{
    return write(payload, Numbering::ReplyTo, request, nullptr);
}

PaginationBlock::ReadResult PaginationBlock::read(quint32 known, quint32 *sequence,
                                                  PaginationRequest *record)
{
    if (!lock())
        return ReadResult::Failed;
    const quint32 found = word(SequenceOffset);
    if (found == known) {
        unlock();
        return ReadResult::NotNew;
    }
    if (sequence)
        *sequence = found;
    const quint32 length = word(LengthOffset);
    if (length > quint32(maxPayload())) {
        unlock();
        m_error = QStringLiteral("message %1 claims %2 bytes, more than the block holds")
                          .arg(found)
                          .arg(length);
        return ReadResult::Damaged;
    }
    // Read in place; the bytes belong to the block, so the record is taken
    // before the lock is given back.
    const QByteArray payload = QByteArray::fromRawData(
            static_cast<const char *>(m_memory.constData()) + HeaderSize, int(length));
    QString error;
    const bool ok = PaginationRequest::fromByteArray(payload, record, &error);
    unlock();
    if (!ok) {
        m_error = QStringLiteral("message %1 cannot be read: %2").arg(found).arg(error);
        return ReadResult::Damaged;
    }
    return ReadResult::Read;
}
