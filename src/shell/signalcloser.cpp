#include "shell/signalcloser.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
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
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalCloser::OnSignal);
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

void SignalCloser::OnSignal()
{
    char c;
    [[maybe_unused]] const ssize_t n = ::read(g_pipe[1], &c, 1);
    // A modal dialog runs its own loop; close it first so the close reaches the main loop.
    for (int i = 0; i < 16; ++i) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->close())
            break;
    }
    if (m_window)
        m_window->close();
}
