#include "records/recordmessages.h"

#include "bilingual.h"

#include <array>

namespace {

// In the order of RecordMessage. %1 is the file, %2 the system's reason.
constexpr std::array<Bilingual, 10> kTexts{{
    {u"无法写入记录文件 %1：%2\n此次测量未保存。",
     u"The reading could not be stored in %1: %2\nIt is not counted or listed; free the disk or "
     u"fix the folder's permissions."},
    {u"此次测量已保存并列出，但无法写入报警文件 %1：%2",
     u"The reading is stored and listed, but it could not be added to the warning file %1: %2"},
    {u"此次测量已保存并列出，但无法更新当天的索引文件 %1：%2\n下次启动时编号仍会接续记录文件。",
     u"The reading is stored and listed, but the day's index %1 could not be updated: %2\nThe "
     u"next start still carries on after the last stored record."},
    {u"无法改写记录文件 %1：%2\n记录未删除，文件保持原样。",
     u"The day file %1 could not be rewritten: %2\nNothing was deleted; the file is as it was."},
    {u"删除窗口打开期间日期已变更，未删除任何记录。请重新选择。",
     u"The day changed while Delete Data was open; nothing was deleted. Please choose again."},
    {u"不支持的文本", u"Unsupported text"},
    {u"今天此端口还没有测量记录，没有可导出的文件。",
     u"Nothing has been recorded today on this port, so there is no day file to export."},
    {u"无法读取记录文件 %1：%2\n未导出任何内容。",
     u"The day file %1 could not be read: %2\nNothing was exported."},
    {u"无法写入 %1：%2\n未导出任何内容。", u"%1 could not be written: %2\nNothing was exported."},
    {u"无法将温度计的当前设置写入 "
     u"%1：%2\n测量照常保存，但报表中这些读数的报警上限将显示为“未记录”。",
     u"The thermometer's settings could not be recorded in %1: %2\nReadings are stored as "
     u"usual, but the reports will say \"limit not recorded\" for them."},
}};
static_assert(kTexts.size() == size_t(RecordMessage::SettingsNotStored) + 1,
              "one text for each RecordMessage");

} // namespace

QString RecordMessageText(RecordMessage message, Language language, const QString &path,
                          const QString &reason)
{
    QString text = kTexts.at(size_t(message)).in(language);
    if (text.contains(QLatin1String("%2")))
        text = text.arg(path, reason);
    return text;
}

QString DamagedIndexText(Language language, const QString &indexPath)
{
    static constexpr Bilingual kText{
        u"当天的索引文件 %1 已损坏（PATH 指向其他位置），已忽略该路径；编号将接续当天的记录文件。",
        u"The day's index %1 is damaged: its PATH names another place, which is not used. The "
        u"count carries on from the day file itself."};
    return kText.in(language).arg(indexPath);
}
