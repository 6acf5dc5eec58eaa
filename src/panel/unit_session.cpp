#include "panel/unit_session.h"

#include "link/message_set.h"

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

UnitSession::UnitSession(QObject* parent) : QObject(parent), transfer(link, status)
{
    connectTimer.setTimerType(Qt::PreciseTimer);
    connect(&connectTimer, &QTimer::timeout, this, &UnitSession::OnConnectTimer);
    connect(&link, &UnitLink::payloadReceived, this, &UnitSession::Dispatch);
    connect(&link, &UnitLink::lineSilent, this, &UnitSession::OnLineSilent);
    connect(&link, &UnitLink::deviceLost, this, &UnitSession::OnDeviceLost);
}

void UnitSession::SetTiming(const Timing& newTiming)
{
    timing = newTiming;
    transfer.SetTiming(timing.transfer);
    if (connectTimer.isActive())
        connectTimer.start(timing.connectPeriod);
}

void UnitSession::Start()
{
    RefreshConnectionLine();
    connectTimer.start(timing.connectPeriod);
}

void UnitSession::Stop()
{
    connectTimer.stop();
    link.Close();
}

void UnitSession::AfterPause(std::function<void()> step)
{
    // A step scheduled for one opening of the port never reaches another.
    const quint64 opening = link.Port().Opening();
    QTimer::singleShot(timing.refreshPause, this, [this, opening, step = std::move(step)] {
        if (link.Port().Opening() == opening)
            step();
    });
}

void UnitSession::Refresh()
{
    link.SendFrame({MessageType::Version});
    AfterPause([this] { link.SendQuery(Variable::All); });
}

void UnitSession::OnConnectTimer()
{
    if (status.connected) {
        connectTimer.stop();
        RefreshConnectionLine();
        status.mainPower = false;
        status.zonePower = false;
        status.mainSource = -1;
        status.zoneSource = -1;
        status.tunerLive = false;
        status.radioText.clear();
        status.psName.clear();
        Q_EMIT connectionShown(true);
        Refresh();
        // The names of inputs 1..9 follow one by one, each asked when the
        // previous one arrives.
        AfterPause([this] {
            AfterPause([this] { link.SendFrame({MessageType::Variable, Variable::InputName, 0}); });
        });
        return;
    }

    QString name = portSetting;
    if (portSetting == QLatin1String(AutoDetect)) {
        autoDetectCounter = autoDetectCounter % AutoDetectPorts + 1;
        name = autoDetectPattern.arg(autoDetectCounter);
    }
    if (link.Open(name, timing.port))
        link.SendQuery(Variable::Model);
}

void UnitSession::OnLineSilent()
{
    if (status.connected) {
        // The first silent period only probes; the unit's answer to the
        // identity query marks it connected again.
        status.connected = false;
        link.SendQuery(Variable::Model);
        return;
    }
    ShowDisconnected();
    if (!connectTimer.isActive())
        connectTimer.start(timing.connectPeriod);
}

void UnitSession::OnDeviceLost()
{
    // The port is gone and closed: nothing more can be heard on it, so go
    // straight to probing, which reopens it when it comes back.
    status.connected = false;
    ShowDisconnected();
    if (!connectTimer.isActive())
        connectTimer.start(timing.connectPeriod);
}

void UnitSession::ShowDisconnected()
{
    Q_EMIT connectionShown(false);
    SetMainPower(false);
    SetZonePower(false);
    RefreshConnectionLine();
}

void UnitSession::RefreshConnectionLine()
{
    if (status.connected) {
        status.modelIndex = status.facts.ModelIndex();
        status.extendedLayout = status.facts.HasExtendedLayout();
    } else {
        status.extendedLayout = false;
    }
    Q_EMIT connectionLineRefreshed();

    if (!status.connected) {
        status.firstConnectionPending = true;
    } else if (status.facts.IsSupportedModel() && status.firstConnectionPending) {
        status.firstConnectionPending = false;
        transfer.ReadBlockSize();
    }
}

void UnitSession::SetMainPower(bool on)
{
    status.mainPower = on;
    if (!on) {
        status.mainSource = -1;
        status.surroundMode = -1;
    }
    Q_EMIT mainPowerShown(on);
    UpdateTunerSection();
}

void UnitSession::SetZonePower(bool on)
{
    status.zonePower = on;
    if (!on)
        status.zoneSource = -1;
    Q_EMIT zonePowerShown(on);
    UpdateTunerSection();
}

void UnitSession::UpdateTunerSection()
{
    status.tunerLive = status.mainSource == SourceTuner || status.zoneSource == SourceTuner ||
                       (status.zoneSource == SourceExternal && status.mainSourceIsTuner);
    if (!status.tunerLive) {
        status.radioText.clear();
        status.psName.clear();
    }
    Q_EMIT tunerSectionUpdated(status.tunerLive);
}

void UnitSession::Dispatch(const QByteArray& payload)
{
    if (payload.isEmpty())
        return;
    switch (static_cast<std::uint8_t>(payload[0])) {
    case MessageType::Variable:
        ApplyReport(payload);
        break;
    case MessageType::Version:
        ApplyVersion(payload);
        break;
    case MessageType::PsName:
        ApplyPsName(payload);
        break;
    case MessageType::RadioText:
        ApplyRadioText(payload);
        break;
    case MessageType::LiveSetup:
        transfer.HandleLiveSetupReply(payload);
        break;
    case MessageType::Eeprom:
        transfer.HandleEepromReply(payload);
        break;
    default:
        break;
    }
}

void UnitSession::ApplyVersion(QByteArrayView payload)
{
    if (payload.size() < 3)
        return;
    status.facts.versionText = QString::asprintf("v%d.%02d", SignedByte(payload, 1),
                                                 SignedByte(payload, 2));
    RefreshConnectionLine();
}

void UnitSession::ApplyReport(QByteArrayView payload)
{
    if (payload.size() < 2)
        return;
    const int variable = SignedByte(payload, 1);
    if (variable == Variable::Model) {
        if (payload.size() <= 2)
            return;
        status.connected = true;
        status.facts.modelText = TextFrom(payload, 2);
        RefreshConnectionLine();
        return;
    }
    if (payload.size() < 3)
        return;
    const int v = SignedByte(payload, 2);
    const int raw = UnsignedByte(payload, 2);
    const bool main = status.mainPower;
    const bool zone = status.zonePower;

    switch (variable) {
    case Variable::MainPower:
        SetMainPower(v != 0);
        Q_EMIT reportApplied(variable, v, true);
        return;
    case Variable::ZonePower:
        SetZonePower(v != 0);
        Q_EMIT reportApplied(variable, v, true);
        return;
    case Variable::MainVolume:
        if (main)
            status.mainVolume = v;
        Q_EMIT reportApplied(variable, v, main);
        return;
    case Variable::ZoneVolume:
        if (zone)
            status.zoneVolume = v;
        Q_EMIT reportApplied(variable, v, zone);
        return;
    case Variable::MainMute:
    case Variable::TapeMonitor:
    case Variable::SpeakersA:
    case Variable::SpeakersB:
    case Variable::ToneDefeat:
        Q_EMIT reportApplied(variable, v, main);
        return;
    case Variable::ZoneMute:
        Q_EMIT reportApplied(variable, v, zone);
        return;
    case Variable::Treble:
        if (main)
            status.treble = v;
        Q_EMIT reportApplied(variable, v, main);
        return;
    case Variable::Bass:
        if (main)
            status.bass = v;
        Q_EMIT reportApplied(variable, v, main);
        return;
    case Variable::SignalType:
        Q_EMIT reportApplied(variable, v, main && v >= 0 && v < SignalTypeCount);
        return;
    case Variable::SurroundMode: {
        const bool shown = main && IsSurroundMode(v);
        if (shown)
            status.surroundMode = v;
        Q_EMIT reportApplied(variable, v, shown);
        return;
    }
    case Variable::MainSource: {
        status.mainSourceIsTuner = raw == SourceTuner;
        const bool shown = main && IsSource(v);
        if (shown)
            status.mainSource = v;
        Q_EMIT reportApplied(variable, v, shown);
        UpdateTunerSection();
        return;
    }
    case Variable::ZoneSource: {
        const bool shown = zone && IsSource(v);
        if (shown)
            status.zoneSource = v;
        Q_EMIT reportApplied(variable, v, shown);
        UpdateTunerSection();
        return;
    }
    case Variable::TunerBand:
        if (v != Band::Am && v != Band::Fm)
            return;
        status.tunerBand = v;
        Q_EMIT reportApplied(variable, v, status.tunerLive);
        return;
    case Variable::AmFrequency:
    case Variable::FmFrequency: {
        if (payload.size() < 4)
            return;
        const int frequency = raw | (UnsignedByte(payload, 3) << 8);
        const bool fm = variable == Variable::FmFrequency;
        (fm ? status.fmFrequency : status.amFrequency) = frequency;
        Q_EMIT reportApplied(variable, frequency,
                             status.tunerLive && status.tunerBand == (fm ? Band::Fm : Band::Am));
        return;
    }
    case Variable::AmPreset:
    case Variable::FmPreset: {
        const bool fm = variable == Variable::FmPreset;
        (fm ? status.fmPreset : status.amPreset) = raw;
        Q_EMIT reportApplied(variable, raw,
                             status.tunerLive && status.tunerBand == (fm ? Band::Fm : Band::Am));
        return;
    }
    case Variable::FmMute:
        Q_EMIT reportApplied(variable, v, status.tunerLive);
        return;
    case Variable::InputName: {
        const int index = v;
        if (!IsSource(index))
            return;
        const QString name = TextFrom(payload, 3);
        status.inputNames[static_cast<std::size_t>(index)] = name;
        Q_EMIT inputNameReported(index, name);
        if (index < InputCount - 1)
            link.SendFrame({MessageType::Variable, Variable::InputName,
                            static_cast<std::uint8_t>(index + 1)});
        return;
    }
    default:
        return;
    }
}

void UnitSession::SetPsName(const QString& name)
{
    if (name == status.psName)
        return;
    status.psName = name;
    Q_EMIT psNameChanged(name);
}

void UnitSession::SetRadioText(const QString& text)
{
    if (text == status.radioText)
        return;
    status.radioText = text;
    Q_EMIT radioTextChanged(text);
}

void UnitSession::ApplyPsName(QByteArrayView payload)
{
    if (!status.tunerLive)
        return;
    // A name of fewer than eight characters is no name.
    SetPsName(payload.size() >= 9 ? TextFrom(payload, 1) : QString());
}

void UnitSession::ApplyRadioText(QByteArrayView payload)
{
    if (!status.tunerLive)
        return;
    if (payload.size() < 4) {
        SetRadioText(QString());
        return;
    }
    const int offset = SignedByte(payload, 1);
    if (offset < 0)
        return; // no position before the start of the text
    const QString segment = QString::fromLatin1(payload.sliced(2));
    QString text = status.radioText;
    if (text.size() < offset + segment.size())
        text = text.leftJustified(offset + segment.size(), QLatin1Char(' '));
    text.replace(offset, segment.size(), segment);
    SetRadioText(text);
}
