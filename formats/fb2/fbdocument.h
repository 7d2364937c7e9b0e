#pragma once

#include "document/textdocument.h"
#include "formats/fb2/fbdescription.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

namespace fb2 {

struct TocState
{
    QTextDocument *document = nullptr;
    FbDescription *description = nullptr;
    QList<TocItem> entries;
};

// The reflowable document of a FictionBook or plain text file. load()
// parses the book and writes its HTML pages, pictures and ".toc" file into
// the book's storage folder; pages() then names them for the reading view.
// A book that cannot be read makes load() answer false with status()
// Damaged, and leaves the storage folder as it was.
// Lives on the GUI thread, like every TextDocument.
class FbDocument : public TextDocument
{
    Q_OBJECT
public:
    FbDocument(const QString &path, QObject *parent = nullptr);
    ~FbDocument() override;

    bool load() override;
    void reload() override;
    QSize imageSize(const QString &name) override;
    QList<TocItem> tableOfContents() override;
    QString titleByPosition(int position) override;

    // After load(): the storage folder, then the page files in reading order.
    QStringList pages() const { return m_pages; }
    // Codec name of a plain text file; "" means UTF-8. Set before load().
    QString encoding() const { return m_encoding; }
    void setEncoding(const QString &encoding) { m_encoding = encoding; }
    QString path() const { return m_path; }
    const FbDescription &description() const { return m_description; }

    // Reads the book into description() without writing anything; for
    // the library, which wants the metadata and the cover.
    bool textToFb2(const QString &path);
    // First, middle and last name of the author, blanks between the parts.
    QString authorName() const;
    QString bookTitle() const { return m_description.bookTitle(); }
    QImage coverImage() const { return m_description.coverImage(); }

    // Writes the page of a leaf section, or the pages below a section with
    // subsections, and adds their contents entries to parentChilds (the
    // caller puts them under parent's "Childs"); parent takes the first
    // leaf page as its "Source" when it has none.
    void writeSection(const QString &folder, const QString &bookFileName, FbSection &section,
                      int &counter, QJsonObject &parent, QJsonArray &parentChilds);

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    Q_DISABLE_COPY_MOVE(FbDocument)

    // Writes one page; false (and the counter unchanged) when it cannot.
    // Writes the leaf sections gathered for one shared page, if any.
    void writePacked(const QString &folder, const QString &bookFileName, int &counter);
    bool writePage(const QString &folder, const QString &bookFileName, const QString &fragment,
                   int &counter, QString *fileName);
    void writePictures(const QString &folder);

    QStringList m_pages;
    // A book of very many sections shares its pages: the leaf sections
    // gathered for the next page, and that page's name.
    bool m_packLeaves = false;
    QString m_packed;
    QString m_packedName;
    QString m_encoding;
    QString m_path;
    TocState m_tocState;
    FbDescription m_description;
};

} // namespace fb2
