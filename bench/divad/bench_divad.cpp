// Opens generated 10 MB novels (GBK, UTF-8 with a mark, UTF-16LE, HTML) to
// their first laid-out volume and prints the time beside iconv converting
// the same file to GBK, as a ratio (goal: within 3x and under 1 s). Then
// lays out one 30,000-byte volume of Chinese and of English text beside a
// bare QTextLayout wrap of the same text at the same width (goal: within
// 1.5x), and prints what drawing its first spread adds. Best of several
// runs each. With --keep DIR the novels stay in DIR.

#include "standalone/settings/readersettings.h"
#include "standalone/text/booktext.h"
#include "standalone/util/ansi.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTextLayout>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace divad;

namespace {

constexpr int novelBytes = 10 * 1024 * 1024;
constexpr int rounds = 5;
constexpr int pageWidth = 387; // a 1000-pixel window
constexpr int pageHeight = 612;

double bestOf(int runs, const std::function<void()> &work)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

QString chineseParagraph(quint32 *seed)
{
    static const QString characters = QStringLiteral(
            "夜色渐深城外的官道上只剩下一辆马车车轮碾过积水发出单调声响赶车老人抬头看了天叹口气"
            "他想起多年前离开故乡时的情景山河依旧人事已非风吹动帘子灯火在远处明灭不定少年握紧手中"
            "剑");
    QString text = QStringLiteral("　　");
    const int length = 80 + int(*seed % 120);
    for (int i = 0; i < length; ++i) {
        *seed = *seed * 1103515245u + 12345u;
        text += characters.at(int((*seed >> 16) % quint32(characters.size())));
        if (i % 17 == 16)
            text += (i % 3) ? QStringLiteral("，") : QStringLiteral("。");
    }
    return text + QStringLiteral("。\r\n");
}

QString englishParagraph(quint32 *seed)
{
    static const QStringList words = QStringLiteral("the reader night river garden letter window "
                                                    "stone silver quiet morning distant "
                                                    "voice along winter lantern harbour paper "
                                                    "thread orchard walked slowly towards")
                                             .split(QLatin1Char(' '));
    QString text;
    const int length = 40 + int(*seed % 60);
    for (int i = 0; i < length; ++i) {
        *seed = *seed * 1103515245u + 12345u;
        text += words.at(int((*seed >> 16) % quint32(words.size())));
        text += (i % 12 == 11) ? QStringLiteral(". ") : QStringLiteral(" ");
    }
    return text + QStringLiteral("\r\n");
}

// A novel of about bytes bytes once encoded.
QString novel(int bytes, int bytesPerCharacter, bool english)
{
    QString text;
    quint32 seed = 2024;
    int chapter = 1;
    while (text.size() * bytesPerCharacter < bytes) {
        text += QStringLiteral("第%1章\r\n\r\n").arg(chapter++);
        for (int p = 0; p < 30; ++p)
            text += english ? englishParagraph(&seed) : chineseParagraph(&seed);
    }
    return text;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

double iconvTime(const QString &iconv, const QString &from, const QString &path)
{
    return bestOf(rounds, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(iconv,
                      { QStringLiteral("-c"), QStringLiteral("-f"), from, QStringLiteral("-t"),
                        QStringLiteral("GBK"), path });
        process.waitForFinished(60000);
    });
}

// The bare wrap: decode the volume and break it into lines at the page
// width, one layout, nothing drawn.
int bareWrap(const QByteArray &volume, const QFont &font)
{
    QString text = Ansi::toUnicode(volume);
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(pageWidth);
        line.setPosition(QPointF(0, lines * 22));
        ++lines;
    }
    layout.endLayout();
    return lines;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir scratch;
    QString folder = scratch.path();
    const int keep = app.arguments().indexOf(QStringLiteral("--keep"));
    if (keep > 0 && keep + 1 < app.arguments().size()) {
        folder = app.arguments().at(keep + 1);
        QDir().mkpath(folder);
    }
    qputenv("DIVAD_HOME", QFile::encodeName(folder));

    QTextCodec *gbk = QTextCodec::codecForName("GBK");
    const QString chinese = novel(novelBytes, 2, false);
    QByteArray html = "<html><head><title>长夜</title></head><body>\n";
    for (const QString &line : chinese.split(QStringLiteral("\r\n")))
        html += "<p>" + gbk->fromUnicode(line).replace("　　", "&nbsp;&nbsp;") + "</p>\n";
    html += "</body></html>\n";
    QByteArray utf16("\xFF\xFE");
    const QString utf16Text = novel(novelBytes, 2, false);
    utf16.append(reinterpret_cast<const char *>(utf16Text.utf16()), utf16Text.size() * 2);
    struct Book
    {
        const char *name;
        QString file;
        QString iconvFrom;
        QByteArray bytes;
    };
    const QList<Book> books = {
        { "GBK", QStringLiteral("gbk.txt"), QStringLiteral("GBK"), gbk->fromUnicode(chinese) },
        { "UTF-8 with mark", QStringLiteral("utf8.txt"), QStringLiteral("UTF-8"),
          "\xEF\xBB\xBF" + novel(novelBytes, 3, false).toUtf8() },
        { "UTF-16LE", QStringLiteral("utf16.txt"), QStringLiteral("UTF-16"), utf16 },
        { "HTML (GBK)", QStringLiteral("novel.html"), QStringLiteral("GBK"), html },
    };

    const QString iconv = QStandardPaths::findExecutable(QStringLiteral("iconv"));
    std::printf("10 MB novels to the first laid-out volume (page %dx%d), best of %d runs\n",
                pageWidth, pageHeight, rounds);
    QImage window(1, 1, QImage::Format_RGB32);
    ReaderSettings settings;
    settings.SetFontHeight(18);
    for (const Book &book : books) {
        const QString path = QDir(folder).filePath(book.file);
        if (!write(path, book.bytes)) {
            std::printf("%-16s cannot write %s\n", book.name, qPrintable(path));
            continue;
        }
        BookText text(&settings);
        bool ok = true;
        const double ours = bestOf(
                rounds, [&] { ok = text.OpenBook(path, &window, pageWidth, pageHeight) && ok; });
        const double floor = iconv.isEmpty() ? 0 : iconvTime(iconv, book.iconvFrom, path);
        std::printf("%-16s %5.1f MB  ours %7.1f ms (%d volumes)  iconv %7.1f ms  "
                    "ratio %.2fx (goal 3x, under 1000 ms)%s\n",
                    book.name, book.bytes.size() / 1048576.0, ours, text.VolumeCount(), floor,
                    floor > 0 ? ours / floor : 0.0, ok ? "" : "  OPEN FAILED");
    }

    std::printf("\none 30,000-byte volume laid out at %d px, best of %d runs\n", pageWidth,
                rounds * 2);
    // At a font height of 16 a volume holds 30,000 bytes.
    settings.SetFontHeight(16);
    const QFont font = settings.BookFont();
    for (const bool english : { false, true }) {
        QByteArray volume = gbk->fromUnicode(novel(40000, 1, english));
        volume = Ansi::cutToBytes(volume, 30000);
        BookText text(&settings);
        text.SplitVolumes(volume);
        int lines = 0;
        const double floor = bestOf(rounds * 2, [&] { lines = bareWrap(volume, font); });
        const double ours
                = bestOf(rounds * 2, [&] { text.LayoutVolume(0, &window, pageWidth, pageHeight); });
        // What the first paint adds: the two pages of the first spread drawn.
        const double withSpread = bestOf(rounds * 2, [&] {
            text.LayoutVolume(0, &window, pageWidth, pageHeight);
            text.SpreadCanvas(0);
        });
        std::printf("%-8s %d bytes, %d lines  ours %6.1f ms  bare wrap %6.1f ms  "
                    "ratio %.2fx (goal 1.5x); with its first spread drawn %6.1f ms\n",
                    english ? "English" : "Chinese", volume.size(), text.TotalLines(), ours, floor,
                    ours / floor, withSpread);
        if (lines != text.TotalLines())
            std::printf("         (the bare wrap made %d lines)\n", lines);
    }
    return 0;
}
