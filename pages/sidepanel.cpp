#include "pages/sidepanel.h"

SidePanel::SidePanel(QWidget *parent)
    : QFrame(parent)
{
}

SidePanel::~SidePanel() = default;
