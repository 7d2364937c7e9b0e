#pragma once

#include <QSharedMemory>
#include <QString>

struct PaginationRequest;

// The shared-memory block between one text viewer and its pagination helper.
// Layout, in 32-bit words of the machine's byte order:
//   0  sequence       number of the message; 0 in a new block means none
//   4  flags          always 0
//   8  payloadLength  bytes of the serialised PaginationRequest that follow
//  12  payload
// Every access to the header or the payload holds the block's lock, and only
// for the copy itself; the helper's work between a request and its reply runs
// without it, so the viewer may write a newer request at any time.
//
// Not thread-safe: one object is used by one thread. A message that does not
// fit is never written, and a message whose length or bytes are damaged is
// never adopted.
class PaginationBlock
{
public:
    static constexpr int DefaultSize = 1000000;
    static constexpr int HeaderSize = 12;

    enum class ReadResult {
        NotNew, // the block holds the number the reader already knows
        Read, // a new message was read into the record
        Damaged, // a new number, but its length or payload is bad
        Failed // the block is not attached or its lock failed
    };

    enum class WriteResult {
        Written,
        Overtaken, // a reply whose request was replaced meanwhile: nothing written
        TooLarge, // the payload does not fit: nothing written
        Failed // the block is not attached or its lock failed
    };

    PaginationBlock();
    // Detaches; the system removes the segment when the last process detaches.
    ~PaginationBlock();

    // Viewer side: makes a new block of `size` bytes under `key`, its header
    // zeroed (no message yet).
    bool create(const QString &key, int size = DefaultSize);
    // Helper side: attaches read-write to the viewer's block. Fails when there
    // is no such block or it is too small to hold the header.
    bool attach(const QString &key);
    void detach();

    bool isAttached() const;
    QString key() const;
    // Size of the attached block, 0 when none.
    int size() const;
    // Largest payload the block holds.
    int maxPayload() const;
    QString lastError() const { return m_error; }

    // The number now in the block, read under the lock; 0 on failure.
    quint32 sequence();

    // Writes a request numbered one above the value now in the block (read
    // under the same lock), so that a request never takes the number of a
    // reply that still lies unread in the block. `number` gets the value
    // written.
    WriteResult writeRequest(const QByteArray &payload, quint32 *number);
    // Writes the reply to request `request` with the number `request` + 1,
    // but only while the block still holds `request`.
    WriteResult writeReply(quint32 request, const QByteArray &payload);
    // Writes any message; the building block of the two above, for tools.
    WriteResult writeMessage(quint32 sequence, const QByteArray &payload);

    // Removes the blocks that processes which are gone made and could not
    // remove (a viewer killed, or crashed): the segment, its lock and their
    // key files. Every block made by create() is noted, with the process
    // that made it, until detach(); a note whose process no longer runs is
    // stale. Answers how many blocks went. Call it once per start.
    static int removeStale();
    // Where the notes of made blocks are kept.
    static QString notesFolder();

    // Reads the message in the block when its number differs from `known`.
    // `sequence` gets the number found (also for Damaged); `record` is
    // replaced only on Read.
    ReadResult read(quint32 known, quint32 *sequence, PaginationRequest *record);

private:
    Q_DISABLE_COPY_MOVE(PaginationBlock)

    enum class Numbering {
        Given, // the value passed
        Next, // one above the number in the block
        ReplyTo // the value passed + 1, only while the block holds the value
    };

    WriteResult write(const QByteArray &payload, Numbering numbering, quint32 value,
                      quint32 *written);
    bool lock();
    void unlock();
    quint32 word(int offset) const;
    void setWord(int offset, quint32 value);
    void put(quint32 sequence, const QByteArray &payload);

    QSharedMemory m_memory;
    QString m_error;
    // The note of a block this object made; empty for an attached one.
    QString m_note;
};
