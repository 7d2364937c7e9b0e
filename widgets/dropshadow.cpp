#include "widgets/dropshadow.h"

#include <QGraphicsDropShadowEffect>
#include <QWidget>

void addDropShadow(QWidget *window, QWidget *target)
{
    if (!window || !target)
        return;
    window->setAttribute(Qt::WA_TranslucentBackground);
    auto *effect = new QGraphicsDropShadowEffect(window);
    effect->setOffset(0, 0);
    effect->setBlurRadius(20.0);
    target->setGraphicsEffect(effect);
}
