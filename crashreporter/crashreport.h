#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

class QScreen;

// One crash report: a folder of its own under the reports folder, holding
// copies of the files that describe the crash, and "report.json" that
// names them (with a description each), lists the named values
// (properties), the program, the crash and the user's own words. The
// folder stays when the upload fails; a marker file "uploaded" says that
// the server took it, so it is never sent twice.
//
// Made by the reporter program; not thread-safe.
class CrashReport
{
public:
    struct File
    {
        QString name; // plain file name inside the folder
        QString description;
    };

    // A last book up to this size goes into the report; a larger one only
    // by its path.
    static constexpr qint64 MaxBookSize = 10485760;
    // Of a longer day log only its end is kept: the lines before the crash
    // are the ones that matter.
    static constexpr qint64 MaxLogBytes = 8 << 20;

    explicit CrashReport(const QString &folder);

    QString folder() const { return m_folder; }

    // What the crashed program leaves behind: its newest day log from
    // logFolder, the settings file, the last opened book named in it (or
    // only its path, when large), the backtrace the handler wrote, and the
    // sizes of the screens.
    void collect(const QString &logFolder, const QString &settingsFile,
                 const QList<QScreen *> &screens);
    // Saves a picture of the screen into the report.
    void addScreenshot(QScreen *screen);

    // Copies a file into the folder (under a name not yet taken there);
    // false when it cannot be read. With tailBytes >= 0 only the file's
    // last tailBytes are copied.
    bool addFile(const QString &path, const QString &description, qint64 tailBytes = -1);
    void addProperty(const QString &name, const QString &value);

    void setApplication(const QString &name, const QString &version);
    void setCrash(int signalNumber, qint64 processId);
    void setUploadUrl(const QUrl &url) { m_uploadUrl = url; }
    void setDescription(const QString &text) { m_description = text; }

    QList<File> files() const { return m_files; }
    QList<QPair<QString, QString>> properties() const { return m_properties; }
    QString applicationName() const { return m_applicationName; }
    QString applicationVersion() const { return m_applicationVersion; }
    QString crashId() const { return m_crashId; }
    QUrl uploadUrl() const { return m_uploadUrl; }
    QString description() const { return m_description; }
    QString filePath(const QString &name) const;
    QString value(const QString &propertyName) const;

    // report.json, written whole or not at all.
    bool save(QString *error) const;
    // Reads report.json back; files it names that are missing, or names that
    // would lead out of the folder, are dropped.
    bool load(QString *error);
    QByteArray toJson() const;

    bool isUploaded() const;
    bool markUploaded(QString *error) const;

    // The day log written last in a folder ("log_*.txt"), or "".
    static QString newestLog(const QString &folder);

private:
    QString uniqueName(const QString &fileName) const;

    QString m_folder;
    QString m_applicationName;
    QString m_applicationVersion;
    QString m_crashId;
    QString m_time;
    int m_signal = 0;
    qint64 m_processId = 0;
    QUrl m_uploadUrl;
    QString m_description;
    QList<File> m_files;
    QList<QPair<QString, QString>> m_properties;
};
