#include "widgets/progressdialog.h"

#include "widgets/dropshadow.h"
#include "widgets/progressbar.h"
#include "widgets/windowbar.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMutexLocker>
#include <QPushButton>
#include <QVBoxLayout>

ProgressDialog::ProgressDialog(QWidget *parent)
    : FramelessDialog(parent, Qt::FramelessWindowHint)
{
    connect(&m_timer, &QTimer::timeout, this, &ProgressDialog::onUpdateView);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("progressView"));
    frame->setMinimumSize(650, 178);

    m_windowBar = new WindowBar(this);
    m_windowBar->setMinimizeVisible(false);
    m_windowBar->setMaximizeVisible(false);

    m_message = new QLabel(frame);
    m_bar = new ProgressBar(frame);
    m_bar->setRange(0, 100);

    m_cancel = new QPushButton(frame);
    m_cancel->setObjectName(QStringLiteral("buttonCancel"));
    m_cancel->setFixedHeight(42);
    m_cancel->setMinimumWidth(75);

    m_background = new QPushButton(frame);
    m_background->setObjectName(QStringLiteral("buttonBackground"));
    m_background->setFixedHeight(42);
    m_background->setMinimumWidth(75);
    m_background->setVisible(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cancel, 0, Qt::AlignLeft);
    buttons->addSpacing(4);
    buttons->addWidget(m_background, 0, Qt::AlignLeft);
    buttons->addStretch();

    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 0, 8, 0);
    content->addStretch();
    content->addWidget(m_message);
    content->addWidget(m_bar);
    content->addStretch();
    content->addLayout(buttons);

    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(9, 0, 8, 13);
    frameLayout->addWidget(m_windowBar);
    frameLayout->addLayout(content, 1);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->addWidget(frame);

    addDropShadow(this, frame);

    connect(m_windowBar, &WindowBar::closeWindow, this, &ProgressDialog::canceled);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressDialog::canceled);
    connect(m_background, &QPushButton::clicked, this, &ProgressDialog::onRequestBackgorund);

    retranslateUi();
}

void ProgressDialog::setTitle(const QString &title)
{
    m_windowBar->setTitle(title);
}

void ProgressDialog::setBackgroundButtonVisible(bool visible)
{
    m_background->setVisible(visible);
}

int ProgressDialog::percent(int value, int total)
{
    // Workers report a total of at least 1, but a total of 0 must not
    // divide by zero, and a value past the total must not leave the range
    // (the bar would ignore it and keep a stale value).
    if (total <= 0)
        return 0;
    const int result = int((float(value) / float(total)) * 100.0f);
    return qBound(0, result, 100);
}

void ProgressDialog::setMessage(const QString &message)
{
    QMutexLocker locker(&m_mutex);
    m_messageText = message;
}

void ProgressDialog::setProgressChanged(int val, int total)
{
    QMutexLocker locker(&m_mutex);
    m_value = val;
    m_total = total;
}

void ProgressDialog::reset()
{
    QMutexLocker locker(&m_mutex);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_value = 0;
    m_total = 1;
    m_messageText.clear();
}

void ProgressDialog::workerStateChanged(int state)
{
    if (state == 1) {
        reset();
        // A second start while the dialog is up only resets it: a nested
        // exec() on a visible dialog would be refused anyway.
        if (!isVisible())
            exec();
    } else if (state == 0) {
        hide();
    }
}

void ProgressDialog::onUpdateView()
{
    QMutexLocker locker(&m_mutex);
    m_message->setText(m_messageText);
    m_bar->setValue(percent(m_value, m_total));
}

void ProgressDialog::onRequestBackgorund()
{
    emit runBackground();
    hide();
}

void ProgressDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_timer.start(100);
    centerOnParentWindow();
}

void ProgressDialog::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    m_timer.stop();
}

void ProgressDialog::keyPressEvent(QKeyEvent *event)
{
    QDialog::keyPressEvent(event);
    if (event->key() == Qt::Key_Escape)
        emit canceled();
}

void ProgressDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QDialog::changeEvent(event);
}

void ProgressDialog::retranslateUi()
{
    m_cancel->setText(tr("CANCEL"));
    m_background->setText(tr("BACKGROUND"));
}
