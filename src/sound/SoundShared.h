// What the sound classes share: the file access they read through, the volume / pan / pitch
// formulas that turn the game's values into buffer units, and the OK/Cancel question the wave
// cache asks when a file fails to load.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "util/CApi.h"

namespace sound {

class CSoundBuffer;

// The pak file access the waves read through: the one given by SetSoundFiles (the engine
// root's), else one of the sound module's own, made on first use.
util::CApi& SoundFiles();
void SetSoundFiles(util::CApi* api);

// Volum 0..1 (clamped) to hundredths of a decibel: 1 is 0, 0 is -5000.
int32_t VolumeFor(float volum);
// Pan -1..1 (clamped) to hundredths of a decibel of the other side's attenuation.
int32_t PanFor(float pan);
// Semitones to a frequency for a wave of `hz`: 0 when tempo is 0 (the format's own rate),
// otherwise the ratio 2^(tempo/12) clamped to 0.5..2 times hz, within 100..100000.
int32_t FrequencyFor(float tempo, int32_t hz);

// Shows text with OK and Cancel; true for OK. Without a display it prints to stderr and
// answers OK.
bool AskOkCancel(const std::string& text, const std::string& caption);

}  // namespace sound
