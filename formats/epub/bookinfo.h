#pragma once

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace epub {

// One item of the package manifest.
struct ManifestItem
{
    QString id;
    QString mediaType;
    // Percent-decoded, relative to the package file's folder.
    QString href;
};

// What the parser learns of a book from its package: manifest, spine,
// folder of the package file, the table-of-contents text, the cover and the
// Dublin Core metadata. A copyable value.
class BookInfo
{
    Q_DECLARE_TR_FUNCTIONS(BookInfo)
public:
    // Index of a metadata element name ("dc:title") or meta name ("cover")
    // for setField(); -1 when the name is unknown (filed as an identifier).
    static int metadataIndex(const QString &name);

    // Appends the value's text to the list the index files into; indices
    // 7 (date), 16 (generator) and those outside 0 to 15 are dropped.
    void setField(int index, const QVariant &value);

    // The first title, else an empty string.
    QString title() const;
    // The first creator, else "Unknown".
    QString author() const;
    // Path of the extracted cover image; empty when none was found.
    QString coverPath() const { return m_coverPath; }
    void setCoverPath(const QString &path) { m_coverPath = path; }

    QMap<QString, ManifestItem> manifest;
    QStringList spine;
    bool encrypted = false;
    QString opfFolder;
    QString tocJson;

    QStringList identifier;
    QStringList titles;
    QStringList language;
    QStringList creator;
    QStringList description;
    QStringList publisher;
    QStringList contributor;
    QStringList type;
    QStringList format;
    QStringList subject;
    QStringList source;
    QStringList relation;
    // The "cover" meta values and the "dc:coverage" values together: the
    // cover search takes its candidates from here.
    QStringList coverage;
    QStringList rights;

private:
    QString m_coverPath;
};

} // namespace epub
