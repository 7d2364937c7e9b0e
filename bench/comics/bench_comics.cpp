// Comic pages: a generated 200-page CBZ (deflated) and CBR (stored) of
// 2000x3000 JPEG pages. For pages 1, 100 and 200, the time from a page
// request to the page picture (the comic document), beside the floor of
// unpacking and decoding the same page with the system's tools:
// "unzip -p BOOK PAGE | djpeg" for the CBZ and "bsdtar -xOf BOOK PAGE |
// djpeg" for the CBR. Then the image viewer's page turn, from the key to
// the page in the scene, in one- and two-page mode, beside the floor of
// one and two pages. Goal: within 1.3x of the floor.
//
// usage: bench_comics [FOLDER [ROUNDS]]   (FOLDER keeps the comics between
// runs; by default a temporary one)

#include "comics/comicdocument.h"
#include "comics/imageviewer.h"
#include "core/settings.h"
#include "tests/archive/rarfixture.h"
#include "tests/archive/zipfixture.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int PageCount = 200;
const QSize PageSize(2000, 3000);

QString pageName(int page)
{
    return QStringLiteral("pages/page%1.jpg").arg(page, 3, 10, QLatin1Char('0'));
}

// A page with the texture of a drawn one: panels with gradients, shapes
// and lettering, so its JPEG is as large as a scanned page's.
QByteArray drawPage(int page)
{
    QImage image(PageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random { quint32(page) };
    const int columns = 2;
    const int rows = 3;
    const int gap = 40;
    const int width = (PageSize.width() - gap * (columns + 1)) / columns;
    const int height = (PageSize.height() - gap * (rows + 1)) / rows;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const QRect panel(gap + column * (width + gap), gap + row * (height + gap), width,
                              height);
            QLinearGradient sky(panel.topLeft(), panel.bottomRight());
            sky.setColorAt(0, QColor::fromHsv(random.bounded(360), 120, 230));
            sky.setColorAt(1, QColor::fromHsv(random.bounded(360), 200, 120));
            painter.fillRect(panel, sky);
            painter.setClipRect(panel);
            for (int shape = 0; shape < 60; ++shape) {
                painter.setPen(QPen(QColor::fromHsv(random.bounded(360), 200, 80), 6));
                painter.setBrush(QColor::fromHsv(random.bounded(360), random.bounded(256),
                                                 random.bounded(256), 200));
                const QPoint at(panel.left() + random.bounded(width),
                                panel.top() + random.bounded(height));
                painter.drawEllipse(at, 20 + random.bounded(160), 20 + random.bounded(160));
            }
            painter.setClipping(false);
            painter.setPen(QPen(Qt::black, 8));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(panel);
        }
    }
    QFont font = painter.font();
    font.setPixelSize(120);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, PageSize.height() - 200, PageSize.width(), 200), Qt::AlignCenter,
                     QStringLiteral("Page %1").arg(page));
    painter.end();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return buffer.data();
}

bool writeComics(const QString &cbz, const QString &cbr)
{
    if (QFileInfo::exists(cbz) && QFileInfo::exists(cbr))
        return true;
    std::printf("writing %d pages of %dx%d...\n", PageCount, PageSize.width(), PageSize.height());
    std::fflush(stdout);
    QList<ZipFixture::Entry> zipEntries;
    RarFixture::Archive rar;
    for (int page = 1; page <= PageCount; ++page) {
        const QByteArray data = drawPage(page);
        zipEntries.append({ pageName(page), data, true, 8 });
        RarFixture::Entry entry;
        entry.name = pageName(page);
        entry.data = data;
        rar.entries.append(entry);
    }
    return ZipFixture::write(cbz, zipEntries) && rar.write(cbr);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double timeMs(const std::function<bool()> &run, int rounds)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return -1;
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

bool shell(const QString &command)
{
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), command });
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

QString floorCommand(const QString &book, const QString &entry)
{
    // Both tools write the page to a pipe; djpeg decodes it as the reader
    // does and writes the pixels nowhere.
    if (book.endsWith(QLatin1String(".cbz")))
        return QStringLiteral("unzip -p '%1' '%2' | djpeg > /dev/null").arg(book, entry);
    return QStringLiteral("bsdtar -xOf '%1' '%2' | djpeg > /dev/null").arg(book, entry);
}

void row(const char *what, double ours, double floor)
{
    std::printf("%-34s ours %8.1f ms   floor %8.1f ms   ratio %5.2f\n", what, ours, floor,
                floor > 0 ? ours / floor : 0.0);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The pages pass through a storage folder: a home of its own keeps the
    // user's library out of it.
    QTemporaryDir temporary;
    qputenv("HOME", QFile::encodeName(temporary.path()));
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString folder = arguments.size() > 1 ? arguments.at(1) : temporary.path();
    const int rounds = arguments.size() > 2 ? qMax(1, arguments.at(2).toInt()) : 5;
    QDir().mkpath(folder);
    for (const char *tool : { "unzip", "bsdtar", "djpeg" }) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            std::fprintf(stderr, "%s is missing (tools/setup.sh installs it)\n", tool);
            return 2;
        }
    }
    const QString cbz = QDir(folder).filePath(QStringLiteral("bench.cbz"));
    const QString cbr = QDir(folder).filePath(QStringLiteral("bench.cbr"));
    if (!writeComics(cbz, cbr)) {
        std::fprintf(stderr, "cannot write the comics into %s\n", qPrintable(folder));
        return 1;
    }
    std::printf("CBZ %.0f MB, CBR %.0f MB, %d rounds, median\n", QFileInfo(cbz).size() / 1e6,
                QFileInfo(cbr).size() / 1e6, rounds);

    ViewerSettings values = Settings::instance()->values();
    const ViewerSettings original = values;
    values.showFade = false;
    values.columnCount = 1;
    Settings::instance()->setValues(values, true);

    double worst = 0;
    const auto note = [&worst](double ours, double floor) {
        if (floor > 0)
            worst = std::max(worst, ours / floor);
    };
    for (const QString &book : { cbz, cbr }) {
        const char *kind = book == cbz ? "CBZ" : "CBR";
        comics::ComicDocument document;
        if (!document.load(book)) {
            std::fprintf(stderr, "%s does not open: %s\n", kind, qPrintable(document.lastError()));
            return 1;
        }
        for (const int page : { 1, 100, 200 }) {
            const double ours = timeMs([&] { return !document.pageImage(page).isNull(); }, rounds);
            const double floor
                    = timeMs([&] { return shell(floorCommand(book, pageName(page))); }, rounds);
            const QByteArray what = QStringLiteral("%1 page %2 to picture")
                                            .arg(QLatin1String(kind))
                                            .arg(page)
                                            .toLatin1();
            row(what.constData(), ours, floor);
            note(ours, floor);
        }

        // The viewer: from the key to the page in the scene, in the middle
        // of the book, one page and then two.
        for (const int columns : { 1, 2 }) {
            ImageViewer viewer(book);
            viewer.resize(1000, 700);
            viewer.show();
            viewer.document()->setColumnCount(columns);
            if (!viewer.load())
                return 1;
            QElapsedTimer wait;
            wait.start();
            while ((viewer.isPreparingPage() || viewer.shownPage() != 1) && wait.elapsed() < 30000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            viewer.document()->setPage(99);
            std::vector<double> times;
            for (int i = 0; i < rounds; ++i) {
                const int target = viewer.document()->currentPage() + columns;
                QElapsedTimer timer;
                timer.start();
                viewer.next();
                while (viewer.isPreparingPage() || viewer.shownPage() != target)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
                QCoreApplication::processEvents();
                times.push_back(timer.nsecsElapsed() / 1e6);
            }
            const double ours = median(times);
            const int page = viewer.document()->currentPage();
            double floor
                    = timeMs([&] { return shell(floorCommand(book, pageName(page))); }, rounds);
            if (columns == 2)
                floor += timeMs([&] { return shell(floorCommand(book, pageName(page + 1))); },
                                rounds);
            const QByteArray what = QStringLiteral("%1 viewer turn, %2 page%3")
                                            .arg(QLatin1String(kind))
                                            .arg(columns)
                                            .arg(columns == 1 ? "" : "s")
                                            .toLatin1();
            row(what.constData(), ours, floor);
            note(ours, floor);
        }
    }
    Settings::instance()->setValues(original, true);
    std::printf("worst ratio %.2f (goal: 1.30 or less): %s\n", worst,
                worst <= 1.3 ? "met" : "not met");
    return 0;
}
