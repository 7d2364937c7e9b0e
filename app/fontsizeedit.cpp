#include "app/fontsizeedit.h"

FontSizeEdit::FontSizeEdit(QWidget *parent)
    : QSpinBox(parent)
{
    setObjectName(QStringLiteral("fontSizeEdit"));
    setSuffix(QStringLiteral("pt"));
    setRange(8, 32);
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setAlignment(Qt::AlignCenter);
    setFixedSize(60, 37);
}
