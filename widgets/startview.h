#pragma once

#include <QFileInfoList>
#include <QFrame>

class Button;
class QLabel;

// The main window's page for an empty library: the program's logo and one
// large button that adds a book. Files dropped on it are handed on as they
// come (folders and missing files included; the adding code sorts them out).
class StartView : public QFrame
{
    Q_OBJECT
public:
    explicit StartView(QWidget *parent = nullptr);

    Button *addButton() const { return m_addButton; }

signals:
    void addBook();
    void switchToLibrary();
    void droppedFiles(QFileInfoList files);

public slots:
    void onAddBook();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();

    QLabel *m_logo = nullptr;
    Button *m_addButton = nullptr;
};
