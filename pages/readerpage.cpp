#include "pages/readerpage.h"

ReaderPage::ReaderPage(QWidget *parent)
    : QFrame(parent)
{
}

ReaderPage::~ReaderPage() = default;
