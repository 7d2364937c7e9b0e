#pragma once

#include "widgets/button.h"

// The button of the reading tool bar: a Button whose tooltip shows the
// moment the mouse enters it, not after the system's delay.
class TooltipPushButton : public Button
{
    Q_OBJECT
public:
    explicit TooltipPushButton(QWidget *parent = nullptr);

protected:
    void enterEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(TooltipPushButton)
};
