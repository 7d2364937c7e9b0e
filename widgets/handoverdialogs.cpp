#include "widgets/handoverdialogs.h"

#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"
#include "widgets/messagepassword.h"
#include "widgets/messageview.h"

void answerPasswordRequest(InputPasswordController *controller, bool checkSkip, QWidget *parent)
{
    if (!controller)
        return;
    MessagePassword dialog(parent);
    dialog.setSkipVisible(checkSkip);
    dialog.setSkipAllVisible(checkSkip);

    PasswordAnswer answer;
    answer.accepted = dialog.exec() == QDialog::Accepted;
    if (answer.accepted) {
        answer.password = dialog.getPasssword();
        answer.skip = dialog.isSkip();
        answer.skipAll = dialog.isSkipAll();
    }
    controller->answer(answer);
}

void answerMessageRequest(MessageBoxController *controller, const QString &title,
                          const QString &message, QWidget *parent)
{
    if (!controller)
        return;
    {
        MessageView box(title, message, parent);
        box.exec();
    }
    controller->setPending(0);
}
