#include "widgets/framelessdialog.h"

#include <QMouseEvent>

FramelessDialog::FramelessDialog(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
}

void FramelessDialog::centerOnParentWindow()
{
    QWidget *parent = parentWidget();
    if (!parent)
        return;
    const QWidget *window = parent->window();
    // QRect::center() is ((left + right) / 2, (top + bottom) / 2) with the
    // inclusive right and bottom edges, which is what is wanted here.
    move(window->frameGeometry().topLeft() + window->rect().center() - rect().center());
}

void FramelessDialog::mousePressEvent(QMouseEvent *event)
{
    m_pressPosition = event->pos();
    m_dragging = true;
    QDialog::mousePressEvent(event);
}

void FramelessDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        move(event->globalPos() - m_pressPosition);
    QDialog::mouseMoveEvent(event);
}

void FramelessDialog::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
