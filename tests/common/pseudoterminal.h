// A pseudo-terminal for tests that need a serial device that opens.
#pragma once

#include <QString>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

class TestPseudoTerminal {
public:
    TestPseudoTerminal()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_slave = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~TestPseudoTerminal()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    TestPseudoTerminal(const TestPseudoTerminal &) = delete;
    TestPseudoTerminal &operator=(const TestPseudoTerminal &) = delete;

    bool isValid() const { return !m_slave.isEmpty(); }
    QString slavePath() const { return m_slave; }

private:
    int m_master = -1;
    QString m_slave;
};
