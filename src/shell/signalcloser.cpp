#include "shell/signalcloser.h"

#include "link/messages.h"

#include <QApplication>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#else
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

namespace
{
std::mutex g_mutex;
std::condition_variable g_gone;
SignalCloser *g_closer = nullptr; // guarded by g_mutex

// The system runs this on a thread of its own.
BOOL WINAPI ConsoleHandler(DWORD event)
{
    std::unique_lock<std::mutex> lock(g_mutex);
    if (!g_closer)
        return FALSE;
    SignalCloser *closer = g_closer;
    QMetaObject::invokeMethod(
        closer, [closer] { closer->OnSignal(); }, Qt::QueuedConnection);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // After close, logoff and shutdown the process ends as soon as this returns:
    // wait (within the system's 5 s) until the main window is gone and has saved.
    g_gone.wait_for(lock, std::chrono::milliseconds(4500), [] { return g_closer == nullptr; });
    return TRUE;
}
} // namespace

SignalCloser::SignalCloser(QWidget *mainWindow) : QObject(mainWindow), m_window(mainWindow)
{
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        g_closer = this;
    }
    SetConsoleCtrlHandler(ConsoleHandler, TRUE);
}

SignalCloser::~SignalCloser()
{
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        g_closer = nullptr;
    }
    g_gone.notify_all();
    SetConsoleCtrlHandler(ConsoleHandler, FALSE);
}

#else

namespace
{
int g_pipe[2] = {-1, -1};

void Handler(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &c, 1);
}
} // namespace

SignalCloser::SignalCloser(QWidget *mainWindow) : QObject(mainWindow), m_window(mainWindow)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_pipe[1], &c, 1);
        OnSignal();
    });
    struct sigaction sa = {};
    sa.sa_handler = Handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}

SignalCloser::~SignalCloser()
{
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    for (int &fd : g_pipe)
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
}

#endif

void SignalCloser::OnSignal()
{
    // Whoever sent the signal waits for the end; the saves that follow must not wait on a box.
    Messages::SetUnattended();
    // A modal dialog runs its own loop; close it first so the close reaches the main loop.
    for (int i = 0; i < 16; ++i) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->close())
            break;
    }
    if (m_window)
        m_window->close();
}
