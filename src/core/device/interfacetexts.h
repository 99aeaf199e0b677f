// The window's texts in both interface languages, in one place. Language 0 is Chinese,
// anything else English.
//
// The start texts of the window (its layout and initialisation) are English and differ from
// the English column here in small ways: the panes and the alarm label start with a full-width
// colon, the backlight group reads "BackLight", and the list columns have other widths.
#pragma once

#include "bilingual.h"
#include "device/settingscommand.h"

#include <array>

// A control whose caption the language switch rewrites.
struct SwitchedCaption {
    int id;
    Bilingual caption;
};

// The captions the switch rewrites, in the order it sets them.
inline constexpr std::array<SwitchedCaption, 18> kSwitchedCaptions{{
    {1011, {u"另存为", u"Save As"}},
    {1017, {u"串口操作", u"Serial Port Operation"}},
    {1018, {u"温度格式", u"Temp. Format"}},
    {1019, {u"工作模式", u"Work Mode"}},
    {1003, {u"人体模式", u"Body Mode"}},
    {1002, {u"表面模式", u"Surface Mode"}},
    {1004, {u"计数模式", u"Count Mode"}},
    {1000, {u"摄氏度", u"Celsius"}},
    {1001, {u"华氏度", u"Fahrenheit"}},
    {1021, {u"报警上限：", u"Alarm Upper Limit:"}},
    {1036, {u"关", u"OFF"}},
    {1037, {u"开", u"ON"}},
    {1039, {u"脉冲模式", u"Pulse Mode"}},
    {1038, {u"开关模式", u"Switch Mode"}},
    {1044, {u"输出信号模式", u"Output Signal Type"}},
    {1034, {u"音量:", u"Volume:"}},
    {1043, {u"背光", u"BlackLight"}},
    {1031, {u"电量：", u"Power:"}},
}};

// The record list's columns after a switch: caption and width in pixels in each language.
struct ListColumnText {
    Bilingual caption;
    int chineseWidth;
    int englishWidth;

    int width(int language) const { return language == 0 ? chineseWidth : englishWidth; }
};

inline constexpr std::array<ListColumnText, 4> kListColumns{{
    {{u"数量", u"Quantity"}, 60, 60},
    {{u"测试时间", u"Test Time"}, 80, 80},
    {{u"测量数值", u"Test Value"}, 80, 80},
    {{u"环境温度", u"Envrionment Temp."}, 80, 140},
}};

namespace Texts {
// Status bar panes 0, 2 and 4.
inline constexpr Bilingual kPaneDate{u"当前日期：", u"Current Date:"};
inline constexpr Bilingual kPaneTime{u"当前时间：", u"Current Time:"};
inline constexpr Bilingual kPaneEnvironment{u"环境温度：", u"Environment Temp.:"};
// The first line of a CSV export.
inline constexpr Bilingual kCsvHeader{u"数量,测试时间,测量数值,环境温度",
                                      u"Quantity,Test Time,Test Value,Envrionment Temp."};
// The connect button, not connected and connected.
inline constexpr Bilingual kConnect{u"连接设备", u"Connect"};
inline constexpr Bilingual kDisconnect{u"断开设备", u"Disconnect"};
// The status while the window waits for a lost thermometer to come back.
inline constexpr Bilingual kReconnecting{u"正在重新连接…", u"reconnecting…"};
// Connect got no settings report in time; %1 is the port's name.
inline constexpr Bilingual kNoAnswer{
    u"%1 已打开，但温度计没有应答。\n请检查温度计是否已开机、型号和串口是否正确，然后重新连接。",
    u"%1 is open, but the thermometer did not answer.\nCheck that it is switched on and that "
    u"the port is the right one, then connect again."};
// Closing the window while connected; the caption is the program's title.
inline constexpr Bilingual kCloseWhileConnected{
    u"温度计仍在连接中，关闭后将不再记录测量值。\n确定要关闭吗？",
    u"The thermometer is still connected; readings are no longer recorded once the window is "
    u"closed.\nClose Kestrim?"};
} // namespace Texts

// "Dec 9,2024 Temp. Statistics" or "2024年12月09日温度采集信息表".
QString TitleLineText(const QString &monthAbbreviation, int year, int month, int day, int language);

// Why a settings command was not sent, for the operator.
QString CommandRefusalText(CommandRefusal refusal, int machineType, int language);
