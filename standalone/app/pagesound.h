#pragma once

#include <memory>

class QSoundEffect;

namespace divad {

// The rustle of a turning page. Played through the desktop's sound
// output; where there is none the page turns in silence, without a
// message. Counts every play for tests. User-interface thread.
class PageSound
{
public:
    PageSound();
    ~PageSound();

    void Play();
    int PlayCount() const { return m_plays; }
    // Off: plays are counted but nothing reaches the sound output (tests
    // and headless runs; also the environment variable DIVAD_NO_SOUND).
    static void SetOutputEnabled(bool enabled);

private:
    std::unique_ptr<QSoundEffect> m_effect;
    int m_plays = 0;
};

} // namespace divad
