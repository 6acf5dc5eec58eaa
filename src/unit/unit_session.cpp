#include "unit/unit_session.h"

#include "link/message_set.h"

#include <QCollator>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <utility>

UnitSession::UnitSession(QObject* parent) : QObject(parent), transfer(link, status.Facts())
{
    connectTimer.setTimerType(Qt::PreciseTimer);
    connect(&connectTimer, &QTimer::timeout, this, &UnitSession::OnConnectTimer);
    connect(&versionRetry, &ReplyTimer::timeout, this, &UnitSession::OnVersionRetry);
    connect(&nameRetry, &ReplyTimer::timeout, this, &UnitSession::OnNameRetry);
    connect(&status, &LiveStatus::versionReported, this, [this] {
        // Only an answer to the one ask is a round trip of the line.
        if (versionRetry.isActive() && versionAsks == 0)
            transfer.NoteRoundTrip(versionClock.elapsed());
        versionRetry.stop();
    });
    connect(&link, &UnitLink::payloadReceived, this, &UnitSession::Dispatch);
    connect(&link, &UnitLink::lineSilent, this, &UnitSession::OnLineSilent);
    connect(&link, &UnitLink::deviceLost, this, &UnitSession::OnDeviceLost);
    connect(&status, &LiveStatus::supportedUnitConnected, &transfer,
            &MemoryTransfer::ReadBlockSize);
    connect(&status, &LiveStatus::inputNameReported, this, &UnitSession::OnNameReported);
}

UnitSession::Timing UnitSession::WithRetryPeriod(Timing timing, int periodMs)
{
    if (periodMs <= 0)
        return timing;
    timing.transfer.adaptive = false;
    timing.transfer.retry = periodMs;
    timing.transfer.pace = std::min(timing.transfer.pace, periodMs);
    timing.handshakeRetry = periodMs;
    return timing;
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
    status.RefreshConnectionLine();
    connectTimer.start(timing.connectPeriod);
}

void UnitSession::Stop()
{
    connectTimer.stop();
    versionRetry.stop();
    nameRetry.stop();
    transfer.Abort();
    // What was queued before the stop (the end of a live-setup write, a
    // command) still reaches the unit.
    link.Drain(DrainLimit);
    link.Close();
}

void UnitSession::AfterPause(std::function<void()> step)
{
    // A step scheduled for one opening of the port never reaches another.
    const quint64 opening = link.Opening();
    QTimer::singleShot(timing.refreshPause, this, [this, opening, step = std::move(step)] {
        if (link.Opening() == opening)
            step();
    });
}

void UnitSession::Refresh()
{
    versionAsks = 0;
    AskVersion();
    AfterPause([this] { commands.QueryAll(); });
}

// ---------------------------------------------------------------- handshake

void UnitSession::AskVersion()
{
    commands.QueryVersion();
    if (versionAsks == 0)
        versionClock.start();
    versionRetry.start(transfer.ReplyWait(timing.handshakeRetry), timing.handshakeRetry);
}

void UnitSession::OnVersionRetry()
{
    transfer.NoteTimeout(versionRetry.interval(), timing.handshakeRetry);
    if (link.IsOpen() && versionAsks++ < HandshakeRetries)
        AskVersion();
}

void UnitSession::AskName(int index)
{
    nameIndex = index;
    commands.QueryInputName(index);
    if (nameAsks == 0)
        nameClock.start();
    nameRetry.start(transfer.ReplyWait(timing.handshakeRetry), timing.handshakeRetry);
}

// One query for input 0 brings in all ten names, each asked when the
// previous one arrives; a name whose reply is lost is asked again, and after
// the last try the chain goes on with the next, so one loss costs one name
// at most. While a chain runs only the reply it waits for moves it on, so a
// late duplicate never asks twice. A fetch of the unknown names skips the
// known ones.
void UnitSession::OnNameReported(int index)
{
    if (nameIndex < 0) {
        // A report nobody asked for (the unit renamed an input): as at the
        // handshake, the next name is asked for.
        if (index < InputCount - 1)
            commands.QueryInputName(index + 1);
        return;
    }
    if (index != nameIndex)
        return;
    if (nameAsks == 0)
        transfer.NoteRoundTrip(nameClock.elapsed());
    AskNextName(index + 1);
}

void UnitSession::OnNameRetry()
{
    if (nameIndex < 0 || !link.IsOpen())
        return;
    transfer.NoteTimeout(nameRetry.interval(), timing.handshakeRetry);
    if (nameAsks++ < HandshakeRetries) {
        AskName(nameIndex);
        return;
    }
    AskNextName(nameIndex + 1);
}

void UnitSession::AskNextName(int from)
{
    nameAsks = 0;
    int next = from;
    const auto& known = status.Values().inputNameKnown;
    while (fetchingUnknown && next < InputCount && known[static_cast<std::size_t>(next)])
        ++next;
    if (next < InputCount) {
        AskName(next);
        return;
    }
    nameRetry.stop();
    nameIndex = -1;
    fetchingUnknown = false;
    Q_EMIT inputNamesSettled();
}

void UnitSession::FetchUnknownInputNames()
{
    const auto& known = status.Values().inputNameKnown;
    const auto unknown = std::find(known.begin(), known.end(), false);
    if (unknown == known.end() || !link.IsOpen()) {
        QMetaObject::invokeMethod(this, &UnitSession::inputNamesSettled, Qt::QueuedConnection);
        return;
    }
    if (nameIndex >= 0)
        return; // a chain runs; it reaches the unknown ones and says when it ends
    fetchingUnknown = true;
    AskNextName(static_cast<int>(unknown - known.begin()));
}

void UnitSession::OnConnectTimer()
{
    if (status.Values().connected) {
        OnConnected();
        return;
    }
    const QString name =
        portSetting == QLatin1String(AutoDetect) ? NextAutoDetectPort() : portSetting;
    if (link.Open(name, timing.port))
        commands.QueryModel();
    else
        Q_EMIT portOpenFailed(SerialPort::DevicePath(name), link.LastOpenFailure());
}

// The counter numbers the eight ports of the pattern 1..8 and the adapters
// found when the walk passed the eighth 9, 10, ...
QString UnitSession::NextAutoDetectPort()
{
    ++autoDetectCounter;
    if (autoDetectCounter == AutoDetectPorts + 1)
        adapters = adapterLister ? adapterLister() : QStringList();
    if (autoDetectCounter > AutoDetectPorts + adapters.size())
        autoDetectCounter = 1;
    if (autoDetectCounter <= AutoDetectPorts)
        return autoDetectPattern.arg(autoDetectCounter);
    return adapters.at(autoDetectCounter - AutoDetectPorts - 1);
}

QStringList UnitSession::PresentUsbAdapters()
{
    QStringList paths;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        const QString name = QFileInfo(info.systemLocation()).fileName();
        if (name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM")))
            paths.append(info.systemLocation());
    }
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(paths.begin(), paths.end(), [&collator](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    return paths;
}

void UnitSession::ChangePortSetting(const QString& setting)
{
    portSetting = setting;
    if (setting == QLatin1String(AutoDetect) || setting == link.PortName())
        return;
    link.Close();
    ShowConnectionLost();
    // The new port gets a whole period before its first probe.
    connectTimer.start(timing.connectPeriod);
}

void UnitSession::OnConnected()
{
    connectTimer.stop();
    status.RefreshConnectionLine();
    status.BeginConnection();
    Refresh();
    AfterPause([this] {
        AfterPause([this] {
            fetchingUnknown = false;
            AskNextName(0);
        });
    });
}

void UnitSession::OnLineSilent()
{
    // Only two silent periods in a row mean the unit is gone: a frame heard
    // after the probe, even when the probe's own answer was lost on the
    // line, makes the next silent period a first one again.
    if (status.Values().connected || (silenceProbed && heardSinceProbe)) {
        // The first silent period only probes; the unit's answer to the
        // identity query marks it connected again.
        status.MarkSilent();
        commands.QueryModel();
        silenceProbed = true;
        heardSinceProbe = false;
        return;
    }
    ShowConnectionLost();
}

void UnitSession::OnDeviceLost()
{
    // The port is gone and closed: nothing more can be heard on it, so go
    // straight to probing, which reopens it when it comes back.
    ShowConnectionLost();
}

void UnitSession::ShowConnectionLost()
{
    silenceProbed = false;
    versionRetry.stop();
    nameRetry.stop();
    const bool fetchingNames = std::exchange(nameIndex, -1) >= 0;
    fetchingUnknown = false;
    // Transfers end before the views hear of it, so the panel they
    // disabled is enabled again by the time it shows "Not Connected".
    transfer.ConnectionLost();
    status.ShowDisconnected();
    StartProbing();
    // Whoever waits for the names hears that the chain is over.
    if (fetchingNames)
        Q_EMIT inputNamesSettled();
}

void UnitSession::StartProbing()
{
    if (!connectTimer.isActive())
        connectTimer.start(timing.connectPeriod);
}

void UnitSession::Dispatch(const QByteArray& payload)
{
    if (payload.isEmpty())
        return;
    heardSinceProbe = true;
    versionRetry.NoteTraffic();
    nameRetry.NoteTraffic();
    switch (static_cast<std::uint8_t>(payload[0])) {
    case MessageType::Variable:
        status.ApplyReport(payload);
        break;
    case MessageType::Version:
        status.ApplyVersion(payload);
        break;
    case MessageType::PsName:
        status.ApplyPsName(payload);
        break;
    case MessageType::RadioText:
        status.ApplyRadioText(payload);
        break;
    default:
        break;
    }
}
