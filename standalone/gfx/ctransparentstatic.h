#pragma once

#include <QLabel>

namespace divad {

// A text label that draws only its letters, straight over whatever its
// parent painted behind it: lines break at word ends (a word wider than the
// label breaks inside), and a last line that would be cut by the bottom
// edge is left out. Owned by its dialog; user-interface thread.
class CTransparentStatic : public QLabel
{
    Q_OBJECT

public:
    explicit CTransparentStatic(QWidget *parent = nullptr);

    // The lines the label shows for its present text, width and height.
    QStringList VisibleLines() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Line
    {
        QString text;
        qreal top = 0;
    };
    QVector<Line> layoutLines() const;
};

} // namespace divad
