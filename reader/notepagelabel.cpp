#include "reader/notepagelabel.h"

#include <QPainter>
#include <QPixmap>

NotePageLabel::NotePageLabel(const QString &noteId, QWidget *parent)
    : QPushButton(parent)
    , m_noteId(noteId)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void NotePageLabel::setPointsRight(bool pointsRight)
{
    m_pointsRight = pointsRight;
    update();
}

void NotePageLabel::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    const QString path = m_pointsRight ? QStringLiteral(":/style/images/notesminright.png")
                                       : QStringLiteral(":/style/images/notesmin.png");
    painter.drawPixmap(rect().topLeft(), QPixmap(path).scaled(16, 16));
}
