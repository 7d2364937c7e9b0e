#pragma once

#include <QFrame>
#include <QPointer>

class PageNavigationSlider;
class PageNavigationTooltip;
class QPushButton;

// The strip under a reflowable book's page: the page slider, the bubble
// that previews the page under the mouse, and the "Back to page" button that
// returns the reader to the page they jumped away from. The text viewer sets
// the range, the button text and the bubble's colours and texts, and listens
// to the slider.
class PageNavigationPanel : public QFrame
{
    Q_OBJECT
public:
    explicit PageNavigationPanel(QWidget *parent = nullptr);

    // The slider's range: the first and the last page.
    void setPageCount(int first, int last);
    // A page of 0 or less empties the button's text.
    void setBackToPageVisible(int page);

    PageNavigationSlider *slider() const { return m_slider; }
    QPushButton *backButton() const { return m_backButton; }
    // Made on the first call, as a child of the panel's parent so that it
    // floats over the page.
    PageNavigationTooltip *tooltip();
    bool hasTooltip() const { return !m_tooltip.isNull(); }

private:
    Q_DISABLE_COPY_MOVE(PageNavigationPanel)

    QPointer<PageNavigationTooltip> m_tooltip;
    PageNavigationSlider *m_slider = nullptr;
    QPushButton *m_backButton = nullptr;
};
