#pragma once

#include <QFrame>

#include <array>

class TooltipPushButton;

// The narrow strip of icon buttons on the right of the reading frame: full
// screen, contents, bookmark, notes, font size, line spacing, view mode,
// colour profile, search and the zoom commands of page-image books. A click
// emits one of the tool bar's own signals (the reading frame and the
// reading controller listen), a signal of the operations hub, or both (the
// tool bar's first).
//
// Every button is styled by an object name built from the colour theme of
// the current profile ("day" or "sepia"), the size ("small", or "big" in
// full screen) and, for the view button, the view mode; see updateStyle().
class ReadToolBar : public QFrame
{
    Q_OBJECT
public:
    // In layout order from the top.
    enum class Tool {
        FullScreen,
        Contents,
        Bookmark,
        Notes,
        IncreaseFont,
        DecreaseFont,
        IncreaseSpacing,
        DecreaseSpacing,
        SwitchView,
        SwitchProfile,
        Search,
        ZoomIn,
        ZoomOut,
        FitSize,
        Original,
    };
    static constexpr int ToolCount = int(Tool::Original) + 1;

    explicit ReadToolBar(QWidget *parent = nullptr);
    ~ReadToolBar() override;

    TooltipPushButton *button(Tool tool) const { return m_buttons[size_t(tool)]; }
    int viewMode() const { return m_viewMode; }
    bool isFullScreenState() const { return m_fullScreen; }

    // The column count the frame reports; 1 selects the "table" icon.
    void setViewMode(int columnCount);
    void setFullScreenState(bool fullScreen);

    // True makes the button invisible, false visible.
    void hideFullScreenButton(bool hide);
    void hideContentsButton(bool hide);
    void hideBookmarkButton(bool hide);
    void hideIncreaseFontButton(bool hide);
    void hideDecreaseFontButton(bool hide);
    void hideIncreaseSpacingButton(bool hide);
    void hideDecreaseSpacingButton(bool hide);
    void hideSwitchViewButton(bool hide);
    void hideProfileButton(bool hide);
    void hideSearchButton(bool hide);
    void hideZoomInButton(bool hide);
    void hideZoomOutButton(bool hide);
    void hideFitSizeButton(bool hide);
    void hideOriginalButton(bool hide);

    // Gives every button its object name for the current profile, view
    // mode and size, and its size: 30 x 30 in full screen, else 16 x 16.
    void updateStyle();
    void retranslateUi();

signals:
    void fullScreen();
    void switchColumnCount();
    void addBookmark();
    void showContents();
    void showNotes();
    void increaseFont();
    void decreaseFont();
    void nextProfile();
    // For listeners; the tool bar itself does not emit it.
    void mouseMoving();
    void search();
    void zoomIn();
    void zoomOut();
    void fitSize();
    void original();

public slots:
    void buttonFullScreen();
    void onSwitchColumnCount();
    void buttonAddBookmark();
    void buttonShowContents();
    void buttonShowNotes();
    void buttonIncreaseFont();
    void buttonDescreaseFont();
    void buttonNextProfile();

protected:
    // Swallows the system's delayed tooltip: the buttons show theirs at
    // once.
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(ReadToolBar)

    void styleButton(Tool tool, const QString &name, int side);

    std::array<TooltipPushButton *, ToolCount> m_buttons {};
    bool m_fullScreen = false;
    int m_viewMode = 0;
};
