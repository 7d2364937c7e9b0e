#pragma once

#include "library/model/bookmodel.h"

#include <QFrame>
#include <QMap>

class Button;
class QButtonGroup;

// The collapsible "Formats" entry of the library's category column: a
// header button that opens and closes a box with one checkable button per
// book format, labelled with the format's name and its number of books.
// The format buttons join the library screen's category group under the ids
// 1000 + format code, so a format and a general category exclude each other.
// GUI thread only.
class ListFormats : public QFrame
{
    Q_OBJECT
public:
    // The group is not owned; it must outlive the list.
    ListFormats(QButtonGroup *group, QWidget *parent = nullptr);
    ~ListFormats() override;

    // Shows the formats of the map with their counts, hides the others, and
    // hides the whole list when the map is empty.
    void setFormatCounts(const FormatCounts &counts);

    Button *headerButton() const { return m_header; }
    // The button of a format code 0..10, or null.
    Button *formatButton(int format) const { return m_buttons.value(format); }
    bool isExpanded() const;

public slots:
    void expand();
    void collapse();
    // Leaves no button of the group checked.
    void reset();

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void buttonFormats();

private:
    Q_DISABLE_COPY_MOVE(ListFormats)

    void setupUi();
    void setExpanded(bool expanded);

    QButtonGroup *m_group;
    Button *m_header = nullptr;
    QFrame *m_box = nullptr;
    QMap<int, Button *> m_buttons;
};
