#include "standalone/panels/filebrowserpanel.h"

#include "standalone/panels/foldertreectrl.h"
#include "standalone/panels/panelmessages.h"
#include "standalone/settings/cinifile.h"
#include "standalone/util/dialogunits.h"
#include "standalone/web/constants.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

namespace divad {

namespace {

    const QString fileView = QStringLiteral("fileview");
    const QString singleClickKey = QStringLiteral("chksingleclickopenfile");

    QRect units(int x, int y, int w, int h)
    {
        return DialogRect(DialogFont::SongTi9, x, y, w, h);
    }

} // namespace

void ResizeChildrenVertically(QWidget *, int oldHeight, int newHeight,
                              const QList<QWidget *> &stretch, const QList<QWidget *> &move)
{
    const int d = newHeight - oldHeight;
    if (d == 0)
        return;
    for (QWidget *window : stretch) {
        if (window)
            window->resize(window->width(), qMax(1, window->height() + d));
    }
    for (QWidget *window : move) {
        if (window)
            window->move(window->x(), window->y() + d);
    }
}

FileBrowserPanel::FileBrowserPanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FileBrowserPanel"));
    setFont(DialogFontOf(DialogFont::SongTi9));
    resize(DialogSize(DialogFont::SongTi9, 113, 583));

    // The frame stands behind everything else.
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("tab1033"));
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setGeometry(units(0, 0, 113, 365));
    m_setRoot = new QPushButton(QStringLiteral("设置根"), this);
    m_setRoot->setObjectName(QStringLiteral("button1029"));
    m_setRoot->setGeometry(units(5, 5, 30, 15));
    m_restoreRoot = new QPushButton(QStringLiteral("恢复根"), this);
    m_restoreRoot->setObjectName(QStringLiteral("button1030"));
    m_restoreRoot->setGeometry(units(40, 5, 30, 15));
    m_singleClick = new QPushButton(QStringLiteral("单击"), this);
    m_singleClick->setObjectName(QStringLiteral("check1031"));
    m_singleClick->setCheckable(true);
    m_singleClick->setGeometry(units(75, 5, 30, 15));
    m_tree = new FolderTreeCtrl(this);
    m_tree->setObjectName(QStringLiteral("tree1032"));
    m_tree->setGeometry(units(5, 25, 103, 335));
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("static1034"));
    m_hint->setGeometry(units(5, 365, 100, 40));
    m_hint->setWordWrap(true);
    m_hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    connect(m_setRoot, &QPushButton::clicked, this, &FileBrowserPanel::OnSetRoot);
    connect(m_restoreRoot, &QPushButton::clicked, this, &FileBrowserPanel::OnRestoreRoot);
    connect(m_singleClick, &QPushButton::toggled, this, &FileBrowserPanel::saveSingleClick);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            &FileBrowserPanel::onSelectionChanged);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &FileBrowserPanel::onDoubleClick);

    m_frame->move(0, -5);
    m_tree->SetRoot(QString(), true);
    {
        const QSignalBlocker quiet(m_singleClick);
        m_singleClick->setChecked(CIniFile(Const::CfgIni, fileView).ReadInt0(singleClickKey) != 0);
    }
    m_initialised = true;
    m_lastHeight = height();
}

FileBrowserPanel::~FileBrowserPanel()
{
    saveSingleClick();
}

void FileBrowserPanel::saveSingleClick()
{
    CIniFile(Const::CfgIni, fileView).WriteInt(singleClickKey, m_singleClick->isChecked() ? 1 : 0);
}

void FileBrowserPanel::OpenFile(const QString &path)
{
    if (path.isEmpty())
        return;
    PathToOpen() = path;
    PostToMainWindow(new OpenPendingPathEvent);
}

void FileBrowserPanel::onSelectionChanged()
{
    const QString path = m_tree->SelectedFilePath();
    const bool singleClick = m_singleClick->isChecked();
    if (path.isEmpty()) {
        m_hint->setText(QStringLiteral("目录：") + m_tree->SelectedPath());
        return;
    }
    m_hint->setText(QStringLiteral("文件：") + path
                    + (singleClick ? QString() : QStringLiteral("\r\n双击打开阅读")));
    if (singleClick && !m_changingRoot)
        OpenFile(path);
}

void FileBrowserPanel::onDoubleClick()
{
    if (!m_singleClick->isChecked())
        OpenFile(m_tree->SelectedFilePath());
}

void FileBrowserPanel::OnSetRoot()
{
    m_changingRoot = true;
    m_tree->RootAtSelection();
    m_changingRoot = false;
}

void FileBrowserPanel::OnRestoreRoot()
{
    m_changingRoot = true;
    m_tree->RestoreRoot();
    m_changingRoot = false;
}

void FileBrowserPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_initialised)
        return;
    ResizeChildrenVertically(this, m_lastHeight, event->size().height(), { static_cast<QWidget *>(m_tree), m_frame },
                             { static_cast<QWidget *>(m_hint) });
    m_lastHeight = event->size().height();
}

} // namespace divad
