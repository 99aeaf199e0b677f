#include "portmessages.h"

QString PortOpenFailureText(const QString &portName, const QString &device,
                            QSerialPort::SerialPortError error, const QString &reason, int language)
{
    const bool chinese = language == 0;
    QString text = chinese ? QStringLiteral("无法打开 %1 (%2)：%3")
                           : QStringLiteral("%1 (%2) cannot be opened: %3");
    text = text.arg(portName, device, reason);

    switch (error) {
    case QSerialPort::PermissionError:
#ifdef Q_OS_WIN
        text += chinese ? QStringLiteral("\n\n该端口可能已被其他程序占用。")
                        : QStringLiteral("\n\nAnother program may be using the port.");
#else
        text += chinese ? QStringLiteral("\n\n端口已被占用，或当前用户没有串口权限。"
                                         "请将用户加入 dialout 组：\n"
                                         "sudo usermod -aG dialout $USER\n然后重新登录。")
                        : QStringLiteral("\n\nAnother program is using the port, or this user "
                                         "may not use serial ports. To allow it, add the user "
                                         "to the dialout group:\n"
                                         "sudo usermod -aG dialout $USER\nthen log in again.");
#endif
        break;
    case QSerialPort::DeviceNotFoundError:
        text += chinese ? QStringLiteral("\n\n请检查温度计是否已连接，或选择其他端口。")
                        : QStringLiteral("\n\nCheck that the thermometer is plugged in, or "
                                         "choose another port.");
        break;
    default:
        break;
    }
    return text;
}

QString PortLostText(const QString &portName, const QString &device, const QString &reason,
                     int language)
{
    if (language == 0)
        return QStringLiteral("%1 (%2) 连接已断开：%3\n已保存的记录不受影响。温度计重新接上后，"
                              "程序会自动重新连接（按“断开设备”停止等待）。")
            .arg(portName, device, reason);
    return QStringLiteral("%1 (%2) was disconnected: %3\nEverything recorded is saved. Kestrim "
                          "connects again by itself as soon as the thermometer is back (press "
                          "Disconnect to stop waiting).")
        .arg(portName, device, reason);
}
