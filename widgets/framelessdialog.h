#pragma once

#include <QDialog>
#include <QPoint>

// The common ground of the shell's frameless dialogs: the dialog moves when
// dragged anywhere on it (outside child widgets that take the press), and it
// can centre itself on its parent's top-level window.
class FramelessDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FramelessDialog(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    // Centres the dialog on the top-level window of its parent widget: the
    // window's frame position plus the centre of its rectangle, minus the
    // centre of the dialog's rectangle. Without a parent nothing moves.
    void centerOnParentWindow();

    bool isDragging() const { return m_dragging; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPoint m_pressPosition;
    bool m_dragging = false;
};
