#include "standalone/app/skinstore.h"

#include "standalone/gfx/messageoverlay.h"
#include "standalone/settings/cinifile.h"
#include "standalone/util/filehelpers.h"
#include "standalone/web/constants.h"

#include <QHash>

namespace divad {

namespace {

    void notice(const QString &text)
    {
        messageOverlay().Show(text, 5000);
    }

} // namespace

QImage SkinStore::ProgramPicture(int skin)
{
    static QHash<int, QImage> decoded;
    if (skin < 0 || skin >= Const::CustomSkinIndex)
        return QImage();
    auto found = decoded.find(skin);
    if (found == decoded.end()) {
        QImage picture(QStringLiteral(":/divad/images/skin%1.png").arg(131 + skin));
        found = decoded.insert(skin, picture.convertToFormat(QImage::Format_RGB32));
    }
    return found.value();
}

int SkinStore::EdgeOffset(int skin)
{
    static const int offsets[Count] = { 0, 200, 0, 0, 0, 0, 0, 0, 100 };
    return skin >= 0 && skin < Count ? offsets[skin] : 0;
}

const CDibImage &SkinStore::Picture(int skin) const
{
    return m_pictures[qBound(0, skin, Count - 1)];
}

const QImage &SkinStore::Image(int skin) const
{
    return m_images[qBound(0, skin, Count - 1)];
}

void SkinStore::Reload(const QSize &size, int skinIndex)
{
    for (int skin = 0; skin < Const::CustomSkinIndex; ++skin) {
        CDibImage &picture = m_pictures[skin];
        picture.FromBitmap(ProgramPicture(skin));
        picture.SetResampleMode(skin == 1 ? CDibImage::Bilinear : CDibImage::Nearest);
        picture.Resize(size.width(), size.height());
        m_images[skin] = picture.ToQImage();
    }

    const QString path = CIniFile(Const::CfgIni, QStringLiteral("global")).ReadString(Const::SkinFileKey);
    if (FileExists(path)) {
        const qint64 bytes = FileSize64(path);
        if (bytes >= MaximumUserPictureBytes) {
            notice(QStringLiteral("[自定义背景]图片尺寸太大：") + path);
        } else if (bytes == 0) {
            notice(QStringLiteral("[自定义背景]图片不合法：") + path);
        } else {
            CDibImage picture;
            picture.LoadBmpFile(path);
            if (picture.HasPixels()) {
                picture.SetResampleMode(CDibImage::Bilinear);
                picture.Resize(size.width(), size.height());
                m_pictures[Const::CustomSkinIndex] = picture;
                m_images[Const::CustomSkinIndex] = picture.ToQImage();
            } else {
                notice(QStringLiteral("[自定义背景]图片不合法：") + path);
            }
        }
    } else if (skinIndex == Const::CustomSkinIndex) {
        notice(path.size() <= 2 ? QStringLiteral("还未设置[自定义背景]图片，设置后可改善显示效果")
                                : QStringLiteral("[自定义背景]图片未找到：") + path);
    }
}

} // namespace divad
