// The seam between the sending logic and the server: the PostgreSQL store implements it, and
// the tests' fake does. Every call but abort() is made on the sender's own thread.
#pragma once

#include "central/centralbatch.h"

#include <QString>

class CentralStore {
public:
    enum class Outcome : quint8 {
        Written,     // committed
        Unreachable, // no answer, or the connection broke: try again later
        Refused,     // the server answered and would not take this batch
    };

    virtual ~CentralStore() = default;
    // Connects when not connected and brings the schema up to date. False: not reachable.
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    // Stores the batch for this store's desk in one transaction: all of it or none.
    virtual Outcome write(const CentralBatch &batch) = 0;
    virtual void close() = 0;
    // Why the last call failed.
    virtual QString error() const = 0;
    // From any thread: whatever waits on the server now gives up at once, and so does every
    // call after it. Used when the program ends.
    virtual void abort() = 0;
};
