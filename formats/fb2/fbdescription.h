#pragma once

#include "document/tocitem.h"
#include "formats/fb2/fbbody.h"

#include <QDate>
#include <QDomDocument>
#include <QImage>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace fb2 {

struct FbAuthor
{
    QString firstName;
    QString lastName;
    QString middleName;
    QString homePage;
    QString email; // the last "email" or "nickname"
};

struct FbTitleInfo
{
    QStringList genres;
    FbAuthor author; // every author element writes into this one record
    QString bookTitle;
    QString annotation;
    QDomElement coverpage;
    QString coverHref;
    QStringList keywords;
    QDate date;
    QString lang;
    QString srcLang;
    QList<FbAuthor> translators;
};

struct FbPublishInfo
{
    QString bookName;
    QString publisher;
    QString city;
    QString year;
};

struct FbDocumentInfo
{
    FbAuthor author;
    QString programUsed;
    QDate date;
    QString id;
    QString version;
};

// The parsed FictionBook: description, pictures and bodies. A plain text
// file is read as a FictionBook with one section of paragraphs. Records
// share nothing: the library's worker thread may load its own while the
// GUI thread reads a book.
class FbDescription
{
public:
    // Reads and parses a file. False (with lastError()) when the file cannot
    // be read or is no FictionBook; the record is then empty. reserved is
    // not used. encoding names the codec of a plain text file ("" for
    // UTF-8); a FictionBook names its own in its XML declaration.
    bool loadFile(const QString &path, int reserved, const QString &encoding);
    // The same for the bytes of a file; fileName (without folder) tells a
    // plain text file by its suffix and gives its title.
    bool loadData(const QByteArray &bytes, const QString &fileName, const QString &encoding);
    // Fills the record from a parsed document; false when the root element
    // is not FictionBook. With descriptionOnly the bodies are not read.
    // Pictures beyond the pixel budget of the book are kept as null images.
    bool parse(const QDomDocument &document, bool descriptionOnly);

    // "%1 %2 %3": last, first and middle name of the title-info author.
    QString authorName() const;
    // The book title, else the plain title of the first section of the
    // first body, else "".
    QString bookTitle() const;
    // The first picture whose id contains "cover", else the one with the
    // smallest id; null when there is none.
    QImage coverImage() const;
    const FbTitleInfo &titleInfo() const { return m_titleInfo; }
    const FbPublishInfo &publishInfo() const { return m_publishInfo; }
    const FbDocumentInfo &documentInfo() const { return m_documentInfo; }
    // One item per body (untitled ones are "Partition N"), with the
    // sections nested below; each item's source is its anchor id.
    QList<TocItem> tocItems();

    QString lastError() const { return m_lastError; }
    // The last loadFile() refused the file for its size.
    bool isTooLarge() const { return m_tooLarge; }
    // The largest book file read: beyond it, the text and its layout would
    // take more memory than a reader may.
    static qint64 maximumFileSize();

    QMap<QString, QImage> images;
    QList<FbBody> bodies;
    QString html; // stays empty: the pages live in files

private:
    void readDescription(const QDomElement &description);
    void readBinary(const QDomElement &binary, qint64 *pixelBudget);

    FbTitleInfo m_titleInfo;
    FbPublishInfo m_publishInfo;
    FbDocumentInfo m_documentInfo;
    QString m_lastError;
    bool m_tooLarge = false;
    // Size of the file loadData() read; the pictures' pixel budget grows
    // with it.
    qint64 m_bookBytes = 0;
};

// The encoding an XML declaration names ("encoding=" with double or single
// quotes); "UTF-8" when it names none.
QString detectEncoding(const QString &firstLine);

} // namespace fb2
