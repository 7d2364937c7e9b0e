#include "pager/quirelet.h"

#include "core/logger.h"
#include "pagination/pagescript.h"
#include "webpolicy/bookfile.h"
#include "webpolicy/bookpage.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>
#include <QWebFrame>
#include <QWebPage>
#include <QWebSettings>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr int PollInterval = 100;
// A local file loads in well under a second; a page that waits this long on
// something else (a stalled link in the book) is given up.
constexpr int LoadTimeout = 60000;

const char *const AlignmentNames[] = { "inherit", "left", "right", "center", "justify" };

QString makeUid()
{
    QString text = QUuid::createUuid().toString();
    text.remove(QLatin1Char('-'), Qt::CaseSensitive);
    text.remove(QLatin1Char('{'), Qt::CaseSensitive);
    text.remove(QLatin1Char('}'), Qt::CaseSensitive);
    return text;
}

void log(const QString &text, int level)
{
    Logger::instance()->write(text, level);
}

// Bytes one entry takes in the serialised record: the key, and a string
// value or a 32-bit one.
int stringBytes(const QString &text)
{
    return 4 + 2 * text.size();
}

} // namespace

qint64 quirelet::parentProcessId()
{
#ifdef Q_OS_UNIX
    return qint64(::getppid());
#else
    return 0;
#endif
}

quirelet::quirelet(const QString &key, QWidget *parent)
    : QWidget(parent)
    , m_parentId(parentProcessId())
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("quireletClass"));
    resize(260, 111);
    setWindowTitle(QCoreApplication::translate("quireletClass", "quirelet"));
    QMetaObject::connectSlotsByName(this);

    if (key.isEmpty()) {
        log(QStringLiteral("quirelet::quirelet: started without a shared-memory key [FAILED]"),
            Logger::Error);
        return;
    }
    if (!m_block.attach(key)) {
        log(QStringLiteral("quirelet::quirelet: cannot attach to block %1: %2 [FAILED]")
                    .arg(key, m_block.lastError()),
            Logger::Error);
    }
}

quirelet::~quirelet() = default;

bool quirelet::parentGone() const
{
    // Once the parent is gone the process is handed to another one; a helper
    // left behind by a crashed viewer ends, and its detach removes the block.
    return m_parentId != 0 && parentProcessId() != m_parentId;
}

quirelet::ExitCode quirelet::run()
{
    m_uid = makeUid();
    for (;;) {
        if (parentGone()) {
            log(QStringLiteral("quirelet::run: the viewer process has gone, ending"), Logger::Info);
            return ExitCode::ParentGone;
        }
        quint32 number = 0;
        PaginationRequest request;
        switch (m_block.read(m_lastSequence, &number, &request)) {
        case PaginationBlock::ReadResult::NotNew:
            break;
        case PaginationBlock::ReadResult::Read:
            handle(number, request);
            break;
        case PaginationBlock::ReadResult::Damaged:
            // Not answered: a reply made from a damaged request would replace
            // the viewer's whole record. Taking the number keeps the loop from
            // reading it again.
            log(QStringLiteral("quirelet::run: %1 [FAILED]").arg(m_block.lastError()),
                Logger::Error);
            m_lastSequence = number;
            break;
        case PaginationBlock::ReadResult::Failed:
            log(QStringLiteral("quirelet::run: the block cannot be used any more: %1 [FAILED]")
                        .arg(m_block.lastError()),
                Logger::Error);
            return ExitCode::BlockLost;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(PollInterval);
    }
}

void quirelet::handle(quint32 number, PaginationRequest &request)
{
    // The marks of an earlier reply, sent back with the viewer's record, say
    // nothing about this one.
    request.takeShortfall();
    const QStringList requestedPositions = request.positions.keys();
    const QStringList hitOrder = answer(request);
    const QByteArray payload = fittedReply(request, hitOrder, requestedPositions);
    if (payload.isEmpty()) {
        m_lastSequence = number;
        return;
    }
    switch (m_block.writeReply(number, payload)) {
    case PaginationBlock::WriteResult::Written:
        m_lastSequence = number + 1;
        break;
    case PaginationBlock::WriteResult::Overtaken:
        // The viewer has asked again meanwhile; the next poll takes the newer
        // request.
        m_lastSequence = number;
        break;
    case PaginationBlock::WriteResult::TooLarge:
    case PaginationBlock::WriteResult::Failed:
        log(QStringLiteral("quirelet::run: reply %1 not written: %2 [FAILED]")
                    .arg(number + 1)
                    .arg(m_block.lastError()),
            Logger::Error);
        m_lastSequence = number;
        break;
    }
}

QStringList quirelet::answer(PaginationRequest &request)
{
    applySettings(request);
    BookPage page;
    page.setContentFolder(m_contentFolder);
    page.mainFrame()->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);
    page.mainFrame()->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
    if (m_pageWidth > 0 && m_pageHeight > 0)
        page.setViewportSize(QSize(m_pageWidth, m_pageHeight));
    QStringList hitOrder;
    // A cancelled print dialog makes a pagination request of it.
    if (!request.print || !print(&page, request))
        hitOrder = paginate(&page, request);
    request.print = false;
    return hitOrder;
}

void quirelet::applySettings(const PaginationRequest &request)
{
    QWebSettings *settings = QWebSettings::globalSettings();
    if (request.fontSize > 0)
        settings->setFontSize(QWebSettings::DefaultFontSize, request.fontSize);
    if (!request.fontFamily.isEmpty())
        settings->setFontFamily(QWebSettings::StandardFont, request.fontFamily);
    m_pageWidth = request.pageSize.width();
    m_pageHeight = request.pageSize.height();
    m_fontFamily = settings->fontFamily(QWebSettings::StandardFont);
    m_fontSize = settings->fontSize(QWebSettings::DefaultFontSize);
    if (request.columnCount == 1 || request.columnCount == 2)
        m_columnCount = request.columnCount;
    // Values that leave no room for text keep the last sound ones.
    if (request.gap >= 0 && request.gap < m_pageWidth / 2)
        m_gap = request.gap;
    if (request.topBottomMargin >= 0 && request.topBottomMargin < m_pageHeight / 4)
        m_topBottomMargin = request.topBottomMargin;
    m_textAlignment = request.textAlignment;
    m_lineSpacing = request.lineSpacing;
    m_contentFolder = request.contentFolder;
    m_pageScript = request.pageScript;
}

bool quirelet::loadDocument(BookPage *page, const QString &name)
{
    const QString path = QDir::toNativeSeparators(m_contentFolder + QLatin1Char('/') + name);
    if (!QFileInfo(path).isFile()) {
        log(QStringLiteral("quirelet::loadDocument: %1 does not exist").arg(path), Logger::Warning);
        return false;
    }
    QWebFrame *frame = page->mainFrame();
    QEventLoop loop;
    bool finished = false;
    bool loaded = false;
    // Connected before the load starts: the signal may come before load()
    // returns.
    const auto connection = QObject::connect(frame, &QWebFrame::loadFinished, &loop, [&](bool ok) {
        finished = true;
        loaded = ok;
        loop.quit();
    });
    QTimer::singleShot(LoadTimeout, &loop, &QEventLoop::quit);
    // Let go by wrap() once the page script has wrapped the file.
    page->setLayoutHeld(true);
    BookFile::load(frame, path);
    if (!finished)
        loop.exec();
    QObject::disconnect(connection);
    if (!finished) {
        page->triggerAction(QWebPage::Stop);
        log(QStringLiteral("quirelet::loadDocument: %1 did not finish loading [FAILED]").arg(path),
            Logger::Error);
        return false;
    }
    if (!loaded) {
        log(QStringLiteral("quirelet::loadDocument: %1 failed to load [FAILED]").arg(path),
            Logger::Error);
    }
    return loaded;
}

void quirelet::wrap(BookPage *page) const
{
    page->evaluate(m_pageScript + QStringLiteral("init(%1);").arg(PageScript::quoted(m_uid)));
    page->setLayoutHeld(false);
}

QString quirelet::layoutScript() const
{
    // The view's font over the book's, without the view's colours.
    QString script = QStringLiteral("applyReadingStyle(%1, %2, \"\", \"\");")
                             .arg(PageScript::quoted(m_fontFamily))
                             .arg(m_fontSize);
    if (m_textAlignment >= 0 && m_textAlignment <= 4) {
        script += QStringLiteral("document.body.style.textAlign=\"%1\";")
                          .arg(QLatin1String(AlignmentNames[m_textAlignment]));
    }
    script += QStringLiteral("applyLineSpacing(\"%1\");").arg(m_lineSpacing);
    return script;
}

QString quirelet::paginateScript(int width, int height, int columns) const
{
    return QStringLiteral("paginate(%5,%3, %1, %2, %4);")
            .arg(width)
            .arg(height)
            .arg(m_gap)
            .arg(m_topBottomMargin)
            .arg(columns);
}

QStringList quirelet::paginate(BookPage *page, PaginationRequest &request)
{
    if (request.documents.isEmpty())
        return QStringList();

    // Position URLs by the file they point into, each group in key order.
    QMap<QString, QStringList> groups;
    for (auto it = request.positions.constBegin(); it != request.positions.constEnd(); ++it) {
        const QUrl url(it.key(), QUrl::TolerantMode);
        groups[url.path(QUrl::FullyDecoded)].append(it.key());
    }

    const auto evaluate = [&](const QString &call) { return page->evaluate(m_pageScript + call); };

    QMap<QString, qint32> found;
    QMap<QString, QString> hits;
    QStringList hitOrder;
    int offset = 0;
    for (const QString &name : qAsConst(request.documents)) {
        if (!loadDocument(page, name)) {
            // Nothing to measure: the page still holds the previous file, and
            // counting it again would shift every later page.
            if (request.pageCounts.contains(name))
                request.pageCounts[name] = 0;
            continue;
        }
        wrap(page);
        const QVariant countAnswer = evaluate(
                layoutScript() + paginateScript(m_pageWidth, m_pageHeight, m_columnCount));

        if (!request.searchText.isEmpty()) {
            const QVariantList answer
                    = evaluate(QStringLiteral("findText(%1, %2);")
                                       .arg(PageScript::quoted(request.searchText))
                                       .arg(m_pageWidth))
                              .toList();
            for (const QVariant &item : answer) {
                const QVariantMap map = item.toMap();
                const QString id = map.value(QStringLiteral("id")).toString();
                QString key;
                if (id.endsWith(m_uid, Qt::CaseSensitive)) {
                    key = QStringLiteral("%1?vorid=true#%2")
                                  .arg(name, id.left(id.size() - (m_uid.size() + 1)));
                } else {
                    key = QStringLiteral("%1#%2").arg(name, id);
                }
                hits[key] = map.value(QStringLiteral("text")).toString();
                found[key] = map.value(QStringLiteral("page")).toInt() + offset;
                hitOrder.append(key);
            }
        }

        // The look-ups of a file are asked in batches, each one evaluation
        // of the page script: a book of tens of thousands of contents
        // entries evaluated the whole script once per entry.
        QStringList lookUpKeys;
        QStringList lookUpCalls;
        const auto lookUp
                = [&](const QString &key, const QString &function, const QString &argument) {
                      lookUpKeys.append(key);
                      lookUpCalls.append(QStringLiteral("%1(%2, %3)")
                                                 .arg(function, PageScript::quoted(argument))
                                                 .arg(m_pageWidth));
                  };
        const auto group
                = groups.constFind(QUrl(name, QUrl::TolerantMode).path(QUrl::FullyDecoded));
        if (group != groups.constEnd()) {
            for (const QString &key : group.value()) {
                const QUrl url(key, QUrl::TolerantMode);
                if (url.hasFragment()) {
                    QString id = url.fragment(QUrl::PrettyDecoded);
                    if (url.hasQuery()
                        && url.query().compare(QLatin1String("vorid=true"), Qt::CaseInsensitive)
                                == 0) {
                        id += QLatin1Char('_') + m_uid;
                    }
                    lookUp(key, QStringLiteral("getPageById"), id);
                } else if (url.hasQuery()
                           && url.query().startsWith(QLatin1String("vorpath="),
                                                     Qt::CaseInsensitive)) {
                    const QString value = QUrlQuery(url).queryItemValue(QStringLiteral("vorpath"),
                                                                        QUrl::PrettyDecoded);
                    if (!value.isEmpty()) {
                        lookUp(key, QStringLiteral("getPageByXPath"),
                               QUrl::fromPercentEncoding(value.toLocal8Bit()));
                    }
                } else {
                    found[key] = offset + 1;
                }
            }
        }
        // 0 is the script's "not found"; added to the offset it would name
        // the last page of the file before, so it records nothing.
        const auto take = [&](const QString &key, const QVariant &answer) {
            bool ok = false;
            const int page = answer.toInt(&ok);
            if (ok && page > 0)
                found[key] = page + offset;
        };
        constexpr int BatchSize = 1000;
        for (int first = 0; first < lookUpCalls.size(); first += BatchSize) {
            const int count = qMin(BatchSize, lookUpCalls.size() - first);
            const QVariantList answers
                    = evaluate(QLatin1Char('[') + lookUpCalls.mid(first, count).join(QLatin1Char(','))
                               + QStringLiteral("];"))
                              .toList();
            if (answers.size() == count) {
                for (int i = 0; i < count; ++i)
                    take(lookUpKeys.at(first + i), answers.at(i));
                continue;
            }
            // One call failed and took the batch with it: each on its own.
            for (int i = first; i < first + count; ++i)
                take(lookUpKeys.at(i), evaluate(lookUpCalls.at(i) + QLatin1Char(';')));
        }

        bool ok = false;
        const int count = countAnswer.toInt(&ok);
        if (ok) {
            if (request.pageCounts.contains(name))
                request.pageCounts[name] = count;
            offset += count;
        }
    }
    request.searchHits = hits;
    request.positions = found;
    return hitOrder;
}

bool quirelet::print(BookPage *page, const PaginationRequest &request)
{
    const QString pdfFile = qEnvironmentVariable("QUIRELET_PRINT_TO_PDF");
    if (!pdfFile.isEmpty()) {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
        printPages(page, request, &printer);
        return true;
    }
    QPrintDialog dialog(static_cast<QWidget *>(nullptr));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    bringToFront(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    printPages(page, request, dialog.printer());
    return true;
}

void quirelet::printPages(BookPage *page, const PaginationRequest &request, QPrinter *printer)
{
    const QPrinter reference(QPrinter::ScreenResolution);
    const QRect pageRect = reference.pageLayout().paintRectPixels(reference.resolution());
    const int width = pageRect.width();
    const int height = pageRect.height();
    page->setViewportSize(QSize(width, height));

    QPainter painter;
    if (!painter.begin(printer)) {
        log(QStringLiteral("quirelet::print: the printer cannot be opened [FAILED]"),
            Logger::Error);
        return;
    }
    QWebFrame *frame = page->mainFrame();
    int printed = 0;
    for (const QString &name : request.documents) {
        if (!loadDocument(page, name))
            continue;
        wrap(page);
        bool ok = false;
        const int count
                = page->evaluate(m_pageScript + layoutScript() + paginateScript(width, height, 1))
                          .toInt(&ok);
        if (!ok || count < 1)
            continue;
        for (int k = 0; k < count; ++k) {
            // No break before the very first printed page, even when the
            // first files of the book printed nothing.
            if (printed > 0)
                printer->newPage();
            frame->render(&painter);
            page->evaluate(QStringLiteral("next(%1);").arg(width));
            ++printed;
        }
    }
    painter.end();
    log(QStringLiteral("quirelet::print: %1 pages printed [OK]").arg(printed), Logger::Info);
}

void quirelet::bringToFront(QWidget *widget)
{
    widget->show();
    widget->raise();
    widget->activateWindow();
}

QByteArray quirelet::fittedReply(PaginationRequest &request, const QStringList &hitOrder,
                                 const QStringList &requestedPositions)
{
    QByteArray payload = request.toByteArray();
    const int limit = m_block.maxPayload();
    if (payload.size() <= limit)
        return payload;

    // The viewer is told what is missing and how large the whole reply is,
    // so that it can ask again in a block that holds it all. The marks are
    // in place before the trimming, which must make room for them too.
    PaginationRequest::Shortfall shortfall;
    shortfall.replyBytes = payload.size();
    const int total = request.searchHits.size();
    shortfall.droppedSearchHits = total;
    request.setShortfall(shortfall);
    payload = request.toByteArray();

    const QSet<QString> requested(requestedPositions.cbegin(), requestedPositions.cend());
    const auto dropHit = [&](const QString &key) -> qint64 {
        const auto hit = request.searchHits.find(key);
        if (hit == request.searchHits.end())
            return 0;
        qint64 saved = stringBytes(key) + stringBytes(hit.value());
        request.searchHits.erase(hit);
        // The hit's page goes with it, unless the viewer asked for that URL.
        if (!requested.contains(key) && request.positions.remove(key) > 0)
            saved += stringBytes(key) + 4;
        return saved;
    };

    qint64 excess = payload.size() - limit;
    for (int i = hitOrder.size() - 1; i >= 0 && excess > 0; --i)
        excess -= dropHit(hitOrder.at(i));
    payload = request.toByteArray();
    if (payload.size() > limit) {
        const QStringList rest = request.searchHits.keys();
        for (const QString &key : rest)
            dropHit(key);
        payload = request.toByteArray();
    }
    if (payload.size() > limit) {
        // A reply without hits is never larger than its request, which fit:
        // only the marks can be too much.
        request.takeShortfall();
        payload = request.toByteArray();
        if (payload.size() > limit) {
            log(QStringLiteral("quirelet::run: a reply of %1 bytes does not fit the block of %2 "
                               "bytes even without its %3 search hits [FAILED]")
                        .arg(shortfall.replyBytes)
                        .arg(m_block.size())
                        .arg(total),
                Logger::Error);
            return QByteArray();
        }
        log(QStringLiteral("quirelet::run: all %1 search hits dropped so that the reply fits the "
                           "block of %2 bytes; the whole reply needs %3 bytes [FAILED]")
                    .arg(total)
                    .arg(m_block.size())
                    .arg(shortfall.replyBytes),
            Logger::Error);
        return payload;
    }
    // The count takes as many bytes as the one measured above.
    shortfall.droppedSearchHits = total - request.searchHits.size();
    request.setShortfall(shortfall);
    log(QStringLiteral("quirelet::run: %1 of %2 search hits dropped so that the reply fits the "
                       "block of %3 bytes; the whole reply needs %4 bytes")
                .arg(shortfall.droppedSearchHits)
                .arg(total)
                .arg(m_block.size())
                .arg(shortfall.replyBytes),
        Logger::Warning);
    return request.toByteArray();
}
