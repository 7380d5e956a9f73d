// qtm-bench-sim: the simulated bench behind real Modbus endpoints.
#include "sim/lib/simbench.h"

#include <QCoreApplication>
#include <QTextStream>

#ifdef Q_OS_WIN
#include <windows.h>

#include <atomic>
#else
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace
{

#ifdef Q_OS_WIN

std::atomic<QCoreApplication *> quitting{nullptr};

// The system runs this on a thread of its own; the simulator has nothing to save,
// so the event loop is only asked to end.
BOOL WINAPI OnConsoleEvent(DWORD)
{
    QCoreApplication *app = quitting.load();
    if (!app)
        return FALSE;
    QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
    return TRUE;
}

// Ctrl+C, Ctrl+Break and closing the console end the event loop normally.
void QuitOnSignals(QCoreApplication &app)
{
    quitting.store(&app);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] {
        quitting.store(nullptr);
        SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    });
}

#else

int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

// SIGTERM and SIGINT end the event loop normally, so the process exits with 0.
void QuitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.quit(); });
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

#endif

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    SimOptions options;
    QString error;
    bool help = false;
    if (!options.Parse(app.arguments().mid(1), &error, &help)) {
        err << "qtm-bench-sim: " << error << "\n" << SimOptions::Usage();
        return 2;
    }
    if (help) {
        out << SimOptions::Usage();
        return 0;
    }
    QuitOnSignals(app);
    SimBench bench(options);
    if (!bench.Start(&error)) {
        err << "qtm-bench-sim: " << error << "\n";
        return 1;
    }
    out << "ready bench=" << bench.BenchEndpoint() << " flowmeter=" << bench.FlowmeterEndpoint() << Qt::endl;
    return app.exec();
}
