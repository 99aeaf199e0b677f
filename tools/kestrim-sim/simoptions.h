// The simulator's command line: which thermometer to be, and how to run.
#pragma once

#include "thermometerstate.h"

#include <QString>

#include <chrono>
#include <optional>

class QCommandLineParser;

struct SimOptions {
    ThermometerState state;
    bool refuseSettings = false;                 // --ack-fail
    QString linkPath;                            // --link; empty: no link
    QString pipeName;                            // --pipe; empty: a pseudo-terminal
    std::chrono::milliseconds readingInterval{}; // --every; zero: readings only from stdin

    // Declares the options, the help text and the description on the parser.
    static void Declare(QCommandLineParser &parser);
    // Reads the parsed options; an invalid value gives nothing and a one-line message in error.
    static std::optional<SimOptions> Read(const QCommandLineParser &parser, QString &error);
};
