#include "platform/QuitSignals.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int wakeWrite = -1;
constexpr std::array<int, 3> QuitSignalNumbers = {SIGTERM, SIGINT, SIGHUP};

void OnQuitSignal(int number)
{
    // Only what is safe in a handler: a byte down the pipe, and the default
    // action back for the next signal of this kind.
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(wakeWrite, &byte, 1);
    std::signal(number, SIG_DFL);
}

} // namespace

void QuitGracefullyOnSignals(QObject *context, std::function<void()> quit)
{
    int ends[2];
    if (wakeWrite >= 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    wakeWrite = ends[1];
    auto *notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [fd = ends[0], quit] {
        char bytes[16];
        while (::read(fd, bytes, sizeof bytes) > 0) {
        }
        quit();
    });
    struct sigaction action = {};
    action.sa_handler = &OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : QuitSignalNumbers)
        ::sigaction(number, &action, nullptr);
}
