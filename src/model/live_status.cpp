#include "model/live_status.h"

#include "common/text.h"
#include "model/live_presenter.h"

namespace {

int SignedByte(QByteArrayView payload, qsizetype index)
{
    return static_cast<std::int8_t>(payload[index]);
}

int UnsignedByte(QByteArrayView payload, qsizetype index)
{
    return static_cast<std::uint8_t>(payload[index]);
}

// Texts on the line are Latin-1 and end at the payload's end or at a 0 byte.
QString TextFrom(QByteArrayView payload, qsizetype from)
{
    if (from >= payload.size())
        return {};
    QByteArrayView text = payload.sliced(from);
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text = text.first(nul);
    return QString::fromLatin1(text);
}

bool IsSurroundMode(int value)
{
    return value >= 0 && value < SurroundModeCount && value != SurroundModeNone;
}

bool IsSource(int value)
{
    return value >= 0 && value < InputCount;
}

} // namespace

LiveStatus::LiveStatus(QObject* parent) : QObject(parent) {}

// ---------------------------------------------------------------- connection

void LiveStatus::BeginConnection()
{
    values.mainPower = false;
    values.zonePower = false;
    ClearMainRoom();
    values.zoneSource = -1;
    values.tunerLive = false;
    values.fmMute = false;
    values.radioText.clear();
    values.psName.clear();
    // The names shown stay until the unit reports its own, but only those
    // it reports on this connection count as known.
    values.inputNameKnown.fill(false);
    Q_EMIT connectionShown(true);
}

void LiveStatus::MarkSilent()
{
    values.connected = false;
}

void LiveStatus::ShowDisconnected()
{
    values.connected = false;
    Q_EMIT connectionShown(false);
    SetMainPower(false);
    SetZonePower(false);
    RefreshConnectionLine();
}

void LiveStatus::RefreshConnectionLine()
{
    if (values.connected) {
        values.modelIndex = values.facts.ModelIndex();
        values.extendedLayout = values.facts.HasExtendedLayout();
    } else {
        values.extendedLayout = false;
    }
    Q_EMIT connectionLineRefreshed();

    if (!values.connected) {
        values.firstConnectionPending = true;
    } else if (values.facts.IsSupportedModel() && values.firstConnectionPending) {
        values.firstConnectionPending = false;
        Q_EMIT supportedUnitConnected();
    }
}

void LiveStatus::SetMainPower(bool on)
{
    values.mainPower = on;
    if (!on)
        ClearMainRoom();
    Q_EMIT mainPowerShown(on);
    UpdateTunerSection();
}

// What is kept only while the main room is on.
void LiveStatus::ClearMainRoom()
{
    values.mainSource = -1;
    values.surroundMode = -1;
    values.speakersA = values.speakersB = false;
}

void LiveStatus::SetZonePower(bool on)
{
    values.zonePower = on;
    if (!on)
        values.zoneSource = -1;
    Q_EMIT zonePowerShown(on);
    UpdateTunerSection();
}

void LiveStatus::UpdateTunerSection()
{
    values.tunerLive = values.mainSource == SourceTuner || values.zoneSource == SourceTuner ||
                       (values.zoneSource == SourceExternal && values.mainSourceIsTuner);
    if (!values.tunerLive) {
        values.radioText.clear();
        values.psName.clear();
        values.fmMute = false;
    }
    Q_EMIT tunerSectionUpdated(values.tunerLive);
}

// ---------------------------------------------------------------- reports

void LiveStatus::ApplyVersion(QByteArrayView payload)
{
    if (payload.size() < 3)
        return;
    values.facts.versionText =
        QString::asprintf("v%d.%02d", SignedByte(payload, 1), SignedByte(payload, 2));
    RefreshConnectionLine();
    Q_EMIT versionReported();
}

void LiveStatus::ApplyReport(QByteArrayView payload)
{
    if (payload.size() < 2)
        return;
    const int variable = SignedByte(payload, 1);
    if (variable == Variable::Model) {
        if (payload.size() <= 2)
            return;
        values.connected = true;
        values.facts.modelText = TextFrom(payload, 2);
        RefreshConnectionLine();
        Q_EMIT identified();
        return;
    }
    if (payload.size() < 3)
        return;
    const int v = SignedByte(payload, 2);
    const int raw = UnsignedByte(payload, 2);
    if (variable == Variable::InputName) {
        if (!IsSource(v))
            return;
        // The unit pads a name with spaces to its 13 characters; the padding
        // is not part of the name the panel, the sheet and a file hold.
        const QString name = Text::TrimmedRight(TextFrom(payload, 3));
        values.inputNames[static_cast<std::size_t>(v)] = name;
        values.inputNameKnown[static_cast<std::size_t>(v)] = true;
        Q_EMIT inputNameReported(v, name);
        return;
    }
    ApplyVariable(variable, v, raw, payload);
}

void LiveStatus::ApplyVariable(int variable, int v, int raw, QByteArrayView payload)
{
    if (ApplySound(variable, v))
        return;
    const bool main = values.mainPower;
    switch (variable) {
    case Variable::MainPower:
        SetMainPower(v != 0);
        Q_EMIT mainPowerReported(v != 0);
        return;
    case Variable::ZonePower:
        SetZonePower(v != 0);
        Q_EMIT zonePowerReported(v != 0);
        return;
    case Variable::Treble:
    case Variable::Bass:
        if (!main)
            return;
        if (variable == Variable::Treble) {
            values.treble = v;
            Q_EMIT trebleChanged(v);
        } else {
            values.bass = v;
            Q_EMIT bassChanged(v);
        }
        return;
    case Variable::SpeakersA:
    case Variable::SpeakersB:
        if (!main)
            return;
        if (variable == Variable::SpeakersA) {
            values.speakersA = v != 0;
            Q_EMIT speakersAChanged(v != 0);
        } else {
            values.speakersB = v != 0;
            Q_EMIT speakersBChanged(v != 0);
        }
        return;
    case Variable::TapeMonitor:
        if (main)
            Q_EMIT tapeMonitorChanged(v != 0);
        return;
    case Variable::ToneDefeat:
        if (main)
            Q_EMIT toneDefeatChanged(v != 0);
        return;
    case Variable::SignalType:
        if (main && v >= 0 && v < SignalTypeCount)
            Q_EMIT signalTypeChanged(v);
        return;
    case Variable::SurroundMode:
        if (main && IsSurroundMode(v)) {
            values.surroundMode = v;
            Q_EMIT surroundModeChanged(v);
        }
        return;
    case Variable::MainSource:
    case Variable::ZoneSource:
        ApplySource(variable, v, raw);
        return;
    default:
        ApplyTuner(variable, v, raw, payload);
        return;
    }
}

// A room's volume or mute: kept for the volume popup whatever the room's
// power, shown on the panel while the room is on.
bool LiveStatus::ApplySound(int variable, int v)
{
    const bool volume = variable == Variable::MainVolume || variable == Variable::ZoneVolume;
    const bool mute = variable == Variable::MainMute || variable == Variable::ZoneMute;
    if (!volume && !mute)
        return false;
    const LiveRoom room = variable == Variable::MainVolume || variable == Variable::MainMute
                              ? LiveRoom::Main
                              : LiveRoom::Zone;
    LiveValues::Sound& sound = values.ReportedSound(room);
    if (volume)
        sound.volume = v;
    else
        sound.mute = v != 0;
    Q_EMIT soundReported(room);

    const bool on = room == LiveRoom::Main ? values.mainPower : values.zonePower;
    if (!on)
        return true;
    switch (variable) {
    case Variable::MainVolume:
        values.mainVolume = v;
        Q_EMIT mainVolumeChanged(v);
        break;
    case Variable::ZoneVolume:
        values.zoneVolume = v;
        Q_EMIT zoneVolumeChanged(v);
        break;
    case Variable::MainMute:
        Q_EMIT mainMuteChanged(v != 0);
        break;
    default:
        Q_EMIT zoneMuteChanged(v != 0);
        break;
    }
    return true;
}

void LiveStatus::ApplySource(int variable, int v, int raw)
{
    const bool isMain = variable == Variable::MainSource;
    if (isMain)
        values.mainSourceIsTuner = raw == SourceTuner;
    if ((isMain ? values.mainPower : values.zonePower) && IsSource(v)) {
        (isMain ? values.mainSource : values.zoneSource) = v;
        Q_EMIT(isMain ? mainSourceChanged(v) : zoneSourceChanged(v));
    }
    UpdateTunerSection();
}

void LiveStatus::ApplyTuner(int variable, int v, int raw, QByteArrayView payload)
{
    switch (variable) {
    case Variable::TunerBand:
        if (v != Band::Am && v != Band::Fm)
            return;
        values.tunerBand = v;
        if (values.tunerLive)
            Q_EMIT tunerBandChanged(v);
        return;
    case Variable::AmFrequency:
    case Variable::FmFrequency: {
        if (payload.size() < 4)
            return;
        const int frequency = raw | (UnsignedByte(payload, 3) << 8);
        const bool fm = variable == Variable::FmFrequency;
        (fm ? values.fmFrequency : values.amFrequency) = frequency;
        if (values.tunerLive && values.tunerBand == (fm ? Band::Fm : Band::Am))
            Q_EMIT tunerFrequencyChanged();
        return;
    }
    case Variable::AmPreset:
    case Variable::FmPreset: {
        const bool fm = variable == Variable::FmPreset;
        (fm ? values.fmPreset : values.amPreset) = raw;
        if (values.tunerLive && values.tunerBand == (fm ? Band::Fm : Band::Am))
            Q_EMIT tunerPresetChanged();
        return;
    }
    case Variable::FmMute:
        if (values.tunerLive) {
            values.fmMute = v != 0;
            Q_EMIT fmMuteChanged(v != 0);
        }
        return;
    default:
        return;
    }
}

void LiveStatus::AssumeTunerValue(int variable, int value)
{
    switch (variable) {
    case Variable::AmFrequency:
        values.amFrequency = value;
        return;
    case Variable::FmFrequency:
        values.fmFrequency = value;
        return;
    case Variable::AmPreset:
        values.amPreset = value;
        return;
    case Variable::FmPreset:
        values.fmPreset = value;
        return;
    default:
        return;
    }
}

void LiveStatus::AssumeInputName(int index, const QString& name)
{
    if (!IsSource(index))
        return;
    values.inputNames[static_cast<std::size_t>(index)] = name;
    values.inputNameKnown[static_cast<std::size_t>(index)] = true;
    Q_EMIT inputNameAssumed(index, name);
}

QString LiveStatus::InputCaption(int index) const
{
    return LivePresenter(values).InputCaption(index);
}

QString LiveStatus::VolumeText(int value) const
{
    return LivePresenter(values).VolumeText(value);
}

// ---------------------------------------------------------------- RDS

void LiveStatus::SetPsName(const QString& name)
{
    if (name == values.psName)
        return;
    values.psName = name;
    Q_EMIT psNameChanged(name);
}

void LiveStatus::SetRadioText(const QString& text)
{
    if (text == values.radioText)
        return;
    values.radioText = text;
    Q_EMIT radioTextChanged(text);
}

void LiveStatus::ApplyPsName(QByteArrayView payload)
{
    if (!values.tunerLive)
        return;
    // A name of fewer than eight characters is no name.
    SetPsName(payload.size() >= 9 ? TextFrom(payload, 1) : QString());
}

void LiveStatus::ApplyRadioText(QByteArrayView payload)
{
    if (!values.tunerLive)
        return;
    if (payload.size() < 4) {
        SetRadioText(QString());
        return;
    }
    const int offset = SignedByte(payload, 1);
    if (offset < 0)
        return; // no position before the start of the text
    const QString segment = QString::fromLatin1(payload.sliced(2));
    QString text = values.radioText;
    if (text.size() < offset + segment.size())
        text = text.leftJustified(offset + segment.size(), QLatin1Char(' '));
    text.replace(offset, segment.size(), segment);
    SetRadioText(text);
}
