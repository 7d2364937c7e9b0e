#pragma once

#include <QHeaderView>

// The book table's header: only the text columns (title, author, progress,
// format, date, notes) sort on a click. A press on an icon column hides the
// sort arrow and leaves the order alone; the sections are clickable only
// between a press on a text column and its release.
class BooktableHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit BooktableHeader(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(BooktableHeader)
};
