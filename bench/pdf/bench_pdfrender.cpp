// Pages of a 100-page text PDF and of pages holding a 4000 x 3000 picture,
// drawn through the engine as the reading view draws them (fitted into an
// 800 x 600 view, and at scale 2.0), beside pdftoppm drawing the same pages
// at the same pixel size in one process, its start-up subtracted. Prints
// the ratio; the goal is 1.2 or less.

#include "bench/support/benchsupport.h"
#include "pdf/dibsection.h"
#include "pdf/document.h"
#include "tests/pdf/pdffixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

struct Case
{
    const char *name;
    QString file;
    int pages;
    // 0: fit into the view; otherwise this scale.
    double scale;
};

const QSize viewPort(800, 600);

// The fit scale of the reading view: whole hundredths, cut down.
double fitScale(const QSize &page)
{
    const double s = std::min(double(viewPort.height()) / page.height(),
                              double(viewPort.width()) / page.width());
    return std::trunc(s * 100 - 0.5) / 100;
}

bool writePicturePdf(const QString &path, int pages)
{
    QImage picture(4000, 3000, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < picture.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = qRgb((x * 255) / 4000, (y * 255) / 3000,
                           int(random() & 0x3f) + (x ^ y) % 128);
    }
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(600, 450), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter painter(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page)
            writer.newPage();
        painter.drawImage(QRectF(0, 0, 600, 450), picture);
    }
    return painter.end();
}

QSize pixelSize(const QSize &page, double scale)
{
    return QSize(int(page.width() * scale), int(page.height() * scale));
}

double engineMs(const Case &c, QSize *size)
{
    Document document;
    QElapsedTimer timer;
    timer.start();
    if (document.LoadFromFile(c.file, QString()) != 1)
        return -1;
    for (int page = 1; page <= c.pages; ++page) {
        const QSize points = document.pageSize(page);
        const double scale = c.scale > 0 ? c.scale : fitScale(points);
        *size = pixelSize(points, scale);
        DibSection section(size->width(), size->height());
        const gdi::HDC dc = section.createDC();
        document.SetRenderScale(scale);
        document.RenderPageToDC(72.0, page, dc);
        section.releaseDC(dc);
        const QImage image = section.toImage().copy();
        if (image.isNull())
            return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    qSetMessagePattern(QStringLiteral("%{if-warning}%{message}%{endif}"));
    QStandardPaths::setTestModeEnabled(true);
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) {
        std::printf("pdftoppm is not installed (package poppler-utils): nothing to compare with\n");
        return 1;
    }
    QTemporaryDir folder;
    const QString text = folder.filePath(QStringLiteral("text.pdf"));
    const QString picture = folder.filePath(QStringLiteral("picture.pdf"));
    const QString tiny = folder.filePath(QStringLiteral("tiny.pdf"));
    if (!pdffixture::writeTextPdf(text, 100, QStringLiteral("Bench"))
        || !writePicturePdf(picture, 5)
        || !pdffixture::writeTextPdf(tiny, 1, QString(),
                                     QPageSize(QSizeF(72, 72), QPageSize::Point))) {
        std::printf("cannot write the fixtures\n");
        return 1;
    }

    // pdftoppm has to write its images somewhere: into memory where the
    // system offers a memory folder, so that disk speed does not count.
    const QString outputBase = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
            ? QStringLiteral("/dev/shm")
            : QDir::tempPath();
    std::printf("pdftoppm writes its PPM images into %s\n", qPrintable(outputBase));

    // Start-up of pdftoppm: a one-inch page at one dot per inch.
    QList<double> starts;
    for (int i = 0; i < 7; ++i)
        starts << bench::runProgram(pdftoppm,
                                    { QStringLiteral("-r"), QStringLiteral("1"), tiny,
                                      folder.filePath(QStringLiteral("start")) });
    const double start = bench::median(starts);
    std::printf("pdftoppm start-up (median of 7): %.1f ms\n", start);

    const QList<Case> cases {
        { "100 text pages, fitted into 800x600", text, 100, 0.0 },
        { "100 text pages, scale 2.0", text, 100, 2.0 },
        { "5 pages with a 4000x3000 picture, fitted into 800x600", picture, 5, 0.0 },
        { "5 pages with a 4000x3000 picture, scale 2.0", picture, 5, 2.0 },
    };
    bool met = true;
    for (const Case &c : cases) {
        QList<double> ours;
        QList<double> theirs;
        QSize size;
        for (int round = 0; round < 3; ++round) {
            ours << engineMs(c, &size);
            QTemporaryDir images(outputBase + QStringLiteral("/vellumin-bench-XXXXXX"));
            const QString out = images.filePath(QStringLiteral("out"));
            theirs << bench::runProgram(
                              pdftoppm,
                              { QStringLiteral("-scale-to-x"), QString::number(size.width()),
                                QStringLiteral("-scale-to-y"), QString::number(size.height()),
                                QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                QString::number(c.pages), c.file, out })
                            - start;
        }
        const double engine = bench::median(ours);
        const double peer = bench::median(theirs);
        const double ratio = engine / peer;
        met = met && ratio <= 1.2;
        std::printf("%s at %dx%d: engine %.1f ms, pdftoppm %.1f ms (start-up subtracted), "
                    "ratio %.2f (goal: 1.2 or less) %s\n",
                    c.name, size.width(), size.height(), engine, peer, ratio,
                    ratio <= 1.2 ? "met" : "NOT met");
    }
    return met ? 0 : 1;
}
