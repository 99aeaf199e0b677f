#include "interfacetexts.h"

QString TitleLineText(const QString &monthAbbreviation, int year, int month, int day, int language)
{
    if (language == 0)
        return QString::asprintf("%d", year) + u'年' + QString::asprintf("%02d", month) + u'月' +
               QString::asprintf("%02d", day) + QStringLiteral("日温度采集信息表");
    return QString::asprintf("%s %d,%d Temp. Statistics", qPrintable(monthAbbreviation), day, year);
}

QString CommandRefusalText(CommandRefusal refusal, int machineType, int language)
{
    const bool chinese = language == 0;
    const QString model = machineType == 0 ? QStringLiteral("R9") : QStringLiteral("R9  Pro");
    switch (refusal) {
    case CommandRefusal::None:
        break;
    case CommandRefusal::NoReport:
        return chinese ? QStringLiteral("指令为空，请重新连接设备!")
                       : QStringLiteral("The instruction is empty, please reconnect the device!");
    case CommandRefusal::UnrecognizedHex:
        return chinese ? QStringLiteral("无法识别的十六进制!")
                       : QStringLiteral("Unrecognized hex!");
    case CommandRefusal::ReportNotOfModel:
        return chinese ? QStringLiteral("温度计的设置与所选型号 %1 不符，设置未发送。\n"
                                        "请选择温度计的型号并重新连接设备。")
                             .arg(model)
                       : QStringLiteral("The thermometer's settings do not match the model "
                                        "selected (%1); nothing was sent.\nSelect the "
                                        "thermometer's model and connect again.")
                             .arg(model);
    case CommandRefusal::NotOnThisModel:
        return chinese ? QStringLiteral("R9 没有这项设置，设置未发送。")
                       : QStringLiteral("The R9 has no such setting; nothing was sent.");
    case CommandRefusal::BadValue:
        return chinese ? QStringLiteral("所选的值无法发送给温度计。")
                       : QStringLiteral("The value chosen cannot be sent to the thermometer.");
    case CommandRefusal::NotConnected:
        return chinese ? QStringLiteral("温度计未连接，设置未发送。")
                       : QStringLiteral("The thermometer is not connected; nothing was sent.");
    }
    return QString();
}
