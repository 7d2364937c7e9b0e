#include "library/view/libraryviewparts.h"

#include "library/view/bookshelf.h"
#include "platform/shell.h"
#include "widgets/messageview.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

// Stands in for the bookshelf until the program has its own: the titles in
// a wrapping grid, the Delete key and the empty-search message.
class PlainBookShelf : public BookShelf
{
public:
    PlainBookShelf(QAbstractItemModel *model, QWidget *parent)
        : BookShelf(parent)
    {
        setModel(model);
        setObjectName(QStringLiteral("bookListView"));
        setViewMode(QListView::IconMode);
        setResizeMode(QListView::Adjust);
        setFlow(QListView::LeftToRight);
        setSpacing(20);
        setGridSize(QSize(129, 60));
        setWordWrap(true);
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        setContextMenuPolicy(Qt::CustomContextMenu);
        setDragEnabled(false);
        m_label = new QLabel(this);
        m_label->setObjectName(QStringLiteral("labelEmptySearch"));
        m_label->setAlignment(Qt::AlignCenter);
        m_label->setWordWrap(true);
        m_label->hide();
    }

    void showEmptySearch(const QString &text) override
    {
        m_label->setText(text);
        m_label->show();
    }
    void hideEmptySearch() override { m_label->hide(); }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Delete)
            emit onDeleteKey();
        BookShelf::keyPressEvent(event);
    }
    void resizeEvent(QResizeEvent *event) override
    {
        m_label->setGeometry(viewport()->geometry());
        BookShelf::resizeEvent(event);
    }

private:
    QLabel *m_label = nullptr;
};

bool standardConfirm(QWidget *parent, const QString &title, const QString &text,
                     bool cancelIsDefault)
{
    MessageView box(title, text, parent);
    auto *cancel = new QPushButton(QCoreApplication::translate("LibraryView", "CANCEL"), parent);
    cancel->setObjectName(QStringLiteral("buttonCancel"));
    cancel->setFixedHeight(42);
    cancel->setMinimumWidth(100);
    box.addButton(cancel, QDialogButtonBox::RejectRole);
    if (cancelIsDefault)
        cancel->setDefault(true);
    box.exec();
    return box.clickedRole() == QDialogButtonBox::AcceptRole;
}

} // namespace

LibraryViewParts LibraryViewParts::completed() const
{
    LibraryViewParts parts = *this;
    if (!parts.createShelf) {
        parts.createShelf = [](QAbstractItemModel *model, QWidget *parent) -> BookShelf * {
            return new PlainBookShelf(model, parent);
        };
    }
    if (!parts.confirm)
        parts.confirm = standardConfirm;
    if (!parts.showMessage) {
        parts.showMessage = [](QWidget *parent, const QString &title, const QString &text) {
            MessageView *box = MessageView::create(title, text, parent);
            box->exec();
            box->deleteLater();
        };
    }
    if (!parts.getExistingDirectory) {
        parts.getExistingDirectory
                = [](QWidget *parent, const QString &caption, const QString &folder) {
                      return QFileDialog::getExistingDirectory(
                              parent, caption, folder,
                              QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
                  };
    }
    if (!parts.getSaveFileName) {
        parts.getSaveFileName = [](QWidget *parent, const QString &caption, const QString &filter) {
            return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
        };
    }
    if (!parts.getOpenFileName) {
        parts.getOpenFileName = [](QWidget *parent, const QString &caption, const QString &filter) {
            return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
        };
    }
    if (!parts.showMessageOk) {
        parts.showMessageOk = [](QWidget *parent, const QString &title, const QString &text) {
            MessageView box(title, text, parent);
            box.exec();
            return box.clickedRole() == QDialogButtonBox::AcceptRole;
        };
    }
    if (!parts.showInFileManager)
        parts.showInFileManager = Shell::showInFileManager;
    return parts;
}
