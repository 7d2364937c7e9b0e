#include "tools/probe/probe.h"

#include "pagination/pagescript.h"
#include "pagination/paginationclient.h"

#include <QCollator>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>

#include <algorithm>

namespace {

constexpr int ReplyTimeout = 300000;

struct Book
{
    QString folder;
    QStringList documents;
};

// A folder stands for its HTML files in natural name order; single files
// are taken in the order given, relative to the first one's folder.
bool collectBook(const QStringList &inputs, Book *book, QString *error)
{
    QStringList files;
    for (const QString &input : inputs) {
        const QFileInfo info(input);
        if (info.isDir()) {
            QStringList names
                    = QDir(input).entryList({ QStringLiteral("*.html"), QStringLiteral("*.htm"),
                                              QStringLiteral("*.xhtml") },
                                            QDir::Files);
            QCollator collator;
            collator.setNumericMode(true);
            std::sort(names.begin(), names.end(), collator);
            for (const QString &name : qAsConst(names))
                files.append(QDir(input).absoluteFilePath(name));
        } else if (info.isFile()) {
            files.append(info.absoluteFilePath());
        } else {
            *error = QStringLiteral("no such file or folder: %1").arg(input);
            return false;
        }
    }
    if (files.isEmpty()) {
        *error = QStringLiteral("no HTML files given");
        return false;
    }
    book->folder = QFileInfo(files.first()).absolutePath();
    const QDir folder(book->folder);
    for (const QString &file : qAsConst(files))
        book->documents.append(folder.relativeFilePath(file));
    return true;
}

bool parseSize(const QString &text, QSize *size)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return false;
    bool widthOk = false;
    bool heightOk = false;
    *size = QSize(parts.at(0).toInt(&widthOk), parts.at(1).toInt(&heightOk));
    return widthOk && heightOk && size->width() > 0 && size->height() > 0;
}

int paginate(const QStringList &arguments)
{
    QStringList inputs;
    QStringList positions;
    PaginationRequest request;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--size") && hasValue) {
            if (!parseSize(arguments.at(++i), &request.pageSize))
                return probe::fail(QStringLiteral("--size wants WIDTHxHEIGHT"));
        } else if (argument == QLatin1String("--font") && hasValue) {
            request.fontFamily = arguments.at(++i);
        } else if (argument == QLatin1String("--font-size") && hasValue) {
            bool ok = false;
            request.fontSize = arguments.at(++i).toInt(&ok);
            if (!ok || request.fontSize < 1)
                return probe::fail(QStringLiteral("--font-size wants a positive number"));
        } else if (argument == QLatin1String("--search") && hasValue) {
            request.searchText = arguments.at(++i);
        } else if (argument == QLatin1String("--position") && hasValue) {
            // One or more URLs up to the next option.
            while (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QLatin1String("--")))
                positions.append(arguments.at(++i));
        } else if (argument.startsWith(QLatin1String("--"))) {
            return probe::fail(QStringLiteral("unknown or incomplete option %1").arg(argument));
        } else {
            inputs.append(argument);
        }
    }
    if (!request.pageSize.isValid())
        return probe::fail(QStringLiteral("--size WIDTHxHEIGHT is required"));

    Book book;
    QString error;
    if (!collectBook(inputs, &book, &error))
        return probe::fail(error);
    request.pageScript = PageScript::text();
    if (request.pageScript.isEmpty())
        return probe::fail(QStringLiteral("the page script resource is missing"));
    request.contentFolder = book.folder;
    request.documents = book.documents;
    for (const QString &name : qAsConst(book.documents))
        request.pageCounts.insert(name, 0);
    for (const QString &url : qAsConst(positions))
        request.positions.insert(url, 0);

    PaginationClient client;
    QElapsedTimer timer;
    timer.start();
    if (!client.send(request))
        return probe::fail(client.lastError());
    if (!client.waitForReply(ReplyTimeout)) {
        return probe::fail(client.lastError().isEmpty() ? QStringLiteral("no reply from quirelet")
                                                        : client.lastError());
    }
    const qint64 elapsed = timer.elapsed();
    const PaginationRequest &reply = client.reply();

    QJsonArray pageCounts;
    for (const QString &name : qAsConst(book.documents))
        pageCounts.append(reply.pageCounts.value(name));
    QJsonObject pages;
    for (const QString &url : qAsConst(positions)) {
        const auto found = reply.positions.constFind(url);
        pages.insert(url, found == reply.positions.constEnd() ? QJsonValue() : QJsonValue(*found));
    }
    QJsonArray hits;
    for (auto it = reply.searchHits.constBegin(); it != reply.searchHits.constEnd(); ++it) {
        const auto found = reply.positions.constFind(it.key());
        hits.append(QJsonObject {
                { QStringLiteral("url"), it.key() },
                { QStringLiteral("page"),
                  found == reply.positions.constEnd() ? QJsonValue() : QJsonValue(*found) },
                { QStringLiteral("text"), it.value() } });
    }
    probe::printJson(QJsonObject { { QStringLiteral("pageCounts"), pageCounts },
                                   { QStringLiteral("positions"), pages },
                                   { QStringLiteral("hits"), hits },
                                   { QStringLiteral("ms"), double(elapsed) } });
    return 0;
}

} // namespace

VL_PROBE_COMMAND("paginate",
                 "FOLDER-OR-HTML-FILES --size WxH [--font FAMILY --font-size N] [--search TEXT] "
                 "[--position URL ...]",
                 paginate);
