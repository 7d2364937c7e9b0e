// Paginates two generated books through a real quirelet and, beside it, in a
// bare loop that loads the same files into one web page of this process and
// measures each with one script call; prints the medians and their ratio.
// Then the request-to-reply time of a request with no files.
//
//   bench_paginate [RUNS]     (default 3 runs of each)
#include "pagination/pagescript.h"
#include "pagination/paginationclient.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebPage>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QSize PageSize(1000, 700);

struct Book
{
    QString name;
    QString folder;
    QStringList documents;
};

QByteArray paragraphs(qint64 bytes, QRandomGenerator &random)
{
    static const char *const words[]
            = { "the",  "whale", "sea",   "ship",  "captain", "ocean", "wind",   "sail",
                "deck", "crew",  "storm", "white", "voyage",  "night", "harpoon" };
    QByteArray html;
    html.reserve(int(bytes) + 200);
    while (html.size() < bytes) {
        html += "<p>";
        for (int i = 0; i < 60; ++i) {
            html += words[random.bounded(15)];
            html += ' ';
        }
        html += "</p>\n";
    }
    return html;
}

Book makeBook(const QString &root, const QString &name, int files, qint64 bytesPerFile)
{
    Book book;
    book.name = name;
    book.folder = root + QLatin1Char('/') + name;
    QDir().mkpath(book.folder);
    QRandomGenerator random(42);
    for (int i = 0; i < files; ++i) {
        const QString file = QStringLiteral("part%1.html").arg(i, 4, 10, QLatin1Char('0'));
        QFile out(book.folder + QLatin1Char('/') + file);
        out.open(QIODevice::WriteOnly);
        out.write("<html><head><meta charset='utf-8'></head><body>\n");
        out.write(paragraphs(bytesPerFile, random));
        out.write("</body></html>\n");
        book.documents.append(file);
    }
    return book;
}

PaginationRequest requestFor(const Book &book, const QString &script)
{
    PaginationRequest request;
    request.pageSize = PageSize;
    request.pageScript = script;
    request.contentFolder = book.folder;
    request.documents = book.documents;
    for (const QString &name : book.documents)
        request.pageCounts.insert(name, 0);
    return request;
}

// Milliseconds from sending to reading the reply; -1 on failure.
double throughHelper(PaginationClient &client, const PaginationRequest &request, int *pages)
{
    QElapsedTimer timer;
    timer.start();
    if (!client.send(request) || !client.waitForReply(600000)) {
        std::fprintf(stderr, "helper failed: %s\n", qPrintable(client.lastError()));
        return -1;
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    *pages = 0;
    for (const qint32 count : client.reply().pageCounts)
        *pages += count;
    return ms;
}

// The same work without the helper: one page, one load and one call per file.
double bareLoop(const Book &book, const QString &script, int *pages)
{
    QElapsedTimer timer;
    timer.start();
    QWebPage page;
    page.setViewportSize(PageSize);
    page.mainFrame()->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);
    page.mainFrame()->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
    const QString call = QStringLiteral("init(\"0123456789abcdef0123456789abcdef\");"
                                        "document.body.style.textAlign=\"inherit\";"
                                        "applyLineSpacing(\"100\");"
                                        "paginate(2,30, %1, %2, 20);")
                                 .arg(PageSize.width())
                                 .arg(PageSize.height());
    *pages = 0;
    for (const QString &name : book.documents) {
        QEventLoop loop;
        bool finished = false;
        const auto connection
                = QObject::connect(page.mainFrame(), &QWebFrame::loadFinished, &loop, [&] {
                      finished = true;
                      loop.quit();
                  });
        page.mainFrame()->load(QUrl::fromLocalFile(book.folder + QLatin1Char('/') + name));
        if (!finished)
            loop.exec();
        QObject::disconnect(connection);
        *pages += page.mainFrame()->evaluateJavaScript(script + call).toInt();
    }
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;

    const QString script = PageScript::text();
    if (script.isEmpty()) {
        std::fprintf(stderr, "the page script resource is missing\n");
        return 1;
    }
    QTemporaryDir root;
    const std::vector<Book> books = { makeBook(root.path(), QStringLiteral("300x15KB"), 300, 15000),
                                      makeBook(root.path(), QStringLiteral("1x3MB"), 1, 3000000) };

    PaginationClient client;
    // Started once, as the viewer's helper lives as long as the viewer.
    int ignored = 0;
    if (throughHelper(client, requestFor(Book(), script), &ignored) < 0)
        return 1;

    std::printf("%-10s %12s %12s %8s %8s\n", "book", "helper ms", "bare ms", "ratio", "pages");
    for (const Book &book : books) {
        const PaginationRequest request = requestFor(book, script);
        std::vector<double> helperTimes;
        std::vector<double> bareTimes;
        int helperPages = 0;
        int barePages = 0;
        for (int run = 0; run < runs; ++run) {
            const double helper = throughHelper(client, request, &helperPages);
            if (helper < 0)
                return 1;
            helperTimes.push_back(helper);
            bareTimes.push_back(bareLoop(book, script, &barePages));
        }
        const double helper = median(helperTimes);
        const double bare = median(bareTimes);
        std::printf("%-10s %12.0f %12.0f %7.2fx %8d%s\n", qPrintable(book.name), helper, bare,
                    bare > 0 ? helper / bare : 0.0, helperPages,
                    helperPages == barePages ? "" : " (bare loop counted differently)");
    }
    std::printf("goal: helper within 1.3x of the bare loop\n");

    std::vector<double> latencies;
    for (int i = 0; i < 10; ++i)
        latencies.push_back(throughHelper(client, requestFor(Book(), script), &ignored));
    std::printf("trivial request to reply: median %.0f ms over 10 (polls: helper 100 ms, "
                "client 150 ms)\n",
                median(latencies));
    return 0;
}
