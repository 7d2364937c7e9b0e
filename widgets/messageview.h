#pragma once

#include "widgets/framelessdialog.h"

#include <QDialogButtonBox>

class Button;
class QAbstractButton;
class QFrame;
class QLabel;
class WindowBar;

// The program's one message and confirmation box: a frameless dialog with
// the program's title bar, a centred message and a button box holding "OK"
// and whatever buttons the caller adds. The caller learns the answer from
// clickedRole() after exec(), not from the dialog's result code:
//
//     MessageView box(tr("Delete"), tr("Delete the book?"), this);
//     box.addButton(cancelButton, QDialogButtonBox::RejectRole);
//     box.exec();
//     if (box.clickedRole() == QDialogButtonBox::AcceptRole) ...
//
// A click on a box button stores its role and hides the box; Escape and the
// window bar's close button hide it and leave the role as it was
// (RejectRole unless a button was clicked earlier). On show the box centres
// itself on its parent's top-level window.
class MessageView : public FramelessDialog
{
    Q_OBJECT
public:
    MessageView(const QString &title, const QString &text, QWidget *parent = nullptr);

    // A box on the heap, owned by `parent`, whose frame may shrink to
    // 426 x 173 (the constructor's minimum is 450 x 190).
    static MessageView *create(const QString &title, const QString &text, QWidget *parent);

    // The box takes the button over.
    void addButton(QAbstractButton *button, QDialogButtonBox::ButtonRole role);
    // The role of the button that closed the box, as a ButtonRole.
    int clickedRole() const { return m_clickedRole; }

    void setMessage(const QString &text);
    QString message() const;
    void setTitle(const QString &title);
    void setMinimumFrameSize(const QSize &size);
    QFrame *frame() const { return m_frame; }
    Button *okButton() const { return m_okButton; }
    WindowBar *windowBar() const { return m_windowBar; }

public slots:
    void buttonClicked(QAbstractButton *button);
    void onCloseWindow();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    WindowBar *m_windowBar = nullptr;
    QFrame *m_frame = nullptr;
    QLabel *m_label = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;
    Button *m_okButton = nullptr;
    int m_clickedRole = QDialogButtonBox::RejectRole;
};
