#include "standalone/app/pagesound.h"

#include <QSoundEffect>
#include <QUrl>

namespace divad {

namespace {

    bool &outputEnabled()
    {
        static bool enabled = qEnvironmentVariableIsEmpty("DIVAD_NO_SOUND");
        return enabled;
    }

} // namespace

PageSound::PageSound() = default;

PageSound::~PageSound() = default;

void PageSound::SetOutputEnabled(bool enabled)
{
    outputEnabled() = enabled;
}

void PageSound::Play()
{
    ++m_plays;
    if (!outputEnabled())
        return;
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl(QStringLiteral("qrc:/divad/sounds/page130.wav")));
    }
    // A page turned before the last sound ended starts it again.
    m_effect->stop();
    m_effect->play();
}

} // namespace divad
