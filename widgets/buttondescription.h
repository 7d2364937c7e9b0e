#pragma once

#include "widgets/button.h"

// A Button that shows a second, shorter string (the description) in its own
// colour in front of the elided main text; the main window's large
// navigation buttons use it. It keeps icon paddings of its own: on this class
// qproperty-iconPaddingLeft and qproperty-iconPaddingRight reach these, and
// the inherited Button paddings play no part. It draws no menu icon.
class ButtonDescription : public Button
{
    Q_OBJECT
    Q_PROPERTY(QColor colorDescriptionNormal READ colorDescriptionNormal WRITE
                       setColorDescriptionNormal)
    Q_PROPERTY(
            QColor colorDescriptionHover READ colorDescriptionHover WRITE setColorDescriptionHover)
    Q_PROPERTY(QColor colorDescriptionPressed READ colorDescriptionPressed WRITE
                       setColorDescriptionPressed)
    Q_PROPERTY(QColor colorDescriptionChecked READ colorDescriptionChecked WRITE
                       setColorDescriptionChecked)
    Q_PROPERTY(QColor colorDescriptionDisabled READ colorDescriptionDisabled WRITE
                       setColorDescriptionDisabled)
    Q_PROPERTY(QString description READ description WRITE setDescription)
    Q_PROPERTY(int textPadding READ textPadding WRITE setTextPadding)
    Q_PROPERTY(int iconPaddingLeft READ iconPaddingLeft WRITE setIconPaddingLeft)
    Q_PROPERTY(int iconPaddingRight READ iconPaddingRight WRITE setIconPaddingRight)
public:
    explicit ButtonDescription(QWidget *parent = nullptr);

    QColor colorDescriptionNormal() const { return m_colorDescriptionNormal; }
    void setColorDescriptionNormal(const QColor &color) { m_colorDescriptionNormal = color; }
    QColor colorDescriptionHover() const { return m_colorDescriptionHover; }
    void setColorDescriptionHover(const QColor &color) { m_colorDescriptionHover = color; }
    QColor colorDescriptionPressed() const { return m_colorDescriptionPressed; }
    void setColorDescriptionPressed(const QColor &color) { m_colorDescriptionPressed = color; }
    QColor colorDescriptionChecked() const { return m_colorDescriptionChecked; }
    void setColorDescriptionChecked(const QColor &color) { m_colorDescriptionChecked = color; }
    QColor colorDescriptionDisabled() const { return m_colorDescriptionDisabled; }
    void setColorDescriptionDisabled(const QColor &color) { m_colorDescriptionDisabled = color; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    int textPadding() const { return m_textPadding; }
    void setTextPadding(int pixels) { m_textPadding = pixels; }
    int iconPaddingLeft() const { return m_iconPaddingLeft; }
    void setIconPaddingLeft(int pixels) { m_iconPaddingLeft = pixels; }
    int iconPaddingRight() const { return m_iconPaddingRight; }
    void setIconPaddingRight(int pixels) { m_iconPaddingRight = pixels; }

    QColor descriptionColorFor(const QStyleOptionButton &option) const;
    // The style option this class paints and measures with: the widget's
    // state flags only, no text, icon or menu.
    void fillStyleOption(QStyleOptionButton *option) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colorDescriptionNormal;
    QColor m_colorDescriptionHover;
    QColor m_colorDescriptionPressed;
    QColor m_colorDescriptionChecked;
    QColor m_colorDescriptionDisabled;
    QString m_description;
    int m_textPadding = 5;
    int m_iconPaddingLeft = 0;
    int m_iconPaddingRight = 0;
};
