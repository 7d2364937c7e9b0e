#pragma once

#include <QLabel>

// The message the library's book views (the table and the shelf) show over
// their rows when a search finds nothing: centred, wrapped, hidden until
// shown, styled by the object name "labelEmptySearch". The view keeps it
// over its viewport.
class EmptySearchLabel : public QLabel
{
    Q_OBJECT
public:
    explicit EmptySearchLabel(QWidget *view);

    // Sets the text, shows the label and raises it over the rows.
    void showMessage(const QString &text);
};
