// `kestrim --export`: the records of a day or a range of days written to a file without a
// window, for scripts. It works in the working folder's records like the window, in the
// language remembered there unless told otherwise, and says in one line on standard error why
// nothing was written.
#pragma once

#include "clock.h"
#include "commandline.h"

// Exit statuses: 0 written; 1 nothing to export (no records that day or in the range) or the
// file could not be read or written; 2 the request names no single day file (several ports).
int RunExport(const ExportRequest &request, const Clock &clock);

// Starts the Qt application the report's fonts need, on no display at all, and runs the export.
int RunExportCommand(int &argc, char **argv, const ExportRequest &request);
