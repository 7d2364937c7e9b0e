#pragma once

class QWidget;

// Gives a frameless window its soft shadow: the window's own background
// becomes translucent and `target`, the child frame that holds everything
// visible, casts a shadow (offset 0, blur radius 20) into the window's outer
// margin. The effect is owned by `window`.
void addDropShadow(QWidget *window, QWidget *target);
