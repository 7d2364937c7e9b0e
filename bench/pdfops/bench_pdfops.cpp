// A generated 500-page PDF split into single pages and the pages merged
// back into one file, through the engine and with the qpdf tool
// (--split-pages, and --empty --pages ... --) on the same file in one run,
// the tool's start-up subtracted. Prints the ratios; the goal is 1.5 or
// less.

#include "bench/support/benchsupport.h"
#include "pdf/document.h"
#include "tests/pdf/pdffixture.h"

#include <QCollator>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int pageCount = 500;
constexpr double goal = 1.5;

// The PDF files of a folder in page order (p-2 before p-10).
QStringList piecesOf(const QString &folder)
{
    QStringList names = QDir(folder).entryList({ QStringLiteral("*.pdf") }, QDir::Files);
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);
    for (QString &name : names)
        name = folder + QLatin1Char('/') + name;
    return names;
}

int pagesOf(const QString &file)
{
    Document document;
    return document.LoadFromFile(file, QString()) == 1 ? document.PageCount() : 0;
}

void quiet(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QString qpdf = QStandardPaths::findExecutable(QStringLiteral("qpdf"));
    if (qpdf.isEmpty()) {
        std::printf("qpdf is not installed (package qpdf): nothing to compare with\n");
        return 1;
    }
    // Files go into memory where the system offers a memory folder, so that
    // disk speed does not count for either side.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
            ? QStringLiteral("/dev/shm")
            : QDir::tempPath();
    QTemporaryDir folder(base + QStringLiteral("/vellumin-bench-XXXXXX"));
    const QString source = folder.filePath(QStringLiteral("book.pdf"));
    const QString tiny = folder.filePath(QStringLiteral("tiny.pdf"));
    if (!pdffixture::writeTextPdf(source, pageCount, QStringLiteral("Bench"))
        || !pdffixture::writeTextPdf(tiny, 1)) {
        std::printf("cannot write the fixtures\n");
        return 1;
    }
    std::printf("%d generated pages (%lld bytes) in %s\n", pageCount, QFileInfo(source).size(),
                qPrintable(base));

    QList<double> starts;
    for (int i = 0; i < 7; ++i)
        starts << bench::runProgram(qpdf, { QStringLiteral("--show-npages"), tiny });
    const double start = bench::median(starts);
    std::printf("qpdf start-up (median of 7): %.1f ms\n", start);

    // The operations log every step; the log is not what is measured.
    qInstallMessageHandler(quiet);
    QList<double> splitOurs;
    QList<double> splitTheirs;
    QList<double> mergeOurs;
    QList<double> mergeTheirs;
    bool valid = true;
    for (int round = 0; round < 3; ++round) {
        const QString ours = folder.filePath(QStringLiteral("ours%1").arg(round));
        QString outputFolder = ours;
        QStringList made;
        QElapsedTimer timer;
        timer.start();
        Document::splitPerPage(source, QString(), pageCount, &outputFolder, &made);
        splitOurs << timer.nsecsElapsed() / 1e6;
        const QString oursMerged = folder.filePath(QStringLiteral("ours%1.pdf").arg(round));
        timer.start();
        Document::mergeFiles(oursMerged, made);
        mergeOurs << timer.nsecsElapsed() / 1e6;
        valid = valid && made.size() == pageCount && pagesOf(oursMerged) == pageCount;

        const QString theirs = folder.filePath(QStringLiteral("theirs%1").arg(round));
        QDir().mkpath(theirs);
        splitTheirs << bench::runProgram(qpdf,
                                         { QStringLiteral("--split-pages"), source,
                                           theirs + QStringLiteral("/p-%d.pdf") })
                        - start;
        const QStringList pieces = piecesOf(theirs);
        mergeTheirs << bench::runProgram(
                               qpdf,
                               QStringList { QStringLiteral("--empty"), QStringLiteral("--pages") }
                                       + pieces
                                       + QStringList { QStringLiteral("--"),
                                                       folder.filePath(
                                                               QStringLiteral("theirs%1.pdf")
                                                                       .arg(round)) })
                        - start;
        valid = valid && pieces.size() == pageCount;
    }
    qInstallMessageHandler(nullptr);
    if (!valid) {
        std::printf("a run did not make %d pieces and a %d-page file\n", pageCount, pageCount);
        return 1;
    }
    bool met = true;
    const auto report = [&](const char *name, const QList<double> &ours,
                            const QList<double> &theirs, const char *peer) {
        const double ratio = bench::median(ours) / bench::median(theirs);
        met = met && ratio <= goal;
        std::printf("%s: engine %.1f ms, %s %.1f ms (start-up subtracted), ratio %.2f "
                    "(goal: %.1f or less) %s\n",
                    name, bench::median(ours), peer, bench::median(theirs), ratio, goal,
                    ratio <= goal ? "met" : "NOT met");
    };
    report("split 500 pages into single pages", splitOurs, splitTheirs, "qpdf --split-pages");
    report("merge the 500 single pages", mergeOurs, mergeTheirs, "qpdf --empty --pages ... --");
    return met ? 0 : 1;
}
