#pragma once

#include <QProgressBar>

// A progress bar whose percentage text stays readable over both parts: the
// text is drawn in the palette's Text colour over the empty part and in its
// HighlightedText colour over the filled part (horizontal, left-to-right
// bars; other bars keep the style's own label).
class ProgressBar : public QProgressBar
{
    Q_OBJECT
public:
    explicit ProgressBar(QWidget *parent = nullptr);

    // The filled part of a horizontal, left-to-right, not inverted bar
    // inside `area`; empty when nothing (or everything out of range) is
    // filled.
    static QRect filledRect(const QRect &area, int minimum, int maximum, int value);

protected:
    void paintEvent(QPaintEvent *event) override;
};
