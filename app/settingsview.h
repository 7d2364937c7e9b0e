#pragma once

#include "core/settings.h"

#include <QFrame>
#include <QString>

#include <functional>

class Button;
class ColorPicker;
class ComboBoxItemDelegate;
class FontSizeEdit;
class TabButton;
class TabWidget;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The settings page of the main window, a side panel with two tabs: "System"
// (language, library folder, page fade, text alignment, navigation scroll
// bar, automatic update check) and "Profiles" (the active text profile, its
// font and its colours).
//
// Every show reloads the controls from the stored values, so leaving the
// page without SAVE SETTINGS drops the edits. SAVE SETTINGS writes the
// viewing values through Settings and "Language", "library_folder" and
// "auto_update_enabled" into "settings.ini" itself, then asks to be hidden
// (onHideWindow()). "Restore Default Settings" writes the viewing defaults at
// once. GUI thread only.
class SettingsView : public QFrame
{
    Q_OBJECT
public:
    // The folder dialog: the chosen folder, empty when cancelled.
    using FolderChooser = std::function<QString(QWidget *parent, const QString &caption,
                                                const QString &folder)>;

    explicit SettingsView(QWidget *parent = nullptr);

    // Replaces the folder dialog (tests).
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

    // The library folder chosen on the page, native separators; written on
    // save only.
    QString libraryFolder() const { return m_libraryFolder; }

    // Reloads every control from the stored values.
    void readSettings();
    // Writes every control's value.
    void applySettings();

    // The font families the page offers, in list order.
    static QStringList fontFamilies();

    QComboBox *languageCombo() const { return m_languageCombo; }
    QComboBox *alignmentCombo() const { return m_alignmentCombo; }
    QComboBox *profileCombo() const { return m_profileCombo; }
    QComboBox *fontCombo() const { return m_fontCombo; }
    FontSizeEdit *fontSizeEdit() const { return m_fontSizeEdit; }
    ColorPicker *textColorPicker() const { return m_textColor; }
    ColorPicker *backgroundColorPicker() const { return m_backgroundColor; }
    ColorPicker *workgroundColorPicker() const { return m_workgroundColor; }
    QCheckBox *fadeCheckBox() const { return m_fadeCheck; }
    QCheckBox *naviSliderCheckBox() const { return m_naviSliderCheck; }
    QCheckBox *updateCheckBox() const { return m_updateCheck; }
    QLabel *libraryFolderLabel() const { return m_libraryFolderLabel; }
    TabWidget *tabWidget() const { return m_tabWidget; }

signals:
    void onHideWindow();

public slots:
    void saveSettings();
    void cancel();
    void onClose();
    void onProfileChanged(int index);
    void onSelectLibraryFolder();
    void onResetDeaultProfiles();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(SettingsView)

    void buildUi();
    QWidget *buildSystemPage();
    QWidget *buildProfilesPage();
    void connectSignals();
    void retranslateUi();
    void fillLanguages();
    void fillProfiles();
    void fillAlignments();
    void showProfile(const TextProfile &profile);
    void setLibraryFolderLabel();

    FolderChooser m_chooseFolder;
    QString m_libraryFolder;
    // Whether the user picked a language since the page was shown; else
    // "Language" stays as stored (unset stays unset).
    bool m_languagePicked = false;

    Button *m_buttonClose = nullptr;
    QLabel *m_labelVersion = nullptr;
    Button *m_buttonBack = nullptr;
    QLabel *m_settingsLabel = nullptr;
    TabWidget *m_tabWidget = nullptr;
    TabButton *m_tabSystem = nullptr;
    TabButton *m_tabProfiles = nullptr;
    QPushButton *m_buttonCancel = nullptr;
    QPushButton *m_buttonSave = nullptr;

    ComboBoxItemDelegate *m_languageDelegate = nullptr;
    ComboBoxItemDelegate *m_alignmentDelegate = nullptr;
    ComboBoxItemDelegate *m_profileDelegate = nullptr;
    QLabel *m_languageCaption = nullptr;
    QLabel *m_libraryFolderCaption = nullptr;
    QLabel *m_fadeCaption = nullptr;
    QLabel *m_alignmentCaption = nullptr;
    QLabel *m_naviSliderCaption = nullptr;
    QLabel *m_updateCaption = nullptr;
    QComboBox *m_languageCombo = nullptr;
    QLabel *m_libraryFolderLabel = nullptr;
    QPushButton *m_buttonOpenFolder = nullptr;
    QCheckBox *m_fadeCheck = nullptr;
    QComboBox *m_alignmentCombo = nullptr;
    QCheckBox *m_naviSliderCheck = nullptr;
    QCheckBox *m_updateCheck = nullptr;

    QLabel *m_profileCaption = nullptr;
    QLabel *m_fontCaption = nullptr;
    QLabel *m_colorCaption = nullptr;
    QLabel *m_backgroundCaption = nullptr;
    QLabel *m_workgroundCaption = nullptr;
    QComboBox *m_profileCombo = nullptr;
    QPushButton *m_buttonRestoreProfiles = nullptr;
    QComboBox *m_fontCombo = nullptr;
    FontSizeEdit *m_fontSizeEdit = nullptr;
    ColorPicker *m_textColor = nullptr;
    ColorPicker *m_backgroundColor = nullptr;
    ColorPicker *m_workgroundColor = nullptr;
};
