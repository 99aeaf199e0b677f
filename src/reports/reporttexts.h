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
// The columns of the report's table and of the workbook.
inline constexpr Bilingual kQuantity{u"数量", u"Quantity"};
inline constexpr Bilingual kTime{u"测试时间", u"Test Time"};
inline constexpr Bilingual kValue{u"测量数值", u"Test Value"};
inline constexpr Bilingual kEnvironment{u"环境温度", u"Environment Temp."};
inline constexpr Bilingual kAbnormal{u"异常", u"Abnormal"};
inline constexpr Bilingual kUnit{u"单位", u"Unit"};
inline constexpr Bilingual kEnvironmentUnit{u"环境温度单位", u"Environment Unit"};
// The unit of a count-mode value in the workbook.
inline constexpr Bilingual kCountUnit{u"计数", u"count"};
} // namespace ReportTexts
