// The reading window of divad at 1280 x 800: a full-window paint and the
// frames of one page turn, each beside a bare QPainter fill-and-blit of the
// same window size (goal: a frame within 2x of that floor and under
// 16 ms); then a skin reload (the eight pictures of the program remade at
// the book's size) beside QImage::scaled of the same pictures to the same
// size (goal: under 50 ms). Median of many runs each, in one process.

#include "standalone/app/pagesound.h"
#include "standalone/app/readerdialog.h"
#include "standalone/app/skinstore.h"
#include "standalone/settings/readersettings.h"
#include "standalone/text/booktext.h"
#include "standalone/util/ansi.h"
#include "standalone/util/strutil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace divad;

namespace {

const QSize windowSize(1280, 800);

double medianOf(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The floor: a window that fills itself and copies one picture of its
// size onto itself.
class BareWindow : public QWidget
{
public:
    BareWindow()
        : m_picture(windowSize, QImage::Format_RGB32)
    {
        m_picture.fill(QColor(250, 246, 232));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(windowSize);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(214, 208, 192));
        painter.drawImage(0, 0, m_picture);
    }

private:
    QImage m_picture;
};

QByteArray novel()
{
    static const QString words = QStringLiteral(
            "夜色渐深城外的官道上只剩下一辆马车车轮碾过积水发出单调声响赶车老人抬头看了天叹口气");
    QByteArray text;
    quint32 seed = 11;
    while (text.size() < 200000) {
        QString paragraph = QStringLiteral("　　");
        for (int i = 0; i < 120; ++i) {
            seed = seed * 1103515245u + 12345u;
            paragraph += words.at(int((seed >> 16) % quint32(words.size())));
        }
        text += Ansi::fromUnicode(paragraph + QStringLiteral("。\r\n"));
    }
    return text;
}

void report(const char *what, double ours, double floor, const char *goal)
{
    std::printf("%-34s %8.2f ms   floor %8.2f ms   ratio %5.2f   %s\n", what, ours, floor,
                ours / floor, goal);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("DIVAD_HOME", QFile::encodeName(home.path()));
    qputenv("DIVAD_WEB_BASE", "http://127.0.0.1:9");
    QApplication application(argc, argv);
    PageSound::SetOutputEnabled(false);

    const QString book = home.filePath(QStringLiteral("novel.txt"));
    QFile file(book);
    if (!file.open(QIODevice::WriteOnly) || file.write(novel()) <= 0)
        return 1;
    file.close();

    ReaderDialog dialog;
    SetMainWindow(&dialog);
    dialog.OnInitDialog(book);
    dialog.setFixedSize(windowSize);
    dialog.OpenBook(book);
    dialog.SetActiveOverride(1);
    dialog.show();
    QApplication::processEvents();
    dialog.JumpToSpread(2);
    // The pointer rests on the text, as it mostly does while reading.
    dialog.SetMousePoint(QPoint(windowSize.width() / 4, windowSize.height() / 2));

    BareWindow bare;
    bare.show();
    QApplication::processEvents();

    const int runs = 60;
    const double floor = medianOf(runs, [&] { bare.repaint(); });
    const double paint = medianOf(runs, [&] { dialog.repaint(); });
    report("full-window paint 1280x800", paint, floor, paint < 16 && paint < 2 * floor
                                                               ? "goal met (2x, 16 ms)"
                                                               : "goal missed (2x, 16 ms)");
    // A spread shown for the first time: its still layers drawn afresh.
    readerSettings().SetAnimationSpeed(-2);
    int flip = 0;
    const double fresh = medianOf(runs, [&] {
        dialog.JumpToSpread(2 + (++flip % 2));
        dialog.repaint();
    });
    dialog.JumpToSpread(2);
    report("first paint of a spread", fresh, floor, fresh < 16 ? "under 16 ms" : "over 16 ms");

    // One turn at medium speed paints 12 frames; the turn back another 12.
    readerSettings().SetAnimationSpeed(0);
    int frames = 0;
    dialog.SetFrameObserver([&frames] { ++frames; });
    const double turn = medianOf(20, [&] {
        dialog.NextSpread();
        dialog.JumpToSpread(2);
    });
    const double frame = frames > 0 ? turn / (frames / 20.0) : 0;
    report("page-turn frame (of 12)", frame, floor, frame < 16 && frame < 2 * floor
                                                          ? "goal met (2x, 16 ms)"
                                                          : "goal missed (2x, 16 ms)");

    const BookGeometry g = dialog.Geometry();
    const QSize inner(g.inner.width(), g.inner.height());
    SkinStore skins;
    skins.Reload(inner, 0);
    const double reload = medianOf(30, [&] { skins.Reload(inner, 0); });
    const double scaled = medianOf(30, [&] {
        for (int skin = 0; skin < 8; ++skin) {
            const QImage picture = SkinStore::ProgramPicture(skin).scaled(
                    inner, Qt::IgnoreAspectRatio,
                    skin == 1 ? Qt::SmoothTransformation : Qt::FastTransformation);
            if (picture.isNull())
                std::printf("scaling failed\n");
        }
    });
    report("skin reload (8 pictures)", reload, scaled,
           reload < 50 ? "goal met (50 ms)" : "goal missed (50 ms)");
    return 0;
}
