#include "commandinput.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <cstdio>
#include <cstring>
#include <thread>

// The reading thread blocks in fgets and cannot be woken; it is left to end with the process.
// It hands what it read to the application's thread, where the input object is looked up
// through a QPointer (gone: the text is dropped).
struct CommandInput::Reader {};

CommandInput::CommandInput(QObject *parent)
    : QObject(parent)
{}

CommandInput::~CommandInput() = default;

void CommandInput::start()
{
    m_reader = std::make_unique<Reader>();
    QPointer<CommandInput> self(this);
    std::thread([self] {
        char buffer[4096];
        for (;;) {
            const bool end = std::fgets(buffer, sizeof buffer, stdin) == nullptr;
            const QByteArray bytes =
                end ? QByteArray() : QByteArray(buffer, qsizetype(std::strlen(buffer)));
            QCoreApplication *application = QCoreApplication::instance();
            if (!application)
                return;
            QMetaObject::invokeMethod(
                application,
                [self, bytes, end] {
                    if (!self)
                        return;
                    if (!bytes.isEmpty())
                        self->take(bytes);
                    if (end)
                        self->finish();
                },
                Qt::QueuedConnection);
            if (end)
                return;
        }
    }).detach();
}
