#pragma once

#include <QItemDelegate>

// Paints a category row (folder icon, then "title (count)" elided in the
// middle so the count stays visible) and edits its name in place with a
// FolderEditor. Rows are 27 pixels high.
class FolderDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    explicit FolderDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

    // The text a row shows before eliding.
    static QString rowText(const QModelIndex &index);

signals:
    // An edit was committed and its editor closed.
    void updateNeeded();

public slots:
    void commitAndCloseEditor();
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    Q_DISABLE_COPY_MOVE(FolderDelegate)
};
