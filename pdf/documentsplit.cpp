// Splitting a PDF file by page ranges, and the copy without listed pages
// made by splitting off the pages to keep and merging them again.

#include "pdf/document.h"

#include "core/paths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace {

// The folder a split writes to: the requested one, or split_<base> beside
// the source; made when missing.
QString chooseFolder(const QString &sourceFile, const QString &requested)
{
    const QFileInfo source(sourceFile);
    QString folder = source.path() + QStringLiteral("/split_") + source.completeBaseName();
    if (!requested.isEmpty())
        folder = requested;
    if (!QFile::exists(folder))
        QDir().mkpath(folder);
    return folder;
}

// A range text goes into a file name: only page numbers, "-" and "," may
// stand in it, so no "/" or ".." ever leads the file out of its folder.
bool isSafeRange(const QString &range)
{
    static const QRegularExpression allowed(QStringLiteral("^[0-9,-]+$"));
    return allowed.match(range).hasMatch();
}

QString rangeText(qint64 first, qint64 last)
{
    return first == last ? QStringLiteral("%1").arg(first)
                         : QStringLiteral("%1-%2").arg(first).arg(last);
}

// folder/stem.pdf, or stem_2.pdf, stem_3.pdf ... when taken. The name is
// claimed by creating the file empty, so two edits in the same second, on
// any thread, never end up in one file. The merge then moves its output
// over the empty file.
QString claimFileName(const QString &folder, const QString &stem)
{
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString name = folder + QLatin1Char('/')
                + (attempt == 1 ? stem : QStringLiteral("%1_%2").arg(stem).arg(attempt))
                + QStringLiteral(".pdf");
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        // Not taken but not creatable (a folder we cannot write): the merge
        // will fail on it and say so.
        if (!QFileInfo::exists(name) && !QFileInfo(name).isSymLink())
            return name;
    }
    return folder + QLatin1Char('/') + stem + QLatin1Char('_') + Paths::uuidName()
            + QStringLiteral(".pdf");
}

} // namespace

QString Document::splitFolder(const QString &sourceFile, const QString &requested)
{
    if (!QFileInfo::exists(sourceFile)) {
        qCritical() << "Source file not found:" << sourceFile;
        return QStringLiteral("");
    }
    return chooseFolder(sourceFile, requested);
}

bool Document::split(const QString &sourceFile, const QString &password, int,
                     const QStringList &ranges, QString *outputFolder, QStringList *results)
{
    if (!QFileInfo::exists(sourceFile)) {
        qCritical().noquote() << QStringLiteral("Split. Source file not found:%1").arg(sourceFile);
        return false;
    }
    QString folder = chooseFolder(sourceFile, outputFolder ? *outputFolder : QString());
    if (outputFolder)
        *outputFolder = folder;
    qCritical() << "Split ranges:" << ranges;

    Document document;
    QStringList temporaries;
    QString working = sourceFile;
    if (!password.isEmpty()) {
        const QString temporary = Paths::cacheDir() + QLatin1Char('/') + Paths::uuidName();
        if (document.DecryptFile(sourceFile, temporary, password) != 1)
            qWarning() << "Split. Could not decrypt:" << sourceFile << errorText(document);
        temporaries << temporary;
        working = temporary;
    }
    const QString base = QFileInfo(sourceFile).completeBaseName();
    // Events run before each range and may change the caller's list: its
    // size is read again every time.
    for (int index = 0;; ++index) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (index >= ranges.size())
            break;
        QString range = ranges.at(index).trimmed();
        range.remove(QLatin1Char(' '));
        if (!isSafeRange(range)) {
            qCritical() << "Split. Range refused:" << range;
            continue;
        }
        const QString file
                = folder + QLatin1Char('/') + QStringLiteral("%1_p%2.pdf").arg(base, range);
        const int result = document.ExtractFilePages(working, QString(), file, range);
        qDebug().nospace() << "Range: " << range << " Result: " << result;
        if (result == 1) {
            if (results)
                results->append(file);
        } else if (result == 0) {
            const int code = document.LastErrorCode();
            qCritical() << "Split. Exctract error";
            qCritical() << "Error code:" << code;
            qCritical() << "Error message:" << errorMessage(code);
        }
    }
    Paths::removeFiles(temporaries);
    qCritical() << "Split complete";
    return true;
}

bool Document::splitPerPage(const QString &sourceFile, const QString &password, int pageCount,
                            QString *outputFolder, QStringList *results)
{
    qCritical() << "--[Split per page]--[Begin]";
    QStringList ranges;
    for (int page = 1; page <= pageCount; ++page)
        ranges << QString::number(page);
    const bool ok = split(sourceFile, password, pageCount, ranges, outputFolder, results);
    qCritical() << "Split result:" << ok;
    qCritical() << "--[Split per page]--[End]";
    return ok;
}

bool Document::splitByGroups(const QString &sourceFile, const QString &password, int pageCount,
                             int startPage, int groupSize, QString *outputFolder,
                             QStringList *results)
{
    qCritical() << "--[Split by group of pages]--[Begin]";
    if (startPage < 1) {
        // Page 0 would become a range "0-2" the library cannot read.
        qCritical() << "Split. Start page refused:" << startPage;
        qCritical() << "--[Split by group of pages]--[End]";
        return false;
    }
    // 64-bit steps: a group running up to the largest int must not wrap.
    const qint64 last = pageCount;
    const qint64 size = std::max(groupSize, 1);
    QStringList ranges;
    for (qint64 first = startPage; first <= last;) {
        const qint64 end = std::min(first + size - 1, last);
        ranges << rangeText(first, end);
        first = end + 1;
    }
    qWarning() << "Ranges:" << ranges;
    const bool ok = split(sourceFile, password, pageCount, ranges, outputFolder, results);
    qCritical() << "Split result:" << ok;
    qCritical() << "--[Split by group of pages]--[End]";
    return ok;
}

bool Document::splitByCertainPages(const QString &sourceFile, const QString &password,
                                   int pageCount, QStringList pages, QString *outputFolder,
                                   QStringList *results)
{
    qCritical() << "--[Split by certain page]--[Begin]";
    if (!QFileInfo::exists(sourceFile)) {
        qCritical().noquote() << QStringLiteral("Source file not found:%1").arg(sourceFile);
        return false;
    }
    std::set<qint64> listed;
    for (const QString &text : pages) {
        bool ok = false;
        const int page = text.toInt(&ok, 10);
        if (ok && page >= 1 && page <= pageCount)
            listed.insert(page);
    }
    // The gaps between listed pages are the ranges to keep.
    QStringList ranges;
    qint64 first = 1;
    for (const qint64 page : listed) {
        if (page > first)
            ranges << rangeText(first, page - 1);
        first = page + 1;
    }
    if (first <= pageCount)
        ranges << rangeText(first, pageCount);
    qDebug() << ranges;

    const QString workFolder = Paths::cacheDir() + QLatin1Char('/') + Paths::uuidName();
    qDebug() << "Temp folder:" << workFolder;
    QStringList pieces;
    QString splitInto = workFolder;
    const bool ok = split(sourceFile, password, pageCount, ranges, &splitInto, &pieces);
    qCritical() << "Split result:" << ok;
    QString edited;
    if (ok) {
        const QString folder = splitFolder(sourceFile, outputFolder ? *outputFolder : QString());
        if (!folder.isEmpty()) {
            const QString stem = QStringLiteral("%1_edited_%2")
                                         .arg(QFileInfo(sourceFile).completeBaseName(),
                                              QDateTime::currentDateTime().toString(
                                                      QStringLiteral("yyyy_MM_dd_hh-mm-ss")));
            edited = claimFileName(folder, stem);
            qCritical() << "Merge file name:" << edited;
            const bool merged = mergeFiles(edited, pieces);
            qCritical() << "Merge result:" << merged;
            if (merged) {
                if (results)
                    results->append(edited);
            } else if (QFileInfo(edited).size() == 0) {
                // Only the claim is there: nothing to keep.
                QFile::remove(edited);
            }
        }
    }
    // The pieces are pages of the book in plain: gone whatever happened.
    const bool removed = Paths::removeDir(workFolder);
    qDebug() << "Remove tmp folder:" << workFolder;
    qDebug() << "Result:" << removed;
    if (!ok || edited.isEmpty())
        return false;
    if (outputFolder)
        *outputFolder = edited;
    qCritical() << "Split complete";
    return true;
}
