#include "app/commandline.h"
#include "app/mainview.h"
#include "app/placeholderpages.h"
#include "app/settingsview.h"
#include "core/settings.h"
#include "core/settingsfile.h"
#include "library/db/bookprovider.h"
#include "pages/bookpropertiespanel.h"
#include "pages/librarypage.h"
#include "pages/readerpage.h"
#include "pages/readingcontext.h"
#include "pages/searchbox.h"
#include "pages/sidepanel.h"
#include "reader/searchedit.h"
#include "tests/support/testenvironment.h"
#include "widgets/button.h"
#include "widgets/buttondescription.h"
#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"
#include "widgets/sizegrip.h"
#include "widgets/startview.h"
#include "widgets/stylesheet.h"
#include "widgets/windowbar.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSequentialAnimationGroup>
#include <QStackedLayout>
#include <QTemporaryDir>
#include <QTreeView>
#include <QUrl>

#include <functional>
#include <memory>

namespace {

// Stand-ins for the pages of other parts of the program; each records what
// the window asked of it.

class FakeLibrary : public LibraryPage
{
public:
    using LibraryPage::LibraryPage;
    void readSettings() override { ++readSettingsCalls; }
    void onAddFiles(const QFileInfoList &files, bool showCompleteMessage,
                    bool openLastAddedBook) override
    {
        added.append(files);
        addFlags.append({ showCompleteMessage, openLastAddedBook });
    }
    void onAddDir() override { ++addDirCalls; }
    QStringList addedNames() const
    {
        QStringList names;
        for (const QFileInfoList &files : added) {
            for (const QFileInfo &file : files)
                names.append(file.fileName());
        }
        return names;
    }
    void onAddOperationStateChange(bool enabled) override { addEnabled = enabled; }
    void filterBooks(const QString &text) override { filters.append(text); }
    void activateCategoryButton() override { ++categoryClicks; }

    int readSettingsCalls = 0;
    QList<QFileInfoList> added;
    QList<QPair<bool, bool>> addFlags;
    int addDirCalls = 0;
    bool addEnabled = true;
    QStringList filters;
    int categoryClicks = 0;
};

class FakeReader : public ReaderPage
{
public:
    using ReaderPage::ReaderPage;
    bool openBook(const BookDto &book) override
    {
        opened.append(book);
        return openResult;
    }
    void beginResize() override { ++beginResizeCalls; }
    void endResize() override { ++endResizeCalls; }
    void setFullScreen(bool fullScreen) override { this->fullScreenLayout = fullScreen; }
    void back() override { ++backCalls; }
    void print() override { ++printCalls; }

    bool openResult = true;
    QList<BookDto> opened;
    int beginResizeCalls = 0;
    int endResizeCalls = 0;
    bool fullScreenLayout = false;
    int backCalls = 0;
    int printCalls = 0;
};

class FakePanel : public SidePanel
{
public:
    using SidePanel::SidePanel;
    void loadFromOpenBook() override { ++loads; }
    void resetFilters() override { ++resets; }
    void selectFilterText() override { ++filterSelections; }

    int loads = 0;
    int resets = 0;
    int filterSelections = 0;
};

class FakeProperties : public BookPropertiesPanel
{
public:
    using BookPropertiesPanel::BookPropertiesPanel;
    void setBookId(int bookId) override { id = bookId; }
    int id = -1;
};

class FakeContext : public ReadingContext
{
public:
    void navigateToPage(int page) override { calls.append(QStringLiteral("page %1").arg(page)); }
    void navigateToPosition(int position) override
    {
        calls.append(QStringLiteral("position %1").arg(position));
    }
    void navigateToPositionPath(const QString &position) override
    {
        calls.append(QStringLiteral("path ") + position);
    }
    void clearSearch() override { calls.append(QStringLiteral("clear")); }
    void setSearchingText(const QString &text) override
    {
        calls.append(QStringLiteral("search ") + text);
    }

    QStringList calls;
};

struct Message
{
    QString title;
    QString text;
};

// One window with fakes in every plug and a record of what left it.
struct Fixture
{
    Fixture()
    {
        MainViewParts parts;
        parts.createLibraryPage
                = [this](QWidget *parent) { return library = new FakeLibrary(parent); };
        parts.createReaderPage
                = [this](QWidget *parent) { return reader = new FakeReader(parent); };
        parts.createContentsPanel
                = [this](QWidget *parent) { return contents = new FakePanel(parent); };
        parts.createNotesPanel = [this](QWidget *parent) { return notes = new FakePanel(parent); };
        parts.createSearchPanel
                = [this](QWidget *parent) { return search = new FakePanel(parent); };
        parts.createPropertiesPanel
                = [this](QWidget *parent) { return properties = new FakeProperties(parent); };
        parts.readingContext = &context;
        parts.passwordController = &passwords;
        parts.messageController = &messages;
        parts.getOpenFileNames = [this](QWidget *, const QString &caption, const QString &folder,
                                        const QString &filter) {
            dialogs.append({ caption, folder, filter });
            return chosenFiles;
        };
        parts.showMessage = [this](QWidget *, const QString &title, const QString &text) {
            boxes.append({ title, text });
        };
        parts.answerPassword
                = [this](InputPasswordController *controller, bool checkSkip, QWidget *) {
                      passwordRequests.append(checkSkip);
                      controller->answer(PasswordAnswer());
                  };
        parts.answerMessage = [this](MessageBoxController *controller, const QString &title,
                                     const QString &message, QWidget *) {
            boxes.append({ title, message });
            controller->setPending(0);
        };
        parts.openUrl = [this](const QUrl &url) {
            urls.append(url);
            return true;
        };
        window = std::make_unique<MainView>(720, 500, parts);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    ~Fixture() { window.reset(); }

    void setPage(int page) { pages()->setCurrentIndex(page); }

    // Runs the panel animation to its end at once.
    void finishAnimations() const
    {
        for (auto *group : window->findChildren<QSequentialAnimationGroup *>()) {
            if (group->state() == QAbstractAnimation::Running)
                group->setCurrentTime(group->totalDuration());
        }
    }

    QStackedLayout *pages() const
    {
        return window->findChild<QStackedLayout *>(QStringLiteral("mainViewPages"));
    }

    template<typename T = QPushButton> T *button(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }

    bool visible(const char *name) const
    {
        QWidget *widget = window->findChild<QWidget *>(QLatin1String(name));
        return widget && widget->isVisibleTo(window.get());
    }

    FakeLibrary *library = nullptr;
    FakeReader *reader = nullptr;
    FakePanel *contents = nullptr;
    FakePanel *notes = nullptr;
    FakePanel *search = nullptr;
    FakeProperties *properties = nullptr;
    FakeContext context;
    InputPasswordController passwords;
    MessageBoxController messages;
    QStringList chosenFiles;
    QList<QStringList> dialogs;
    QList<Message> boxes;
    QList<bool> passwordRequests;
    QList<QUrl> urls;
    std::unique_ptr<MainView> window;
};

using Check = std::function<void(Fixture &)>;

} // namespace

Q_DECLARE_METATYPE(Check)

// The main window with fakes for the library, the reader, the panels and
// every dialog: pages, panels, the signal wiring, opening and adding books.
class TestMainView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(BookProvider::instance()->createConnection());
        QVERIFY(m_files.isValid());
    }

    void init()
    {
        BookProvider::instance()->clearLibrary();
        BookProvider::instance()->clearTrash();
        auto settings = SettingsFile::create();
        settings->clear();
        settings->sync();
        Settings::instance()->setValues(Settings::defaultProfile(), true);
    }

    void startPageOnEmptyLibrary()
    {
        Fixture f;
        QCOMPARE(f.window->currentPage(), int(MainView::StartPage));
        QCOMPARE(f.library->readSettingsCalls, 0);
        QCOMPARE(f.window->contentFrame()->property("theStartView").toBool(), true);
    }

    void libraryPageWithBooks()
    {
        addBook(makeFile(QStringLiteral("one.epub")));
        Fixture f;
        QCOMPARE(f.window->currentPage(), int(MainView::LibraryPageIndex));
        QCOMPARE(f.library->readSettingsCalls, 1);
        QCOMPARE(f.window->contentFrame()->property("theStartView").toBool(), false);
    }

    void pageVisibility_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("withBook");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");

        const QStringList always = { QStringLiteral("buttonLibrary"), QStringLiteral("buttonHelp"),
                                     QStringLiteral("buttonSettings") };
        QTest::newRow("start") << 0 << true
                               << always + QStringList { "buttonAddBook", "buttonAddFolder" }
                               << QStringList { "buttonContinueReading", "buttonContents",
                                                "buttonNotes",           "buttonBack",
                                                "buttonPrint",           "labelProgress",
                                                "labelBookTitle",        "searchEdit",
                                                "labelLoading" };
        QTest::newRow("library, last read book")
                << 1 << true
                << always
                        + QStringList { "buttonAddBook", "buttonAddFolder", "searchEdit",
                                        "buttonContinueReading" }
                << QStringList { "buttonContents", "buttonNotes",    "buttonBack",  "buttonPrint",
                                 "labelProgress",  "labelBookTitle", "labelLoading" };
        QTest::newRow("library, nothing read")
                << 1 << false
                << always + QStringList { "buttonAddBook", "buttonAddFolder", "searchEdit" }
                << QStringList { "buttonContinueReading", "buttonContents", "buttonNotes" };
        QTest::newRow("reader") << 2 << true
                                << always
                        + QStringList { "buttonContents", "buttonNotes", "searchEdit",
                                        "labelProgress", "labelBookTitle" }
                                << QStringList { "buttonAddBook", "buttonAddFolder",
                                                 "buttonContinueReading", "buttonBack",
                                                 "buttonPrint" };
    }

    void pageVisibility()
    {
        QFETCH(int, page);
        QFETCH(bool, withBook);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);

        if (withBook) {
            const int id = addBook(makeFile(QStringLiteral("read.epub")), QStringLiteral("Read"));
            BookProvider::instance()->setTimeLastView(id, uint(QDateTime::currentSecsSinceEpoch()));
        }
        Fixture f;
        f.setPage(page);
        for (const QString &name : shown)
            QVERIFY2(f.visible(qPrintable(name)), qPrintable(name));
        for (const QString &name : hidden)
            QVERIFY2(!f.visible(qPrintable(name)), qPrintable(name));
        QCOMPARE(f.window->contentFrame()->property("theStartView").toBool(), page == 0);
        if (withBook && page == 1)
            QCOMPARE(f.button<ButtonDescription>("buttonContinueReading")->text(),
                     QStringLiteral("Read"));
    }

    void pageSwitchClearsSearchAndSetsPlaceholder()
    {
        Fixture f;
        f.setPage(MainView::LibraryPageIndex);
        auto *edit = qobject_cast<SearchEdit *>(f.window->searchBox());
        QVERIFY(edit);
        QCOMPARE(edit->lineEdit()->placeholderText(), QStringLiteral("Search in Library"));
        edit->setText(QStringLiteral("tolstoy"));
        f.setPage(MainView::ReaderPageIndex);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(edit->lineEdit()->placeholderText(),
                 QStringLiteral("Search by text or by page number"));
    }

    void languageChangeKeepsVisibility()
    {
        Fixture f;
        f.setPage(MainView::LibraryPageIndex);
        f.button("buttonLibrary")->setText(QString());
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(f.window.get(), &change);
        QCOMPARE(f.button("buttonLibrary")->text(), QStringLiteral("Library"));
        QVERIFY(f.visible("buttonAddBook"));
        QVERIFY(!f.visible("buttonContents"));
    }

    void titleFollowsTheReaderPage()
    {
        const QString path = makeFile(QStringLiteral("title.epub"));
        addBook(path, QStringLiteral("War and Peace"));
        Fixture f;
        f.window->handleMessage(CommandLine::buildMessage({ QStringLiteral("vellumin"), path }));
        QTRY_COMPARE(f.reader->opened.size(), 1);
        QCOMPARE(f.window->windowBar()->title(), QStringLiteral("War and Peace - Vellumin"));
        f.setPage(MainView::LibraryPageIndex);
        QCOMPARE(f.window->windowBar()->title(), QStringLiteral("Vellumin"));
    }

    void sidePanelGeometry_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("normal") << int(MainView::StateNormal);
        QTest::newRow("maximized") << int(MainView::StateMaximized);
        QTest::newRow("full screen") << int(MainView::StateFullScreen);
    }

    void sidePanelGeometry()
    {
        QFETCH(int, state);
        Fixture f;
        if (state == MainView::StateMaximized)
            f.window->onMaximize();
        else if (state == MainView::StateFullScreen)
            f.window->onFullScreen();
        QCOMPARE(f.window->windowState(), state);

        QFrame *frame = f.window->contentFrame();
        const int margin = state == MainView::StateNormal ? 20 : 0;
        QCOMPARE(frame->pos(), QPoint(margin, margin));
        QCOMPARE(frame->size(), f.window->size() - QSize(2 * margin, 2 * margin));

        SettingsView *panel = f.window->settingsView();
        f.window->onShowSettings();
        const int w = frame->width();
        const int p = qRound(w * 0.8);
        f.finishAnimations();
        QCOMPARE(panel->geometry(), QRect(w - p, 0, p, frame->height()));
        auto *background = f.window->findChild<QFrame *>(QStringLiteral("backgroundSettingsView"));
        QVERIFY(background->isVisible());
        QCOMPARE(background->geometry(), QRect(0, 0, w, frame->height()));

        f.window->onHideSettings();
        f.finishAnimations();
        QVERIFY(!panel->isVisible());
        QVERIFY(!background->isVisible());
        QCOMPARE(panel->geometry().left(), w);
    }

    // A list the reader brings up in an open panel (a tab changed, a panel
    // page shown) is drawn in its own colours, not under the shade that
    // darkens the page behind the panel.
    void partsShownInAnOpenPanelStayClear()
    {
        reloadStyleSheet();
        Fixture f;
        f.setPage(MainView::ReaderPageIndex);
        auto *list = new QTreeView(f.contents);
        list->setGeometry(20, 60, 300, 200);
        list->hide();
        f.window->onShowContents();
        f.finishAnimations();
        QTest::qWait(50);
        list->show();
        const QPoint inside = list->viewport()->mapTo(f.window.get(), QPoint(50, 50));
        const auto onScreen = [&] {
            return f.window->screen()->grabWindow(f.window->winId()).toImage().pixelColor(inside);
        };
        QTRY_COMPARE(onScreen(), list->viewport()->palette().color(QPalette::Base));
        f.window->onHideContents();
        f.finishAnimations();
        qApp->setStyleSheet(QString());
    }

    void wiring_data()
    {
        QTest::addColumn<Check>("check");

        QTest::newRow("reader toggleBackContol") << Check([](Fixture &f) {
            f.setPage(2);
            emit f.reader->toggleBackContol(true);
            QVERIFY(f.visible("buttonBack"));
            emit f.reader->toggleBackContol(false);
            QVERIFY(!f.visible("buttonBack"));
        });
        QTest::newRow("reader togglePrintContol") << Check([](Fixture &f) {
            f.setPage(2);
            emit f.reader->togglePrintContol(true);
            QVERIFY(f.visible("buttonPrint"));
        });
        QTest::newRow("reader toggleNotesContol") << Check([](Fixture &f) {
            f.setPage(2);
            emit f.reader->toggleNotesContol(false);
            QVERIFY(!f.visible("buttonNotes"));
        });
        QTest::newRow("window bar maximizeWindow") << Check([](Fixture &f) {
            emit f.window->windowBar()->maximizeWindow();
            QCOMPARE(f.window->windowState(), int(MainView::StateMaximized));
            emit f.window->windowBar()->maximizeWindow();
            QCOMPARE(f.window->windowState(), int(MainView::StateNormal));
        });
        QTest::newRow("window bar minimizeWindow") << Check([](Fixture &f) {
            emit f.window->windowBar()->minimizeWindow();
            QTRY_VERIFY(f.window->isMinimized());
        });
        QTest::newRow("window bar closeWindow") << Check([](Fixture &f) {
            emit f.window->windowBar()->closeWindow();
            QVERIFY(!f.window->isVisible());
        });
        QTest::newRow("buttonSettings") << Check([](Fixture &f) {
            f.button("buttonSettings")->click();
            QVERIFY(f.window->settingsView()->isVisible());
        });
        QTest::newRow("page stack currentChanged") << Check([](Fixture &f) {
            f.setPage(2);
            QVERIFY(f.visible("buttonContents"));
            QVERIFY(!f.visible("buttonAddBook"));
        });
        QTest::newRow("settings onHideWindow") << Check([](Fixture &f) {
            f.window->onShowSettings();
            emit f.window->settingsView()->onHideWindow();
            f.finishAnimations();
            QVERIFY(!f.window->settingsView()->isVisible());
        });
        QTest::newRow("buttonHelp") << Check([](Fixture &f) {
            f.button("buttonHelp")->click();
            QCOMPARE(f.urls, QList<QUrl> { MainView::manualUrl() });
            QVERIFY(MainView::manualUrl().path().endsWith(QStringLiteral("/Manuals/Vellumin/")));
        });
        QTest::newRow("buttonNavigateToSite") << Check([](Fixture &f) {
            f.button("buttonNavigateToSite")->click();
            QCOMPARE(f.urls, QList<QUrl> { MainView::siteUrl() });
            QCOMPARE(f.button("buttonNavigateToSite")->text(), MainView::siteName());
        });
        QTest::newRow("buttonLibrary") << Check([](Fixture &f) {
            f.setPage(1);
            f.window->searchBox()->setText(QStringLiteral("dune"));
            f.setPage(0);
            f.button("buttonLibrary")->click();
            QCOMPARE(f.window->currentPage(), 1);
            QCOMPARE(f.library->filters.last(), QString());
        });
        QTest::newRow("buttonAddBook") << Check([](Fixture &f) {
            f.button("buttonAddBook")->click();
            QCOMPARE(f.dialogs.size(), 1);
            QCOMPARE(f.dialogs.first().at(0), QStringLiteral("Add book to library"));
            QCOMPARE(f.dialogs.first().at(2),
                     QStringLiteral("eBook Files (*.epub *.mobi *.prc *.fb2 *.pdf *.txt *.cbz "
                                    "*.cbr *.zip *.7z)"));
        });
        QTest::newRow("start page addBook") << Check([](Fixture &f) {
            emit f.window->startView()->addBook();
            QCOMPARE(f.dialogs.size(), 1);
        });
        QTest::newRow("start page switchToLibrary") << Check([](Fixture &f) {
            emit f.window->startView()->switchToLibrary();
            QCOMPARE(f.window->currentPage(), 1);
            QCOMPARE(f.library->categoryClicks, 1);
        });
        QTest::newRow("buttonContinueReading") << Check([](Fixture &f) {
            const int id = addBook(makeFile(QStringLiteral("continue.epub")));
            BookProvider::instance()->setTimeLastView(id, uint(QDateTime::currentSecsSinceEpoch()));
            Fixture again;
            again.button("buttonContinueReading")->click();
            QTRY_COMPARE(again.reader->opened.size(), 1);
            QCOMPARE(again.reader->opened.first().id, id);
        });
        QTest::newRow("library bookOpen") << Check([](Fixture &f) {
            const int id = addBook(makeFile(QStringLiteral("open.epub")));
            emit f.library->bookOpen(id);
            QTRY_COMPARE(f.reader->opened.size(), 1);
            QCOMPARE(f.reader->opened.first().id, id);
            QCOMPARE(f.window->currentPage(), 2);
        });
        QTest::newRow("library requestNotes") << Check([](Fixture &f) {
            emit f.library->requestNotes();
            QCOMPARE(f.notes->loads, 1);
            QVERIFY(f.notes->isVisible());
        });
        QTest::newRow("buttonContents") << Check([](Fixture &f) {
            f.setPage(2);
            f.button("buttonContents")->click();
            QCOMPARE(f.contents->loads, 1);
            QVERIFY(f.contents->isVisible());
        });
        QTest::newRow("buttonNotes") << Check([](Fixture &f) {
            f.setPage(2);
            f.button("buttonNotes")->click();
            QCOMPARE(f.notes->loads, 1);
            QVERIFY(f.notes->isVisible());
        });
        QTest::newRow("buttonPrint") << Check([](Fixture &f) {
            f.setPage(2);
            emit f.reader->togglePrintContol(true);
            f.button("buttonPrint")->click();
            QCOMPARE(f.reader->printCalls, 1);
        });
        QTest::newRow("buttonBack") << Check([](Fixture &f) {
            f.setPage(2);
            emit f.reader->toggleBackContol(true);
            f.button("buttonBack")->click();
            QCOMPARE(f.reader->backCalls, 1);
        });
        QTest::newRow("contents hideWindow and navigateToPosition") << Check([](Fixture &f) {
            f.setPage(2);
            f.window->onShowContents();
            emit f.contents->navigateToPosition(42);
            QCOMPARE(f.context.calls, QStringList { "position 42" });
            emit f.contents->hideWindow();
            f.finishAnimations();
            QVERIFY(!f.contents->isVisible());
        });
        QTest::newRow("notes hideWindow and navigateToPositionPath") << Check([](Fixture &f) {
            f.setPage(2);
            f.window->onShowNotes();
            emit f.notes->navigateToPositionPath(QStringLiteral("/1/2"));
            QCOMPARE(f.context.calls, QStringList { "path /1/2" });
            emit f.notes->hideWindow();
            f.finishAnimations();
            QVERIFY(!f.notes->isVisible());
        });
        QTest::newRow("search box search") << Check([](Fixture &f) {
            f.setPage(1);
            emit f.window->searchBox()->search(QStringLiteral("anna"));
            QCOMPARE(f.library->filters.last(), QStringLiteral("anna"));
            f.setPage(2);
            emit f.window->searchBox()->search(QStringLiteral("karenina"));
            QCOMPARE(f.context.calls, QStringList { "search karenina" });
            QVERIFY(f.search->isVisible());
        });
        QTest::newRow("search box changed") << Check([](Fixture &f) {
            emit f.window->searchBox()->changed(QStringLiteral("an"));
            QCOMPARE(f.window->currentPage(), 1);
            QCOMPARE(f.library->filters.last(), QStringLiteral("an"));
            f.setPage(2);
            const int filters = f.library->filters.size();
            emit f.window->searchBox()->changed(QStringLiteral("ann"));
            QCOMPARE(f.library->filters.size(), filters);
        });
        QTest::newRow("search box clean") << Check([](Fixture &f) {
            emit f.window->searchBox()->clean();
            QVERIFY(f.context.calls.isEmpty());
            f.setPage(2);
            emit f.window->searchBox()->clean();
            QCOMPARE(f.context.calls, QStringList { "clear" });
        });
        QTest::newRow("shortcut F11") << Check([](Fixture &f) {
            activate(f);
            QTest::keyClick(f.window.get(), Qt::Key_F11);
            QCOMPARE(f.window->windowState(), int(MainView::StateNormal));
            f.setPage(2);
            QTest::keyClick(f.window.get(), Qt::Key_F11);
            QCOMPARE(f.window->windowState(), int(MainView::StateFullScreen));
            QVERIFY(f.reader->fullScreenLayout);
            QTest::keyClick(f.window.get(), Qt::Key_Escape);
            QCOMPARE(f.window->windowState(), int(MainView::StateNormal));
        });
        QTest::newRow("shortcut H") << Check([](Fixture &f) {
            activate(f);
            QTest::keyClick(f.window.get(), Qt::Key_H);
            QTRY_VERIFY(f.window->isMinimized());
        });
        QTest::newRow("shortcut Ctrl+F") << Check([](Fixture &f) {
            activate(f);
            f.setPage(1);
            f.window->searchBox()->setText(QStringLiteral("text"));
            QTest::keyClick(f.window.get(), Qt::Key_F, Qt::ControlModifier);
            auto *edit = qobject_cast<SearchEdit *>(f.window->searchBox());
            QCOMPARE(edit->lineEdit()->selectedText(), QStringLiteral("text"));
            f.window->onShowNotes();
            QTest::keyClick(f.window.get(), Qt::Key_F, Qt::ControlModifier);
            QCOMPARE(f.notes->filterSelections, 1);
        });
        QTest::newRow("context bookInfoChanged") << Check([](Fixture &f) {
            f.setPage(2);
            emit f.context.bookInfoChanged(QStringLiteral("Dune"), QStringLiteral("12%"), false);
            QCOMPARE(f.window->findChild<QLabel *>(QStringLiteral("labelBookTitle"))->text(),
                     QStringLiteral("Dune"));
            QCOMPARE(f.window->findChild<QLabel *>(QStringLiteral("labelProgress"))->text(),
                     QStringLiteral("12%"));
            emit f.context.bookInfoChanged(QStringLiteral("Dune"), QString(), true);
            QCOMPARE(f.window->findChild<QLabel *>(QStringLiteral("labelProgress"))->text(),
                     QStringLiteral("Loading"));
            QVERIFY(f.visible("labelLoading"));
        });
        QTest::newRow("context notesCountChanged") << Check([](Fixture &f) {
            emit f.context.notesCountChanged(3);
            QCOMPARE(f.button("buttonNotes")->text(), QStringLiteral("Notes (3)"));
            f.setPage(2);
            QCOMPARE(f.button("buttonNotes")->text(), QStringLiteral("Notes (3)"));
        });
        QTest::newRow("context searhingTextChanged") << Check([](Fixture &f) {
            emit f.context.searhingTextChanged(QStringLiteral("whale"));
            QCOMPARE(f.window->searchBox()->text(), QString());
            f.setPage(2);
            emit f.context.searhingTextChanged(QStringLiteral("whale"));
            QCOMPARE(f.window->searchBox()->text(), QStringLiteral("whale"));
        });
        QTest::newRow("reader newBookReading") << Check([](Fixture &f) {
            emit f.reader->newBookReading();
            QCOMPARE(f.notes->resets, 1);
            QCOMPARE(f.notes->loads, 1);
        });
        QTest::newRow("reader viewerError") << Check([](Fixture &f) {
            f.setPage(2);
            emit f.reader->viewerError();
            QCOMPARE(f.window->currentPage(), 1);
        });
        QTest::newRow("reader showSearch") << Check([](Fixture &f) {
            emit f.reader->showSearch();
            QVERIFY(!f.search->isVisible());
            f.setPage(2);
            emit f.reader->showSearch();
            QVERIFY(f.search->isVisible());
        });
        QTest::newRow("reader showContents and showNotes") << Check([](Fixture &f) {
            emit f.reader->showContents();
            emit f.reader->showNotes();
            QVERIFY(f.contents->isVisible());
            QVERIFY(f.notes->isVisible());
        });
        QTest::newRow("reader fullScreen") << Check([](Fixture &f) {
            emit f.reader->fullScreen();
            QCOMPARE(f.window->windowState(), int(MainView::StateFullScreen));
            QVERIFY(!f.window->windowBar()->isVisible());
            emit f.reader->fullScreen();
            QCOMPARE(f.window->windowState(), int(MainView::StateNormal));
            QVERIFY(f.window->windowBar()->isVisible());
        });
        QTest::newRow("tool bar mouseDoubleClick") << Check([](Fixture &f) {
            auto *toolBar = f.window->findChild<Frame *>();
            QTest::mouseDClick(toolBar, Qt::LeftButton);
            QCOMPARE(f.window->windowState(), int(MainView::StateMaximized));
        });
        QTest::newRow("search panel signals") << Check([](Fixture &f) {
            f.setPage(2);
            f.window->onShowSearchPanel();
            emit f.search->navigateToPosition(7);
            emit f.search->navigateToPage(3);
            QCOMPARE(f.context.calls, (QStringList { "position 7", "page 3" }));
            emit f.search->hideWindow();
            f.finishAnimations();
            QVERIFY(!f.search->isVisible());
        });
        QTest::newRow("buttonAddFolder") << Check([](Fixture &f) {
            f.button("buttonAddFolder")->click();
            QCOMPARE(f.library->addDirCalls, 1);
        });
        QTest::newRow("library bookEdit") << Check([](Fixture &f) {
            emit f.library->bookEdit(17);
            QCOMPARE(f.properties->id, 17);
            QVERIFY(f.properties->isVisible());
        });
        QTest::newRow("library addComplete") << Check([](Fixture &f) {
            const QString path = makeFile(QStringLiteral("complete.epub"));
            f.window->addBookAndStartRead({ QFileInfo(path) });
            QCOMPARE(f.library->added.size(), 1);
            addBook(path);
            emit f.library->addComplete();
            QTRY_COMPARE(f.reader->opened.size(), 1);
        });
        QTest::newRow("properties onHideWindow") << Check([](Fixture &f) {
            f.window->onEditBook(3);
            emit f.properties->onHideWindow(f.properties);
            f.finishAnimations();
            QVERIFY(!f.properties->isVisible());
        });
        QTest::newRow("start page droppedFiles") << Check([](Fixture &f) {
            emit f.window->startView()->droppedFiles({ QFileInfo(QStringLiteral("/x/a.epub")) });
            QCOMPARE(f.library->added.size(), 1);
            QCOMPARE(f.library->addFlags.first(), qMakePair(true, false));
        });
        QTest::newRow("password onRequest") << Check([](Fixture &f) {
            f.passwords.request(true);
            QTRY_COMPARE(f.passwordRequests, QList<bool> { true });
            QCOMPARE(f.passwords.isPending(), 0);
        });
        QTest::newRow("message showMessage") << Check([](Fixture &f) {
            f.messages.request(QStringLiteral("Can not open file"),
                               QStringLiteral("The password is incorrect"));
            QTRY_COMPARE(f.boxes.size(), 1);
            QCOMPARE(f.boxes.first().title, QStringLiteral("Can not open file"));
            QCOMPARE(f.messages.isPending(), 0);
        });
        QTest::newRow("loading timer") << Check([](Fixture &f) {
            f.setPage(2);
            emit f.context.bookInfoChanged(QStringLiteral("Dune"), QString(), true);
            auto *dots = f.window->findChild<QLabel *>(QStringLiteral("labelLoading"));
            // The first tick: counter 1 becomes 2, three dots.
            QTRY_COMPARE(dots->text(), QStringLiteral("..."));
            f.window->onTimerLoading();
            QCOMPARE(dots->text(), QStringLiteral("."));
            f.window->onTimerLoading();
            QCOMPARE(dots->text(), QStringLiteral(".."));
            emit f.context.bookInfoChanged(QStringLiteral("Dune"), QStringLiteral("5%"), false);
            QVERIFY(!f.visible("labelLoading"));
        });
        QTest::newRow("size grip begin and end") << Check([](Fixture &f) {
            auto *grip = f.window->findChild<SizeGrip *>();
            emit grip->beginResize();
            QCOMPARE(f.reader->beginResizeCalls, 0);
            f.setPage(2);
            emit grip->beginResize();
            emit grip->endResize();
            QCOMPARE(f.reader->beginResizeCalls, 1);
            QCOMPARE(f.reader->endResizeCalls, 1);
        });
    }

    void wiring()
    {
        QFETCH(Check, check);
        Fixture f;
        check(f);
    }

    void missingFileBox()
    {
        const QString path = makeFile(QStringLiteral("gone.epub"));
        const int id = addBook(path);
        QFile::remove(path);
        Fixture f;
        f.setPage(MainView::LibraryPageIndex);
        emit f.library->bookOpen(id);
        QCOMPARE(f.boxes.size(), 1);
        QCOMPARE(f.boxes.first().title, QStringLiteral("Failed to open file"));
        QCOMPARE(f.boxes.first().text,
                 QStringLiteral("The file you are trying to open was not found by the following "
                                "path: ")
                         + path);
        QCOMPARE(f.window->currentPage(), int(MainView::LibraryPageIndex));
        QVERIFY(f.reader->opened.isEmpty());
        QCOMPARE(f.window->currentBook().id, id);
    }

    // Keys turn pages again whenever the reader shows: after a panel or
    // the settings close, and when the reader page comes up.
    void readerTakesTheFocusBack()
    {
        Fixture f;
        f.reader->setFocusPolicy(Qt::StrongFocus);
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto *search = f.window->findChild<QLineEdit *>();
        QVERIFY(search);
        f.setPage(MainView::LibraryPageIndex);
        search->setFocus();
        QTRY_VERIFY(search->hasFocus());
        f.setPage(MainView::ReaderPageIndex);
        QTRY_VERIFY(f.reader->hasFocus());

        const QList<std::pair<std::function<void()>, std::function<void()>>> panels = {
            { [&] { f.window->onShowContents(); }, [&] { f.window->onHideContents(); } },
            { [&] { f.window->onShowNotes(); }, [&] { f.window->onHideNotes(); } },
            { [&] { f.window->onShowSettings(); }, [&] { f.window->onHideSettings(); } },
        };
        for (const auto &panel : panels) {
            panel.first();
            f.finishAnimations();
            search->setFocus();
            QTRY_VERIFY(search->hasFocus());
            panel.second();
            f.finishAnimations();
            QTRY_VERIFY(f.reader->hasFocus());
        }
    }

    void openingStoresTimeHashAndLastBook()
    {
        const QString path = makeFile(QStringLiteral("hash.epub"), QByteArray(300000, 'x'));
        const int id = addBook(path);
        Fixture f;
        f.window->onBookOpened(id);
        // The reader page comes up at once; the book opens once the hash is in.
        QCOMPARE(f.window->currentPage(), int(MainView::ReaderPageIndex));
        QTRY_COMPARE(f.reader->opened.size(), 1);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray digest
                = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
        const QString expected = QString::fromLatin1(
                QUrl::toPercentEncoding(QString::fromLatin1(digest.toBase64())));
        QCOMPARE(f.reader->opened.first().bookHash, expected);
        QCOMPARE(BookProvider::instance()->findBookById(id).bookHash, expected);
        QVERIFY(BookProvider::instance()->findBookById(id).timeLastView > 0);
        QCOMPARE(SettingsFile::create()->value(QStringLiteral("last_open_book")).toString(), path);

        // A later opening keeps the stored hash.
        BookProvider::instance()->setBookHash(id, QStringLiteral("kept"));
        f.window->onBookOpened(id);
        QTRY_COMPARE(f.reader->opened.size(), 2);
        QCOMPARE(f.reader->opened.last().bookHash, QStringLiteral("kept"));
    }

    void leavingTheReaderWhileHashingOpensNothing()
    {
        const QString path = makeFile(QStringLiteral("large.epub"), QByteArray(4 << 20, 'y'));
        const int id = addBook(path);
        Fixture f;
        f.window->onBookOpened(id);
        f.window->buttonLibrary();
        QTRY_VERIFY(!f.window->isOpening());
        QTest::qWait(20);
        QVERIFY(f.reader->opened.isEmpty());
        QCOMPARE(f.window->currentPage(), int(MainView::LibraryPageIndex));
        // The digest is kept all the same.
        QVERIFY(!BookProvider::instance()->findBookById(id).bookHash.isEmpty());
    }

    void failedOpenShowsLibrary_data()
    {
        QTest::addColumn<bool>("refusedAtOnce");
        QTest::newRow("reader refuses the book") << true;
        QTest::newRow("reader gives up later") << false;
    }

    // A book the reader cannot show is not stamped as read: "Recently read"
    // and "Continue reading" keep the book read before it.
    void failedOpenShowsLibrary()
    {
        QFETCH(bool, refusedAtOnce);
        BookProvider *provider = BookProvider::instance();
        const int earlier = addBook(makeFile(QStringLiteral("good.epub")), QStringLiteral("Good"));
        provider->setTimeLastView(earlier, uint(QDateTime::currentSecsSinceEpoch() - 3600));
        const int id = addBook(makeFile(QStringLiteral("bad.epub")), QStringLiteral("Bad"));
        provider->setBookHash(id, QStringLiteral("h"));
        provider->setTimeLastView(id, 0);
        Fixture f;
        f.reader->openResult = !refusedAtOnce;
        f.window->onBookOpened(id);
        QCOMPARE(f.reader->opened.size(), 1);
        if (!refusedAtOnce) {
            QCOMPARE(f.window->currentPage(), int(MainView::ReaderPageIndex));
            QVERIFY(provider->findBookById(id).timeLastView > 0);
            emit f.reader->viewerError();
        }
        QCOMPARE(f.window->currentPage(), int(MainView::LibraryPageIndex));
        QCOMPARE(provider->findBookById(id).timeLastView, 0u);
        QCOMPARE(provider->lastReadBook().id, earlier);
        QCOMPARE(f.window->currentBook().id, earlier);
        QCOMPARE(f.button("buttonContinueReading")->text(), QStringLiteral("Good"));
        QVERIFY(f.visible("buttonContinueReading"));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("inLibrary");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("opened");

        QTest::newRow("book in library opens at once")
                << QStringList { "known.epub" } << QStringList { "known.epub" } << QStringList()
                << "known.epub";
        QTest::newRow("new book is added, then opened")
                << QStringList { "new.epub" } << QStringList() << QStringList { "new.epub" }
                << "new.epub";
        QTest::newRow("two new books: both added, the later opened")
                << QStringList { "first.fb2", "second.PDF" } << QStringList()
                << QStringList { "first.fb2", "second.PDF" } << "second.PDF";
        QTest::newRow("unsupported and missing files are skipped")
                << QStringList { "notes.doc", "missing:x.epub" } << QStringList() << QStringList()
                << QString();
        QTest::newRow("no arguments")
                << QStringList() << QStringList() << QStringList() << QString();
    }

    void commandLine()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, inLibrary);
        QFETCH(QStringList, added);
        QFETCH(QString, opened);

        QStringList arguments { QCoreApplication::applicationFilePath() };
        for (const QString &name : names) {
            if (name.startsWith(QStringLiteral("missing:")))
                arguments.append(m_files.filePath(name.mid(8)));
            else
                arguments.append(makeFile(name));
        }
        for (const QString &name : inLibrary)
            addBook(m_files.filePath(name));

        Fixture f;
        f.window->handleMessage(CommandLine::buildMessage(arguments));
        QCOMPARE(f.library->addedNames(), added);
        if (!added.isEmpty()) {
            QCOMPARE(f.library->addFlags.first(), qMakePair(false, true));
            for (const QString &name : added)
                addBook(m_files.filePath(name));
            emit f.library->addComplete();
        }
        if (opened.isEmpty()) {
            QTest::qWait(20);
            QVERIFY(f.reader->opened.isEmpty());
            return;
        }
        QTRY_COMPARE(f.reader->opened.size(), 1);
        QCOMPARE(QFileInfo(f.reader->opened.first().fullPath).fileName(), opened);
        QCOMPARE(f.window->pendingOpenPath(), QString());

        // Spent: a later add operation opens nothing again.
        emit f.library->addComplete();
        QTest::qWait(20);
        QCOMPARE(f.reader->opened.size(), 1);
    }

    void failedLookUpSpendsThePendingPath()
    {
        const QString path = makeFile(QStringLiteral("refused.epub"));
        Fixture f;
        f.window->addBookAndStartRead({ QFileInfo(path) });
        QCOMPARE(f.window->pendingOpenPath(), path);
        // The add operation did not store it.
        emit f.library->addComplete();
        QCOMPARE(f.window->pendingOpenPath(), QString());
        addBook(path);
        emit f.library->addComplete();
        QTest::qWait(20);
        QVERIFY(f.reader->opened.isEmpty());
    }

    void pendingPathSpentWhenTheLibraryOpensIt()
    {
        const QString path = makeFile(QStringLiteral("opened-by-library.epub"));
        Fixture f;
        f.window->addBookAndStartRead({ QFileInfo(path) });
        QCOMPARE(f.library->addFlags.first(), qMakePair(false, true));
        // The add operation opens the last added book on its own.
        emit f.library->bookOpen(addBook(path));
        QTRY_COMPARE(f.reader->opened.size(), 1);
        QCOMPARE(f.window->pendingOpenPath(), QString());
        emit f.library->addComplete();
        QTest::qWait(20);
        QCOMPARE(f.reader->opened.size(), 1);
    }

    void addDialog_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("inLibrary");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<QStringList>("added");

        QTest::newRow("capital suffix accepted")
                << QStringList { "CAPS.EPUB" } << QStringList() << 0 << QStringList { "CAPS.EPUB" };
        QTest::newRow("known and unsupported refused, the rest added")
                << QStringList { "known.epub", "letter.doc", "fresh.mobi" }
                << QStringList { "known.epub" } << 2 << QStringList { "fresh.mobi" };
        QTest::newRow("all refused")
                << QStringList { "a.doc", "b.odt" } << QStringList() << 2 << QStringList();
    }

    void addDialog()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, inLibrary);
        QFETCH(int, boxes);
        QFETCH(QStringList, added);

        QStringList paths;
        for (const QString &name : chosen)
            paths.append(makeFile(QStringLiteral("dialog/") + name));
        for (const QString &name : inLibrary)
            addBook(m_files.filePath(QStringLiteral("dialog/") + name));

        Fixture f;
        f.chosenFiles = paths;
        f.button("buttonAddBook")->click();

        QCOMPARE(f.boxes.size(), boxes);
        for (const Message &box : f.boxes)
            QCOMPARE(box.title, QStringLiteral("Unable to add document"));
        if (chosen.contains(QStringLiteral("letter.doc"))) {
            QCOMPARE(f.boxes.at(0).text,
                     QStringLiteral("The document known.epub has already been added"));
            QCOMPARE(f.boxes.at(1).text,
                     QStringLiteral("Currently this format is not supported. Sorry for "
                                    "inconvenience."));
        }
        QCOMPARE(f.library->addedNames(), added);
        if (!added.isEmpty())
            QCOMPARE(f.library->addFlags.first(), qMakePair(true, false));
        // Refusing everything leaves the page as it was.
        QCOMPARE(f.window->currentPage(),
                 added.isEmpty() ? int(MainView::StartPage) : int(MainView::LibraryPageIndex));
        // The first chosen file's folder is remembered, refused or not.
        QCOMPARE(Settings::instance()->lastUsedDirectory(),
                 QFileInfo(paths.first()).canonicalPath());
        QCOMPARE(SettingsFile::create()->value(QStringLiteral("last_used_directory")).toString(),
                 QFileInfo(paths.first()).canonicalPath());
    }

    void cancelledAddDialogChangesNothing()
    {
        Fixture f;
        f.button("buttonAddBook")->click();
        QCOMPARE(f.dialogs.size(), 1);
        QVERIFY(f.library->added.isEmpty());
        QCOMPARE(f.window->currentPage(), int(MainView::StartPage));
        QCOMPARE(Settings::instance()->lastUsedDirectory(), QString());
    }

    void addOperationStateChange()
    {
        Fixture f;
        // The library screen reaches the window by name only.
        QVERIFY(QMetaObject::invokeMethod(f.library->window(), "onAddOperationStateChange",
                                          Q_ARG(bool, false)));
        QVERIFY(!f.button("buttonAddBook")->isEnabled());
        QVERIFY(!f.button("buttonAddFolder")->isEnabled());
        QVERIFY(!f.library->addEnabled);
        f.window->onAddOperationStateChange(true);
        QVERIFY(f.button("buttonAddBook")->isEnabled());
        QVERIFY(f.library->addEnabled);
    }

    void geometrySurvivesARestart()
    {
        QRect stored;
        {
            Fixture f;
            f.window->move(100, 80);
            stored = f.window->geometry();
        }
        auto settings = SettingsFile::create();
        QCOMPARE(settings->value(QStringLiteral("mainview.state")).toInt(), 0);
        QCOMPARE(settings->value(QStringLiteral("mainview.geometry")).toRect(), stored);
        settings.reset();
        Fixture again;
        QCOMPARE(again.window->geometry(), stored);
    }

    void fullScreenIsNotRestored()
    {
        {
            Fixture f;
            f.window->onFullScreen();
            QCOMPARE(f.window->windowState(), int(MainView::StateFullScreen));
        }
        Fixture again;
        QCOMPARE(again.window->windowState(), int(MainView::StateNormal));
        QCOMPARE(again.window->size(), QSize(760, 540));
    }

private:
    static void activate(Fixture &f)
    {
        QApplication::setActiveWindow(f.window.get());
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    }

    static QString makeFile(const QString &name, const QByteArray &content = QByteArray("book"))
    {
        const QString path = s_files->filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return path;
    }

    static int addBook(const QString &path, const QString &title = QStringLiteral("Book"))
    {
        BookDto book;
        book.fullPath = path;
        book.title = title;
        book.timeAdded = 1000;
        return BookProvider::instance()->addBook(book);
    }

    QTemporaryDir m_files;
    static QTemporaryDir *s_files;

public:
    TestMainView() { s_files = &m_files; }
};

QTemporaryDir *TestMainView::s_files = nullptr;

VL_TEST_WIDGETS_MAIN(TestMainView)
#include "tst_mainview.moc"
