#include "unit/unit_commands.h"

#include "common/text.h"
#include "link/message_set.h"
#include "link/unit_link.h"
#include "model/live_status.h"

namespace {

constexpr int ToneStep = 2; // dB

std::uint8_t Byte(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace

UnitCommands::UnitCommands(UnitLink& unitLink, LiveStatus& liveStatus)
    : link(unitLink), status(liveStatus)
{}

void UnitCommands::TogglePower(Room room)
{
    link.SendKey(room == Room::Main ? KeyCode::MainPower : KeyCode::ZonePower);
}

void UnitCommands::Toggle(Switch which)
{
    switch (which) {
    case Switch::MainMute:
        link.SendKey(KeyCode::MainMute);
        return;
    case Switch::ZoneMute:
        link.SendKey(KeyCode::ZoneMute);
        return;
    case Switch::SpeakersA:
        link.SendKey(KeyCode::SpeakersA);
        return;
    case Switch::SpeakersB:
        link.SendKey(KeyCode::SpeakersB);
        return;
    case Switch::TapeMonitor:
        link.SendKey(KeyCode::TapeMonitor);
        return;
    case Switch::ToneDefeat:
        link.SendKey(KeyCode::ToneDefeat);
        return;
    }
}

void UnitCommands::StepVolume(Room room, int delta)
{
    const bool main = room == Room::Main;
    if (delta < 0)
        link.SendKey(main ? KeyCode::MainVolumeUp : KeyCode::ZoneVolumeUp);
    else if (delta > 0)
        link.SendKey(main ? KeyCode::MainVolumeDown : KeyCode::ZoneVolumeDown);
}

void UnitCommands::SetVolume(Room room, int decibels)
{
    if (decibels < -128 || decibels > 127)
        return;
    link.SendSet(room == Room::Main ? Variable::MainVolume : Variable::ZoneVolume, Byte(decibels));
}

void UnitCommands::StepTone(std::uint8_t variable, int current, int delta)
{
    // The byte is the signed dB value.
    if (delta < 0)
        link.SendSet(variable, Byte(current + ToneStep));
    else if (delta > 0)
        link.SendSet(variable, Byte(current - ToneStep));
}

void UnitCommands::StepBass(int delta)
{
    StepTone(Variable::Bass, status.Values().bass, delta);
}

void UnitCommands::StepTreble(int delta)
{
    StepTone(Variable::Treble, status.Values().treble, delta);
}

void UnitCommands::SetTone(Tone tone, int decibels)
{
    if (decibels < -128 || decibels > 127)
        return;
    link.SendSet(tone == Tone::Bass ? Variable::Bass : Variable::Treble, Byte(decibels));
}

void UnitCommands::SelectSource(Room room, int source)
{
    if (source < 0 || source >= InputCount)
        return;
    const auto i = static_cast<std::size_t>(source);
    link.SendKey(room == Room::Main ? KeyCode::MainSource[i] : KeyCode::ZoneSource[i]);
}

void UnitCommands::SelectSurroundMode(int mode)
{
    if (mode < 0 || mode >= SurroundModeCount || mode == SurroundModeNone)
        return;
    link.SendSet(Variable::SurroundMode, Byte(mode));
}

void UnitCommands::RecallPreset(int number)
{
    if (number < 1 || number > AvPresetCount)
        return;
    link.SendKey(KeyCode::RecallPreset[static_cast<std::size_t>(number - 1)]);
}

void UnitCommands::StorePreset(int number)
{
    if (number < 1 || number > AvPresetCount)
        return;
    link.SendFrame({MessageType::StorePreset, Byte(number)});
}

void UnitCommands::SendTunerKey(std::uint8_t main, std::uint8_t zone)
{
    const LiveValues& live = status.Values();
    if (live.mainSource == SourceTuner)
        link.SendKey(main);
    else if (live.zoneSource == SourceTuner)
        link.SendKey(zone);
}

void UnitCommands::Tuner(TunerAction action)
{
    using KeyCode::MainTuner;
    using KeyCode::ZoneTuner;
    switch (action) {
    case TunerAction::BandAm:
        SendTunerKey(MainTuner.bandAm, ZoneTuner.bandAm);
        return;
    case TunerAction::BandFm:
        SendTunerKey(MainTuner.bandFm, ZoneTuner.bandFm);
        return;
    case TunerAction::SeekUp:
        SendTunerKey(MainTuner.seekUp, ZoneTuner.seekUp);
        return;
    case TunerAction::SeekDown:
        SendTunerKey(MainTuner.seekDown, ZoneTuner.seekDown);
        return;
    }
}

void UnitCommands::StepFrequency(int delta)
{
    using KeyCode::MainTuner;
    using KeyCode::ZoneTuner;
    if (delta < 0)
        SendTunerKey(MainTuner.frequencyUp, ZoneTuner.frequencyUp);
    else if (delta > 0)
        SendTunerKey(MainTuner.frequencyDown, ZoneTuner.frequencyDown);
}

void UnitCommands::StepTunerPreset(int delta)
{
    using KeyCode::MainTuner;
    using KeyCode::ZoneTuner;
    if (delta < 0)
        SendTunerKey(MainTuner.presetUp, ZoneTuner.presetUp);
    else if (delta > 0)
        SendTunerKey(MainTuner.presetDown, ZoneTuner.presetDown);
}

void UnitCommands::ToggleFmMute()
{
    link.SendSet(Variable::FmMute, status.Values().fmMute ? 0 : 1);
}

bool UnitCommands::SendTunerValue(bool preset, int value, bool assume)
{
    const LiveValues& live = status.Values();
    const bool fm = live.tunerBand == Band::Fm;
    const int current =
        preset ? (fm ? live.fmPreset : live.amPreset) : (fm ? live.fmFrequency : live.amFrequency);
    if (value <= 0 || value > (preset ? 0xFF : 0xFFFF) || value == current)
        return false;
    const std::uint8_t variable = preset ? (fm ? Variable::FmPreset : Variable::AmPreset)
                                         : (fm ? Variable::FmFrequency : Variable::AmFrequency);
    if (assume)
        status.AssumeTunerValue(variable, value);
    if (preset)
        link.SendSet(variable, Byte(value));
    else // 16 bits, low byte first
        link.SendFrame({MessageType::Set, variable, Byte(value), Byte(value >> 8)});
    return true;
}

bool UnitCommands::SetFrequency(int value)
{
    return SendTunerValue(false, value, true);
}

bool UnitCommands::SetTunerPreset(int value)
{
    return SendTunerValue(true, value, true);
}

bool UnitCommands::SendFrequency(int value)
{
    return SendTunerValue(false, value, false);
}

bool UnitCommands::SendTunerPreset(int value)
{
    return SendTunerValue(true, value, false);
}

void UnitCommands::SendName(int index, const QString& name)
{
    QByteArray payload;
    payload.append(static_cast<char>(MessageType::Set));
    payload.append(static_cast<char>(Variable::InputName));
    payload.append(static_cast<char>(index));
    payload.append(name.leftJustified(InputNameLength, u' ', true).toLatin1());
    link.SendFrame(payload);
}

bool UnitCommands::SendInputName(int index, const QString& name)
{
    const QString trimmed = Text::TrimmedRight(name);
    if (index < 0 || index >= InputCount || trimmed.isEmpty())
        return false;
    status.AssumeInputName(index, trimmed);
    SendName(index, trimmed);
    return true;
}

bool UnitCommands::RequestRename(int index, const QString& name)
{
    const QString trimmed = Text::TrimmedRight(name.left(InputNameLength));
    if (index < 0 || index >= InputCount || trimmed.isEmpty())
        return false;
    SendName(index, trimmed);
    return true;
}

void UnitCommands::QueryInputName(int index)
{
    if (index < 0 || index >= InputCount)
        return;
    link.SendFrame({MessageType::Variable, Variable::InputName, Byte(index)});
}

void UnitCommands::QueryModel()
{
    link.SendQuery(Variable::Model);
}

void UnitCommands::QueryVersion()
{
    link.SendFrame({MessageType::Version});
}

void UnitCommands::QueryAll()
{
    link.SendQuery(Variable::All);
}
