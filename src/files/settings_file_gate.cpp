#include "files/settings_file_gate.h"

#include "common/message_table.h"
#include "model/model_facts.h"

namespace SettingsFileGate {

namespace {

// An unknown model has no known layout: its memory is never written from a
// file, nor read into one.
bool Supported(const ModelFacts& facts)
{
    return facts.IsSupportedModel() && !facts.IsK220() &&
           !facts.VersionBelow(QStringLiteral("v2.00"));
}

} // namespace

int SaveRefusal(const ModelFacts& facts)
{
    if (!Supported(facts))
        return Message::UnsupportedUnit;
    if (facts.VersionBelow(QStringLiteral("v2.05")))
        return Message::NeedsFirmware205;
    return 0;
}

int LoadRefusal(const ModelFacts& facts)
{
    return Supported(facts) ? 0 : Message::UnsupportedUnit;
}

} // namespace SettingsFileGate
