#include "commandinput.h"

#include <QSocketNotifier>

#include <cerrno>
#include <unistd.h>

struct CommandInput::Reader {
    QSocketNotifier notifier{STDIN_FILENO, QSocketNotifier::Read};
};

CommandInput::CommandInput(QObject *parent)
    : QObject(parent)
{}

CommandInput::~CommandInput() = default;

void CommandInput::start()
{
    m_reader = std::make_unique<Reader>();
    QSocketNotifier &notifier = m_reader->notifier;
    // One read per notification: the notifier says that one read will not wait.
    connect(&notifier, &QSocketNotifier::activated, this, [this, &notifier] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            return;
        if (n <= 0) {
            // Stop watching a descriptor that stays readable at its end.
            notifier.setEnabled(false);
            finish();
            return;
        }
        take(QByteArray(buffer, n));
    });
}
