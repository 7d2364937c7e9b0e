#include "standalone/panels/sharedialog.h"

#include "standalone/util/dialogunits.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/prompts.h"
#include "standalone/util/strutil.h"
#include "standalone/web/clinklabel.h"
#include "standalone/web/constants.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimerEvent>

namespace divad {

namespace {

    QRect units(int x, int y, int w, int h)
    {
        return DialogRect(DialogFont::SongTi9, x, y, w, h);
    }

    std::function<QStringList()> &driveList()
    {
        static std::function<QStringList()> list;
        return list;
    }

    std::function<bool(const QString &)> &removableTest()
    {
        static std::function<bool(const QString &)> test;
        return test;
    }

} // namespace

void ShareDialog::SetDriveSource(std::function<QStringList()> list,
                                 std::function<bool(const QString &)> removable)
{
    driveList() = std::move(list);
    removableTest() = std::move(removable);
}

ShareDialog::ShareDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("ShareDialog"));
    setFont(DialogFontOf(DialogFont::SongTi9));
    setFixedSize(DialogSize(DialogFont::SongTi9, 332, 195));

    auto *upper = new QGroupBox(QStringLiteral("拷贝安装程序给我的朋友"), this);
    upper->setGeometry(units(5, 5, 320, 80));
    m_online = new QRadioButton(QStringLiteral("我能上网，可以下载安装程序"), this);
    m_online->setObjectName(QStringLiteral("radio1019"));
    m_online->setGeometry(units(15, 20, 300, 10));
    m_link = new CLinkLabel(this);
    m_link->setObjectName(QStringLiteral("static1025"));
    m_link->setText(QStringLiteral("从razaz下载安装程序"));
    m_link->setGeometry(units(30, 35, 285, 10));
    m_drive = new QRadioButton(QStringLiteral("直接生成本软件的绿色版到优盘里（不需联网）"), this);
    m_drive->setObjectName(QStringLiteral("radio1020"));
    m_drive->setGeometry(units(15, 50, 305, 10));
    auto *instruction = new QLabel(QStringLiteral("请插入优盘，选对盘符，然后点击【开始拷贝】"), this);
    instruction->setGeometry(units(30, 65, 180, 10));
    m_drives = new QComboBox(this);
    m_drives->setObjectName(QStringLiteral("combo1024"));
    m_drives->setGeometry(units(220, 63, 40, 14));
    m_copy = new QPushButton(QStringLiteral("开始拷贝"), this);
    m_copy->setObjectName(QStringLiteral("button1023"));
    m_copy->setGeometry(units(270, 65, 50, 14));
    auto *lower = new QGroupBox(QStringLiteral("推荐信"), this);
    lower->setGeometry(units(5, 90, 320, 80));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("edit1021"));
    m_text->setReadOnly(true);
    m_text->setGeometry(units(10, 100, 310, 46));
    auto *hint = new QLabel(
            QStringLiteral("点击【复制内容】，把内容复制到剪切板，方便您把内容粘贴在邮件或聊天工具里"), this);
    hint->setWordWrap(true);
    hint->setGeometry(units(30, 150, 235, 15));
    auto *copyText = new QPushButton(QStringLiteral("复制内容"), this);
    copyText->setObjectName(QStringLiteral("button1022"));
    copyText->setGeometry(units(270, 149, 50, 14));
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("button2"));
    close->setGeometry(units(270, 175, 50, 14));
    close->setAutoDefault(false);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("button1"));
    ok->setGeometry(units(222, 175, 50, 14));
    ok->setDefault(true);
    ok->hide();

    connect(m_copy, &QPushButton::clicked, this, &ShareDialog::CopyToDrive);
    connect(copyText, &QPushButton::clicked, this, &ShareDialog::CopyTextToClipboard);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_online, &QRadioButton::toggled, this, &ShareDialog::applyEnabling);
    connect(m_drive, &QRadioButton::toggled, this, &ShareDialog::applyEnabling);

    setWindowTitle(Const::ProgramName + QStringLiteral(" - 把本软件推荐给我的朋友使用"));
    m_link->SetUrl(Const::DownloadPage());
    m_link->Attach();
    m_online->setChecked(true);
    applyEnabling();
    m_text->setPlainText(RecommendationText());
    m_timer.start(500, this);
    OnTick();
}

ShareDialog::~ShareDialog() = default;

QString ShareDialog::RecommendationText()
{
    return Const::ShareOpening + Const::DownloadPage();
}

QStringList ShareDialog::CopySources()
{
    // The program, its help book and its skins: everything another machine
    // needs to run the reader from the drive.
    return { ProgramPath(), ProgramFolderFile(Const::HelpBook),
             ProgramFolderFile(Const::SkinsFolder) };
}

void ShareDialog::applyEnabling()
{
    const bool drive = m_drive->isChecked();
    m_drives->setEnabled(drive);
    m_copy->setEnabled(drive);
}

void ShareDialog::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer.timerId())
        OnTick();
    QDialog::timerEvent(event);
}

void ShareDialog::OnTick()
{
    const QStringList drives = driveList() ? driveList()() : ListDriveLetters();
    const QString letters = drives.join(QLatin1Char('\n'));
    if (letters == m_lastDrives)
        return;
    m_drives->clear();
    m_drives->addItems(drives);
    m_drives->setCurrentIndex(-1);
    for (int i = 0; i < drives.size(); ++i) {
        const bool removable = removableTest() ? removableTest()(drives.at(i))
                                               : IsRemovableDrive(drives.at(i));
        if (removable)
            m_drives->setCurrentIndex(i);
    }
    m_lastDrives = letters;
}

void ShareDialog::CopyToDrive()
{
    const QString root = m_drives->currentIndex() >= 0 ? m_drives->currentText() : QString();
    if (root.isEmpty()) {
        MessageRequest request;
        request.owner = this;
        request.text = QStringLiteral("没有选择盘符");
        ShowMessage(request);
        return;
    }
    const QString destination = JoinPath(root, Const::ProductTitle);
    MessageRequest request;
    request.owner = this;
    if (CopyFilesTo(CopySources(), { destination })) {
        request.text = QStringLiteral("拷贝成功!");
        request.icon = MessageIcon::Information;
    } else {
        request.text = QStringLiteral("拷贝失败!");
        request.icon = MessageIcon::Stop;
    }
    ShowMessage(request);
}

void ShareDialog::CopyTextToClipboard()
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(m_text->toPlainText());
}

} // namespace divad
