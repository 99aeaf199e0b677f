#include "portmessages.h"

QString PortOpenFailureText(const QString &portName, const QString &device,
                            QSerialPort::SerialPortError error, const QString &reason,
                            Language language)
{
    QString text =
        Bilingual{u"无法打开 %1 (%2)：%3", u"%1 (%2) cannot be opened: %3"}.in(language).arg(
            portName, device, reason);

    switch (error) {
    case QSerialPort::PermissionError:
#ifdef Q_OS_WIN
        text += Bilingual{u"\n\n该端口可能已被其他程序占用。",
                          u"\n\nAnother program may be using the port."}
                    .in(language);
#else
        text += Bilingual{u"\n\n端口已被占用，或当前用户没有串口权限。"
                          u"请将用户加入 dialout 组：\n"
                          u"sudo usermod -aG dialout $USER\n然后重新登录。",
                          u"\n\nAnother program is using the port, or this user "
                          u"may not use serial ports. To allow it, add the user "
                          u"to the dialout group:\n"
                          u"sudo usermod -aG dialout $USER\nthen log in again."}
                    .in(language);
#endif
        break;
    case QSerialPort::DeviceNotFoundError:
        text += Bilingual{u"\n\n请检查温度计是否已连接，或选择其他端口。",
                          u"\n\nCheck that the thermometer is plugged in, or "
                          u"choose another port."}
                    .in(language);
        break;
    default:
        break;
    }
    return text;
}

QString PortLostText(const QString &portName, const QString &device, const QString &reason,
                     Language language)
{
    return Bilingual{u"%1 (%2) 连接已断开：%3\n已保存的记录不受影响。温度计重新接上后，"
                     u"程序会自动重新连接（按“断开设备”停止等待）。",
                     u"%1 (%2) was disconnected: %3\nEverything recorded is saved. Kestrim "
                     u"connects again by itself as soon as the thermometer is back (press "
                     u"Disconnect to stop waiting)."}
        .in(language)
        .arg(portName, device, reason);
}
