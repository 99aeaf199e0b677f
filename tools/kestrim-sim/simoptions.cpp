#include "simoptions.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

const char kDescription[] =
    "Simulates an R9 or R9 Pro infrared thermometer on a pseudo-terminal, or with --pipe on a\n"
    "local socket (a named pipe on Windows, where it is the only way), for Kestrim.\n"
    "\n"
    "The first line on standard output is what to open: the pseudo-terminal's device, or\n"
    "pipe:NAME (or use --link). The simulator answers the settings request with its settings\n"
    "report, the environment query with the environment temperature, and a settings command\n"
    "by applying it and acknowledging (result 1 and nothing applied when a value is out of\n"
    "range, or with --ack-fail). Every frame is logged on standard error as\n"
    "\"rx 55 AA 05 01 05\" (received) or \"tx ...\" (sent).\n"
    "\n"
    "Commands on standard input, one a line:\n"
    "  36.5                       take a reading, in the current unit\n"
    "  12                         in count mode: a count\n"
    "  raw 55 AA 07 04 6D 01 78   send these bytes as they are (spaces optional)\n"
    "  env 22.5                   set the environment temperature, in the current unit\n"
    "  quit                       end, as SIGTERM does\n"
    "At the end of standard input it goes on serving the host until SIGINT or SIGTERM\n"
    "(Ctrl+C).\n"
    "Temperatures are tenths of a degree on the wire: 0 to 6553.5.\n"
    "\n"
    "Example, in Kestrim's working folder (then connect to COM3):\n"
    "  kestrim-sim --link Ports/com3 --every 5\n"
    "\n"
    "Exit status: 0 after SIGINT or SIGTERM, 2 for a bad command line, 1 when the\n"
    "pseudo-terminal, the pipe or the link cannot be made.";

struct Choice {
    const char *option;
    QStringList values; // a value's position is what it stands for
};

// The position of the option's value in choice.values; fallback when the option is not given.
std::optional<int> ReadChoice(const QCommandLineParser &parser, const Choice &choice, int fallback,
                              QString &error)
{
    const QString name = QLatin1String(choice.option);
    if (!parser.isSet(name))
        return fallback;
    const QString value = parser.value(name);
    const int index = int(choice.values.indexOf(value.toLower()));
    if (index >= 0)
        return index;
    QStringList shown = choice.values;
    const QString last = shown.takeLast();
    if (!error.isEmpty())
        return std::nullopt; // the first bad option is the one reported
    error = QStringLiteral("invalid --%1 \"%2\": expected %3 or %4")
                .arg(name, value, shown.join(QStringLiteral(", ")), last);
    return std::nullopt;
}

std::optional<quint16> ReadTenths(const QCommandLineParser &parser, const char *option,
                                  quint16 fallback, QString &error)
{
    const QString name = QLatin1String(option);
    if (!parser.isSet(name))
        return fallback;
    if (const auto tenths = TenthsFromText(parser.value(name)))
        return tenths;
    error = QStringLiteral("invalid --%1 \"%2\": expected a temperature 0 to 6553.5")
                .arg(name, parser.value(name));
    return std::nullopt;
}

} // namespace

void SimOptions::Declare(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"model", "Thermometer model: r9 or r9pro (default r9pro).", "r9|r9pro"},
        {"unit", "Temperature unit: c or f (default c).", "c|f"},
        {"mode", "Work mode: surface, body or count (default body).", "surface|body|count"},
        {"limit", "Alarm upper limit in the chosen unit (default 37.5, or 99.5 with --unit f).",
         "degrees"},
        {"env", "Environment temperature in the chosen unit (default 24.5 C, i.e. 76.1 F).",
         "degrees"},
        {"volume", "R9 Pro buzzer volume step, 0 (0 %) to 4 (100 %) (default 2).", "0-4"},
        {"backlight", "R9 Pro backlight: 0 off, 1 on (default 0).", "0|1"},
        {"output", "R9 Pro output signal: 0 switch, 1 pulse (default 0).", "0|1"},
        {"language", "R9 Pro device language: 0 Chinese, 1 English (default 1).", "0|1"},
        {"link",
         "Also make <path> name the simulator, creating its folder and replacing an old entry: "
         "a symbolic link to the pseudo-terminal, or with --pipe a text file holding "
         "pipe:NAME; removed on exit. Kestrim opens COMn through Ports/comn in its working "
         "folder.",
         "path"},
        {"pipe",
         "Serve a local socket of this name instead of a pseudo-terminal: in $XDG_RUNTIME_DIR "
         "or <temp>/kestrim-<uid>, a folder only this user can enter, taking no other user as "
         "its host (on Windows the named pipe \\\\.\\pipe\\<name>; the default there is "
         "kestrim-sim-<process id>).",
         "name"},
        {"every",
         "Take a plausible reading every <seconds> (36.2 to 37.2 C, or the next count in count "
         "mode), once a host has asked for the settings report.",
         "seconds"},
        {"ack-fail", "Refuse every settings command: acknowledge with result 1, change nothing."},
    });
}

std::optional<SimOptions> SimOptions::Read(const QCommandLineParser &parser, QString &error)
{
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments()[0]);
        return std::nullopt;
    }
    const QStringList binary = {QStringLiteral("0"), QStringLiteral("1")};
    const auto model = ReadChoice(parser, {"model", {"r9", "r9pro"}}, 1, error);
    const auto unit = ReadChoice(parser, {"unit", {"c", "f"}}, 0, error);
    const auto mode = ReadChoice(parser, {"mode", {"surface", "body", "count"}}, 1, error);
    const auto volume = ReadChoice(parser, {"volume", {"0", "1", "2", "3", "4"}}, 2, error);
    const auto backlight = ReadChoice(parser, {"backlight", binary}, 0, error);
    const auto output = ReadChoice(parser, {"output", binary}, 0, error);
    const auto language = ReadChoice(parser, {"language", binary}, 1, error);
    if (!model || !unit || !mode || !volume || !backlight || !output || !language)
        return std::nullopt;

    SimOptions options;
    ThermometerState &state = options.state;
    state.model = MachineType(*model);
    state.unit = TempUnit(*unit);
    state.mode = WorkMode(*mode);
    state.volume = quint8(*volume);
    state.backlight = quint8(*backlight);
    state.output = quint8(*output);
    state.language = quint8(*language);

    const ThermometerState defaults;
    const auto limit = ReadTenths(
        parser, "limit", TenthsInUnit(defaults.alarmLimit, TempUnit::Celsius, state.unit), error);
    const auto environment = ReadTenths(
        parser, "env", TenthsInUnit(defaults.environment, TempUnit::Celsius, state.unit), error);
    if (!limit || !environment)
        return std::nullopt;
    state.alarmLimit = *limit;
    state.environment = *environment;

    if (parser.isSet(QStringLiteral("every"))) {
        const QString text = parser.value(QStringLiteral("every"));
        bool ok = false;
        const double seconds = text.toDouble(&ok);
        if (!ok || !(seconds >= 0.001 && seconds <= 86400)) {
            error = QStringLiteral("invalid --every \"%1\": expected seconds, 0.001 to 86400")
                        .arg(text);
            return std::nullopt;
        }
        options.readingInterval = std::chrono::milliseconds(std::lround(seconds * 1000));
    }
    options.linkPath = parser.value(QStringLiteral("link"));
    options.pipeName = parser.value(QStringLiteral("pipe"));
    if (parser.isSet(QStringLiteral("pipe")) && options.pipeName.isEmpty()) {
        error = QStringLiteral("invalid --pipe \"\": expected a name");
        return std::nullopt;
    }
    options.refuseSettings = parser.isSet(QStringLiteral("ack-fail"));
    return options;
}
