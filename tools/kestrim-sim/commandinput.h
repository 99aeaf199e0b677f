// The simulator's command lines from standard input, one line() each, and ended() at the end
// of the input (a last line without its newline still counts).
//
// Standard input stays blocking (it may be the operator's terminal, shared with the shell). On
// Unix a notifier says when a read will not wait; on Windows, where consoles and pipes have no
// such notice, a thread of its own reads and hands each line to the event loop.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class CommandInput : public QObject {
    Q_OBJECT

public:
    explicit CommandInput(QObject *parent = nullptr);
    ~CommandInput() override;

    // Starts reading standard input.
    void start();

signals:
    void line(const QString &text);
    void ended();

private:
    void take(const QByteArray &bytes); // splits into lines
    void finish();

    struct Reader;
    std::unique_ptr<Reader> m_reader;
    QByteArray m_text; // the start of a line not yet ended
};
