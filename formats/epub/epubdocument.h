#pragma once

#include "document/textdocument.h"
#include "formats/epub/bookinfo.h"

#include <QStringList>

namespace epub {

// The document of an EPUB book. load() unpacks the book into its storage
// folder and prepares its spine documents; the text itself is not put into
// the QTextDocument: the reading view loads the spine documents as they lie
// on disk (spineFiles()).
class EpubDocument : public TextDocument
{
    Q_OBJECT
public:
    EpubDocument(const QString &filePath, QObject *parent = nullptr);
    ~EpubDocument() override;

    // Runs the parser in reading mode and takes its status (Ok, Damaged or
    // Protected); true exactly when it is Ok.
    bool load() override;
    void reload() override;

    QString filePath() const { return m_filePath; }
    // Element 0 is the folder of the package file on disk; then the spine's
    // XHTML documents in reading order, relative to that folder.
    QStringList spineFiles() const { return m_spineFiles; }
    void setSpineFiles(const QStringList &files) { m_spineFiles = files; }
    // What the last load() read of the package (title, author, cover...).
    const BookInfo &bookInfo() const { return m_bookInfo; }

private:
    Q_DISABLE_COPY_MOVE(EpubDocument)

    QStringList m_spineFiles;
    QString m_filePath;
    BookInfo m_bookInfo;
};

} // namespace epub
