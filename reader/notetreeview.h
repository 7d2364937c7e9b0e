#pragma once

#include <QTreeView>

// The notes tree of the notes panel with its fixed column layout: the
// noted text and the comment share the width six to four, the colour,
// page, date and icon columns keep theirs. Sorting is on; the colour
// column shows no sort indicator, since the notes do not sort by colour.
class NoteTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit NoteTreeView(QWidget *parent = nullptr);

    // Sets the column widths to the view's width.
    void fitColumns();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // A scroll bar that comes or goes narrows or widens the viewport.
    bool viewportEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(NoteTreeView)

    void onSectionClicked(int section);
};
