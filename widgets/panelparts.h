#pragma once

class Button;
class QFrame;
class QPushButton;
class QWidget;

// The parts every side panel of the main window (settings, book editor)
// shares, styled by their object names. The caller sets the texts and
// connects the buttons; the widgets belong to `parent`.

// The close button at the panel's top right ("buttonCloseSettings").
Button *makePanelCloseButton(QWidget *parent);
// The back arrow before the panel's header ("buttonNavigateBack").
Button *makePanelBackButton(QWidget *parent);

// The bar at the panel's foot: CANCEL at the left, SAVE at the right
// ("settingsViewCommadBox", "buttonCancel", "buttonSaveSettings").
struct CommandBox
{
    QFrame *frame = nullptr;
    QPushButton *cancel = nullptr;
    QPushButton *save = nullptr;
};

CommandBox makeCommandBox(QWidget *parent);
