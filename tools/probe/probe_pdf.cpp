// "pdf-info FILE [--password P]" and "pdf-render FILE --page N --scale S
// OUT.png [--password P]": a PDF file through the engine object, as the
// reading view opens and draws it.

#include "tools/probe/probe.h"

#include "pdf/dibsection.h"
#include "pdf/document.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace {

using probe::takeOption;

// Opens the file; on failure prints the error record and returns false.
bool open(Document &document, const QString &path, const QString &password, QJsonObject *result)
{
    result->insert(QStringLiteral("file"), path);
    result->insert(QStringLiteral("libraryLoaded"), document.LibraryLoaded());
    if (document.LoadFromFile(path, password) == 1)
        return true;
    const int code = document.LastErrorCode();
    result->insert(QStringLiteral("status"), 1);
    result->insert(QStringLiteral("errorCode"), code);
    result->insert(QStringLiteral("error"), Document::errorMessage(code));
    result->insert(QStringLiteral("needsPassword"), code == 404);
    probe::printJson(*result);
    return false;
}

QJsonArray outlineOf(Document &document, int id, int depth)
{
    QJsonArray items;
    for (; id > 0 && depth < 32; id = document.GetNextOutline(id)) {
        QJsonObject item { { QStringLiteral("title"), document.OutlineTitle(id) },
                           { QStringLiteral("page"), document.GetOutlinePage(id) } };
        const QJsonArray children
                = outlineOf(document, document.GetFirstChildOutline(id), depth + 1);
        if (!children.isEmpty())
            item.insert(QStringLiteral("children"), children);
        items.append(item);
    }
    return items;
}

int pdfInfo(const QStringList &given)
{
    QStringList arguments = given;
    QString password;
    if (!takeOption(&arguments, QStringLiteral("--password"), &password) || arguments.size() != 1)
        return probe::fail(QStringLiteral("usage: pdf-info FILE [--password P]"));
    const QString path = QFileInfo(arguments.first()).absoluteFilePath();
    Document document;
    QJsonObject result;
    if (!open(document, path, password, &result))
        return 1;
    const int pages = document.PageCount();
    const QSize first = document.pageSize(1);
    result.insert(QStringLiteral("status"), 0);
    result.insert(QStringLiteral("pages"), pages);
    result.insert(QStringLiteral("title"), document.GetInformation(2));
    result.insert(QStringLiteral("author"), document.GetInformation(1));
    result.insert(QStringLiteral("creator"), document.GetInformation(5));
    result.insert(QStringLiteral("producer"), document.GetInformation(6));
    result.insert(QStringLiteral("version"), document.GetInformation(0));
    result.insert(QStringLiteral("firstPage"),
                  QJsonObject { { QStringLiteral("width"), first.width() },
                                { QStringLiteral("height"), first.height() },
                                { QStringLiteral("rotation"), document.PageRotation() } });
    result.insert(QStringLiteral("outlineCount"), document.OutlineCount());
    result.insert(QStringLiteral("outline"), outlineOf(document, document.GetFirstOutline(), 0));
    probe::printJson(result);
    return 0;
}

int pdfRender(const QStringList &given)
{
    QStringList arguments = given;
    QString password;
    QString pageText = QStringLiteral("1");
    QString scaleText = QStringLiteral("1");
    if (!takeOption(&arguments, QStringLiteral("--password"), &password)
        || !takeOption(&arguments, QStringLiteral("--page"), &pageText)
        || !takeOption(&arguments, QStringLiteral("--scale"), &scaleText) || arguments.size() != 2)
        return probe::fail(QStringLiteral("usage: pdf-render FILE --page N --scale S OUT.png"));
    bool pageOk = false;
    bool scaleOk = false;
    const int page = pageText.toInt(&pageOk);
    const double scale = scaleText.toDouble(&scaleOk);
    if (!pageOk || !scaleOk || !(scale > 0.0 && scale <= 20.0))
        return probe::fail(
                QStringLiteral("page must be a number and scale one above 0 and up to 20"));

    const QString path = QFileInfo(arguments.at(0)).absoluteFilePath();
    Document document;
    QJsonObject result;
    if (!open(document, path, password, &result))
        return 1;
    if (page < 1 || page > document.PageCount())
        return probe::fail(
                QStringLiteral("no page %1 in %2 pages").arg(page).arg(document.PageCount()));

    // As the reading view draws a page: a bitmap of the scaled size, the
    // scale set in the library, 72 dpi.
    QElapsedTimer timer;
    timer.start();
    const QSize points = document.pageSize(page);
    DibSection section(int(points.width() * scale), int(points.height() * scale));
    const gdi::HDC dc = section.createDC();
    document.SetRenderScale(scale);
    const int rendered = dc ? document.RenderPageToDC(72.0, page, dc) : 0;
    section.releaseDC(dc);
    const QImage image = section.toImage().copy();
    const qint64 elapsed = timer.elapsed();
    if (!rendered || image.isNull()) {
        return probe::fail(QStringLiteral("page %1 could not be drawn: %2")
                                   .arg(page)
                                   .arg(Document::errorText(document)));
    }
    const QString out = QFileInfo(arguments.at(1)).absoluteFilePath();
    if (!image.save(out, "PNG"))
        return probe::fail(QStringLiteral("cannot write %1").arg(out));
    result.insert(QStringLiteral("status"), 0);
    result.insert(QStringLiteral("page"), page);
    result.insert(QStringLiteral("scale"), scale);
    result.insert(QStringLiteral("width"), image.width());
    result.insert(QStringLiteral("height"), image.height());
    result.insert(QStringLiteral("renderMs"), elapsed);
    result.insert(QStringLiteral("out"), out);
    probe::printJson(result);
    return 0;
}

} // namespace

VL_PROBE_COMMAND("pdf-info", "FILE [--password P]", pdfInfo);
VL_PROBE_COMMAND("pdf-render", "FILE --page N --scale S OUT.png [--password P]", pdfRender);
