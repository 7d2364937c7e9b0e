#include "app/mainview.h"

#include "app/application.h"
#include "app/commandline.h"
#include "app/placeholderpages.h"
#include "app/settingsview.h"
#include "app/updatechecker.h"
#include "core/logger.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/settingsfile.h"
#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "pages/bookpropertiespanel.h"
#include "pages/librarypage.h"
#include "pages/readerpage.h"
#include "pages/readingcontext.h"
#include "pages/searchbox.h"
#include "pages/sidepanel.h"
#include "widgets/button.h"
#include "widgets/buttondescription.h"
#include "widgets/sizegrip.h"
#include "widgets/startview.h"
#include "widgets/windowbar.h"

#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSequentialAnimationGroup>
#include <QShortcut>
#include <QStackedLayout>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <QtConcurrent>

namespace {

const int ShadowMargin = 20;
// How near a screen edge a dragged window snaps to it, and how long it then
// holds still.
const int SnapDistance = 30;
const int SnapLockMs = 250;
const int PanelShowMs = 300;
const int BackgroundFadeMs = 100;

Button *makeButton(const char *objectName, QWidget *parent)
{
    auto *button = new Button(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QString applicationTitle()
{
    return QStringLiteral("Vellumin");
}

// The percent-encoded Base64 SHA-256 of the whole file, "" when unreadable.
QString bookFileHash(const QString &path)
{
    const QString digest = Paths::fileHash(path, QCryptographicHash::Sha256);
    return QString::fromLatin1(QUrl::toPercentEncoding(digest));
}

} // namespace

Frame::Frame(QWidget *parent)
    : QFrame(parent)
{
}

void Frame::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit mouseDoubleClick();
    QFrame::mouseDoubleClickEvent(event);
}

MainView::MainView(int width, int height, QWidget *parent)
    : MainView(width, height, MainViewParts(), parent)
{
}

MainView::MainView(int width, int height, const MainViewParts &parts, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::CustomizeWindowHint)
    , m_parts(parts.completed())
    , m_baseWidth(width)
    , m_baseHeight(height)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_AcceptTouchEvents);
    setWindowTitle(applicationTitle());
    setWindowIcon(QIcon(QStringLiteral(":/style/images/appicon256.png")));
    setMinimumSize(m_baseWidth + 2 * ShadowMargin, m_baseHeight + 2 * ShadowMargin);

    m_readingContext
            = m_parts.readingContext ? m_parts.readingContext : new IdleReadingContext(this);

    buildUi();
    m_frame->setProperty("theStartView", true);
    connectSignals();
    loadWindowGeometry();

    m_currentBook = BookProvider::instance()->lastReadBook();
    onBookSelected(m_currentBook);

    retranslateUi();
    if (BookProvider::instance()->bookCount() > 0) {
        setPage(LibraryPageIndex);
        m_libraryPage->readSettings();
    } else {
        setPage(StartPage);
    }
    refreshStyleProperties();
    runUpdateChecker();
}

MainView::~MainView()
{
    storeWindowGeometry();
}

int MainView::currentPage() const
{
    return m_pages->currentIndex();
}

bool MainView::isOpening() const
{
    return m_hashWatcher && m_hashWatcher->isRunning();
}

QUrl MainView::siteUrl()
{
    return QUrl(QStringLiteral("https://www.morvasco.com/"));
}

QUrl MainView::manualUrl()
{
    return siteUrl().resolved(QUrl(QStringLiteral("/Manuals/Vellumin/")));
}

QString MainView::siteName()
{
    return QStringLiteral("morvasco.com");
}

QUrl MainView::changelogUrl()
{
    return siteUrl().resolved(QUrl(QStringLiteral("/%1/changelog.html").arg(applicationTitle())));
}

QUrl MainView::downloadUrl()
{
    return siteUrl().resolved(QUrl(QStringLiteral("/Download-%1/").arg(applicationTitle())));
}

void MainView::buildUi()
{
    m_shadow = new QFrame(this);
    m_shadow->setObjectName(QStringLiteral("mainViewShadow"));
    m_shadow->move(0, 0);
    m_shadow->setMinimumSize(m_baseWidth + 2 * ShadowMargin, m_baseHeight + 2 * ShadowMargin);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("mainView"));
    m_frame->move(ShadowMargin, ShadowMargin);
    m_frame->setMinimumSize(m_baseWidth, m_baseHeight);
    m_frame->setProperty("theFullScreen", false);
    m_frame->setProperty("theStartView", true);
    m_frameLayout = new QVBoxLayout(m_frame);

    m_background = new QFrame(m_frame);
    m_background->setObjectName(QStringLiteral("backgroundSettingsView"));
    m_background->hide();

    // Every panel waits outside the visible area until it slides in.
    const QRect outside(width() + ShadowMargin, ShadowMargin, m_baseWidth, m_baseHeight);
    m_settingsView = new SettingsView(m_frame);
    m_contentsPanel = m_parts.createContentsPanel(m_frame);
    m_notesPanel = m_parts.createNotesPanel(m_frame);
    m_propertiesPanel = m_parts.createPropertiesPanel(m_frame);
    m_searchPanel = m_parts.createSearchPanel(m_frame);
    for (QWidget *panel :
         { static_cast<QWidget *>(m_settingsView), static_cast<QWidget *>(m_contentsPanel),
           static_cast<QWidget *>(m_notesPanel), static_cast<QWidget *>(m_propertiesPanel),
           static_cast<QWidget *>(m_searchPanel) }) {
        panel->setParent(m_frame);
        panel->setGeometry(outside);
        panel->hide();
    }

    m_windowBar = new WindowBar(m_frame);

    QFrame *toolBar = buildToolBar();

    m_pageAreaLayout = new QVBoxLayout;
    m_pages = new QStackedLayout;
    m_pages->setObjectName(QStringLiteral("mainViewPages"));
    m_startView = new StartView(m_frame);
    m_libraryPage = m_parts.createLibraryPage(m_frame);
    m_readerPage = m_parts.createReaderPage(m_frame);
    m_pages->addWidget(m_startView);
    m_pages->addWidget(m_libraryPage);
    m_pages->addWidget(m_readerPage);
    m_pageAreaLayout->addLayout(m_pages, 1);

    QFrame *bottomBar = buildBottomBar();

    m_frameLayout->addWidget(m_windowBar);
    m_frameLayout->addWidget(toolBar);
    m_frameLayout->addLayout(m_pageAreaLayout, 1);
    m_frameLayout->addWidget(bottomBar);
    applyFrameMargins(false);
}

QFrame *MainView::buildToolBar()
{
    m_toolBar = new Frame(this);
    m_toolBar->setObjectName(QStringLiteral("mainViewToolBar"));
    auto *layout = new QHBoxLayout(m_toolBar);
    layout->setContentsMargins(0, 5, 0, 0);

    m_buttonLibrary = makeButton("buttonLibrary", m_toolBar);
    m_buttonAddBook = makeButton("buttonAddBook", m_toolBar);
    m_buttonAddFolder = makeButton("buttonAddFolder", m_toolBar);
    m_buttonContents = makeButton("buttonContents", m_toolBar);
    m_buttonNotes = makeButton("buttonNotes", m_toolBar);
    m_buttonBack = makeButton("buttonBack", m_toolBar);
    m_buttonContents->hide();
    m_buttonNotes->hide();
    m_buttonBack->hide();
    m_searchBox = m_parts.createSearchBox(m_toolBar);
    m_buttonNavigateToSite = makeButton("buttonNavigateToSite", m_toolBar);

    layout->addWidget(m_buttonLibrary);
    layout->addWidget(m_buttonAddBook);
    layout->addWidget(m_buttonAddFolder);
    layout->addWidget(m_buttonContents);
    layout->addWidget(m_buttonNotes);
    layout->addWidget(m_buttonBack);
    layout->addStretch();
    layout->addWidget(m_searchBox);
    layout->addWidget(m_buttonNavigateToSite);
    return m_toolBar;
}

QFrame *MainView::buildBottomBar()
{
    m_bottomBar = new QFrame(m_frame);
    m_bottomBar->setObjectName(QStringLiteral("mainViewBottomBar"));
    m_bottomBar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    auto *grid = new QGridLayout(m_bottomBar);
    grid->setContentsMargins(0, 0, 0, 0);

    m_buttonContinueReading = new ButtonDescription(m_bottomBar);
    m_buttonContinueReading->setObjectName(QStringLiteral("buttonContinueReading"));
    m_buttonContinueReading->setFocusPolicy(Qt::NoFocus);
    m_buttonContinueReading->setMaximumWidth(m_baseWidth / 2);
    m_buttonContinueReading->hide();
    m_bookTitleLabel = new QLabel(m_bottomBar);
    m_bookTitleLabel->setObjectName(QStringLiteral("labelBookTitle"));
    m_bookTitleLabel->hide();
    grid->addWidget(m_buttonContinueReading, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(m_bookTitleLabel, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);

    auto *progressBox = new QFrame(m_bottomBar);
    auto *progressLayout = new QHBoxLayout(progressBox);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressLayout->setSpacing(0);
    m_progressLabel = new QLabel(progressBox);
    m_progressLabel->setObjectName(QStringLiteral("labelProgress"));
    m_loadingLabel = new QLabel(progressBox);
    m_loadingLabel->setObjectName(QStringLiteral("labelLoading"));
    m_loadingLabel->setFixedWidth(20);
    m_loadingLabel->hide();
    progressLayout->addStretch();
    progressLayout->addWidget(m_progressLabel);
    progressLayout->addWidget(m_loadingLabel);
    progressLayout->addStretch();
    grid->addWidget(progressBox, 0, 1, Qt::AlignCenter);

    auto *right = new QHBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    m_buttonPrint = makeButton("buttonPrint", m_bottomBar);
    m_buttonPrint->hide();
    m_buttonHelp = makeButton("buttonHelp", m_bottomBar);
    m_buttonSettings = makeButton("buttonSettings", m_bottomBar);
    m_sizeGrip = new SizeGrip(m_bottomBar);
    right->addWidget(m_buttonPrint);
    right->addWidget(m_buttonHelp);
    right->addWidget(m_buttonSettings);
    right->addWidget(m_sizeGrip);
    grid->addLayout(right, 0, 2, Qt::AlignRight | Qt::AlignVCenter);
    return m_bottomBar;
}

void MainView::connectSignals()
{
    connect(m_readerPage, &ReaderPage::toggleBackContol, m_buttonBack, &QWidget::setVisible);
    connect(m_readerPage, &ReaderPage::togglePrintContol, m_buttonPrint, &QWidget::setVisible);
    connect(m_readerPage, &ReaderPage::toggleNotesContol, m_buttonNotes, &QWidget::setVisible);

    connect(m_windowBar, &WindowBar::maximizeWindow, this, &MainView::onMaximize);
    connect(m_windowBar, &WindowBar::minimizeWindow, this, &MainView::onMinimize);
    connect(m_windowBar, &WindowBar::closeWindow, this, &MainView::onClose);
    connect(m_buttonSettings, &QPushButton::clicked, this, &MainView::onShowSettings);
    connect(m_pages, &QStackedLayout::currentChanged, this, &MainView::onViewModeChanged);
    connect(m_settingsView, &SettingsView::onHideWindow, this, &MainView::onHideSettings);
    connect(m_buttonHelp, &QPushButton::clicked, this, &MainView::onNavigateToSiteHelp);
    connect(m_buttonNavigateToSite, &QPushButton::clicked, this, &MainView::onNavigateToSite);
    connect(m_buttonLibrary, &QPushButton::clicked, this, &MainView::buttonLibrary);
    connect(m_buttonAddBook, &QPushButton::clicked, this, &MainView::buttonAddBook);
    connect(m_startView, &StartView::addBook, this, &MainView::buttonAddBook);
    connect(m_startView, &StartView::switchToLibrary, this, &MainView::toLibrary);
    connect(m_buttonContinueReading, &QPushButton::clicked, this, &MainView::continueReading);
    connect(m_libraryPage, &LibraryPage::bookOpen, this, &MainView::onBookOpened);
    connect(m_libraryPage, &LibraryPage::requestNotes, this, &MainView::onShowNotes);
    connect(m_buttonContents, &QPushButton::clicked, this, &MainView::buttonContents);
    connect(m_buttonNotes, &QPushButton::clicked, this, &MainView::buttonNotes);
    connect(m_buttonPrint, &QPushButton::clicked, this, &MainView::onButtonPrint);
    connect(m_buttonBack, &QPushButton::clicked, m_readerPage, &ReaderPage::back);
    connect(m_contentsPanel, &SidePanel::hideWindow, this, &MainView::onHideContents);
    connect(m_contentsPanel, &SidePanel::navigateToPosition, this, &MainView::onNavigateToPosition);
    connect(m_notesPanel, &SidePanel::hideWindow, this, &MainView::onHideNotes);
    connect(m_notesPanel, &SidePanel::navigateToPositionPath, this,
            &MainView::onNavigateToPositionPath);
    connect(m_searchBox, &SearchBox::search, this, &MainView::onSearch);
    connect(m_searchBox, &SearchBox::changed, this, &MainView::onFilterChanged);
    connect(m_searchBox, &SearchBox::clean, this, &MainView::onCleanSearch);

    auto *shortcutF11 = new QShortcut(QKeySequence(Qt::Key_F11), this);
    shortcutF11->setContext(Qt::WindowShortcut);
    connect(shortcutF11, &QShortcut::activated, this, &MainView::onHotKeyF11);
    auto *shortcutH = new QShortcut(QKeySequence(Qt::Key_H), this);
    shortcutH->setContext(Qt::WindowShortcut);
    connect(shortcutH, &QShortcut::activated, this, &MainView::onMinimize);
    auto *shortcutFind = new QShortcut(QKeySequence(Qt::CTRL + Qt::Key_F), this);
    shortcutFind->setContext(Qt::WindowShortcut);
    connect(shortcutFind, &QShortcut::activated, this, &MainView::onHotKeyCtrlF);

    connect(m_readingContext, &ReadingContext::bookInfoChanged, this, &MainView::bookInfoChanged);
    connect(m_readingContext, &ReadingContext::notesCountChanged, this, [this](int count) {
        m_notesCount = count;
        m_buttonNotes->setText(tr("Notes (%1)").arg(count));
    });
    connect(m_readingContext, &ReadingContext::searhingTextChanged, this,
            &MainView::onSearchTextChanged);

    connect(m_readerPage, &ReaderPage::newBookReading, this, [this] {
        m_notesPanel->resetFilters();
        m_notesPanel->loadFromOpenBook();
    });
    connect(m_readerPage, &ReaderPage::viewerError, this, &MainView::onReaderFailed);
    connect(m_readerPage, &ReaderPage::showSearch, this, [this] {
        if (currentPage() == ReaderPageIndex)
            showWindowAnimated(m_searchPanel);
    });
    connect(m_readerPage, &ReaderPage::showContents, this, &MainView::onShowContents);
    connect(m_readerPage, &ReaderPage::showNotes, this, &MainView::onShowNotes);
    connect(m_readerPage, &ReaderPage::fullScreen, this, &MainView::onFullScreen);
    connect(m_toolBar, &Frame::mouseDoubleClick, this, &MainView::onMaximize);
    connect(m_searchPanel, &SidePanel::hideWindow, this, &MainView::onHideSearchPanel);
    connect(m_searchPanel, &SidePanel::navigateToPosition, this, &MainView::onNavigateToPosition);
    connect(m_searchPanel, &SidePanel::navigateToPage, this, &MainView::onNavigateToPage);
    connect(m_buttonAddFolder, &QPushButton::clicked, m_libraryPage, &LibraryPage::onAddDir);
    connect(m_libraryPage, &LibraryPage::bookEdit, this, &MainView::onEditBook);
    connect(m_libraryPage, &LibraryPage::addComplete, this, &MainView::onAddComplete);
    connect(m_propertiesPanel, &BookPropertiesPanel::onHideWindow, this,
            &MainView::hideWindowAnimated);
    connect(m_startView, &StartView::droppedFiles, this,
            [this](const QFileInfoList &files) { m_libraryPage->onAddFiles(files); });
    if (m_parts.passwordController)
        connect(m_parts.passwordController, &InputPasswordController::onRequest, this,
                &MainView::onPasswordRequest);
    if (m_parts.messageController)
        connect(m_parts.messageController, &MessageBoxController::showMessage, this,
                &MainView::onMessageRequest);
    connect(&m_loadingTimer, &QTimer::timeout, this, &MainView::onTimerLoading);
    m_snapTimer.setSingleShot(true);
    m_snapTimer.setInterval(SnapLockMs);
    connect(&m_snapTimer, &QTimer::timeout, this, [this] { m_snapLock = false; });

    for (QScreen *screen : QGuiApplication::screens()) {
        screen->setOrientationUpdateMask(
                Qt::PrimaryOrientation | Qt::LandscapeOrientation | Qt::PortraitOrientation
                | Qt::InvertedLandscapeOrientation | Qt::InvertedPortraitOrientation);
        connect(screen, &QScreen::orientationChanged, this, &MainView::onScreenOrientationChanged);
    }
    connect(m_sizeGrip, &SizeGrip::beginResize, this, &MainView::onBeginResize);
    connect(m_sizeGrip, &SizeGrip::endResize, this, &MainView::onEndResize);
}

void MainView::retranslateUi()
{
    m_buttonLibrary->setText(tr("Library"));
    m_buttonAddBook->setText(tr("Add book"));
    m_buttonAddFolder->setText(tr("Add folder"));
    m_buttonContents->setText(tr("Contents"));
    // The count stays when the texts are set again on a page switch.
    m_buttonNotes->setText(m_notesCount < 0 ? tr("Notes") : tr("Notes (%1)").arg(m_notesCount));
    m_buttonBack->setText(tr("Back"));
    m_buttonPrint->setText(tr("Print"));
    m_buttonHelp->setText(tr("Help"));
    m_buttonSettings->setText(tr("Settings"));
    m_buttonNavigateToSite->setText(siteName());
    m_buttonContinueReading->setDescription(tr("Continue reading"));
    m_searchBox->setPlaceholderText(currentPage() == ReaderPageIndex
                                            ? tr("Search by text or by page number")
                                            : tr("Search in Library"));
    updateWindowTitle(currentPage() == ReaderPageIndex ? m_currentBook.title : QString());
}

void MainView::refreshStyleProperties()
{
    m_frame->setProperty("theStartView", currentPage() == StartPage);
    m_frame->setProperty("theFullScreen", m_windowState == StateFullScreen);
    m_frame->style()->unpolish(m_frame);
    m_frame->style()->polish(m_frame);
}

void MainView::setPage(int page)
{
    if (m_pages->currentIndex() == page)
        onViewModeChanged(page);
    else
        m_pages->setCurrentIndex(page);
}

void MainView::onViewModeChanged(int mode)
{
    // Leaving the reader gives up an opening that still waits for its hash.
    if (mode != ReaderPageIndex)
        ++m_openTicket;

    m_searchBox->setCompleter(nullptr);
    m_searchBox->clear();

    const bool start = mode == StartPage;
    const bool library = mode == LibraryPageIndex;
    const bool reader = mode == ReaderPageIndex;
    m_buttonContinueReading->setVisible(library && m_currentBook.id != -1);
    m_buttonContents->setVisible(reader);
    m_buttonNotes->setVisible(reader);
    m_buttonBack->hide();
    m_buttonPrint->hide();
    m_progressLabel->setVisible(reader);
    m_bookTitleLabel->setVisible(reader);
    m_buttonAddFolder->setVisible(!reader);
    m_buttonAddBook->setVisible(!reader);
    m_searchBox->setVisible(!start);
    if (!reader) {
        m_loadingLabel->hide();
        m_loadingTimer.stop();
    }

    refreshStyleProperties();
    retranslateUi();
    if (reader)
        focusReader();
}

void MainView::focusReader()
{
    // Keys turn pages only while no edit holds the focus: the search box
    // would take Space and the arrows for itself.
    if (currentPage() == ReaderPageIndex && m_readerPage)
        m_readerPage->setFocus(Qt::OtherFocusReason);
}

void MainView::updateWindowTitle(const QString &bookTitle)
{
    const QString title = bookTitle.isEmpty()
            ? applicationTitle()
            : QStringLiteral("%1 - %2").arg(bookTitle, applicationTitle());
    m_windowBar->setTitle(title);
    setWindowTitle(title);
}

void MainView::bookInfoChanged(const QString &title, const QString &progress, bool wsLoading)
{
    QFont font = m_bookTitleLabel->font();
    font.setWeight(75);
    const int width = int(m_frame->width() * 0.4);
    m_bookTitleLabel->setText(QFontMetrics(font).elidedText(title, Qt::ElideMiddle, width));
    if (wsLoading) {
        m_loadingTimer.start(250);
        m_progressLabel->setText(tr("Loading"));
        m_loadingLabel->show();
    } else {
        m_loadingLabel->hide();
        m_loadingTimer.stop();
        m_progressLabel->setText(progress);
    }
}

void MainView::onTimerLoading()
{
    ++m_loadingCounter;
    if (m_loadingCounter >= 3)
        m_loadingCounter = 0;
    m_loadingLabel->setText(QString(m_loadingCounter + 1, QLatin1Char('.')));
}

// ---- pages ----

void MainView::buttonLibrary()
{
    setPage(LibraryPageIndex);
    onSearch(m_searchBox->text());
}

void MainView::toLibrary()
{
    setPage(LibraryPageIndex);
    m_libraryPage->activateCategoryButton();
}

void MainView::onStartUp()
{
    if (BookProvider::instance()->bookCount() > 0) {
        setPage(LibraryPageIndex);
        m_libraryPage->readSettings();
    } else {
        setPage(StartPage);
    }
}

void MainView::onSearch(const QString &text)
{
    if (currentPage() == ReaderPageIndex) {
        m_readingContext->setSearchingText(text);
        showWindowAnimated(m_searchPanel);
    } else {
        filterLibrary(text);
    }
}

void MainView::onFilterChanged(const QString &text)
{
    if (currentPage() != ReaderPageIndex)
        filterLibrary(text);
}

void MainView::filterLibrary(const QString &text)
{
    if (currentPage() == StartPage)
        setPage(LibraryPageIndex);
    m_libraryPage->filterBooks(text);
}

void MainView::onSearchTextChanged(const QString &text)
{
    if (currentPage() == ReaderPageIndex)
        m_searchBox->setText(text);
}

void MainView::onCleanSearch()
{
    if (currentPage() == ReaderPageIndex)
        m_readingContext->clearSearch();
}

void MainView::onNavigateToPosition(int position)
{
    if (currentPage() == ReaderPageIndex)
        m_readingContext->navigateToPosition(position);
}

void MainView::onNavigateToPositionPath(const QString &position)
{
    if (currentPage() == ReaderPageIndex)
        m_readingContext->navigateToPositionPath(position);
}

void MainView::onNavigateToPage(int page)
{
    if (currentPage() == ReaderPageIndex)
        m_readingContext->navigateToPage(page);
}

void MainView::onButtonPrint()
{
    m_readerPage->print();
}

void MainView::onButtonBack()
{
    emit back();
}

void MainView::onNavigateToSite()
{
    m_parts.openUrl(siteUrl());
}

void MainView::onNavigateToSiteHelp()
{
    m_parts.openUrl(manualUrl());
}

// ---- side panels ----

void MainView::onShowSettings()
{
    showWindowAnimated(m_settingsView);
}

void MainView::onHideSettings()
{
    hideWindowAnimated(m_settingsView);
}

void MainView::onShowContents()
{
    m_contentsPanel->loadFromOpenBook();
    showWindowAnimated(m_contentsPanel);
}

void MainView::buttonContents()
{
    onShowContents();
}

void MainView::onShowNotes()
{
    m_notesPanel->loadFromOpenBook();
    showWindowAnimated(m_notesPanel);
}

void MainView::buttonNotes()
{
    onShowNotes();
}

void MainView::onHideContents()
{
    hideWindowAnimated(m_contentsPanel);
}

void MainView::onHideNotes()
{
    hideWindowAnimated(m_notesPanel);
}

void MainView::onShowSearchPanel()
{
    showWindowAnimated(m_searchPanel);
}

void MainView::onHideSearchPanel()
{
    hideWindowAnimated(m_searchPanel);
}

void MainView::onEditBook(int id)
{
    m_propertiesPanel->setBookId(id);
    showWindowAnimated(m_propertiesPanel);
}

int MainView::shadowMargin() const
{
    return m_windowState == StateNormal ? ShadowMargin : 0;
}

void MainView::showWindowAnimated(QWidget *panel)
{
    if (!panel)
        return;
    const int w = m_frame->width();
    const int h = m_frame->height();
    const int panelWidth = qRound(w * 0.8);
    // The panel is a child of "mainView": frame coordinates. Its right edge
    // ends flush with the frame's, whatever the window state.
    m_background->setGeometry(0, 0, w, h);
    m_background->show();
    m_background->raise();
    panel->setGeometry(w, 0, panelWidth, h);
    panel->show();
    panel->raise();

    // The shade's own colour is translucent; the effect only fades it in
    // and goes once the fade ends. Left on, it made parts of the panel that
    // are shown later (another tab, a list) draw under the shade.
    auto *opacity = new QGraphicsOpacityEffect(m_background);
    opacity->setOpacity(0.0);
    m_background->setGraphicsEffect(opacity);
    auto *fade = new QPropertyAnimation(opacity, "opacity");
    fade->setDuration(BackgroundFadeMs);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    connect(fade, &QPropertyAnimation::finished, m_background,
            [this] { m_background->setGraphicsEffect(nullptr); });

    auto *slide = new QPropertyAnimation(panel, "geometry");
    slide->setDuration(PanelShowMs);
    slide->setStartValue(QRect(w, 0, panelWidth, h));
    slide->setEndValue(QRect(w - panelWidth, 0, panelWidth, h));

    startPanelAnimation(fade, slide);
    panel->setFocus();
}

void MainView::hideWindowAnimated(QWidget *panel)
{
    if (!panel || !panel->isVisible())
        return;
    focusReader();
    const int w = m_frame->width();
    const int h = m_frame->height();
    const int panelWidth = qRound(w * 0.8);

    auto *slide = new QPropertyAnimation(panel, "geometry");
    slide->setDuration(PanelShowMs);
    slide->setStartValue(panel->geometry());
    slide->setEndValue(QRect(w, 0, panelWidth, h));
    connect(slide, &QPropertyAnimation::finished, panel, &QWidget::hide);

    auto *opacity = new QGraphicsOpacityEffect(m_background);
    opacity->setOpacity(1.0);
    m_background->setGraphicsEffect(opacity);
    auto *fade = new QPropertyAnimation(opacity, "opacity");
    fade->setDuration(BackgroundFadeMs);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    connect(fade, &QPropertyAnimation::finished, m_background, &QWidget::hide);

    startPanelAnimation(slide, fade);
}

void MainView::startPanelAnimation(QAbstractAnimation *first, QAbstractAnimation *second)
{
    // A panel asked to hide while it still slides in (or the other way
    // round): the later request wins. Left running, the earlier group would
    // cancel the later one when its own geometry step starts, and the
    // panel would stay where it is.
    if (m_panelAnimation)
        m_panelAnimation->stop();
    auto *group = new QSequentialAnimationGroup(this);
    group->addAnimation(first);
    group->addAnimation(second);
    m_panelAnimation = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

// ---- opening books ----

void MainView::handleMessage(const QString &message)
{
    Logger::instance()->write(QStringLiteral("main_view msg:%1").arg(message), Logger::Debug);
    const QStringList arguments = CommandLine::parseMessage(message);
    Logger::instance()->write(
            QStringLiteral("MainView::handleMessage: %1 argument(s): ").arg(arguments.size())
                    + arguments.join(QStringLiteral(", ")),
            Logger::Debug);
    if (message.isEmpty())
        return;

    QFileInfoList files;
    for (const QString &argument : arguments) {
        const QFileInfo file(argument);
        if (!argument.isEmpty() && file.exists())
            files.append(file);
    }
    addBookAndStartRead(files);
}

void MainView::addBookAndStartRead(const QFileInfoList &books)
{
    if (books.isEmpty())
        return;
    const QStringList formats = Application::supportedFormats();
    QFileInfoList toAdd;
    for (const QFileInfo &book : books) {
        if (!formats.contains(book.suffix().toLower()) || !book.exists())
            continue;
        const QString path = book.absoluteFilePath();
        if (!BookModel::containsBook(path))
            toAdd.append(book);
        m_pendingOpenPath = path;
    }

    if (toAdd.isEmpty())
        openPendingPath();
    else
        m_libraryPage->onAddFiles(toAdd, false, true);
}

void MainView::onAddComplete()
{
    openPendingPath();
}

void MainView::openPendingPath()
{
    if (m_pendingOpenPath.isEmpty() || !QFileInfo::exists(m_pendingOpenPath))
        return;
    const QString path = m_pendingOpenPath;
    // Spent here, found or not: a later add operation must not open the
    // file again.
    m_pendingOpenPath.clear();
    m_currentBook = BookProvider::instance()->findBookByPath(path);
    continueReading();
}

void MainView::onBookSelected(const BookDto &book)
{
    if (book.id != -1) {
        m_buttonContinueReading->setText(book.title);
        m_buttonContinueReading->setVisible(currentPage() == LibraryPageIndex);
    } else {
        m_buttonContinueReading->hide();
    }
}

void MainView::onBookOpened(const int bookId)
{
    m_currentBook = BookProvider::instance()->findBookById(bookId);
    if (m_currentBook.id != -1) {
        m_buttonContinueReading->setText(m_currentBook.title);
        m_buttonContinueReading->setVisible(currentPage() == LibraryPageIndex);
    } else {
        m_buttonContinueReading->hide();
    }
    continueReading();
}

void MainView::continueReading()
{
    if (m_currentBook.id == -1)
        return;
    const QString path = m_currentBook.fullPath;
    if (!QFileInfo::exists(path)) {
        Logger::instance()->write(
                QStringLiteral("Open book [FAILED]. File not found:'%1'").arg(path), Logger::Debug);
        m_parts.showMessage(
                this, tr("Failed to open file"),
                tr("The file you are trying to open was not found by the following path: %1")
                        .arg(path));
        return;
    }

    const BookDto stored = BookProvider::instance()->findBookById(m_currentBook.id);
    if (stored.id == -1) {
        // Removed from the library since it was chosen.
        Logger::instance()->write(
                QStringLiteral("Open book [FAILED]. Not in the library:'%1'").arg(path),
                Logger::Debug);
        return;
    }
    m_currentBook = stored;
    // The library may open a book added for a command line itself: the
    // command line's request is then spent as well.
    if (m_currentBook.fullPath == m_pendingOpenPath)
        m_pendingOpenPath.clear();
    setPage(ReaderPageIndex);
    const int ticket = ++m_openTicket;
    Logger::instance()->write(QStringLiteral("Open book %1").arg(m_currentBook.fullPath),
                              Logger::Debug);
    Application::createSettings()->setValue(QStringLiteral("last_open_book"),
                                            m_currentBook.fullPath);
    m_currentBook.timeLastView = uint(QDateTime::currentSecsSinceEpoch());

    if (!m_currentBook.bookHash.isEmpty()) {
        finishOpening(QString());
        return;
    }

    // A book can be hundreds of megabytes: hash it on a pool thread and go
    // on with the opening when the digest is in, so the window stays live.
    bookInfoChanged(m_currentBook.title, QString(), true);
    auto *watcher = new QFutureWatcher<QString>(this);
    m_hashWatcher = watcher;
    const int bookId = m_currentBook.id;
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, ticket, bookId] {
        const QString hash = watcher->result();
        watcher->deleteLater();
        if (m_hashWatcher == watcher)
            m_hashWatcher = nullptr;
        if (ticket != m_openTicket) {
            // Given up; keep the digest all the same, it costs nothing now.
            if (!hash.isEmpty()
                && BookProvider::instance()->findBookById(bookId).bookHash.isEmpty())
                BookProvider::instance()->setBookHash(bookId, hash);
            return;
        }
        bookInfoChanged(m_currentBook.title, QString(), false);
        finishOpening(hash);
    });
    watcher->setFuture(QtConcurrent::run(bookFileHash, m_currentBook.fullPath));
}

void MainView::finishOpening(const QString &hash)
{
    BookProvider *provider = BookProvider::instance();
    const uint readBefore = provider->findBookById(m_currentBook.id).timeLastView;
    // Only the columns that opening changes are written: a whole record
    // would carry back flags that changed while the hash was computed.
    provider->setTimeLastView(m_currentBook.id, m_currentBook.timeLastView);
    m_stampedBookId = m_currentBook.id;
    m_stampedBookReadBefore = readBefore;
    if (m_currentBook.bookHash.isEmpty() && !hash.isEmpty())
        provider->setBookHash(m_currentBook.id, hash);
    const BookDto stored = provider->findBookById(m_currentBook.id);
    if (stored.id != -1)
        m_currentBook = stored;

    if (!m_readerPage->openBook(m_currentBook))
        onReaderFailed();
}

void MainView::onReaderFailed()
{
    // A book counts as read only if the reader could show it: one it
    // refused or gave up on gets its old time back, so that it turns up
    // neither under "Recently read" nor as "Continue reading".
    if (m_stampedBookId != -1 && m_stampedBookId == m_currentBook.id) {
        BookProvider::instance()->setTimeLastView(m_stampedBookId, m_stampedBookReadBefore);
        m_libraryPage->readSettings();
    }
    m_stampedBookId = -1;
    forgetFailedBook();
    buttonLibrary();
}

void MainView::forgetFailedBook()
{
    m_currentBook = BookProvider::instance()->lastReadBook();
    onBookSelected(m_currentBook);
}

// ---- adding books ----

void MainView::buttonAddBook()
{
    // Translated once, on first use, and kept for the life of the process.
    static const QString caption = tr("Add book to library");
    static const QString filter
            = tr("eBook Files (*.epub *.mobi *.prc *.fb2 *.pdf *.txt *.cbz *.cbr *.zip *.7z)");

    Settings *settings = Settings::instance();
    const QStringList paths
            = m_parts.getOpenFileNames(this, caption, settings->lastUsedDirectory(), filter);
    if (paths.isEmpty())
        return;
    settings->setLastUsedDirectory(QFileInfo(paths.first()).canonicalPath());

    const QStringList formats = Application::supportedFormats();
    QFileInfoList toAdd;
    for (const QString &path : paths) {
        const QFileInfo file(path);
        if (!formats.contains(file.suffix().toLower())) {
            m_parts.showMessage(
                    this, tr("Unable to add document"),
                    tr("Currently this format is not supported. Sorry for inconvenience."));
            continue;
        }
        if (BookModel::containsBook(file.absoluteFilePath())) {
            m_parts.showMessage(this, tr("Unable to add document"),
                                tr("The document %1 has already been added").arg(file.fileName()));
            continue;
        }
        toAdd.append(file);
    }
    if (toAdd.isEmpty())
        return;
    m_libraryPage->onAddFiles(toAdd, true, false);
    setPage(LibraryPageIndex);
}

void MainView::onAddOperationStateChange(bool enabled)
{
    m_buttonAddBook->setEnabled(enabled);
    m_buttonAddFolder->setEnabled(enabled);
    m_libraryPage->onAddOperationStateChange(enabled);
}

// ---- requests of loading threads ----

void MainView::onPasswordRequest(bool skip)
{
    m_parts.answerPassword(m_parts.passwordController, skip, this);
}

void MainView::onMessageRequest(const QString &title, const QString &message)
{
    m_parts.answerMessage(m_parts.messageController, title, message, this);
}

// ---- window states ----

void MainView::applyFrameMargins(bool fullScreen)
{
    if (fullScreen) {
        m_frameLayout->setContentsMargins(0, 0, 0, 0);
        m_pageAreaLayout->setContentsMargins(0, 0, 0, 0);
        m_pageAreaLayout->setSpacing(0);
    } else {
        m_frameLayout->setContentsMargins(8, 0, 8, 3);
        m_pageAreaLayout->setContentsMargins(4, 6, 6, 0);
    }
}

void MainView::changeWindowState(int newState)
{
    if (currentPage() == ReaderPageIndex)
        m_readerPage->beginResize();
    if (newState != m_windowState) {
        if (m_windowState == StateNormal)
            m_normalGeometry = geometry();
        m_previousState = m_windowState;
        m_windowState = newState;
    }
    normal();
    if (newState == StateMaximized)
        maximize();
    else if (newState == StateFullScreen)
        fullScreen();
    if (currentPage() == ReaderPageIndex)
        m_readerPage->endResize();
}

void MainView::onMaximize()
{
    changeWindowState(m_windowState == StateMaximized ? StateNormal : StateMaximized);
}

void MainView::onFullScreen()
{
    changeWindowState(m_windowState == StateFullScreen ? m_previousState : StateFullScreen);
}

void MainView::onHotKeyEsc()
{
    onFullScreen();
}

void MainView::onHotKeyF11()
{
    if (currentPage() != ReaderPageIndex)
        return;
    changeWindowState(m_windowState == StateFullScreen ? StateNormal : StateFullScreen);
}

void MainView::onHotKeyH()
{
    showMinimized();
}

void MainView::onMinimize()
{
    showMinimized();
}

void MainView::onClose()
{
    close();
}

void MainView::onHotKeyCtrlF()
{
    if (m_notesPanel->isVisible())
        m_notesPanel->selectFilterText();
    else
        m_searchBox->selectAll();
}

void MainView::onScreenOrientationChanged(Qt::ScreenOrientation)
{
    changeWindowState(m_windowState);
}

void MainView::onBeginResize()
{
    if (currentPage() == ReaderPageIndex)
        m_readerPage->beginResize();
}

void MainView::onEndResize()
{
    if (currentPage() == ReaderPageIndex)
        m_readerPage->endResize();
}

void MainView::normal()
{
    setMinimumSize(m_baseWidth + 2 * ShadowMargin, m_baseHeight + 2 * ShadowMargin);
    m_windowBar->setMaximized(false);
    m_windowBar->show();
    m_toolBar->show();
    m_bottomBar->show();
    applyFrameMargins(false);
    m_readerPage->setFullScreen(false);
    if (m_normalGeometry.left() == 0 && m_normalGeometry.top() == 0) {
        m_normalGeometry.setLeft(1);
        m_normalGeometry.setTop(1);
    }
    if (m_normalGeometry.isValid())
        setGeometry(m_normalGeometry);
    m_sizeGrip->show();
    refreshStyleProperties();
}

void MainView::maximize()
{
    QScreen *screen = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry().adjusted(1, 1, -1, -1);
    setGeometry(available);
    m_frame->move(0, 0);
    m_frame->resize(available.size());
    m_readerPage->setFullScreen(false);
    m_windowBar->setMaximized(true);
    m_windowBar->show();
    m_toolBar->show();
    m_bottomBar->show();
    applyFrameMargins(false);
    m_sizeGrip->hide();
    QCoreApplication::processEvents();
    refreshStyleProperties();
}

void MainView::fullScreen()
{
    QScreen *screen = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
    const QRect full = screen->geometry();
    if (pos() == QPoint(0, 0)) {
        move(1, 1);
        m_normalGeometry = geometry();
    }
    setMinimumSize(full.size());
    setGeometry(full);
    m_frame->move(0, 0);
    m_frame->resize(full.size());
    m_windowBar->hide();
    m_toolBar->hide();
    m_bottomBar->hide();
    applyFrameMargins(true);
    m_readerPage->setFullScreen(true);
    QCoreApplication::processEvents();
    m_sizeGrip->hide();
    refreshStyleProperties();
}

void MainView::setAlwaysOnTop(bool checked)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, checked);
    if (visible)
        show();
    if (checked)
        Logger::instance()->write(QStringLiteral("Set full:%1").arg(QStringLiteral("[OK]")),
                                  Logger::Debug);
}

void MainView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int margin = shadowMargin();
    m_shadow->resize(size());
    m_frame->move(margin, margin);
    m_frame->resize(width() - 2 * margin, height() - 2 * margin);
}

void MainView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QWidget::changeEvent(event);
}

void MainView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_windowState == StateFullScreen) {
        changeWindowState(m_previousState);
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainView::mousePressEvent(QMouseEvent *event)
{
    if (m_windowState == StateMaximized) {
        const QRect title(0, 0, m_windowBar->width(), m_windowBar->height());
        if (title.adjusted(1, 1, -1, -1).contains(event->pos()))
            m_pressedOnTitle = true;
    } else if (m_windowState == StateNormal && event->button() == Qt::LeftButton) {
        m_dragOffset = event->pos();
        m_dragging = true;
    }
    QWidget::mousePressEvent(event);
}

void MainView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedOnTitle) {
        // Dragging a maximized window: restore it under the cursor at the
        // same relative x.
        m_pressedOnTitle = false;
        const QPoint global = event->globalPos();
        const int x = event->pos().x();
        const int oldWidth = qMax(1, width());
        changeWindowState(StateNormal);
        const int newWidth = width();
        int offset = newWidth * x / oldWidth;
        if (offset < 25)
            offset += 25;
        else if (newWidth - offset < 160)
            offset -= 80;
        move(global.x() - offset - ShadowMargin, -ShadowMargin);
        m_dragOffset = mapFromGlobal(global);
        m_dragging = true;
        return;
    }
    if (m_dragging && !m_snapLock)
        move(snappedPosition(event->globalPos() - m_dragOffset));
    QWidget::mouseMoveEvent(event);
}

QPoint MainView::snappedPosition(const QPoint &target)
{
    QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return target;
    const QRect available = primary->availableGeometry();
    const QPoint current = pos();
    QPoint snapped = target;
    // The visible frame sits inside the 20-pixel shadow: the window goes
    // that far past the edge. A window already in the zone is not pulled
    // back, so it can be dragged away again.
    if (target.x() < SnapDistance && current.x() >= SnapDistance)
        snapped.setX(-ShadowMargin);
    else if (target.x() + width() > available.width() - SnapDistance
             && current.x() + width() <= available.width() - SnapDistance)
        snapped.setX(available.width() - width() + ShadowMargin);
    if (target.y() < SnapDistance && current.y() >= SnapDistance)
        snapped.setY(-ShadowMargin);
    else if (target.y() + height() > available.height() - SnapDistance
             && current.y() + height() <= available.height() - SnapDistance)
        snapped.setY(available.height() - height() + ShadowMargin);

    if (snapped != target) {
        // The cursor keeps its place on the window.
        QCursor::setPos(QCursor::pos() + (snapped - target));
        m_snapLock = true;
        m_snapTimer.start();
    }
    return snapped;
}

void MainView::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressedOnTitle = false;
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void MainView::loadWindowGeometry()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    const QSize size(m_baseWidth + 2 * ShadowMargin, m_baseHeight + 2 * ShadowMargin);
    QRect defaultRect(QPoint(0, 0), size);
    if (primary)
        defaultRect.moveCenter(primary->availableGeometry().center());

    auto settings = Application::createSettings();
    QRect rect = settings->value(QStringLiteral("mainview.geometry"), defaultRect).toRect();
    const int screenNumber
            = SettingsFile::toInt(settings->value(QStringLiteral("mainview.screen"), -1), -1);
    const QList<QScreen *> screens = QGuiApplication::screens();
    QScreen *screen = screenNumber >= 0 && screenNumber < screens.size() ? screens.at(screenNumber)
                                                                         : primary;
    if (screen) {
        const qreal ratio = qMax<qreal>(1, screen->devicePixelRatio());
        rect = QRect(int(rect.left() / ratio), int(rect.top() / ratio), int(rect.width() / ratio),
                     int(rect.height() / ratio));
        if (!screen->availableGeometry().contains(rect.topLeft()))
            rect = defaultRect;
    } else {
        rect = defaultRect;
    }

    switch (SettingsFile::toInt(settings->value(QStringLiteral("mainview.state"), 0))) {
    case StateNormal:
        m_normalGeometry = rect;
        changeWindowState(StateNormal);
        break;
    case StateMaximized:
        m_normalGeometry = defaultRect;
        changeWindowState(StateMaximized);
        break;
    case StateFullScreen:
        m_normalGeometry = defaultRect;
        changeWindowState(StateNormal);
        break;
    default:
        break;
    }
}

void MainView::storeWindowGeometry()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QScreen *screen = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
    const int number = screens.indexOf(screen);
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QRect current = geometry();
    const QRect stored(int(current.left() * ratio), int(current.top() * ratio),
                       int(current.width() * ratio), int(current.height() * ratio));
    auto settings = Application::createSettings();
    settings->setValue(QStringLiteral("mainview.geometry"), stored);
    settings->setValue(QStringLiteral("mainview.state"), m_windowState);
    settings->setValue(QStringLiteral("mainview.screen"), number);
}

// ---- update check ----

void MainView::runUpdateChecker()
{
    if (m_updateChecker)
        return;
    const bool enabled = Application::createSettings()
                                 ->value(QStringLiteral("auto_update_enabled"), true)
                                 .toBool();
    if (!enabled)
        return;
    m_updateChecker
            = new UpdateChecker(Application::productId(), Application::readRegistryVersion(), this);
    m_updateChecker->setCheckUrl(m_parts.updateCheckUrl);
    connect(m_updateChecker, &UpdateChecker::newVersionAvalible, this, &MainView::onNewVersion,
            Qt::QueuedConnection);
    m_updateChecker->checkUpdates();
}

void MainView::onNewVersion(const QString &version)
{
    auto settings = Application::createSettings();
    const QString key = QStringLiteral("last_show_version");
    // Each version is announced once.
    if (settings->value(key, QStringLiteral("0.0")).toString() == version)
        return;
    settings->setValue(key, version);
    settings->sync();
    m_parts.showNewVersion(this, version, changelogUrl().toString(), downloadUrl().toString());
}
