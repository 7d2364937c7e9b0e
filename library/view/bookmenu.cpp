#include "library/view/bookmenu.h"

BookMenu::BookMenu(QWidget *parent)
    : QMenu(parent)
{
}

BookMenu::~BookMenu() = default;
