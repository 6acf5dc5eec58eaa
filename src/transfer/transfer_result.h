#pragma once

#include "model/settings_image.h"
#include "model/tuner_preset_list.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

// A message for the user: its number in the message table and its text with
// the arguments filled in.
struct TransferMessage
{
    int number = 0;
    QString text;
};

// How one transfer request ended. Every request the engine takes ends with
// exactly one result, handed to the requester's callback and to nobody else;
// a request refused at once (another transfer runs, no usable block size, the
// unit is lost) ends Failed before the call returns.
struct TransferResult
{
    enum class Kind
    {
        DataRead,    // a read completed: image, tuner or bytes hold what it read
        PresetEmpty, // ReadPreset: the preset's status byte says it holds nothing
        Written,     // every byte of the write was confirmed
        Failed,      // refused, cut short, or bytes refused; messages say why
        Aborted,     // Abort (Cancel in the progress window, a stopped session)
    };

    Kind kind = Kind::Failed;
    int presetNumber = -1; // setup reads and writes: 0 current setup, 1..5 A/V preset

    // DataRead of a setup block: the block with its table (and, for a preset,
    // its name).
    SettingsImage image;
    // DataRead of the tuner presets: decoded with amStepSize, the unit's step
    // as this read found it. A tuner write: the step it encoded with.
    TunerPresetList tuner;
    int amStepSize = 0; // kHz, 9 or 10; 0 where no step is involved
    // DataRead of ReadEeprom: `bytes` from `address` on.
    int address = -1;
    QByteArray bytes;

    // Writes: bytes of this request confirmed by the unit, of `total`; the
    // EEPROM addresses it refused; the live-setup positions it held at a value
    // of its own (confirmed all the same).
    int confirmed = 0;
    int total = 0;
    QList<int> refused;
    QList<int> clamped;

    // What the user is told about this request, in order; the first says why
    // a Failed request failed (none when it was refused only because another
    // transfer ran).
    QList<TransferMessage> messages;

    bool Succeeded() const { return kind == Kind::DataRead || kind == Kind::Written; }
    int MessageNumber() const { return messages.isEmpty() ? 0 : messages.constFirst().number; }
    QString Text() const { return messages.isEmpty() ? QString() : messages.constFirst().text; }
};

// Called once with the request's result, on the engine's thread. For a
// request that ran, after its transferFinished: the engine is idle then (or
// runs the writes queued behind it), so the callback may start the next
// transfer. For a refused request, before the call returns.
using TransferDone = std::function<void(const TransferResult&)>;

// The callback for a requester that is a QObject: dropped when the requester
// is destroyed before its request ends (a window closed while the session
// still runs the transfer).
template <typename Receiver, typename Function>
TransferDone ResultTo(Receiver* receiver, Function function)
{
    return [guard = QPointer<Receiver>(receiver),
            function = std::move(function)](const TransferResult& result) {
        if (guard)
            function(result);
    };
}
