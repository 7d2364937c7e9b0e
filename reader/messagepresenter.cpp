#include "reader/messagepresenter.h"

#include "widgets/messageview.h"

#include <QApplication>

void presentMessage(const MessagePresenter &presenter, const QString &title, const QString &text,
                    QWidget *source)
{
    if (presenter) {
        presenter(title, text);
        return;
    }
    // A box without a parent can open behind the main window, where the
    // reader never sees what holds the program up.
    QWidget *parent = source ? source->window() : QApplication::activeWindow();
    MessageView box(title, text, parent);
    box.exec();
}
