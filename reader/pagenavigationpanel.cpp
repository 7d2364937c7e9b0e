#include "reader/pagenavigationpanel.h"

#include "reader/pagenavigationslider.h"
#include "reader/pagenavigationtooltip.h"

#include <QGridLayout>
#include <QPushButton>

PageNavigationPanel::PageNavigationPanel(QWidget *parent)
    : QFrame(parent)
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(20, 2, 20, 0);
    layout->setSpacing(0);

    m_slider = new PageNavigationSlider(Qt::Horizontal, this, this);
    m_slider->setObjectName(QStringLiteral("pageNavigationSlider"));
    m_slider->setMinimumHeight(14);
    m_slider->setMaximumHeight(16);

    m_backButton = new QPushButton(this);
    m_backButton->setObjectName(QStringLiteral("backToPageButton"));

    layout->addWidget(m_backButton, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_slider, 1, 0, 1, 4);
}

void PageNavigationPanel::setPageCount(int first, int last)
{
    m_slider->setRange(first, last);
}

void PageNavigationPanel::setBackToPageVisible(int page)
{
    if (page <= 0)
        m_backButton->setText(QString());
    else
        m_backButton->setText(tr("Back to page") + QStringLiteral(" %1").arg(page));
}

PageNavigationTooltip *PageNavigationPanel::tooltip()
{
    if (!m_tooltip)
        m_tooltip = new PageNavigationTooltip(parentWidget());
    return m_tooltip;
}
