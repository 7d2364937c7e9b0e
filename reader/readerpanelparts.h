#pragma once

class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

// The parts the reading view's side panels (contents and bookmarks, notes,
// search) share, styled by their object names. The caller makes its
// focusable widgets in the order the keyboard should reach them, sets the
// texts and connects the buttons; every widget belongs to `parent`.

// The panel's title ("settingsLabel").
QLabel *makeReaderPanelTitle(QWidget *parent);
// A button of the bar at the panel's foot ("buttonCancel",
// "buttonSaveSettings").
QPushButton *makeReaderPanelCommand(const char *name, QWidget *parent);
// The bar at the panel's foot ("settingsViewCommadBox") with cancel at the
// left and go-to at the right, both moved into it.
QFrame *makeReaderPanelCommandBar(QPushButton *cancel, QPushButton *goTo, QWidget *parent);
// The row over the panel's content: the back arrow, the title, and at the
// far right the trailing widget.
QHBoxLayout *makeReaderPanelTitleRow(QWidget *back, QLabel *title, QWidget *trailing);
// A white box ("whiteBox") with content moved into it, margin pixels in.
QFrame *makeReaderPanelWhiteBox(QWidget *content, int margin, QWidget *parent);
// Lays the panel out: between 20-pixel sides the widget above the title
// row (none when null), the title row and the content taking the height,
// then the command bar across the foot.
void layOutReaderPanel(QWidget *panel, QWidget *aboveTitle, QHBoxLayout *titleRow, QWidget *content,
                       QFrame *commandBar);
