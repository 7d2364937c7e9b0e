#pragma once

#include "document/textdocument.h"
#include "formats/mobi/mobimarkup.h"

#include <QImage>
#include <QMap>
#include <QStringList>

#include <memory>

namespace mobi {

class MobiFile;

// The reflowable document of a MOBI or PRC book. load() decodes the text,
// turns it into one HTML page with working links, pictures and heading
// anchors, and writes that page, the pictures and the ".toc" file into the
// book's storage folder; files() then names them for the reading view.
//
// A book that cannot be shown (not a readable book, an unknown text
// encoding, encrypted) makes load() answer false and status() say why.
// Lives on the GUI thread, like every TextDocument.
class MobiDocument : public TextDocument
{
    Q_OBJECT
public:
    MobiDocument(const QString &filePath, QObject *parent = nullptr);
    ~MobiDocument() override;

    bool load() override;
    void reload() override;
    QSize imageSize(const QString &name) override;
    QList<TocItem> tableOfContents() override;
    QString titleByPosition(int position) override;

    // After a successful load(): the storage folder, then the HTML file.
    QStringList files() const { return m_files; }
    QString filePath() const { return m_filePath; }
    const MobiFile &reader() const { return *m_reader; }

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    Q_DISABLE_COPY_MOVE(MobiDocument)

    void rebuildToc();
    bool writePictures(const QString &folder) const;

    QStringList m_files;
    std::unique_ptr<MobiFile> m_reader;
    QString m_filePath;
    QList<Heading> m_headings;
    QMap<QString, QImage> m_images;
    QList<TocItem> m_toc;
    QString m_html;
    QString m_htmlFileName;
};

} // namespace mobi
