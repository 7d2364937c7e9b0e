#pragma once

#include <QString>

// The reader's one table of file names, setting keys, captions, web
// addresses and skin names. Everything that shows or stores one of these
// reads it from here.
namespace divad::Const {

inline const QString CfgIni = QStringLiteral("cfg.ini");
inline const QString HelpBook = QStringLiteral("divad.txt");
inline const QString ClipboardBook = QStringLiteral("剪切板.txt");
inline const QString BookInfoFile = QStringLiteral("bookinfo.bin");
inline const QString SkinsFolder = QStringLiteral("skins");
inline const QString SkinFileKey = QStringLiteral("skinfile");
inline const QString ProgramName = QStringLiteral("divad");
inline const QString Version = QStringLiteral("2.8");
inline const QString AboutVersion
        = ProgramName + QStringLiteral(" V ") + Version + QStringLiteral(" 版");
inline const QString AboutCaption = QStringLiteral("关于 ") + ProgramName;
inline const QString AboutNotice = QStringLiteral("本软件可免费使用和复制，欢迎推荐给朋友。");
// Also the name of the folder the copy-to-drive command makes.
inline const QString ProductTitle = QStringLiteral("divad小说阅读器");
inline const QString OkText = QStringLiteral("确定");
inline const QString OkAccelText = QStringLiteral("确定(&O)");
inline const QString CancelAccelText = QStringLiteral("取消(&C)");
inline const QString NextPageHint = QStringLiteral("下一页");
inline const QString PreviousPageHint = QStringLiteral("上一页");
inline const QString NextVolumeHint = QStringLiteral("下一卷");
inline const QString PreviousVolumeHint = QStringLiteral("上一卷");
inline const QString ContinuationPrefix = QStringLiteral("（...接上一卷）\r\n\r\n");
inline const QString ContinuationSuffix = QStringLiteral("\r\n\r\n（按[空格键]进入下一卷...）");
inline const QString ShareOpening
        = QStringLiteral("Hi，喜欢看电子书吗？我正在用一个很好用的电子书阅读器。\r\n"
                         "如果你喜欢看电子书就一定要试试。从这个地址就可以下载：\r\n");
inline const QString CustomBackgroundMenuText = QStringLiteral("选择[自定义背景图片]...");
inline const QString DefaultFontFace = QStringLiteral("宋体");
// The web addresses are deployment values; they name reserved example
// hosts. The environment variable DIVAD_WEB_BASE (scheme, host and port),
// when set, stands in for every host, so a test or a local mirror keeps
// the reader off the outside network.
QString HomeAddress();
QString SideBarPage();
QString BannerPage();
QString BuyBooksPage();
QString DownloadPage();
// The discussion site (forum page "/f"), the book-search site and the
// fetch service (port 81), each without a trailing "/".
QString DiscussionSite();
QString BookSearchSite();
QString FetchService();
inline const QString OpenFileFilter
        = QStringLiteral("*.txt;*.htm;*.html|*.txt;*.htm;*.html|*.*|*.*||");

// Skins 0 ... 8 are offered in the menu (8 is the user's own background
// picture); 9 ... 13 are reserved and shown nowhere.
constexpr int SkinNameCount = 14;
constexpr int MenuSkinCount = 9;
constexpr int CustomSkinIndex = 8;
// The name of skin index; "" outside 0 ... 13.
QString SkinName(int index);

} // namespace divad::Const
