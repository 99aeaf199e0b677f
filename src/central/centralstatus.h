// What the window shows of the central store in its status bar's last pane: whether the
// server answered the last time it was asked, and how much is not yet confirmed by it, and
// anything the desk's keeper should know: day files the server has rows of that are missing,
// readings the server would not take, another desk using this desk's name.
#pragma once

#include "bilingual.h"

#include <QString>

struct CentralStatus {
    enum class Link : quint8 {
        Unknown,         // not asked yet this run (nothing was waiting)
        Reachable,       // the last call was answered
        Unreachable,     // not reached, or it did not answer in time
        Refusing,        // it answered with an error that is not about the data: tried again later
        PasswordRefused, // it refused the password (or none was given): tried again later
    };
    CentralStatus() = default;
    CentralStatus(Link link, int waiting)
        : link(link)
        , waiting(waiting)
    {}

    Link link = Link::Unknown;
    // Readings on the desk that the server has not confirmed, and each deletion not yet
    // mirrored.
    int waiting = 0;
    // Why the server is unreachable or refusing (its message, or the client library's).
    QString reason;
    // Day files the server has rows of that are missing or cannot be read.
    int missing = 0;
    // Readings the server refused as data (set aside, reported once each) this run.
    int setAside = 0;
    // Another installation already uses this desk's name.
    bool nameShared = false;

    bool operator==(const CentralStatus &other) const = default;
};

// "central: up to date", "central: 37 waiting", "central: unreachable" (", 37 waiting" when
// readings wait), "central: day files missing", … or the same in Chinese (`language` 0). A
// reason, when there is one, follows in brackets.
QString CentralStatusText(const CentralStatus &status, Language language);
