#include "platform/QuitSignals.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace {

int quit_pipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop does the rest.
void OnQuitSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(quit_pipe[1], &byte, 1);
}

}  // namespace

void CloseOnQuitSignals(std::function<void()> close) {
  if (quit_pipe[0] >= 0 || ::pipe2(quit_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier =
      new QSocketNotifier(quit_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [close = std::move(close)] {
    char byte = 0;
    while (::read(quit_pipe[0], &byte, 1) > 0) {
    }
    close();
  });
  struct sigaction action = {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigset_t quit_signals;
  sigemptyset(&quit_signals);
  sigaddset(&quit_signals, SIGTERM);
  sigaddset(&quit_signals, SIGINT);
  pthread_sigmask(SIG_UNBLOCK, &quit_signals, nullptr);
}
