#include "reader/custommenuitemaction.h"

#include "widgets/shapebutton.h"

#include <QMenu>

CustomMenuItemAction::CustomMenuItemAction(QObject *parent)
    : QWidgetAction(parent)
{
}

void CustomMenuItemAction::onSelected()
{
    if (auto *swatch = qobject_cast<ShapeButton *>(sender()))
        emit colorButtonClicked(swatch->color());
    trigger();
    if (auto *menu = qobject_cast<QMenu *>(parent()))
        menu->close();
}
