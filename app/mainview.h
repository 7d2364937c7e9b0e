#pragma once

#include <QWidget>

// The main window. For now it only takes the single-instance messages; the
// frameless window with its pages comes with the main window's own work.
class MainView : public QWidget
{
    Q_OBJECT
public:
    MainView(int baseWidth, int baseHeight, QWidget *parent = nullptr);

public slots:
    void handleMessage(const QString &message);
};
