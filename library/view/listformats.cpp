#include "library/view/listformats.h"

#include "library/db/bookformat.h"
#include "widgets/button.h"

#include <QButtonGroup>
#include <QEvent>
#include <QStyle>
#include <QVBoxLayout>

ListFormats::ListFormats(QButtonGroup *group, QWidget *parent)
    : QFrame(parent)
    , m_group(group)
{
    setupUi();
    connect(m_header, &QPushButton::clicked, this, &ListFormats::buttonFormats);
    m_header->setText(tr("Formats"));
}

ListFormats::~ListFormats() = default;

void ListFormats::setupUi()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_header = new Button(this);
    m_header->setObjectName(QStringLiteral("buttonFormats"));

    m_box = new QFrame(this);
    auto *boxLayout = new QVBoxLayout(m_box);
    boxLayout->setContentsMargins(28, 0, 0, 0);
    boxLayout->setSpacing(0);
    for (int format = 0; format <= BookFormat::LastFormat; ++format) {
        auto *button = new Button(this);
        button->setText(BookFormat::toString(format));
        button->setObjectName(QStringLiteral("buttonFormat"));
        boxLayout->addWidget(button);
        button->setCheckable(true);
        m_group->addButton(button, BookModel::CategoryFormatBase + format);
        m_buttons.insert(format, button);
    }
    m_box->hide();

    layout->addWidget(m_header);
    layout->addWidget(m_box);
    layout->addStretch();
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
}

void ListFormats::setFormatCounts(const FormatCounts &counts)
{
    setVisible(!counts.isEmpty());
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        const auto count = counts.constFind(it.key());
        if (count != counts.cend()) {
            it.value()->setText(QStringLiteral("%1 (%2)")
                                        .arg(BookFormat::toString(it.key()))
                                        .arg(count->second));
            it.value()->show();
        } else {
            it.value()->hide();
        }
    }
}

bool ListFormats::isExpanded() const
{
    return !m_box->isHidden();
}

void ListFormats::expand()
{
    setExpanded(true);
}

void ListFormats::collapse()
{
    setExpanded(false);
}

void ListFormats::buttonFormats()
{
    setExpanded(!isExpanded());
}

void ListFormats::setExpanded(bool expanded)
{
    m_box->setVisible(expanded);
    // The arrow comes from the style sheet rule of the object name, so the
    // button is re-styled under its new name.
    style()->unpolish(m_header);
    m_header->setObjectName(expanded ? QStringLiteral("buttonFormatsExpanded")
                                     : QStringLiteral("buttonFormats"));
    style()->polish(m_header);
    m_header->update();
}

void ListFormats::reset()
{
    QAbstractButton *checked = m_group->checkedButton();
    if (!checked)
        return;
    m_group->setExclusive(false);
    checked->setChecked(false);
    m_group->setExclusive(true);
}

void ListFormats::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        m_header->setText(tr("Formats"));
    QFrame::changeEvent(event);
}
