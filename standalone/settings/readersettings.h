#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QObject;

namespace divad {

class DrawContext;

// The reader's own settings in memory and in the section "global" of
// "cfg.ini": book font face and height, page-turn sound, skin, line spacing
// and page animation speed; and the two fonts made from them. Values are
// clamped when read, and the clamped value replaces the stored one. One
// process-wide instance (readerSettings()); tests make their own.
// User-interface thread.
class ReaderSettings
{
public:
    static constexpr int MinimumFontHeight = 16;
    static constexpr int MaximumFontHeight = 46;
    static constexpr int MinimumLineSpacing = 5;
    static constexpr int MaximumLineSpacing = 25;
    static constexpr int LabelFontHeight = 18;

    ReaderSettings();

    // The configured face when it is at least 2 bytes long, else "宋体".
    QString FontFace() const;
    void SetFontFace(const QString &face);
    // 16 ... 46.
    int FontHeight();
    // Stores the absolute value.
    void SetFontHeight(int height);
    // 0 ... 8.
    int SkinIndex();
    void SetSkinIndex(int index) { m_skinIndex = index; }
    bool PageSoundOn() const { return m_pageSound; }
    bool PageSoundOff() const { return !m_pageSound; }
    void SetPageSound(bool on) { m_pageSound = on; }
    // 1 fast, 0 medium, -1 slow, -2 or lower no animation.
    int AnimationSpeed() const { return m_animationSpeed; }
    void SetAnimationSpeed(int speed) { m_animationSpeed = speed; }
    bool AnimationFast() const { return m_animationSpeed > 0; }
    bool AnimationMedium() const { return m_animationSpeed == 0; }
    bool AnimationSlow() const { return m_animationSpeed == -1; }
    bool AnimationDisabled() const { return m_animationSpeed < -1; }
    // Painted behind the book; not stored.
    QColor BackgroundColour() const { return m_backgroundColour; }

    // Extra pixels between lines on screen, 5 ... 25.
    int LineSpacing();
    void SetLineSpacing(int spacing) { m_lineSpacing = spacing; }
    // "linespace"; a missing or 0 value is 15.
    void LoadLineSpacing();
    void SaveLineSpacing();
    // Asks for a new spacing in the input box; true when the user confirmed
    // (a text that is no number is stored as 0 and used as 5). The caller
    // lays the volume out again after true.
    bool AskLineSpacing(QObject *parentWindow);

    // At the start of the reading window's set-up.
    void LoadReaderSettings();
    // Near its end: the label canvas (800 x 100, white) on window with the
    // label font, the skin index, and the recent books.
    void InitSkinAndFonts(DrawContext *window);
    // After the user chose another face.
    void RecreateLabelFont();
    // When the reader closes: frees the label canvas and writes every
    // setting, the last book (unless it is the help book) and the recent
    // books.
    void SaveReaderSettings(const QString &currentBookPath);
    // The same writes without freeing the label canvas, so that a setting
    // changed while reading is on disk at once.
    void WriteSettings(const QString &currentBookPath);
    // Writes "lastreadfile" unless the book is the help book beside the
    // program.
    void SaveLastBook(const QString &currentBookPath);

    // The font books are laid out in: FontHeight() pixels, normal weight.
    QFont BookFont();
    // The caption font: the same face at 18 pixels.
    QFont LabelFont() const;

private:
    QFont makeFont(int pixelHeight) const;

    QString m_configuredFace;
    int m_fontHeight = 18;
    bool m_pageSound = true;
    int m_skinIndex = 2;
    QColor m_backgroundColour = QColor(214, 208, 192);
    int m_lineSpacing = 15;
    int m_animationSpeed = 0;
};

ReaderSettings &readerSettings();

} // namespace divad
