#pragma once

#include <QDialog>

class CrashReport;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// Asks the user, after a crash, whether the report may be sent: it lists
// every file and value the report holds, offers a field for more
// information, and sends nothing itself. Accepted means "send".
class CrashReportDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CrashReportDialog(const CrashReport &report, QWidget *parent = nullptr);

    // The user's own words about what happened.
    QString description() const;

    QTreeWidget *contents() const { return m_contents; }
    QPlainTextEdit *descriptionEdit() const { return m_description; }
    QPushButton *sendButton() const { return m_send; }
    QPushButton *keepButton() const { return m_keep; }

private:
    QTreeWidget *m_contents = nullptr;
    QPlainTextEdit *m_description = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_keep = nullptr;
};
