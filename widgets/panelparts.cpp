#include "widgets/panelparts.h"

#include "widgets/button.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>

Button *makePanelCloseButton(QWidget *parent)
{
    auto *button = new Button(parent);
    button->setObjectName(QStringLiteral("buttonCloseSettings"));
    button->setIconSize(QSize(31, 19));
    return button;
}

Button *makePanelBackButton(QWidget *parent)
{
    auto *button = new Button(parent);
    button->setObjectName(QStringLiteral("buttonNavigateBack"));
    button->setIconSize(QSize(30, 30));
    return button;
}

CommandBox makeCommandBox(QWidget *parent)
{
    CommandBox box;
    box.frame = new QFrame(parent);
    box.frame->setObjectName(QStringLiteral("settingsViewCommadBox"));
    box.frame->setFixedHeight(67);
    auto *layout = new QHBoxLayout(box.frame);
    layout->setContentsMargins(20, 1, 20, 0);
    box.cancel = new QPushButton(box.frame);
    box.cancel->setObjectName(QStringLiteral("buttonCancel"));
    box.cancel->setFixedHeight(42);
    box.cancel->setMinimumWidth(75);
    box.save = new QPushButton(box.frame);
    box.save->setObjectName(QStringLiteral("buttonSaveSettings"));
    box.save->setFixedHeight(42);
    box.save->setMinimumWidth(116);
    layout->addWidget(box.cancel);
    layout->addStretch();
    layout->addSpacing(8);
    layout->addWidget(box.save);
    return box;
}
