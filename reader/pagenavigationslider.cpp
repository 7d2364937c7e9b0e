#include "reader/pagenavigationslider.h"

#include "reader/pagenavigationpanel.h"
#include "reader/pagenavigationtooltip.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

PageNavigationSlider::PageNavigationSlider(Qt::Orientation orientation, PageNavigationPanel *panel,
                                           QWidget *parent)
    : QSlider(orientation, parent)
    , m_panel(panel)
{
    setMouseTracking(true);
}

void PageNavigationSlider::keyPressEvent(QKeyEvent *event)
{
    event->accept();
}

void PageNavigationSlider::mouseMoveEvent(QMouseEvent *event)
{
    const int x = event->pos().x();
    if (x < 0 || x > width()) {
        if (m_panel && m_panel->hasTooltip())
            m_panel->tooltip()->hide();
        event->accept();
        return;
    }
    m_previewValue = QStyle::sliderValueFromPosition(minimum(), maximum(), x, width(), false);
    emit previewSlider(m_previewValue, event->globalPos().x());
    placeTooltip(event->globalPos().x());
    event->accept();
    if (m_pressed)
        setValue(m_previewValue);
}

void PageNavigationSlider::mousePressEvent(QMouseEvent *event)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle
            = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    if (event->button() == Qt::LeftButton && !handle.contains(event->pos())) {
        setSliderDown(true);
        setValue(m_previewValue);
        emit previewSlider(m_previewValue, event->globalPos().x());
        placeTooltip(event->globalPos().x());
    }
    m_pressed = true;
    QSlider::mousePressEvent(event);
}

void PageNavigationSlider::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    QSlider::mouseReleaseEvent(event);
}

void PageNavigationSlider::leaveEvent(QEvent *event)
{
    if (m_panel && m_panel->hasTooltip())
        m_panel->tooltip()->hide();
    QSlider::leaveEvent(event);
}

void PageNavigationSlider::placeTooltip(int globalX)
{
    if (!m_panel || !m_panel->parentWidget())
        return;
    QWidget *host = m_panel->parentWidget();
    PageNavigationTooltip *tip = m_panel->tooltip();
    tip->show();
    tip->raise();
    const int hostWidth = host->width();
    const int w = tip->width();
    const int h = tip->height();
    const int mx = host->mapFromGlobal(QPoint(globalX, 0)).x();
    const int y = host->height() - h - 15;
    if (mx < w / 2 + 2) {
        tip->move(2, y);
        tip->setArrowOffset(w - mx - 2);
    } else if (mx <= hostWidth - w / 2 - 2) {
        tip->move(mx - w / 2, y);
        tip->setArrowOffset(w / 2);
    } else {
        const int x = hostWidth - w - 2;
        tip->move(x, y);
        tip->setArrowOffset(x + w - mx);
    }
}
