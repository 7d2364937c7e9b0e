#pragma once

#include <QTableView>

// The one-column results table of the search panel: whole rows, one at a
// time, rows as high as their text, no grid, no keyboard focus.
class SearchTable : public QTableView
{
    Q_OBJECT
public:
    explicit SearchTable(QWidget *parent = nullptr);

private:
    Q_DISABLE_COPY_MOVE(SearchTable)
};
