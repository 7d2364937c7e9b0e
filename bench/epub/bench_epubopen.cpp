// Opening a generated EPUB (hundreds of chapters, many pictures) cold, with
// an empty storage folder, and warm, with the book already unpacked, beside
// "unzip -q" of the same file into a fresh folder. Goal: cold within 1.5x of
// unzip, warm well under cold.
//
// usage: bench_epubopen [chapters] [images] [rounds]

#include "formats/epub/epubdocument.h"

#include "core/paths.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool addEntry(QuaZip &zip, const QString &name, const QByteArray &data, int method = Z_DEFLATED)
{
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, method))
        return false;
    file.write(data);
    file.close();
    return file.getZipError() == 0;
}

bool writeBook(const QString &path, int chapters, int images)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    bool ok = addEntry(zip, QStringLiteral("mimetype"), "application/epub+zip", 0);
    ok = ok
            && addEntry(zip, QStringLiteral("META-INF/container.xml"),
                        "<?xml version=\"1.0\"?><container><rootfiles><rootfile "
                        "full-path=\"OEBPS/content.opf\" "
                        "media-type=\"application/oebps-package+xml\"/></rootfiles></container>");
    QString manifest;
    QString spine;
    QString nav;
    QRandomGenerator random(42);
    for (int i = 1; i <= chapters && ok; ++i) {
        QString body;
        for (int p = 0; p < 40; ++p)
            body += QStringLiteral("<p>Chapter %1, paragraph %2: the quick brown fox jumps over "
                                   "the lazy dog again and again.</p>\n")
                            .arg(i)
                            .arg(p);
        if (i % 10 == 0)
            body += QStringLiteral("<script>track(%1)</script>").arg(i);
        if (i <= images)
            body += QStringLiteral("<img src=\"images/i%1.jpg\"/>").arg(i);
        const QByteArray xhtml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                                "<html xmlns=\"http://www.w3.org/1999/xhtml\">"
                                                "<head><title>%1</title></head><body>%2</body>"
                                                "</html>\n")
                                         .arg(i)
                                         .arg(body)
                                         .toUtf8();
        ok = addEntry(zip, QStringLiteral("OEBPS/ch%1.xhtml").arg(i), xhtml);
        manifest += QStringLiteral("<item id=\"c%1\" href=\"ch%1.xhtml\" "
                                   "media-type=\"application/xhtml+xml\"/>")
                            .arg(i);
        spine += QStringLiteral("<itemref idref=\"c%1\"/>").arg(i);
        nav += QStringLiteral("<navPoint><navLabel><text>Chapter %1</text></navLabel>"
                              "<content src=\"ch%1.xhtml\"/></navPoint>")
                       .arg(i);
    }
    for (int i = 1; i <= images && ok; ++i) {
        // Pictures hardly compress; random bytes stand in for them.
        QByteArray picture(20000, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(picture.data()), picture.size() / 4);
        ok = addEntry(zip, QStringLiteral("OEBPS/images/i%1.jpg").arg(i), picture);
        manifest += QStringLiteral("<item id=\"i%1\" href=\"images/i%1.jpg\" "
                                   "media-type=\"image/jpeg\"/>")
                            .arg(i);
    }
    ok = ok
            && addEntry(zip, QStringLiteral("OEBPS/toc.ncx"),
                        QStringLiteral("<ncx><navMap>%1</navMap></ncx>").arg(nav).toUtf8());
    manifest += QStringLiteral(
            "<item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>");
    const QString opf = QStringLiteral("<?xml version=\"1.0\"?><package "
                                       "xmlns=\"http://www.idpf.org/2007/opf\"><metadata "
                                       "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>"
                                       "Bench</dc:title><meta name=\"cover\" content=\"i1\"/>"
                                       "</metadata><manifest>%1</manifest><spine>%2</spine>"
                                       "</package>")
                                .arg(manifest, spine);
    ok = ok && addEntry(zip, QStringLiteral("OEBPS/content.opf"), opf.toUtf8());
    zip.close();
    return ok && zip.getZipError() == 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    // Books land in the storage folder under HOME: keep them out of the
    // user's own.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellumin-bench"));
    qSetMessagePattern(QStringLiteral("%{if-critical}%{message}%{endif}"));

    const QStringList args = app.arguments();
    const int chapters = args.size() > 1 ? args.at(1).toInt() : 300;
    const int images = args.size() > 2 ? args.at(2).toInt() : 150;
    const int rounds = args.size() > 3 ? args.at(3).toInt() : 5;

    const QString book = home.filePath(QStringLiteral("bench.epub"));
    if (!writeBook(book, chapters, images)) {
        std::fprintf(stderr, "could not write the book\n");
        return 1;
    }
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (unzip.isEmpty()) {
        std::fprintf(stderr, "unzip is not installed\n");
        return 1;
    }

    // Both sides unpack into a folder removed just before, so both meet the
    // file system in the same state.
    std::vector<double> cold, warm, peer;
    const QString target = home.filePath(QStringLiteral("unzip"));
    for (int round = 0; round < rounds; ++round) {
        Paths::removeDir(target);
        QElapsedTimer timer;
        timer.start();
        if (QProcess::execute(unzip, { QStringLiteral("-q"), book, QStringLiteral("-d"), target })
            != 0)
            return 1;
        peer.push_back(timer.nsecsElapsed() / 1e6);

        Paths::removeDir(Paths::bookPath(book));
        timer.restart();
        {
            epub::EpubDocument document(book);
            if (!document.load())
                return 1;
        }
        cold.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        {
            epub::EpubDocument document(book);
            if (!document.load())
                return 1;
        }
        warm.push_back(timer.nsecsElapsed() / 1e6);
    }

    const double coldMs = median(cold);
    const double warmMs = median(warm);
    const double unzipMs = median(peer);
    std::printf("book: %d chapters, %d images, %.1f MB; median of %d rounds\n", chapters, images,
                QFileInfo(book).size() / 1e6, rounds);
    std::printf("unzip -q      %8.1f ms\n", unzipMs);
    std::printf("open cold     %8.1f ms  %.2fx unzip  (goal <= 1.5x)\n", coldMs, coldMs / unzipMs);
    std::printf("open warm     %8.1f ms  %.2fx unzip  %.2fx cold\n", warmMs, warmMs / unzipMs,
                warmMs / coldMs);
    return 0;
}
