#pragma once

#include <QColor>
#include <QPushButton>
#include <QSize>
#include <QString>
#include <QStyle>

class QStyleOptionButton;

// The push button every window uses in place of QPushButton. It paints its
// own state icon, text and optional menu marker; the icon file and the text
// colour come per visual state (normal, hover, pressed, checked, disabled)
// from Qt properties, which the application style sheet sets per object name
// with qproperty- entries. A property write only stores the value: the style
// sheet sets them before the first paint.
//
// The state of the moment is read from the style option at every paint and
// size hint: checked beats pressed, pressed beats hover; a disabled button
// takes the disabled icons only where they are set, and always the disabled
// text colour. An empty path for the chosen state means no icon in that state.
class Button : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QString iconNormal READ iconNormal WRITE setIconNormal)
    Q_PROPERTY(QString iconHover READ iconHover WRITE setIconHover)
    Q_PROPERTY(QString iconPressed READ iconPressed WRITE setIconPressed)
    Q_PROPERTY(QString iconChecked READ iconChecked WRITE setIconChecked)
    Q_PROPERTY(QString iconDisabled READ iconDisabled WRITE setIconDisabled)
    Q_PROPERTY(Qt::Alignment iconAlignment READ iconAlignment WRITE setIconAlignment)
    Q_PROPERTY(QColor colorTextNormal READ colorTextNormal WRITE setColorTextNormal)
    Q_PROPERTY(QColor colorTextHover READ colorTextHover WRITE setColorTextHover)
    Q_PROPERTY(QColor colorTextPressed READ colorTextPressed WRITE setColorTextPressed)
    Q_PROPERTY(QColor colorTextChecked READ colorTextChecked WRITE setColorTextChecked)
    Q_PROPERTY(QColor colorTextDisabled READ colorTextDisabled WRITE setColorTextDisabled)
    Q_PROPERTY(int iconPaddingLeft READ iconPaddingLeft WRITE setIconPaddingLeft)
    Q_PROPERTY(int iconPaddingRight READ iconPaddingRight WRITE setIconPaddingRight)
    Q_PROPERTY(QString menuIconNormal READ menuIconNormal WRITE setMenuIconNormal)
    Q_PROPERTY(QString menuIconHover READ menuIconHover WRITE setMenuIconHover)
    Q_PROPERTY(QString menuIconPressed READ menuIconPressed WRITE setMenuIconPressed)
    Q_PROPERTY(QString menuIconChecked READ menuIconChecked WRITE setMenuIconChecked)
    Q_PROPERTY(QString menuIconDisabled READ menuIconDisabled WRITE setMenuIconDisabled)
    Q_PROPERTY(int menuIconPaddingRight READ menuIconPaddingRight WRITE setMenuIconPaddingRight)
    Q_PROPERTY(QSize menuIconSize READ menuIconSize WRITE setMenuIconSize)
public:
    explicit Button(QWidget *parent = nullptr);

    QString iconNormal() const { return m_iconNormal; }
    void setIconNormal(const QString &path) { m_iconNormal = path; }
    QString iconHover() const { return m_iconHover; }
    void setIconHover(const QString &path) { m_iconHover = path; }
    QString iconPressed() const { return m_iconPressed; }
    void setIconPressed(const QString &path) { m_iconPressed = path; }
    QString iconChecked() const { return m_iconChecked; }
    void setIconChecked(const QString &path) { m_iconChecked = path; }
    QString iconDisabled() const { return m_iconDisabled; }
    void setIconDisabled(const QString &path) { m_iconDisabled = path; }
    Qt::Alignment iconAlignment() const { return m_iconAlignment; }
    void setIconAlignment(Qt::Alignment alignment) { m_iconAlignment = alignment; }

    QColor colorTextNormal() const { return m_colorTextNormal; }
    void setColorTextNormal(const QColor &color) { m_colorTextNormal = color; }
    QColor colorTextHover() const { return m_colorTextHover; }
    void setColorTextHover(const QColor &color) { m_colorTextHover = color; }
    QColor colorTextPressed() const { return m_colorTextPressed; }
    void setColorTextPressed(const QColor &color) { m_colorTextPressed = color; }
    QColor colorTextChecked() const { return m_colorTextChecked; }
    void setColorTextChecked(const QColor &color) { m_colorTextChecked = color; }
    QColor colorTextDisabled() const { return m_colorTextDisabled; }
    void setColorTextDisabled(const QColor &color) { m_colorTextDisabled = color; }

    int iconPaddingLeft() const { return m_iconPaddingLeft; }
    void setIconPaddingLeft(int pixels) { m_iconPaddingLeft = pixels; }
    int iconPaddingRight() const { return m_iconPaddingRight; }
    void setIconPaddingRight(int pixels) { m_iconPaddingRight = pixels; }

    QString menuIconNormal() const { return m_menuIconNormal; }
    void setMenuIconNormal(const QString &path) { m_menuIconNormal = path; }
    QString menuIconHover() const { return m_menuIconHover; }
    void setMenuIconHover(const QString &path) { m_menuIconHover = path; }
    QString menuIconPressed() const { return m_menuIconPressed; }
    void setMenuIconPressed(const QString &path) { m_menuIconPressed = path; }
    QString menuIconChecked() const { return m_menuIconChecked; }
    void setMenuIconChecked(const QString &path) { m_menuIconChecked = path; }
    QString menuIconDisabled() const { return m_menuIconDisabled; }
    void setMenuIconDisabled(const QString &path) { m_menuIconDisabled = path; }
    int menuIconPaddingRight() const { return m_menuIconPaddingRight; }
    void setMenuIconPaddingRight(int pixels) { m_menuIconPaddingRight = pixels; }
    QSize menuIconSize() const { return m_menuIconSize; }
    void setMenuIconSize(const QSize &size) { m_menuIconSize = size; }

    // The values of the moment for a style option's state flags.
    QString iconFor(const QStyleOptionButton &option) const;
    QString menuIconFor(const QStyleOptionButton &option) const;
    QColor textColorFor(const QStyleOptionButton &option) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

    // The style's panel for `option` (style-sheet background and border),
    // without focus frame and without text: the text is drawn by the
    // button itself, in the colour of the moment.
    void drawPanel(QPainter &painter, QStyleOptionButton option) const;
    // The style's push-button size around contents of w x h.
    QSize styledSize(QStyleOptionButton &option, int w, int h) const;

    // Picks one member of a per-state family (see the class comment).
    // `useDisabled` tells whether the disabled value replaces the others
    // always (colours) or only when it is not empty (icons).
    template<typename T>
    static T pick(QStyle::State state, const T &normal, const T &hover, const T &pressed,
                  const T &checked, const T &disabled, bool disabledOnlyIfSet);

private:
    QString m_iconNormal;
    QString m_iconHover;
    QString m_iconPressed;
    QString m_iconChecked;
    QString m_iconDisabled;
    Qt::Alignment m_iconAlignment;
    QColor m_colorTextNormal;
    QColor m_colorTextHover;
    QColor m_colorTextPressed;
    QColor m_colorTextChecked;
    QColor m_colorTextDisabled;
    int m_iconPaddingLeft = 0;
    int m_iconPaddingRight = 0;
    QString m_menuIconNormal;
    QString m_menuIconHover;
    QString m_menuIconPressed;
    QString m_menuIconChecked;
    QString m_menuIconDisabled;
    int m_menuIconPaddingRight = 0;
    QSize m_menuIconSize = QSize(-1, -1);
};

template<typename T>
T Button::pick(QStyle::State state, const T &normal, const T &hover, const T &pressed,
               const T &checked, const T &disabled, bool disabledOnlyIfSet)
{
    T value = normal;
    if (state & QStyle::State_MouseOver)
        value = hover;
    if (state & QStyle::State_Sunken)
        value = pressed;
    if (state & QStyle::State_On)
        value = checked;
    if (!(state & QStyle::State_Enabled) && (!disabledOnlyIfSet || disabled != T()))
        value = disabled;
    return value;
}
