#include "widgets/loaderbox.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
const int kFrameCount = 12;
}

LoaderBox::LoaderBox(QWidget *parent)
    : QFrame(parent)
{
    loadFrames();

    m_image = new QLabel(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_image, 0, Qt::AlignHCenter | Qt::AlignVCenter);
    if (!m_frames.isEmpty()) {
        m_image->setPixmap(m_frames.first());
        m_image->resize(m_frames.first().size());
    }

    connect(&m_timer, &QTimer::timeout, this, &LoaderBox::nextFrame);
    nextFrame();
}

void LoaderBox::loadFrames()
{
    // A missing image leaves an empty pixmap in its place: the spinner
    // shows an empty step and goes on.
    for (int i = 1; i <= kFrameCount; ++i)
        m_frames.append(QPixmap(QStringLiteral(":/style/images/loading%1.png").arg(i)));
}

QPixmap LoaderBox::currentFrame() const
{
    return m_frames.value(m_frameIndex);
}

void LoaderBox::nextFrame()
{
    if (m_frames.isEmpty())
        return;
    ++m_frameIndex;
    if (m_frameIndex >= m_frames.size())
        m_frameIndex = 0;
    m_image->setPixmap(m_frames.at(m_frameIndex));
    m_image->repaint();
}

void LoaderBox::showEvent(QShowEvent *event)
{
    m_timer.start(100);
    QFrame::showEvent(event);
}

void LoaderBox::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QFrame::hideEvent(event);
}
