#pragma once

#include <QString>

#include <functional>

class QWidget;

// Asks the reader to confirm a deletion in a reading panel (title, text);
// true when the reader agreed. Panels take one so that tests and tools can
// answer in place of the modal box.
using PanelConfirmation
        = std::function<bool(const QString &title, const QString &text, QWidget *parent)>;

// Through the confirmation, or in a modal message box with the box's own OK
// and a default "CANCEL" when there is none.
bool confirmInPanel(const PanelConfirmation &confirmation, const QString &title,
                    const QString &text, QWidget *parent);
