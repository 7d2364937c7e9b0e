#include "standalone/settings/readersettings.h"

#include "standalone/gfx/cmemcanvas.h"
#include "standalone/gfx/drawing.h"
#include "standalone/settings/cinifile.h"
#include "standalone/settings/crecentfiles.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/prompts.h"
#include "standalone/util/strutil.h"
#include "standalone/web/constants.h"

#include <climits>
#include <cstdlib>

namespace divad {

namespace {

    const QString global = QStringLiteral("global");

    CIniFile globalSection()
    {
        return CIniFile(ProgramFolderFile(Const::CfgIni), global);
    }

} // namespace

ReaderSettings::ReaderSettings()
    : m_configuredFace(Const::DefaultFontFace)
{
}

QString ReaderSettings::FontFace() const
{
    return m_configuredFace.toUtf8().size() >= 2 ? m_configuredFace : Const::DefaultFontFace;
}

void ReaderSettings::SetFontFace(const QString &face)
{
    m_configuredFace = face;
}

int ReaderSettings::FontHeight()
{
    m_fontHeight = qBound(MinimumFontHeight, m_fontHeight, MaximumFontHeight);
    return m_fontHeight;
}

void ReaderSettings::SetFontHeight(int height)
{
    m_fontHeight = height == INT_MIN ? INT_MAX : std::abs(height);
}

int ReaderSettings::SkinIndex()
{
    m_skinIndex = qBound(0, m_skinIndex, Const::MenuSkinCount - 1);
    return m_skinIndex;
}

int ReaderSettings::LineSpacing()
{
    m_lineSpacing = qBound(MinimumLineSpacing, m_lineSpacing, MaximumLineSpacing);
    return m_lineSpacing;
}

void ReaderSettings::LoadLineSpacing()
{
    const int stored = globalSection().ReadInt(QStringLiteral("linespace"), 0);
    m_lineSpacing = stored == 0 ? 15 : stored;
}

void ReaderSettings::SaveLineSpacing()
{
    globalSection().WriteInt(QStringLiteral("linespace"), LineSpacing());
}

bool ReaderSettings::AskLineSpacing(QObject *parentWindow)
{
    const QString prompt = QStringLiteral("当前行间距:") + QString::number(LineSpacing())
            + QStringLiteral("，请输入新的行间距（") + QString::number(MinimumLineSpacing)
            + QStringLiteral("-") + QString::number(MaximumLineSpacing)
            + QStringLiteral("）\r\n 设置后需要手动寻找看书位置和重排书签");
    QString answer;
    if (!AskText(parentWindow, QStringLiteral("设置行间距"), prompt, &answer))
        return false;
    m_lineSpacing = ParseInt(answer);
    return true;
}

void ReaderSettings::LoadReaderSettings()
{
    const CIniFile profile = globalSection();
    m_configuredFace = profile.ReadString(QStringLiteral("fontface"));
    SetFontHeight(profile.ReadInt(QStringLiteral("fontheight"), 0));
    LoadLineSpacing();
    m_animationSpeed = profile.ReadInt(QStringLiteral("pageanimationspeed"), 0);
    m_pageSound = profile.ReadInt(QStringLiteral("PageSound"), 1) != 0;
}

void ReaderSettings::InitSkinAndFonts(DrawContext *window)
{
    CMemCanvas &label = LabelCanvas();
    label.Setup(window, 0, 0, 800, 100);
    label.SetColour(Qt::white);
    label.Clear();
    if (label.DC())
        label.DC()->SelectFont(LabelFont());
    m_skinIndex = globalSection().ReadInt(QStringLiteral("skin"), 0);
    recentFiles().Load();
}

void ReaderSettings::RecreateLabelFont()
{
    if (DrawContext *dc = LabelCanvas().DC())
        dc->SelectFont(LabelFont());
}

void ReaderSettings::SaveReaderSettings(const QString &currentBookPath)
{
    LabelCanvas().Release();
    WriteSettings(currentBookPath);
}

void ReaderSettings::WriteSettings(const QString &currentBookPath)
{
    const CIniFile profile = globalSection();
    profile.WriteInt(QStringLiteral("skin"), m_skinIndex);
    SaveLastBook(currentBookPath);
    recentFiles().Save();
    profile.WriteString(QStringLiteral("fontface"), FontFace());
    profile.WriteInt(QStringLiteral("fontheight"), FontHeight());
    SaveLineSpacing();
    profile.WriteInt(QStringLiteral("pageanimationspeed"), m_animationSpeed);
    profile.WriteInt(QStringLiteral("PageSound"), m_pageSound ? 1 : 0);
}

void ReaderSettings::SaveLastBook(const QString &currentBookPath)
{
    if (SamePath(currentBookPath, ProgramFolderFile(Const::HelpBook)))
        return;
    globalSection().WriteString(QStringLiteral("lastreadfile"), currentBookPath);
}

QFont ReaderSettings::makeFont(int pixelHeight) const
{
    QFont font;
    // The classic Chinese faces are rarely installed here; the fallback
    // keeps ideographs in one well-formed face whatever was configured.
    font.setFamilies({ FontFace(), QStringLiteral("WenQuanYi Micro Hei") });
    font.setPixelSize(pixelHeight);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setStyleHint(QFont::Serif);
    return font;
}

QFont ReaderSettings::BookFont()
{
    return makeFont(FontHeight());
}

QFont ReaderSettings::LabelFont() const
{
    return makeFont(LabelFontHeight);
}

ReaderSettings &readerSettings()
{
    static ReaderSettings settings;
    return settings;
}

} // namespace divad
