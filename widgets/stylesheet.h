#pragma once

#include <QColor>
#include <QString>

// Loads the application style sheet ":/style/style.css" into the running
// QApplication, replacing any sheet set before, and makes the application
// font prefer antialiasing. When the sheet cannot be read the current sheet
// stays (at start-up: none) and only the font changes. Call on the GUI
// thread after the QApplication exists.
void reloadStyleSheet();

// The style sheet of a viewer's scroll bars (":/style/scrollbar_template.css")
// on the given background; empty when the template cannot be read.
QString scrollBarStyleSheet(const QColor &background);
