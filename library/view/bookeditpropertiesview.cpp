#include "library/view/bookeditpropertiesview.h"

#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/workers/bookmetadata.h"
#include "widgets/button.h"
#include "widgets/messageview.h"
#include "widgets/panelparts.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

namespace {

QLabel *makeCaption(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("settingsLabel"));
    return label;
}

// The edited value when it differs from the stored one; nothing otherwise.
std::optional<QString> changed(const QString &edited, const QString &stored)
{
    if (edited == stored)
        return std::nullopt;
    return edited;
}

} // namespace

BookEditPropertiesView::BookEditPropertiesView(BookModel *model, QWidget *parent)
    : BookPropertiesPanel(parent)
    , m_model(model)
    , m_showMessage([](QWidget *parent, const QString &title, const QString &text) {
        MessageView box(title, text, parent);
        box.exec();
    })
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setObjectName(QStringLiteral("settingsViewContent"));
    setFocusPolicy(Qt::StrongFocus);
    buildUi();
    connect(m_buttonSave, &QPushButton::clicked, this, &BookEditPropertiesView::save);
    for (QPushButton *button : { static_cast<QPushButton *>(m_buttonClose),
                                 static_cast<QPushButton *>(m_buttonBack), m_buttonCancel })
        connect(button, &QPushButton::clicked, this, &BookEditPropertiesView::cancel);
    retranslate();
}

BookEditPropertiesView::~BookEditPropertiesView() = default;

void BookEditPropertiesView::buildUi()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 1, 0, 0);
    outer->setSpacing(0);

    auto *inner = new QVBoxLayout;
    inner->setContentsMargins(20, 0, 20, 0);
    inner->setSpacing(0);
    m_buttonClose = makePanelCloseButton(this);
    inner->addWidget(m_buttonClose, 0, Qt::AlignRight);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    m_buttonBack = makePanelBackButton(this);
    m_header = makeCaption(this);
    // The header names the book: its title is text, never markup.
    m_header->setTextFormat(Qt::PlainText);
    header->addWidget(m_buttonBack);
    header->addWidget(m_header, 1);
    header->addStretch();
    inner->addLayout(header);
    outer->addLayout(inner);

    auto *box = new QFrame(this);
    box->setObjectName(QStringLiteral("darkBox"));
    auto *form = new QFormLayout(box);
    form->setContentsMargins(24, 11, 24, 0);
    form->setVerticalSpacing(16);
    form->setHorizontalSpacing(26);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_captionTitle = makeCaption(box);
    m_captionAuthor = makeCaption(box);
    m_captionDescription = makeCaption(box);
    m_title = new QLineEdit(box);
    m_title->setObjectName(QStringLiteral("editText"));
    m_title->setFixedHeight(37);
    m_author = new QLineEdit(box);
    m_author->setObjectName(QStringLiteral("editText"));
    m_author->setFixedHeight(37);
    m_description = new QPlainTextEdit(box);
    m_description->setObjectName(QStringLiteral("editDescription"));
    form->addRow(m_captionTitle, m_title);
    form->addRow(m_captionAuthor, m_author);
    form->addRow(m_captionDescription, m_description);
    outer->addWidget(box, 1);

    const CommandBox commands = makeCommandBox(this);
    m_buttonCancel = commands.cancel;
    m_buttonSave = commands.save;
    outer->addWidget(commands.frame);
}

void BookEditPropertiesView::retranslate()
{
    m_header->setText(tr("Edit %1").arg(m_book.title));
    m_captionTitle->setText(tr("Title:"));
    m_captionAuthor->setText(tr("Author:"));
    m_captionDescription->setText(tr("Description:"));
    m_buttonSave->setText(tr("SAVE"));
    m_buttonCancel->setText(tr("CANCEL"));
}

void BookEditPropertiesView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    BookPropertiesPanel::changeEvent(event);
}

void BookEditPropertiesView::setShowMessage(
        std::function<void(QWidget *, const QString &, const QString &)> show)
{
    m_showMessage = std::move(show);
}

void BookEditPropertiesView::setBookId(int bookId)
{
    m_bookId = bookId;
    loadBook();
}

void BookEditPropertiesView::loadBook()
{
    BookProvider *provider = BookProvider::instance();
    m_book = provider->findBookById(m_bookId);
    m_storedDescription = m_book.id == -1
            ? QString()
            : provider->getMetaData(m_bookId, BookMetadata::Description);
    m_header->setText(tr("Edit %1").arg(m_book.title));
    m_title->setText(m_book.title);
    m_author->setText(m_book.author);
    m_description->setPlainText(m_storedDescription);
}

bool BookEditPropertiesView::save()
{
    // Exactly as typed: an empty title is stored empty (the library shows
    // "Unknown" for it).
    const std::optional<QString> title = changed(m_title->text(), m_book.title);
    const std::optional<QString> author = changed(m_author->text(), m_book.author);
    const std::optional<QString> description
            = changed(m_description->toPlainText(), m_storedDescription);
    if (title || author || description) {
        BookProvider *provider = BookProvider::instance();
        if (m_book.id == -1 || !provider->editBook(m_bookId, title, author, description)) {
            const QString reason = m_book.id == -1 ? tr("The book is no longer in the library.")
                                                   : provider->lastError();
            m_showMessage(this, tr("Save failed"),
                          tr("The changes could not be saved.\n%1").arg(reason));
            return false;
        }
        if (m_model)
            m_model->refreshCache(m_bookId);
    }
    emit onHideWindow(this);
    return true;
}

void BookEditPropertiesView::cancel()
{
    emit onHideWindow(this);
}

void BookEditPropertiesView::keyPressEvent(QKeyEvent *event)
{
    // Keys that reach the frame itself do nothing, but for Escape.
    if (event->key() == Qt::Key_Escape)
        cancel();
    event->accept();
}
