#pragma once

#include "formats/epub/bookinfo.h"

#include <QDomElement>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>

class ArchiveReader;
class QXmlStreamReader;

namespace epub {

class EpubDocument;

// Reads an EPUB file into a BookInfo record and prepares the book's files in
// its storage folder (Paths::bookPath of the file path).
//
// Reading mode unpacks the whole book, reads container, package and NCX,
// finds the cover, hands the spine documents to the document, strips their
// scripts and writes the ".toc" file. Metadata-only mode extracts just the
// container, the package, the encryption marker (with one probed spine
// document) and the cover, for the library.
//
// Nothing outside the storage folder is ever read or written: hrefs that
// lead out of it are skipped. Problems go to the log; the result is a
// status code. One parser serves one open() call, on any one thread.
class EpubParser : public QObject
{
    Q_OBJECT
public:
    enum Status { Parsed = 0, Damaged = 1, Protected = 4 };

    // The document is the parser's parent; it receives the spine file list.
    explicit EpubParser(EpubDocument *document);
    ~EpubParser() override;

    // Parsed, Damaged (not unpackable; in metadata-only mode also when the
    // container, package or a probed file cannot be extracted) or Protected
    // (encryption marker and a first spine document that is not XML).
    int open(const QString &filePath, bool metadataOnly);

    const BookInfo &info() const { return m_info; }
    QString bookFolder() const { return m_bookFolder; }

    // Percent-decoding of the UTF-8 bytes of an href.
    static QString decodeHref(const QString &href);

    // Package path named by a container file; empty when there is none.
    QString findOpfPath(const QString &containerPath);
    void loadMetaData(const QString &opfPath);
    void findCover(ArchiveReader &reader, const QString &filePath, const QString &folder);
    void loadToc(const QString &tocFileName);
    void loadSpine();

private:
    Q_DISABLE_COPY_MOVE(EpubParser)

    int openMetadataOnly(const QString &filePath);
    // Sets the package folder (info().opfFolder) from the package path.
    void setOpfFolder(const QString &opfPath);
    // The file of an href relative to the package folder, or a null string
    // when the href is empty or leads outside the storage folder.
    QString spineFilePath(const QString &href) const;
    // The archive entry name of an href relative to the package folder, or
    // a null string under the same conditions.
    QString entryName(const QString &opfDir, const QString &href) const;
    // Last of the image entries (images) whose name the predicate accepts,
    // extracted into folder; empty when there is none.
    QString extractImage(ArchiveReader &reader, const QString &filePath, const QString &folder,
                         const QStringList &images,
                         const std::function<bool(const QString &)> &accepts);
    // One contents entry from the navPoint the reader stands on, read to
    // its end.
    QJsonObject tocEntry(QXmlStreamReader &reader, int depth);
    // Strips the scripts from one file of the book, or removes it when that
    // cannot be done.
    void stripDocument(const QString &path);
    // Puts an empty picture in place of a picture that fails the size check
    // or does not fit in what is left of pixelBudget.
    void checkPicture(const QString &path, qint64 *pixelBudget);
    // True when the first readable XHTML spine document does not parse.
    void writeToc();
    bool probeEncryption(const std::function<QString(const QString &href)> &fileOfHref);

    EpubDocument *m_document;
    BookInfo m_info;
    QString m_bookFolder;
    QString m_filePath;
    // The archive's entry names, listed once per open.
    QStringList m_entries;
    bool m_metadataOnly = false;
    // This open unpacks the book afresh (no stamp of the same file).
    bool m_unpacking = true;
    // The package folder relative to the storage folder, "/" separated.
    QString m_opfDir;
};

} // namespace epub
