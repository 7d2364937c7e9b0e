// Runs vellumin (quitting as soon as its first window is up, splash wait
// off) and the bare program alternately, each in a fresh home, and prints
// the medians side by side; then the hand-over time of a second start.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QProcessEnvironment isolatedEnvironment(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QDir().mkpath(home + QStringLiteral("/runtime"));
    QFile::setPermissions(home + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VELLUMIN_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
    env.insert(QStringLiteral("VELLUMIN_SPLASH_MS"), QStringLiteral("0"));
    return env;
}

double runOnce(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString bin = QCoreApplication::applicationDirPath();
    const QString vellumin = bin + QStringLiteral("/vellumin");
    const QString bare = bin + QStringLiteral("/bench_startup_bare");
    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 9;

    std::vector<double> ours, floor;
    for (int i = 0; i < rounds; ++i) {
        QTemporaryDir home;
        const QProcessEnvironment env = isolatedEnvironment(home.path());
        floor.push_back(runOnce(bare, QStringList(), env));
        ours.push_back(runOnce(vellumin, QStringList(), env));
    }
    const double ourMedian = median(ours);
    const double floorMedian = median(floor);
    std::printf("start-up to first window: vellumin %.1f ms, bare Qt window %.1f ms, "
                "ratio %.2f, difference %.1f ms (goal: within 300 ms)\n",
                ourMedian, floorMedian, ourMedian / floorMedian, ourMedian - floorMedian);

    // Hand-over: a first instance stays up, a second start delivers its
    // command line and leaves.
    QTemporaryDir home;
    QProcessEnvironment firstEnv = isolatedEnvironment(home.path());
    firstEnv.remove(QStringLiteral("VELLUMIN_QUIT_WHEN_SHOWN"));
    QProcess first;
    first.setProcessEnvironment(firstEnv);
    first.setStandardOutputFile(QProcess::nullDevice());
    first.setStandardErrorFile(QProcess::nullDevice());
    first.start(vellumin, QStringList());
    first.waitForStarted();
    QThread::msleep(1500);
    std::vector<double> handOver;
    const QProcessEnvironment secondEnv = isolatedEnvironment(home.path());
    for (int i = 0; i < rounds; ++i)
        handOver.push_back(runOnce(vellumin, {QStringLiteral("/books/x.epub")}, secondEnv));
    first.kill();
    first.waitForFinished();
    std::printf("second start hand-over: %.1f ms (median of %d), beside the bare window's "
                "%.1f ms, ratio %.2f\n",
                median(handOver), rounds, floorMedian, median(handOver) / floorMedian);
    return 0;
}
