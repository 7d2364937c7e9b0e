#pragma once

#include <QModelIndexList>
#include <QPersistentModelIndex>
#include <QString>

#include <functional>

class BookMenu;
class BookModel;
class BookShelf;
class FolderModel;
class QAbstractItemModel;
class QWidget;

// What the library screen is built from and how it reaches beyond itself.
//
// The two models are the application's: the screen uses them and never
// deletes them. The pages and dialogs that other parts of the program
// provide come in through the create functions; the functions that show a
// modal box or dialog let tests stand in for them, so nothing modal is left
// waiting. Any member left empty takes its standard value (completed()).
struct LibraryViewParts
{
    // Not owned; must outlive the screen. Null: the screen makes one of its
    // own (tests, tools).
    BookModel *bookModel = nullptr;
    FolderModel *folderModel = nullptr;

    // The bookshelf page over the screen's sorted model. Standard: a
    // BookListView.
    std::function<BookShelf *(QAbstractItemModel *model, QWidget *parent)> createShelf;
    // The book context menu for the selected indexes. Standard: a
    // BookContextMenu with folderModel's categories.
    std::function<BookMenu *(const QModelIndexList &indexes, QWidget *parent)> createBookMenu;
    // Runs a book's properties dialog modally; true when the user asked to
    // edit the book from it. Standard: a BookPropertiesView.
    std::function<bool(const QPersistentModelIndex &index, QWidget *parent)> showProperties;

    // Asks before a destructive action; true only when the box's OK button
    // closed it. cancelIsDefault makes Enter cancel. Standard: a
    // MessageView with OK and an added "CANCEL" button.
    std::function<bool(QWidget *parent, const QString &title, const QString &text,
                       bool cancelIsDefault)>
            confirm;
    // A modal box with one OK button. Standard: a MessageView.
    std::function<void(QWidget *parent, const QString &title, const QString &text)> showMessage;
    // The folder dialog of "add folder"; empty when cancelled.
    std::function<QString(QWidget *parent, const QString &caption, const QString &folder)>
            getExistingDirectory;
    // The file dialogs of export and import; empty when cancelled.
    std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>
            getSaveFileName;
    std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>
            getOpenFileName;
    // A modal box with one OK button; true only when OK closed it.
    // Standard: a MessageView.
    std::function<bool(QWidget *parent, const QString &title, const QString &text)> showMessageOk;
    // Shows a file in the desktop's file manager. Standard: Shell.
    std::function<void(const QString &filePath)> showInFileManager;

    // This set with every empty function taken from the standard set.
    LibraryViewParts completed() const;
};
