#include "reader/viewerpage.h"

ViewerPage::ViewerPage(QObject *parent)
    : BookPage(parent)
{
    setLinkDelegationPolicy(QWebPage::DelegateAllLinks);
}

ViewerPage::~ViewerPage() = default;
