#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QMap>
#include <QSize>
#include <QString>
#include <QStringList>

// The one record that the text viewer and the pagination helper exchange: the
// viewer fills in what the helper needs to lay the book out, the helper fills
// in the results and sends the whole record back. Both programs build it from
// this definition, so a request and a reply have one byte format.
struct PaginationRequest
{
    // Page area in pixels: the viewer's page width and height.
    QSize pageSize = QSize(-1, -1);
    // Space between columns; the helper uses its own constant instead.
    qint32 gap = 30;
    qint32 topBottomMargin = 20;
    qint32 columnCount = 2;
    QString fontFamily;
    qint32 fontSize = 16;
    // The whole page script, evaluated in front of every call in the page.
    QString pageScript;
    // Folder of the book's HTML files; `documents` are names relative to it.
    QString contentFolder;
    // Empty: no search.
    QString searchText;
    // The book's HTML files in reading order, also the keys of `pageCounts`.
    QStringList documents;
    QMap<QString, qint32> pageCounts;
    // Carried by both sides; only the marks of a reply's shortfall (below)
    // are ever put in it.
    QMap<QString, qint32> reservedPages;
    // Position URL to book-wide page (1-based); the helper replaces the map.
    QMap<QString, qint32> positions;
    // Position URL of each search hit to the text of the element holding it.
    QMap<QString, QString> searchHits;
    // 0 to 4: "inherit", "left", "right", "center", "justify".
    qint32 textAlignment = 0;
    // Line height in percent.
    qint32 lineSpacing = 100;
    // Asks the helper to print the book; the helper answers with it cleared.
    bool print = false;

    // What a reply could not carry. When the whole reply does not fit the
    // block, the helper leaves search hits out from the end of the book and
    // says how many, and how many bytes the whole reply needs. The marks
    // travel in `reservedPages`, so the record keeps its layout.
    struct Shortfall
    {
        qint32 droppedSearchHits = 0;
        // 0: the reply is whole.
        qint32 replyBytes = 0;
    };
    void setShortfall(const Shortfall &shortfall);
    // Takes the marks out of the record; a whole reply's when it has none.
    Shortfall takeShortfall();

    // The serialised form, written by a write-only stream.
    QByteArray toByteArray() const;
    // Reads a serialised record. On a damaged or truncated payload answers
    // false, leaves `record` as it was and puts the reason in `error`.
    static bool fromByteArray(const QByteArray &bytes, PaginationRequest *record,
                              QString *error = nullptr);

    bool operator==(const PaginationRequest &other) const;
    bool operator!=(const PaginationRequest &other) const { return !(*this == other); }
};

// Fields in declaration order, Qt 5 stream format, big-endian. The reader
// overwrites every field it reads; a map that fails to read is left empty,
// and counts that cannot fit in what is left of the stream are refused
// before anything is allocated for them.
QDataStream &operator<<(QDataStream &stream, const PaginationRequest &request);
QDataStream &operator>>(QDataStream &stream, PaginationRequest &request);
