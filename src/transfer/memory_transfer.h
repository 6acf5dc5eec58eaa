#pragma once

#include "model/settings_image.h"
#include "model/tuner_preset_list.h"
#include "transfer/transfer_state.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <deque>

class ModelFacts;
class UnitLink;

// Moves bytes between the program and the receiver's memories: the live
// setup (type 29, 8-bit index) and the EEPROM (type 30, 16-bit address), one
// byte per request. A read request is repeated by its retry timer until the
// reply that answers it arrives or the transfer is aborted; every other reply
// is ignored and never stops the retry.
//
// Runs on the owner's thread and never blocks: each step is driven by a reply
// or a timer. It listens to the link's payloads itself and takes the type-29
// and type-30 ones. The model facts are those of the attached unit; the
// engine writes only their block size, when the unit reports it.
//
// A transfer is one read (current setup, A/V preset, tuner presets) or one run
// of writes. It begins with transferStarted and ends with exactly one
// transferFinished; the GUI disables the panel and shows the progress window
// in between. Results and messages follow transferFinished, so a slot may
// start the next transfer or open a modal window from them: the engine is idle
// by then. Reads are refused while anything runs; writes queue behind a
// running write and run in the order they were asked for.
//
// A setup block read leaves with setupBlockRead as a copy: the consumer
// (the setup sheet, the settings-file save) edits its own and hands it to
// WriteSetup. The engine's buffers keep what the last read left in them; an
// aborted read leaves them partly filled.
class MemoryTransfer : public QObject
{
    Q_OBJECT

public:
    struct Timing
    {
        int retry = 1000;         // ms before a pending request is sent again
        int pace = 750;           // ms an EEPROM write waits for its echo before sending again
        int writeBackDelay = 150; // ms between WriteTunerPresets and the write it starts
    };

    enum class Outcome
    {
        Completed, // everything was read, or every byte was written and confirmed
        Failed,    // ended early: empty preset, size mismatch, unconfirmed bytes
        Aborted,   // Abort (Cancel in the progress window)
    };
    Q_ENUM(Outcome)

    // Sends of one EEPROM byte, the first included, after which a unit that
    // still answers with another value has refused it.
    static constexpr int MaxWriteSends = 5;
    // Answers with the same other value after which a live-setup byte is
    // taken as the unit's own limit.
    static constexpr int LiveClampAnswers = 3;

    MemoryTransfer(UnitLink& link, ModelFacts& facts, QObject* parent = nullptr);

    void SetTiming(const Timing& timing);
    const TransferState& State() const { return state; }
    // A transfer runs, or a tuner write-back is scheduled.
    bool IsBusy() const;
    // The bytes the running transfer moves: the reads of a read, the bytes
    // of the write under way; what progressChanged's percent is a part of.
    int TransferSize() const;

    // The setup block with its surround mode table and preset name as the
    // last read left it.
    const SettingsImage& Image() const { return image; }
    // The 350 bytes at EEPROM 32..381 as last read or written.
    const TunerPresetList::Image& TunerImage() const { return tunerImage; }

    // EEPROM address of the status byte of A/V preset 1..5 for the block size
    // in force; -1 when the size is unknown or unusable, or the number is not
    // a preset.
    int PresetAddress(int preset) const;

    // While set, the reads feed the settings-file save instead of a dialog
    // (the GUI shows no "Preset is empty..." then). Abort clears it.
    void SetSavingToFile(bool saving) { state.savingToFile = saving; }

    // Reads the block size byte at the base of the setup area; repeated every
    // retry period until answered. The answer lands in the facts' blockSize
    // and is announced by blockSizeRead. Ignored while a read runs; asked
    // while a write runs, it starts when the write run has ended.
    void ReadBlockSize();

    // Reads. Each returns false, with nothing sent, when it cannot start:
    // another transfer runs, or (with transferFailed) the block size is
    // unknown or outside 1..96 (a read of the current setup then also asks
    // the unit for the size again).
    //
    // The current setup: live bytes 0..S-1, then its surround mode table.
    // Ends with setupBlockRead(0).
    bool ReadCurrentSetup();
    // A/V preset 1..5: the block size again, the status byte, the block, its
    // table and its name. Ends with setupBlockRead(k), or early with
    // presetEmpty(k) or message SizeMismatch.
    bool ReadPreset(int preset);
    // The AM step flag and the tuner preset image. Ends with tunerPresetsRead.
    bool ReadTunerPresets();
    // `count` bytes from `address` on, as the unit holds them (a check of
    // what a write left). Ends with eepromRead; false for an empty range or
    // one outside the 16-bit address space.
    bool ReadEeprom(int address, int count);

    // Writes. Each copies what it writes at once and returns false when it
    // cannot be queued: a read runs, nothing to write, the range does not fit
    // a 16-bit address, or (with transferFailed) the block size is unusable.
    //
    // 0: WriteCurrentSetup; 1..5: WritePreset; anything else writes nothing.
    bool WriteSetup(int presetNumber, const SettingsImage& image);
    // The image's block into the live setup, each byte confirmed by the unit's
    // echo (repeated until it is), then the end-of-write frame.
    bool WriteCurrentSetup(const SettingsImage& image);
    // The image's block and surround table at P(k) + 1, then its name at
    // 643 + 13·k. The status byte is left alone.
    bool WritePreset(int preset, const SettingsImage& image);
    // `data` at `address` onwards, one paced write per byte. A byte counts
    // as written only when the unit confirms it: by its echo, or, when the
    // echo is missing or different, by reading the address back. It is sent
    // again until confirmed; a unit that still holds another value after
    // MaxWriteSends has refused it, and the run ends Failed with those
    // addresses. No byte is ever skipped silently; the first matching echo
    // moves on at once. Ends with eepromWriteFinished.
    bool WriteEeprom(QByteArrayView data, int address);
    bool WriteEepromByte(std::uint8_t value, int address);
    // Encodes the list for the unit's AM step into the tuner preset image
    // and writes it at 32 after the write-back delay. The AM step flag is
    // never written.
    bool WriteTunerPresets(const TunerPresetList& presets);

    // Stops whatever runs after the request in flight and drops queued
    // writes; leaves the buffers as far as they were filled.
    void Abort();
    // The unit is gone (the session declared the connection lost): whatever
    // runs ends at once, Failed, with a message that says what was done: for
    // a write, how many bytes from the start were confirmed; for a read,
    // that nothing was changed. Nothing more is sent.
    void ConnectionLost();
    // After it, until the unit sends anything again, every start of a
    // transfer is refused with the message ReadLost.

Q_SIGNALS:
    // A transfer began: disable the panel, show the progress window with text.
    void transferStarted(const QString& text);
    // 0..100, only when it changes.
    void progressChanged(int percent);
    // New text for the running progress window.
    void progressTextChanged(const QString& text);
    // The transfer ended: close the progress window, enable the panel.
    void transferFinished(MemoryTransfer::Outcome outcome);

    // The unit answered the block-size read; size is already decoded.
    void blockSizeRead(int size);
    // The block just read, with its table (and, for a preset, its name).
    // presetNumber 0 is the current setup.
    void setupBlockRead(int presetNumber, const SettingsImage& image);
    // The tuner presets just read, decoded with the unit's AM step.
    void tunerPresetsRead(const TunerPresetList& presets);
    // The bytes of a ReadEeprom, from `address` on.
    void eepromRead(int address, const QByteArray& bytes);
    // The status byte of the preset says it holds nothing.
    void presetEmpty(int presetNumber);
    // The live setup took every byte; the end-of-write frame has been sent.
    void liveSetupWritten();
    // One EEPROM write ended; confirmed is false when the unit refused a
    // byte or the write was stopped.
    void eepromWriteFinished(int address, int count, bool confirmed);
    // A message for the user (number and text from the message table).
    void transferFailed(int message, const QString& text);

private:
    struct WriteJob
    {
        bool live = false; // live setup, else EEPROM
        int address = 0;   // EEPROM address of data[0]
        QByteArray data;
        QString title; // progress text while it runs
    };

    bool RefusedForLostUnit();
    bool IsReading() const;
    bool IsWriting() const;
    bool CheckBlockSize(int size);
    bool CheckImageFits(const SettingsImage& source);
    QString Text(int message) const;
    QString ModelName() const;

    void Begin(TransferPhase phase, const QString& text, int steps);
    void SetPhase(TransferPhase phase);
    void Finish(Outcome outcome);
    void Fail(int message, const QString& text);
    void Advance();
    void SetProgress(int percent);

    void SendLiveRead(int index);
    void SendLiveWrite();
    void SendEepromRead(int address);
    void OnLiveRetry();
    void OnEepromRetry();

    void OnLinkPayload(const QByteArray& payload);
    void HandleLiveSetupReply(QByteArrayView payload);
    void HandleEepromReply(QByteArrayView payload);
    void OnRangeByte(int address, std::uint8_t value);
    void OnBlockSize(std::uint8_t value);
    void StartPresetBlock();
    void OnTunerByte(int address, std::uint8_t value);
    void OnPresetByte(int address, std::uint8_t value);
    void OnTableByte(int address, std::uint8_t value);
    void OnNameByte(int address, std::uint8_t value);
    void CompleteSetupRead();

    bool Enqueue(WriteJob job);
    void StartJob();
    void StartLiveByte(int index);
    void OnLiveEcho(int index, std::uint8_t value);
    void StartWriteByte();
    void SendWriteByte();
    void SendReadBack();
    void OnWriteEcho(int address, std::uint8_t value);
    void OnPaceTimeout();
    void NextWriteByte(bool confirmed);
    void FinishJob();
    void SayClamped(const QList<int>& clamped);
    int QueuedBytes() const;
    void WriteBack();

    UnitLink& link;
    ModelFacts& facts;
    Timing timing;
    TransferState state;

    SettingsImage image;
    TunerPresetList::Image tunerImage{};
    QByteArray range;  // ReadEeprom: the bytes read so far
    int rangeBase = 0; // and the address of the first

    bool sizeReported = false;   // the unit has answered a block-size read
    bool sizeReadWanted = false; // asked for while a write ran
    bool unitLost = false;       // ConnectionLost, and the unit has sent nothing since

    int stepsDone = 0;
    int stepsTotal = 1;
    int percentShown = -1;

    // The running write and those queued behind it.
    WriteJob job;
    std::deque<WriteJob> queued;
    int byteIndex = 0;        // byte of job in flight
    int sends = 0;            // EEPROM writes of that byte so far
    bool readingBack = false; // the last request for it was a read-back
    int otherValue = -1;      // live setup: the other value the unit last answered
    int otherAnswers = 0;     // times running it answered that value
    bool jobRefused = false;  // the unit refused a byte of job
    int runBytes = 0;         // bytes of the whole run, for the messages
    int runConfirmed = 0;     // bytes of the run confirmed so far
    QList<int> runRefused;    // EEPROM addresses the unit refused
    QList<int> runClamped;    // live-setup positions the unit held at its own value

    QTimer liveRetry;   // resends the pending live-setup request
    QTimer eepromRetry; // resends the pending EEPROM read
    QTimer paceTimer;   // echo time-out of the EEPROM byte in flight
    QTimer writeBackTimer;
};
