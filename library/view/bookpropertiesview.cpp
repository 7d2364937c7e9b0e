#include "library/view/bookpropertiesview.h"

#include "library/model/bookmodel.h"
#include "library/view/coverimage.h"
#include "platform/shell.h"
#include "widgets/dropshadow.h"
#include "widgets/windowbar.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QLabel *makeValue(QWidget *parent)
{
    auto *label = new QLabel(parent);
    // Titles, authors and paths come from the books: text, never markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A value in its row box, 5 pixels in from the captions' column.
QHBoxLayout *rowBox(QWidget *value)
{
    auto *box = new QHBoxLayout;
    box->setContentsMargins(5, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(value);
    return box;
}

void setElided(QLabel *label, const QString &text)
{
    label->ensurePolished();
    label->setText(
            label->fontMetrics().elidedText(text, Qt::ElideRight, BookPropertiesView::valueWidth));
}

} // namespace

BookPropertiesView::BookPropertiesView(const QPersistentModelIndex &index, QWidget *parent)
    : FramelessDialog(parent, Qt::FramelessWindowHint)
    , m_index(index)
    , m_showInFileManager(Shell::showInFileManager)
{
    buildUi();
    connect(m_windowBar, &WindowBar::closeWindow, this, &BookPropertiesView::onCloseWindow);
    connect(m_buttonClose, &QPushButton::clicked, this, &BookPropertiesView::onCloseWindow);
    connect(m_buttonOpenFolder, &QPushButton::clicked, this, &BookPropertiesView::onOpenFolder);
    connect(m_buttonEdit, &QPushButton::clicked, this, &BookPropertiesView::onEdit);
    fill();
    // The frame sets the size; the dialog adds the room of its shadow.
    adjustSize();
}

BookPropertiesView::~BookPropertiesView() = default;

void BookPropertiesView::buildUi()
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("propertiesView"));
    frame->setFixedHeight(400);
    frame->setMinimumWidth(600);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->addWidget(frame);
    addDropShadow(this, frame);

    m_windowBar = new WindowBar(frame);
    m_windowBar->setIconVisible(false);
    m_windowBar->setMinimizeVisible(false);
    m_windowBar->setMaximizeVisible(false);

    // The cover column.
    auto *coverColumn = new QVBoxLayout;
    coverColumn->setContentsMargins(0, 0, 0, 0);
    m_cover = new QLabel(frame);
    m_cover->setFixedWidth(coverWidth);
    coverColumn->addWidget(m_cover);
    coverColumn->addStretch();
    auto *coverBox = new QWidget(frame);
    coverBox->setFixedWidth(coverWidth);
    coverBox->setLayout(coverColumn);

    // The values.
    auto *form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    form->setVerticalSpacing(2);
    form->setHorizontalSpacing(19);
    auto caption = [frame](const QString &text) {
        auto *label = new QLabel(text, frame);
        label->setObjectName(QStringLiteral("propertiesViewTitle"));
        return label;
    };

    m_title = makeValue(frame);
    m_buttonEdit = new QPushButton(tr("Edit"), frame);
    m_buttonEdit->setObjectName(QStringLiteral("buttonURL"));
    m_buttonEdit->setCursor(Qt::PointingHandCursor);
    auto *titleRow = rowBox(m_title);
    titleRow->addSpacing(5);
    titleRow->addWidget(m_buttonEdit);
    titleRow->addStretch();
    form->addRow(caption(tr("Title:")), titleRow);

    m_author = makeValue(frame);
    form->addRow(caption(tr("Author:")), rowBox(m_author));
    m_format = makeValue(frame);
    form->addRow(caption(tr("Format:")), rowBox(m_format));
    m_progress = makeValue(frame);
    form->addRow(caption(tr("Progress:")), rowBox(m_progress));
    m_lastOpen = makeValue(frame);
    form->addRow(caption(tr("Last open:")), rowBox(m_lastOpen));

    auto *folderBox = new QFrame(frame);
    folderBox->setObjectName(QStringLiteral("boxBorderGray"));
    folderBox->setFixedHeight(24);
    auto *folderLayout = new QHBoxLayout(folderBox);
    folderLayout->setContentsMargins(5, 0, 0, 0);
    folderLayout->setSpacing(0);
    m_folder = makeValue(folderBox);
    m_buttonOpenFolder = new QPushButton(folderBox);
    m_buttonOpenFolder->setObjectName(QStringLiteral("buttonOpenFolder"));
    m_buttonOpenFolder->setToolTip(tr("Show in folder"));
    folderLayout->addWidget(m_folder);
    folderLayout->addStretch();
    folderLayout->addWidget(m_buttonOpenFolder);
    form->addRow(caption(tr("Folder:")), rowBox(folderBox));

    form->addItem(new QSpacerItem(0, 17, QSizePolicy::Minimum, QSizePolicy::Fixed));
    form->addRow(caption(tr("Description:")));
    m_description = new QTextEdit(frame);
    m_description->setReadOnly(true);
    m_description->setAcceptRichText(false);
    m_description->setMaximumHeight(100);
    m_description->document()->setDocumentMargin(0);
    m_description->setTextInteractionFlags(Qt::TextSelectableByMouse
                                           | Qt::TextSelectableByKeyboard);
    form->addRow(m_description);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(28, 32, 20, 0);
    body->setSpacing(0);
    body->addWidget(coverBox);
    body->addSpacing(10);
    body->addLayout(form, 1);

    auto *bottom = new QFrame(frame);
    bottom->setObjectName(QStringLiteral("propertiesViewBottom"));
    bottom->setFixedHeight(67);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->addStretch();
    m_buttonClose = new QPushButton(tr("CLOSE"), bottom);
    m_buttonClose->setObjectName(QStringLiteral("buttonOk"));
    m_buttonClose->setMinimumWidth(115);
    m_buttonClose->setFixedHeight(42);
    m_buttonClose->setDefault(true);
    bottomLayout->addWidget(m_buttonClose);

    auto *column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_windowBar);
    column->addLayout(body);
    column->addStretch();
    column->addWidget(bottom);
}

void BookPropertiesView::fill()
{
    const QString title = m_index.data(BookModel::TitleRole).toString();
    m_windowBar->ensurePolished();
    m_windowBar->setTitle(tr("%1 - Properties")
                                  .arg(m_windowBar->titleFontMetrics().elidedText(
                                          title, Qt::ElideRight, valueWidth)));
    setWindowTitle(tr("%1 - Properties").arg(title));
    setElided(m_title, title);
    setElided(m_author, m_index.data(BookModel::AuthorRole).toString());

    const QImage cover
            = CoverImage::read(m_index.data(BookModel::CoverRole).toString(),
                               QSize(coverWidth, CoverImage::anyLength), Qt::KeepAspectRatio);
    m_cover->setPixmap(QPixmap::fromImage(cover));

    setElided(m_folder, m_index.data(BookModel::FolderRole).toString());
    m_lastOpen->setText(m_index.data(BookModel::LastOpenTextRole).toString());
    m_progress->setText(m_index.data(BookModel::ProgressTextRole).toString());
    m_format->setText(m_index.data(BookModel::FormatNameRole).toString());
    m_description->setPlainText(m_index.data(BookModel::DescriptionRole).toString());
}

void BookPropertiesView::setShowInFileManager(std::function<void(const QString &)> show)
{
    m_showInFileManager = std::move(show);
}

void BookPropertiesView::onCloseWindow()
{
    m_editRequested = false;
    hide();
}

void BookPropertiesView::onOpenFolder()
{
    const QString path = m_index.data(BookModel::PathRole).toString();
    if (!path.isEmpty() && m_showInFileManager)
        m_showInFileManager(path);
}

void BookPropertiesView::onEdit()
{
    m_editRequested = true;
    hide();
}

void BookPropertiesView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        onCloseWindow();
        return;
    }
    FramelessDialog::keyPressEvent(event);
}

void BookPropertiesView::showEvent(QShowEvent *event)
{
    centerOnParentWindow();
    FramelessDialog::showEvent(event);
}
