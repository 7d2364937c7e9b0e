#include "standalone/web/constants.h"

#include <QtGlobal>

namespace divad::Const {

namespace {

    // address itself, or with DIVAD_WEB_BASE set, that base followed by the
    // path of address.
    QString site(const char *address, const char *path = "")
    {
        const QString base = qEnvironmentVariable("DIVAD_WEB_BASE");
        if (!base.isEmpty())
            return base + QString::fromLatin1(path);
        return QString::fromLatin1(address) + QString::fromLatin1(path);
    }

} // namespace

QString HomeAddress()
{
    return site("http://www.divad.example.org");
}

QString SideBarPage()
{
    return site("http://www.divad.example.org", "/cn/zuvudoza/bar.htm");
}

QString BannerPage()
{
    return site("http://www.divad.example.org", "/cn/zuvudoza/banner.htm");
}

QString BuyBooksPage()
{
    return site("http://www.divad.example.org", "/cn/zuvudoza/buybook.htm");
}

QString DownloadPage()
{
    return site("http://soft.example.net", "/soft/89512.htm");
}

QString DiscussionSite()
{
    return site("http://bbs.divad.example.org");
}

QString BookSearchSite()
{
    return site("http://search.divad.example.org");
}

QString FetchService()
{
    return site("http://fetch.divad.example.org:81");
}

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
