#include "widgets/windowbar.h"

#include "widgets/button.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

WindowBar::WindowBar(QWidget *parent)
    : QFrame(parent)
{
    m_icon = new QLabel(this);
    m_icon->setFixedSize(16, 16);
    m_icon->setPixmap(QPixmap(QStringLiteral(":/style/images/appicon16.png"))
                              .scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("windowBarLabel"));
    m_title->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    // Titles name books and files: shown as they are, never as markup.
    m_title->setTextFormat(Qt::PlainText);

    const auto makeButton = [this](const char *name, const QSize &size) {
        auto *button = new Button(this);
        button->setObjectName(QLatin1String(name));
        button->setFixedSize(size);
        button->setIconSize(size);
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    };
    m_minimize = makeButton("windowMinimize", QSize(26, 19));
    m_maximize = makeButton("windowMaximize", QSize(25, 19));
    m_close = makeButton("windowClose", QSize(45, 19));

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch();
    buttons->addWidget(m_minimize);
    buttons->addWidget(m_maximize);
    buttons->addWidget(m_close);

    auto *layout = new QGridLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_icon, 0, 0, Qt::AlignLeft | Qt::AlignBottom);
    layout->addWidget(m_title, 0, 1, Qt::AlignHCenter | Qt::AlignVCenter);
    layout->addLayout(buttons, 0, 2, Qt::AlignRight | Qt::AlignTop);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(2, 1);

    connect(m_minimize, &QPushButton::clicked, this, &WindowBar::onButtonMinimize);
    connect(m_maximize, &QPushButton::clicked, this, &WindowBar::onButtonMaximize);
    connect(m_close, &QPushButton::clicked, this, &WindowBar::onButtonClose);

    setFixedHeight(22);
}

void WindowBar::setTitle(const QString &title)
{
    m_title->setText(title);
}

QString WindowBar::title() const
{
    return m_title->text();
}

QFontMetrics WindowBar::titleFontMetrics() const
{
    return m_title->fontMetrics();
}

void WindowBar::setIconVisible(bool visible)
{
    m_icon->setVisible(visible);
}

void WindowBar::setMaximizeVisible(bool visible)
{
    m_maximize->setVisible(visible);
}

void WindowBar::setMinimizeVisible(bool visible)
{
    m_minimize->setVisible(visible);
}

QString WindowBar::maximizeButtonStyleSheet(bool maximized)
{
    const QString normal = maximized ? QStringLiteral(":/style/images/windowed.png")
                                     : QStringLiteral(":/style/images/maximize.png");
    const QString high = maximized ? QStringLiteral(":/style/images/windowedhigh.png")
                                   : QStringLiteral(":/style/images/maximizehigh.png");
    return QStringLiteral("QPushButton{ border: none;\twidth: 25px; height: 19px;\t"
                          "qproperty-iconNormal:url(%1);qproperty-iconHover:url(%2);"
                          "qproperty-iconPressed:url(%2);}")
            .arg(normal, high);
}

void WindowBar::setMaximized(bool maximized)
{
    m_maximize->setStyleSheet(maximizeButtonStyleSheet(maximized));
}

void WindowBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit maximizeWindow();
        return;
    }
    QFrame::mouseDoubleClickEvent(event);
}

void WindowBar::onButtonMinimize()
{
    emit minimizeWindow();
}

void WindowBar::onButtonClose()
{
    emit closeWindow();
}

void WindowBar::onButtonMaximize()
{
    emit maximizeWindow();
}
