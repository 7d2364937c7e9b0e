#pragma once

#include <QFileInfoList>
#include <QFrame>

// What the main window needs of the library screen, page 1 of its stack.
// The library screen derives from this; the window creates it through
// MainViewParts and talks to it only through these members.
//
// The screen asks the window to enable or disable its add buttons by
// calling the window's slot "onAddOperationStateChange(bool)" on its top
// level widget (QMetaObject::invokeMethod on window()), so it needs no link
// to the window's library.
class LibraryPage : public QFrame
{
    Q_OBJECT
public:
    explicit LibraryPage(QWidget *parent = nullptr);
    ~LibraryPage() override;

signals:
    // The user wants to read this book.
    void bookOpen(const int bookId);
    // The user wants to edit this book's properties.
    void bookEdit(int bookId);
    // The user wants the notes panel.
    void requestNotes();
    // An add operation finished (successfully or not).
    void addComplete();

public slots:
    // Re-selects the category the user chose last.
    virtual void readSettings() = 0;
    // Starts adding these files and folders on a worker thread with its
    // progress dialog. openLastAddedBook asks the screen to open the last
    // book it added once the operation is done.
    virtual void onAddFiles(const QFileInfoList &files, bool showCompleteMessage = true,
                            bool openLastAddedBook = false)
            = 0;
    // Asks for a folder and adds the books in it.
    virtual void onAddDir() = 0;
    // Enables or disables the screen's own add, import and export controls.
    virtual void onAddOperationStateChange(bool enabled) = 0;
    // Shows only the books that match the text.
    virtual void filterBooks(const QString &text) = 0;
    // Clicks the category button the screen remembers.
    virtual void activateCategoryButton() = 0;

private:
    Q_DISABLE_COPY_MOVE(LibraryPage)
};
