#pragma once

#include "widgets/framelessdialog.h"

#include <QPersistentModelIndex>

#include <functional>

class QLabel;
class QPushButton;
class QTextEdit;
class WindowBar;

// The properties of one book in a small frameless dialog: its cover, title,
// author, format, reading progress, last opening, folder and description,
// a button that shows the book file in the file manager and an "Edit"
// button. The library screen runs it modally from the book menu and, when
// Edit closed it (editRequested()), opens the book's editor.
//
// Everything is read through the model's roles of the index (BookModel or a
// proxy over it); the index is kept persistent while the dialog is open.
// Every text of the book is shown as plain text. GUI thread only.
class BookPropertiesView : public FramelessDialog
{
    Q_OBJECT
public:
    explicit BookPropertiesView(const QPersistentModelIndex &index, QWidget *parent = nullptr);
    ~BookPropertiesView() override;

    // Whether the Edit button closed the dialog.
    bool editRequested() const { return m_editRequested; }

    // Shows the book file in the desktop's file manager. Standard:
    // Shell::showInFileManager. Tests stand in for it.
    void setShowInFileManager(std::function<void(const QString &path)> show);

    // Widest text of a value, in pixels.
    static constexpr int valueWidth = 250;
    static constexpr int coverWidth = 163;

public slots:
    void onCloseWindow();
    void onOpenFolder();
    void onEdit();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(BookPropertiesView)

    void buildUi();
    void fill();

    QPersistentModelIndex m_index;
    bool m_editRequested = false;
    std::function<void(const QString &path)> m_showInFileManager;

    WindowBar *m_windowBar = nullptr;
    QLabel *m_cover = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_author = nullptr;
    QLabel *m_format = nullptr;
    QLabel *m_progress = nullptr;
    QLabel *m_lastOpen = nullptr;
    QLabel *m_folder = nullptr;
    QTextEdit *m_description = nullptr;
    QPushButton *m_buttonEdit = nullptr;
    QPushButton *m_buttonOpenFolder = nullptr;
    QPushButton *m_buttonClose = nullptr;
};
