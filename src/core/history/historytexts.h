// The history window's texts in both interface languages, and its summary line.
#pragma once

#include "bilingual.h"
#include "history/daysummary.h"
#include "history/historyfigures.h"

namespace HistoryTexts {
inline constexpr Bilingual kTitle{u"历史记录", u"History"};
inline constexpr Bilingual kDays{u"记录日期", u"Days"};
inline constexpr Bilingual kExportDay{u"导出当天…", u"Export Day…"};
inline constexpr Bilingual kFrom{u"从", u"From"};
inline constexpr Bilingual kTo{u"到", u"to"};
inline constexpr Bilingual kExportRange{u"导出日期范围…", u"Export Range…"};
inline constexpr Bilingual kClose{u"关闭", u"Close"};
inline constexpr Bilingual kNothingRecorded{u"还没有任何测量记录。",
                                            u"Nothing has been recorded yet."};
inline constexpr Bilingual kDayGone{u"这一天的记录文件已不存在。",
                                    u"This day's file is no longer there."};
inline constexpr Bilingual kRangeEmpty{
    u"所选日期之间没有测量记录，未导出任何内容。",
    u"No day between the dates chosen has records; nothing was exported."};
// The first line of a range export: the date and port before the day export's columns (their
// words as the day's CSV has them), whether the reading is abnormal after them.
inline constexpr Bilingual kRangeCsvHeader{
    u"日期,串口,数量,测试时间,测量数值,环境温度,异常",
    u"Date,Port,Quantity,Test Time,Test Value,Envrionment Temp.,Abnormal"};
// The chart.
inline constexpr Bilingual kReadingsSeries{u"读数", u"Readings"};
inline constexpr Bilingual kAbnormalSeries{u"异常", u"Abnormal"};
inline constexpr Bilingual kAlarmLimit{u"报警上限", u"Alarm limit"};
inline constexpr Bilingual kTimeAxis{u"时间", u"Time of day"};
inline constexpr Bilingual kNoTemperatures{u"这一天没有温度读数", u"No temperatures on this day"};
// Every desk's readings, from the central records.
inline constexpr Bilingual kAllDesks{u"所有工位", u"All desks"};
inline constexpr Bilingual kDesk{u"工位", u"Desk"};
inline constexpr Bilingual kPort{u"串口", u"Port"};
inline constexpr Bilingual kDesks{u"工位数", u"Desks"};
inline constexpr Bilingual kReadingCentral{u"正在读取中心库…", u"Reading the central records…"};
inline constexpr Bilingual kCentralUnreadable{u"无法读取中心库：",
                                              u"The central records cannot be read: "};
inline constexpr Bilingual kNothingCentral{u"中心库中还没有任何测量记录。",
                                           u"The central records hold no readings yet."};
} // namespace HistoryTexts

// "°C" or "°F", as the history's charts and reports name their unit.
QString DegreeSign(TempUnit tempUnit);
// "36.5°C" or "97.7°F".
QString DegreesText(float degrees, TempUnit tempUnit);

// "Readings: 5   Abnormal: 1   Highest: 37.9°C   Lowest: 36.5°C   Mean: 36.9°C   First: 09:00:01
// Last: 09:15:00", then "Surface: K" when surface readings (by the day's settings on record) and
// "Counts: K" when count-mode values were left out of the temperatures
// and "Unreadable: K" when lines were skipped. A figure with nothing to take it from is "-".
QString SummaryText(const DaySummary &summary, TempUnit tempUnit, Language language);

// The summary line of `figures`: SummaryText of its readings, after "Desks: N" for a day read
// across desks.
QString FiguresText(const HistoryFigures &figures, TempUnit tempUnit, Language language);
