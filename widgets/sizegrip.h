#pragma once

#include <QSizeGrip>

// The main window's resize corner. It tells the window when a resize by
// mouse begins and ends, so the window can pause what must not run while
// its size changes.
class SizeGrip : public QSizeGrip
{
    Q_OBJECT
public:
    explicit SizeGrip(QWidget *parent);

signals:
    void beginResize();
    void endResize();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
