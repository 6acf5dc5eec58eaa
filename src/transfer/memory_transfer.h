#pragma once

#include "model/settings_image.h"
#include "model/tuner_preset_list.h"
#include "transfer/reply_timer.h"
#include "transfer/retry_timeout.h"
#include "transfer/transfer_result.h"
#include "transfer/transfer_state.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

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
// Errors: nothing here throws or opens a window. Every request (a read, a
// write) ends exactly once with its own TransferResult, handed to the
// callback passed with it and to nobody else: the data read, an empty
// preset, written, failed with what was and was not written and the
// message, or aborted. What a request depends on (the AM step of a tuner
// write) travels with it; no request sees another's. A message for the user
// is in the result and is also announced by transferFailed, for the one
// place that shows messages (the GUI's presenter); only the GUI and the
// command line turn results into words.
//
// A transfer is one read (current setup, A/V preset, tuner presets, EEPROM
// range) or one run of writes. It begins with transferStarted and ends with
// exactly one transferFinished; the GUI disables the panel and shows the
// progress window in between. Results follow transferFinished, so a callback
// may start the next transfer or open a modal window: the engine is idle by
// then. Reads are refused while anything runs; writes queue behind a running
// write and run in the order they were asked for, as one run whose results
// are handed out in that order when the run ends.
class MemoryTransfer : public QObject
{
    Q_OBJECT

public:
    // With `adaptive`, retry and pace are ceilings: the wait for a reply
    // follows the round trips the line has shown (RetryTimeout). Without it
    // every wait is the period itself.
    struct Timing
    {
        int retry = 1000;         // ms before a pending request is sent again
        int pace = 750;           // ms an EEPROM write waits for its echo before sending again
        int writeBackDelay = 150; // ms between WriteTunerPresets and the write it starts
        bool adaptive = true;
        // The shortest adaptive wait, about five frames' time at 9600 baud (a
        // read and its reply take about 15 ms): a unit is never asked faster
        // than it can answer, nor a busy computer's pause taken for a loss.
        int retryFloor = 40;
    };

    // How a transfer ended, for the progress window; the requester's result
    // says more.
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

    // The wait for a reply to a request of the session's own (the
    // handshake's queries), at most ceilingMs; and what became of it: a
    // round trip measured on a request sent once, or a wait of waitedMs that
    // ended without a reply (announced as requestResent). The transfers
    // learn from these and the session from the transfers'.
    int ReplyWait(int ceilingMs) const;
    void NoteRoundTrip(qint64 ms);
    void NoteTimeout(int waitedMs, int ceilingMs);
    const TransferState& State() const { return state; }
    // A transfer runs, or a tuner write-back is scheduled.
    bool IsBusy() const;
    // The bytes the running transfer moves: the reads of a read, the bytes
    // of the write under way; what progressChanged's percent is a part of.
    int TransferSize() const;

    // EEPROM address of the status byte of A/V preset 1..5 for the block size
    // in force; -1 when the size is unknown or unusable, or the number is not
    // a preset.
    int PresetAddress(int preset) const;

    // The connection's own read of the block size byte at the base of the
    // setup area; repeated every retry period until answered. The answer
    // lands in the facts' blockSize and is announced by blockSizeRead.
    // Ignored while a read runs; asked while a write runs, it starts when the
    // write run has ended. It is not a transfer: no progress, no result.
    void ReadBlockSize();

    // Reads. Each returns false when it cannot start, with nothing sent and
    // `done` already called with a Failed result: another transfer runs, or
    // (with the message) the unit is lost or the block size is unknown or
    // outside 1..96 (a read of the current setup then also asks the unit for
    // the size again).
    //
    // The current setup: live bytes 0..S-1, then its surround mode table.
    // DataRead with the image, presetNumber 0.
    bool ReadCurrentSetup(TransferDone done = {});
    // A/V preset 1..5: the block size again, the status byte, the block, its
    // table and its name. DataRead with the image, PresetEmpty, or Failed with
    // message SizeMismatch.
    bool ReadPreset(int preset, TransferDone done = {});
    // The AM step flag and the tuner preset image. DataRead with the list
    // decoded with the step just read, and that step.
    bool ReadTunerPresets(TransferDone done = {});
    // `count` bytes from `address` on, as the unit holds them (a check of
    // what a write left). DataRead with the bytes; refused for an empty range
    // or one outside the 16-bit address space.
    bool ReadEeprom(int address, int count, TransferDone done = {});

    // Writes. Each copies what it writes at once and returns false when it
    // cannot be queued, `done` already called with a Failed result: a read
    // runs, nothing to write, the range does not fit a 16-bit address, or
    // (with the message) the unit is lost or the block size is unusable.
    // Otherwise Written, or Failed with the bytes confirmed and the addresses
    // refused, or Aborted.
    //
    // 0: WriteCurrentSetup; 1..5: WritePreset; anything else writes nothing.
    bool WriteSetup(int presetNumber, const SettingsImage& image, TransferDone done = {});
    // The image's block into the live setup, each byte confirmed by the unit's
    // echo (repeated until it is), then the end-of-write frame.
    bool WriteCurrentSetup(const SettingsImage& image, TransferDone done = {});
    // The image's block and surround table at P(k) + 1, then its name at
    // 643 + 13·k. The status byte is left alone.
    bool WritePreset(int preset, const SettingsImage& image, TransferDone done = {});
    // `data` at `address` onwards, one paced write per byte. A byte counts
    // as written only when the unit confirms it: by its echo, or, when the
    // echo is missing or different, by reading the address back. It is sent
    // again until confirmed; a unit that still holds another value after
    // MaxWriteSends has refused it, and the run ends Failed with those
    // addresses. No byte is ever skipped silently; the first matching echo
    // moves on at once.
    bool WriteEeprom(QByteArrayView data, int address, TransferDone done = {});
    bool WriteEepromByte(std::uint8_t value, int address, TransferDone done = {});
    // Encodes the list for `amStepSize` (kHz, the unit's step as the
    // requester read it) into the tuner preset image and writes it at 32
    // after the write-back delay. The AM step flag is never written. The
    // result carries the step it encoded with. Refused while another tuner
    // write waits for its delay.
    bool WriteTunerPresets(const TunerPresetList& presets, int amStepSize, TransferDone done = {});

    // Stops whatever runs after the request in flight and drops queued
    // writes: their requests end Aborted (a write whose bytes were all
    // confirmed before, Written).
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

    // The unit answered the connection's block-size read; size is already
    // decoded.
    void blockSizeRead(int size);
    // A message for the user (number and text from the message table), the
    // same its requester finds in its result; after transferFinished.
    void transferFailed(int message, const QString& text);
    // A request is sent again: `waitedMs` passed without its reply, and
    // `nextWaitMs` is the wait now in force (for a trace of the line).
    void requestResent(int waitedMs, int nextWaitMs);

private:
    // One write request: its callback and what became of its bytes. Its
    // jobs (two for an A/V preset) share it.
    struct WriteRequest
    {
        TransferDone done;
        int total = 0;
        int confirmed = 0;
        QList<int> refused;
        QList<int> clamped;
    };

    struct WriteJob
    {
        bool live = false; // live setup, else EEPROM
        int address = 0;   // EEPROM address of data[0]
        QByteArray data;
        QString title; // progress text while it runs
        std::shared_ptr<WriteRequest> request;
    };

    // A tuner write waiting for its write-back delay.
    struct WriteBackRequest
    {
        TunerPresetList::Image image{};
        int amStepSize = 0;
        TransferDone done;
    };

    bool Refuse(TransferDone& done, const TransferMessage& message = {});
    bool RefusedForLostUnit(TransferDone& done);
    bool IsReading() const;
    bool IsWriting() const;
    TransferMessage SizeProblem(int size) const;
    TransferMessage FitProblem(const SettingsImage& source) const;
    TransferMessage Say(int message, const QString& text) const { return {message, text}; }
    QString Text(int message) const;
    QString ModelName() const;

    void Begin(TransferPhase phase, const QString& text, int steps, TransferDone done = {});
    void SetPhase(TransferPhase phase);
    void Finish(Outcome outcome);
    void EndRead(TransferResult result);
    void Fail(int message, const QString& text);
    void Announce(const QList<TransferMessage>& messages);
    void Advance();
    void SetProgress(int percent);

    // Every request that waits for a reply goes through Sent, with the key of
    // the reply it waits for (an EEPROM address, or LiveKey + a live index);
    // `again` for a resend of the pending one. Answered takes the round trip
    // of a request answered at its first send. A request answered only after
    // resends gives no sample, unless Stray then sees a second answer to it:
    // the first answer belonged to an earlier send, so the line has grown
    // slower than the wait, and its time from the first send is learnt.
    static constexpr int LiveKey = 0x10000;
    void Sent(int key, bool again);
    void Answered();
    void Stray(int key);

    void SendLiveRead(int index, bool again = false);
    void SendLiveWrite(bool again = false);
    void SendEepromRead(int address, bool again = false);
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
    void SendWriteByte(bool again);
    void SendReadBack();
    void OnWriteEcho(int address, std::uint8_t value);
    void OnPaceTimeout();
    void NextWriteByte(bool confirmed);
    void FinishJob();
    void EndRun(Outcome outcome, QList<TransferMessage> messages);
    int QueuedBytes() const;
    void WriteBack();

    UnitLink& link;
    ModelFacts& facts;
    Timing timing;
    TransferState state;

    // The running read: its requester and what it has read so far. An
    // aborted read leaves them partly filled; the next read starts afresh.
    TransferDone readDone;
    SettingsImage image;
    TunerPresetList::Image tunerImage{};
    int tunerStep = TunerPresetList::AmStep10; // the AM step this tuner read found
    QByteArray range;                          // ReadEeprom: the bytes read so far
    int rangeBase = 0;                         // and the address of the first

    bool sizeReported = false;   // the unit has answered a block-size read
    bool sizeReadWanted = false; // asked for while a write ran
    bool unitLost = false;       // ConnectionLost, and the unit has sent nothing since

    int stepsDone = 0;
    int stepsTotal = 1;
    int percentShown = -1;

    // The running write, those queued behind it, and the requests of the run.
    WriteJob job;
    std::deque<WriteJob> queued;
    std::vector<std::shared_ptr<WriteRequest>> runRequests;
    WriteBackRequest writeBack;
    int byteIndex = 0;        // byte of job in flight
    int sends = 0;            // EEPROM writes of that byte so far
    bool readingBack = false; // the last request for it was a read-back
    int otherValue = -1;      // live setup: the other value the unit last answered
    int otherAnswers = 0;     // times running it answered that value
    int runBytes = 0;         // bytes of the whole run, for the messages
    int runConfirmed = 0;     // bytes of the run confirmed so far
    QList<int> runRefused;    // EEPROM addresses the unit refused
    QList<int> runClamped;    // live-setup positions the unit held at its own value

    // One request and its answer, for the round trips.
    struct Exchange
    {
        int key = -1;
        qint64 firstSentMs = 0;
        qint64 answeredMs = -1;
        int sends = 0;
    };
    RetryTimeout replyTimeout;  // what the line's round trips have shown
    QElapsedTimer clock;        // the engine's time, for the exchanges
    Exchange exchange;          // the request pending or last answered
    Exchange resentAnswered;    // the last answered after resends, until a second answer
    bool awaitingReply = false; // exchange has not been answered

    ReplyTimer liveRetry;   // resends the pending live-setup request
    ReplyTimer eepromRetry; // resends the pending EEPROM read
    ReplyTimer paceTimer;   // echo time-out of the EEPROM byte in flight
    QTimer writeBackTimer;
};
