#pragma once

#include <QFrame>
#include <QString>

// A panel of the reading view that slides in from the right over the page:
// contents and bookmarks, notes, in-book search. Each derives from this and
// emits the signals that apply to it.
class SidePanel : public QFrame
{
    Q_OBJECT
public:
    explicit SidePanel(QWidget *parent = nullptr);
    ~SidePanel() override;

    // Fills the panel from the open book (bookmarks and contents, or notes)
    // right before it slides in, and when a new book is being read.
    virtual void loadFromOpenBook() { }
    // Returns a filter (the notes' colour filter) to showing everything.
    virtual void resetFilters() { }
    // Focuses the panel's filter edit and selects its text.
    virtual void selectFilterText() { }

signals:
    void hideWindow();
    void navigateToPosition(int position);
    void navigateToPositionPath(const QString &position);
    void navigateToPage(int page);

private:
    Q_DISABLE_COPY_MOVE(SidePanel)
};
