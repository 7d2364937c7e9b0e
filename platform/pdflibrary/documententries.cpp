// The entries that open a document and read it: pages, boxes, rotation,
// rendering, text, outlines and information, on poppler.

#include "platform/pdflibrary/entries.h"
#include "platform/pdflibrary/instance.h"
#include "platform/pdflibrary/pageimage.h"

#include <poppler-qt5.h>
#include <poppler-version.h>

#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <cmath>
#include <cstring>

namespace pdflibrary {

namespace {

    // Outline trees of hostile files can be deep or huge; past these limits the
    // rest is left out rather than recursing without end.
    constexpr int maximumOutlineDepth = 64;
    constexpr std::size_t maximumOutlineItems = 100000;

    QString qt(const std::wstring &text)
    {
        return QString::fromStdWString(text);
    }

    std::unique_ptr<Poppler::Page> selectedPage(const Instance &library)
    {
        if (!library.document || library.selectedPage < 1)
            return nullptr;
        return std::unique_ptr<Poppler::Page>(library.document->page(library.selectedPage - 1));
    }

    int rotationOf(const Poppler::Page &page)
    {
        switch (page.orientation()) {
        case Poppler::Page::Landscape:
            return 90;
        case Poppler::Page::UpsideDown:
            return 180;
        case Poppler::Page::Seascape:
            return 270;
        case Poppler::Page::Portrait:
            break;
        }
        return 0;
    }

    // The crop box as the file has it, before the page's rotation: poppler
    // hands the size over already turned.
    QSizeF unrotatedSize(const Poppler::Page &page)
    {
        const QSizeF size = page.pageSizeF();
        const int rotation = rotationOf(page);
        return (rotation == 90 || rotation == 270) ? size.transposed() : size;
    }

    void addOutlines(Instance &library, const QVector<Poppler::OutlineItem> &items, int parent,
                     int depth)
    {
        if (depth > maximumOutlineDepth)
            return;
        int previous = 0;
        for (const Poppler::OutlineItem &item : items) {
            if (library.outlines.size() >= maximumOutlineItems)
                return;
            OutlineNode node;
            node.title = item.name().toStdWString();
            const QSharedPointer<const Poppler::LinkDestination> destination = item.destination();
            node.page = destination ? destination->pageNumber() : 0;
            node.parent = parent;
            node.previous = previous;
            library.outlines.push_back(node);
            const int id = int(library.outlines.size());
            if (previous)
                library.outlines[std::size_t(previous - 1)].next = id;
            else if (parent)
                library.outlines[std::size_t(parent - 1)].firstChild = id;
            previous = id;
            if (item.hasChildren())
                addOutlines(library, item.children(), id, depth + 1);
        }
    }

    const OutlineNode *outline(const Instance &library, int id)
    {
        if (id < 1 || std::size_t(id) > library.outlines.size())
            return nullptr;
        return &library.outlines[std::size_t(id - 1)];
    }

    const char *informationKey(int key)
    {
        switch (key) {
        case 1:
            return "Author";
        case 2:
            return "Title";
        case 3:
            return "Subject";
        case 4:
            return "Keywords";
        case 5:
            return "Creator";
        case 6:
            return "Producer";
        case 7:
            return "CreationDate";
        case 8:
            return "ModDate";
        default:
            return nullptr;
        }
    }

    // A number of an outline item; 0 for an id that names none.
    int outlineField(const Instance &library, int id, int OutlineNode::*field)
    {
        const OutlineNode *node = outline(library, id);
        return node ? node->*field : 0;
    }

    QString recordField(const QString &word)
    {
        QString quoted = word;
        quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    }

} // namespace

namespace entry {

    int LoadFromFile(Instance &library, const std::wstring &FileName, const std::wstring &Password)
    {
        library.closeDocument();
        const QString path = qt(FileName);
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists()) {
            library.lastError = FileNotFound;
            return 0;
        }
        if (!info.isFile() || !info.isReadable()) {
            library.lastError = CannotOpenInput;
            return 0;
        }
        const QByteArray password = qt(Password).toUtf8();
        std::unique_ptr<Poppler::Document> document(
                Poppler::Document::load(path, password, password));
        if (!document) {
            library.lastError = DamagedFile;
            return 0;
        }
        if (document->isLocked()) {
            library.lastError = InvalidPassword;
            return 0;
        }
        if (document->numPages() < 1) {
            library.lastError = DamagedFile;
            return 0;
        }
        document->setRenderBackend(Poppler::Document::SplashBackend);
        document->setRenderHint(Poppler::Document::Antialiasing, true);
        document->setRenderHint(Poppler::Document::TextAntialiasing, true);
        library.document = std::move(document);
        library.fileName = FileName;
        library.password = Password;
        library.selectedPage = 1;
        addOutlines(library, library.document->outline(), 0, 0);
        return 1;
    }

    int PageCount(Instance &library)
    {
        return library.document ? library.document->numPages() : 0;
    }

    int SelectPage(Instance &library, int PageNumber)
    {
        if (!library.document || PageNumber < 1 || PageNumber > library.document->numPages())
            return 0;
        library.selectedPage = PageNumber;
        return 1;
    }

    int SelectedPage(Instance &library)
    {
        return library.selectedPage;
    }

    int PageRotation(Instance &library)
    {
        const auto page = selectedPage(library);
        return page ? rotationOf(*page) : 0;
    }

    // Box types 1 to 5 (media, crop, bleed, trim, art) all answer the crop box:
    // that is the area poppler renders. Dimensions: 0 left, 1 top, 2 width,
    // 3 height, 4 right, 5 bottom, with the box's lower left corner at 0, 0.
    double GetPageBox(Instance &library, int BoxType, int Dimension)
    {
        const auto page = selectedPage(library);
        if (!page || BoxType < 1 || BoxType > 5)
            return 0.0;
        const QSizeF size = unrotatedSize(*page);
        switch (Dimension) {
        case 0:
            return 0.0;
        case 1:
            return size.height();
        case 2:
            return size.width();
        case 3:
            return size.height();
        case 4:
            return size.width();
        case 5:
            return 0.0;
        default:
            return 0.0;
        }
    }

    double PageWidth(Instance &library)
    {
        return GetPageBox(library, 2, 2);
    }

    double PageHeight(Instance &library)
    {
        return GetPageBox(library, 2, 3);
    }

    int SetRenderScale(Instance &library, double NewScale)
    {
        if (!(NewScale > 0.0) || !std::isfinite(NewScale))
            return 0;
        library.renderScale = NewScale;
        return 1;
    }

    double GetRenderScale(Instance &library)
    {
        return library.renderScale;
    }

    int RenderPageToDC(Instance &library, double DPI, int Page, gdi::HDC DC)
    {
        gdi::Surface surface;
        if (!library.document || !gdi::surfaceOf(DC, &surface))
            return 0;
        const QImage image = renderPage(library, Page, DPI, QSize(surface.width, surface.height));
        if (image.isNull())
            return 0;
        copyToSurface(image, surface);
        return 1;
    }

    int RenderPageToFile(Instance &library, double DPI, int Page, int Options,
                         const std::wstring &FileName)
    {
        const QImage image = renderPage(library, Page, DPI, QSize());
        if (image.isNull())
            return 0;
        return saveImage(library, image, Options, qt(FileName)) ? 1 : 0;
    }

    // "%p" in the file name stands for the page number; without it the number
    // goes in front of the extension, so pages never overwrite each other.
    int RenderDocumentToFile(Instance &library, double DPI, int StartPage, int EndPage, int Options,
                             const std::wstring &FileName)
    {
        if (!library.document)
            return 0;
        if (StartPage < 1 || EndPage < StartPage || EndPage > library.document->numPages()) {
            library.lastError = InvalidRangeList;
            return 0;
        }
        const QString pattern = qt(FileName);
        int result = 1;
        for (int page = StartPage; page <= EndPage; ++page) {
            QString name = pattern;
            if (name.contains(QLatin1String("%p"))) {
                name.replace(QLatin1String("%p"), QString::number(page));
            } else {
                const int dot = name.lastIndexOf(QLatin1Char('.'));
                const int slash = name.lastIndexOf(QLatin1Char('/'));
                name.insert(dot > slash ? dot : name.size(), QString::number(page));
            }
            const QImage image = renderPage(library, page, DPI, QSize());
            if (image.isNull() || !saveImage(library, image, Options, name))
                result = 0;
        }
        return result;
    }

    // ExtractOptions 2: one record a line for every word, in reading order:
    // left,top,right,bottom,characters,"word" (points from the top left
    // corner of the page as shown; a double quote inside the word is doubled).
    // Every other option: the page's plain text.
    std::wstring GetPageText(Instance &library, int ExtractOptions)
    {
        const auto page = selectedPage(library);
        if (!page)
            return std::wstring();
        if (ExtractOptions != 2)
            return page->text(QRectF()).toStdWString();
        // Appended piece by piece: a page holds hundreds of words, and a
        // search reads every page.
        QString records;
        const QList<Poppler::TextBox *> boxes = page->textList();
        records.reserve(boxes.size() * 48);
        for (Poppler::TextBox *box : boxes) {
            const QRectF r = box->boundingBox();
            for (const qreal value : { r.left(), r.top(), r.right(), r.bottom() }) {
                records += QString::number(value, 'f', 2);
                records += QLatin1Char(',');
            }
            records += QString::number(box->text().size());
            records += QLatin1Char(',');
            records += recordField(box->text());
            records += QLatin1Char('\n');
        }
        qDeleteAll(boxes);
        return records.toStdWString();
    }

    int OutlineCount(Instance &library)
    {
        return int(library.outlines.size());
    }

    int GetFirstOutline(Instance &library)
    {
        return library.outlines.empty() ? 0 : 1;
    }

    int GetFirstChildOutline(Instance &library, int OutlineID)
    {
        return outlineField(library, OutlineID, &OutlineNode::firstChild);
    }

    int GetNextOutline(Instance &library, int OutlineID)
    {
        return outlineField(library, OutlineID, &OutlineNode::next);
    }

    int GetPrevOutline(Instance &library, int OutlineID)
    {
        return outlineField(library, OutlineID, &OutlineNode::previous);
    }

    int GetParentOutline(Instance &library, int OutlineID)
    {
        return outlineField(library, OutlineID, &OutlineNode::parent);
    }

    int GetOutlinePage(Instance &library, int OutlineID)
    {
        return outlineField(library, OutlineID, &OutlineNode::page);
    }

    std::wstring OutlineTitle(Instance &library, int OutlineID)
    {
        const OutlineNode *node = outline(library, OutlineID);
        return node ? node->title : std::wstring();
    }

    // Keys: 0 the PDF version, 1 author, 2 title, 3 subject, 4 keywords,
    // 5 creator, 6 producer, 7 creation date, 8 modification date. A value set
    // with SetInformation and not saved yet is answered as set.
    std::wstring GetInformation(Instance &library, int Key)
    {
        if (!library.document)
            return std::wstring();
        const auto pending = library.pendingInformation.find(Key);
        if (pending != library.pendingInformation.end())
            return pending->second;
        if (Key == 0) {
            const Poppler::Document::PdfVersion version = library.document->getPdfVersion();
            return QStringLiteral("%1.%2").arg(version.major).arg(version.minor).toStdWString();
        }
        const char *key = informationKey(Key);
        if (!key)
            return std::wstring();
        return library.document->info(QString::fromLatin1(key)).toStdWString();
    }

    int LastErrorCode(Instance &library)
    {
        return library.lastError;
    }

    std::wstring LibraryVersion(Instance &)
    {
        return QStringLiteral("vellumin PDF library 1.0 (poppler %1)")
                .arg(QStringLiteral(POPPLER_VERSION))
                .toStdWString();
    }

} // namespace entry

} // namespace pdflibrary
