#pragma once

#include "standalone/gfx/cdibimage.h"

#include <QImage>
#include <QSize>

namespace divad {

// The nine skin pictures of the book: eight of the program's own and the
// user's background picture (skin 8, the BMP file named by "skinfile").
// Every reload makes each picture the size of the book's pages anew. A
// user's picture that is missing, empty, too large or damaged is reported
// over the page and leaves the picture that was there. User-interface
// thread.
class SkinStore
{
public:
    static constexpr int Count = 9;
    // User pictures from this size on are refused.
    static constexpr qint64 MaximumUserPictureBytes = 10000000;

    // size: the inner rectangle of the book; skinIndex: the skin in use
    // (its messages only matter for the user's own).
    void Reload(const QSize &size, int skinIndex);
    const CDibImage &Picture(int skin) const;
    // The same picture ready to draw (null without pixels).
    const QImage &Image(int skin) const;
    // How far the page-edge copies of a skin stand out.
    static int EdgeOffset(int skin);
    // The program's own picture of skin 0 ... 7, decoded once.
    static QImage ProgramPicture(int skin);

private:
    CDibImage m_pictures[Count];
    QImage m_images[Count];
};

} // namespace divad
