// The window's texts in both interface languages, in one place.
//
// The start texts of the window (its layout and initialisation) are English and differ from
// the English column here in small ways: the panes and the alarm label start with a full-width
// colon, the backlight group reads "BackLight", and the list columns have other widths.
#pragma once

#include "bilingual.h"
#include "device/settingscommand.h"
#include "records/recordcolumns.h"
#include "records/recordlistmodel.h"
#include "thermometerkinds.h"

#include <array>

// The record list's columns after a switch: caption and width in pixels in each language.
struct ListColumnText {
    Bilingual caption;
    int chineseWidth;
    int englishWidth;

    int width(Language language) const
    {
        return language == Language::Chinese ? chineseWidth : englishWidth;
    }
};

inline constexpr std::array<ListColumnText, 4> kListColumns{{
    {kRecordColumns[0], 60, 60},
    {kRecordColumns[1], 80, 80},
    {kRecordColumns[2], 80, 80},
    {kRecordColumns[3], 80, 140},
}};
static_assert(kListColumns.size() == RecordListModel::kColumnCount, "a text for each column");

// Captions the record list's columns of `model`, starting at `firstColumn`, in `language`.
void SetListColumnCaptions(QAbstractItemModel &model, Language language, int firstColumn = 0);

namespace Texts {
// Status bar panes 0, 2 and 4.
inline constexpr Bilingual kPaneDate{u"当前日期：", u"Current Date:"};
inline constexpr Bilingual kPaneTime{u"当前时间：", u"Current Time:"};
inline constexpr Bilingual kPaneEnvironment{u"环境温度：", u"Environment Temp.:"};
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
// A settings report named a unit or mode that no thermometer has.
inline constexpr Bilingual kReportRejected{
    u"温度计发来的设置无法识别（单位或模式未知），未被采用。正在重新读取设置。",
    u"The thermometer sent settings that cannot be read (an unknown unit or mode); they were "
    u"not taken. Its settings are being asked for again."};
// A settings command had no acknowledgement in time.
inline constexpr Bilingual kNoAcknowledgement{
    u"温度计没有确认这项设置。正在重新读取温度计的设置。",
    u"The thermometer did not confirm the setting. Its settings are being asked for again."};
// Delete All asks first: %1 the day (yyyy-MM-dd), %2 the port's name, %3 how many readings.
inline constexpr Bilingual kDeleteAllQuestion{
    u"删除 %1 在 %2 上的全部 %3 条测量记录？\n删除后无法恢复。",
    u"Delete all %3 readings of %1 on %2?\nThey cannot be brought back."};
} // namespace Texts

// The report was of another model than the one chosen; the window follows the report.
QString ModelFollowsReportText(MachineType model, Language language);

// "Dec 9,2024 Temp. Statistics" or "2024年12月09日温度采集信息表".
QString TitleLineText(const QString &monthAbbreviation, int year, int month, int day,
                      Language language);

// Why a settings command was not sent, for the operator.
QString CommandRefusalText(CommandRefusal refusal, MachineType machineType, Language language);
