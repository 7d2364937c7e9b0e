#include "core/settings.h"
#include "pagination/paginationclient.h"
#include "reader/bookoperations.h"
#include "reader/booksidefiles.h"
#include "reader/pagenavigationpanel.h"
#include "reader/pagenavigationslider.h"
#include "reader/pagenavigationtooltip.h"
#include "reader/textviewer.h"
#include "reader/textviewercontextmenu.h"
#include "reader/textviewerinput.h"
#include "tests/reader/readingfixture.h"
#include "tests/support/testenvironment.h"

#include <QClipboard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QUrlQuery>

#include <functional>
#include <memory>

class tst_TextViewerInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void keysTurnPages();
    void filesJoinAtTheirEnds();
    void quickTurnsWaitForTheLoadingFile();
    void pagesRiseByOneTurnAtATime_data();
    void pagesRiseByOneTurnAtATime();
    void profileFontReachesThePage();
    void clicksAndDoubleClicks();
    void wheelTurnsPages();
    void swipeTurnsPages();
    void linksInsideAndOutside();
    void selectionMenu();
    void notesUnderTheMouse();
    void navigationStrip();
    void addresses();
    void encodings();
    void encodingMenuOfPlainText();

private:
    bool open(const QString &path);
    // Presses and releases a button at a point of the view, as the window
    // system delivers it.
    void click(Qt::MouseButton button, const QPoint &point);
    QPoint elementPoint(const QString &script);

    QTemporaryDir m_dir;
    QString m_book;
    std::unique_ptr<TextViewer> m_viewer;
    TextViewerInput *m_input = nullptr;
    QList<QUrl> m_opened;
    int m_asked = 0;
    bool m_confirm = false;
    std::function<QAction *(TextViewerContextMenu *menu)> m_pick;
    std::function<QAction *(QMenu *menu)> m_pickOther;
};

void tst_TextViewerInput::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(PaginationClient::defaultProgram()).isExecutable());
    m_book = m_dir.filePath(QStringLiteral("Input.epub"));
    QVERIFY(ReadingFixture::writeBook(m_book, QStringLiteral("Input")));
    ViewerSettings values = Settings::instance()->values();
    values.columnCount = 1;
    values.showFade = false;
    Settings::instance()->setValues(values, true);
}

void tst_TextViewerInput::cleanupTestCase()
{
    m_dir.setAutoRemove(!QTest::currentTestFailed());
}

void tst_TextViewerInput::init()
{
    m_opened.clear();
    m_asked = 0;
    m_confirm = false;
    m_pick = nullptr;
    m_pickOther = nullptr;
    const QByteArray test = QTest::currentTestFunction();
    if (test == "addresses" || test == "encodings" || test == "encodingMenuOfPlainText")
        return;
    // Every test starts at the book's beginning.
    QFile::remove(BookSideFiles(m_book).settingsPath());
    QVERIFY(open(m_book));
}

void tst_TextViewerInput::cleanup()
{
    m_viewer.reset();
}

bool tst_TextViewerInput::open(const QString &path)
{
    BookDto book;
    book.fullPath = path;
    m_viewer.reset(new TextViewer(book));
    m_viewer->setMessagePresenter(
            [](const QString &, const QString &text) { QWARN(qPrintable(text)); });
    m_input = new TextViewerInput(m_viewer.get());
    m_input->setUrlOpener([this](const QUrl &url) {
        m_opened.append(url);
        return true;
    });
    m_input->setLinkConfirmation([this](const QUrl &, QWidget *) {
        ++m_asked;
        return m_confirm;
    });
    m_input->setMenuRunner([this](QMenu *menu, const QPoint &) -> QAction * {
        if (auto *contextMenu = qobject_cast<TextViewerContextMenu *>(menu))
            return m_pick ? m_pick(contextMenu) : nullptr;
        return m_pickOther ? m_pickOther(menu) : nullptr;
    });
    m_viewer->resize(700, 500);
    m_viewer->show();
    m_viewer->activateWindow();
    if (!QTest::qWaitForWindowActive(m_viewer.get()))
        return false;
    QSignalSpy loaded(m_viewer.get(), &TextViewer::loadFinished);
    if (!m_viewer->loadBookData())
        return false;
    return loaded.wait(10000);
}

void tst_TextViewerInput::click(Qt::MouseButton button, const QPoint &point)
{
    const QPoint global = m_viewer->mapToGlobal(point);
    QMouseEvent press(QEvent::MouseButtonPress, point, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(m_viewer.get(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(m_viewer.get(), &release);
}

QPoint tst_TextViewerInput::elementPoint(const QString &script)
{
    const QVariantList corner
            = m_viewer->runScript(QStringLiteral("var r = %1.getBoundingClientRect();"
                                                 "[Math.round(r.left) + 3, Math.round(r.top) + 3];")
                                          .arg(script))
                      .toList();
    return corner.size() == 2 ? QPoint(corner.at(0).toInt(), corner.at(1).toInt()) : QPoint();
}

void tst_TextViewerInput::keysTurnPages()
{
    TextViewer *viewer = m_viewer.get();
    QVERIFY2(viewer->pageCount() >= 3, qPrintable(QString::number(viewer->pageCount())));
    QCOMPARE(viewer->currentPage(), 1);
    QSignalSpy changed(viewer, &TextViewer::pageChanged);

    const QList<QPair<int, int>> steps = {
        { Qt::Key_Right, 2 },    { Qt::Key_Down, 3 },   { Qt::Key_Up, 2 },
        { Qt::Key_Left, 1 },     { Qt::Key_Space, 2 },  { Qt::Key_Backspace, 1 },
        { Qt::Key_PageDown, 2 }, { Qt::Key_PageUp, 1 },
    };
    for (const auto &step : steps) {
        QTest::keyClick(viewer, Qt::Key(step.first));
        QVERIFY2(viewer->currentPage() == step.second,
                 qPrintable(QStringLiteral("key %1: page %2")
                                    .arg(QKeySequence(step.first).toString())
                                    .arg(viewer->currentPage())));
    }
    QVERIFY(changed.count() >= steps.size());
    // The page script moved the text with the count.
    QCOMPARE(viewer->runScript(QStringLiteral("getCurrentPage(%1, %2);")
                                       .arg(viewer->width())
                                       .arg(viewer->gap()))
                     .toInt(),
             1);

    // Copying from the page takes the context menu; the key copies nothing.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    viewer->runScript(QStringLiteral("window.getSelection().selectAllChildren(document.body);"));
    QTest::keyClick(viewer, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(viewer, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

void tst_TextViewerInput::filesJoinAtTheirEnds()
{
    TextViewer *viewer = m_viewer.get();
    // The last page of the first file.
    viewer->navigateToUrl(QStringLiteral("ch1.xhtml#custom_epub"), false);
    QCOMPARE(viewer->currentPage(), viewer->pageCount());

    QSignalSpy loaded(viewer, &TextViewer::loadFinished);
    m_input->next();
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->chapterIndex(), 1);
    QCOMPARE(viewer->currentPage(), 1);

    // Back from the first page of the second file: the end of the first.
    m_input->previous();
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->chapterIndex(), 0);
    QVERIFY(viewer->pageCount() > 1);
    QCOMPARE(viewer->currentPage(), viewer->pageCount());

    m_input->moveToEnd();
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->chapterIndex(), 2);
    const int last = viewer->currentPage();
    QCOMPARE(last, viewer->pageCount());
    // Nothing lies beyond the last page of the last file.
    loaded.clear();
    m_input->next();
    QVERIFY(!loaded.wait(300));
    QCOMPARE(viewer->chapterIndex(), 2);
    QCOMPARE(viewer->currentPage(), last);

    m_input->moveToHome();
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->chapterIndex(), 0);
    QCOMPARE(viewer->currentPage(), 1);
    // Nothing lies before the first page either.
    loaded.clear();
    m_input->previous();
    QVERIFY(!loaded.wait(300));
    QCOMPARE(viewer->currentPage(), 1);
}

void tst_TextViewerInput::quickTurnsWaitForTheLoadingFile()
{
    TextViewer *viewer = m_viewer.get();
    QSignalSpy loaded(viewer, &TextViewer::loadFinished);
    viewer->navigateToUrl(QStringLiteral("ch2.xhtml#content"), false);
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->chapterIndex(), 1);

    // Two quick turns back from the second file's first page: the first
    // loads the first file at its end; the second must turn back within
    // that file, not act on the page counts of the file being left.
    m_input->previous();
    m_input->previous();
    QCOMPARE(m_input->queuedTurns(), -1);
    QVERIFY(QTest::qWaitFor(
            [&] { return !viewer->isLoadingFile() && m_input->queuedTurns() == 0; }, 10000));
    QCOMPARE(viewer->chapterIndex(), 0);
    QVERIFY(viewer->pageCount() > 2);
    QCOMPARE(viewer->currentPage(), viewer->pageCount() - 1);
}

void tst_TextViewerInput::pagesRiseByOneTurnAtATime_data()
{
    QTest::addColumn<int>("columns");
    QTest::newRow("one column") << 1;
    QTest::newRow("two columns") << 2;
}

void tst_TextViewerInput::pagesRiseByOneTurnAtATime()
{
    QFETCH(int, columns);
    if (columns != m_viewer->columnCount()) {
        ViewerSettings values = Settings::instance()->values();
        values.columnCount = columns;
        Settings::instance()->setValues(values, true);
        QFile::remove(BookSideFiles(m_book).settingsPath());
        QVERIFY(open(m_book));
    }
    TextViewer *viewer = m_viewer.get();
    QCOMPARE(viewer->columnCount(), columns);
    QVERIFY(ReadingFixture::waitForPages(viewer));
    const int total = viewer->bookPageCount();
    QVERIFY(total > 3);

    // Every turn forward raises the page by one step, the last page is
    // reached by turning alone, and the numbers stay within the book.
    const QList<int> forward = ReadingFixture::walk(m_input, true, 200);
    for (int i = 1; i < forward.size(); ++i)
        QCOMPARE(forward.at(i) - forward.at(i - 1), columns);
    QCOMPARE(forward.first(), 1);
    QCOMPARE(forward.last(), columns == 1 ? total : total - 1);
    QCOMPARE(viewer->progress(), 100);
    const QList<int> back = ReadingFixture::walk(m_input, false, 200);
    for (int i = 1; i < back.size(); ++i)
        QCOMPARE(back.at(i - 1) - back.at(i), columns);
    QCOMPARE(back.last(), 1);

    ViewerSettings values = Settings::instance()->values();
    values.columnCount = 1;
    Settings::instance()->setValues(values, true);
}

// The family and size chosen for the profile are the page's, over the
// book's own fonts, and the helper counts pages in them.
void tst_TextViewerInput::profileFontReachesThePage()
{
    TextViewer *viewer = m_viewer.get();
    QVERIFY(ReadingFixture::waitForPages(viewer));
    const auto pageFont = [viewer] {
        return viewer
                ->runScript(QStringLiteral("var s = getComputedStyle("
                                           "document.getElementsByTagName('p')[0]);"
                                           "s.fontFamily + '|' + s.fontSize;"))
                .toString();
    };
    const ViewerSettings before = Settings::instance()->values();
    ViewerSettings values = before;
    for (TextProfile &profile : values.profiles) {
        profile.text.family = QStringLiteral("DejaVu Serif");
        profile.text.size = 21;
    }
    QSignalSpy changed(Settings::instance(), &Settings::changed);
    QSignalSpy paginated(viewer, &TextViewer::paginationFinished);
    Settings::instance()->setValues(values, false);
    QVERIFY(changed.wait(5000));
    QVERIFY(pageFont().contains(QLatin1String("DejaVu Serif")));
    QVERIFY(pageFont().endsWith(QLatin1String("|21px")));
    QVERIFY(paginated.wait(20000));
    QCOMPARE(viewer->paginationRequest().fontFamily, QStringLiteral("DejaVu Serif"));
    QCOMPARE(viewer->paginationRequest().fontSize, 21);

    // A family this system lacks is read in the one the system picks for it.
    for (TextProfile &profile : values.profiles)
        profile.text.family = QStringLiteral("No Such Family");
    Settings::instance()->setValues(values, false);
    QVERIFY(changed.wait(5000));
    QVERIFY(!pageFont().contains(QLatin1String("No Such Family")));
    Settings::instance()->setValues(before, true);
}

void tst_TextViewerInput::clicksAndDoubleClicks()
{
    TextViewer *viewer = m_viewer.get();
    const QPoint right(600, 250);
    const QPoint left(100, 250);

    click(Qt::LeftButton, right);
    QVERIFY(m_input->isClickPending());
    QCOMPARE(viewer->currentPage(), 1);
    QTRY_COMPARE(viewer->currentPage(), 2);
    click(Qt::LeftButton, left);
    QTRY_COMPARE(viewer->currentPage(), 1);

    // A second click within the delay makes a double click: no page turns.
    QSignalSpy doubled(viewer, &TextViewer::mouseDoubleClick);
    click(Qt::LeftButton, right);
    const QPoint global = viewer->mapToGlobal(right);
    QMouseEvent second(QEvent::MouseButtonDblClick, right, global, Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(viewer, &second);
    QMouseEvent release(QEvent::MouseButtonRelease, right, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewer, &release);
    QCOMPARE(doubled.count(), 1);
    QVERIFY(!m_input->isClickPending());
    QTest::qWait(250);
    QCOMPARE(viewer->currentPage(), 1);
}

void tst_TextViewerInput::wheelTurnsPages()
{
    TextViewer *viewer = m_viewer.get();
    const QPoint point(300, 200);
    auto roll = [&](int delta) {
        QWheelEvent wheel(point, viewer->mapToGlobal(point), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer, &wheel);
    };
    roll(-120);
    QCOMPARE(viewer->currentPage(), 2);
    roll(-120);
    QCOMPARE(viewer->currentPage(), 3);
    roll(120);
    QCOMPARE(viewer->currentPage(), 2);
    roll(0);
    QCOMPARE(viewer->currentPage(), 2);
}

// One finger on a touch screen turns one page per swipe: towards the left
// back, towards the right on.
void tst_TextViewerInput::swipeTurnsPages()
{
    TextViewer *viewer = m_viewer.get();
    QTouchDevice *device = QTest::createTouchDevice();
    auto swipe = [&](int dx) {
        const QPoint start(dx < 0 ? 600 : 100, 250);
        QTest::touchEvent(viewer, device).press(0, start, viewer);
        for (int step = 1; step <= 5; ++step)
            QTest::touchEvent(viewer, device).move(0, start + QPoint(dx * step / 5, 0), viewer);
        QTest::touchEvent(viewer, device).release(0, start + QPoint(dx, 0), viewer);
        // A tap would turn a page once its click delay ran out.
        QTest::qWait(250);
    };
    swipe(300);
    QCOMPARE(viewer->currentPage(), 2);
    swipe(300);
    QCOMPARE(viewer->currentPage(), 3);
    swipe(-300);
    QCOMPARE(viewer->currentPage(), 2);
    swipe(30);
    QCOMPARE(viewer->currentPage(), 2);
}

void tst_TextViewerInput::linksInsideAndOutside()
{
    TextViewer *viewer = m_viewer.get();
    QSignalSpy loaded(viewer, &TextViewer::loadFinished);
    viewer->navigateToPath(QStringLiteral("ch3.xhtml"));
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->chapterIndex(), 2);

    // A real click on a link into the first chapter follows it and offers
    // the way back; the click turns no page.
    QSignalSpy backButton(BookOperations::instance(), &BookOperations::toggleBackContol);
    const QPoint inside = elementPoint(QStringLiteral("document.getElementById('inside')"));
    QVERIFY(!inside.isNull());
    QTest::mouseMove(viewer, inside);
    QTRY_VERIFY(m_input->isLinkHovered());
    loaded.clear();
    QTest::mouseClick(viewer, Qt::LeftButton, Qt::NoModifier, inside);
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->chapterIndex(), 0);
    QVERIFY2(m_input->backPosition().startsWith(QStringLiteral("ch3.xhtml")),
             qPrintable(m_input->backPosition()));
    QCOMPARE(backButton.count(), 1);
    QCOMPARE(backButton.first().first().toBool(), true);
    QVERIFY(!m_input->isClickPending());

    // The window's back command returns.
    loaded.clear();
    emit BookOperations::instance()->backPressed();
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->chapterIndex(), 2);
    QCOMPARE(backButton.count(), 2);
    QCOMPARE(backButton.last().first().toBool(), false);
    QVERIFY(m_input->backPosition().isEmpty());
    // Nothing to go back to now.
    emit BookOperations::instance()->backPressed();
    QCOMPARE(backButton.count(), 2);

    // A web link is opened only when the reader agrees.
    QSignalSpy exitFullScreen(viewer, &TextViewer::requestExitFullScreen);
    const QUrl web(QStringLiteral("http://example.org/page"));
    m_input->onLinkClicked(web);
    QCOMPARE(m_asked, 1);
    QVERIFY(m_opened.isEmpty());
    m_confirm = true;
    m_input->onLinkClicked(web);
    QCOMPARE(m_opened, QList<QUrl>({ web }));
    QCOMPARE(exitFullScreen.count(), 1);

    // A mail link, and a file beside the book's folder, do nothing.
    m_input->onLinkClicked(QUrl(QStringLiteral("mailto:reader@example.org")));
    m_input->onLinkClicked(
            QUrl::fromLocalFile(viewer->contentFolder() + QStringLiteral("x/ch1.xhtml")));
    QCOMPARE(m_asked, 2);
    QCOMPARE(m_opened.size(), 1);
    QVERIFY(m_input->backPosition().isEmpty());
}

void tst_TextViewerInput::selectionMenu()
{
    TextViewer *viewer = m_viewer.get();
    const QString select = QStringLiteral(
            "var r = document.createRange();"
            "r.selectNodeContents(document.getElementById('p1_0'));"
            "window.getSelection().removeAllRanges(); window.getSelection().addRange(r);");
    viewer->runScript(select);
    QTRY_VERIFY(m_input->isSelectionActive());
    const QString selected = viewer->selectedText().trimmed();
    QVERIFY(selected.startsWith(QStringLiteral("Paragraph 1.0")));

    // A web search for the selection.
    QSignalSpy exitFullScreen(viewer, &TextViewer::requestExitFullScreen);
    bool noteMode = true;
    m_pick = [&noteMode](TextViewerContextMenu *menu) {
        noteMode = menu->isNoteMode();
        return menu->googleAction();
    };
    click(Qt::RightButton, QPoint(300, 300));
    QVERIFY(!noteMode);
    QVERIFY(!m_input->isSelectionActive());
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(QUrlQuery(m_opened.first()).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded),
             selected);
    QCOMPARE(exitFullScreen.count(), 1);

    // The copy entry copies it.
    viewer->runScript(select);
    QTRY_VERIFY(m_input->isSelectionActive());
    QGuiApplication::clipboard()->clear();
    m_pick = [](TextViewerContextMenu *menu) {
        menu->copyAction()->trigger();
        return menu->copyAction();
    };
    click(Qt::RightButton, QPoint(300, 300));
    QCOMPARE(QGuiApplication::clipboard()->text(), selected);

    // A menu closed without a choice: the next click turns no page.
    viewer->runScript(select);
    QTRY_VERIFY(m_input->isSelectionActive());
    m_pick = nullptr;
    click(Qt::RightButton, QPoint(300, 300));
    QVERIFY(m_input->skipsNextClick());
    click(Qt::LeftButton, QPoint(600, 250));
    QTRY_VERIFY(!m_input->skipsNextClick());
    QTest::qWait(150);
    QCOMPARE(viewer->currentPage(), 1);
}

void tst_TextViewerInput::notesUnderTheMouse()
{
    // A note over the first paragraph, in the side file as an earlier
    // reading left it.
    const QString path
            = m_viewer->runScript(QStringLiteral("makeXPath(document.getElementById('p1_0')"
                                                 ".firstChild);"))
                      .toString();
    QVERIFY(!path.isEmpty());
    m_viewer.reset();
    BookSideFiles files(m_book);
    QVERIFY(files.load());
    BookSideFiles::State state;
    state.position = files.readFontAndPosition(QString()).source;
    Note note;
    note.chapter = QStringLiteral("ch1.xhtml");
    note.startPath = path;
    note.endPath = path;
    note.startOffset = 0;
    note.endOffset = 9;
    note.color = QColor(QStringLiteral("#aed9f1"));
    note.context = QStringLiteral("Paragraph");
    note.date = QDateTime::currentDateTimeUtc();
    state.notes = { note };
    QVERIFY(files.write(state));
    QVERIFY(open(m_book));

    TextViewer *viewer = m_viewer.get();
    QCOMPARE(viewer->notes().size(), 1);
    const QString id = viewer->notes().first().id;
    const QPoint onNote
            = elementPoint(QStringLiteral("document.getElementsByClassName('vor_note')[0]"));
    QVERIFY(!onNote.isNull());
    QCOMPARE(m_input->noteAt(onNote), id);
    QVERIFY(m_input->noteAt(QPoint(600, 450)).isEmpty());

    // A left click on the note is the note's: the page stays.
    QSignalSpy clicked(m_input, &TextViewerInput::noteClicked);
    click(Qt::LeftButton, onNote);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.first().first().toString(), id);
    QTRY_VERIFY(!m_input->skipsNextClick());
    QCOMPARE(viewer->currentPage(), 1);

    // A right click opens the note menu, whose entry removes the note.
    bool noteMode = false;
    m_pick = [&noteMode](TextViewerContextMenu *menu) {
        noteMode = menu->isNoteMode();
        menu->noteAction()->trigger();
        return menu->noteAction();
    };
    click(Qt::RightButton, onNote);
    QVERIFY(noteMode);
    QVERIFY(viewer->notes().isEmpty());
    QCOMPARE(viewer->runScript(QStringLiteral("document.getElementsByClassName('vor_note')"
                                              ".length;"))
                     .toInt(),
             0);
}

void tst_TextViewerInput::navigationStrip()
{
    TextViewer *viewer = m_viewer.get();
    QVERIFY(ReadingFixture::waitForPages(viewer));
    QVERIFY(viewer->bookPageCount() > 1);
    ViewerSettings values = Settings::instance()->values();
    values.currentProfile = ViewerSettings::NightProfile;
    values.useNaviSlider = true;
    Settings::instance()->setValues(values, true);

    QSignalSpy panel(viewer, &TextViewer::requestBottomPanel);
    QTest::mouseMove(viewer, QPoint(350, viewer->height() - 5));
    QVERIFY(m_input->isBottomPanelShown());
    PageNavigationPanel *strip = viewer->pageNavigationPanel();
    QVERIFY(strip->isVisible());
    QCOMPARE(strip->geometry(), QRect(0, viewer->height() - 40, viewer->width(), 40));
    QCOMPARE(strip->slider()->value(), viewer->absolutePage());
    QCOMPARE(strip->tooltip()->fillColor(), QColor(QStringLiteral("#4d6884")));
    QCOMPARE(panel.count(), 1);
    QCOMPARE(panel.first().first().toBool(), true);

    QTest::mouseMove(viewer, QPoint(350, 100));
    QVERIFY(!m_input->isBottomPanelShown());
    QVERIFY(!strip->isVisible());
    QCOMPARE(panel.count(), 2);
    QCOMPARE(panel.last().first().toBool(), false);

    values.currentProfile = ViewerSettings::DayProfile;
    Settings::instance()->setValues(values, true);
}

void tst_TextViewerInput::addresses()
{
    const QUrl search = TextViewerInput::webSearchUrl(QStringLiteral("fox & dog?"));
    QCOMPARE(search.path(), QStringLiteral("/search"));
    QCOMPARE(QUrlQuery(search).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded),
             QStringLiteral("fox & dog?"));
    QVERIFY(search.toEncoded().endsWith("?q=fox%20%26%20dog%3F"));

    QCOMPARE(TextViewerInput::encyclopediaSearchUrl(QStringLiteral("Übung"), QStringLiteral("de"))
                     .toEncoded(),
             QByteArray("https://de.wikipedia.org/wiki/Special:Search?search=%C3%9Cbung"));
    QCOMPARE(TextViewerInput::translatorUrl(QStringLiteral("a b")).query(QUrl::FullyEncoded),
             QStringLiteral("langpair=auto%7Cauto&text=a%20b"));
    QVERIFY(QRegularExpression(QStringLiteral("^[a-z]{2,3}$"))
                    .match(TextViewerInput::interfaceLanguage())
                    .hasMatch());
}

void tst_TextViewerInput::encodings()
{
    const QStringList entries = TextViewerInput::encodingEntries();
    QVERIFY(entries.size() >= 10);
    QCOMPARE(entries.first(), QStringLiteral("UTF-8"));
    QVERIFY(entries.contains(QStringLiteral("KOI8-R")));
    for (const QString &entry : entries) {
        const QString name = entry.section(QStringLiteral(" / "), 0, 0);
        QVERIFY2(QTextCodec::codecForName(name.toLatin1()), qPrintable(entry));
        // A listed name is added only where it differs from the codec's.
        if (entry.contains(QStringLiteral(" / ")))
            QVERIFY(name.compare(entry.section(QStringLiteral(" / "), 1), Qt::CaseInsensitive));
    }
}

void tst_TextViewerInput::encodingMenuOfPlainText()
{
    // "Привет, мир." in Windows-1251, which a reader of UTF-8 gets wrong.
    const QString path = m_dir.filePath(QStringLiteral("Letters.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 20; ++i)
        file.write("\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0.\n");
    file.close();
    QVERIFY(open(path));
    TextViewer *viewer = m_viewer.get();
    const QString greeting = QString::fromUtf8("Привет, мир.");
    const QString bodyText = QStringLiteral("document.body.textContent;");
    QVERIFY(!viewer->runScript(bodyText).toString().contains(greeting));

    QStringList offered;
    m_pickOther = [&offered](QMenu *menu) -> QAction * {
        QMenu *encodings = menu->actions().value(0) ? menu->actions().first()->menu() : nullptr;
        if (!encodings || menu->minimumWidth() != 150)
            return nullptr;
        QAction *chosen = nullptr;
        for (QAction *action : encodings->actions()) {
            offered.append(action->text());
            if (action->text().startsWith(QStringLiteral("windows-1251")))
                chosen = action;
        }
        return chosen;
    };
    QSignalSpy loaded(viewer, &TextViewer::loadFinished);
    const QPoint point(300, 200);
    QContextMenuEvent request(QContextMenuEvent::Mouse, point, viewer->mapToGlobal(point));
    QApplication::sendEvent(viewer, &request);
    QCOMPARE(offered, TextViewerInput::encodingEntries());
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->textEncoding(), QStringLiteral("windows-1251"));
    QVERIFY(viewer->runScript(bodyText).toString().contains(greeting));
}

VL_TEST_WIDGETS_MAIN(tst_TextViewerInput)
#include "tst_textviewerinput.moc"
