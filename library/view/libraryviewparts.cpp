#include "library/view/libraryviewparts.h"

#include "library/db/bookprovider.h"
#include "library/model/foldermodel.h"
#include "library/view/bookcontextmenu.h"
#include "library/view/booklistview.h"
#include "library/view/bookpropertiesview.h"
#include "platform/shell.h"
#include "widgets/messageview.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPointer>
#include <QPushButton>

namespace {

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
            return new BookListView(model, parent);
        };
    }
    if (!parts.createBookMenu) {
        parts.createBookMenu
                = [folders = QPointer<FolderModel>(folderModel)](const QModelIndexList &indexes,
                                                                 QWidget *parent) -> BookMenu * {
            // The categories as the category list shows them; a screen
            // without the application's model reads them as it would.
            const QList<CategoryDto> categories
                    = folders ? folders->categories() : BookProvider::instance()->allCategories();
            return new BookContextMenu(indexes, categories, parent);
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
    if (!parts.showProperties) {
        parts.showProperties = [show = parts.showInFileManager](const QPersistentModelIndex &index,
                                                                QWidget *parent) {
            BookPropertiesView dialog(index, parent);
            dialog.setShowInFileManager(show);
            dialog.exec();
            return dialog.editRequested();
        };
    }
    return parts;
}
