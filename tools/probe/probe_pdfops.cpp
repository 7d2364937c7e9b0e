// The engine's whole-file operations from the shell, each printing one JSON
// line with what it made, how long it took and how many entries were left
// in the private cache folder (0 when the operation cleaned up):
//   pdf-probe FILE [--password P] [--cover OUT.png]
//   pdf-render-files FILE OUTDIR [--ranges 1-3,5] [--format png] [--password P]
//   pdf-page-image FILE OUT.png [--page N] [--dpi D] [--password P]
//   pdf-merge OUT.pdf IN [--password P] [IN [--password P]]...
//   pdf-encrypt IN OUT [--owner P] [--user P] [--author A] [--title T]
//               [--allow print,copy,change,notes,fill,access,assemble,printfull]
//   pdf-split FILE (--per-page | --groups START,SIZE | --remove 2,5,.. |
//             --ranges "1-3;4-9") [--pages N] [--out DIR] [--password P]

#include "tools/probe/probe.h"

#include "core/paths.h"
#include "pdf/document.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace {

using probe::takeOption;

bool takeFlag(QStringList *arguments, const QString &name)
{
    return arguments->removeAll(name) > 0;
}

QString absolute(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

int cacheEntries()
{
    return QDir(Paths::cacheDir())
            .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System)
            .size();
}

int pagesOf(const QString &file, const QString &password)
{
    Document document;
    return document.LoadFromFile(file, password) == 1 ? document.PageCount() : 0;
}

// Prints the result with the common fields; exit code 0 when ok.
int finish(QJsonObject result, bool ok, const QElapsedTimer &timer)
{
    result.insert(QStringLiteral("ok"), ok);
    result.insert(QStringLiteral("ms"), timer.elapsed());
    result.insert(QStringLiteral("cacheLeft"), cacheEntries());
    result.insert(QStringLiteral("status"), ok ? 0 : 1);
    probe::printJson(result);
    return ok ? 0 : 1;
}

// "1-3,5" into page ranges; false for anything else.
bool parseRanges(const QString &text, QList<Document::PageRange> *ranges)
{
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList ends = part.split(QLatin1Char('-'));
        bool firstOk = false;
        bool lastOk = false;
        const int first = ends.first().trimmed().toInt(&firstOk);
        const int last = ends.size() == 2 ? ends.last().trimmed().toInt(&lastOk) : first;
        if (!firstOk || (ends.size() == 2 && !lastOk) || ends.size() > 2)
            return false;
        ranges->append({ first, last });
    }
    return true;
}

int pdfProbe(const QStringList &given)
{
    QStringList arguments = given;
    QString password;
    QString cover;
    if (!takeOption(&arguments, QStringLiteral("--password"), &password)
        || !takeOption(&arguments, QStringLiteral("--cover"), &cover) || arguments.size() != 1)
        return probe::fail(QStringLiteral("usage: pdf-probe FILE [--password P] [--cover OUT]"));
    QElapsedTimer timer;
    timer.start();
    bool readable = false;
    const DocumentInfo info = Document::fileInfo(absolute(arguments.first()), password, &readable,
                                                 !cover.isEmpty());
    QJsonObject result { { QStringLiteral("file"), info.filePath },
                         { QStringLiteral("readable"), readable },
                         { QStringLiteral("title"), info.title },
                         { QStringLiteral("isEncrypted"), info.isEncrypted },
                         { QStringLiteral("passwordRequired"), info.passwordRequired },
                         { QStringLiteral("passwordKept"), !info.password.isEmpty() },
                         { QStringLiteral("pageCount"), info.pageCount } };
    if (!cover.isEmpty() && !info.cover.isNull()) {
        const bool saved = info.cover.save(absolute(cover), "PNG");
        result.insert(QStringLiteral("cover"),
                      QJsonObject { { QStringLiteral("width"), info.cover.width() },
                                    { QStringLiteral("height"), info.cover.height() },
                                    { QStringLiteral("saved"), saved },
                                    { QStringLiteral("out"), absolute(cover) } });
    }
    return finish(result, readable, timer);
}

int pdfRenderFiles(const QStringList &given)
{
    QStringList arguments = given;
    QString password;
    QString rangeText = QStringLiteral("1");
    QString format = QStringLiteral("png");
    QList<Document::PageRange> ranges;
    if (!takeOption(&arguments, QStringLiteral("--password"), &password)
        || !takeOption(&arguments, QStringLiteral("--ranges"), &rangeText)
        || !takeOption(&arguments, QStringLiteral("--format"), &format) || arguments.size() != 2
        || !parseRanges(rangeText, &ranges))
        return probe::fail(QStringLiteral(
                "usage: pdf-render-files FILE OUTDIR [--ranges 1-3,5] [--format png]"));
    QElapsedTimer timer;
    timer.start();
    const QString folder = absolute(arguments.at(1));
    QString error;
    const bool ok
            = Document::renderDocumentToFiles(absolute(arguments.at(0)), password, ranges,
                                              Document::formatForExtension(format), folder, &error);
    QJsonArray files;
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name))
        files.append(name);
    return finish({ { QStringLiteral("folder"), folder },
                    { QStringLiteral("error"), error },
                    { QStringLiteral("files"), files } },
                  ok, timer);
}

int pdfPageImage(const QStringList &given)
{
    QStringList arguments = given;
    QString password;
    QString pageText = QStringLiteral("1");
    QString dpiText = QStringLiteral("96");
    if (!takeOption(&arguments, QStringLiteral("--password"), &password)
        || !takeOption(&arguments, QStringLiteral("--page"), &pageText)
        || !takeOption(&arguments, QStringLiteral("--dpi"), &dpiText) || arguments.size() != 2)
        return probe::fail(
                QStringLiteral("usage: pdf-page-image FILE OUT.png [--page N] [--dpi D]"));
    bool pageOk = false;
    bool dpiOk = false;
    const int page = pageText.toInt(&pageOk);
    const int dpi = dpiText.toInt(&dpiOk);
    if (!pageOk || !dpiOk || dpi < 1 || dpi > 1200)
        return probe::fail(QStringLiteral("page must be a number, dpi one from 1 to 1200"));
    QElapsedTimer timer;
    timer.start();
    Document document;
    if (document.LoadFromFile(absolute(arguments.at(0)), password) != 1)
        return finish({ { QStringLiteral("error"), Document::errorText(document) } }, false, timer);
    QImage image;
    const bool ok = document.renderPageToImage(page, dpi, &image);
    const QString out = absolute(arguments.at(1));
    return finish({ { QStringLiteral("width"), image.width() },
                    { QStringLiteral("height"), image.height() },
                    { QStringLiteral("saved"), ok && image.save(out, "PNG") },
                    { QStringLiteral("out"), out } },
                  ok, timer);
}

int pdfMerge(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return probe::fail(QStringLiteral("usage: pdf-merge OUT.pdf IN [--password P] [IN]..."));
    QList<Document::ProtectedFile> inputs;
    bool anyPassword = false;
    for (int at = 1; at < arguments.size(); ++at) {
        if (arguments.at(at) != QLatin1String("--password")) {
            inputs.append({ absolute(arguments.at(at)), QString() });
            continue;
        }
        if (inputs.isEmpty() || at + 1 >= arguments.size())
            return probe::fail(QStringLiteral("--password follows an input and has a value"));
        inputs.last().second = arguments.at(++at);
        anyPassword = true;
    }
    QElapsedTimer timer;
    timer.start();
    const QString out = absolute(arguments.first());
    bool ok = false;
    if (anyPassword) {
        ok = Document::mergeProtectedFiles(out, inputs);
    } else {
        QStringList files;
        for (const Document::ProtectedFile &input : inputs)
            files << input.first;
        ok = Document::mergeFiles(out, files);
    }
    QJsonObject result { { QStringLiteral("out"), out },
                         { QStringLiteral("inputs"), inputs.size() },
                         { QStringLiteral("pages"), ok ? pagesOf(out, QString()) : 0 } };
    return finish(result, ok, timer);
}

int pdfEncrypt(const QStringList &given)
{
    QStringList arguments = given;
    QString owner;
    QString user;
    QString author;
    QString title;
    QString allow;
    if (!takeOption(&arguments, QStringLiteral("--owner"), &owner)
        || !takeOption(&arguments, QStringLiteral("--user"), &user)
        || !takeOption(&arguments, QStringLiteral("--author"), &author)
        || !takeOption(&arguments, QStringLiteral("--title"), &title)
        || !takeOption(&arguments, QStringLiteral("--allow"), &allow) || arguments.size() != 2)
        return probe::fail(QStringLiteral("usage: pdf-encrypt IN OUT [--owner P] [--user P] "
                                          "[--author A] [--title T] [--allow print,copy,...]"));
    DocumentPermissions permissions;
    const QMap<QString, bool DocumentPermissions::*> names {
        { QStringLiteral("print"), &DocumentPermissions::canPrint },
        { QStringLiteral("copy"), &DocumentPermissions::canCopy },
        { QStringLiteral("change"), &DocumentPermissions::canChange },
        { QStringLiteral("notes"), &DocumentPermissions::canAddNotes },
        { QStringLiteral("fill"), &DocumentPermissions::canFillFields },
        { QStringLiteral("access"), &DocumentPermissions::canCopyAccess },
        { QStringLiteral("assemble"), &DocumentPermissions::canAssemble },
        { QStringLiteral("printfull"), &DocumentPermissions::canPrintFull },
    };
    for (const QString &name : allow.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!names.contains(name))
            return probe::fail(QStringLiteral("unknown permission %1").arg(name));
        permissions.*names.value(name) = true;
    }
    QElapsedTimer timer;
    timer.start();
    QString error;
    const QString out = absolute(arguments.at(1));
    const bool ok = Document::encryptFile(absolute(arguments.at(0)), out, permissions, author,
                                          title, &error, owner, user);
    return finish({ { QStringLiteral("out"), out }, { QStringLiteral("error"), error } }, ok,
                  timer);
}

int pdfSplit(const QStringList &given)
{
    QStringList arguments = given;
    QString password;
    QString pagesText;
    QString folder;
    QString groups;
    QString remove;
    QString rangeText;
    if (!takeOption(&arguments, QStringLiteral("--password"), &password)
        || !takeOption(&arguments, QStringLiteral("--pages"), &pagesText)
        || !takeOption(&arguments, QStringLiteral("--out"), &folder)
        || !takeOption(&arguments, QStringLiteral("--groups"), &groups)
        || !takeOption(&arguments, QStringLiteral("--remove"), &remove)
        || !takeOption(&arguments, QStringLiteral("--ranges"), &rangeText))
        return probe::fail(QStringLiteral("an option lacks its value"));
    const bool perPage = takeFlag(&arguments, QStringLiteral("--per-page"));
    const int modes = int(perPage) + int(!groups.isEmpty()) + int(!remove.isEmpty())
            + int(!rangeText.isEmpty());
    if (arguments.size() != 1 || modes != 1)
        return probe::fail(QStringLiteral(
                "usage: pdf-split FILE (--per-page | --groups START,SIZE | --remove 2,5 | "
                "--ranges \"1-3;4-9\") [--pages N] [--out DIR] [--password P]"));
    const QString source = absolute(arguments.first());
    bool countOk = true;
    const int pageCount
            = pagesText.isEmpty() ? pagesOf(source, password) : pagesText.toInt(&countOk);
    if (!countOk)
        return probe::fail(QStringLiteral("--pages takes a number"));
    if (!folder.isEmpty())
        folder = absolute(folder);

    QElapsedTimer timer;
    timer.start();
    QStringList made;
    bool ok = false;
    if (perPage) {
        ok = Document::splitPerPage(source, password, pageCount, &folder, &made);
    } else if (!groups.isEmpty()) {
        const QStringList parts = groups.split(QLatin1Char(','));
        bool startOk = false;
        bool sizeOk = false;
        const int start = parts.value(0).toInt(&startOk);
        const int size = parts.value(1).toInt(&sizeOk);
        if (parts.size() != 2 || !startOk || !sizeOk)
            return probe::fail(QStringLiteral("--groups takes START,SIZE"));
        ok = Document::splitByGroups(source, password, pageCount, start, size, &folder, &made);
    } else if (!remove.isEmpty()) {
        ok = Document::splitByCertainPages(source, password, pageCount,
                                           remove.split(QLatin1Char(',')), &folder, &made);
    } else {
        ok = Document::split(source, password, pageCount, rangeText.split(QLatin1Char(';')),
                             &folder, &made);
    }
    QJsonArray files;
    for (const QString &file : made)
        files.append(QJsonObject { { QStringLiteral("file"), file },
                                   { QStringLiteral("pages"), pagesOf(file, QString()) } });
    return finish({ { QStringLiteral("source"), source },
                    { QStringLiteral("pageCount"), pageCount },
                    { QStringLiteral("folder"), folder },
                    { QStringLiteral("files"), files } },
                  ok, timer);
}

} // namespace

VL_PROBE_COMMAND("pdf-probe", "FILE [--password P] [--cover OUT.png]", pdfProbe);
VL_PROBE_COMMAND("pdf-render-files", "FILE OUTDIR [--ranges 1-3,5] [--format png] [--password P]",
                 pdfRenderFiles);
VL_PROBE_COMMAND("pdf-page-image", "FILE OUT.png [--page N] [--dpi D] [--password P]",
                 pdfPageImage);
VL_PROBE_COMMAND("pdf-merge", "OUT.pdf IN [--password P] [IN [--password P]]...", pdfMerge);
VL_PROBE_COMMAND("pdf-encrypt",
                 "IN OUT [--owner P] [--user P] [--author A] [--title T] [--allow print,copy,...]",
                 pdfEncrypt);
VL_PROBE_COMMAND("pdf-split",
                 "FILE (--per-page | --groups START,SIZE | --remove 2,5 | --ranges \"1-3;4-9\") "
                 "[--pages N] [--out DIR] [--password P]",
                 pdfSplit);
