#include "reader/searchedit.h"

#include "widgets/button.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedLayout>

SearchEdit::SearchEdit(QWidget *parent)
    : SearchBox(parent)
{
    setObjectName(QStringLiteral("box"));
    setFixedHeight(30);
    setMinimumWidth(220);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(9, 2, 9, 2);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("editSearch"));
    layout->addWidget(m_edit, 1);

    auto *buttonFrame = new QFrame(this);
    m_buttons = new QStackedLayout(buttonFrame);
    m_buttons->setContentsMargins(0, 0, 0, 0);
    m_searchButton = new Button(buttonFrame);
    m_searchButton->setObjectName(QStringLiteral("buttonSearch"));
    m_searchButton->setFixedSize(18, 18);
    m_clearButton = new Button(buttonFrame);
    m_clearButton->setObjectName(QStringLiteral("buttonClearSearch"));
    m_clearButton->setFixedSize(18, 18);
    m_buttons->addWidget(m_searchButton);
    m_buttons->addWidget(m_clearButton);
    m_buttons->setCurrentIndex(0);
    layout->addWidget(buttonFrame, 0, Qt::AlignCenter);

    connect(m_edit, &QLineEdit::textChanged, this, &SearchEdit::textChanged);
    connect(m_searchButton, &QPushButton::clicked, this, &SearchEdit::riseSearch);
    connect(m_edit, &QLineEdit::returnPressed, this, &SearchEdit::riseSearch);
    connect(m_clearButton, &QPushButton::clicked, this, [this] {
        m_edit->clear();
        emit clean();
    });
}

QString SearchEdit::text() const
{
    return m_edit->text();
}

void SearchEdit::setText(const QString &text)
{
    m_edit->setText(text);
}

void SearchEdit::clear()
{
    const QSignalBlocker blocker(m_edit);
    m_edit->clear();
    m_buttons->setCurrentIndex(0);
}

void SearchEdit::setCompleter(QCompleter *completer)
{
    m_edit->setCompleter(completer);
}

void SearchEdit::setPlaceholderText(const QString &text)
{
    m_edit->setPlaceholderText(text);
}

void SearchEdit::selectAll()
{
    m_edit->setFocus(Qt::OtherFocusReason);
    m_edit->selectAll();
}

int SearchEdit::buttonPage() const
{
    return m_buttons->currentIndex();
}

void SearchEdit::textChanged(const QString &text)
{
    m_buttons->setCurrentIndex(text.isEmpty() ? 0 : 1);
    emit changed(text);
}

void SearchEdit::riseSearch()
{
    emit search(m_edit->text().trimmed());
}
