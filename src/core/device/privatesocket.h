// Where the local sockets behind "pipe:NAME" ports live, and who may be at their other end.
//
// A socket in the shared temporary folder can be made by any local user: once the simulator
// (or whatever served it) is gone, a stranger could serve the same name and pose as the
// thermometer. So on Unix the sockets live in a folder only this user can enter:
// $XDG_RUNTIME_DIR when it is one (the user's own, mode 0700), else <temp>/kestrim-<uid>, made
// with mode 0700 and used only when it is this user's own folder that no one else may enter.
// On Linux the peer's user id is checked as well (SO_PEERCRED), and a stranger is refused.
// On Windows a pipe name is used as it is: a named pipe keeps its default security, which
// lets only its owner and the system open it.
#pragma once

#include <QString>

namespace PrivateSocket {

// The full name a QLocalServer listens on and a QLocalSocket connects to for the pipe name
// `name`. Empty, with `error` saying why, when `name` is not a plain name ("kestrim-sim-4711";
// never a path such as /run/postgresql/.s.PGSQL.5432) or no private folder can be had.
QString Resolve(const QString &name, QString *error);

// The private folder itself (Unix); empty, with `error` set, when there is none.
QString Folder(QString *error);

// Whether the process at the other end of the connected local socket `descriptor` runs as this
// user. Always true where the system cannot tell (other than Linux). `error` names the stranger.
bool PeerIsThisUser(qintptr descriptor, QString *error);

} // namespace PrivateSocket
