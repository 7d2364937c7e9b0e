#pragma once

#include "standalone/panels/cpicture.h"

#include <QBasicTimer>
#include <QWidget>

class QFrame;
class QListWidget;

namespace divad {

class BookText;
class CTransparentStatic;

// The side bar's "当前" page: the open book's cover, its path, size,
// encoding and number of volumes, and its volumes with their first words;
// choosing a volume asks the reading window to show it. The page looks at
// the book every 600 ms and rebuilds itself when another book is open or
// the number of volumes changed. Child of the side bar; user-interface
// thread.
class BookInfoPanel : public QWidget
{
    Q_OBJECT

public:
    // Where the cover is drawn.
    static const QRect CoverRect;

    // book: the book to show (the process-wide one when null).
    explicit BookInfoPanel(QWidget *parent = nullptr, BookText *book = nullptr);
    ~BookInfoPanel() override;

    void OnTimer();
    void UpdateInfoText();
    void UpdateVolumeList();
    void UpdateCover();
    // The cover file for the book at path, or "" for the built-in cover.
    static QString CoverFileFor(const QString &path);
    // "文件路径：..." for the book at path.
    static QString InfoText(const QString &path, int encoding, int volumeCount);

    CTransparentStatic *InfoLabel() const { return m_info; }
    QListWidget *VolumeList() const { return m_volumes; }
    bool CoverLoaded() const { return m_coverLoaded; }
    QString LastShownPath() const { return m_lastShownPath; }
    int Rebuilds() const { return m_rebuilds; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void onVolumeSelected(int row);
    BookText &book() const;

    BookText *m_book = nullptr;
    QString m_lastShownPath;
    CTransparentStatic *m_info = nullptr;
    QListWidget *m_volumes = nullptr;
    QFrame *m_frame = nullptr;
    bool m_coverLoaded = false;
    CPicture m_picture;
    QBasicTimer m_timer;
    int m_rebuilds = 0;
};

} // namespace divad
