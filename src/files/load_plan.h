#pragma once

#include "files/unit_write.h"
#include "model/live_status.h"
#include "model/unit_configuration.h"

#include <QList>

// The writes that load a configuration into the unit, in the order a load
// makes them: the input names, the A/V presets 1..5 (each its status byte,
// then its block and table), the tuner presets, and the current setup last,
// completed from the live status (volumes, source). Only the parts chosen and
// present in the configuration are written; nothing else is sent.
//
// The tuner presets are encoded with the unit's own AM step, which the unit
// decodes every word with (its step flag is never written): each AM
// frequency goes to the nearest channel of that step. Where the file's step
// is the unit's, the words are those of the file's frequencies exactly.
namespace LoadPlan {

// The pause after each rename, ms: the unit takes its time to store a name.
inline constexpr int RenamePause = 300;

QList<UnitWrite> Writes(const UnitConfiguration& file, const LiveValues& unit, int unitAmStep,
                        const ConfigurationParts& parts);

// The parts a load of `file` restricted to `parts` writes: those chosen that
// the file holds. The names count when the file names any input.
ConfigurationParts Written(const UnitConfiguration& file, const ConfigurationParts& parts);

// The current setup as the load writes it: the file's block with the live
// values filled in. Where the zone volume shares the block's last byte with
// the zone volume control, a "Fixed" zone stays fixed and a variable one
// takes the live volume.
SettingsImage CurrentSetup(const SettingsImage& file, const LiveValues& unit);

} // namespace LoadPlan
