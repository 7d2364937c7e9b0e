#include "core/settingsfile.h"
#include "widgets/button.h"
#include "widgets/loaderbox.h"
#include "widgets/splashscreen.h"
#include "widgets/startview.h"

#include "tests/support/testenvironment.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTranslator>
#include <QUrl>

namespace {

QPixmap splashPixmap()
{
    QPixmap pixmap(372, 186);
    pixmap.fill(Qt::darkBlue);
    return pixmap;
}

// Translates the start page's button, as a loaded translation file would.
class ButtonTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (QByteArray(context) == "StartView"
            && QByteArray(sourceText) == "Add book to your library to start reading")
            return QStringLiteral("Ajoutez un livre");
        return QString();
    }
};

// Reaches the page's drag and drop handlers without a platform drag.
class DropTarget : public StartView
{
public:
    using StartView::dragEnterEvent;
    using StartView::dropEvent;
};

} // namespace

class TestSplashScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void opensOnTheStoredScreen_data();
    void opensOnTheStoredScreen();
    void drawsVersionAndMessage();
    void loadingRunsTheDots();
    void startViewHandsOnDroppedFiles();
    void startViewRefusesPlainText();
    void startViewFollowsTheLanguage();
    void loaderBoxTurns();
    void loaderBoxRestsWhileHidden();
};

void TestSplashScreen::initTestCase()
{
    qRegisterMetaType<QFileInfoList>("QFileInfoList");
}

void TestSplashScreen::init()
{
    SettingsFile::create()->remove(QStringLiteral("mainview.screen"));
}

void TestSplashScreen::opensOnTheStoredScreen_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("missing") << QVariant();
    QTest::newRow("unplugged screen") << QVariant(7);
    QTest::newRow("negative") << QVariant(-3);
    QTest::newRow("not a number") << QVariant(QStringLiteral("left"));
    QTest::newRow("first screen") << QVariant(0);
}

void TestSplashScreen::opensOnTheStoredScreen()
{
    QFETCH(QVariant, stored);
    if (stored.isValid())
        SettingsFile::create()->setValue(QStringLiteral("mainview.screen"), stored);

    const bool valid = stored.isValid() && stored.toString() == QLatin1String("0");
    QCOMPARE(SplashScreen::screenNumber(), valid ? 0 : -1);

    SplashScreen splash(splashPixmap());
    QCOMPARE(splash.objectName(), QStringLiteral("splashScreen"));
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    const QScreen *screen
            = valid ? QGuiApplication::screens().first() : QGuiApplication::primaryScreen();
    QCOMPARE(splash.geometry().center(), screen->geometry().center());
}

void TestSplashScreen::drawsVersionAndMessage()
{
    SplashScreen splash(splashPixmap());
    splash.setVersionText(QStringLiteral("5.0.7"));
    QCOMPARE(splash.versionText(), QStringLiteral("5.0.7"));
    splash.setMessage(QStringLiteral("Loading."), Qt::white);

    QImage image(splash.size(), QImage::Format_ARGB32);
    splash.render(&image);
    // The version sits in the lower right corner, 20 pixels in.
    int versionPixels = 0;
    for (int y = 186 - 60; y < 186 - 20; ++y)
        for (int x = 372 - 120; x < 372 - 20; ++x)
            versionPixels += image.pixelColor(x, y).lightness() > 200 ? 1 : 0;
    QVERIFY(versionPixels > 5);
    int beyond = 0;
    for (int y = 186 - 19; y < 186; ++y)
        for (int x = 0; x < 372; ++x)
            beyond += image.pixelColor(x, y).lightness() > 200 ? 1 : 0;
    QCOMPARE(beyond, 0);
    // The message starts in its rectangle at (122, 120).
    int messagePixels = 0;
    for (int y = 120; y < 150; ++y)
        for (int x = 122; x < 250; ++x)
            messagePixels += image.pixelColor(x, y).lightness() > 200 ? 1 : 0;
    QVERIFY(messagePixels > 5);
}

void TestSplashScreen::loadingRunsTheDots()
{
    SplashScreen splash(splashPixmap());
    QStringList messages;
    connect(&splash, &QSplashScreen::messageChanged, this,
            [&](const QString &message) { messages << message; });
    QElapsedTimer clock;
    clock.start();
    splash.showLoading(2);
    QVERIFY(clock.elapsed() >= 2000);
    // One step every half second: four or five in two seconds.
    QVERIFY(messages.size() >= 4);
    QVERIFY(messages.size() <= 5);
    QCOMPARE(messages.mid(0, 4),
             QStringList({ QStringLiteral("Loading."), QStringLiteral("Loading.."),
                           QStringLiteral("Loading..."), QStringLiteral("Loading.") }));
    QCOMPARE(splash.message(), messages.last());
}

void TestSplashScreen::startViewHandsOnDroppedFiles()
{
    DropTarget view;
    QStringList order;
    QFileInfoList files;
    connect(&view, &StartView::droppedFiles, this, [&](const QFileInfoList &dropped) {
        order << QStringLiteral("files");
        files = dropped;
    });
    connect(&view, &StartView::switchToLibrary, this,
            [&]() { order << QStringLiteral("library"); });

    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(QStringLiteral("/books/b.epub")),
                   QUrl::fromLocalFile(QStringLiteral("/books/a.fb2")),
                   QUrl::fromLocalFile(QStringLiteral("/books/missing folder")) });
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&drop);

    QCOMPARE(order, QStringList({ QStringLiteral("files"), QStringLiteral("library") }));
    QCOMPARE(files.size(), 3);
    QCOMPARE(files.at(0).filePath(), QStringLiteral("/books/b.epub"));
    QCOMPARE(files.at(1).filePath(), QStringLiteral("/books/a.fb2"));
    QCOMPARE(files.at(2).filePath(), QStringLiteral("/books/missing folder"));
}

void TestSplashScreen::startViewRefusesPlainText()
{
    DropTarget view;
    QVERIFY(view.acceptDrops());
    QSignalSpy dropped(&view, &StartView::droppedFiles);
    QVERIFY(dropped.isValid());
    QSignalSpy library(&view, &StartView::switchToLibrary);

    QMimeData text;
    text.setText(QStringLiteral("just words"));
    QDragEnterEvent enterText(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    enterText.setAccepted(false);
    view.dragEnterEvent(&enterText);
    QVERIFY(!enterText.isAccepted());
    QDropEvent dropText(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&dropText);
    QCOMPARE(dropped.count(), 0);
    QCOMPARE(library.count(), 0);

    QMimeData files;
    files.setUrls({ QUrl::fromLocalFile(QStringLiteral("/books/a.epub")) });
    QDragEnterEvent enterFiles(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton,
                               Qt::NoModifier);
    enterFiles.setAccepted(false);
    view.dragEnterEvent(&enterFiles);
    QVERIFY(enterFiles.isAccepted());
}

void TestSplashScreen::startViewFollowsTheLanguage()
{
    StartView view;
    auto *button = view.findChild<Button *>(QStringLiteral("buttonBigAddBook"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Add book to your library to start reading"));
    QCOMPARE(button->height(), 46);
    QSignalSpy addBook(&view, &StartView::addBook);
    button->click();
    QCOMPARE(addBook.count(), 1);

    ButtonTranslator translator;
    QApplication::installTranslator(&translator);
    QApplication::processEvents();
    QCOMPARE(button->text(), QStringLiteral("Ajoutez un livre"));
    QApplication::removeTranslator(&translator);
    QApplication::processEvents();
    QCOMPARE(button->text(), QStringLiteral("Add book to your library to start reading"));
}

void TestSplashScreen::loaderBoxTurns()
{
    LoaderBox box;
    QCOMPARE(box.frameCount(), 12);
    // A new box already shows the second image.
    QCOMPARE(box.frameIndex(), 1);
    QVERIFY(!box.currentFrame().isNull());
    for (int i = 0; i < 10; ++i)
        box.nextFrame();
    QCOMPARE(box.frameIndex(), 11);
    box.nextFrame();
    QCOMPARE(box.frameIndex(), 0);

    box.show();
    QTRY_VERIFY_WITH_TIMEOUT(box.frameIndex() >= 2, 2000);
}

void TestSplashScreen::loaderBoxRestsWhileHidden()
{
    LoaderBox box;
    box.show();
    QTRY_VERIFY_WITH_TIMEOUT(box.frameIndex() >= 2, 2000);
    box.hide();
    const int stopped = box.frameIndex();
    QTest::qWait(300);
    QCOMPARE(box.frameIndex(), stopped);
    // Shown again, it continues from where it stopped.
    box.show();
    QTRY_COMPARE_WITH_TIMEOUT(box.frameIndex(), (stopped + 1) % 12, 2000);
}

VL_TEST_WIDGETS_MAIN(TestSplashScreen)
#include "tst_splashscreen.moc"
