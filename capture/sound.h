#pragma once

#include <QString>

#include <optional>

class SoundOutput;

// Confirms a stored item with the embedded sound when "Akustische Signale" is ticked.
void PlayCaptureSignal(bool signalsOn, SoundOutput& sound);
// Plays the embedded WAVE resource of the given identifier from memory. Flags as the
// classic call takes them: omitted means 6 (synchronous, no default sound); the
// from-memory bit 4 is always added.
void PlayWaveResource(SoundOutput& sound, const QString& id, std::optional<unsigned> flags = std::nullopt);
