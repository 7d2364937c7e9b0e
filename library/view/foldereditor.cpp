#include "library/view/foldereditor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

FolderEditor::FolderEditor(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("whiteBox"));
    setFocusPolicy(Qt::StrongFocus);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_icon = new QLabel(this);
    m_icon->setPixmap(QPixmap(QStringLiteral(":/style/images/userfolder.png")));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("editFolderName"));
    layout->addSpacing(8);
    layout->addWidget(m_icon);
    layout->addSpacing(5);
    layout->addWidget(m_edit, 1);
    layout->addSpacing(5);

    connect(m_edit, &QLineEdit::editingFinished, this, &FolderEditor::editingFinished);
}

void FolderEditor::setText(const QString &text)
{
    m_edit->setText(text);
}

QString FolderEditor::text() const
{
    return m_edit->text();
}

void FolderEditor::selectAll()
{
    m_edit->selectAll();
}

void FolderEditor::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    m_edit->setFocus(Qt::OtherFocusReason);
}

void FolderEditor::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
}
