#include "widgets/sizegrip.h"

SizeGrip::SizeGrip(QWidget *parent)
    : QSizeGrip(parent)
{
}

void SizeGrip::mousePressEvent(QMouseEvent *event)
{
    emit beginResize();
    QSizeGrip::mousePressEvent(event);
}

void SizeGrip::mouseReleaseEvent(QMouseEvent *event)
{
    emit endResize();
    QSizeGrip::mouseReleaseEvent(event);
}
