#pragma once

#include <QFrame>
#include <QList>
#include <QPixmap>
#include <QTimer>

class QLabel;

// The busy indicator laid over a book while it is prepared: a 12-image
// spinner that advances every 100 ms while visible and costs nothing while
// hidden. Hiding and showing again continues where it stopped.
class LoaderBox : public QFrame
{
    Q_OBJECT
public:
    explicit LoaderBox(QWidget *parent = nullptr);

    int frameIndex() const { return m_frameIndex; }
    int frameCount() const { return m_frames.size(); }
    // The image shown now (null when there are no frames).
    QPixmap currentFrame() const;

public slots:
    void nextFrame();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void loadFrames();

    QList<QPixmap> m_frames;
    int m_frameIndex = 0;
    QTimer m_timer;
    QLabel *m_image = nullptr;
};
