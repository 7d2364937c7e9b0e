#include "pages/searchbox.h"

SearchBox::SearchBox(QWidget *parent)
    : QFrame(parent)
{
}

SearchBox::~SearchBox() = default;
