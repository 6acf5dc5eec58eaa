#pragma once

#include "link/serial_port.h"
#include "link/unit_link.h"
#include "model/live_status.h"
#include "transfer/memory_transfer.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>

// The control panel's dealings with the unit, without any widget: the
// connection procedure with port auto-detection, the handshake, the silence
// handling, the dispatch of received messages and their effect on the live
// status. The window follows through the signals, which mirror its views.
//
// Everything runs on the thread that owns the session (the GUI thread).
class UnitSession : public QObject
{
    Q_OBJECT

public:
    // Port setting that walks COM1..COM8 (compared case-sensitively).
    static constexpr const char* AutoDetect = "Auto Detect";
    static constexpr int AutoDetectPorts = 8;

    struct Timing
    {
        int connectPeriod = 500; // ms each candidate port gets to answer
        int refreshPause = 100;  // ms between the handshake's queries
        SerialPort::Timeouts port;
        MemoryTransfer::Timing transfer;
    };

    explicit UnitSession(QObject* parent = nullptr);

    void SetTiming(const Timing& timing);
    void SetPortSetting(const QString& setting) { portSetting = setting; }
    const QString& PortSetting() const { return portSetting; }
    int AutoDetectCounter() const { return autoDetectCounter; }
    // The names tried by auto-detection, %1 being 1..8 ("COM%1" by default;
    // tests point it at pseudo-terminals).
    void SetAutoDetectPattern(const QString& pattern) { autoDetectPattern = pattern; }

    // Shows "Not Connected" and starts probing the configured port.
    void Start();
    // Stops probing and closes the port.
    void Stop();

    // Asks the unit for its version and every variable; the second query
    // follows after a short pause so a slow unit is not flooded.
    void Refresh();

    UnitLink& Link() { return link; }
    const LiveStatus& Status() const { return status; }
    MemoryTransfer& Transfer() { return transfer; }
    bool IsProbing() const { return connectTimer.isActive(); }

    // Entry points of received messages, public so tests can feed payloads.
    void Dispatch(const QByteArray& payload);
    void ApplyReport(QByteArrayView payload);
    void ApplyVersion(QByteArrayView payload);
    void ApplyPsName(QByteArrayView payload);
    void ApplyRadioText(QByteArrayView payload);

Q_SIGNALS:
    // The views of the window, in the order the window must apply them.
    void connectionLineRefreshed();     // connection line and model-dependent items
    void connectionShown(bool connected);
    void mainPowerShown(bool on);       // the main room's controls follow main power
    void zonePowerShown(bool on);
    void tunerSectionUpdated(bool live);
    // A variable report. shown tells whether the panel displays it (its room
    // is on, its value is in range); unshown reports still matter to the
    // volume popup. value is signed where the variable is signed, the
    // unsigned 16-bit value for frequencies, else the unsigned byte.
    void reportApplied(int variable, int value, bool shown);
    void inputNameReported(int index, const QString& name);
    void psNameChanged(const QString& name);
    void radioTextChanged(const QString& text);

private:
    void OnConnectTimer();
    void OnLineSilent();
    void OnDeviceLost();
    void ShowDisconnected();
    void RefreshConnectionLine();
    void SetMainPower(bool on);
    void SetZonePower(bool on);
    void UpdateTunerSection();
    void SetPsName(const QString& name);
    void SetRadioText(const QString& text);
    void AfterPause(std::function<void()> step);

    Timing timing;
    UnitLink link;
    LiveStatus status;
    MemoryTransfer transfer;
    QTimer connectTimer;
    QString portSetting = QString::fromLatin1(AutoDetect);
    int autoDetectCounter = 0;
    QString autoDetectPattern = QStringLiteral("COM%1");
};
