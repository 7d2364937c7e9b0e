#include "widgets/buttondescription.h"

#include <QIcon>
#include <QPainter>
#include <QStyleOptionButton>

ButtonDescription::ButtonDescription(QWidget *parent)
    : Button(parent)
{
}

QColor ButtonDescription::descriptionColorFor(const QStyleOptionButton &option) const
{
    return pick(option.state, m_colorDescriptionNormal, m_colorDescriptionHover,
                m_colorDescriptionPressed, m_colorDescriptionChecked, m_colorDescriptionDisabled,
                false);
}

void ButtonDescription::fillStyleOption(QStyleOptionButton *option) const
{
    option->initFrom(this);
    option->features = QStyleOptionButton::None;
    if (isFlat())
        option->features |= QStyleOptionButton::Flat;
    if (window()->isActiveWindow())
        option->state |= QStyle::State_Active;
    if (isEnabled())
        option->state |= QStyle::State_Enabled;
    if (isDown())
        option->state |= QStyle::State_Sunken;
    if (isChecked())
        option->state |= QStyle::State_On;
    if (!isFlat() && !isDown())
        option->state |= QStyle::State_Raised;
    option->iconSize = iconSize();
}

void ButtonDescription::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionButton option;
    fillStyleOption(&option);
    option.state &= ~QStyle::State_HasFocus;
    drawPanel(painter, option);

    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    const QSize descriptionSize = fontMetrics().size(Qt::TextShowMnemonic, m_description);
    const QColor textColor = textColorFor(option);
    const QColor descriptionColor = descriptionColorFor(option);
    const QString iconPath = iconFor(option);
    const int centerX = (width() - 1) / 2;
    const int centerY = (height() - 1) / 2;
    const QSize icon = iconSize();

    QRectF textRect = QRectF(rect());
    QRectF descriptionRect;
    if (!iconPath.isEmpty()) {
        QRect iconRect;
        if (iconAlignment() != 0) {
            iconRect = QRect(m_iconPaddingLeft, centerY - icon.height() / 2, icon.width(),
                             icon.height());
        } else {
            qreal group = icon.width() + m_iconPaddingLeft;
            if (!text().isEmpty())
                group += textSize.width();
            if (!m_description.isEmpty())
                group += descriptionSize.width() + m_textPadding;
            iconRect = QRect(int(centerX - group / 2), centerY - icon.height() / 2, icon.width(),
                             icon.height());
        }
        const qreal x = iconRect.x() + icon.width() + m_iconPaddingRight;
        descriptionRect = QRectF(x, centerY - descriptionSize.height() / 2.0,
                                 descriptionSize.width(), descriptionSize.height());
        const qreal textLeft = x + descriptionSize.width() + m_textPadding;
        textRect = QRectF(textLeft, centerY - textSize.height() / 2.0, width() - textLeft,
                          textSize.height());
        painter.drawPixmap(iconRect.topLeft(), QIcon(iconPath).pixmap(iconRect.size()));
    } else if (!m_description.isEmpty()) {
        // No icon in this state: the description keeps its place at the
        // left padding and the text follows it, as if the icon were empty.
        const qreal x = m_iconPaddingLeft;
        descriptionRect = QRectF(x, centerY - descriptionSize.height() / 2.0,
                                 descriptionSize.width(), descriptionSize.height());
        const qreal textLeft = x + descriptionSize.width() + m_textPadding;
        textRect = QRectF(textLeft, centerY - textSize.height() / 2.0, width() - textLeft,
                          textSize.height());
    }

    if (!m_description.isEmpty()) {
        painter.save();
        painter.setPen(descriptionColor);
        painter.drawText(descriptionRect, Qt::AlignHCenter | Qt::AlignVCenter, m_description);
        painter.restore();
    }
    if (!text().isEmpty()) {
        painter.save();
        painter.setPen(textColor);
        const QString elided
                = painter.fontMetrics().elidedText(text(), Qt::ElideRight, int(textRect.width()));
        painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignVCenter, elided);
        painter.restore();
    }
}

QSize ButtonDescription::sizeHint() const
{
    ensurePolished();
    int w = 10;
    int h = 0;
    QStyleOptionButton option;
    fillStyleOption(&option);
    if (!iconFor(option).isEmpty()) {
        w = 10 + option.iconSize.width() + m_iconPaddingLeft + m_iconPaddingRight;
        h = qMax(0, option.iconSize.height());
    }
    const bool empty = text().isEmpty();
    const QSize textSize
            = fontMetrics().size(Qt::TextShowMnemonic, empty ? QStringLiteral("XXXX") : text());
    const QSize descriptionSize = fontMetrics().size(Qt::TextShowMnemonic, m_description);
    if (!empty || w == 0)
        w += textSize.width();
    if (!m_description.isEmpty())
        w += m_textPadding + descriptionSize.width();
    if (!empty || h == 0)
        h = qMax(h, textSize.height());
    if (!m_description.isEmpty())
        h = qMax(h, descriptionSize.height());

    return styledSize(option, w, h);
}
