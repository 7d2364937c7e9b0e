#include "tests/support/testenvironment.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

QTemporaryDir *s_home = nullptr;

void removeHome()
{
    if (!s_home)
        return;
    // A failing run keeps its files for a look.
    if (QTest::currentTestFailed() || std::getenv("VL_KEEP_TEST_HOME")) {
        s_home->setAutoRemove(false);
        std::fprintf(stderr, "test home kept at %s\n", qPrintable(s_home->path()));
    }
    delete s_home;
    s_home = nullptr;
}

void setPath(const char *name, const QString &path)
{
    QDir().mkpath(path);
    qputenv(name, QFile::encodeName(path));
}

} // namespace

namespace TestEnvironment {

void isolate()
{
    if (s_home)
        return;
    s_home = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/vellumin-test-XXXXXX"));
    const QString base = s_home->path();
    setPath("HOME", base + QStringLiteral("/home"));
    setPath("XDG_CONFIG_HOME", base + QStringLiteral("/config"));
    setPath("XDG_DATA_HOME", base + QStringLiteral("/data"));
    setPath("XDG_CACHE_HOME", base + QStringLiteral("/cache"));
    setPath("XDG_RUNTIME_DIR", base + QStringLiteral("/runtime"));
    QFile::setPermissions(base + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setPath("TMPDIR", base + QStringLiteral("/tmp"));
    qputenv("LC_ALL", "C.UTF-8");
    // Nothing a test starts reaches a server beyond this machine: the update
    // check and the crash upload ask a local port where nobody listens,
    // unless the test points them at a server of its own.
    for (const char *name : { "VELLUMIN_UPDATE_URL", "VELLUMIN_CRASH_URL" }) {
        if (qEnvironmentVariableIsEmpty(name))
            qputenv(name, "http://127.0.0.1:9/");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::atexit(removeHome);
}

QString home()
{
    return s_home ? s_home->path() + QStringLiteral("/home") : QDir::homePath();
}

QString binDir()
{
    const QString dir = qEnvironmentVariable("VELLUMIN_BIN_DIR");
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

} // namespace TestEnvironment
