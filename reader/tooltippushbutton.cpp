#include "reader/tooltippushbutton.h"

#include <QCursor>
#include <QToolTip>

TooltipPushButton::TooltipPushButton(QWidget *parent)
    : Button(parent)
{
}

void TooltipPushButton::enterEvent(QEvent *event)
{
    if (!toolTip().isEmpty())
        QToolTip::showText(QCursor::pos(), toolTip(), this, QRect(), toolTipDuration());
    Button::enterEvent(event);
}
