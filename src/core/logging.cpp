#include "logging.h"

Q_LOGGING_CATEGORY(lcSerial, "kestrim.serial", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFrames, "kestrim.frames", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "kestrim.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRecords, "kestrim.records", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSpeech, "kestrim.speech", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCentral, "kestrim.central", QtInfoMsg)
