// The voice of a desk started from the command line: the system's, or none with
// KESTRIM_SPEECH=off (a desk without speakers, or a test run).
#pragma once

#include "speech/speechannouncer.h"

#include <QtGlobal>

// Empty: the system's voice.
inline SpeechAnnouncer::EngineFactory ChosenSpeechEngine()
{
    if (qEnvironmentVariable("KESTRIM_SPEECH") == QStringLiteral("off"))
        return [] {
            return std::unique_ptr<SpeechEngine>();
        };
    return {};
}
