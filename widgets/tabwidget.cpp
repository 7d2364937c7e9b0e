#include "widgets/tabwidget.h"

#include "widgets/tabbutton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>

TabWidget::TabWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("tabWidget"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_strip = new QLabel(this);
    m_strip->setObjectName(QStringLiteral("labelTabBarHide"));
    m_tabRow = new QHBoxLayout(m_strip);
    m_tabRow->setAlignment(Qt::AlignTop);
    m_tabRow->setSpacing(0);
    m_tabRow->setContentsMargins(0, 0, 0, 0);
    m_tabRow->addStretch();

    m_pages = new QStackedLayout;
    layout->addWidget(m_strip);
    layout->addLayout(m_pages);
}

int TabWidget::insertTab(QWidget *page, int index, TabButton *button)
{
    if (button) {
        button->setIndex(index);
        m_tabRow->insertWidget(m_buttons.size(), button);
        m_buttons.insert(m_count, button);
        connect(button, &TabButton::clicked, this, &TabWidget::tabButtonClicked);
    }
    const int position = m_pages->insertWidget(index, page);
    ++m_count;
    return position;
}

void TabWidget::addCornerWidget(QWidget *widget)
{
    m_tabRow->addWidget(widget);
}

QWidget *TabWidget::currentPage() const
{
    return m_pages->currentWidget();
}

void TabWidget::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_count)
        return;
    m_currentIndex = index;
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        it.value()->setChecked(it.key() == index);
        it.value()->raise();
    }
    if (m_buttons.contains(index) && m_strip->objectName() != QLatin1String("labelTabBar")) {
        m_strip->setObjectName(QStringLiteral("labelTabBar"));
        // The style sheet picks rules by name when it polishes; a renamed
        // widget must be polished again to take the new name's rules.
        style()->unpolish(m_strip);
        style()->polish(m_strip);
        m_strip->update();
    }
    m_pages->setCurrentIndex(index);
    emit currentIndexChanged(index);
}

void TabWidget::tabButtonClicked(int index)
{
    setCurrentIndex(index);
}

void TabWidget::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
