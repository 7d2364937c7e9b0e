#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace divad {

class CLinkLabel;

// "和朋友分享本软件": a recommendation text with the download address to
// copy for a friend, a link to the download page, and a copy of the
// program (with its help book and skins) onto a removable drive chosen
// from a list that follows drives as they come and go (looked at every
// 500 ms). Run modally by the reading window; user-interface thread.
class ShareDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ShareDialog(QWidget *parent = nullptr);
    ~ShareDialog() override;

    // Refills the drive list when the drives changed.
    void OnTick();
    void CopyToDrive();
    void CopyTextToClipboard();
    // The recommendation text with the download address.
    static QString RecommendationText();
    // What the copy takes along, in order.
    static QStringList CopySources();

    QComboBox *DriveList() const { return m_drives; }
    QPushButton *CopyButton() const { return m_copy; }
    QRadioButton *OnlineChoice() const { return m_online; }
    QRadioButton *DriveChoice() const { return m_drive; }
    QPlainTextEdit *TextEdit() const { return m_text; }
    CLinkLabel *Link() const { return m_link; }

    // The drive roots and the removable test (tests replace them).
    static void SetDriveSource(std::function<QStringList()> list,
                               std::function<bool(const QString &)> removable);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void applyEnabling();

    QString m_lastDrives;
    CLinkLabel *m_link = nullptr;
    QRadioButton *m_online = nullptr;
    QRadioButton *m_drive = nullptr;
    QComboBox *m_drives = nullptr;
    QPushButton *m_copy = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QBasicTimer m_timer;
};

} // namespace divad
