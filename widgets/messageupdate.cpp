#include "widgets/messageupdate.h"

#include "widgets/button.h"
#include "widgets/dropshadow.h"
#include "widgets/windowbar.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent>

MessageUpdate::MessageUpdate(const QString &version, const QString &changelogUrl,
                             const QString &downloadUrl, QWidget *parent)
    : FramelessDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_version(version)
    , m_changelogUrl(changelogUrl)
    , m_downloadUrl(downloadUrl)
    , m_opener([](const QUrl &url) {
        // The future is dropped: nobody waits for the browser.
        QtConcurrent::run([url] { QDesktopServices::openUrl(url); });
    })
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("messagePassword"));
    frame->setMinimumSize(430, 160);
    frame->setStyleSheet(QStringLiteral("background:#F4EBDA; border:none;"));

    m_windowBar = new WindowBar(frame);
    m_windowBar->setMinimizeVisible(false);
    m_windowBar->setMaximizeVisible(false);

    m_message = new QLabel(frame);
    m_message->setAlignment(Qt::AlignLeft);
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::RichText);

    m_leadIn = new QLabel(frame);
    m_link = new QPushButton(frame);
    m_link->setObjectName(QStringLiteral("buttonURL"));
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->setAutoDefault(false);
    m_link->setStyleSheet(QStringLiteral(
            "border:none; font-size:14px; text-decoration:underline; color:#0594c5;"));
    auto *fullStop = new QLabel(QStringLiteral("."), frame);

    m_download = new Button(frame);
    m_download->setObjectName(QStringLiteral("buttonOk"));
    m_download->setFixedHeight(42);
    m_download->setMinimumWidth(135);
    m_download->setDefault(true);

    m_cancel = new QPushButton(frame);
    m_cancel->setObjectName(QStringLiteral("buttonMessageCancel"));
    m_cancel->setFixedHeight(42);
    m_cancel->setMinimumWidth(100);
    m_cancel->setDefault(false);
    m_cancel->setAutoDefault(false);
    m_cancel->setStyleSheet(QStringLiteral(
            "QPushButton { border:none; color:white; font-size:14px; background:#656565; }"
            "QPushButton:hover, QPushButton:pressed { background:#363636; }"));

    auto *linkRow = new QHBoxLayout;
    linkRow->setContentsMargins(0, 0, 0, 0);
    linkRow->setSpacing(0);
    linkRow->addWidget(m_leadIn);
    linkRow->addSpacing(6);
    linkRow->addWidget(m_link);
    linkRow->addWidget(fullStop);
    linkRow->addStretch();

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_cancel);
    buttonRow->addSpacing(8);
    buttonRow->addWidget(m_download);

    auto *inner = new QVBoxLayout(frame);
    inner->setSpacing(0);
    inner->setContentsMargins(9, 0, 8, 13);
    inner->addWidget(m_windowBar);
    inner->addStretch();
    inner->addWidget(m_message);
    inner->addLayout(linkRow);
    inner->addStretch();
    inner->addLayout(buttonRow);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->addWidget(frame);

    addDropShadow(this, frame);

    connect(m_windowBar, &WindowBar::closeWindow, this, &MessageUpdate::onCloseWindow);
    connect(m_cancel, &QPushButton::clicked, this, &MessageUpdate::onCloseWindow);
    connect(m_link, &QPushButton::clicked, this, &MessageUpdate::onLinkActivated);
    connect(m_download, &QPushButton::clicked, this, &MessageUpdate::onDownload);

    retranslateUi();
    m_download->setFocus();
}

void MessageUpdate::setUrlOpener(UrlOpener opener)
{
    m_opener = std::move(opener);
}

void MessageUpdate::retranslateUi()
{
    m_windowBar->setTitle(tr("Update available!"));
    // The version comes from the network: it is shown as text, never as
    // markup of its own.
    m_message->setText(tr("New version of the program is available: <b>%1</b>.")
                               .arg(m_version.toHtmlEscaped()));
    m_leadIn->setText(tr("Read about"));
    m_link->setText(tr("new features"));
    m_download->setText(tr("DOWNLOAD"));
    m_cancel->setText(tr("CANCEL"));
}

void MessageUpdate::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    FramelessDialog::changeEvent(event);
}

void MessageUpdate::open(const QString &address)
{
    if (m_opener)
        m_opener(QUrl(address, QUrl::TolerantMode));
}

void MessageUpdate::onCloseWindow()
{
    reject();
}

void MessageUpdate::onLinkActivated()
{
    open(m_changelogUrl);
    reject();
}

void MessageUpdate::onDownload()
{
    open(m_downloadUrl);
    reject();
}
