#pragma once

#include "widgets/button.h"

// A checkable Button that stands for one tab of a TabWidget and reports
// clicks with its tab index.
class TabButton : public Button
{
    Q_OBJECT
public:
    explicit TabButton(QWidget *parent = nullptr);

    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

signals:
    void clicked(int index);

private slots:
    void onClicked();

private:
    int m_index = 0;
};
