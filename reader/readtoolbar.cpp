#include "reader/readtoolbar.h"

#include "core/settings.h"
#include "reader/bookoperations.h"
#include "reader/tooltippushbutton.h"

#include <QEvent>
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

using Tool = ReadToolBar::Tool;

// How long a tooltip stays up.
constexpr int TooltipDuration = 5000;
constexpr int SmallSide = 16;
constexpr int BigSide = 30;

// The style-sheet name of each button but the view and profile buttons,
// which carry a third word; %1 is the theme, %2 the size.
const char *const StyleNames[ReadToolBar::ToolCount] = {
    "buttonFullScreen_%1_%2",
    "buttonContent_%1_%2",
    "buttonBookmark_%1_%2",
    "buttonNotes_%1_%2",
    "buttonIncreaseFont_%1_%2",
    "buttonDecreaseFont_%1_%2",
    "buttonIncreaseSpacing_%1_%2",
    "buttonDecreaseSpacing_%1_%2",
    nullptr,
    nullptr,
    "buttonSearch_%1_%2",
    "buttonZoomIn_%1_%2",
    "buttonZoomOut_%1_%2",
    "buttonFitSize_%1_%2",
    "buttonOriginal_%1_%2",
};

} // namespace

ReadToolBar::ReadToolBar(QWidget *parent)
    : QFrame(parent)
{
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        auto *button = new TooltipPushButton(this);
        button->setToolTipDuration(TooltipDuration);
        button->setFocusPolicy(Qt::NoFocus);
        box->addWidget(button, 0, Qt::AlignHCenter);
        m_buttons[i] = button;
    }
    box->addStretch(1);
    button(Tool::Search)->hide();
    button(Tool::ZoomIn)->hide();

    updateStyle();

    BookOperations *hub = BookOperations::instance();
    auto clicked = [this](Tool tool) { return button(tool); };
    connect(clicked(Tool::FullScreen), &QPushButton::clicked, this, &ReadToolBar::buttonFullScreen);
    connect(clicked(Tool::Contents), &QPushButton::clicked, this, &ReadToolBar::buttonShowContents);
    connect(clicked(Tool::Bookmark), &QPushButton::clicked, this, &ReadToolBar::buttonAddBookmark);
    connect(clicked(Tool::Notes), &QPushButton::clicked, this, &ReadToolBar::buttonShowNotes);
    connect(clicked(Tool::IncreaseFont), &QPushButton::clicked, this,
            &ReadToolBar::buttonIncreaseFont);
    connect(clicked(Tool::IncreaseFont), &QPushButton::clicked, hub, &BookOperations::increaseFont);
    connect(clicked(Tool::DecreaseFont), &QPushButton::clicked, this,
            &ReadToolBar::buttonDescreaseFont);
    connect(clicked(Tool::DecreaseFont), &QPushButton::clicked, hub, &BookOperations::decreaseFont);
    connect(clicked(Tool::IncreaseSpacing), &QPushButton::clicked, hub,
            &BookOperations::increaseLineSpacing);
    connect(clicked(Tool::DecreaseSpacing), &QPushButton::clicked, hub,
            &BookOperations::decreaseLineSpacing);
    connect(clicked(Tool::SwitchView), &QPushButton::clicked, this,
            &ReadToolBar::onSwitchColumnCount);
    connect(clicked(Tool::SwitchView), &QPushButton::clicked, hub,
            &BookOperations::toggleColumnCount);
    connect(clicked(Tool::SwitchProfile), &QPushButton::clicked, this,
            &ReadToolBar::buttonNextProfile);
    connect(clicked(Tool::Search), &QPushButton::clicked, this, &ReadToolBar::search);
    connect(clicked(Tool::ZoomIn), &QPushButton::clicked, this, &ReadToolBar::zoomIn);
    connect(clicked(Tool::ZoomOut), &QPushButton::clicked, this, &ReadToolBar::zoomOut);
    connect(clicked(Tool::FitSize), &QPushButton::clicked, this, &ReadToolBar::fitSize);
    connect(clicked(Tool::Original), &QPushButton::clicked, this, &ReadToolBar::original);

    retranslateUi();
    setMouseTracking(true);
}

ReadToolBar::~ReadToolBar() = default;

void ReadToolBar::retranslateUi()
{
    button(Tool::FullScreen)->setToolTip(tr("Switch fullscreen mode"));
    button(Tool::Contents)->setToolTip(tr("Show table of contents"));
    button(Tool::Bookmark)->setToolTip(tr("Show bookmarks"));
    button(Tool::Notes)->setToolTip(tr("Show notes"));
    button(Tool::IncreaseFont)->setToolTip(tr("Increase font size by one step"));
    button(Tool::DecreaseFont)->setToolTip(tr("Decrease font size by one step"));
    button(Tool::IncreaseSpacing)->setToolTip(tr("Increase line spacing by one step"));
    button(Tool::DecreaseSpacing)->setToolTip(tr("Decrease line spacing by one step"));
    button(Tool::SwitchView)->setToolTip(tr("Switch view mode"));
    button(Tool::SwitchProfile)->setToolTip(tr("Switch profile"));
    button(Tool::Search)->setToolTip(tr("Search"));
    button(Tool::ZoomIn)->setToolTip(tr("Zoom in"));
    button(Tool::ZoomOut)->setToolTip(tr("Zoom out"));
    button(Tool::FitSize)->setToolTip(tr("Fit to page"));
    button(Tool::Original)->setToolTip(tr("Show original size"));
}

void ReadToolBar::styleButton(Tool tool, const QString &name, int side)
{
    TooltipPushButton *target = button(tool);
    QStyle *style = target->style();
    style->unpolish(target);
    target->setObjectName(name);
    style->polish(target);
    target->setFixedSize(side, side);
    target->setIconSize(QSize(side, side));
}

void ReadToolBar::updateStyle()
{
    const int profile = Settings::instance()->values().currentProfile;
    // The night profile's dark work ground takes the day signs too.
    const QString theme
            = profile == ViewerSettings::DayProfile || profile == ViewerSettings::NightProfile
            ? QStringLiteral("day")
            : QStringLiteral("sepia");
    const QString size = m_fullScreen ? QStringLiteral("big") : QStringLiteral("small");
    const QString view = m_viewMode == 1 ? QStringLiteral("table") : QStringLiteral("column");
    const int side = m_fullScreen ? BigSide : SmallSide;

    for (int i = 0; i < ToolCount; ++i) {
        const Tool tool = Tool(i);
        if (tool == Tool::Search)
            continue;
        QString name;
        if (tool == Tool::SwitchView) {
            name = QStringLiteral("buttonSwitchView_%1_%2_%3").arg(view, theme, size);
        } else if (tool == Tool::SwitchProfile) {
            name = QStringLiteral("buttonSwitchPartDay_%1_%2_%3")
                           .arg(theme, QStringLiteral("day"), size);
        } else {
            name = QString::fromLatin1(StyleNames[i]).arg(theme, size);
        }
        styleButton(tool, name, side);
    }

    // Searching has a line of its own in the window; only full screen,
    // which hides that line, needs the button.
    if (m_fullScreen) {
        styleButton(Tool::Search,
                    QString::fromLatin1(StyleNames[int(Tool::Search)]).arg(theme, size), side);
        button(Tool::Search)->show();
    } else {
        button(Tool::Search)->hide();
    }
}

void ReadToolBar::setViewMode(int columnCount)
{
    m_viewMode = columnCount;
    updateStyle();
}

void ReadToolBar::setFullScreenState(bool fullScreen)
{
    m_fullScreen = fullScreen;
    updateStyle();
}

void ReadToolBar::hideFullScreenButton(bool hide)
{
    button(Tool::FullScreen)->setVisible(!hide);
}

void ReadToolBar::hideContentsButton(bool hide)
{
    button(Tool::Contents)->setVisible(!hide);
}

void ReadToolBar::hideBookmarkButton(bool hide)
{
    button(Tool::Bookmark)->setVisible(!hide);
}

void ReadToolBar::hideIncreaseFontButton(bool hide)
{
    button(Tool::IncreaseFont)->setVisible(!hide);
}

void ReadToolBar::hideDecreaseFontButton(bool hide)
{
    button(Tool::DecreaseFont)->setVisible(!hide);
}

void ReadToolBar::hideIncreaseSpacingButton(bool hide)
{
    button(Tool::IncreaseSpacing)->setVisible(!hide);
}

void ReadToolBar::hideDecreaseSpacingButton(bool hide)
{
    button(Tool::DecreaseSpacing)->setVisible(!hide);
}

void ReadToolBar::hideSwitchViewButton(bool hide)
{
    button(Tool::SwitchView)->setVisible(!hide);
}

void ReadToolBar::hideProfileButton(bool hide)
{
    button(Tool::SwitchProfile)->setVisible(!hide);
}

void ReadToolBar::hideSearchButton(bool hide)
{
    button(Tool::Search)->setVisible(!hide);
}

void ReadToolBar::hideZoomInButton(bool hide)
{
    button(Tool::ZoomIn)->setVisible(!hide);
}

void ReadToolBar::hideZoomOutButton(bool hide)
{
    button(Tool::ZoomOut)->setVisible(!hide);
}

void ReadToolBar::hideFitSizeButton(bool hide)
{
    button(Tool::FitSize)->setVisible(!hide);
}

void ReadToolBar::hideOriginalButton(bool hide)
{
    button(Tool::Original)->setVisible(!hide);
}

void ReadToolBar::buttonFullScreen()
{
    emit fullScreen();
}

void ReadToolBar::onSwitchColumnCount()
{
    emit switchColumnCount();
}

void ReadToolBar::buttonAddBookmark()
{
    emit addBookmark();
}

void ReadToolBar::buttonShowContents()
{
    emit showContents();
}

void ReadToolBar::buttonShowNotes()
{
    emit showNotes();
}

void ReadToolBar::buttonIncreaseFont()
{
    emit increaseFont();
}

void ReadToolBar::buttonDescreaseFont()
{
    emit decreaseFont();
}

void ReadToolBar::buttonNextProfile()
{
    emit nextProfile();
}

bool ReadToolBar::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QFrame::event(event);
}

void ReadToolBar::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QFrame::changeEvent(event);
}
