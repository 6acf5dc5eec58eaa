#pragma once

#include "model/unit_configuration.h"
#include "transfer/memory_transfer.h"

#include <QObject>
#include <QString>

class UnitSession;

// Reads the unit's configuration as "Save Settings" does, fresh from the
// unit: the input names (any still unknown are asked for first), then the
// chosen parts, one read after another: the current setup (0), A/V presets
// 1..5 and the tuner presets (6), decoded with the unit's own AM step. An
// empty A/V preset stays absent and the read goes on. Each next step is
// posted, so a read never starts inside the callback of the one that ended.
//
// Each read is this object's own request: its result comes back here and
// nowhere else, so the Receiver Setup sheet opens nothing and an empty preset
// shows no message. A cancelled read, a size mismatch or a lost unit end it.
// Exactly one `finished` follows every Start that returned true.
class UnitConfigurationRead : public QObject
{
    Q_OBJECT

public:
    static constexpr int TunerStep = 6;

    explicit UnitConfigurationRead(UnitSession& session, QObject* parent = nullptr);

    bool IsRunning() const { return running; }
    int Step() const { return step; }

    // False when it cannot start: it runs already or the unit is not
    // connected.
    bool Start(const ConfigurationParts& parts = ConfigurationParts{});
    // Stops as a Cancel does: the running read is aborted.
    void Cancel();

Q_SIGNALS:
    // Everything chosen was read (`configuration` holds it), or the read
    // stopped with `error`, the message for the user.
    void finished(bool read, const UnitConfiguration& configuration, const QString& error);

private:
    void BeginReads();
    void StartStep(int number);
    int NextStep(int after) const;
    void OnResult(int number, const TransferResult& result);
    void PostNext(int finishedStep);
    void End(bool read, const QString& error);

    UnitSession& session;
    ConfigurationParts parts;
    UnitConfiguration configuration;
    bool running = false;
    int step = -1;
};
