// What became of a change to the record files: the file it was meant for and, when it did not
// happen, the system's reason, so the operator can be told which file and why. The day's index
// is reported apart: a record can be on disk while its count could not be written.
#pragma once

#include "records/measurementrecord.h"

#include <QString>

struct RecordWrite {
    bool ok = false;
    MeasurementRecord record; // the reading, with the quantity it has (or would have had)
    QString line;             // the record line, as it is (or would have been) stored
    QString path;             // the file written, replaced or removed; empty when none was
    QString error;            // the system's reason when not ok
    QString indexPath;        // the index that could not be updated
    QString indexError;       // why not; empty when the index was written or there is none yet
};
