#include "document/textdocument.h"

#include "core/settings.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImageReader>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// Halves go upward, as the page and progress figures have always done.
int roundHalfUp(double value)
{
    return int(std::floor(value + 0.5));
}

} // namespace

TextDocument::TextDocument(QObject *parent)
    : QTextDocument(parent)
{
    setDocumentMargin(0.0);
    connect(documentLayout(), &QAbstractTextDocumentLayout::pageCountChanged, this,
            &TextDocument::layoutPageCountChanged);
}

TextDocument::~TextDocument() = default;

void TextDocument::reload() { }

bool TextDocument::load()
{
    return false;
}

QSize TextDocument::imageSize(const QString &)
{
    return QSize(-1, -1);
}

void TextDocument::reloadImages() { }

void TextDocument::removeSearchMarks()
{
    if (m_searchCleared)
        return;
    undo();
    m_searchCleared = true;
}

QList<SearchResult> TextDocument::search(const QString &text)
{
    removeSearchMarks();
    QList<SearchResult> results;
    if (text.isEmpty())
        return results;

    bool isNumber = false;
    const int number = text.toInt(&isNumber, 10);
    if (isNumber && number >= 1 && number <= pageCount()) {
        SearchResult jump;
        jump.position = calcPositionByPage(number);
        jump.title = titleByPosition(jump.position);
        jump.page = number;
        jump.text = tr("Go to page %1").arg(number);
        jump.isPageJump = true;
        results.append(jump);
    }

    // Only the background changes: the marked words keep their own fonts.
    QTextCharFormat marking;
    marking.setBackground(QBrush(Settings::instance()->values().profile().selectionColor));

    QList<int> hitEnds;
    QTextCursor block(this);
    block.beginEditBlock();
    QTextCursor cursor(this);
    while (true) {
        cursor = find(text, cursor);
        if (cursor.isNull())
            break;
        hitEnds.append(cursor.selectionEnd());
        cursor.movePosition(QTextCursor::WordRight, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(marking);
        if (cursor.atEnd())
            break;
    }
    block.endEditBlock();
    m_searchCleared = hitEnds.isEmpty();

    QList<int> blockNumbers;
    for (const int end : qAsConst(hitEnds)) {
        const int number = findBlock(end).blockNumber();
        if (!blockNumbers.contains(number))
            blockNumbers.append(number);
    }

    // The book text is escaped piece by piece so that a match never lands
    // inside an entity and no markup from the book reaches the rich text.
    const QString typed = text.toHtmlEscaped();
    for (const int number : qAsConst(blockNumbers)) {
        const QTextBlock textBlock = findBlockByNumber(number);
        const QString plain = textBlock.text();
        QString shown;
        int from = 0;
        while (true) {
            const int at = plain.indexOf(text, from, Qt::CaseInsensitive);
            if (at < 0)
                break;
            shown += plain.mid(from, at - from).toHtmlEscaped();
            shown += QStringLiteral("<b>%1</b>").arg(typed);
            from = at + text.size();
        }
        shown += plain.mid(from).toHtmlEscaped();

        SearchResult hit;
        hit.position = textBlock.position();
        hit.page = pageByPosition(hit.position);
        hit.title = titleByPosition(hit.position);
        hit.text = shown;
        results.append(hit);
    }

    std::stable_sort(results.begin(), results.end(),
                     [](const SearchResult &a, const SearchResult &b) {
                         if (a.isPageJump != b.isPageJump)
                             return a.isPageJump;
                         return a.page < b.page;
                     });
    return results;
}

void TextDocument::clearSearch()
{
    qDebug() << "TextDocument::clearSearch";
    if (m_searchCleared)
        return;
    removeSearchMarks();
    emit endCleanSearch();
}

void TextDocument::resetHighlight()
{
    removeSearchMarks();
    emit pageChanged();
}

QList<TocItem> TextDocument::tableOfContents()
{
    return m_tableOfContents;
}

QString TextDocument::titleByPosition(int)
{
    return QString();
}

QRectF TextDocument::characterRect(int position) const
{
    const QTextBlock block = findBlock(position);
    if (!block.isValid())
        return QRectF();
    const QRectF blockRect = documentLayout()->blockBoundingRect(block);
    const QVariant widthProperty = documentLayout()->property("cursorWidth");
    const qreal cursorWidth = widthProperty.isValid() ? widthProperty.toReal() : 1.0;

    const QTextLayout *layout = block.layout();
    const int inBlock = position - block.position();
    const QTextLine line = layout ? layout->lineForTextPosition(inBlock) : QTextLine();
    if (!line.isValid())
        return QRectF(blockRect.x(), blockRect.y(), cursorWidth, 10.0);

    const qreal x = line.cursorToX(inBlock);
    qreal advance;
    if (inBlock < line.textStart() + line.textLength())
        advance = line.cursorToX(inBlock + 1) - x;
    else
        advance = QFontMetricsF(block.charFormat().font()).horizontalAdvance(QLatin1Char(' '));
    return QRectF(blockRect.x() + x, blockRect.y() + line.y(), cursorWidth + advance,
                  line.height());
}

int TextDocument::pageByPosition(int position)
{
    const int y = roundHalfUp(characterRect(position).top());
    const int pageHeight = roundHalfUp(pageSize().height());
    // Before the view sets a size the page height is meaningless; everything
    // is on the first page then.
    if (pageHeight <= 0)
        return 1;
    return y / pageHeight + 1;
}

int TextDocument::calcPositionByPage(int page) const
{
    const QPointF point(0.0, (page - 1) * pageSize().height());
    int position = documentLayout()->hitTest(point, Qt::ExactHit);
    qDebug() << "TextDocument::calcPositionByPage"
             << "ExcatHit pos:" << position;
    if (position == -1) {
        position = documentLayout()->hitTest(point, Qt::FuzzyHit);
        qDebug() << "TextDocument::calcPositionByPage"
                 << "FuzzyHit pos:" << position;
    }
    return position;
}

int TextDocument::calcProgressByPage(const int page) const
{
    const int count = QTextDocument::pageCount();
    if (count <= 0)
        return 0;
    return roundHalfUp(double(float(page) / float(count) * 100.0f));
}

int TextDocument::currentPage()
{
    return m_currentPage;
}

int TextDocument::pageCount()
{
    return isEmpty() ? 0 : QTextDocument::pageCount();
}

float TextDocument::progress()
{
    const int count = QTextDocument::pageCount();
    if (count <= 0)
        return 0.0f;
    return float(m_currentPage) / float(count) * 100.0f;
}

int TextDocument::currentPosition()
{
    return calcPositionByPage(m_currentPage);
}

int TextDocument::columnCount()
{
    return m_columnCount;
}

TextViewer *TextDocument::viewer()
{
    return m_viewer;
}

void TextDocument::setViewer(TextViewer *viewer)
{
    m_viewer = viewer;
}

QString TextDocument::titleOfSection(const QList<TocItem> &entries, int position)
{
    if (entries.isEmpty())
        return QString();
    if (entries.size() == 1 || position < entries.first().position)
        return entries.first().title;
    for (int i = 1; i < entries.size(); ++i) {
        if (entries.at(i - 1).position <= position && position < entries.at(i).position)
            return entries.at(i - 1).title;
    }
    return entries.last().title;
}

QImage TextDocument::decodeImage(const QByteArray &data, qint64 *pixelBudget)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    qint64 left = pixelBudget ? *pixelBudget : 0;
    if (!allowPictureSize(reader.size(), pixelBudget ? &left : nullptr))
        return QImage();
    QImage image = reader.read();
    if (pixelBudget && !image.isNull())
        *pixelBudget = left;
    return image;
}

bool TextDocument::allowPictureSize(const QSize &size, qint64 *pixelBudget)
{
    // Books carry pictures of a few megapixels; a header that claims more
    // is taken as damaged rather than allocated.
    constexpr int maximumSide = 20000;
    constexpr qint64 maximumArea = 40000000;
    const qint64 area = qint64(size.width()) * size.height();
    if (!size.isValid() || size.isEmpty() || size.width() > maximumSide
        || size.height() > maximumSide || area > maximumArea
        || (pixelBudget && area > *pixelBudget))
        return false;
    if (pixelBudget)
        *pixelBudget -= area;
    return true;
}

QImage TextDocument::decodeScaledImage(QIODevice *device, const QSize &bound, qint64 *pixelBudget)
{
    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    qint64 left = pixelBudget ? *pixelBudget : 0;
    if (!allowPictureSize(size, pixelBudget ? &left : nullptr))
        return QImage();
    const QSize target = size.scaled(bound, Qt::KeepAspectRatio).boundedTo(size);
    if (target.isEmpty())
        return QImage();
    if (target != size && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull())
        return image;
    if (pixelBudget)
        *pixelBudget = left;
    if (image.size() != target)
        image = image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage TextDocument::decodeScaledImage(const QString &path, const QSize &bound, qint64 *pixelBudget)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return decodeScaledImage(&file, bound, pixelBudget);
}

qint64 TextDocument::pictureBudget(qint64 bookBytes)
{
    // A picture of a few kilobytes can claim tens of megapixels (a plain
    // area compresses to almost nothing), and a book can hold or name it
    // many times. Real pictures give a few pixels per byte of their file.
    constexpr qint64 floor = 64000000;
    constexpr qint64 pixelsPerByte = 64;
    return qMax(floor, bookBytes * pixelsPerByte);
}

int TextDocument::findAnchorBlock(const QString &name) const
{
    if (name.isEmpty())
        return 0;
    for (QTextBlock block = begin(); block.isValid(); block = block.next()) {
        const QTextCharFormat blockFormat = block.charFormat();
        if (blockFormat.isAnchor() && blockFormat.anchorNames().contains(name))
            return block.position();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (format.isAnchor() && format.anchorNames().contains(name))
                return fragment.position();
        }
    }
    return 0;
}

QHash<QString, int> TextDocument::anchorPositions() const
{
    QHash<QString, int> positions;
    const auto note = [&positions](const QTextCharFormat &format, int position) {
        if (!format.isAnchor())
            return;
        const QStringList names = format.anchorNames();
        for (const QString &name : names) {
            if (!name.isEmpty() && !positions.contains(name))
                positions.insert(name, position);
        }
    };
    for (QTextBlock block = begin(); block.isValid(); block = block.next()) {
        note(block.charFormat(), block.position());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                note(fragment.charFormat(), fragment.position());
        }
    }
    return positions;
}

void TextDocument::setPage(int newPage)
{
    emit beginPageChanged();
    m_currentPage = newPage;
    emit pageChanged();
    emit endPageChanged();
}

void TextDocument::setPageByProgress(float progress)
{
    setPageByPosition(int(lastBlock().position() / 100.0 * progress));
}

void TextDocument::setPageByPosition(int position)
{
    setPage(pageByPosition(position));
}

void TextDocument::setPageByBlockNumber(int blockNumber)
{
    setPageByPosition(findBlockByNumber(blockNumber).position());
}

void TextDocument::setColumnCount(int count)
{
    m_columnCount = count;
    updateLayout();
    emit columnCountChanged(count);
}

void TextDocument::setViewPortSize(const QSize &size)
{
    if (size == m_viewPortSize)
        return;
    removeSearchMarks();
    m_viewPortSize = size;
    emit beginResizePage();
    QCoreApplication::processEvents();
    updateLayout();
    emit endResizePage();
}

void TextDocument::setBackgroundColor(const QColor &clr)
{
    m_backgroundColor = clr;
}

void TextDocument::setHighlightColor(const QColor &color)
{
    m_highlightColor = color;
}

void TextDocument::setFontColor(const QColor &clr)
{
    m_fontColor = clr;
}

void TextDocument::setMargings(const QMargins &margings)
{
    m_margins = margings;
}

void TextDocument::setFont(const QFont &f)
{
    m_font = f;
}

void TextDocument::next()
{
    const int count = QTextDocument::pageCount();
    if (m_currentPage < count)
        setPage(std::min(m_currentPage + m_columnCount, count));
}

void TextDocument::previous()
{
    if (m_currentPage < 1 || QTextDocument::pageCount() < 1 || m_currentPage <= m_columnCount)
        return;
    setPage(m_currentPage - m_columnCount);
}

void TextDocument::layoutPageCountChanged(int newPageCount)
{
    m_layoutPageCount = newPageCount;
}

void TextDocument::moveToHome()
{
    setPage(1);
}

void TextDocument::moveToEnd()
{
    setPage(QTextDocument::pageCount());
}

void TextDocument::updateLayout()
{
    m_savedPosition = currentPosition();
    qDebug() << "TextDocument::updateLayout shown position:"
             << calcPositionByPage(m_columnCount == 2 ? m_currentPage + 1 : m_currentPage);

    int width = 600;
    int height = 800;
    if (m_columnCount == 1) {
        width = m_viewPortSize.width();
        height = m_viewPortSize.height();
    } else if (m_columnCount == 2) {
        width = m_viewPortSize.width() / 2;
        height = m_viewPortSize.height();
    }

    // One line height stays free below the text so a line is never cut.
    const int lineHeight = QFontMetrics(m_font).height();
    setPageSize(QSizeF(width - m_margins.left() - m_margins.right(),
                       height - lineHeight - m_margins.top() - m_margins.bottom()));

    reloadImages();
    setPageByPosition(m_savedPosition);
    QCoreApplication::processEvents();
    QTimer::singleShot(1000, this, &TextDocument::resetHighlight);
}
