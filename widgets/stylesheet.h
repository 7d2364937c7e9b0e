#pragma once

// Loads the application style sheet ":/style/style.css" into the running
// QApplication, replacing any sheet set before, and makes the application
// font prefer antialiasing. When the sheet cannot be read the current sheet
// stays (at start-up: none) and only the font changes. Call on the GUI
// thread after the QApplication exists.
void reloadStyleSheet();
