#pragma once

#include <QFrame>

// What the main window needs of the book properties editor, a side panel
// that slides in when the library asks to edit a book.
class BookPropertiesPanel : public QFrame
{
    Q_OBJECT
public:
    explicit BookPropertiesPanel(QWidget *parent = nullptr);
    ~BookPropertiesPanel() override;

    // Stores the id and reloads the fields from the library.
    virtual void setBookId(int bookId) = 0;

signals:
    // The editor wants to close; carries itself.
    void onHideWindow(QWidget *panel);

private:
    Q_DISABLE_COPY_MOVE(BookPropertiesPanel)
};
