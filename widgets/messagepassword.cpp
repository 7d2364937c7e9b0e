#include "widgets/messagepassword.h"

#include "widgets/button.h"
#include "widgets/dropshadow.h"
#include "widgets/windowbar.h"

#include <QDebug>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

MessagePassword::MessagePassword(QWidget *parent)
    : FramelessDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowIcon(QIcon(QStringLiteral(":/style/images/AppIconPdf256.png")));

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("messagePassword"));
    frame->setMinimumSize(380, 190);

    m_windowBar = new WindowBar(frame);
    m_windowBar->setMinimizeVisible(false);
    m_windowBar->setMaximizeVisible(false);

    m_message = new QLabel(frame);
    m_message->setWordWrap(true);

    m_passwordLabel = new QLabel(frame);
    m_edit = new QLineEdit(frame);
    m_edit->setEchoMode(QLineEdit::Password);

    m_ok = new Button(frame);
    m_ok->setObjectName(QStringLiteral("buttonOk"));
    m_ok->setFixedSize(100, 42);
    m_ok->setDefault(true);

    const auto makeSkip = [frame]() {
        auto *button = new Button(frame);
        button->setObjectName(QStringLiteral("buttonSkip"));
        button->setFixedHeight(42);
        button->setMinimumWidth(100);
        button->setVisible(false);
        return button;
    };
    m_skipButton = makeSkip();
    m_skipAllButton = makeSkip();

    auto *passwordRow = new QHBoxLayout;
    passwordRow->addWidget(m_passwordLabel);
    passwordRow->addWidget(m_edit);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->addWidget(m_ok);
    buttonRow->addWidget(m_skipButton);
    buttonRow->addWidget(m_skipAllButton);

    auto *inner = new QVBoxLayout(frame);
    inner->setContentsMargins(9, 0, 8, 9);
    inner->addWidget(m_windowBar);
    inner->addWidget(m_message);
    inner->addLayout(passwordRow);
    inner->addLayout(buttonRow);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->addWidget(frame);

    addDropShadow(this, frame);

    connect(m_ok, &QPushButton::clicked, this, &MessagePassword::buttonOK);
    connect(m_skipButton, &QPushButton::clicked, this, &MessagePassword::buttonSkip);
    connect(m_skipAllButton, &QPushButton::clicked, this, &MessagePassword::buttonSkipAll);
    connect(m_windowBar, &WindowBar::closeWindow, this, &QDialog::reject);

    retranslateUi();
}

QString MessagePassword::getPasssword() const
{
    return m_edit->text();
}

void MessagePassword::setSkipVisible(bool visible)
{
    m_skipButton->setVisible(visible);
}

void MessagePassword::setSkipAllVisible(bool visible)
{
    m_skipAllButton->setVisible(visible);
}

void MessagePassword::setMessage(const QString &text)
{
    m_message->setText(text);
}

void MessagePassword::buttonOK()
{
    qDebug() << Q_FUNC_INFO;
    accept();
}

void MessagePassword::buttonSkip()
{
    m_skip = true;
    accept();
}

void MessagePassword::buttonSkipAll()
{
    m_skipAll = true;
    accept();
}

void MessagePassword::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centerOnParentWindow();
    m_edit->setFocus();
}

void MessagePassword::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QDialog::changeEvent(event);
}

void MessagePassword::retranslateUi()
{
    m_windowBar->setTitle(tr("Enter password"));
    m_passwordLabel->setText(tr("Password:"));
    m_ok->setText(tr("OK"));
    m_skipButton->setText(tr("SKIP"));
    m_skipAllButton->setText(tr("SKIP ALL"));
}
