#include "reader/textviewerinput.h"

#include "core/settings.h"
#include "library/db/bookformat.h"
#include "reader/bookoperations.h"
#include "reader/custommenuitemaction.h"
#include "reader/note.h"
#include "reader/pagenavigationpanel.h"
#include "reader/pagenavigationslider.h"
#include "reader/pagenavigationtooltip.h"
#include "reader/textviewer.h"
#include "reader/textviewercontextmenu.h"
#include "widgets/button.h"
#include "widgets/customswipegesturerecognizer.h"
#include "widgets/messageview.h"

#ifdef VL_HAVE_FB2
#include "formats/fb2/fbdocument.h"
#endif

#include <QClipboard>
#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGestureEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QRegularExpression>
#include <QShortcut>
#include <QSwipeGesture>
#include <QTextCodec>
#include <QWebFrame>
#include <QWheelEvent>

namespace {

// Long enough to tell a click from the first half of a double click on a
// page, short enough that turning a page feels immediate.
constexpr int ClickDelay = 100;
// The bottom strip that calls up the page navigation bar, and the bar's
// own height.
constexpr int PanelTrigger = 18;
constexpr int PanelHeight = 40;
// Turns kept while a file loads: a burst of key presses or wheel notches,
// not a runaway.
constexpr int MaxQueuedTurns = 8;

// Encodings offered for plain-text books, in menu order.
const char *const EncodingNames[] = {
    "UTF-8",        "UTF-16",       "ISO-8859-1", "Windows-1251", "KOI8-R",       "Shift JIS",
    "Windows-1252", "EUC-KR",       "EUC-JP",     "GBK",          "ISO-8859-2",   "Windows-1250",
    "ISO-8859-15",  "Windows-1256", "ISO-8859-9", "Big5",         "Windows-1254",
};
const QString EntrySeparator = QStringLiteral(" / ");

QString viewerText(const char *text)
{
    // The viewer shows these; they are translated as its own.
    return QCoreApplication::translate("TextViewer", text);
}

QString encoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

bool askToOpenLink(const QUrl &, QWidget *parent)
{
    MessageView box(viewerText("Open external link"),
                    viewerText("Open this link in external browser?"), parent);
    auto *cancel = new Button;
    cancel->setObjectName(QStringLiteral("buttonCancel"));
    cancel->setText(viewerText("CANCEL"));
    cancel->setFixedHeight(42);
    cancel->setMinimumWidth(100);
    cancel->setDefault(true);
    box.addButton(cancel, QDialogButtonBox::RejectRole);
    box.exec();
    return box.clickedRole() == QDialogButtonBox::AcceptRole;
}

} // namespace

TextViewerInput::TextViewerInput(TextViewer *viewer)
    : QObject(viewer)
    , m_viewer(viewer)
    , m_urlOpener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
    , m_linkConfirmation(askToOpenLink)
    , m_menuRunner([](QMenu *menu, const QPoint &globalPos) { return menu->exec(globalPos); })
{
    viewer->installEventFilter(this);
    // One finger turns pages on a touch screen, as it does in every reader.
    CustomSwipeGestureRecognizer::registerOnce();
    viewer->grabGesture(Qt::SwipeGesture);

    m_clickTimer.setSingleShot(true);
    connect(&m_clickTimer, &QTimer::timeout, this, &TextViewerInput::onClickTimer);

    const struct
    {
        QKeySequence keys;
        void (TextViewerInput::*slot)();
    } shortcuts[] = {
        { QKeySequence(Qt::Key_Space), &TextViewerInput::next },
        { QKeySequence(Qt::Key_Right), &TextViewerInput::next },
        { QKeySequence(Qt::Key_PageDown), &TextViewerInput::next },
        { QKeySequence(Qt::Key_Backspace), &TextViewerInput::previous },
        { QKeySequence(Qt::Key_Left), &TextViewerInput::previous },
        { QKeySequence(Qt::Key_PageUp), &TextViewerInput::previous },
        { QKeySequence(Qt::Key_Home), &TextViewerInput::moveToHome },
        { QKeySequence(Qt::Key_End), &TextViewerInput::moveToEnd },
    };
    for (const auto &entry : shortcuts) {
        auto *shortcut = new QShortcut(entry.keys, viewer);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, entry.slot);
    }

    connect(viewer, &QWebView::selectionChanged, this, &TextViewerInput::onSelectionChanged);
    connect(viewer->page(), &QWebPage::linkHovered, this, &TextViewerInput::onLinkHovered);
    connect(viewer, &QWebView::linkClicked, this, &TextViewerInput::onLinkClicked);
    connect(BookOperations::instance(), &BookOperations::backPressed, this,
            &TextViewerInput::onBackPressed);
    connect(viewer, &TextViewer::loadFinished, this, &TextViewerInput::onFileLoaded);
}

TextViewerInput::~TextViewerInput() = default;

TextViewerInput *TextViewerInput::of(TextViewer *viewer)
{
    return viewer ? viewer->findChild<TextViewerInput *>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

TextViewer *TextViewerInput::viewer() const
{
    return m_viewer;
}

void TextViewerInput::setUrlOpener(UrlOpener opener)
{
    m_urlOpener = std::move(opener);
}

void TextViewerInput::setLinkConfirmation(LinkConfirmation confirmation)
{
    m_linkConfirmation = std::move(confirmation);
}

void TextViewerInput::setMenuRunner(MenuRunner runner)
{
    m_menuRunner = std::move(runner);
}

// ---- page turning ----

bool TextViewerInput::canTurnPages() const
{
    // Before the first file is laid out there is no page to turn from.
    return m_viewer && m_viewer->isBookOpen() && m_viewer->isLayoutReady()
            && !m_viewer->chapterFiles().isEmpty();
}

void TextViewerInput::turnWithinFile(bool forward)
{
    TextViewer *viewer = m_viewer;
    viewer->fadeOut(false);
    viewer->setCurrentPage(viewer->currentPage() + (forward ? 1 : -1));
    viewer->runScript(QStringLiteral("%1(%2);")
                              .arg(forward ? QLatin1String("next") : QLatin1String("prev"))
                              .arg(viewer->width()));
    viewer->updatePageRange();
    // The viewer's own signals: the page it shows has changed.
    emit viewer->pageChanged();
    emit viewer->pageNavigation();
    viewer->fadeIn(false);
}

bool TextViewerInput::queueWhileLoading(int step)
{
    if (!m_viewer->isLoadingFile())
        return false;
    // Until the new file is there the page counts are the old file's: a turn
    // taken now would skip the new file. It waits for the load instead.
    m_queuedTurns = qBound(-MaxQueuedTurns, m_queuedTurns + step, MaxQueuedTurns);
    return true;
}

void TextViewerInput::onFileLoaded()
{
    while (m_queuedTurns != 0 && m_viewer && !m_viewer->isLoadingFile()) {
        const bool forward = m_queuedTurns > 0;
        m_queuedTurns += forward ? -1 : 1;
        if (forward)
            next();
        else
            previous();
    }
}

void TextViewerInput::next()
{
    if (!canTurnPages() || queueWhileLoading(1))
        return;
    TextViewer *viewer = m_viewer;
    if (viewer->currentPage() < viewer->pageCount()) {
        turnWithinFile(true);
        return;
    }
    const int file = viewer->neighbourFile(1);
    if (file < 0)
        return;
    viewer->fadeOut(false);
    viewer->navigateToUrl(viewer->chapterFiles().at(file) + QStringLiteral("#content"), false);
    viewer->fadeIn(false);
}

void TextViewerInput::previous()
{
    if (!canTurnPages() || queueWhileLoading(-1))
        return;
    TextViewer *viewer = m_viewer;
    if (viewer->currentPage() > 1) {
        turnWithinFile(false);
        return;
    }
    const int file = viewer->neighbourFile(-1);
    if (file < 0)
        return;
    // The end marker the page script puts after the file's text.
    viewer->fadeOut(false);
    viewer->navigateToUrl(viewer->chapterFiles().at(file) + QStringLiteral("#custom_epub"), false);
    viewer->fadeIn(false);
}

void TextViewerInput::moveToHome()
{
    if (!canTurnPages())
        return;
    m_queuedTurns = 0;
    m_viewer->fadeOut(false);
    m_viewer->navigateToUrl(m_viewer->chapterFiles().first() + QStringLiteral("#content"), false);
    m_viewer->fadeIn(false);
}

void TextViewerInput::moveToEnd()
{
    if (!canTurnPages())
        return;
    m_queuedTurns = 0;
    m_viewer->fadeOut(false);
    m_viewer->navigateToUrl(m_viewer->chapterFiles().last() + QStringLiteral("#custom_epub"),
                            false);
    m_viewer->fadeIn(false);
}

void TextViewerInput::onClickTimer()
{
    if (!m_viewer || m_linkHovered)
        return;
    if (m_skipNextClick) {
        m_skipNextClick = false;
        return;
    }
    const QRect leftZone(QPoint(0, 0), QPoint(m_viewer->width() / 2 - 1, m_viewer->height() - 1));
    if (leftZone.contains(m_pressPos))
        previous();
    else
        next();
}

// ---- events ----

bool TextViewerInput::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_viewer)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyPress(static_cast<QKeyEvent *>(event));
    case QEvent::MouseButtonPress:
        return mousePress(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        return mouseRelease(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonDblClick:
        return mouseDoubleClick();
    case QEvent::MouseMove:
        return mouseMove(static_cast<QMouseEvent *>(event));
    case QEvent::Wheel:
        return wheel(static_cast<QWheelEvent *>(event));
    case QEvent::Gesture:
        return gesture(static_cast<QGestureEvent *>(event));
    case QEvent::ContextMenu:
        return contextMenu(static_cast<QContextMenuEvent *>(event));
    default:
        return false;
    }
}

bool TextViewerInput::keyPress(QKeyEvent *event)
{
    const int modifiers = int(event->modifiers() & ~Qt::KeypadModifier);
    const QKeySequence keys(event->key() | modifiers);
    const auto is = [&keys](int key) { return keys == QKeySequence(key); };

    if (is(Qt::Key_Space) || is(Qt::Key_Right) || is(Qt::Key_PageDown) || is(Qt::Key_Down)) {
        next();
        event->ignore();
        return true;
    }
    if (is(Qt::Key_Backspace) || is(Qt::Key_Left) || is(Qt::Key_PageUp) || is(Qt::Key_Up)) {
        previous();
        return true;
    }
    // Copying goes through the context menu's entry, which knows what the
    // reader selected; the page itself copies nothing.
    if (is(Qt::Key_Home) || is(Qt::Key_End) || event->matches(QKeySequence::Copy)
        || is(Qt::CTRL + Qt::Key_Insert)) {
        return true;
    }
    return false;
}

bool TextViewerInput::mousePress(QMouseEvent *event)
{
    // A press anywhere in the page ends the note balloon's editing first.
    if (m_viewer->closeNoteTooltip(true))
        return true;
    if (event->button() == Qt::LeftButton && !m_linkHovered) {
        m_pressPos = event->pos();
        m_pressed = true;
    }
    if (event->button() == Qt::RightButton) {
        m_menuShownForClick = false;
        return true;
    }
    return false;
}

bool TextViewerInput::mouseRelease(QMouseEvent *event)
{
    if (m_pressed && event->pos() == m_pressPos) {
        m_clickTimer.start(ClickDelay);
        m_pressed = false;
    }
    m_noteAtCursor = noteAt(event->pos());
    if (!m_selectionActive) {
        if (m_noteAtCursor.isEmpty())
            return false;
        if (event->button() == Qt::LeftButton) {
            emit noteClicked(m_noteAtCursor, event->pos());
            m_skipNextClick = true;
            return true;
        }
        if (event->button() != Qt::RightButton)
            return false;
    }
    if (event->button() == Qt::RightButton)
        m_menuShownForClick = true;
    showSelectionMenu(event->globalPos());
    return true;
}

bool TextViewerInput::mouseDoubleClick()
{
    m_clickTimer.stop();
    emit m_viewer->mouseDoubleClick();
    return true;
}

bool TextViewerInput::mouseMove(QMouseEvent *event)
{
    TextViewer *viewer = m_viewer;
    PageNavigationPanel *panel = viewer->pageNavigationPanel();
    const int height = viewer->height();
    const int y = event->pos().y();

    if (y > height - PanelTrigger && viewer->bookPageCount() > 1) {
        const ViewerSettings settings = Settings::instance()->values();
        panel->setAutoFillBackground(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, settings.profile().backgroundColor);
        panel->setPalette(palette);
        if (!settings.useNaviSlider)
            return false;

        QColor fill;
        QColor border;
        QColor text;
        if (settings.currentProfile == ViewerSettings::NightProfile) {
            fill = QColor(QStringLiteral("#4d6884"));
            border = QColor(QStringLiteral("#2c4055"));
            text = QColor(QStringLiteral("#cac07c"));
        } else if (settings.currentProfile == ViewerSettings::DayProfile
                   || settings.currentProfile == ViewerSettings::SepiaProfile) {
            fill = QColor(QStringLiteral("#ffffff"));
            border = QColor(QStringLiteral("#ddbd9a"));
            text = QColor(Qt::black);
        } else {
            return false;
        }
        m_bottomPanelShown = true;
        emit viewer->requestBottomPanel(true);
        panel->slider()->setValue(viewer->absolutePage());
        panel->setBackToPageVisible(viewer->readingState().savedPage);
        panel->setGeometry(0, height - PanelHeight, viewer->width(), PanelHeight);
        panel->show();
        panel->raise();
        PageNavigationTooltip *tooltip = panel->tooltip();
        tooltip->setFillColor(fill);
        tooltip->setBorderColor(border);
        tooltip->setTextColor(text);
    } else if (m_bottomPanelShown && y < height - PanelHeight) {
        hideBottomPanel();
    }
    return false;
}

void TextViewerInput::hideBottomPanel()
{
    PageNavigationPanel *panel = m_viewer->pageNavigationPanel();
    if (panel->hasTooltip())
        panel->tooltip()->hide();
    panel->hide();
    panel->lower();
    m_bottomPanelShown = false;
    emit m_viewer->requestBottomPanel(false);
}

bool TextViewerInput::wheel(QWheelEvent *event)
{
    if (!m_viewer->isBookOpen())
        return false;
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    // A wheel event that moves nothing (the end of a touch-pad fling)
    // turns no page.
    if (delta > 0)
        previous();
    else if (delta < 0)
        next();
    return true;
}

bool TextViewerInput::gesture(QGestureEvent *event)
{
    if (auto *swipe = static_cast<QSwipeGesture *>(event->gesture(Qt::SwipeGesture))) {
        // One page per swipe, when the finger lifts.
        if (swipe->state() == Qt::GestureFinished) {
            if (swipe->horizontalDirection() == QSwipeGesture::Left)
                previous();
            else if (swipe->horizontalDirection() == QSwipeGesture::Right)
                next();
        }
    }
    event->accept();
    return true;
}

bool TextViewerInput::contextMenu(QContextMenuEvent *event)
{
    // The selection and note menu opens on the button's release; where the
    // system asks for a context menu on the press (or after the release
    // already answered) the request is that menu's.
    if (event->reason() == QContextMenuEvent::Mouse) {
        if (m_menuShownForClick) {
            m_menuShownForClick = false;
            return true;
        }
        if (m_selectionActive || !noteAt(event->pos()).isEmpty())
            return true;
    }
    const QString suffix = QFileInfo(m_viewer->bookPath()).suffix();
    const int textFormat = BookFormat::fromString(QStringLiteral("txt"));
    if (suffix.compare(QLatin1String("txt"), Qt::CaseInsensitive) != 0
        && m_viewer->book().format != textFormat) {
        return false;
    }
    showEncodingMenu(event->globalPos());
    return true;
}

// ---- menus ----

void TextViewerInput::showSelectionMenu(const QPoint &globalPos)
{
    m_selectionActive = false;
    const QString selection = m_viewer->selectedText().trimmed();
    const bool noteMode = !m_noteAtCursor.isEmpty() && selection.isEmpty();

    // No parent: the viewer may go away while the menu is open.
    TextViewerContextMenu menu(noteMode);
    connect(&menu, &TextViewerContextMenu::keySequencePressed, this,
            &TextViewerInput::onContextMenuAction);
    connect(menu.colorAction(), &CustomMenuItemAction::colorButtonClicked, this,
            &TextViewerInput::onContextMenuColorAction);
    const QPointer<TextViewerInput> alive(this);
    QAction *chosen = m_menuRunner(&menu, globalPos);
    if (!alive || !m_viewer)
        return;

    if (!chosen) {
        m_skipNextClick = true;
        return;
    }
    if (chosen == menu.googleAction())
        openExternal(webSearchUrl(selection));
    else if (chosen == menu.wikipediaAction())
        openExternal(encyclopediaSearchUrl(selection, interfaceLanguage()));
}

void TextViewerInput::showEncodingMenu(const QPoint &globalPos)
{
    QMenu menu;
    menu.setMinimumWidth(150);
    QMenu *encodings = menu.addMenu(viewerText("Encoding"));
    for (const QString &entry : encodingEntries())
        encodings->addAction(entry);
    const QPointer<TextViewerInput> alive(this);
    QAction *chosen = m_menuRunner(&menu, globalPos);
    if (!alive || !m_viewer || !chosen || !encodings->actions().contains(chosen))
        return;
    chooseEncoding(chosen->text());
}

void TextViewerInput::chooseEncoding(const QString &entry)
{
    const QString encoding = entry.section(EntrySeparator, 0, 0);
    if (encoding.isEmpty() || !m_viewer)
        return;
#ifdef VL_HAVE_FB2
    if (auto *document = qobject_cast<fb2::FbDocument *>(m_viewer->document()))
        document->setEncoding(encoding);
#endif
    m_viewer->setTextEncoding(encoding);
    m_viewer->openBook();
}

QStringList TextViewerInput::encodingEntries()
{
    QStringList entries;
    for (const char *listed : EncodingNames) {
        const QTextCodec *codec = QTextCodec::codecForName(listed);
        if (!codec)
            continue;
        const QString name = QString::fromLatin1(codec->name());
        const QString listedName = QString::fromLatin1(listed);
        entries.append(name.compare(listedName, Qt::CaseInsensitive) == 0
                               ? name
                               : name + EntrySeparator + listedName);
    }
    return entries;
}

// ---- menu answers ----

void TextViewerInput::onContextMenuAction(const QKeySequence &keys)
{
    if (!m_viewer)
        return;
    const QString selection = m_viewer->selectedText().trimmed();
    if (keys == QKeySequence(Qt::CTRL + Qt::Key_C)) {
        QGuiApplication::clipboard()->setText(selection);
    } else if (keys == QKeySequence(Qt::CTRL + Qt::Key_T)) {
        openExternal(translatorUrl(selection));
    } else if (keys == QKeySequence(Qt::CTRL + Qt::Key_N)) {
        if (!m_noteAtCursor.isEmpty())
            m_viewer->removeNote(m_noteAtCursor);
        else
            emit noteRequested(defaultNoteColor(), true);
    }
}

void TextViewerInput::onContextMenuColorAction(const QColor &color)
{
    if (m_noteAtCursor.isEmpty())
        emit noteRequested(color, false);
    else
        emit noteColorRequested(m_noteAtCursor, color);
}

void TextViewerInput::onSelectionChanged()
{
    if (m_viewer && !m_viewer->selectedText().trimmed().isEmpty())
        m_selectionActive = true;
}

// ---- links ----

void TextViewerInput::onLinkHovered(const QString &link, const QString &title,
                                    const QString &textContent)
{
    Q_UNUSED(title)
    Q_UNUSED(textContent)
    m_linkHovered = !link.isEmpty();
}

void TextViewerInput::onLinkClicked(const QUrl &url)
{
    if (!m_viewer)
        return;
    const QString folder = m_viewer->contentFolder();
    const QString path = url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
    // Only a file below the book's folder is the book's: a sibling folder
    // whose name merely starts the same is not.
    if (!folder.isEmpty() && path.size() > folder.size()
        && path.startsWith(folder, Qt::CaseInsensitive)
        && path.at(folder.size()) == QLatin1Char('/')) {
        QString target = path.mid(folder.size() + 1);
        if (url.hasFragment())
            target += QLatin1Char('#') + url.fragment();
        m_backPosition = m_viewer->readingPositionUrl(true);
        emit BookOperations::instance()->toggleBackContol(true);
        m_viewer->navigateToUrl(target, false);
        return;
    }
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("ftp")) {
        const QPointer<TextViewerInput> alive(this);
        if (m_linkConfirmation(url, m_viewer) && alive)
            openExternal(url);
    }
}

void TextViewerInput::onBackPressed()
{
    if (!m_viewer || m_backPosition.isEmpty())
        return;
    const QString file = QUrl(m_backPosition, QUrl::TolerantMode).path(QUrl::FullyDecoded);
    bool known = false;
    for (const QString &chapter : m_viewer->chapterFiles())
        known = known || chapter.compare(file, Qt::CaseInsensitive) == 0;
    if (!known)
        return;
    emit BookOperations::instance()->toggleBackContol(false);
    const QString position = m_backPosition;
    m_backPosition.clear();
    m_viewer->navigateToUrl(position, true);
}

void TextViewerInput::openExternal(const QUrl &url)
{
    m_urlOpener(url);
    if (m_viewer)
        emit m_viewer->requestExitFullScreen();
}

// ---- notes and addresses ----

QString TextViewerInput::noteAt(const QPoint &point)
{
    if (!m_viewer)
        return QString();
    const std::optional<Note> note = m_viewer->noteAtPoint(point.x(), point.y());
    return note ? note->id : QString();
}

QString TextViewerInput::interfaceLanguage()
{
    const QStringList languages = QLocale::system().uiLanguages();
    const QString language
            = languages.isEmpty() ? QString() : languages.first().section(QLatin1Char('-'), 0, 0);
    // The "C" locale names no language; a host label takes letters only.
    static const QRegularExpression letters(QStringLiteral("^[a-z]{2,3}$"));
    const QString lower = language.toLower();
    return letters.match(lower).hasMatch() ? lower : QStringLiteral("en");
}

QUrl TextViewerInput::webSearchUrl(const QString &text)
{
    QUrl url(QStringLiteral("https://www.google.com/search"));
    url.setQuery(QStringLiteral("q=") + encoded(text), QUrl::StrictMode);
    return url;
}

QUrl TextViewerInput::encyclopediaSearchUrl(const QString &text, const QString &language)
{
    QUrl url(QStringLiteral("https://%1.wikipedia.org/wiki/Special:Search").arg(language));
    url.setQuery(QStringLiteral("search=") + encoded(text), QUrl::StrictMode);
    return url;
}

QUrl TextViewerInput::translatorUrl(const QString &text)
{
    QUrl url(QStringLiteral("https://translate.google.com/"));
    url.setQuery(QStringLiteral("langpair=auto%7Cauto&text=") + encoded(text), QUrl::StrictMode);
    return url;
}
