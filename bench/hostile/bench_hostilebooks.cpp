// Opens hostile books, each in a reading view of its own with its
// pagination helper (vellumin-probe read), and prints the time and the peak
// memory of the larger of the two processes beside the goal of 1 GB and
// beside the floor of an ordinary small book, as ratios.
//
//   bench_hostilebooks [--probe PATH] [--keep DIR] [--only NAME] [--timeout SECONDS]
//
// The books are made here: scripts that never end and reach out, a picture
// bomb, a cyclic HUFF/CDIC dictionary, tens of thousands of links, anchors
// and sections, contents eight thousand levels deep, thousands of long file
// names, and a 200 MB text book, plain and zipped small.

#include "tests/archive/zipfixture.h"
#include "tests/document/picturefixture.h"
#include "tests/formats/mobi/mobiwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double goalMegabytes = 1024.0;

struct Book
{
    QString name;
    std::function<bool(const QString &path)> make;
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool epubOf(const QString &path, const QStringList &chapters, const QString &ncx = QString(),
            const QList<ZipFixture::Entry> &extra = {})
{
    ZipFixture::Epub epub;
    epub.chapters = chapters;
    if (!ncx.isNull())
        epub.ncx = ncx;
    epub.extra = extra;
    return epub.write(path);
}

QString scriptedChapter()
{
    return QStringLiteral(
            "<p onclick=\"go()\">text</p><script>for (;;) {}</script>"
            "<img src=\"http://127.0.0.1:9/x.png\"/><img src=\"file:///etc/passwd\"/>"
            "<iframe src=\"frame.xhtml\"></iframe><!--><script>go()</script>-->");
}

QList<Book> books()
{
    QList<Book> list;
    list.append({ QStringLiteral("plain.epub (floor)"), [](const QString &path) {
                     return epubOf(path, { QStringLiteral("<p>One</p>"), QStringLiteral("<p>Two</p>"),
                                           QStringLiteral("<p>Three</p>") });
                 } });
    list.append({ QStringLiteral("scripts.epub"), [](const QString &path) {
                     return epubOf(path, { scriptedChapter(), scriptedChapter() }, QString(),
                                   { { QStringLiteral("OEBPS/frame.xhtml"),
                                       ZipFixture::Epub::xhtml(scriptedChapter()) } });
                 } });
    list.append({ QStringLiteral("picture-bomb.epub"), [](const QString &path) {
                     return epubOf(path, { QStringLiteral("<p>a</p><img src=\"bomb.png\"/>") },
                                   QString(),
                                   { { QStringLiteral("OEBPS/bomb.png"),
                                       PictureFixture::pngClaiming(23000, 23000) } });
                 } });
    list.append({ QStringLiteral("links-40000.epub"), [](const QString &path) {
                     QString body = QStringLiteral("<p>");
                     for (int i = 0; i < 40000; ++i)
                         body += QStringLiteral("<a href=\"#a%1\" id=\"a%2\">w%1</a> ")
                                         .arg(i)
                                         .arg((i + 1) % 40000);
                     return epubOf(path, { body + QStringLiteral("</p>") });
                 } });
    list.append({ QStringLiteral("spans-40000.epub"), [](const QString &path) {
                     QString body = QStringLiteral("<p>");
                     for (int i = 0; i < 40000; ++i)
                         body += QStringLiteral("<span>w%1</span> ").arg(i);
                     return epubOf(path, { body + QStringLiteral("</p>") });
                 } });
    list.append({ QStringLiteral("toc-8000-deep.epub"), [](const QString &path) {
                     QString ncx;
                     for (int i = 0; i < 8000; ++i)
                         ncx += QStringLiteral("<navPoint><navLabel><text>L%1</text></navLabel>"
                                               "<content src=\"ch1.xhtml\"/>")
                                        .arg(i);
                     ncx += QStringLiteral("</navPoint>").repeated(8000);
                     return epubOf(path, { QStringLiteral("<p>a</p>") }, ncx);
                 } });
    list.append({ QStringLiteral("files-3000-long-names.epub"), [](const QString &path) {
                     ZipFixture::Epub epub;
                     epub.chapters.clear();
                     for (int i = 0; i < 3000; ++i) {
                         const QString name = QString(200, QLatin1Char('n'))
                                 + QStringLiteral("-%1.xhtml").arg(i);
                         epub.manifest += QStringLiteral("<item id=\"c%1\" href=\"%2\" "
                                                         "media-type=\"application/xhtml+xml\"/>")
                                                  .arg(i)
                                                  .arg(name);
                         epub.spine += QStringLiteral("<itemref idref=\"c%1\"/>").arg(i);
                         epub.extra.append({ QStringLiteral("OEBPS/") + name,
                                             ZipFixture::Epub::xhtml(
                                                     QStringLiteral("<p>%1</p>").arg(i)) });
                     }
                     return epub.write(path);
                 } });
    list.append({ QStringLiteral("huff-cycle.mobi"), [](const QString &path) {
                     mobitest::FixedHuffCode code(8, 8);
                     const int letter = code.addLiteral("x");
                     const int cycle = code.addNested({ 1, 1 });
                     mobitest::MobiLayout layout;
                     layout.compression = 17480;
                     layout.huff = &code;
                     for (int i = 0; i < 1000; ++i)
                         layout.textRecords.append(code.encode({ letter, cycle }));
                     return writeFile(path, mobitest::makeMobi(layout));
                 } });
    list.append({ QStringLiteral("anchors-40000.mobi"), [](const QString &path) {
                     QByteArray text = "<html><body>";
                     for (int i = 0; i < 40000; ++i)
                         text += "<h2>Head " + QByteArray::number(i)
                                 + "</h2><p><a filepos=" + QByteArray::number(i * 60).rightJustified(10, '0')
                                 + ">link</a> word</p>";
                     text += "</body></html>";
                     mobitest::MobiLayout layout;
                     layout.text = text;
                     return writeFile(path, mobitest::makeMobi(layout));
                 } });
    list.append({ QStringLiteral("sections-100000.fb2"), [](const QString &path) {
                     QByteArray body = "<body><title><p>Many</p></title>";
                     for (int i = 0; i < 100000; ++i)
                         body += "<section><title><p>S" + QByteArray::number(i)
                                 + "</p></title><p>t</p></section>";
                     body += "</body>";
                     return writeFile(path,
                                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook "
                                      "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\">"
                                              + body + "</FictionBook>");
                 } });
    const auto hugeText = [] {
        const QByteArray line = "A line of a plain text book that goes on and on and on.\n";
        return line.repeated(200 * 1024 * 1024 / line.size());
    };
    list.append({ QStringLiteral("text-200MB.txt"),
                  [hugeText](const QString &path) { return writeFile(path, hugeText()); } });
    list.append({ QStringLiteral("text-200MB.zip"), [hugeText](const QString &path) {
                     return ZipFixture::write(path, { { QStringLiteral("huge.txt"), hugeText() } });
                 } });
    return list;
}

struct Run
{
    double seconds = 0;
    double megabytes = 0;
    int status = -1;
    bool timedOut = false;
};

// Runs the probe on the book in a process of its own, with a home of its
// own; the peak memory of the process and of the helper it waited for is
// what wait4() reports for it.
Run open(const QString &probe, const QString &book, const QString &home, int timeout)
{
    Run run;
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("HOME", QFile::encodeName(home).constData(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        const QByteArray program = QFile::encodeName(probe);
        const QByteArray path = QFile::encodeName(book);
        ::execl(program.constData(), program.constData(), "read", path.constData(),
                static_cast<char *>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    for (;;) {
        const pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        if (timer.elapsed() > timeout * 1000LL) {
            run.timedOut = true;
            ::kill(pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            break;
        }
        ::usleep(20000);
    }
    run.seconds = timer.elapsed() / 1000.0;
    run.megabytes = usage.ru_maxrss / 1024.0;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const auto option = [&arguments](const QString &name, const QString &fallback) {
        const int at = arguments.indexOf(name);
        return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback;
    };
    const QString probe
            = option(QStringLiteral("--probe"),
                     QCoreApplication::applicationDirPath() + QStringLiteral("/vellumin-probe"));
    const QString only = option(QStringLiteral("--only"), QString());
    const int timeout = option(QStringLiteral("--timeout"), QStringLiteral("300")).toInt();
    QTemporaryDir temporary;
    const QString keep = option(QStringLiteral("--keep"), QString());
    const QString folder = keep.isEmpty() ? temporary.path() : keep;
    QDir().mkpath(folder);
    if (!QFileInfo(probe).isExecutable()) {
        std::fprintf(stderr, "no probe at %s\n", qPrintable(probe));
        return 2;
    }

    std::printf("%-28s %9s %10s %9s %9s  %s\n", "book", "seconds", "peak MB", "/goal", "/floor",
                "result");
    double floor = 0;
    bool goalMet = true;
    const QList<Book> list = books();
    for (const Book &book : list) {
        if (!only.isEmpty() && !book.name.contains(only) && !book.name.contains(QLatin1String("floor")))
            continue;
        const QString path = folder + QLatin1Char('/') + book.name.section(QLatin1Char(' '), 0, 0);
        if (!book.make(path)) {
            std::printf("%-28s cannot be made\n", qPrintable(book.name));
            continue;
        }
        const QString home = folder + QStringLiteral("/home-") + QFileInfo(path).fileName();
        QDir().mkpath(home);
        const Run run = open(probe, path, home, timeout);
        if (floor == 0)
            floor = run.megabytes;
        goalMet = goalMet && run.megabytes < goalMegabytes && !run.timedOut;
        std::printf("%-28s %9.2f %10.1f %9.2f %9.2f  %s\n", qPrintable(book.name), run.seconds,
                    run.megabytes, run.megabytes / goalMegabytes,
                    floor > 0 ? run.megabytes / floor : 0.0,
                    run.timedOut ? "timed out"
                                 : run.status == 0 ? "read" : "refused (the reader says why)");
        std::fflush(stdout);
        if (keep.isEmpty())
            QFile::remove(path);
    }
    std::printf("goal: every hostile book under %.0f MB in each process: %s\n", goalMegabytes,
                goalMet ? "met" : "NOT met");
    return 0;
}
