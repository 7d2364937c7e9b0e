#include "app/placeholderpages.h"

#include "core/logger.h"
#include "library/db/bookdto.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLabel *addNotice(QFrame *frame, const QString &text)
{
    auto *layout = new QVBoxLayout(frame);
    auto *label = new QLabel(text, frame);
    label->setObjectName(QStringLiteral("labelPlaceholder"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addStretch(1);
    layout->addWidget(label);
    layout->addStretch(1);
    return label;
}

} // namespace

PlaceholderReaderPage::PlaceholderReaderPage(QWidget *parent)
    : ReaderPage(parent)
{
    setObjectName(QStringLiteral("bookViewer"));
    addNotice(this, tr("The reading view is not part of this build yet."));
}

bool PlaceholderReaderPage::openBook(const BookDto &book)
{
    Logger::instance()->write(
            QStringLiteral("Open book [FAILED]. No reading view for '%1'").arg(book.fullPath),
            Logger::Warning);
    return false;
}

PlaceholderSidePanel::PlaceholderSidePanel(const QString &objectName, QWidget *parent)
    : SidePanel(parent)
{
    setObjectName(objectName);
    setFocusPolicy(Qt::StrongFocus);
    addNotice(this, tr("Not available yet."));
}

void PlaceholderSidePanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        emit hideWindow();
}

LineSearchBox::LineSearchBox(QWidget *parent)
    : SearchBox(parent)
    , m_edit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("searchEdit"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    m_edit->setClearButtonEnabled(true);
    setMinimumWidth(260);

    connect(m_edit, &QLineEdit::returnPressed, this, [this] { emit search(m_edit->text()); });
    connect(m_edit, &QLineEdit::textChanged, this, &SearchBox::changed);
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text.isEmpty())
            emit clean();
    });
}

QString LineSearchBox::text() const
{
    return m_edit->text();
}

void LineSearchBox::setText(const QString &text)
{
    m_edit->setText(text);
}

void LineSearchBox::clear()
{
    m_edit->clear();
}

void LineSearchBox::setCompleter(QCompleter *completer)
{
    m_edit->setCompleter(completer);
}

void LineSearchBox::setPlaceholderText(const QString &text)
{
    m_edit->setPlaceholderText(text);
}

void LineSearchBox::selectAll()
{
    m_edit->setFocus();
    m_edit->selectAll();
}

IdleReadingContext::IdleReadingContext(QObject *parent)
    : ReadingContext(parent)
{
}
