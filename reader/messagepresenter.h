#pragma once

#include <QString>

#include <functional>

// Shows a message to the reader (title, text). Parts of the reading view
// take one so that tests and tools can stand in for the modal box.
using MessagePresenter = std::function<void(const QString &title, const QString &text)>;

class QWidget;

// Through the presenter, or in a modal message box over the window of
// source (or, without one, the active window) when there is none; returns
// when the message has been seen.
void presentMessage(const MessagePresenter &presenter, const QString &title, const QString &text,
                    QWidget *source = nullptr);
