// The captions of the main window's controls that the language switch rewrites.
#pragma once

#include "bilingual.h"
#include "dialogs/resource.h"

#include <array>

// A control whose caption the language switch rewrites.
struct SwitchedCaption {
    int id;
    Bilingual caption;
};

// The captions the switch rewrites, in the order it sets them.
inline constexpr std::array<SwitchedCaption, 18> kSwitchedCaptions{{
    {IDC_BUTTON_SAVE_AS, {u"另存为", u"Save As"}},
    {IDC_GROUP_SERIAL_PORT, {u"串口操作", u"Serial Port Operation"}},
    {IDC_GROUP_TEMP_FORMAT, {u"温度格式", u"Temp. Format"}},
    {IDC_GROUP_WORK_MODE, {u"工作模式", u"Work Mode"}},
    {IDC_RADIO_BODY_MODE, {u"人体模式", u"Body Mode"}},
    {IDC_RADIO_SURFACE_MODE, {u"表面模式", u"Surface Mode"}},
    {IDC_RADIO_COUNT_MODE, {u"计数模式", u"Count Mode"}},
    {IDC_RADIO_CELSIUS, {u"摄氏度", u"Celsius"}},
    {IDC_RADIO_FAHRENHEIT, {u"华氏度", u"Fahrenheit"}},
    {IDC_STATIC_ALARM_LIMIT, {u"报警上限：", u"Alarm Upper Limit:"}},
    {IDC_RADIO_BACKLIGHT_OFF, {u"关", u"OFF"}},
    {IDC_RADIO_BACKLIGHT_ON, {u"开", u"ON"}},
    {IDC_RADIO_PULSE_MODE, {u"脉冲模式", u"Pulse Mode"}},
    {IDC_RADIO_SWITCH_MODE, {u"开关模式", u"Switch Mode"}},
    {IDC_GROUP_OUTPUT_SIGNAL, {u"输出信号模式", u"Output Signal Type"}},
    {IDC_STATIC_DEVICE_VOLUME, {u"音量:", u"Volume:"}},
    {IDC_GROUP_BACKLIGHT, {u"背光", u"BlackLight"}},
    {IDC_STATIC_POWER, {u"电量：", u"Power:"}},
}};
