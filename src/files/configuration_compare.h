#pragma once

#include "model/unit_configuration.h"

#include <QList>
#include <QString>

// Compares two configurations in a settings file's own terms: each setup
// field by its place and key with its value text, as the writer words them
// ("A/V preset 3 > Speaker Setup > CenterSpeaker: file Large, unit Small"),
// the input names, and the tuner presets by number ("Tuner > AM preset 1:
// file 531 kHz, unit 432 kHz"). Both sides are decoded the same way first, so
// a difference is one of meaning, never of spelling or of bytes a field does
// not use.
//
// Never compared: what a load does not write from a file (Speaker A and B,
// the volumes and source the current setup takes from the unit, the unit's
// AM step flag) and the header's model and firmware.
namespace ConfigurationCompare {

struct Difference
{
    QString where;
    QString left;  // the value text on the left side, "(none)" when it has no such part
    QString right; // and on the right
};

// `right` is a unit (rightIsUnit): a unit tunes AM only on the channels of
// its own step, so a left AM frequency counts as held when the unit holds
// the nearest channel of its step; a left FM name as far as the unit keeps it
// (8 characters). Only the parts chosen are compared; the names only where
// either side names the input.
QList<Difference> Differences(const UnitConfiguration& left, const UnitConfiguration& right,
                              const ConfigurationParts& parts, bool rightIsUnit);

// "where: leftName value, rightName value".
QString Text(const Difference& difference, const QString& leftName, const QString& rightName);

// "1 difference", "3 differences".
QString Counted(qsizetype count);

// The line that names what is never compared.
QString NotCompared();

} // namespace ConfigurationCompare
