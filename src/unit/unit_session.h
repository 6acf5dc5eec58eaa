#pragma once

#include "link/serial_port.h"
#include "link/unit_link.h"
#include "model/live_status.h"
#include "transfer/memory_transfer.h"
#include "unit/unit_commands.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

// The program's dealings with the unit, without any widget: the connection
// procedure with port auto-detection, the handshake, the silence handling
// and the dispatch of received reports to the live status. It owns the link,
// the live status, the commands and the memory transfers; views follow the
// live status's signals and send through the commands.
//
// Everything runs on the thread that owns the session (the GUI thread).
class UnitSession : public QObject
{
    Q_OBJECT

public:
    // Port setting that walks COM1..COM8 and then the USB serial adapters
    // present (compared case-sensitively).
    static constexpr const char* AutoDetect = "Auto Detect";
    static constexpr int AutoDetectPorts = 8;

    struct Timing
    {
        int connectPeriod = 500; // ms each candidate port gets to answer
        int refreshPause = 100;  // ms between the handshake's queries
        SerialPort::Timeouts port;
        MemoryTransfer::Timing transfer;
        int handshakeRetry = 1000; // ms before a version or name query is asked again
    };

    // Times a handshake query is asked again when its reply is lost.
    static constexpr int HandshakeRetries = 3;

    explicit UnitSession(QObject* parent = nullptr);

    void SetTiming(const Timing& timing);
    const Timing& CurrentTiming() const { return timing; }
    // `timing` with every wait for a reply fixed at periodMs (the echo wait
    // of an EEPROM write at most its own period); 0 leaves the waits
    // adaptive.
    static Timing WithRetryPeriod(Timing timing, int periodMs);
    void SetPortSetting(const QString& setting) { portSetting = setting; }
    // A port setting chosen while the program runs. A named port other than
    // the one in use closes the line, shows the unit disconnected and
    // restarts probing, whose next expiry opens the new port; "Auto Detect"
    // takes effect the next time probing runs.
    void ChangePortSetting(const QString& setting);
    const QString& PortSetting() const { return portSetting; }
    int AutoDetectCounter() const { return autoDetectCounter; }
    // The names tried by auto-detection, %1 being 1..8 ("COM%1" by default;
    // tests point it at pseudo-terminals).
    void SetAutoDetectPattern(const QString& pattern) { autoDetectPattern = pattern; }
    // The device paths auto-detection tries after the eighth port, asked
    // each time the walk passes it (PresentUsbAdapters by default).
    void SetAdapterLister(std::function<QStringList()> lister)
    {
        adapterLister = std::move(lister);
    }
    // The USB serial adapters present (ttyUSB*, ttyACM*), in number order.
    static QStringList PresentUsbAdapters();

    // Shows "Not Connected" and starts probing the configured port.
    void Start();
    // Stops probing, aborts a transfer and closes the port once every frame
    // already queued is on the line (at most DrainLimit ms).
    void Stop();
    static constexpr int DrainLimit = 1000;

    // Asks the unit for its version and every variable; the second query
    // follows after a short pause so a slow unit is not flooded.
    void Refresh();

    // Asks again for every input name not known yet, from the first such
    // input on; inputNamesSettled follows when the chain has ended (at once,
    // queued, when every name is known). A consumer that shows or saves
    // names calls this first.
    void FetchUnknownInputNames();

    UnitLink& Link() { return link; }
    LiveStatus& Live() { return status; }
    const LiveValues& Status() const { return status.Values(); }
    UnitCommands& Commands() { return commands; }
    MemoryTransfer& Transfer() { return transfer; }
    bool IsProbing() const { return connectTimer.isActive(); }

    // Entry point of received messages, public so tests can feed payloads.
    // Memory replies (types 29 and 30) reach the transfers from the link.
    void Dispatch(const QByteArray& payload);

Q_SIGNALS:
    // The chain of input-name queries has ended; names still unknown then
    // were lost on the line.
    void inputNamesSettled();
    // A probe could not open its port (the device path and why); emitted on
    // every failed attempt, so a view shows what it needs once.
    void portOpenFailed(const QString& path, SerialPort::OpenFailure reason);

private:
    void OnConnectTimer();
    QString NextAutoDetectPort();
    void OnConnected();
    void OnLineSilent();
    void OnDeviceLost();
    void StartProbing();
    void ShowConnectionLost();
    void AskVersion();
    void OnVersionRetry();
    void AskName(int index);
    void OnNameReported(int index);
    void OnNameRetry();
    void AskNextName(int from);
    void AfterPause(std::function<void()> step);

    Timing timing;
    UnitLink link;
    LiveStatus status;
    UnitCommands commands{link, status};
    MemoryTransfer transfer;
    QTimer connectTimer;
    ReplyTimer versionRetry;
    int versionAsks = 0;
    QElapsedTimer versionClock; // since the first ask, for the line's round trip
    QElapsedTimer nameClock;    // likewise for the pending name
    ReplyTimer nameRetry;
    int nameIndex = -1; // input whose name the chain waits for; -1 when none
    int nameAsks = 0;
    bool fetchingUnknown = false; // the chain asks only for names not known
    bool silenceProbed = false;   // a silent period sent the probe; not shown disconnected since
    bool heardSinceProbe = false; // a good frame arrived after that probe
    QString portSetting = QString::fromLatin1(AutoDetect);
    int autoDetectCounter = 0;
    QString autoDetectPattern = QStringLiteral("COM%1");
    std::function<QStringList()> adapterLister = &UnitSession::PresentUsbAdapters;
    QStringList adapters; // those of the current walk
};
