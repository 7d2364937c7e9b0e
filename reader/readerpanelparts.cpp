#include "reader/readerpanelparts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QLabel *makeReaderPanelTitle(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("settingsLabel"));
    return label;
}

QPushButton *makeReaderPanelCommand(const char *name, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setFixedHeight(42);
    button->setMinimumWidth(75);
    return button;
}

QFrame *makeReaderPanelCommandBar(QPushButton *cancel, QPushButton *goTo, QWidget *parent)
{
    auto *bar = new QFrame(parent);
    bar->setObjectName(QStringLiteral("settingsViewCommadBox"));
    bar->setFixedHeight(67);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(20, 0, 20, 0);
    layout->addWidget(cancel);
    layout->addStretch();
    layout->addWidget(goTo);
    return bar;
}

QHBoxLayout *makeReaderPanelTitleRow(QWidget *back, QLabel *title, QWidget *trailing)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(back);
    row->addWidget(title);
    row->addStretch();
    row->addWidget(trailing);
    return row;
}

QFrame *makeReaderPanelWhiteBox(QWidget *content, int margin, QWidget *parent)
{
    auto *white = new QFrame(parent);
    white->setObjectName(QStringLiteral("whiteBox"));
    auto *layout = new QVBoxLayout(white);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(content);
    return white;
}

void layOutReaderPanel(QWidget *panel, QWidget *aboveTitle, QHBoxLayout *titleRow, QWidget *content,
                       QFrame *commandBar)
{
    auto *inner = new QVBoxLayout;
    inner->setContentsMargins(20, 0, 20, 0);
    if (aboveTitle) {
        inner->addWidget(aboveTitle, 0, Qt::AlignRight);
        inner->addSpacing(8);
    }
    inner->addLayout(titleRow);
    inner->addSpacing(11);
    inner->addWidget(content, 1);

    auto *outer = new QVBoxLayout(panel);
    outer->setContentsMargins(0, 2, 0, 0);
    outer->addLayout(inner, 1);
    outer->addSpacing(20);
    outer->addWidget(commandBar);
}
