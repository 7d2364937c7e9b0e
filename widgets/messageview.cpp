#include "widgets/messageview.h"

#include "widgets/button.h"
#include "widgets/dropshadow.h"
#include "widgets/windowbar.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

MessageView::MessageView(const QString &title, const QString &text, QWidget *parent)
    : FramelessDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    m_windowBar = new WindowBar(this);
    m_windowBar->setMinimizeVisible(false);
    m_windowBar->setMaximizeVisible(false);
    m_windowBar->setTitle(title);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("messageBox"));
    m_frame->setMinimumSize(450, 190);

    m_label = new QLabel(m_frame);
    m_label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_label->setWordWrap(true);
    // Messages quote book titles and file names: text, never markup.
    m_label->setTextFormat(Qt::PlainText);
    m_label->setText(text);

    m_buttonBox = new QDialogButtonBox(this);
    m_buttonBox->setOrientation(Qt::Horizontal);

    m_okButton = new Button(m_frame);
    m_okButton->setObjectName(QStringLiteral("buttonOk"));
    m_okButton->setFixedSize(100, 42);
    m_okButton->setText(tr("OK"));
    m_okButton->setDefault(true);
    m_buttonBox->addButton(m_okButton, QDialogButtonBox::AcceptRole);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->addWidget(m_frame);

    auto *inner = new QVBoxLayout(m_frame);
    inner->setContentsMargins(9, 5, 8, 15);
    inner->addWidget(m_windowBar);
    inner->addStretch();
    inner->addWidget(m_label);
    inner->addStretch();
    inner->addWidget(m_buttonBox, 0, Qt::AlignHCenter);

    addDropShadow(this, m_frame);

    connect(m_buttonBox, &QDialogButtonBox::clicked, this, &MessageView::buttonClicked);
    connect(m_windowBar, &WindowBar::closeWindow, this, &MessageView::onCloseWindow);
    m_clickedRole = QDialogButtonBox::RejectRole;
}

MessageView *MessageView::create(const QString &title, const QString &text, QWidget *parent)
{
    auto *box = new MessageView(title, text, parent);
    box->setMinimumFrameSize(QSize(426, 173));
    return box;
}

void MessageView::addButton(QAbstractButton *button, QDialogButtonBox::ButtonRole role)
{
    m_buttonBox->addButton(button, role);
}

void MessageView::setMessage(const QString &text)
{
    m_label->setText(text);
}

QString MessageView::message() const
{
    return m_label->text();
}

void MessageView::setTitle(const QString &title)
{
    m_windowBar->setTitle(title);
}

void MessageView::setMinimumFrameSize(const QSize &size)
{
    m_frame->setMinimumSize(size);
}

void MessageView::buttonClicked(QAbstractButton *button)
{
    m_clickedRole = m_buttonBox->buttonRole(button);
    hide();
}

void MessageView::onCloseWindow()
{
    setResult(1);
    hide();
}

void MessageView::keyPressEvent(QKeyEvent *event)
{
    // Escape closes like the window bar's close button; QDialog's own
    // handling would reject() instead.
    if (event->key() == Qt::Key_Escape) {
        onCloseWindow();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageView::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centerOnParentWindow();
    // Over the window that asked for it, never hidden behind it.
    raise();
    activateWindow();
}

void MessageView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        m_okButton->setText(tr("OK"));
    QDialog::changeEvent(event);
}
