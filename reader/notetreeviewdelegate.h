#pragma once

#include <QItemDelegate>
#include <QMap>

// Paints every cell of the notes tree: the colour strip, the noted text
// and the comment (word-wrapped), page and date, the edit and delete icons
// of a note row; a chapter row's title across two columns and the number
// of its notes on show. All text is drawn as plain text. Rows are sized to
// their wrapped text. The tree never opens an editor.
class NoteTreeViewDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    explicit NoteTreeViewDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

public slots:
    void commitAndCloseEditor();
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QMap<int, QString> m_deleteIcons;
    QMap<int, QString> m_editIcons;
};
