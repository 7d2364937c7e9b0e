#pragma once

#include <QDialog>

namespace divad {

class CLinkLabel;

// "关于 divad": the program's picture, name and version, a notice line,
// and links to the program's web site and to the page where new versions
// are published. Modal; user-interface thread.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

    CLinkLabel *SiteLink() const { return m_site; }
    CLinkLabel *DownloadLink() const { return m_download; }

private:
    CLinkLabel *m_spare = nullptr;
    CLinkLabel *m_download = nullptr;
    CLinkLabel *m_site = nullptr;
};

} // namespace divad
