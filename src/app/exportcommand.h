// `kestrim --export`: the records of a day or a range of days written to a file without a
// window, for scripts. It reads the records of the data folder the window would use (--data,
// $KESTRIM_HOME, …), in the language remembered there unless told otherwise, writes the file
// named relative to the folder the command was given in, and says in one line on standard
// error why nothing was written.
#pragma once

#include "clock.h"
#include "commandline.h"

// Exit statuses: 0 written; 1 nothing to export (no records that day or in the range) or the
// file could not be read or written; 2 the request names no single day file (several ports).
int RunExport(const ExportRequest &request, const Clock &clock);

// Starts the Qt application the report's fonts need, on no display at all, enters the data
// folder chosen with `dataFolderOption` (--data) and runs the export.
int RunExportCommand(int &argc, char **argv, ExportRequest request,
                     const QString &dataFolderOption);
