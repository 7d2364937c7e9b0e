#pragma once

// Shared pieces of the reading-window tests: a data folder of its own for
// each test, the reader's process-wide state put back to a fresh start, a
// scripted stand-in for every dialog the reader asks through, and novels
// written on the spot.

#include "standalone/gfx/messageoverlay.h"
#include "standalone/settings/cinifile.h"
#include "standalone/settings/crecentfiles.h"
#include "standalone/settings/readersettings.h"
#include "standalone/text/cbookinfostore.h"
#include "standalone/util/ansi.h"
#include "standalone/util/prompts.h"
#include "standalone/util/shell.h"
#include "standalone/util/strutil.h"
#include "standalone/web/constants.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace divadtest {

// A data folder for one test, with the reader's globals made fresh: no
// settings, no recent books, no book records, no overlay. Web addresses
// point at a closed local port, so nothing leaves the machine.
class DataFolder
{
public:
    DataFolder()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("DIVAD_HOME", QFile::encodeName(m_dir->path()));
        qputenv("DIVAD_WEB_BASE", "http://127.0.0.1:9");
        divad::readerSettings() = divad::ReaderSettings();
        divad::recentFiles() = divad::CRecentFiles();
        divad::bookInfoStore().SetFilePath(divad::ProgramFolderFile(divad::Const::BookInfoFile));
        divad::bookInfoStore().Clear();
        divad::bookInfoStore().SelectBook(QString());
        divad::messageOverlay().Clear();
    }
    ~DataFolder() { m_dir->setAutoRemove(!QTest::currentTestFailed()); }

    QString path() const { return m_dir->path(); }
    QString file(const QString &name) const { return m_dir->filePath(name); }

    void writeSetting(const QString &section, const QString &key, const QString &value) const
    {
        divad::CIniFile(divad::Const::CfgIni, section).WriteString(key, value);
    }

    QString readSetting(const QString &section, const QString &key) const
    {
        QFile ini(file(QStringLiteral("cfg.ini")));
        if (!ini.open(QIODevice::ReadOnly))
            return QString();
        bool inSection = false;
        for (const QByteArray &raw : ini.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1Char('[')))
                inSection = line.compare(QLatin1Char('[') + section + QLatin1Char(']'),
                                         Qt::CaseInsensitive)
                        == 0;
            else if (inSection && line.section(QLatin1Char('='), 0, 0).compare(key, Qt::CaseInsensitive) == 0)
                return line.section(QLatin1Char('='), 1);
        }
        return QString();
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// Answers for every dialog the reader would show, and a record of what it
// showed.
class ScriptedPrompter
{
public:
    ScriptedPrompter()
    {
        divad::SetMessageHandler([this](const divad::MessageRequest &request) {
            messages << request.text;
            captions << request.caption;
            return request.okCancel ? (questionAnswers.isEmpty() ? true : questionAnswers.takeFirst())
                                    : true;
        });
        divad::SetInputBoxHandler([this](QObject *, const QString &title, const QString &prompt,
                                         QString *text) {
            inputTitles << title;
            inputPrompts << prompt;
            if (inputAnswers.isEmpty())
                return false;
            const QString answer = inputAnswers.takeFirst();
            if (answer.isNull())
                return false;
            *text = answer;
            return true;
        });
        divad::SetOpenFileHandler([this](const divad::OpenFileRequest &request) {
            fileRequests << request;
            return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
        });
        divad::SetFontHandler([this](QObject *, const QFont &initial, QFont *chosen) {
            fontInitial = initial;
            if (fontAnswers.isEmpty())
                return false;
            *chosen = fontAnswers.takeFirst();
            return true;
        });
        divad::SetShellHandler([this](const divad::ShellRequest &request) {
            shellRequests << request;
            return shellResult;
        });
    }
    ~ScriptedPrompter()
    {
        divad::SetMessageHandler(nullptr);
        divad::SetInputBoxHandler(nullptr);
        divad::SetOpenFileHandler(nullptr);
        divad::SetFontHandler(nullptr);
        divad::SetShellHandler(nullptr);
    }

    QStringList messages;
    QStringList captions;
    QList<bool> questionAnswers; // OK when empty
    QStringList inputTitles;
    QStringList inputPrompts;
    QStringList inputAnswers; // a null string is Cancel
    QList<divad::OpenFileRequest> fileRequests;
    QStringList fileAnswers;
    QFont fontInitial;
    QList<QFont> fontAnswers;
    QList<divad::ShellRequest> shellRequests;
    bool shellResult = true;
};

// A novel in GBK: chapters of plain paragraphs, about `bytes` long.
inline QByteArray novelText(int bytes, const QString &marker = QString())
{
    static const QString words = QStringLiteral(
            "天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏闰余成岁律吕调阳云腾致雨露结为霜");
    QByteArray text;
    int chapter = 0;
    quint32 seed = 7;
    while (text.size() < bytes) {
        QString paragraph;
        if (text.isEmpty() || seed % 9 == 0)
            paragraph = QStringLiteral("第%1章 %2").arg(++chapter).arg(marker);
        else {
            paragraph = QStringLiteral("　　");
            const int length = 40 + int(seed % 90);
            for (int i = 0; i < length; ++i) {
                seed = seed * 1664525u + 1013904223u;
                paragraph += words.at(int((seed >> 16) % quint32(words.size())));
            }
            paragraph += QStringLiteral("。");
        }
        seed = seed * 1664525u + 1013904223u;
        text += divad::Ansi::fromUnicode(paragraph) + "\r\n";
    }
    return text;
}

inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

} // namespace divadtest
