#pragma once

#include "library/db/bookdto.h"
#include "pages/bookpropertiespanel.h"

#include <functional>

class BookModel;
class Button;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The page of the main window in which the user changes a book's title,
// author and description. setBookId() loads the book from the library;
// SAVE writes the fields the user changed, and only those (a reading
// position or favourite flag stored meanwhile is never written back), then
// repaints the book's row in the book model and asks to be closed.
// CANCEL, the close and back buttons and Escape close it without writing.
//
// A failed save keeps the typed values and says so. The texts of the book
// are shown as typed and stored, never as markup. GUI thread only.
class BookEditPropertiesView : public BookPropertiesPanel
{
    Q_OBJECT
public:
    // model: the book model whose row is refreshed after a save; not owned,
    // may be null.
    explicit BookEditPropertiesView(BookModel *model, QWidget *parent = nullptr);
    ~BookEditPropertiesView() override;

    void setBookId(int bookId) override;
    int bookId() const { return m_bookId; }

    // Tells the user that saving failed. Standard: a MessageView. Tests
    // stand in for it.
    void setShowMessage(
            std::function<void(QWidget *parent, const QString &title, const QString &text)> show);

    QLineEdit *titleEdit() const { return m_title; }
    QLineEdit *authorEdit() const { return m_author; }
    QPlainTextEdit *descriptionEdit() const { return m_description; }
    QLabel *headerLabel() const { return m_header; }

public slots:
    // Writes the changed fields; true when the library holds them (also when
    // nothing changed).
    bool save();
    void cancel();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(BookEditPropertiesView)

    void buildUi();
    void retranslate();
    void loadBook();

    BookModel *m_model = nullptr;
    int m_bookId = -1;
    // The book as loaded: what the fields are compared with on save.
    BookDto m_book;
    QString m_storedDescription;
    std::function<void(QWidget *, const QString &, const QString &)> m_showMessage;

    Button *m_buttonClose = nullptr;
    Button *m_buttonBack = nullptr;
    QLabel *m_header = nullptr;
    QLabel *m_captionTitle = nullptr;
    QLabel *m_captionAuthor = nullptr;
    QLabel *m_captionDescription = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_author = nullptr;
    QPlainTextEdit *m_description = nullptr;
    QPushButton *m_buttonSave = nullptr;
    QPushButton *m_buttonCancel = nullptr;
};
