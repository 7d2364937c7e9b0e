#include "app/settingsview.h"

#include "app/application.h"
#include "app/fontsizeedit.h"
#include "core/paths.h"
#include "core/settingsfile.h"
#include "widgets/button.h"
#include "widgets/colorpicker.h"
#include "widgets/comboboxitemdelegate.h"
#include "widgets/panelparts.h"
#include "widgets/tabbutton.h"
#include "widgets/tabwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <QVBoxLayout>

namespace {

const int ComboHeight = 37;
const int ComboMinimumWidth = 136;
const int FolderLabelWidth = 390;

QLabel *makeCaption(QWidget *parent)
{
    return new QLabel(parent);
}

QComboBox *makeFixedCombo(QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setFixedHeight(ComboHeight);
    combo->setMinimumWidth(ComboMinimumWidth);
    combo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return combo;
}

// Refilling keeps the current index: the texts change, the choice does not.
void refill(QComboBox *combo, const QList<QPair<QString, QVariant>> &items)
{
    const QSignalBlocker blocker(combo);
    const int index = combo->currentIndex();
    combo->clear();
    for (const auto &item : items)
        combo->addItem(item.first, item.second);
    combo->setCurrentIndex(index);
}

// A tab page: a frame holding a form above a stretch.
QFormLayout *makeTabPage(QWidget *parent, QFrame **page, const QMargins &pageMargins,
                         const QMargins &formMargins)
{
    *page = new QFrame(parent);
    (*page)->setObjectName(QStringLiteral("settingBox"));
    auto *layout = new QVBoxLayout(*page);
    layout->setContentsMargins(pageMargins);
    auto *form = new QFormLayout;
    form->setContentsMargins(formMargins);
    form->setVerticalSpacing(16);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignTop);
    layout->addLayout(form);
    layout->addStretch();
    return form;
}

// Centres a check box vertically in its form row.
QWidget *centred(QWidget *field, QWidget *parent)
{
    auto *box = new QFrame(parent);
    // Held to its content's height: grown by the stretches, the box took the
    // page's spare height and left the field far below its caption.
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(field);
    layout->addStretch();
    return box;
}

} // namespace

SettingsView::SettingsView(QWidget *parent)
    : QFrame(parent, Qt::FramelessWindowHint)
    , m_chooseFolder([](QWidget *parent, const QString &caption, const QString &folder) {
        return QFileDialog::getExistingDirectory(parent, caption, folder,
                                                 QFileDialog::ShowDirsOnly
                                                         | QFileDialog::DontResolveSymlinks);
    })
{
    setObjectName(QStringLiteral("settingsViewContent"));
    buildUi();
    connectSignals();
    retranslateUi();
    m_tabWidget->setCurrentIndex(0);
}

QStringList SettingsView::fontFamilies()
{
    // The families this system has: a name it lacks would be saved and then
    // quietly replaced by whatever the system picks.
    QStringList families;
    const QFontDatabase database;
    const QStringList all = database.families();
    for (const QString &family : all) {
        if (!database.isPrivateFamily(family))
            families.append(family);
    }
    return families;
}

void SettingsView::buildUi()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 1, 0, 0);
    outer->setSpacing(0);

    auto *inner = new QVBoxLayout;
    inner->setContentsMargins(20, 0, 20, 0);
    inner->setSpacing(0);
    m_buttonClose = makePanelCloseButton(this);
    inner->addWidget(m_buttonClose, 0, Qt::AlignRight);
    inner->addSpacing(1);
    m_labelVersion = new QLabel(this);
    m_labelVersion->setObjectName(QStringLiteral("labelVersion"));
    m_labelVersion->setAlignment(Qt::AlignCenter);
    inner->addWidget(m_labelVersion);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    m_buttonBack = makePanelBackButton(this);
    m_settingsLabel = new QLabel(this);
    m_settingsLabel->setObjectName(QStringLiteral("settingsLabel"));
    header->addWidget(m_buttonBack);
    header->addWidget(m_settingsLabel);
    header->addStretch();
    inner->addLayout(header);
    inner->addSpacing(11);

    m_tabWidget = new TabWidget(this);
    m_tabWidget->setContentsMargins(0, 0, 0, 0);
    m_tabSystem = new TabButton(this);
    m_tabSystem->setObjectName(QStringLiteral("buttonTabSystem"));
    m_tabProfiles = new TabButton(this);
    m_tabProfiles->setObjectName(QStringLiteral("buttonTabProfiles"));
    m_tabWidget->insertTab(buildSystemPage(), 0, m_tabSystem);
    m_tabWidget->insertTab(buildProfilesPage(), 1, m_tabProfiles);
    inner->addWidget(m_tabWidget, 1);

    outer->addLayout(inner, 1);
    outer->addSpacing(14);

    const CommandBox commands = makeCommandBox(this);
    m_buttonCancel = commands.cancel;
    m_buttonSave = commands.save;
    outer->addWidget(commands.frame);
}

QWidget *SettingsView::buildSystemPage()
{
    QFrame *page = nullptr;
    QFormLayout *form = makeTabPage(this, &page, QMargins(0, 0, 0, 0), QMargins(20, 21, 10, 0));

    m_languageCombo = makeFixedCombo(page);
    m_languageDelegate = new ComboBoxItemDelegate(m_languageCombo);
    m_languageCombo->setItemDelegate(m_languageDelegate);

    auto *folderBox = new QFrame(page);
    folderBox->setObjectName(QStringLiteral("boxBorderGray"));
    folderBox->setFixedHeight(36);
    folderBox->setMaximumWidth(400);
    auto *folderLayout = new QHBoxLayout(folderBox);
    folderLayout->setContentsMargins(5, 0, 5, 0);
    m_libraryFolderLabel = new QLabel(folderBox);
    m_libraryFolderLabel->setObjectName(QStringLiteral("labelLibraryFolder"));
    m_buttonOpenFolder = new QPushButton(folderBox);
    m_buttonOpenFolder->setObjectName(QStringLiteral("buttonOpenFolder"));
    folderLayout->addWidget(m_libraryFolderLabel);
    folderLayout->addStretch();
    folderLayout->addWidget(m_buttonOpenFolder);

    m_fadeCheck = new QCheckBox(page);
    m_alignmentCombo = makeFixedCombo(page);
    m_alignmentDelegate = new ComboBoxItemDelegate(m_alignmentCombo);
    m_alignmentCombo->setItemDelegate(m_alignmentDelegate);
    m_naviSliderCheck = new QCheckBox(page);
    m_updateCheck = new QCheckBox(page);

    m_languageCaption = makeCaption(page);
    m_libraryFolderCaption = makeCaption(page);
    m_fadeCaption = makeCaption(page);
    m_alignmentCaption = makeCaption(page);
    m_naviSliderCaption = makeCaption(page);
    m_updateCaption = makeCaption(page);
    form->addRow(m_languageCaption, m_languageCombo);
    form->addRow(m_libraryFolderCaption, folderBox);
    form->addRow(m_fadeCaption, centred(m_fadeCheck, page));
    form->addRow(m_alignmentCaption, m_alignmentCombo);
    form->addRow(m_naviSliderCaption, m_naviSliderCheck);
    form->addRow(m_updateCaption, m_updateCheck);

    fillLanguages();
    return page;
}

QWidget *SettingsView::buildProfilesPage()
{
    QFrame *page = nullptr;
    QFormLayout *form = makeTabPage(this, &page, QMargins(20, 21, 20, 0), QMargins(0, 0, 0, 0));
    form->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The profile list and the font list share one item painter.
    m_profileDelegate = new ComboBoxItemDelegate(this);

    auto *profileRow = new QHBoxLayout;
    profileRow->setContentsMargins(0, 0, 0, 0);
    m_profileCombo = new QComboBox(page);
    m_profileCombo->setFixedHeight(ComboHeight);
    m_profileCombo->setItemDelegate(m_profileDelegate);
    auto *restoreBox = new QFrame(page);
    // Held to its content's height, as the page-fade box: grown by its
    // stretches, it pushed the profile list far below the "Profile:" caption.
    restoreBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto *restoreLayout = new QVBoxLayout(restoreBox);
    restoreLayout->setContentsMargins(0, 0, 0, 0);
    restoreLayout->setSpacing(0);
    m_buttonRestoreProfiles = new QPushButton(restoreBox);
    m_buttonRestoreProfiles->setObjectName(QStringLiteral("buttonRestoreProfiles"));
    auto *underline = new QFrame(restoreBox);
    underline->setObjectName(QStringLiteral("underlineBox"));
    underline->setFixedHeight(1);
    restoreLayout->addStretch();
    restoreLayout->addWidget(m_buttonRestoreProfiles);
    restoreLayout->addWidget(underline);
    restoreLayout->addStretch();
    profileRow->addWidget(m_profileCombo, 1);
    profileRow->addSpacing(20);
    profileRow->addWidget(restoreBox);
    profileRow->addSpacing(20);

    auto *separator = new QFrame(page);
    separator->setObjectName(QStringLiteral("whiteBox"));
    separator->setFixedHeight(1);

    auto *fontRow = new QHBoxLayout;
    fontRow->setSpacing(16);
    m_fontCombo = new QComboBox(page);
    m_fontCombo->setFixedSize(136, ComboHeight);
    m_fontCombo->setItemDelegate(m_profileDelegate);
    for (const QString &family : fontFamilies())
        m_fontCombo->addItem(family, family);
    m_fontSizeEdit = new FontSizeEdit(page);
    m_colorCaption = new QLabel(page);
    m_textColor = new ColorPicker(Qt::black, page);
    fontRow->addWidget(m_fontCombo);
    fontRow->addWidget(m_fontSizeEdit);
    fontRow->addWidget(m_colorCaption);
    fontRow->addWidget(m_textColor);
    fontRow->addStretch();

    auto *backgroundRow = new QHBoxLayout;
    m_backgroundColor = new ColorPicker(Qt::white, page);
    backgroundRow->addWidget(m_backgroundColor);
    backgroundRow->addStretch();

    m_workgroundColor = new ColorPicker(Qt::white, page);

    m_profileCaption = makeCaption(page);
    m_fontCaption = makeCaption(page);
    m_backgroundCaption = makeCaption(page);
    m_workgroundCaption = makeCaption(page);
    form->addRow(m_profileCaption, profileRow);
    form->addRow(separator);
    form->addRow(m_fontCaption, fontRow);
    form->addRow(m_backgroundCaption, backgroundRow);
    form->addRow(m_workgroundCaption, m_workgroundColor);

    fillProfiles();
    fillAlignments();
    return page;
}

void SettingsView::connectSignals()
{
    connect(m_buttonSave, &QPushButton::clicked, this, &SettingsView::saveSettings);
    connect(m_buttonClose, &QPushButton::clicked, this, &SettingsView::cancel);
    connect(m_buttonBack, &QPushButton::clicked, this, &SettingsView::cancel);
    connect(m_buttonCancel, &QPushButton::clicked, this, &SettingsView::cancel);
    connect(m_profileCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SettingsView::onProfileChanged);
    connect(m_buttonOpenFolder, &QPushButton::clicked, this, &SettingsView::onSelectLibraryFolder);
    connect(m_buttonRestoreProfiles, &QPushButton::clicked, this,
            &SettingsView::onResetDeaultProfiles);
    // Only a choice of the user counts, not the page's own selection.
    connect(m_languageCombo, QOverload<int>::of(&QComboBox::activated), this,
            [this] { m_languagePicked = true; });
}

void SettingsView::retranslateUi()
{
    m_settingsLabel->setText(tr("Settings"));
    m_buttonSave->setText(tr("SAVE SETTINGS"));
    m_buttonCancel->setText(tr("CANCEL"));
    m_tabProfiles->setText(tr("Profiles"));
    m_tabSystem->setText(tr("System"));
    m_buttonRestoreProfiles->setText(tr("Restore Default Settings"));
    m_languageCaption->setText(tr("Language:"));
    m_libraryFolderCaption->setText(tr("Library folder:"));
    m_fadeCaption->setText(tr("Turn page fade ON:"));
    m_alignmentCaption->setText(tr("Text align:"));
    m_naviSliderCaption->setText(tr("Navigation scrollbar:"));
    m_updateCaption->setText(tr("Check for updates automatically:"));
    m_profileCaption->setText(tr("Profile:"));
    m_fontCaption->setText(tr("Text Font:"));
    m_colorCaption->setText(tr("Color:"));
    m_backgroundCaption->setText(tr("Background color:"));
    m_workgroundCaption->setText(tr("Workground color:"));
    m_labelVersion->setText(tr("Version %1").arg(Application::readRegistryVersion()));
    fillProfiles();
    fillAlignments();
}

void SettingsView::fillLanguages()
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    const QStringList files
            = QDir(folder).entryList({ QStringLiteral("vellumin_*.qm") }, QDir::Files);
    const QSignalBlocker blocker(m_languageCombo);
    m_languageCombo->clear();
    for (const QString &file : files) {
        // "vellumin_pt_BR.qm" -> "pt_BR": between the first "_" and the
        // extension.
        const QString code = file.mid(file.indexOf(QLatin1Char('_')) + 1).chopped(3);
        QTranslator translator;
        QString name;
        if (translator.load(file, folder))
            name = translator.translate("SettingsView", "English");
        m_languageCombo->addItem(name, code);
    }
}

void SettingsView::fillProfiles()
{
    QList<QPair<QString, QVariant>> items;
    for (int id : { int(ViewerSettings::DayProfile), int(ViewerSettings::NightProfile),
                    int(ViewerSettings::SepiaProfile) })
        items.append({ Settings::profileName(id), id });
    refill(m_profileCombo, items);
}

void SettingsView::fillAlignments()
{
    refill(m_alignmentCombo,
           { { tr("Original"), 0 },
             { tr("Left"), 1 },
             { tr("Right"), 2 },
             { tr("Center"), 3 },
             { tr("Justify"), 4 } });
}

void SettingsView::readSettings()
{
    auto settings = Application::createSettings();

    // An unset language means the system's, as for the translator.
    QString language = settings->value(QStringLiteral("Language")).toString();
    if (language.isEmpty())
        language = Application::systemLanguage();
    const int languageIndex = m_languageCombo->findData(language, Qt::UserRole,
                                                        Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_languageCombo->setCurrentIndex(languageIndex >= 0 ? languageIndex : 0);
    m_languagePicked = false;

    m_libraryFolder
            = settings->value(QStringLiteral("library_folder"), Paths::importDir()).toString();
    setLibraryFolderLabel();
    m_updateCheck->setChecked(SettingsFile::toBool(
            settings->value(QStringLiteral("auto_update_enabled"), true), true));

    const ViewerSettings values = Settings::instance()->values();
    m_profileCombo->setCurrentIndex(m_profileCombo->findData(values.currentProfile));
    showProfile(values.profiles.value(values.currentProfile, values.profile()));

    m_alignmentCombo->setCurrentIndex(values.textAlignment);
    m_fadeCheck->setChecked(values.showFade);
    m_naviSliderCheck->setChecked(values.useNaviSlider);
}

void SettingsView::showProfile(const TextProfile &profile)
{
    int fontIndex = m_fontCombo->findData(profile.text.family, Qt::UserRole,
                                          Qt::MatchExactly | Qt::MatchCaseSensitive);
    // A family this system lacks shows as the one the system reads it with.
    if (fontIndex < 0) {
        fontIndex = m_fontCombo->findData(QFontInfo(QFont(profile.text.family)).family(),
                                          Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    }
    m_fontCombo->setCurrentIndex(fontIndex >= 0 ? fontIndex : 0);
    m_fontSizeEdit->setValue(profile.text.size);
    m_textColor->changeColor(profile.text.color);
    m_backgroundColor->changeColor(profile.backgroundColor);
    m_workgroundColor->changeColor(profile.workgroundColor);
}

void SettingsView::onProfileChanged(int index)
{
    const int id = index < 0 ? 0 : m_profileCombo->itemData(index).toInt();
    const ViewerSettings values = Settings::instance()->values();
    TextProfile profile = values.profiles.value(id);
    // Font family and size are common to all profiles; the first profile
    // holds them.
    if (!values.profiles.isEmpty()) {
        const TextProfile &first = values.profiles.first();
        profile.text.family = first.text.family;
        profile.text.size = first.text.size;
    }
    showProfile(profile);
}

void SettingsView::applySettings()
{
    auto settings = Application::createSettings();
    // Written only when the user picked a language: the item the page
    // selected by itself may be a stand-in for a language the list lacks.
    if (m_languagePicked)
        settings->setValue(QStringLiteral("Language"), m_languageCombo->currentData().toString());
    settings->setValue(QStringLiteral("library_folder"), m_libraryFolder);

    ViewerSettings values = Settings::instance()->values();
    values.showFade = m_fadeCheck->isChecked();
    values.useNaviSlider = m_naviSliderCheck->isChecked();
    values.textAlignment = m_alignmentCombo->currentIndex();
    values.currentProfile = m_profileCombo->currentData().toInt();

    TextProfile profile = values.profiles.value(values.currentProfile);
    profile.backgroundColor = m_backgroundColor->color();
    profile.workgroundColor = m_workgroundColor->color();
    profile.text.family = m_fontCombo->currentData().toString();
    profile.text.size = m_fontSizeEdit->value();
    profile.text.color = m_textColor->color();
    profile.text.bold = false;
    profile.text.italic = false;
    values.profiles[values.currentProfile] = profile;
    for (TextProfile &each : values.profiles) {
        each.text.family = profile.text.family;
        each.text.size = profile.text.size;
    }

    settings->setValue(QStringLiteral("auto_update_enabled"), m_updateCheck->isChecked());
    settings->sync();
    settings.reset();

    Settings::instance()->setValues(values, false);
    Application *application = Application::instance();
    if (application)
        application->loadTranslator();
}

void SettingsView::saveSettings()
{
    applySettings();
    emit onHideWindow();
}

void SettingsView::cancel()
{
    emit onHideWindow();
}

void SettingsView::onClose()
{
    emit onHideWindow();
}

void SettingsView::onSelectLibraryFolder()
{
    const QString folder = m_chooseFolder(this, tr("Select library folder"), m_libraryFolder);
    if (folder.isEmpty())
        return;
    m_libraryFolder = QDir::toNativeSeparators(folder);
    setLibraryFolderLabel();
}

void SettingsView::onResetDeaultProfiles()
{
    Settings::instance()->resetProfiles();
    readSettings();
}

void SettingsView::setLibraryFolderLabel()
{
    const QFontMetrics metrics(m_libraryFolderCaption->font());
    m_libraryFolderLabel->setText(
            metrics.elidedText(m_libraryFolder, Qt::ElideRight, FolderLabelWidth));
    m_libraryFolderLabel->setToolTip(m_libraryFolder);
}

void SettingsView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        emit onHideWindow();
}

void SettingsView::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    readSettings();
}

void SettingsView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QFrame::changeEvent(event);
}
