#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `action` on the next modal widget once it is up (looking every 10 ms),
// so a test can answer a dialog that a blocking exec() shows.
inline void whenModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(10, [action]() {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            whenModal(action);
            return;
        }
        action(modal);
    });
}
