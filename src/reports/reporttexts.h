// The words of the printed report and the workbook in both interface languages.
#pragma once

#include "bilingual.h"

namespace ReportTexts {
inline constexpr Bilingual kTitle{u"测温日报", u"Day report"};
inline constexpr Bilingual kDate{u"日期", u"Date"};
inline constexpr Bilingual kPort{u"串口", u"Port"};
inline constexpr Bilingual kDesk{u"工位", u"Desk"};
inline constexpr Bilingual kMade{u"制表时间", u"Made"};
// "Page 1 of 3"
inline constexpr Bilingual kPageOf{u"第 %1 页，共 %2 页", u"Page %1 of %2"};
// The line a supervisor signs at the end of the report.
inline constexpr Bilingual kCheckedBy{u"审核人", u"Checked by"};
inline constexpr Bilingual kSignature{u"签名", u"Signature"};
inline constexpr Bilingual kNoAbnormal{u"这一天没有异常读数。",
                                       u"No abnormal readings on this day."};
inline constexpr Bilingual kAbnormalOnly{u"仅列出异常读数", u"Abnormal readings only"};
// The columns of the report's table and of the workbook.
inline constexpr Bilingual kQuantity{u"数量", u"Quantity"};
inline constexpr Bilingual kTime{u"测试时间", u"Test Time"};
inline constexpr Bilingual kValue{u"测量数值", u"Test Value"};
inline constexpr Bilingual kEnvironment{u"环境温度", u"Environment Temp."};
inline constexpr Bilingual kAbnormal{u"异常", u"Abnormal"};
inline constexpr Bilingual kUnit{u"单位", u"Unit"};
inline constexpr Bilingual kEnvironmentUnit{u"环境温度单位", u"Environment Unit"};
// The report of a range of days.
inline constexpr Bilingual kRangeTitle{u"测温汇总", u"Range report"};
inline constexpr Bilingual kRangeTo{u"至", u"to"};
inline constexpr Bilingual kAllPorts{u"全部", u"all"};
inline constexpr Bilingual kDays{u"天数", u"Days"};
inline constexpr Bilingual kDailyChart{u"每日读数与异常读数",
                                       u"Readings and abnormal readings per day"};
inline constexpr Bilingual kAbnormalReadings{u"异常读数", u"Abnormal readings"};
inline constexpr Bilingual kNoAbnormalInRange{u"所选日期内没有异常读数。",
                                              u"No abnormal readings in this range."};
// The workbook's first sheets and the Summary's columns.
inline constexpr Bilingual kSummarySheet{u"汇总", u"Summary"};
inline constexpr Bilingual kAllReadings{u"全部读数", u"All readings"};
inline constexpr Bilingual kModel{u"型号", u"Model"};
inline constexpr Bilingual kModes{u"模式", u"Mode"};
inline constexpr Bilingual kLimits{u"报警上限", u"Alarm limit"};
inline constexpr Bilingual kReadings{u"读数", u"Readings"};
inline constexpr Bilingual kHighest{u"最高", u"Highest"};
inline constexpr Bilingual kLowest{u"最低", u"Lowest"};
inline constexpr Bilingual kMean{u"平均", u"Mean"};
inline constexpr Bilingual kMedian{u"中位数", u"Median"};
// The unit of a count-mode value in the workbook.
inline constexpr Bilingual kCountUnit{u"计数", u"count"};
} // namespace ReportTexts
