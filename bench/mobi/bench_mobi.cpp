// Decodes a generated 5 MB PalmDOC book and a HUFF/CDIC book and prints the
// time beside mobitool (libmobi) dumping the same text, as a ratio; then
// rewrites the links of a 5 MB page with 10,000 filepos links against the
// 300 ms goal. With --keep DIR the generated books stay in DIR.

#include "formats/mobi/mobifile.h"
#include "formats/mobi/mobimarkup.h"
#include "tests/formats/mobi/mobiwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int bookSize = 5 * 1024 * 1024;
constexpr int rounds = 5;

const QList<QByteArray> &vocabulary()
{
    static const QList<QByteArray> words = [] {
        QList<QByteArray> list;
        const char *base[]
                = { "the",    "reader",  "night",   "river",   "garden",  "letter", "window",
                    "stone",  "silver",  "quiet",   "morning", "distant", "voice",  "along",
                    "winter", "lantern", "harbour", "paper",   "thread",  "orchard" };
        for (const char *word : base) {
            list << QByteArray(word) << QByteArray(word) + "s" << QByteArray(word) + "ed";
        }
        list << QByteArray("caf\xC3\xA9") << QByteArray("na\xC3\xAFve");
        return list;
    }();
    return words;
}

QByteArray generateText(int size)
{
    QByteArray text;
    text.reserve(size + 1024);
    quint32 seed = 12345;
    int paragraph = 0;
    while (text.size() < size) {
        text += "<h2>Chapter " + QByteArray::number(paragraph / 40) + "</h2>";
        for (int p = 0; p < 40 && text.size() < size; ++p, ++paragraph) {
            text += "<p>";
            for (int w = 0; w < 60; ++w) {
                seed = seed * 1103515245u + 12345u;
                text += vocabulary().at(int((seed >> 16) % quint32(vocabulary().size())));
                text += (w % 12 == 11) ? ". " : " ";
            }
            text += "</p>\n";
        }
    }
    return text;
}

mobitest::FixedHuffCode *buildCode()
{
    auto *code = new mobitest::FixedHuffCode(12, 10);
    for (int c = 1; c < 256; ++c)
        code->addLiteral(QByteArray(1, char(c)));
    QList<int> words;
    for (const QByteArray &word : vocabulary())
        words << code->addLiteral(word + " ");
    code->addLiteral("</p>\n<p>");
    code->addLiteral("<h2>Chapter ");
    // Some entries that expand into others, as real dictionaries hold.
    for (int i = 0; i + 1 < words.size(); i += 2)
        code->addNested({ words.at(i), words.at(i + 1) });
    return code;
}

QString writeBook(const QString &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Best of several runs, in milliseconds; -1 when the text is wrong. The
// first (cold) run, whose fresh memory the system still has to map, is
// printed beside it.
double ours(const QString &path, const QByteArray &expected)
{
    {
        QElapsedTimer timer;
        timer.start();
        const mobi::MobiFile file(path);
        const QString text = file.text();
        std::printf("  first run in this process: %.1f ms\n", timer.nsecsElapsed() / 1e6);
        if (text.toUtf8() != expected)
            return -1;
    }
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        const mobi::MobiFile file(path);
        const int length = file.text().size();
        const double elapsed = timer.nsecsElapsed() / 1e6;
        if (length == 0)
            return -1;
        best = qMin(best, elapsed);
    }
    return best;
}

double mobitool(const QString &tool, const QString &path, const QString &outFolder, int size)
{
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        QDir(outFolder).removeRecursively();
        QDir().mkpath(outFolder);
        QElapsedTimer timer;
        timer.start();
        QProcess process;
        process.start(tool, { QStringLiteral("-d"), QStringLiteral("-o"), outFolder, path });
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return -1;
        const double elapsed = timer.nsecsElapsed() / 1e6;
        qint64 written = 0;
        for (const QFileInfo &info : QDir(outFolder).entryInfoList(QDir::Files))
            written += info.size();
        if (written < size)
            return -1;
        best = qMin(best, elapsed);
    }
    return best;
}

void report(const char *name, double ourTime, double peerTime)
{
    if (ourTime < 0) {
        std::printf("%-22s decoding FAILED (text differs)\n", name);
        return;
    }
    if (peerTime < 0) {
        std::printf("%-22s ours %8.1f ms   mobitool unavailable or failed\n", name, ourTime);
        return;
    }
    std::printf("%-22s ours %8.1f ms   mobitool (whole run, writes the text) %8.1f ms   "
                "ratio %.2fx faster (goal 2x)\n",
                name, ourTime, peerTime, peerTime / ourTime);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTemporaryDir temporary;
    QString folder = temporary.path();
    const int keep = arguments.indexOf(QStringLiteral("--keep"));
    if (keep > 0 && keep + 1 < arguments.size()) {
        folder = arguments.at(keep + 1);
        QDir().mkpath(folder);
    }

    const QByteArray text = generateText(bookSize);
    mobitest::MobiLayout palm;
    palm.text = text;
    palm.fullName = "Bench PalmDOC";
    palm.exth = { { 100, "Bench Writer" } };
    palm.extraFlags = 3;
    palm.pictures = { mobitest::picture(120, 160, "JPG") };
    const QString palmPath
            = writeBook(folder, QStringLiteral("palmdoc.mobi"), mobitest::makeMobi(palm));

    const std::unique_ptr<mobitest::FixedHuffCode> code(buildCode());
    mobitest::MobiLayout huff;
    huff.text = text;
    huff.fullName = "Bench HUFF";
    huff.compression = 17480;
    huff.huff = code.get();
    huff.extraFlags = 3;
    const QString huffPath
            = writeBook(folder, QStringLiteral("huffcdic.prc"), mobitest::makeMobi(huff));

    std::printf("books: %s (%lld bytes), %s (%lld bytes); text %d bytes; best of %d runs\n",
                qPrintable(palmPath), QFileInfo(palmPath).size(), qPrintable(huffPath),
                QFileInfo(huffPath).size(), text.size(), rounds);

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("mobitool"));
    const QString out = QDir(temporary.path()).filePath(QStringLiteral("mobitool-out"));
    report("PalmDOC 5 MB", ours(palmPath, text),
           tool.isEmpty() ? -1 : mobitool(tool, palmPath, out, text.size()));
    report("HUFF/CDIC 5 MB", ours(huffPath, text),
           tool.isEmpty() ? -1 : mobitool(tool, huffPath, out, text.size()));

    // A 5 MB page with 10,000 filepos links spread over it.
    QByteArray page = text;
    QByteArray links;
    for (int i = 0; i < 10000; ++i) {
        const int target = int(qint64(i) * (page.size() - 1) / 10000);
        links += "<a filepos=" + QByteArray::number(target).rightJustified(10, '0') + ">link</a> ";
    }
    page = links + page;
    double best = 1e9;
    int targets = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray rewritten = mobi::rewriteFileposLinks(page);
        best = qMin(best, timer.nsecsElapsed() / 1e6);
        targets = rewritten.count("<a name=\"");
    }
    std::printf("%-22s %8.1f ms for %d links, %d targets   goal under 300 ms (%.1fx headroom)\n",
                "filepos links 5 MB", best, 10000, targets, 300.0 / best);
    return 0;
}
