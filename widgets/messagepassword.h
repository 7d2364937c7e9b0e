#pragma once

#include "widgets/framelessdialog.h"

class Button;
class QLabel;
class QLineEdit;
class WindowBar;

// The password dialog of the hand-over between loading threads and the GUI.
// OK, SKIP and SKIP ALL all accept it (SKIP and SKIP ALL first set their
// flag); the window bar's close button rejects it. SKIP and SKIP ALL are
// hidden until shown by their setters. On show it centres itself on its
// parent's window and puts the focus into the password field.
class MessagePassword : public FramelessDialog
{
    Q_OBJECT
public:
    explicit MessagePassword(QWidget *parent = nullptr);

    // The typed password (the name is spelt so).
    QString getPasssword() const;
    bool isSkip() const { return m_skip; }
    bool isSkipAll() const { return m_skipAll; }
    void setSkipVisible(bool visible);
    void setSkipAllVisible(bool visible);
    void setMessage(const QString &text);

    QLineEdit *passwordEdit() const { return m_edit; }
    Button *okButton() const { return m_ok; }
    Button *skipButton() const { return m_skipButton; }
    Button *skipAllButton() const { return m_skipAllButton; }
    WindowBar *windowBar() const { return m_windowBar; }

public slots:
    void buttonOK();
    void buttonSkip();
    void buttonSkipAll();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();

    bool m_skip = false;
    bool m_skipAll = false;
    Button *m_ok = nullptr;
    Button *m_skipButton = nullptr;
    Button *m_skipAllButton = nullptr;
    QLabel *m_passwordLabel = nullptr;
    QLabel *m_message = nullptr;
    QLineEdit *m_edit = nullptr;
    WindowBar *m_windowBar = nullptr;
};
