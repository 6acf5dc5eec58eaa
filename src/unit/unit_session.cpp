#include "unit/unit_session.h"

#include "link/message_set.h"

UnitSession::UnitSession(QObject* parent) : QObject(parent), transfer(link, status.Facts())
{
    connectTimer.setTimerType(Qt::PreciseTimer);
    connect(&connectTimer, &QTimer::timeout, this, &UnitSession::OnConnectTimer);
    connect(&link, &UnitLink::payloadReceived, this, &UnitSession::Dispatch);
    connect(&link, &UnitLink::lineSilent, this, &UnitSession::OnLineSilent);
    connect(&link, &UnitLink::deviceLost, this, &UnitSession::OnDeviceLost);
    connect(&status, &LiveStatus::supportedUnitConnected, &transfer,
            &MemoryTransfer::ReadBlockSize);
    // One query for input 0 brings in all ten names, each asked when the
    // previous one arrives.
    connect(&status, &LiveStatus::inputNameReported, this, [this](int index) {
        if (index < InputCount - 1)
            commands.QueryInputName(index + 1);
    });
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
    commands.QueryVersion();
    AfterPause([this] { commands.QueryAll(); });
}

void UnitSession::OnConnectTimer()
{
    if (status.Values().connected) {
        OnConnected();
        return;
    }
    QString name = portSetting;
    if (portSetting == QLatin1String(AutoDetect)) {
        autoDetectCounter = autoDetectCounter % AutoDetectPorts + 1;
        name = autoDetectPattern.arg(autoDetectCounter);
    }
    if (link.Open(name, timing.port))
        commands.QueryModel();
}

void UnitSession::OnConnected()
{
    connectTimer.stop();
    status.RefreshConnectionLine();
    status.BeginConnection();
    Refresh();
    AfterPause([this] { AfterPause([this] { commands.QueryInputName(0); }); });
}

void UnitSession::OnLineSilent()
{
    if (status.Values().connected) {
        // The first silent period only probes; the unit's answer to the
        // identity query marks it connected again.
        status.MarkSilent();
        commands.QueryModel();
        return;
    }
    status.ShowDisconnected();
    StartProbing();
}

void UnitSession::OnDeviceLost()
{
    // The port is gone and closed: nothing more can be heard on it, so go
    // straight to probing, which reopens it when it comes back.
    status.ShowDisconnected();
    StartProbing();
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
