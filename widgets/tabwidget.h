#pragma once

#include <QMap>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QStackedLayout;
class TabButton;

// The program's tab container: a strip of TabButtons above a stack of pages,
// one of which is shown. The strip is a label named "labelTabBarHide" until a
// tab that has a button is made current, "labelTabBar" from then on, so the
// style sheet can tell the two apart.
class TabWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TabWidget(QWidget *parent = nullptr);

    // Adds `page` at `index` of the stack and, when given, its button at the
    // end of the strip (the widget takes both over). Returns the page's
    // position in the stack. A page without a button can be made current
    // only by code.
    int insertTab(QWidget *page, int index, TabButton *button);
    // Appends a widget at the right end of the strip, after the stretch.
    void addCornerWidget(QWidget *widget);

    int currentIndex() const { return m_currentIndex; }
    int count() const { return m_count; }
    QLabel *strip() const { return m_strip; }
    QWidget *currentPage() const;

public slots:
    // Ignored when out of range. Checks exactly the current tab's button and
    // emits currentIndexChanged, also when `index` was already current.
    void setCurrentIndex(int index);

signals:
    void currentIndexChanged(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    void tabButtonClicked(int index);

private:
    QMap<int, TabButton *> m_buttons;
    QStackedLayout *m_pages = nullptr;
    QHBoxLayout *m_tabRow = nullptr;
    int m_currentIndex = 0;
    int m_count = 0;
    QLabel *m_strip = nullptr;
};
