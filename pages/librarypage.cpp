#include "pages/librarypage.h"

LibraryPage::LibraryPage(QWidget *parent)
    : QFrame(parent)
{
}

LibraryPage::~LibraryPage() = default;
