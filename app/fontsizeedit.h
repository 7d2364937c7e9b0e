#pragma once

#include <QSpinBox>

// The font-size field of the settings page: 8 to 32 points, shown as "14pt",
// centred, without up and down buttons.
class FontSizeEdit : public QSpinBox
{
    Q_OBJECT
public:
    explicit FontSizeEdit(QWidget *parent = nullptr);
};
