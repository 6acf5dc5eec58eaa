#include "sim_unit.h"

#include "factory_image.h"
#include "link/message_set.h"
#include "setup_fields.h"
#include "station_list.h"
#include "tuner_table.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// Every live variable, in the order reports go out: the powers first, so
// that a room's values arrive after the program knows the room is on.
constexpr std::array<std::uint8_t, 22> ReportOrder = {
    Variable::MainPower,   Variable::ZonePower,   Variable::MainVolume,   Variable::MainMute,
    Variable::ZoneVolume,  Variable::ZoneMute,    Variable::TapeMonitor,  Variable::Treble,
    Variable::Bass,        Variable::SignalType,  Variable::SurroundMode, Variable::TunerBand,
    Variable::AmFrequency, Variable::FmFrequency, Variable::FmMute,       Variable::MainSource,
    Variable::ZoneSource,  Variable::AmPreset,    Variable::FmPreset,     Variable::SpeakersA,
    Variable::SpeakersB,   Variable::ToneDefeat};

constexpr std::array<std::uint8_t, 10> MainRoomVariables = {
    Variable::MainVolume, Variable::MainMute,   Variable::TapeMonitor,  Variable::Treble,
    Variable::Bass,       Variable::SignalType, Variable::SurroundMode, Variable::MainSource,
    Variable::SpeakersA,  Variable::SpeakersB};
constexpr std::array<std::uint8_t, 3> ZoneRoomVariables = {Variable::ZoneVolume, Variable::ZoneMute,
                                                           Variable::ZoneSource};
constexpr std::array<std::uint8_t, 6> TunerVariables = {
    Variable::TunerBand, Variable::AmFrequency, Variable::FmFrequency,
    Variable::FmMute,    Variable::AmPreset,    Variable::FmPreset};
constexpr std::array<std::uint8_t, 6> Switches = {Variable::MainMute,    Variable::ZoneMute,
                                                  Variable::TapeMonitor, Variable::FmMute,
                                                  Variable::SpeakersA,   Variable::SpeakersB};

// The signal each source delivers: what the decoder reports on selection.
constexpr std::array<int, InputCount> SourceSignal = {1, 1, 0, 0, 0, 0, 3, 4, 0, 0};

constexpr int RdsSegmentLength = 8;
constexpr int RdsPsLength = 8;
constexpr int FmBottom = 8750;
constexpr int FmTop = 10850;
constexpr int AmTop = 1710;

template <std::size_t N> bool Contains(const std::array<std::uint8_t, N>& list, std::uint8_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

int Byte(QByteArrayView bytes, qsizetype index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out.append(static_cast<char>(value & 0xFF));
    return out;
}

int AmGridBase(int step)
{
    return step == 9 ? 531 : 530;
}

} // namespace

SimUnit::SimUnit(const QString& modelText, int firmwareMajor, int firmwareMinor)
    : model(modelText), major(firmwareMajor), minor(firmwareMinor),
      layout(modelText, firmwareMajor, firmwareMinor), eeprom(FactoryImage::Eeprom(layout)),
      liveSetup(FactoryImage::LiveSetup(layout))
{
    // A name is a fixed field of 13 characters, padded with spaces.
    for (int i = 0; i < InputCount; ++i)
        inputNames.at(static_cast<std::size_t>(i)) =
            QByteArray(DefaultSourceNames.at(static_cast<std::size_t>(i)))
                .leftJustified(InputNameLength, ' ');

    // A unit in standby, its tuner on the first FM preset, a station with RDS.
    values[Variable::MainPower] = 0;
    values[Variable::ZonePower] = 0;
    values[Variable::ZoneSource] = SourceExternal; // LOCAL: the zone follows the main room
    values[Variable::SurroundMode] = 3;
    values[Variable::SpeakersA] = 1;
    values[Variable::TunerBand] = Band::Fm;
    values[Variable::FmFrequency] = TunerTable::FmFrequency(eeprom, 1);
    values[Variable::FmPreset] = 1;
    values[Variable::AmFrequency] = TunerTable::AmFrequency(eeprom, 1);
    values[Variable::AmPreset] = 1;
    ApplySetupToLive();
}

bool SimUnit::ParseFirmware(const QString& text, int* parsedMajor, int* parsedMinor)
{
    static const QRegularExpression pattern(QStringLiteral("^v(\\d{1,3})\\.(\\d\\d)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const int value = match.captured(1).toInt();
    if (value > 127)
        return false;
    *parsedMajor = value;
    *parsedMinor = match.captured(2).toInt();
    return true;
}

bool SimUnit::ReplaceEeprom(const QByteArray& image)
{
    if (image.size() != EepromSize)
        return false;
    eeprom = image;
    ++eepromRevision;
    return true;
}

bool SimUnit::ReplaceLiveSetup(const QByteArray& block)
{
    if (block.size() != liveSetup.size())
        return false;
    liveSetup = block;
    return true;
}

bool SimUnit::SetLiveClamp(int index, int max)
{
    return SetClamp(liveClamps, index, static_cast<int>(liveSetup.size()), max);
}

bool SimUnit::SetEepromClamp(int address, int max)
{
    return SetClamp(eepromClamps, address, EepromSize, max);
}

bool SimUnit::SetClamp(QMap<int, int>& clamps, int cell, int cells, int max)
{
    if (cell < 0 || cell >= cells || max < 0 || max > 0xFF)
        return false;
    if (max == 0xFF)
        clamps.remove(cell);
    else
        clamps.insert(cell, max);
    return true;
}

bool SimUnit::LoseEepromWrites(int address)
{
    if (address < 0 || address >= EepromSize)
        return false;
    lostWrites.insert(address);
    return true;
}

int SimUnit::Clamped(const QMap<int, int>& clamps, int cell, int value)
{
    return std::min(value, clamps.value(cell, 0xFF));
}

int SimUnit::Value(std::uint8_t variable) const
{
    return IsLive(variable) ? values.at(variable) : -1;
}

QByteArray SimUnit::InputName(int index) const
{
    return index >= 0 && index < InputCount ? inputNames.at(static_cast<std::size_t>(index))
                                            : QByteArray();
}

int SimUnit::MinimumVolume() const
{
    return static_cast<std::int8_t>(layout.Facts().MinusInfinityCode());
}

bool SimUnit::TunerHeard() const
{
    const bool mainTuner = values[Variable::MainSource] == SourceTuner;
    const int zoneSource = values[Variable::ZoneSource];
    const bool zoneTuner = zoneSource == SourceTuner || (zoneSource == SourceExternal && mainTuner);
    return (values[Variable::MainPower] && mainTuner) || (values[Variable::ZonePower] && zoneTuner);
}

bool SimUnit::TunerHeardOnFm() const
{
    return TunerHeard() && values[Variable::TunerBand] == Band::Fm;
}

bool SimUnit::IsLive(std::uint8_t variable) const
{
    if (!Contains(ReportOrder, variable))
        return false;
    const bool speakers = variable == Variable::SpeakersA || variable == Variable::SpeakersB;
    return !speakers || layout.HasSpeakerOutputs();
}

QByteArray SimUnit::Report(std::uint8_t variable) const
{
    const int value = values.at(variable);
    if (variable == Variable::AmFrequency || variable == Variable::FmFrequency)
        return Bytes({MessageType::Variable, variable, value, value >> 8});
    // Signed values go out as their byte: the bottom volume step becomes the
    // model's minus-infinity code.
    return Bytes({MessageType::Variable, variable, value});
}

QByteArray SimUnit::NameReport(int index) const
{
    return Bytes({MessageType::Variable, Variable::InputName, index}) +
           inputNames.at(static_cast<std::size_t>(index));
}

QList<QByteArray> SimUnit::Handle(QByteArrayView request)
{
    QList<QByteArray> out;
    if (request.isEmpty())
        return out;
    const Values before = values;
    const bool heardBefore = TunerHeard();
    forced.reset();

    switch (Byte(request, 0)) {
    case MessageType::Variable:
        Query(request, out);
        break;
    case MessageType::Set:
        Set(request, out);
        break;
    case MessageType::Key:
        if (request.size() == 2)
            Key(static_cast<std::uint8_t>(Byte(request, 1)));
        break;
    case MessageType::Version:
        if (request.size() == 1)
            out.append(Bytes({MessageType::Version, major, minor}));
        break;
    case MessageType::StorePreset:
        if (request.size() == 2)
            StorePreset(Byte(request, 1));
        break;
    case MessageType::LiveSetup:
        LiveSetupRequest(request, out);
        break;
    case MessageType::Eeprom:
        EepromRequest(request, out);
        break;
    default:
        break;
    }

    // The tuner section of a display that starts hearing the tuner is empty.
    if (!heardBefore && TunerHeard()) {
        for (std::uint8_t variable : TunerVariables)
            forced.set(variable);
    }
    SyncSetup(before);
    ReportChanges(before, out);
    return out;
}

void SimUnit::ReportChanges(const Values& before, QList<QByteArray>& out)
{
    for (std::uint8_t variable : ReportOrder) {
        if (IsLive(variable) &&
            (values.at(variable) != before.at(variable) || forced.test(variable)))
            out.append(Report(variable));
    }
}

void SimUnit::SyncSetup(const Values& before)
{
    auto changed = [&](std::uint8_t variable) {
        return values.at(variable) != before.at(variable);
    };
    if (changed(Variable::Treble))
        PutSetupByte(SetupFields::Treble, SetupFields::ToneCode(values[Variable::Treble]));
    if (changed(Variable::Bass))
        PutSetupByte(SetupFields::Bass, SetupFields::ToneCode(values[Variable::Bass]));
    if (changed(Variable::SpeakersA) || changed(Variable::SpeakersB))
        PutSetupByte(SetupFields::SpeakerOutputs,
                     values[Variable::SpeakersA] | values[Variable::SpeakersB] << 1);
    if (changed(Variable::MainSource))
        PutSetupByte(SetupFields::Source, values[Variable::MainSource] + 1);
    if (changed(Variable::MainVolume))
        PutSetupByte(SetupFields::MainVolume,
                     SetupFields::MainVolumeByte(values[Variable::MainVolume]));
    // A zone set to a fixed volume keeps its marker.
    if (changed(Variable::ZoneVolume) &&
        SetupByte(SetupFields::ZoneVolume) != SetupFields::ZoneVolumeFixed)
        PutSetupByte(SetupFields::ZoneVolume,
                     SetupFields::ZoneVolumeByte(values[Variable::ZoneVolume]));
}

void SimUnit::Query(QByteArrayView request, QList<QByteArray>& out) const
{
    if (request.size() == 3 && Byte(request, 1) == Variable::InputName) {
        const int index = Byte(request, 2);
        if (index < InputCount)
            out.append(NameReport(index));
        return;
    }
    if (request.size() != 2)
        return;
    const auto variable = static_cast<std::uint8_t>(Byte(request, 1));
    if (variable == Variable::Model) {
        QByteArray text = model.toLatin1().left(MaxPayload - 2);
        out.append(Bytes({MessageType::Variable, Variable::Model}) + text);
    } else if (variable == Variable::All) {
        for (std::uint8_t each : ReportOrder) {
            if (IsLive(each))
                out.append(Report(each));
        }
    } else if (IsLive(variable)) {
        out.append(Report(variable));
    }
}

void SimUnit::Set(QByteArrayView request, QList<QByteArray>& out)
{
    if (request.size() < 3)
        return;
    const auto variable = static_cast<std::uint8_t>(Byte(request, 1));
    if (variable == Variable::InputName) {
        Rename(request, out);
        return;
    }
    const bool wide = variable == Variable::AmFrequency || variable == Variable::FmFrequency;
    if (request.size() != (wide ? 4 : 3))
        return;
    if (!IsLive(variable) || variable == Variable::SignalType)
        return;
    if ((Contains(MainRoomVariables, variable) && !values[Variable::MainPower]) ||
        (Contains(ZoneRoomVariables, variable) && !values[Variable::ZonePower]))
        return;
    const int raw = wide ? Byte(request, 2) | Byte(request, 3) << 8 : Byte(request, 2);
    forced.set(variable);
    Assign(variable, raw);
}

void SimUnit::Rename(QByteArrayView request, QList<QByteArray>& out)
{
    if (request.size() < 4)
        return;
    const int index = Byte(request, 2);
    if (index >= InputCount)
        return;
    // Kept as received (the program pads it to the field's 13 characters);
    // a name of blanks only is refused.
    const QByteArray name = request.sliced(3).toByteArray().left(InputNameLength);
    if (name.trimmed().isEmpty())
        return;
    inputNames.at(static_cast<std::size_t>(index)) = name;
    out.append(NameReport(index));
}

void SimUnit::Assign(std::uint8_t variable, int raw)
{
    const int signedValue = static_cast<std::int8_t>(raw & 0xFF);
    if (Contains(Switches, variable) || variable == Variable::ToneDefeat) {
        if (raw <= 1)
            values.at(variable) = raw;
        return;
    }
    switch (variable) {
    case Variable::MainPower:
    case Variable::ZonePower:
        if (raw <= 1)
            SetPower(variable == Variable::ZonePower, raw == 1);
        break;
    case Variable::MainVolume:
    case Variable::ZoneVolume:
        values.at(variable) = std::clamp(signedValue, MinimumVolume(), MaxVolume);
        break;
    case Variable::Treble:
    case Variable::Bass: {
        const int clamped =
            std::clamp(signedValue, -SetupFields::ToneLimit, SetupFields::ToneLimit);
        values.at(variable) = clamped - clamped % SetupFields::ToneStep;
        break;
    }
    case Variable::SurroundMode:
        if (raw < SurroundModeCount && raw != SurroundModeNone)
            values[Variable::SurroundMode] = raw;
        break;
    case Variable::TunerBand:
        if (raw == Band::Am || raw == Band::Fm)
            SetBand(raw);
        break;
    case Variable::AmFrequency:
        if (TunerTable::AmInBand(raw))
            Tune(Band::Am, raw);
        break;
    case Variable::FmFrequency:
        if (TunerTable::FmInBand(raw))
            Tune(Band::Fm, raw);
        break;
    case Variable::AmPreset:
        RecallTunerPreset(Band::Am, raw);
        break;
    case Variable::FmPreset:
        RecallTunerPreset(Band::Fm, raw);
        break;
    case Variable::MainSource:
        if (raw < InputCount)
            SelectMainSource(raw);
        break;
    case Variable::ZoneSource:
        if (raw < InputCount)
            values[Variable::ZoneSource] = raw;
        break;
    default:
        break;
    }
}

void SimUnit::Key(std::uint8_t code)
{
    if (code == KeyCode::MainPower) {
        SetPower(false, !values[Variable::MainPower]);
        return;
    }
    if (code == KeyCode::ZonePower) {
        SetPower(true, !values[Variable::ZonePower]);
        return;
    }
    if (values[Variable::MainPower] && MainKey(code))
        return;
    if (values[Variable::ZonePower])
        ZoneKey(code);
}

bool SimUnit::MainKey(std::uint8_t code)
{
    auto toggle = [&](std::uint8_t variable) {
        values.at(variable) = !values.at(variable);
        forced.set(variable);
    };
    for (int source = 0; source < InputCount; ++source) {
        if (code == KeyCode::MainSource.at(static_cast<std::size_t>(source))) {
            SelectMainSource(source);
            return true;
        }
    }
    for (int preset = 1; preset <= AvPresetCount; ++preset) {
        if (code == KeyCode::RecallPreset.at(static_cast<std::size_t>(preset - 1))) {
            RecallPreset(preset);
            return true;
        }
    }
    const bool speakerKey = code == KeyCode::SpeakersA || code == KeyCode::SpeakersB;
    if (speakerKey && !layout.HasSpeakerOutputs())
        return true;
    switch (code) {
    case KeyCode::MainMute:
        toggle(Variable::MainMute);
        return true;
    case KeyCode::MainVolumeUp:
        StepVolume(Variable::MainVolume, +1);
        return true;
    case KeyCode::MainVolumeDown:
        StepVolume(Variable::MainVolume, -1);
        return true;
    case KeyCode::SpeakersA:
        toggle(Variable::SpeakersA);
        return true;
    case KeyCode::SpeakersB:
        toggle(Variable::SpeakersB);
        return true;
    case KeyCode::TapeMonitor:
        toggle(Variable::TapeMonitor);
        return true;
    case KeyCode::ToneDefeat:
        toggle(Variable::ToneDefeat);
        return true;
    default:
        return TunerKey(code, false);
    }
}

bool SimUnit::ZoneKey(std::uint8_t code)
{
    for (int source = 0; source < InputCount; ++source) {
        if (code == KeyCode::ZoneSource.at(static_cast<std::size_t>(source))) {
            values[Variable::ZoneSource] = source;
            forced.set(Variable::ZoneSource);
            return true;
        }
    }
    switch (code) {
    case KeyCode::ZoneMute:
        values[Variable::ZoneMute] = !values[Variable::ZoneMute];
        forced.set(Variable::ZoneMute);
        return true;
    case KeyCode::ZoneVolumeUp:
        StepVolume(Variable::ZoneVolume, +1);
        return true;
    case KeyCode::ZoneVolumeDown:
        StepVolume(Variable::ZoneVolume, -1);
        return true;
    default:
        return TunerKey(code, true);
    }
}

bool SimUnit::TunerKey(std::uint8_t code, bool zone)
{
    const KeyCode::TunerKeys& keys = zone ? KeyCode::ZoneTuner : KeyCode::MainTuner;
    const int band = values[Variable::TunerBand];
    if (code == keys.bandAm || code == keys.bandFm) {
        SetBand(code == keys.bandAm ? Band::Am : Band::Fm);
    } else if (code == keys.seekUp || code == keys.seekDown) {
        const int frequency =
            values[band == Band::Fm ? Variable::FmFrequency : Variable::AmFrequency];
        if (const Station* station = StationList::Seek(band, frequency, code == keys.seekUp))
            Tune(band, station->frequency);
    } else if (code == keys.frequencyUp || code == keys.frequencyDown) {
        StepFrequency(code == keys.frequencyUp);
    } else if (code == keys.presetUp || code == keys.presetDown) {
        const bool up = code == keys.presetUp;
        const int number = band == Band::Fm
                               ? TunerTable::NextFm(eeprom, values[Variable::FmPreset], up)
                               : TunerTable::NextAm(eeprom, values[Variable::AmPreset], up);
        if (!RecallTunerPreset(band, number))
            forced.set(band == Band::Fm ? Variable::FmPreset : Variable::AmPreset);
    } else {
        return false;
    }
    return true;
}

void SimUnit::SetPower(bool zone, bool on)
{
    const std::uint8_t power = zone ? Variable::ZonePower : Variable::MainPower;
    values.at(power) = on ? 1 : 0;
    forced.set(power);
    if (!on)
        return;
    // A room that comes on shows its state; the program cleared it while off.
    if (zone) {
        for (std::uint8_t variable : ZoneRoomVariables)
            forced.set(variable);
    } else {
        for (std::uint8_t variable : MainRoomVariables)
            forced.set(variable);
        forced.set(Variable::ToneDefeat);
    }
}

void SimUnit::SelectMainSource(int source)
{
    values[Variable::MainSource] = source;
    values[Variable::SignalType] = SourceSignal.at(static_cast<std::size_t>(source));
    forced.set(Variable::MainSource);
    forced.set(Variable::SignalType);
}

void SimUnit::StepVolume(std::uint8_t variable, int delta)
{
    values.at(variable) = std::clamp(values.at(variable) + delta, MinimumVolume(), MaxVolume);
    forced.set(variable);
}

void SimUnit::SetBand(int band)
{
    values[Variable::TunerBand] = band;
    forced.set(Variable::TunerBand);
    forced.set(band == Band::Fm ? Variable::FmFrequency : Variable::AmFrequency);
    forced.set(band == Band::Fm ? Variable::FmPreset : Variable::AmPreset);
}

void SimUnit::Tune(int band, int frequency)
{
    values[Variable::TunerBand] = band;
    if (band == Band::Fm) {
        // The synthesiser tunes in 50 kHz steps.
        values[Variable::FmFrequency] = frequency - frequency % 5;
        values[Variable::FmPreset] = TunerTable::FindFm(eeprom, values[Variable::FmFrequency]);
        forced.set(Variable::FmFrequency);
        forced.set(Variable::FmPreset);
    } else {
        const int step = TunerTable::AmStep(eeprom);
        const int base = AmGridBase(step);
        values[Variable::AmFrequency] = std::max(base, base + (frequency - base) / step * step);
        values[Variable::AmPreset] = TunerTable::FindAm(eeprom, values[Variable::AmFrequency]);
        forced.set(Variable::AmFrequency);
        forced.set(Variable::AmPreset);
    }
}

void SimUnit::StepFrequency(bool up)
{
    const int amStep = TunerTable::AmStep(eeprom);
    if (values[Variable::TunerBand] == Band::Fm) {
        // Regions with 10 kHz AM channels space FM at 100 kHz, others at 50 kHz.
        const int step = amStep == 10 ? 10 : 5;
        int next = values[Variable::FmFrequency] + (up ? step : -step);
        if (next > FmTop)
            next = FmBottom;
        if (next < FmBottom)
            next = FmTop;
        Tune(Band::Fm, next);
    } else {
        int next = values[Variable::AmFrequency] + (up ? amStep : -amStep);
        if (next > AmTop)
            next = AmGridBase(amStep);
        if (next < AmGridBase(amStep))
            next = AmTop;
        Tune(Band::Am, next);
    }
}

bool SimUnit::RecallTunerPreset(int band, int number)
{
    const int frequency = band == Band::Fm ? TunerTable::FmFrequency(eeprom, number)
                                           : TunerTable::AmFrequency(eeprom, number);
    if (frequency == 0)
        return false;
    values[Variable::TunerBand] = band;
    if (band == Band::Fm) {
        values[Variable::FmFrequency] = frequency;
        values[Variable::FmPreset] = number;
        values[Variable::FmMute] = TunerTable::FmMute(eeprom, number) ? 1 : 0;
        forced.set(Variable::FmFrequency);
        forced.set(Variable::FmPreset);
    } else {
        values[Variable::AmFrequency] = frequency;
        values[Variable::AmPreset] = number;
        forced.set(Variable::AmFrequency);
        forced.set(Variable::AmPreset);
    }
    return true;
}

void SimUnit::StorePreset(int number)
{
    if (number < 1 || number > AvPresetCount)
        return;
    const int size = layout.BlockSize();
    const int base = layout.PresetBase(number);
    eeprom[base] = static_cast<char>(size);
    eeprom.replace(base + 1, size, liveSetup);
    eeprom.replace(base + 1 + size, SetupLayout::SurroundTableSize,
                   eeprom.mid(layout.CurrentTableAddress(), SetupLayout::SurroundTableSize));
    const int nameAddress = SetupLayout::PresetNameAddress(number);
    const auto first = static_cast<std::uint8_t>(eeprom.at(nameAddress));
    if (first == 0 || first == 0xFF) {
        QByteArray name = QByteArrayLiteral("A/V PRESET ") + QByteArray::number(number);
        name.resize(SetupLayout::PresetNameSize, '\0');
        eeprom.replace(nameAddress, SetupLayout::PresetNameSize, name);
    }
    ++eepromRevision;
}

void SimUnit::RecallPreset(int number)
{
    const int size = layout.BlockSize();
    const int base = layout.PresetBase(number);
    const int status = static_cast<std::uint8_t>(eeprom.at(base));
    if (status != size && status != 0)
        return;
    liveSetup = eeprom.mid(base + 1, size);
    eeprom.replace(layout.CurrentTableAddress(), SetupLayout::SurroundTableSize,
                   eeprom.mid(base + 1 + size, SetupLayout::SurroundTableSize));
    ++eepromRevision;
    ApplySetupToLive();
}

void SimUnit::ApplySetupToLive()
{
    const int treble = SetupFields::ToneFromCode(SetupByte(SetupFields::Treble));
    if (treble != -1)
        values[Variable::Treble] = treble;
    const int bass = SetupFields::ToneFromCode(SetupByte(SetupFields::Bass));
    if (bass != -1)
        values[Variable::Bass] = bass;
    const int speakers = SetupByte(SetupFields::SpeakerOutputs);
    if (speakers >= 0) {
        values[Variable::SpeakersA] = speakers & 1;
        values[Variable::SpeakersB] = speakers >> 1 & 1;
    }
    const int source = SetupByte(SetupFields::Source) - 1;
    if (source >= 0 && source < InputCount && source != values[Variable::MainSource])
        SelectMainSource(source);
    const int volumeByte = SetupByte(SetupFields::MainVolume);
    const int volume = SetupFields::MainVolumeFromByte(volumeByte);
    if (volumeByte >= 0 && volume >= MinimumVolume() && volume <= MaxVolume)
        values[Variable::MainVolume] = volume;
    int zoneVolume = 0;
    if (SetupFields::ZoneVolumeFromByte(SetupByte(SetupFields::ZoneVolume), &zoneVolume))
        values[Variable::ZoneVolume] = std::max(zoneVolume, MinimumVolume());
}

int SimUnit::SetupByte(int canonical) const
{
    const int position = layout.Position(canonical);
    return position >= 0 && position < liveSetup.size()
               ? static_cast<std::uint8_t>(liveSetup.at(position))
               : -1;
}

void SimUnit::PutSetupByte(int canonical, int value)
{
    const int position = layout.Position(canonical);
    if (position >= 0 && position < liveSetup.size())
        liveSetup[position] = static_cast<char>(value & 0xFF);
}

void SimUnit::LiveSetupRequest(QByteArrayView request, QList<QByteArray>& out)
{
    if (request.size() < 2)
        return;
    const int op = Byte(request, 1);
    if (op == MemoryOp::EndWrite) {
        // The unit takes the new setup into force when the write ends.
        if (request.size() == 2)
            ApplySetupToLive();
        return;
    }
    const qsizetype expected = op == MemoryOp::Read ? 3 : op == MemoryOp::Write ? 4 : -1;
    if (request.size() != expected)
        return;
    const int index = Byte(request, 2);
    if (index >= liveSetup.size())
        return;
    if (op == MemoryOp::Write)
        liveSetup[index] = static_cast<char>(Clamped(liveClamps, index, Byte(request, 3)));
    out.append(Bytes({MessageType::LiveSetup, index, Byte(liveSetup, index)}));
}

void SimUnit::EepromRequest(QByteArrayView request, QList<QByteArray>& out)
{
    if (request.size() < 2)
        return;
    const int op = Byte(request, 1);
    const qsizetype expected = op == MemoryOp::Read ? 4 : op == MemoryOp::Write ? 5 : -1;
    if (request.size() != expected)
        return;
    const int low = Byte(request, 2);
    const int high = Byte(request, 3);
    const int address = high << 8 | low;
    if (address >= EepromSize)
        return;
    if (op == MemoryOp::Write && lostWrites.contains(address)) {
        out.append(Bytes({MessageType::Eeprom, low, high, Byte(request, 4)}));
        return;
    }
    if (op == MemoryOp::Write) {
        const int value = Clamped(eepromClamps, address, Byte(request, 4));
        if (Byte(eeprom, address) != value) {
            eeprom[address] = static_cast<char>(value);
            ++eepromRevision;
        }
    }
    out.append(Bytes({MessageType::Eeprom, low, high, Byte(eeprom, address)}));
}

QList<QByteArray> SimUnit::RdsTick()
{
    QList<QByteArray> out;
    if (!TunerHeardOnFm()) {
        rdsFrequency = 0;
        return out;
    }
    const int frequency = values[Variable::FmFrequency];
    const Station* station = StationList::Find(Band::Fm, frequency);
    const bool hasRds = station && *station->psName;
    if (frequency != rdsFrequency) {
        // A new station: what the program shows of the last one goes first;
        // payloads this short empty the radio text and the PS name.
        rdsFrequency = frequency;
        rdsOffset = 0;
        out.append(Bytes({MessageType::RadioText, 0}));
        if (!hasRds)
            out.append(Bytes({MessageType::PsName}));
    }
    if (!hasRds)
        return out;
    out.append(Bytes({MessageType::PsName}) + QByteArray(station->psName).left(RdsPsLength));
    const QByteArray text(station->radioText);
    if (text.isEmpty())
        return out;
    if (rdsOffset >= text.size())
        rdsOffset = 0;
    QByteArray segment = text.mid(rdsOffset, RdsSegmentLength);
    if (segment.size() < 2)
        segment.append(' '); // a segment of one character would read as a clear
    out.append(Bytes({MessageType::RadioText, rdsOffset}) + segment);
    rdsOffset += RdsSegmentLength;
    return out;
}
