#include "widgets/tabbutton.h"

TabButton::TabButton(QWidget *parent)
    : Button(parent)
{
    connect(this, &QAbstractButton::clicked, this, &TabButton::onClicked);
    setCheckable(true);
}

void TabButton::onClicked()
{
    emit clicked(m_index);
}
