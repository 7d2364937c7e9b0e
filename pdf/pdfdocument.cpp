#include "pdf/pdfdocument.h"

#include "core/logger.h"
#include "widgets/handover/applicationhandover.h"
#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QPainter>
#include <QSet>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace pdf {

namespace {

    // The library's answer to a missing or wrong password.
    constexpr int PasswordError = 404;
    // Page box of the area shown (the crop box) and its width and height.
    constexpr int CropBox = 2;
    constexpr int BoxWidth = 2;
    constexpr int BoxHeight = 3;
    // Text records: left,top,right,bottom,characters,"word" a line.
    constexpr int WordRecordOptions = 2;
    constexpr int WordField = 5;
    // Information keys.
    constexpr int AuthorKey = 1;
    constexpr int TitleKey = 2;
    constexpr int CreatorKey = 5;
    constexpr int ProducerKey = 6;

    // The word of a text record; a word may itself hold commas, so the
    // field runs to the end of the line. The library quotes it and doubles
    // a quote inside.
    QString recordWord(QStringView line)
    {
        int at = 0;
        for (int field = 0; field < WordField; ++field) {
            at = int(line.indexOf(QLatin1Char(','), at));
            if (at < 0)
                return QString();
            ++at;
        }
        QStringView word = line.mid(at);
        if (word.size() >= 2 && word.startsWith(QLatin1Char('"'))
            && word.endsWith(QLatin1Char('"'))) {
            return word.mid(1, word.size() - 2)
                    .toString()
                    .replace(QLatin1String("\"\""), QLatin1String("\""));
        }
        return word.toString();
    }

    // The pair top-aligned on a black canvas, as a painter draws it, but
    // row by row: a turn copies each page once and fills only the room a
    // shorter page leaves.
    QImage joinPair(const QImage &left, const QImage &right)
    {
        QImage canvas(left.width() + right.width(), qMax(left.height(), right.height()),
                      left.format());
        if (canvas.isNull())
            return left;
        const QImage placed = right.isNull() || right.format() == canvas.format()
                ? right
                : right.convertToFormat(canvas.format());
        if (canvas.depth() != 32 || placed.depth() != 32) {
            canvas.fill(0);
            QPainter painter(&canvas);
            painter.drawImage(0, 0, left);
            painter.drawImage(left.width(), 0, placed);
            return canvas;
        }
        // Black in the canvas's format, as a fill with 0 makes it.
        QImage black(1, 1, canvas.format());
        black.fill(0);
        quint32 blank;
        std::memcpy(&blank, black.constBits(), sizeof blank);
        const auto copyRow = [&canvas, blank](const QImage &page, int x, int y) {
            auto *row = reinterpret_cast<quint32 *>(canvas.scanLine(y)) + x;
            if (y < page.height())
                std::memcpy(row, page.constScanLine(y), std::size_t(page.width()) * 4);
            else
                std::fill_n(row, page.width(), blank);
        };
        for (int y = 0; y < canvas.height(); ++y) {
            copyRow(left, 0, y);
            if (!placed.isNull())
                copyRow(placed, left.width(), y);
        }
        return canvas;
    }

} // namespace

struct PdfDocument::TocNode
{
    QString title;
    int page = 0;
    QList<int> children;
};

PdfDocument::PdfDocument(QObject *parent)
    : ImageDocument(parent)
{
}

PdfDocument::~PdfDocument() = default;

void PdfDocument::setControllers(InputPasswordController *passwords, MessageBoxController *messages)
{
    m_passwords = passwords;
    m_messages = messages;
    m_controllersSet = true;
}

// ---- opening ----

bool PdfDocument::openWithPassword(const QString &password)
{
    const QMutexLocker locker(&m_engineLock);
    if (m_engine.LoadFromFile(m_filePath, password) == 0)
        return false;
    m_password = password;
    return true;
}

bool PdfDocument::load(const QString &filePath)
{
    {
        // The partner engine holds the previous file.
        const QMutexLocker locker(&m_partnerLock);
        m_partner.reset();
        m_partnerFailed = false;
    }
    m_filePath = filePath;
    m_password.clear();
    m_loaded = false;
    m_protected = false;
    m_lastError.clear();
    if (!m_engine.LibraryLoaded()) {
        m_lastError = tr("the PDF library cannot be loaded");
        return false;
    }

    if (openWithPassword(QLatin1String(""))) {
        m_loaded = true;
    } else {
        const int code = m_engine.LastErrorCode();
        if (code != PasswordError) {
            Logger::instance()->write(
                    QStringLiteral("pdf::PdfDocument::loadloading error:%1").arg(code),
                    Logger::Debug);
            switch (code) {
            case 411:
                m_lastError = tr("the file does not exist");
                break;
            case 401:
                m_lastError = tr("the file cannot be read");
                break;
            case 409:
                m_lastError = tr("the file is damaged or is no PDF file");
                break;
            default:
                m_lastError = Document::errorMessage(code);
                break;
            }
        } else {
            m_protected = true;
            if (m_skipPasswordPrompt)
                m_lastError = tr("the file is protected by a password");
            else
                m_loaded = askForPassword();
        }
    }

    if (m_loaded) {
        const QMutexLocker locker(&m_engineLock);
        m_pageCount = qMax(0, m_engine.PageCount());
    }
    return m_loaded;
}

bool PdfDocument::askForPassword()
{
    InputPasswordController *passwords
            = m_controllersSet ? m_passwords.data() : Handover::applicationPasswordController();
    MessageBoxController *messages
            = m_controllersSet ? m_messages.data() : Handover::applicationMessageController();
    // As many tries as the user wants: only the right password, another
    // error or one of the answers that give up ends the prompt.
    for (;;) {
        if (!passwords) {
            m_lastError = tr("the file is protected by a password");
            return false;
        }
        const PasswordAnswer answer = passwords->ask(m_checkSkip);
        if (!answer.accepted) {
            m_lastError = tr("no password was given");
            return false;
        }
        if (answer.skipAll) {
            m_passwordSkipped = true;
            m_lastError = tr("no password was given");
            return false;
        }
        if (answer.skip) {
            m_passwordCanceled = true;
            m_lastError = tr("no password was given");
            return false;
        }
        if (openWithPassword(answer.password))
            return true;
        const int code = m_engine.LastErrorCode();
        if (code != PasswordError) {
            m_lastError = Document::errorMessage(code);
            return false;
        }
        if (messages)
            messages->showAndWait(tr("Can not open file"), tr("The password is incorrect"));
    }
}

bool PdfDocument::isLoaded()
{
    return m_loaded;
}

// ---- pages and images ----

int PdfDocument::pageCount()
{
    return m_pageCount;
}

bool PdfDocument::isValidPage(int page)
{
    return page >= 1 && page <= m_pageCount;
}

void PdfDocument::setViewPortSize(const QSize &size)
{
    m_viewPortSize = size;
}

QSize PdfDocument::viewPortSize() const
{
    return m_viewPortSize;
}

void PdfDocument::setRenderState(int state)
{
    m_renderState.storeRelaxed(state);
}

int PdfDocument::renderState() const
{
    return m_renderState.loadRelaxed();
}

PdfDocument::ViewState PdfDocument::viewState() const
{
    auto *self = const_cast<PdfDocument *>(this);
    ViewState state;
    state.page = self->currentPage();
    state.columns = self->columnCount();
    state.scale = scale();
    state.renderState = renderState();
    state.viewPort = m_viewPortSize;
    return state;
}

QSize PdfDocument::pageSize()
{
    const QMutexLocker locker(&m_engineLock);
    return m_engine.pageSize(m_engine.SelectedPage());
}

QImage PdfDocument::renderPageLocked(Document &engine, int page, const ViewState &state,
                                     bool pairedFit)
{
    if (page < 1 || page > m_pageCount)
        return QImage();
    const QSize points = engine.pageSize(page);
    // A damaged page may declare an empty box: nothing can be fitted to it.
    if (points.width() <= 0 || points.height() <= 0) {
        Logger::instance()->write(
                QStringLiteral("pdf::PdfDocument: page %1 of %2 has no size (%3 x %4 points) and "
                               "is not shown")
                        .arg(page)
                        .arg(m_filePath)
                        .arg(points.width())
                        .arg(points.height()),
                Logger::Warning);
        return QImage();
    }

    int renderMode = state.renderState;
    if (state.viewPort.width() < 0 || state.viewPort.height() < 0) {
        renderMode = OriginalSize;
        m_renderState.storeRelaxed(OriginalSize);
    }
    double scale = 1.0;
    if (renderMode == FitToPage) {
        const double fittingWidth = pairedFit ? 2.0 * points.width() : points.width();
        scale = qMin(state.viewPort.height() / double(points.height()),
                     state.viewPort.width() / fittingWidth);
        // Whole hundredths, as the library takes its scale.
        scale = std::trunc(scale * 100.0 - 0.5) / 100.0;
    } else if (renderMode == Zoom) {
        scale = state.scale;
    }
    if (!(scale > 0.0) || !std::isfinite(scale)) {
        qDebug() << "pdf::PdfDocument::requestImage"
                 << "no room for page" << page << "at scale" << scale;
        return QImage();
    }

    // However far the view zooms, a page bitmap stays within bounds: a
    // larger one is drawn at the largest scale that fits them.
    const double area = double(points.width()) * points.height() * scale * scale;
    const double bound = qMin(
            qMin(std::sqrt(MaximumImagePixels / area), MaximumImageSide / (points.width() * scale)),
            MaximumImageSide / (points.height() * scale));
    if (bound < 1.0)
        scale *= bound;
    const QSize size(int(points.width() * scale), int(points.height() * scale));

    engine.SetRenderScale(scale);
    QElapsedTimer timer;
    timer.start();
    const QImage image = engine.drawPage(page, 72.0, size);
    qDebug() << "pdf::PdfDocument::requestImage"
             << "Render time (ms):" << timer.elapsed();
    return image;
}

QImage PdfDocument::pageImage(int page)
{
    ViewState state = viewState();
    state.page = page;
    const QMutexLocker locker(&m_engineLock);
    // The left page of a pair, or its right page when that is not the
    // book's last: fitted as half of the pair.
    return renderPageLocked(m_engine, page, state, state.columns == 2 && page < m_pageCount);
}

QImage PdfDocument::renderView(const ViewState &state)
{
    if (state.columns != 1 && state.columns != 2)
        return QImage();
    // Both pages of a pair are fitted alike, the last page as well, so the
    // pair fits the view.
    const bool pair = state.columns == 2 && state.page < m_pageCount;
    if (!pair) {
        const QMutexLocker locker(&m_engineLock);
        return renderPageLocked(m_engine, state.page, state, false);
    }
    // Both pages at once, each by an engine of its own: a turn waits for
    // the slower page instead of both. With no pool thread free, waiting
    // for the right page draws it on this thread, after the left one.
    QFuture<QImage> rightPage
            = QtConcurrent::run([this, state] { return renderRightPage(state.page + 1, state); });
    QImage left;
    {
        const QMutexLocker locker(&m_engineLock);
        left = renderPageLocked(m_engine, state.page, state, true);
    }
    const QImage right = rightPage.result();
    if (left.isNull())
        return left;
    return joinPair(left, right);
}

QImage PdfDocument::renderRightPage(int page, const ViewState &state)
{
    const QMutexLocker locker(&m_partnerLock);
    if (!m_partner && !m_partnerFailed) {
        auto partner = std::make_unique<Document>();
        // The file may have changed on disk since it was opened: a partner
        // that does not see the same book is not used.
        if (partner->LibraryLoaded() && partner->LoadFromFile(m_filePath, m_password) != 0
            && partner->PageCount() == m_pageCount) {
            m_partner = std::move(partner);
        } else {
            m_partnerFailed = true;
            Logger::instance()->write(
                    QStringLiteral("pdf::PdfDocument: %1 does not open a second time; the pages "
                                   "of a pair are drawn one after the other")
                            .arg(m_filePath),
                    Logger::Warning);
        }
    }
    if (m_partner)
        return renderPageLocked(*m_partner, page, state, true);
    const QMutexLocker engineLocker(&m_engineLock);
    return renderPageLocked(m_engine, page, state, true);
}

QImage PdfDocument::requestCurrentImage()
{
    return renderView(viewState());
}

QImage PdfDocument::renderPage()
{
    return pageImage(1);
}

// ---- navigation and progress ----

void PdfDocument::setPageByPosition(int position)
{
    setPage(position);
}

int PdfDocument::pageByPosition(int position)
{
    return position;
}

int PdfDocument::currentPosition()
{
    return currentPage();
}

int PdfDocument::calcProgressByPage(const int page) const
{
    if (m_pageCount <= 0)
        return 0;
    // In single precision, as stored progress has always been counted:
    // page 53 of 100 is 52.
    const float progress = float(page) / float(m_pageCount) * 100.0f;
    return int(progress);
}

float PdfDocument::progress()
{
    return float(calcProgressByPage(currentPage()));
}

QString PdfDocument::titleByPosition(int position)
{
    Q_UNUSED(position)
    return QString();
}

// ---- contents ----

QList<TocItem> PdfDocument::tableOfContents()
{
    if (!m_tableOfContents.isEmpty())
        return m_tableOfContents;

    // Read without recursion: the siblings of one level follow each other
    // in a loop, and each level that has children waits on a list of its
    // own, so neither thousands of siblings nor a chain of levels deepen
    // the stack. An item met again (an outline in a circle) ends its run.
    std::vector<TocNode> nodes;
    QList<int> roots;
    {
        const QMutexLocker locker(&m_engineLock);
        qDebug() << "pdf::PdfDocument::toc"
                 << "Outline count:" << m_engine.OutlineCount();
        struct Run
        {
            int first;
            int parent;
            int depth;
        };
        std::vector<Run> runs { { m_engine.GetFirstOutline(), -1, 0 } };
        QSet<int> seen;
        while (!runs.empty()) {
            const Run run = runs.back();
            runs.pop_back();
            for (int id = run.first; id > 0; id = m_engine.GetNextOutline(id)) {
                if (seen.contains(id) || int(nodes.size()) >= MaximumTocEntries)
                    break;
                seen.insert(id);
                TocNode node;
                node.title = m_engine.OutlineTitle(id);
                node.page = m_engine.GetOutlinePage(id);
                const int index = int(nodes.size());
                nodes.push_back(node);
                if (run.parent < 0)
                    roots.append(index);
                else
                    nodes[std::size_t(run.parent)].children.append(index);
                const int child = m_engine.GetFirstChildOutline(id);
                if (child > 0 && run.depth < MaximumTocDepth)
                    runs.push_back({ child, index, run.depth + 1 });
            }
        }
    }

    // The tree is as deep as the depth limit at most.
    const std::function<QList<TocItem>(const QList<int> &)> build = [&](const QList<int> &indexes) {
        QList<TocItem> items;
        items.reserve(indexes.size());
        for (const int index : indexes) {
            const TocNode &node = nodes[std::size_t(index)];
            TocItem item;
            item.title = node.title;
            item.position = node.page;
            item.page = node.page;
            item.children = build(node.children);
            items.append(item);
        }
        return items;
    };
    m_tableOfContents = build(roots);
    return m_tableOfContents;
}

// ---- search ----

QString PdfDocument::searchEntry(const QString &word, const QString &text)
{
    // The page's words are the book's, not mark-up: only the bold tags
    // around each match are ours.
    QString entry;
    int from = 0;
    for (int at = word.indexOf(text, 0, Qt::CaseInsensitive); at >= 0;
         at = word.indexOf(text, from, Qt::CaseInsensitive)) {
        entry += word.mid(from, at - from).toHtmlEscaped();
        entry += QStringLiteral("<b>%1</b>").arg(text.toHtmlEscaped());
        from = at + text.size();
    }
    entry += word.mid(from).toHtmlEscaped();
    return entry;
}

QList<SearchResult> PdfDocument::search(const QString &text)
{
    QList<SearchResult> results;
    if (text.isEmpty())
        return results;

    bool isNumber = false;
    const int number = text.toInt(&isNumber, 10);
    if (isNumber && isValidPage(number)) {
        SearchResult jump;
        jump.title = titleByPosition(number);
        jump.position = number;
        jump.text = tr("Go to page %1").arg(number);
        jump.page = number;
        jump.isPageJump = true;
        results.append(jump);
    }

    for (int page = 1; page <= m_pageCount; ++page) {
        QString records;
        {
            // Page by page: a render waiting for the engine gets its turn
            // between two pages.
            const QMutexLocker locker(&m_engineLock);
            if (!m_engine.SelectPage(page))
                continue;
            records = m_engine.GetPageText(WordRecordOptions);
        }
        const QVector<QStringRef> lines = records.splitRef(QLatin1Char('\n'));
        for (const QStringRef &line : lines) {
            QStringView record(line);
            if (record.endsWith(QLatin1Char('\r')))
                record.chop(1);
            if (record.isEmpty())
                continue;
            const QString word = recordWord(record);
            if (word.isEmpty() || !word.contains(text, Qt::CaseInsensitive))
                continue;
            SearchResult hit;
            hit.title = titleByPosition(page);
            hit.position = page;
            hit.text = searchEntry(word, text);
            hit.page = page;
            results.append(hit);
        }
    }
    return results;
}

// ---- information ----

QString PdfDocument::information(int key)
{
    const QMutexLocker locker(&m_engineLock);
    return m_engine.GetInformation(key);
}

QString PdfDocument::author()
{
    return information(AuthorKey);
}

QString PdfDocument::title()
{
    return information(TitleKey);
}

QString PdfDocument::creator()
{
    return information(CreatorKey);
}

QString PdfDocument::producer()
{
    return information(ProducerKey);
}

} // namespace pdf
