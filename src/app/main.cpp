// Kestrim: reads an infrared thermometer on a serial port, shows, speaks and records each reading.
#include "ckestrimapp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    CKestrimApp app;
    app.InitInstance();
    return 0;
}
