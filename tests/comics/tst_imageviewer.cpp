#include "comics/comicdocument.h"
#include "comics/imageviewer.h"
#include "core/settings.h"
#include "tests/comics/comicfixture.h"
#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QGraphicsPixmapItem>
#include <QScrollBar>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

namespace {

// A document whose pages wait until released, and that notes whether it
// was destroyed while a page was being made.
class SlowDocument : public ImageDocument
{
public:
    bool load(const QString &) override { return true; }
    QImage pageImage(int page) override
    {
        ++running;
        release.tryAcquire(1, 10000);
        QImage image(20, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.setText(QStringLiteral("page"), QString::number(page));
        --running;
        return image;
    }
    int pageCount() override { return 3; }
    bool isValidPage(int page) override { return page >= 1 && page <= 3; }
    ~SlowDocument() override
    {
        if (running > 0)
            destroyedWhileRunning = true;
    }

    static std::atomic<int> running;
    static std::atomic<bool> destroyedWhileRunning;
    static QSemaphore release;
};

std::atomic<int> SlowDocument::running { 0 };
std::atomic<bool> SlowDocument::destroyedWhileRunning { false };
QSemaphore SlowDocument::release;

QList<QGraphicsPixmapItem *> pageItems(const ImageViewer &viewer)
{
    QList<QGraphicsPixmapItem *> items;
    const QList<QGraphicsItem *> all = viewer.scene()->items(Qt::AscendingOrder);
    for (QGraphicsItem *item : all) {
        if (auto *pixmap = qgraphicsitem_cast<QGraphicsPixmapItem *>(item))
            items.append(pixmap);
    }
    std::sort(items.begin(), items.end(), [](QGraphicsPixmapItem *a, QGraphicsPixmapItem *b) {
        return a->pos().x() < b->pos().x();
    });
    return items;
}

int shownNumber(const QGraphicsPixmapItem *item)
{
    return ComicFixture::pageOf(item->pixmap().toImage());
}

} // namespace

class TestImageViewer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensFirstPageFitted();
    void keysTurnPages();
    void twoPageView();
    void clicks_data();
    void clicks();
    void zoom();
    void wheelScrollsThenTurns();
    void quickKeysShowTheLatestPage();
    void settingsRecolourAndFit();
    void waitsForTheTaskBeforeDeletingTheDocument();
    void refusedBooks();

private:
    // A shown viewer on a comic of count pages, its first page shown.
    bool open(int count, const QString &name = QStringLiteral("comic.cbz"));
    bool waitForPage(int page);

    QTemporaryDir m_dir;
    std::unique_ptr<ImageViewer> m_viewer;
};

void TestImageViewer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Single clicks wait for a possible double click; keep that short.
    QApplication::setDoubleClickInterval(60);
}

void TestImageViewer::init()
{
    ViewerSettings values = Settings::instance()->values();
    values.columnCount = 1;
    values.showFade = false;
    values.currentProfile = ViewerSettings::DayProfile;
    Settings::instance()->setValues(values, true);
}

void TestImageViewer::cleanup()
{
    m_viewer.reset();
    m_dir.setAutoRemove(!QTest::currentTestFailed());
}

bool TestImageViewer::open(int count, const QString &name)
{
    const QString path = m_dir.filePath(name);
    if (!QFileInfo::exists(path)
        && !ComicFixture::write(path, ComicFixture::pages(count, { 200, 300 })))
        return false;
    m_viewer = std::make_unique<ImageViewer>(path);
    m_viewer->resize(600, 400);
    m_viewer->show();
    m_viewer->activateWindow();
    if (!QTest::qWaitForWindowActive(m_viewer.get()))
        return false;
    return m_viewer->load() && waitForPage(1);
}

bool TestImageViewer::waitForPage(int page)
{
    return QTest::qWaitFor(
            [&] { return !m_viewer->isPreparingPage() && m_viewer->shownPage() == page; });
}

// Page 1, fitted into the view, the view at its top.
void TestImageViewer::opensFirstPageFitted()
{
    QVERIFY(open(5));
    ImageDocument *document = m_viewer->document();
    QVERIFY(qobject_cast<comics::ComicDocument *>(document));
    QCOMPARE(document->currentPage(), 1);
    QCOMPARE(m_viewer->viewMode(), int(ImageViewer::FitToPage));
    const QList<QGraphicsPixmapItem *> items = pageItems(*m_viewer);
    QCOMPARE(items.size(), 1);
    QCOMPARE(shownNumber(items.first()), 1);
    QCOMPARE(m_viewer->sceneRect(), QRectF(0, 0, 200, 300));
    // 300 pixels high into a view about 400 high: scaled up to fit.
    const QRect shown = m_viewer->mapFromScene(m_viewer->sceneRect()).boundingRect();
    QVERIFY2(shown.height() > 350 && shown.height() <= m_viewer->viewport()->height(),
             qPrintable(QString::number(shown.height())));
    QCOMPARE(m_viewer->verticalScrollBar()->value(), m_viewer->verticalScrollBar()->minimum());
    QCOMPARE(m_viewer->objectName(), QStringLiteral("imageViewer"));
}

void TestImageViewer::keysTurnPages()
{
    QVERIFY(open(5));
    ImageDocument *document = m_viewer->document();
    const QList<QPair<int, int>> steps = {
        { Qt::Key_Right, 2 }, { Qt::Key_PageDown, 3 }, { Qt::Key_Left, 2 }, { Qt::Key_End, 5 },
        { Qt::Key_Right, 5 }, { Qt::Key_PageUp, 4 },   { Qt::Key_Home, 1 }, { Qt::Key_Left, 1 },
    };
    for (const auto &step : steps) {
        QTest::keyClick(m_viewer.get(), Qt::Key(step.first));
        QCOMPARE(document->currentPage(), step.second);
        QVERIFY(waitForPage(step.second));
        QCOMPARE(shownNumber(pageItems(*m_viewer).first()), step.second);
    }
}

// Current page left, the next one right, 10 pixels apart; on the last page
// only the left side shows.
void TestImageViewer::twoPageView()
{
    QVERIFY(open(5));
    ImageDocument *document = m_viewer->document();
    QTest::keyClick(m_viewer.get(), Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(document->columnCount(), 2);
    QVERIFY(QTest::qWaitFor([&] { return pageItems(*m_viewer).size() == 2; }));
    QList<QGraphicsPixmapItem *> items = pageItems(*m_viewer);
    QCOMPARE(shownNumber(items.at(0)), 1);
    QCOMPARE(shownNumber(items.at(1)), 2);
    QCOMPARE(items.at(1)->pos(), QPointF(210, 0));
    QCOMPARE(m_viewer->sceneRect(), QRectF(0, 0, 410, 300));

    QTest::keyClick(m_viewer.get(), Qt::Key_Right);
    QCOMPARE(document->currentPage(), 3);
    QVERIFY(waitForPage(3));
    QCOMPARE(shownNumber(pageItems(*m_viewer).at(1)), 4);
    QTest::keyClick(m_viewer.get(), Qt::Key_End);
    QVERIFY(waitForPage(5));
    items = pageItems(*m_viewer);
    QCOMPARE(shownNumber(items.at(0)), 5);
    QVERIFY(items.size() < 2 || items.at(1)->pixmap().isNull());

    QTest::keyClick(m_viewer.get(), Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(document->columnCount(), 1);
    QVERIFY(QTest::qWaitFor([&] { return pageItems(*m_viewer).size() == 1; }));
}

void TestImageViewer::clicks_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("fullScreens");
    QTest::newRow("left half") << "click" << 10 << 2 << 0;
    QTest::newRow("last pixel of the left half") << "click" << 299 << 2 << 0;
    QTest::newRow("middle") << "click" << 300 << 4 << 0;
    QTest::newRow("right half") << "click" << 590 << 4 << 0;
    QTest::newRow("drag") << "drag" << 590 << 3 << 0;
    QTest::newRow("Ctrl click") << "ctrl" << 590 << 3 << 0;
    QTest::newRow("double click") << "double" << 590 << 3 << 1;
}

// One click turns one page, back on the left half and on from the middle;
// a drag, a Ctrl click and a double click turn none.
void TestImageViewer::clicks()
{
    QFETCH(QString, gesture);
    QFETCH(int, x);
    QFETCH(int, page);
    QFETCH(int, fullScreens);
    QVERIFY(open(6));
    QCOMPARE(m_viewer->width(), 600);
    m_viewer->document()->setPage(3);
    QVERIFY(waitForPage(3));
    QSignalSpy fullScreen(m_viewer.get(), &ImageViewer::fullScreen);

    QWidget *area = m_viewer->viewport();
    const QPoint at = area->mapFrom(m_viewer.get(), QPoint(x, 200));
    if (gesture == QLatin1String("click")) {
        QTest::mouseClick(area, Qt::LeftButton, {}, at);
    } else if (gesture == QLatin1String("ctrl")) {
        QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, at);
    } else if (gesture == QLatin1String("drag")) {
        QTest::mousePress(area, Qt::LeftButton, {}, at);
        QTest::mouseMove(area, at - QPoint(100, 0));
        QTest::mouseRelease(area, Qt::LeftButton, {}, at - QPoint(100, 0));
    } else {
        QTest::mouseClick(area, Qt::LeftButton, {}, at);
        QTest::mouseDClick(area, Qt::LeftButton, {}, at);
    }
    QTest::qWait(QApplication::doubleClickInterval() * 3);
    QCOMPARE(m_viewer->document()->currentPage(), page);
    QCOMPARE(fullScreen.count(), fullScreens);
}

void TestImageViewer::zoom()
{
    QVERIFY(open(4));
    m_viewer->originalSize();
    QCOMPARE(m_viewer->viewMode(), int(ImageViewer::NaturalSize));
    QCOMPARE(m_viewer->transform().m11(), 1.0);
    for (int i = 0; i < 3; ++i)
        m_viewer->zoomIn();
    QCOMPARE(m_viewer->viewMode(), int(ImageViewer::Zoomed));
    QVERIFY(qFuzzyCompare(m_viewer->transform().m11(), 1.520875));
    // A page change keeps the scale.
    QTest::keyClick(m_viewer.get(), Qt::Key_Right);
    QVERIFY(waitForPage(2));
    QVERIFY(qFuzzyCompare(m_viewer->transform().m11(), 1.520875));
    m_viewer->zoomOut();
    QVERIFY(qFuzzyCompare(m_viewer->transform().m11(), 1.3225));

    // Ctrl+wheel: up zooms in, a zero delta zooms out; without Ctrl the
    // view scrolls and the scale stays.
    const QPoint centre = m_viewer->viewport()->rect().center();
    const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(centre, m_viewer->viewport()->mapToGlobal(centre), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_viewer->viewport(), &event);
    };
    wheel(120, Qt::ControlModifier);
    QVERIFY(qFuzzyCompare(m_viewer->transform().m11(), 1.520875));
    wheel(0, Qt::ControlModifier);
    QVERIFY(qFuzzyCompare(m_viewer->transform().m11(), 1.3225));

    QTest::keyClick(m_viewer.get(), Qt::Key_8, Qt::ControlModifier);
    QCOMPARE(m_viewer->viewMode(), int(ImageViewer::FitToPage));
    QVERIFY(m_viewer->transform().m11() > 1.2 && m_viewer->transform().m11() < 1.35);
    QTest::keyClick(m_viewer.get(), Qt::Key_9, Qt::ControlModifier);
    QCOMPARE(m_viewer->transform().m11(), 1.0);
}

// The wheel scrolls a page larger than the view, and turns the page once
// nothing is left to scroll that way; a fitted page turns at once.
void TestImageViewer::wheelScrollsThenTurns()
{
    QVERIFY(open(4));
    ImageDocument *document = m_viewer->document();
    const QPoint centre = m_viewer->viewport()->rect().center();
    const auto wheel = [&](int delta) {
        QWheelEvent event(centre, m_viewer->viewport()->mapToGlobal(centre), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_viewer->viewport(), &event);
    };
    wheel(-120);
    QCOMPARE(document->currentPage(), 2);
    wheel(0);
    QCOMPARE(document->currentPage(), 2);
    wheel(120);
    QCOMPARE(document->currentPage(), 1);
    QVERIFY(waitForPage(1));

    for (int i = 0; i < 5; ++i)
        m_viewer->zoomIn();
    QScrollBar *bar = m_viewer->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->minimum());
    wheel(120);
    QCOMPARE(document->currentPage(), 1); // nothing before the first page
    wheel(-120);
    QCOMPARE(document->currentPage(), 1);
    QVERIFY(bar->value() > bar->minimum());
    for (int i = 0; i < 50 && bar->value() < bar->maximum(); ++i)
        wheel(-120);
    QCOMPARE(document->currentPage(), 1);
    wheel(-120);
    QCOMPARE(document->currentPage(), 2);
    QVERIFY(waitForPage(2));
    QCOMPARE(bar->value(), bar->minimum());
}

// Page keys pressed faster than pages are made: the view ends on the last
// page asked for and never shows an older page after a newer one.
void TestImageViewer::quickKeysShowTheLatestPage()
{
    const QString path = m_dir.filePath(QStringLiteral("large.cbr"));
    QVERIFY(ComicFixture::write(path, ComicFixture::pages(12, { 600, 900 })));
    QVERIFY(open(0, QStringLiteral("large.cbr")));
    QList<int> shown;
    connect(m_viewer.get(), &ImageViewer::pageShown, this, [&](int page) { shown.append(page); });
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(m_viewer.get(), Qt::Key_Right);
    QCOMPARE(m_viewer->document()->currentPage(), 11);
    QVERIFY(waitForPage(11));
    QVERIFY(std::is_sorted(shown.begin(), shown.end()));
    QCOMPARE(shown.last(), 11);
    // Pages asked for while another was made are skipped, not made late.
    QVERIFY(shown.size() < 10);
    QCOMPARE(shownNumber(pageItems(*m_viewer).first()), 11);
}

// Any change of the reading settings recolours the view and its scroll
// bars, shows the page again and fits it.
void TestImageViewer::settingsRecolourAndFit()
{
    QVERIFY(open(3));
    m_viewer->zoomIn();
    ViewerSettings values = Settings::instance()->values();
    values.currentProfile = ViewerSettings::NightProfile;
    Settings::instance()->setValues(values);
    const QColor night = Settings::instance()->values().profile().workgroundColor;
    QVERIFY(QTest::qWaitFor([&] { return m_viewer->backgroundBrush().color() == night; }));
    QCOMPARE(m_viewer->backgroundBrush().style(), Qt::SolidPattern);
    QVERIFY(m_viewer->verticalScrollBar()->styleSheet().contains(night.name()));
    QVERIFY(m_viewer->horizontalScrollBar()->styleSheet().contains(night.name()));
    QCOMPARE(m_viewer->viewMode(), int(ImageViewer::FitToPage));

    values.columnCount = 2;
    Settings::instance()->setValues(values);
    QVERIFY(QTest::qWaitFor([&] { return m_viewer->document()->columnCount() == 2; }));
    QCOMPARE(m_viewer->document()->columnCount(), 2);
    QVERIFY(QTest::qWaitFor([&] { return pageItems(*m_viewer).size() == 2; }));

    // With the shade on, preparing a page shows it, and it goes again.
    values.showFade = true;
    Settings::instance()->setValues(values);
    QTest::qWait(50);
    QTest::keyClick(m_viewer.get(), Qt::Key_Right);
    QVERIFY(QTest::qWaitFor([&] { return m_viewer->shade()->isVisible(); }));
    QVERIFY(QTest::qWaitFor([&] { return !m_viewer->shade()->isVisible(); }, 3000));
}

void TestImageViewer::waitsForTheTaskBeforeDeletingTheDocument()
{
    auto *viewer = new ImageViewer(new SlowDocument, QStringLiteral("slow.cbz"));
    viewer->show();
    QVERIFY(viewer->load());
    QVERIFY(QTest::qWaitFor([] { return SlowDocument::running == 1; }));
    std::thread releaser([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        SlowDocument::release.release(5);
    });
    QElapsedTimer timer;
    timer.start();
    delete viewer;
    const qint64 waited = timer.elapsed();
    releaser.join();
    QVERIFY(!SlowDocument::destroyedWhileRunning);
    QVERIFY2(waited >= 100, qPrintable(QString::number(waited)));
}

void TestImageViewer::refusedBooks()
{
    const QString broken = m_dir.filePath(QStringLiteral("broken.cbr"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Rar! but nothing more");
    file.close();
    ImageViewer viewer(broken);
    QSignalSpy begin(&viewer, &ImageViewer::loadBegin);
    QSignalSpy finished(&viewer, &ImageViewer::loadFinished);
    QVERIFY(!viewer.load());
    QCOMPARE(viewer.lastError(), QStringLiteral("the file is no RAR archive"));
    QCOMPARE(begin.count(), 1);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!viewer.isPreparingPage());

    ImageViewer none(m_dir.filePath(QStringLiteral("book.pdf")));
    QVERIFY(!none.document());
    QVERIFY(!none.load());
    QVERIFY(!none.lastError().isEmpty());
    none.next();
    none.setTwoPageMode();
    none.moveToEnd();
    QVERIFY(none.scene()->items().isEmpty());
}

VL_TEST_WIDGETS_MAIN(TestImageViewer)

#include "tst_imageviewer.moc"
