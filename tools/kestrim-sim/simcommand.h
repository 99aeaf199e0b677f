// One line typed into the simulator's standard input, read into what it asks for.
//
//   36.5                       a measurement, in the current unit (365 tenths)
//   12                         in count mode: a count (whole number)
//   raw 55 AA 07 04 6D 01 78   these bytes, sent as they are (spaces optional)
//   env 22.5                   the environment temperature from now on, in the current unit
//   late-report                the next settings command is answered first by a settings report
//                              of the settings before it (an answer to an earlier request that
//                              arrives late), then by its acknowledgement
//   lose-ack                   the next settings command is taken, but its acknowledgement is
//                              never sent
//   quit                       end the simulator, as SIGTERM does (there are no signals to
//                              send a console program on Windows)
#pragma once

#include "thermometerstate.h"

#include <QByteArray>
#include <QString>

struct SimCommand {
    enum class Kind {
        Nothing,        // an empty line
        Send,           // send bytes
        SetEnvironment, // set the environment temperature
        LateReport,     // a stale report before the next acknowledgement
        LoseAck,        // no acknowledgement for the next command
        Quit,           // end the simulator
        Invalid,        // complain
    };

    Kind kind = Kind::Nothing;
    QByteArray bytes;   // Send: the bytes to write
    quint16 tenths = 0; // SetEnvironment: tenths in the current unit
    QString complaint;  // Invalid: what is wrong, one line

    // mode decides how a bare number is read: a temperature, or in count mode a count.
    static SimCommand Parse(QStringView line, WorkMode mode);
};
