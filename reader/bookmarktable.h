#pragma once

#include <QTableView>

class BookmarkTableDelegate;

// The bookmark table of the contents panel: title, page (86 pixels) and a
// trash column (35 pixels) that the panel answers with a removal. Whole
// rows are selected, one at a time; the table takes no keyboard focus.
class BookmarkTable : public QTableView
{
    Q_OBJECT
public:
    explicit BookmarkTable(QWidget *parent = nullptr);

    // Sets the model and fixes the three column widths.
    void setModel(QAbstractItemModel *model) override;
    // The title column takes the width left by the other two.
    void fitColumns();
    BookmarkTableDelegate *trashDelegate() const { return m_delegate; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // A scroll bar that comes or goes narrows or widens the viewport.
    bool viewportEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(BookmarkTable)

    BookmarkTableDelegate *m_delegate = nullptr;
};
