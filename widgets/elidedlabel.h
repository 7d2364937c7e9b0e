#pragma once

#include <QFrame>
#include <QString>

// A multi-line label that draws as many whole lines as fit and elides the
// last visible one at the right. It announces each change of its elided
// state once (elisionChanged), as found by its latest paint.
class ElidedLabel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(bool isElided READ isElided)
public:
    explicit ElidedLabel(const QString &text = QString(), QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }
    bool isElided() const { return m_elided; }

signals:
    void elisionChanged(bool elided);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    bool m_elided = false;
};
