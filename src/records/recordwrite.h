// What became of a change to the record files: the file it was meant for and, when it did not
// happen, the system's reason, so the operator can be told which file and why.
#pragma once

#include "records/measurementrecord.h"

#include <QString>

struct RecordWrite {
    bool ok = false;
    MeasurementRecord record; // the reading, with the quantity it has (or would have had)
    QString line;             // the record line, as it is (or would have been) stored
    QString path;             // the file written, replaced or removed; empty when none was
    QString error;            // the system's reason when not ok
};
