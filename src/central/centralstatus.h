// What the window shows of the central store in its status bar's last pane: whether the
// server answered the last time it was asked, and how much is not yet confirmed by it.
#pragma once

#include <QString>

struct CentralStatus {
    enum class Link : quint8 {
        Unknown,   // not asked yet this run (nothing was waiting)
        Reachable, // the last call was answered
        Unreachable,
    };
    Link link = Link::Unknown;
    // Readings on the desk that the server has not confirmed, and each deletion not yet
    // mirrored.
    int waiting = 0;

    bool operator==(const CentralStatus &other) const = default;
};

// "central: up to date", "central: 37 waiting", "central: unreachable" (", 37 waiting" when
// readings wait), or the same in Chinese (`language` 0).
QString CentralStatusText(const CentralStatus &status, int language);
