#include "standalone/app/aboutdialog.h"

#include "standalone/util/dialogunits.h"
#include "standalone/web/clinklabel.h"
#include "standalone/web/constants.h"

#include <QLabel>
#include <QPushButton>

namespace divad {

namespace {

    QRect units(int x, int y, int w, int h)
    {
        return DialogRect(DialogFont::SongTi9, x, y, w, h);
    }

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setFont(DialogFontOf(DialogFont::SongTi9));
    setFixedSize(DialogSize(DialogFont::SongTi9, 252, 86));
    setWindowTitle(Const::AboutCaption);

    auto *picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/divad/images/about129.png")));
    picture->setGeometry(units(8, 8, 32, 32));
    auto *version = new QLabel(QStringLiteral("divad 1.0 版"), this);
    version->setObjectName(QStringLiteral("static1007"));
    version->setGeometry(units(48, 10, 140, 10));
    auto *notice = new QLabel(this);
    notice->setObjectName(QStringLiteral("static1008"));
    notice->setGeometry(units(48, 24, 196, 22));
    notice->setWordWrap(true);
    auto *ok = new QPushButton(this);
    ok->setObjectName(QStringLiteral("button1"));
    ok->setGeometry(units(195, 65, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    m_spare = new CLinkLabel(this);
    m_spare->setObjectName(QStringLiteral("static1002"));
    m_spare->setText(QStringLiteral("备用"));
    m_spare->setGeometry(units(130, 52, 40, 10));
    m_spare->hide();
    m_download = new CLinkLabel(this);
    m_download->setObjectName(QStringLiteral("static1001"));
    m_download->setText(QStringLiteral("检查新版本"));
    m_download->setGeometry(units(100, 52, 60, 10));
    m_site = new CLinkLabel(this);
    m_site->setObjectName(QStringLiteral("static1000"));
    m_site->setText(QStringLiteral("网址"));
    m_site->setGeometry(units(48, 52, 40, 10));
    for (CLinkLabel *link : { m_spare, m_download, m_site })
        link->Attach();

    version->setText(Const::AboutVersion);
    notice->setText(Const::AboutNotice);
    ok->setText(Const::OkText);
    m_site->setText(QStringLiteral("官方网站"));
    m_site->SetUrl(Const::HomeAddress());
    m_site->SetColours(QColor(0, 0, 255), QColor(0, 0, 255), QColor(255, 0, 0));
    m_download->SetUrl(Const::DownloadPage());
    m_download->SetColours(QColor(0, 0, 255), QColor(0, 0, 255), QColor(255, 0, 0));
}

AboutDialog::~AboutDialog() = default;

} // namespace divad
