#pragma once

#include "library/view/emptysearchlabel.h"

#include <QFileInfoList>
#include <QTableView>

class BookTableDelegate;
class BooktableHeader;

// The library's table of books: one 50-pixel row per book of the current
// category over BookSortFilterModel, painted by BookTableDelegate. Only the
// text columns sort (BooktableHeader). Files dropped from outside are
// reported as droppedFiles(); selected books are dragged out as book ids
// (the model's drag data) onto a category; the Delete key is reported as
// onDeleteKey(). A centred label over the rows tells that a search found
// nothing.
//
// The model must have BookModel's columns and roles. GUI thread only.
class BookTable : public QTableView
{
    Q_OBJECT
public:
    BookTable(QAbstractItemModel *model, QWidget *parent = nullptr);
    ~BookTable() override;

    void setFavoriteColumnHidden(bool hidden);
    void setRestoreColumnHidden(bool hidden);

    void showEmptySearch(const QString &text);
    void hideEmptySearch();

    QLabel *emptySearchLabel() const { return m_emptySearch; }
    BookTableDelegate *bookDelegate() const { return m_delegate; }
    BooktableHeader *bookHeader() const { return m_header; }

    // The drag image of the given rows: the cover of a single book whose
    // cover file exists, else the default cover; 192 pixels high.
    static QPixmap dragPixmap(const QModelIndexList &rows);

signals:
    void droppedFiles(QFileInfoList files);
    void onDeleteKey();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    Q_DISABLE_COPY_MOVE(BookTable)

    void updateColumnWidths();

    BookTableDelegate *m_delegate = nullptr;
    BooktableHeader *m_header = nullptr;
    EmptySearchLabel *m_emptySearch = nullptr;
};
