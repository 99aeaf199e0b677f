// What the operator is told when the day's records, their index or an export cannot be written,
// in the interface language. Each text says what happened to the reading or the file, and
// names the file and the system's reason where there is one.
#pragma once

#include "bilingual.h"

#include <QString>

enum class RecordMessage {
    ReadingNotStored,      // the record line could not be appended: not counted or listed
    WarningNotStored,      // stored and listed, but not added to the warning file
    IndexNotUpdated,       // stored and listed, but TOTAL_NUM / PATH could not be written
    DayFileNotRewritten,   // a deletion could not replace or remove the day file
    DayChangedWhileOpen,   // the day rolled over while the Delete Data window was open
    ExportUnsupported,     // a save name ending in none of .txt, .csv, .pdf, .xlsx
    ExportNothingRecorded, // a .txt export with no day file yet
    ExportNotRead,         // the day file could not be read
    ExportNotWritten,      // the chosen file could not be written
    SettingsNotStored,     // the settings in force could not be added to the settings file (last)
};

QString RecordMessageText(RecordMessage message, Language language, const QString &path = {},
                          const QString &reason = {});

// The day's index named a day file other than the day's own (%1 is the index): it is not
// followed; the count carries on from the day file itself.
QString DamagedIndexText(Language language, const QString &indexPath);
