#include "pages/bookpropertiespanel.h"

BookPropertiesPanel::BookPropertiesPanel(QWidget *parent)
    : QFrame(parent)
{
}

BookPropertiesPanel::~BookPropertiesPanel() = default;
