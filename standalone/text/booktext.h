#pragma once

#include "standalone/gfx/cmemcanvas.h"
#include "standalone/text/ctextdecoder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

#include <memory>

class QPaintDevice;
class QTextLayout;

namespace divad {

class ReaderSettings;

// The open book: its text in code page 936 cut into volumes, the encoding
// of its file, its path, and the layout of the volume on screen. A volume is
// wrapped once into lines one line height apart on the volume canvas (black
// text on white) and then cut into pages and spreads by arithmetic. The
// reading window copies page lines out of SpreadCanvas(spread) at
// PageSourceOffset(spread, left); the lines of a page are drawn the first
// time its spread is asked for, so a volume is ready as soon as it is
// wrapped. One process-wide instance (bookText()); tests make their own.
// User-interface thread.
class BookText
{
public:
    // Largest book file read; a larger one is refused with a message.
    static constexpr qint64 MaximumFileBytes = 256 * 1024 * 1024;

    // settings: the reader settings the font and volume size come from (the
    // process-wide ones when null); must outlive the book text.
    explicit BookText(ReaderSettings *settings = nullptr);
    ~BookText();
    BookText(const BookText &) = delete;
    BookText &operator=(const BookText &) = delete;

    // Reads, decodes and cuts the book at path and lays out volume 0 for a
    // page text area of the given size. A missing file becomes a book that
    // says so; an empty one a book that says it is empty. False, with a
    // message box and the previous book kept, when the file cannot be read
    // or is too large; false when there is no window to lay out for.
    bool OpenBook(const QString &path, const QPaintDevice *window, int pageTextWidth,
                  int pageTextHeight);
    // SplitVolumes(text) and the layout of volume 0.
    bool PrepareText(const QByteArray &text, const QPaintDevice *window, int pageTextWidth,
                     int pageTextHeight);
    // Replaces the volumes by those of text and goes to volume 0.
    void SplitVolumes(const QByteArray &text);
    static QByteArray HtmlToText(const QByteArray &text);

    int VolumeCount() const { return m_volumes.size(); }
    int CurrentVolume() const { return m_currentVolume; }
    void SetCurrentVolume(int volume) { m_currentVolume = volume; }
    bool HasNextVolume() const;
    bool HasPreviousVolume() const;
    // The volume at index (clamped), whole or shortened in the middle to
    // maxBytes. Empty when there is no volume.
    QByteArray GetVolumeText(int index, bool whole, int maxBytes) const;
    TextEncoding Encoding() const { return m_encoding; }
    QString CurrentPath() const { return m_currentBookPath; }
    // The volume size for the current font height, in bytes.
    int VolumeSize() const;

    // text itself when it fits in maxBytes, else its start, "..." and its
    // end, each part cut on a character boundary.
    static QByteArray ShortenMiddle(const QByteArray &text, int maxBytes);
    // The same on a name, measured in code-page bytes (two for any
    // character beyond ASCII).
    static QString ShortenMiddle(const QString &text, int maxBytes);
    // The file name without folder and extension; a name of digits only is
    // shown after its folder's name and a backslash ("书名\12").
    QString BookDisplayName() const;
    // The display name shortened for a menu or footer of width 30 ... 170.
    QString BookMenuName(int width) const;
    // The path of the next (or previous) book of a numbered series or of a
    // 上/中/下 set in the same folder, or "".
    static QString FindSiblingBook(const QString &path, bool previous);

    // Draws volume index (clamped) into the volume canvas and computes the
    // figures below; the volume becomes current and the spread 0. False when
    // there is no volume or no window.
    bool LayoutVolume(int index, const QPaintDevice *window, int pageTextWidth, int pageTextHeight);
    // Page text width for the main window's current width: 0.3875 of it.
    static int PageTextWidth();
    static int PageTextWidthFor(int windowWidth);
    int LineHeight() const { return m_lineHeight; }
    int LineSpacing() const;
    int LinePitch() const;
    int TextBlockWidth() const { return m_textBlockWidth; }
    int LinesPerPage() const { return m_linesPerPage; }
    int PageHeight() const { return m_pageHeight; }
    int TotalLines() const { return m_totalLines; }
    int SpreadCount() const { return m_spreadCount; }
    int CurrentSpread() const { return m_currentSpread; }
    void SetCurrentSpread(int spread) { m_currentSpread = spread; }
    // Row of the volume canvas where the left (or right) page of spread
    // begins.
    int PageSourceOffset(int spread, bool left) const;
    static int RightPageIndex(int spread) { return 2 * spread + 1; }
    // The volume canvas with both pages of spread drawn on it.
    const CMemCanvas &SpreadCanvas(int spread);
    // The volume canvas as it stands: rows of pages no spread has asked for
    // yet are black.
    const CMemCanvas &VolumeCanvas() const { return m_volumeCanvas; }
    void ReleaseVolumeCanvas();

    // What went wrong in the last call that failed.
    QString lastError() const { return m_lastError; }

private:
    bool fail(const QString &message, bool tellUser);
    void drawPage(int page);
    ReaderSettings &settings() const;

    ReaderSettings *m_settings = nullptr;
    QList<QByteArray> m_volumes;
    int m_currentVolume = 0;
    TextEncoding m_encoding = TextEncoding::Ansi;
    QString m_currentBookPath;

    int m_lineHeight = 0;
    int m_textBlockWidth = 0;
    int m_linesPerPage = 0;
    int m_pageHeight = 0;
    int m_totalLines = 0;
    int m_spreadCount = 10;
    int m_currentSpread = 0;
    CMemCanvas m_volumeCanvas;
    // The wrapped volume, kept to draw pages from; and which pages are drawn.
    std::unique_ptr<QTextLayout> m_layout;
    QVector<bool> m_pageDrawn;
    QString m_lastError;
};

BookText &bookText();

} // namespace divad
