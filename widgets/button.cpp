#include "widgets/button.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QStyleOptionButton>

Button::Button(QWidget *parent)
    : QPushButton(parent)
{
    // Entering and leaving must repaint: the hover icon and colour depend on it.
    setAttribute(Qt::WA_Hover);
}

QString Button::iconFor(const QStyleOptionButton &option) const
{
    return pick(option.state, m_iconNormal, m_iconHover, m_iconPressed, m_iconChecked,
                m_iconDisabled, true);
}

QString Button::menuIconFor(const QStyleOptionButton &option) const
{
    return pick(option.state, m_menuIconNormal, m_menuIconHover, m_menuIconPressed,
                m_menuIconChecked, m_menuIconDisabled, true);
}

QColor Button::textColorFor(const QStyleOptionButton &option) const
{
    return pick(option.state, m_colorTextNormal, m_colorTextHover, m_colorTextPressed,
                m_colorTextChecked, m_colorTextDisabled, false);
}

void Button::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.state &= ~QStyle::State_HasFocus;
    drawPanel(painter, option);

    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    const int w = width();
    const int h = height();
    const int centerX = (w - 1) / 2;
    const int centerY = (h - 1) / 2;
    const QSize icon = iconSize();
    const bool leftAligned = m_iconAlignment != 0;

    const QColor textColor = textColorFor(option);
    const QString iconPath = iconFor(option);

    QPoint iconPosition;
    QRectF textRect;
    if (!iconPath.isEmpty()) {
        if (!leftAligned) {
            const qreal group
                    = textSize.width() + icon.width() + m_iconPaddingLeft + m_iconPaddingRight + 5;
            iconPosition = QPoint(int(centerX - group / 2), int(h / 2.0 - icon.height() / 2.0));
            textRect = QRectF(iconPosition.x() + icon.width() + 5 + m_iconPaddingRight,
                              centerY - textSize.height() / 2.0, textSize.width(),
                              textSize.height());
        } else {
            iconPosition = QPoint(m_iconPaddingLeft, int(h / 2.0 - icon.height() / 2.0));
            const qreal left = m_iconPaddingLeft + icon.width() + m_iconPaddingRight;
            textRect = QRectF(left, (h / 2) - textSize.height() / 2.0, w - left, textSize.height());
        }
        const QPixmap pixmap = QIcon(iconPath).pixmap(icon);
        painter.drawPixmap(iconPosition, pixmap);
    } else {
        textRect = QRectF(rect());
        if (leftAligned)
            textRect.setLeft(textRect.left() + m_iconPaddingLeft + m_iconPaddingRight);
    }

    if (!text().isEmpty()) {
        const QPen previous = painter.pen();
        QPen pen(textColor);
        pen.setWidthF(previous.widthF());
        painter.setPen(pen);
        const int flags = leftAligned ? (Qt::AlignLeft | Qt::AlignVCenter)
                                      : (Qt::AlignHCenter | Qt::AlignVCenter);
        painter.drawText(textRect, flags, text());
        painter.setPen(previous);
    }

    const QString menuPath = menuIconFor(option);
    if (!menuPath.isEmpty()) {
        const QRect target((w - 1) - m_menuIconPaddingRight - m_menuIconSize.width(),
                           h / 2 - m_menuIconSize.height() / 2, m_menuIconSize.width(),
                           m_menuIconSize.height());
        painter.drawPixmap(target, QPixmap(menuPath));
    }
}

QSize Button::sizeHint() const
{
    ensurePolished();
    int w = 10;
    int h = 10;
    QStyleOptionButton option;
    initStyleOption(&option);

    if (!iconFor(option).isEmpty()) {
        w = 10 + option.iconSize.width() + m_iconPaddingLeft + m_iconPaddingRight;
        h = qMax(10, option.iconSize.height());
    }
    if (!menuIconFor(option).isEmpty()) {
        w += m_menuIconPaddingRight + m_menuIconSize.width();
        h = qMax(h, m_menuIconSize.height());
    }
    const bool empty = text().isEmpty();
    const QSize textSize
            = fontMetrics().size(Qt::TextShowMnemonic, empty ? QStringLiteral("XXXX") : text());
    if (!empty || w == 0)
        w += textSize.width();
    if (!empty || h == 0)
        h = qMax(h, textSize.height());

    return styledSize(option, w, h);
}

void Button::drawPanel(QPainter &painter, QStyleOptionButton option) const
{
    option.state &= ~QStyle::State_HasFocus;
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
}

QSize Button::styledSize(QStyleOptionButton &option, int w, int h) const
{
    option.rect.setSize(QSize(w, h));
    return style()
            ->sizeFromContents(QStyle::CT_PushButton, &option, QSize(w, h), this)
            .expandedTo(QApplication::globalStrut());
}
