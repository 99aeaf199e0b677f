// Settings commands: the thermometer takes its whole set of settings in one frame (code 02),
// built from the last settings report it sent with only the chosen setting replaced.
//
// The report is kept as upper-case hexadecimal text, two characters a byte, exactly the
// report frame; every command sent replaces it with the command's own text, so it always holds
// the settings last sent or received. Byte layout of reports and commands:
//   0, 1  sync 55 AA
//   2     frame length: 0D (R9 Pro), 09 (R9)
//   3     code: 01 report, 02 command
//   4     unit: 00 Celsius, 01 Fahrenheit
//   5     work mode: 00 surface, 01 body, 02 count
//   6, 7  alarm upper limit, tenths in the current unit, low byte first
//   8     R9 Pro: buzzer volume, index of the volume entry 00 … 04 (0 % … 100 %)
//   9     R9 Pro: backlight 00 off, 01 on
//   10    R9 Pro: output signal 00 switch, 01 pulse
//   11    R9 Pro: device language 00 Chinese, 01 English
//   last  checksum, low 8 bits of the sum of the bytes before it
// The command buffer is always 13 bytes: an R9 command is its 9-byte frame and four bytes 00.
#pragma once

#include "thermometerkinds.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The setting a command changes.
enum SettingField {
    SettingUnit = 0,       // value 0 Celsius, 1 Fahrenheit
    SettingMode = 1,       // value 0 surface, 1 body, 2 count
    SettingAlarmLimit = 2, // from the alarm list's chosen entry
    SettingVolume = 3,     // from the volume list's chosen entry
    SettingBacklight = 4,  // value 0 off, 1 on
    SettingOutput = 5,     // value 0 switch, 1 pulse
    SettingLanguage = 6,   // value 0 Chinese, 1 English
};

struct SettingsCommandRequest {
    QString report; // the stored report text
    SettingField field = SettingUnit;
    int value = 0;
    MachineType machineType = MachineType::R9Pro;
    QString alarmText;    // the alarm list's chosen entry ("38.0")
    int volumeIndex = -1; // the volume list's chosen entry
    float alarmLimitC = 37.5f;
    float alarmLimitF = 99.5f;
};

// Why no command was built.
enum class CommandRefusal {
    None,
    NoReport,         // the thermometer has not sent its settings yet
    UnrecognizedHex,  // the stored text is not hexadecimal byte text
    ReportNotOfModel, // the report is not a frame of the selected model's length
    NotOnThisModel,   // volume, backlight, output and language exist on the R9 Pro only
    BadValue,         // the value chosen cannot be a byte of the command
    NotConnected,     // built, but the port is closed: nothing went out
};

struct SettingsCommand {
    CommandRefusal refusal = CommandRefusal::None;
    QByteArray frame; // the 13 bytes to send; empty when refused
    QString report;   // the new stored report
    float alarmLimitC = 0.0f;
    float alarmLimitF = 0.0f;
};

// The command for the request; on refusal, nothing else is filled in.
SettingsCommand ComposeSettingsCommand(const SettingsCommandRequest &request);

// "55AA0D" → {"55", "AA", "0D"}; an odd last character is a piece of its own.
QStringList SplitHexPairs(const QString &text);
// An upper-case hexadecimal text as a number; 0 for an empty text or any other character.
int HexPairValue(const QString &text);
// The checksum of a byte text as two hexadecimal characters; nothing when a character is not
// 0–9 or A–F.
std::optional<QString> HexTextChecksum(const QString &text);
