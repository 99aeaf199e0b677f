// The scripted demonstration: the real window and the simulated thermometer doing a screening
// desk's main job while nobody watches — connect, readings (one abnormal), the environment
// temperature, a settings change, the Chinese interface, an export, the Delete Data window and
// the history of the recorded days —
// with a picture of each step and the day's files printed at the end.
#pragma once

#include <QDir>
#include <QProcess>
#include <QString>
#include <QTextStream>

#include <functional>
#include <memory>

class CKestrimDlg;
class QWidget;

struct DemoOptions {
    QString simulator;   // the kestrim-sim program
    int port = 1;        // the COM number the simulator is linked as
    QString screenshots; // where the pictures go
};

class DemoScript {
public:
    explicit DemoScript(DemoOptions options);
    ~DemoScript();

    // Runs every step; false (with the reason printed) when one did not happen as it should.
    bool run();

private:
    bool startSimulator();
    bool connect();
    bool take(const QString &reading, const QString &shown);
    bool changeToFahrenheit();
    bool exportDay();
    bool showDeleteData();
    bool showHistory();
    void printFiles();
    void screenshot(QWidget *widget, const QString &name);
    bool step(const QString &what, const std::function<bool()> &done, int timeoutMs = 10000);
    template <typename T = QWidget> T *control(int id) const;

    DemoOptions m_options;
    QTextStream m_out;
    QProcess m_simulator;
    std::unique_ptr<CKestrimDlg> m_window;
};
