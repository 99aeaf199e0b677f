// The seam between the sending logic and the server: the PostgreSQL store implements it, and
// the tests' fake does. Every call but abort() is made on the sender's own thread.
#pragma once

#include "centralbatch.h"

#include <QString>

class CentralStore {
public:
    enum class Outcome : quint8 {
        Written,     // committed
        Unreachable, // no answer, or the connection broke: try again later
        Refused,     // the server answered with an error that is not about the data (read-only,
                     // no permission, a lock not had in time): try again later
    };

    virtual ~CentralStore() = default;
    // Connects when not connected and brings the schema up to date. False: not reachable.
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    // Stores the batch for this store's installation in one transaction: all of it or none,
    // but for readings the server refuses as data, which are left out (setAside()).
    virtual Outcome write(const CentralBatch &batch) = 0;
    // Mirrors the deletions in one transaction, each once however often it is asked.
    virtual Outcome mirror(const QList<CentralDeletion> &deletions) = 0;
    // The readings the last write() left out.
    virtual QList<CentralSetAside> setAside() const = 0;
    // Whether the last failure was the server answering with an error (as opposed to not being
    // reached).
    virtual bool answered() const { return false; }
    // Whether the last failure was the server refusing the password (a wrong one, or none in
    // PGPASSWORD or ~/.pgpass): the keeper has to act; trying again alone will not mend it.
    virtual bool passwordRefused() const { return false; }
    // Whether another installation uses this store's desk name (known once open).
    virtual bool nameShared() const { return false; }
    virtual void close() = 0;
    // Why the last call failed.
    virtual QString error() const = 0;
    // From any thread: whatever waits on the server now gives up at once, and so does every
    // call after it. Used when the program ends.
    virtual void abort() = 0;
};
