#include "reader/panelconfirmation.h"

#include "widgets/messageview.h"

#include <QCoreApplication>
#include <QPushButton>

bool confirmInPanel(const PanelConfirmation &confirmation, const QString &title,
                    const QString &text, QWidget *parent)
{
    if (confirmation)
        return confirmation(title, text, parent);
    MessageView box(title, text, parent);
    auto *cancel = new QPushButton(QCoreApplication::translate("MessageView", "CANCEL"));
    cancel->setObjectName(QStringLiteral("buttonCancel"));
    cancel->setFixedHeight(42);
    cancel->setMinimumWidth(100);
    box.addButton(cancel, QDialogButtonBox::RejectRole);
    cancel->setDefault(true);
    box.exec();
    return box.clickedRole() == QDialogButtonBox::AcceptRole;
}
