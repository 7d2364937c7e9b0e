// A book packed alone in a .7z archive: the time to unpack its one 5 MB
// file through the 7-Zip client (as the library and the reader do), beside
// the floor of "7z x" unpacking the same archive into a fresh folder. Two
// books: plain text, which packs tightly and costs the decoder most, and
// an EPUB, whose parts are packed already. Median of the rounds, one run.
// Goal: within 1.2x of the floor.
//
// usage: bench_sevenzip [ROUNDS]

#include "archive/sevenzip/sevenzipclient.h"
#include "tests/archive/sevenzipfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int BookSize = 5 * 1024 * 1024;

// Words drawn from a small vocabulary: text that packs as a novel does.
QByteArray novel()
{
    static const char *const words[]
            = { "the",   "sea",     "ship",  "and",   "a",      "captain", "wind",  "of",
                "night", "harbour", "light", "to",    "sailed", "was",     "north", "storm",
                "in",    "her",     "old",   "quiet", "letter", "morning", "town",  "never" };
    QRandomGenerator random(7);
    QByteArray text;
    text.reserve(BookSize + 64);
    int sentence = 0;
    while (text.size() < BookSize) {
        text += words[random.bounded(int(sizeof(words) / sizeof(words[0])))];
        if (++sentence % 12 == 0)
            text += random.bounded(5) == 0 ? ".\n\n" : ". ";
        else
            text += ' ';
    }
    text.truncate(BookSize);
    return text;
}

// The entries of an EPUB are deflated already: to the archive they are
// data that hardly packs further.
QByteArray packedBook()
{
    return SevenZipFixture::noise(BookSize, 11);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double timeMs(const std::function<bool(int)> &run, int rounds)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run(i))
            return -1;
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 15;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QString problem;
    if (!SevenZipClient::instance().load(&problem)) {
        std::printf("%s\n", qPrintable(problem));
        return 1;
    }

    std::printf("%-28s %10s %10s %7s\n", "5 MB book in .7z", "ours ms", "7z x ms", "ratio");
    struct Book
    {
        const char *label;
        QString name;
        QByteArray data;
    };
    const QList<Book> books
            = { { "text (LZMA2)", QStringLiteral("Novel.txt"), novel() },
                { "EPUB (packed parts)", QStringLiteral("Novel.epub"), packedBook() } };
    bool met = true;
    for (const Book &book : books) {
        const QString archive = dir.filePath(book.name + QStringLiteral(".7z"));
        if (!SevenZipFixture::make(archive, { { book.name, book.data } }))
            return 1;
        const double ours = timeMs(
                [&](int round) {
                    const QString folder = dir.filePath(QStringLiteral("ours%1").arg(round));
                    return SevenZipClient::instance().extract(archive, folder) == book.name;
                },
                rounds);
        const double floor = timeMs(
                [&](int round) {
                    const QString folder = dir.filePath(QStringLiteral("floor%1").arg(round));
                    QProcess sevenZip;
                    sevenZip.start(QStringLiteral("7z"),
                                   { QStringLiteral("x"), QStringLiteral("-y"),
                                     QStringLiteral("-bd"), QStringLiteral("-bso0"),
                                     QStringLiteral("-o") + folder, archive });
                    return sevenZip.waitForFinished(60000) && sevenZip.exitCode() == 0;
                },
                rounds);
        if (ours < 0 || floor < 0) {
            std::printf("%-28s failed\n", book.label);
            return 1;
        }
        const double ratio = ours / floor;
        met = met && ratio <= 1.2;
        std::printf("%-28s %10.1f %10.1f %7.2f\n", book.label, ours, floor, ratio);
    }
    std::printf("goal (within 1.2x of 7z x): %s\n", met ? "met" : "NOT met");
    return 0;
}
