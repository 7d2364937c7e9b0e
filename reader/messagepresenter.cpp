#include "reader/messagepresenter.h"

#include "widgets/messageview.h"

void presentMessage(const MessagePresenter &presenter, const QString &title, const QString &text)
{
    if (presenter) {
        presenter(title, text);
        return;
    }
    MessageView box(title, text);
    box.exec();
}
