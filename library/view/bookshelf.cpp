#include "library/view/bookshelf.h"

BookShelf::BookShelf(QWidget *parent)
    : QListView(parent)
{
}

BookShelf::~BookShelf() = default;
