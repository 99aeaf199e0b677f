#include "interfacetexts.h"

#include "thermometermodel.h"

QString TitleLineText(const QString &monthAbbreviation, int year, int month, int day,
                      Language language)
{
    if (language == Language::Chinese)
        return QString::asprintf("%d", year) + u'年' + QString::asprintf("%02d", month) + u'月' +
               QString::asprintf("%02d", day) + QStringLiteral("日温度采集信息表");
    return QString::asprintf("%s %d,%d Temp. Statistics", qPrintable(monthAbbreviation), day, year);
}

QString CommandRefusalText(CommandRefusal refusal, MachineType machineType, Language language)
{
    switch (refusal) {
    case CommandRefusal::None:
        break;
    case CommandRefusal::NoReport:
        return Bilingual{u"指令为空，请重新连接设备!",
                         u"The instruction is empty, please reconnect the device!"}
            .in(language);
    case CommandRefusal::UnrecognizedHex:
        return Bilingual{u"无法识别的十六进制!", u"Unrecognized hex!"}.in(language);
    case CommandRefusal::ReportNotOfModel:
        return Bilingual{u"温度计的设置与所选型号 %1 不符，设置未发送。\n"
                         u"请选择温度计的型号并重新连接设备。",
                         u"The thermometer's settings do not match the model "
                         u"selected (%1); nothing was sent.\nSelect the "
                         u"thermometer's model and connect again."}
            .in(language)
            .arg(ModelOf(machineType).displayName());
    case CommandRefusal::NotOnThisModel:
        return Bilingual{u"R9 没有这项设置，设置未发送。",
                         u"The R9 has no such setting; nothing was sent."}
            .in(language);
    case CommandRefusal::BadValue:
        return Bilingual{u"所选的值无法发送给温度计。",
                         u"The value chosen cannot be sent to the thermometer."}
            .in(language);
    case CommandRefusal::NotConnected:
        return Bilingual{u"温度计未连接，设置未发送。",
                         u"The thermometer is not connected; nothing was sent."}
            .in(language);
    }
    return QString();
}

void SetListColumnCaptions(QAbstractItemModel &model, Language language, int firstColumn)
{
    for (int column = 0; column < int(kListColumns.size()); ++column)
        model.setHeaderData(firstColumn + column, Qt::Horizontal,
                            kListColumns[size_t(column)].caption.in(language));
}

QString ModelFollowsReportText(MachineType model, Language language)
{
    return Bilingual{u"温度计的设置表明它是 %1，型号已改为 %1。",
                     u"The thermometer's settings say it is an %1; the model is now %1."}
        .in(language)
        .arg(ModelOf(model).displayName());
}
