#pragma once

#include <QTreeView>

// The contents tree of the contents panel: the title column takes the
// width, the page column stays 54 pixels. Takes no keyboard focus.
class TocTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit TocTreeView(QWidget *parent = nullptr);

    // Sets the column widths to the view's width.
    void fitColumns();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // A scroll bar that comes or goes narrows or widens the viewport.
    bool viewportEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(TocTreeView)
};
