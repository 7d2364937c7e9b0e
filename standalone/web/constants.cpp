#include "standalone/web/constants.h"

namespace divad::Const {

QString SkinName(int index)
{
    static const char *const names[SkinNameCount] = {
        "标准",     "欧州神话",         "青春小说", "梦中的城堡", "都市言情", "变形金刚", "明星",
        "少年文艺", "[自定义背景图片]", "b",        "c",          "d",        "e",        "f",
    };
    if (index < 0 || index >= SkinNameCount)
        return QString();
    return QString::fromUtf8(names[index]);
}

} // namespace divad::Const
