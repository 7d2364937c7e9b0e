// "read BOOK.pdf [--size WxH] [--columns 1|2] [--goto PAGE] [--zoom S | --original]
// [--search WORD] [--password P] [--screenshot FILE]": opens a PDF book in
// the PDF viewer as the reading frame does, waits for its first page, goes
// to a page, sets the view and prints what it shows. The "read" command
// hands PDF books here.

#include "tools/probe/pdfprobe.h"
#include "tools/probe/probe.h"

#include "pdf/pdfdocument.h"
#include "pdf/pdfviewer.h"
#include "widgets/handover/applicationhandover.h"
#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"

#include <QApplication>
#include <QFileInfo>
#include <QGraphicsPixmapItem>
#include <QJsonArray>
#include <QJsonObject>
#include <QPixmap>

#include <memory>

namespace probe {

struct PdfPasswordAnswer::Controllers
{
    InputPasswordController passwords;
    MessageBoxController messages;
    int prompts = 0;
};

PdfPasswordAnswer::PdfPasswordAnswer(const QString &password)
    : m_controllers(std::make_unique<Controllers>())
{
    Controllers *controllers = m_controllers.get();
    QObject::connect(&controllers->passwords, &InputPasswordController::onRequest,
                     &controllers->passwords, [controllers, password] {
                         PasswordAnswer answer;
                         // Given once: a second prompt means it was wrong.
                         answer.accepted = controllers->prompts == 0 && !password.isEmpty();
                         answer.password = password;
                         ++controllers->prompts;
                         controllers->passwords.answer(answer);
                     });
    QObject::connect(&controllers->messages, &MessageBoxController::showMessage,
                     &controllers->messages,
                     [controllers](const QString &title, const QString &text) {
                         printLine(title + QStringLiteral(": ") + text);
                         controllers->messages.setPending(0);
                     });
    Handover::setApplicationControllers(&controllers->passwords, &controllers->messages);
}

PdfPasswordAnswer::~PdfPasswordAnswer()
{
    Handover::setApplicationControllers(nullptr, nullptr);
}

int PdfPasswordAnswer::prompts() const
{
    return m_controllers->prompts;
}

int readPdfBook(const QStringList &arguments)
{
    const QString usage = QStringLiteral(
            "usage: read BOOK.pdf [--size WxH] [--columns 1|2] [--goto PAGE] [--zoom S | "
            "--original] [--search WORD] [--password P] [--screenshot FILE]");
    QString bookPath;
    QSize size(800, 600);
    int columns = 1;
    int goTo = 0;
    double zoom = 0.0;
    bool original = false;
    QString word;
    QString password;
    QString screenshot;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        bool ok = true;
        if (argument == QLatin1String("--size") && hasValue) {
            ok = parseSize(arguments.at(++i), &size);
        } else if (argument == QLatin1String("--columns") && hasValue) {
            columns = arguments.at(++i).toInt(&ok);
            ok = ok && (columns == 1 || columns == 2);
        } else if (argument == QLatin1String("--goto") && hasValue) {
            goTo = arguments.at(++i).toInt(&ok);
            ok = ok && goTo >= 1;
        } else if (argument == QLatin1String("--zoom") && hasValue) {
            zoom = arguments.at(++i).toDouble(&ok);
            ok = ok && zoom > 0.0;
        } else if (argument == QLatin1String("--original")) {
            original = true;
        } else if (argument == QLatin1String("--search") && hasValue) {
            word = arguments.at(++i);
        } else if (argument == QLatin1String("--password") && hasValue) {
            password = arguments.at(++i);
        } else if (argument == QLatin1String("--screenshot") && hasValue) {
            screenshot = arguments.at(++i);
        } else if (bookPath.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            bookPath = argument;
        } else {
            ok = false;
        }
        if (!ok)
            return fail(usage);
    }
    if (bookPath.isEmpty())
        return fail(usage);
    const QFileInfo info(bookPath);
    if (!info.isFile())
        return fail(QStringLiteral("no such book: %1").arg(bookPath));

    const PdfPasswordAnswer answer(password);
    auto viewer = std::make_unique<PDFViewer>(info.absoluteFilePath());
    viewer->resize(size);
    viewer->show();
    QApplication::processEvents();
    if (!viewer->load())
        return fail(QStringLiteral("the book cannot be opened: %1").arg(viewer->lastError()));
    pdf::PdfDocument *document = viewer->document();
    const auto shows
            = [&](int page) { return !viewer->isRendering() && viewer->shownPage() == page; };
    if (!waitUntil([&] { return shows(1); }, 30000))
        return fail(QStringLiteral("the first page did not show"));

    document->setColumnCount(columns);
    if (goTo > 0) {
        if (goTo > document->pageCount()) {
            return fail(QStringLiteral("page %1 is beyond the book's %2 pages")
                                .arg(goTo)
                                .arg(document->pageCount()));
        }
        document->setPage(goTo);
    }
    if (original)
        viewer->originalSize();
    else if (zoom > 0.0)
        viewer->setZoom(zoom);
    if (!waitUntil([&] { return shows(document->currentPage()); }, 30000))
        return fail(QStringLiteral("page %1 did not show").arg(document->currentPage()));

    QJsonObject result {
        { QStringLiteral("book"), info.absoluteFilePath() },
        { QStringLiteral("title"), document->title() },
        { QStringLiteral("author"), document->author() },
        { QStringLiteral("totalPages"), document->pageCount() },
        { QStringLiteral("page"), document->currentPage() },
        { QStringLiteral("columnCount"), document->columnCount() },
        { QStringLiteral("progress"), int(document->progress()) },
        { QStringLiteral("renderState"), document->renderState() },
        { QStringLiteral("scale"), document->scale() },
        { QStringLiteral("imageSize"),
          QStringLiteral("%1x%2")
                  .arg(viewer->pageItem()->pixmap().width())
                  .arg(viewer->pageItem()->pixmap().height()) },
        { QStringLiteral("contents"), document->tableOfContents().size() },
        { QStringLiteral("passwordPrompts"), answer.prompts() },
    };
    if (!word.isEmpty()) {
        const QList<SearchResult> hits = document->search(word);
        QJsonArray first;
        for (int i = 0; i < hits.size() && i < 5; ++i)
            first.append(QStringLiteral("%1: %2").arg(hits.at(i).page).arg(hits.at(i).text));
        result.insert(QStringLiteral("hits"), hits.size());
        result.insert(QStringLiteral("firstHits"), first);
    }
    if (!screenshot.isEmpty()) {
        waitUntil([] { return false; }, 300);
        if (!viewer->grab().save(screenshot, "PNG"))
            return fail(QStringLiteral("cannot write %1").arg(screenshot));
        result.insert(QStringLiteral("screenshot"), QFileInfo(screenshot).absoluteFilePath());
    }
    printJson(result);
    return 0;
}

} // namespace probe
