#include "crashreporter/crashreportdialog.h"

#include "crashreporter/crashreport.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CrashReportDialog::CrashReportDialog(const CrashReport &report, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Vellumin crash report"));
    auto *intro = new QLabel(
            tr("Vellumin stopped because of an error. A report that can help to find the fault "
               "has been prepared. Nothing is sent unless you choose to send it.\n\n"
               "The report holds these files and values:"),
            this);
    intro->setWordWrap(true);

    m_contents = new QTreeWidget(this);
    m_contents->setColumnCount(2);
    m_contents->setHeaderLabels({ tr("Item"), tr("Content") });
    m_contents->setRootIsDecorated(false);
    const QLocale locale;
    for (const CrashReport::File &file : report.files()) {
        const qint64 size = QFileInfo(report.filePath(file.name)).size();
        new QTreeWidgetItem(
                m_contents,
                { file.description,
                  QStringLiteral("%1 (%2)").arg(file.name, locale.formattedDataSize(size)) });
    }
    for (const auto &property : report.properties())
        new QTreeWidgetItem(m_contents, { property.first, property.second });
    m_contents->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    auto *more = new QLabel(tr("More information (what were you doing when it happened?):"), this);
    more->setWordWrap(true);
    m_description = new QPlainTextEdit(this);
    m_description->setPlainText(report.description());

    auto *folder = new QLabel(tr("The report is kept in %1").arg(report.folder()), this);
    folder->setWordWrap(true);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *buttons = new QDialogButtonBox(this);
    m_send = buttons->addButton(tr("Send report"), QDialogButtonBox::AcceptRole);
    m_keep = buttons->addButton(tr("Don't send"), QDialogButtonBox::RejectRole);
    m_keep->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_contents, 1);
    layout->addWidget(more);
    layout->addWidget(m_description);
    layout->addWidget(folder);
    layout->addWidget(buttons);
    resize(560, 480);
}

QString CrashReportDialog::description() const
{
    return m_description->toPlainText();
}
