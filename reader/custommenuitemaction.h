#pragma once

#include <QColor>
#include <QWidgetAction>

// The row of colour swatches in the reader's context menu. The menu makes
// the row's widget and connects each swatch to onSelected().
class CustomMenuItemAction : public QWidgetAction
{
    Q_OBJECT
public:
    explicit CustomMenuItemAction(QObject *parent = nullptr);

signals:
    void colorButtonClicked(const QColor &color);

public slots:
    // Run by a swatch's click: emits its colour, triggers the action and
    // closes the menu that holds it.
    void onSelected();

private:
    Q_DISABLE_COPY_MOVE(CustomMenuItemAction)
};
