#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;

// The in-place editor of a category name: the folder icon and a line edit
// on a white frame. Focus given to the frame goes on to the line edit.
class FolderEditor : public QFrame
{
    Q_OBJECT
public:
    explicit FolderEditor(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;
    void selectAll();
    QLineEdit *lineEdit() const { return m_edit; }

signals:
    // Return, Enter or loss of focus in the line edit.
    void editingFinished();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(FolderEditor)

    QLabel *m_icon = nullptr;
    QLineEdit *m_edit = nullptr;
};
