#include "widgets/startview.h"

#include "widgets/button.h"

#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>

StartView::StartView(QWidget *parent)
    : QFrame(parent)
{
    setAcceptDrops(true);

    m_logo = new QLabel(this);
    const QPixmap logo(QStringLiteral(":/style/images/splashlogo.png"));
    m_logo->setPixmap(logo);
    m_logo->resize(logo.size());

    m_addButton = new Button(this);
    m_addButton->setObjectName(QStringLiteral("buttonBigAddBook"));
    m_addButton->setFixedHeight(46);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);
    layout->addStretch();
    layout->addWidget(m_logo, 0, Qt::AlignHCenter);
    layout->addWidget(m_addButton, 0, Qt::AlignHCenter);
    layout->addStretch();

    connect(m_addButton, &QPushButton::clicked, this, &StartView::onAddBook);
    retranslateUi();
}

void StartView::onAddBook()
{
    emit addBook();
}

void StartView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
    QFrame::dragEnterEvent(event);
}

void StartView::dropEvent(QDropEvent *event)
{
    qDebug() << "StartView::dropEvent";
    const QMimeData *data = event->mimeData();
    if (data->hasUrls()) {
        QFileInfoList files;
        const QList<QUrl> urls = data->urls();
        for (const QUrl &url : urls)
            files.append(QFileInfo(url.toLocalFile()));
        emit droppedFiles(files);
        emit switchToLibrary();
    }
    QFrame::dropEvent(event);
}

void StartView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QFrame::changeEvent(event);
}

void StartView::retranslateUi()
{
    m_addButton->setText(tr("Add book to your library to start reading"));
}
