#include "library/view/emptysearchlabel.h"

EmptySearchLabel::EmptySearchLabel(QWidget *view)
    : QLabel(view)
{
    setObjectName(QStringLiteral("labelEmptySearch"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    // The message quotes what the user typed: text, never markup.
    setTextFormat(Qt::PlainText);
    hide();
}

void EmptySearchLabel::showMessage(const QString &text)
{
    setText(text);
    show();
    raise();
}
