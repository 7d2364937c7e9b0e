#pragma once

#include <QMap>
#include <QStyledItemDelegate>

// Paints the delete column (column 2) of the bookmark table with a trash
// image that follows the row's state: normal, under the mouse, selected,
// selected under the mouse. The images come through four properties.
class BookmarkTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
    Q_PROPERTY(QString trash READ trash WRITE setTrash)
    Q_PROPERTY(QString trashHigh READ trashHigh WRITE setTrashHigh)
    Q_PROPERTY(QString trashSelect READ trashSelect WRITE setTrashSelect)
    Q_PROPERTY(QString trashSelectHigh READ trashSelectHigh WRITE setTrashSelectHigh)
public:
    // Keys of the image map: 1 for a selected row, plus 16 under the mouse.
    enum StateKey { Normal = 0, Selected = 1, High = 16, SelectedHigh = 17 };

    explicit BookmarkTableDelegate(QObject *parent = nullptr);

    QString trash() const { return m_images.value(Normal); }
    void setTrash(const QString &path) { m_images.insert(Normal, path); }
    QString trashHigh() const { return m_images.value(High); }
    void setTrashHigh(const QString &path) { m_images.insert(High, path); }
    QString trashSelect() const { return m_images.value(Selected); }
    void setTrashSelect(const QString &path) { m_images.insert(Selected, path); }
    QString trashSelectHigh() const { return m_images.value(SelectedHigh); }
    void setTrashSelectHigh(const QString &path) { m_images.insert(SelectedHigh, path); }

    // The image path for a style option's state.
    QString imageFor(const QStyleOptionViewItem &option) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    QMap<int, QString> m_images;
};
