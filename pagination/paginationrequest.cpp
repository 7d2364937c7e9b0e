#include "pagination/paginationrequest.h"

namespace {

// Every serialised string costs at least its 4-byte length word, every map
// value at least 4 bytes more: a count larger than what is left of the
// stream can only come from a damaged block.
constexpr qint64 MinimumStringBytes = 4;
constexpr qint64 MinimumMapEntryBytes = 8;

// Keys no file of a book is named by.
const QString DroppedHitsKey = QStringLiteral(":droppedSearchHits");
const QString ReplyBytesKey = QStringLiteral(":replyBytes");

qint64 bytesLeft(QDataStream &stream)
{
    const QIODevice *device = stream.device();
    return device ? device->bytesAvailable() : 0;
}

template<typename Value> void writeMap(QDataStream &stream, const QMap<QString, Value> &map)
{
    // Greatest key first, as the record has always been written.
    stream << quint32(map.size());
    auto it = map.constEnd();
    while (it != map.constBegin()) {
        --it;
        stream << it.key() << it.value();
    }
}

template<typename Value> void readMap(QDataStream &stream, QMap<QString, Value> &map)
{
    map.clear();
    quint32 count = 0;
    stream >> count;
    if (stream.status() != QDataStream::Ok)
        return;
    if (qint64(count) * MinimumMapEntryBytes > bytesLeft(stream)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    for (quint32 i = 0; i < count; ++i) {
        QString key;
        Value value;
        stream >> key >> value;
        if (stream.status() != QDataStream::Ok) {
            map.clear();
            return;
        }
        map.insert(key, value);
    }
}

void readList(QDataStream &stream, QStringList &list)
{
    list.clear();
    quint32 count = 0;
    stream >> count;
    if (stream.status() != QDataStream::Ok)
        return;
    if (qint64(count) * MinimumStringBytes > bytesLeft(stream)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    for (quint32 i = 0; i < count; ++i) {
        QString item;
        stream >> item;
        if (stream.status() != QDataStream::Ok) {
            list.clear();
            return;
        }
        list.append(item);
        if (stream.atEnd())
            break;
    }
}

} // namespace

QDataStream &operator<<(QDataStream &stream, const PaginationRequest &request)
{
    stream << request.pageSize << request.gap << request.topBottomMargin << request.columnCount
           << request.fontFamily << request.fontSize << request.pageScript << request.contentFolder
           << request.searchText;
    stream << quint32(request.documents.size());
    for (const QString &document : request.documents)
        stream << document;
    writeMap(stream, request.pageCounts);
    writeMap(stream, request.reservedPages);
    writeMap(stream, request.positions);
    writeMap(stream, request.searchHits);
    stream << request.textAlignment << request.lineSpacing << request.print;
    return stream;
}

QDataStream &operator>>(QDataStream &stream, PaginationRequest &request)
{
    stream >> request.pageSize >> request.gap >> request.topBottomMargin >> request.columnCount
            >> request.fontFamily >> request.fontSize >> request.pageScript >> request.contentFolder
            >> request.searchText;
    readList(stream, request.documents);
    readMap(stream, request.pageCounts);
    readMap(stream, request.reservedPages);
    readMap(stream, request.positions);
    readMap(stream, request.searchHits);
    stream >> request.textAlignment >> request.lineSpacing >> request.print;
    return stream;
}

void PaginationRequest::setShortfall(const Shortfall &shortfall)
{
    reservedPages.insert(DroppedHitsKey, shortfall.droppedSearchHits);
    reservedPages.insert(ReplyBytesKey, shortfall.replyBytes);
}

PaginationRequest::Shortfall PaginationRequest::takeShortfall()
{
    Shortfall shortfall;
    if (reservedPages.isEmpty())
        return shortfall;
    shortfall.droppedSearchHits = qMax(0, reservedPages.take(DroppedHitsKey));
    shortfall.replyBytes = qMax(0, reservedPages.take(ReplyBytesKey));
    return shortfall;
}

QByteArray PaginationRequest::toByteArray() const
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_5_15);
    stream << *this;
    return bytes;
}

bool PaginationRequest::fromByteArray(const QByteArray &bytes, PaginationRequest *record,
                                      QString *error)
{
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_5_15);
    PaginationRequest read;
    stream >> read;
    if (stream.status() != QDataStream::Ok) {
        if (error) {
            *error = stream.status() == QDataStream::ReadPastEnd
                    ? QStringLiteral("the record is truncated")
                    : QStringLiteral("the record is damaged");
        }
        return false;
    }
    if (record)
        *record = read;
    return true;
}

bool PaginationRequest::operator==(const PaginationRequest &other) const
{
    return pageSize == other.pageSize && gap == other.gap
            && topBottomMargin == other.topBottomMargin && columnCount == other.columnCount
            && fontFamily == other.fontFamily && fontSize == other.fontSize
            && pageScript == other.pageScript && contentFolder == other.contentFolder
            && searchText == other.searchText && documents == other.documents
            && pageCounts == other.pageCounts && reservedPages == other.reservedPages
            && positions == other.positions && searchHits == other.searchHits
            && textAlignment == other.textAlignment && lineSpacing == other.lineSpacing
            && print == other.print;
}
