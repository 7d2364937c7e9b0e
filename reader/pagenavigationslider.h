#pragma once

#include <QSlider>

class PageNavigationPanel;

// The page slider under a reflowable book's page. Moving the mouse over it
// previews the page under the mouse in the panel's bubble; with the button
// held it also moves the handle, and pressing beside the handle jumps to the
// previewed page. Keys do nothing, so the arrow keys keep turning pages in
// the view.
class PageNavigationSlider : public QSlider
{
    Q_OBJECT
public:
    PageNavigationSlider(Qt::Orientation orientation, PageNavigationPanel *panel,
                         QWidget *parent = nullptr);

    // The slider value under the mouse at the last move or press.
    int previewValue() const { return m_previewValue; }

signals:
    void navigateToPreviewedPage();
    // value: the previewed value; mousePos: the mouse's global x.
    void previewSlider(int value, int mousePos);
    void previewDone();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(PageNavigationSlider)

    void placeTooltip(int globalX);

    int m_previewValue = 0;
    PageNavigationPanel *m_panel = nullptr;
    bool m_pressed = false;
};
