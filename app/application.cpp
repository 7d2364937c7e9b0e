#include "app/application.h"

#include "core/paths.h"
#include "core/settingsfile.h"
#include "library/db/workerstates.h"
#include "library/model/bookmodel.h"
#include "library/model/foldermodel.h"
#include "library/workers/addbooksworker.h"
#include "platform/installinfo.h"
#include "platform/shell.h"
#include "reader/usercontext.h"
#include "widgets/handover/applicationhandover.h"
#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"

#include <QDebug>
#include <QLocale>
#include <QTranslator>

Application::Application(int &argc, char **argv)
    : QtSingleApplication(argc, argv, true)
{
    setApplicationName(QStringLiteral("vellumin"));
    setOrganizationDomain(QStringLiteral("morvasco.com"));
    setOrganizationName(QStringLiteral("Morvasco"));
    setApplicationVersion(QStringLiteral("5.0.7"));

    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Paths::appHomeDir());

    loadTranslator();

    m_userContext = new UserContext();
    m_bookModel = new BookModel(this);
    m_userContext->setBookModel(m_bookModel);
    m_folderModel = new FolderModel(this);
    m_messageController = std::make_unique<MessageBoxController>();
    m_passwordController = new InputPasswordController(this);
    // Readers below the application (PDF passwords) ask through these.
    Handover::setApplicationControllers(m_passwordController, m_messageController.get());

    // The workers report through queued signals; the types travel by name.
    qRegisterMetaType<WorkerStates>("WorkerStates");
    qRegisterMetaType<ExportErrors>("ExportErrors");
    qRegisterMetaType<AddBooksErrors>("AddBooksErrors");
    qRegisterMetaType<ImportErrors>("ImportErrors");
}

Application::~Application()
{
    Handover::setApplicationControllers(nullptr, nullptr);
    delete m_userContext;
    if (m_translator)
        removeTranslator(m_translator);
    delete m_translator;
}

Application *Application::instance()
{
    return qobject_cast<Application *>(QCoreApplication::instance());
}

std::shared_ptr<QSettings> Application::createSettings()
{
    return SettingsFile::create();
}

QString Application::settingsFilePath(const QString &name)
{
    return SettingsFile::filePath(name);
}

QString Application::displayVersion()
{
    return InstallInfo::value(QStringLiteral("DisplayVersion"),
                              QCoreApplication::applicationVersion());
}

QString Application::readRegistryVersion()
{
    return InstallInfo::value(QStringLiteral("CurrentVersion"), displayVersion());
}

QStringList Application::supportedFormats()
{
    // The add-books worker owns the list: what the add dialog offers is
    // exactly what the worker takes.
    return AddBooksWorker::supportedFormats();
}

QString Application::systemLanguage()
{
    return QLocale::system().name().left(2);
}

QString Application::translationFilePath(const QString &language)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations")
            + QLatin1Char('/') + QStringLiteral("vellumin_%1.qm").arg(language);
}

void Application::loadTranslator()
{
    QString language = createSettings()->value(QStringLiteral("Language")).toString();
    if (language.isEmpty())
        language = systemLanguage();
    setLanguage(language);
}

void Application::setLanguage(QString language)
{
    if (m_translator)
        removeTranslator(m_translator);
    else
        m_translator = new QTranslator;
    const QString path = translationFilePath(language);
    const bool loaded = m_translator->load(path);
    qDebug() << "Load translation:" << path << "Result:" << loaded;
    installTranslator(m_translator);
}

void Application::showInExplorer(QString filePath)
{
    Shell::showInFileManager(filePath);
}
