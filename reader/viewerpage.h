#pragma once

#include "webpolicy/bookpage.h"

// The web page in which the text viewer shows a book file: the book page
// policy, with every link click handed to the view, which knows which links
// lead inside the book and asks before opening any other.
//
// GUI thread only.
class ViewerPage : public BookPage
{
    Q_OBJECT
public:
    explicit ViewerPage(QObject *parent = nullptr);
    ~ViewerPage() override;

private:
    Q_DISABLE_COPY_MOVE(ViewerPage)
};
