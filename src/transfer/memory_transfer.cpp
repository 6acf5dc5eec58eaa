#include "transfer/memory_transfer.h"

#include "common/message_table.h"
#include "link/message_set.h"
#include "link/unit_link.h"
#include "transfer/eeprom_map.h"
#include "transfer/transfer_bytes.h"

#include <utility>

using namespace TransferBytes;

MemoryTransfer::MemoryTransfer(UnitLink& unitLink, ModelFacts& unitFacts, QObject* parent)
    : QObject(parent), link(unitLink), facts(unitFacts)
{
    clock.start();
    connect(&link, &UnitLink::payloadReceived, this, &MemoryTransfer::OnLinkPayload);
    writeBackTimer.setTimerType(Qt::PreciseTimer);
    writeBackTimer.setSingleShot(true);
    connect(&liveRetry, &ReplyTimer::timeout, this, &MemoryTransfer::OnLiveRetry);
    connect(&eepromRetry, &ReplyTimer::timeout, this, &MemoryTransfer::OnEepromRetry);
    connect(&paceTimer, &ReplyTimer::timeout, this, &MemoryTransfer::OnPaceTimeout);
    connect(&writeBackTimer, &QTimer::timeout, this, &MemoryTransfer::WriteBack);
}

void MemoryTransfer::SetTiming(const Timing& newTiming)
{
    timing = newTiming;
}

void MemoryTransfer::NoteRoundTrip(qint64 ms)
{
    replyTimeout.Sample(ms);
}

// Ends a request that cannot start; false, for the caller to return.
bool MemoryTransfer::Refuse(TransferDone& done, const TransferMessage& message)
{
    TransferResult result;
    if (message.number != 0) {
        result.messages.append(message);
        Q_EMIT transferFailed(message.number, message.text);
    }
    if (auto callback = std::exchange(done, {}))
        callback(result);
    return false;
}

// A transfer asked for while no unit is there would only retry into the void.
bool MemoryTransfer::RefusedForLostUnit(TransferDone& done)
{
    if (!unitLost)
        return false;
    Refuse(done, Say(Message::ReadLost, Text(Message::ReadLost)));
    return true;
}

bool MemoryTransfer::IsReading() const
{
    switch (state.phase) {
    case TransferPhase::LiveRead:
    case TransferPhase::PresetSize:
    case TransferPhase::PresetBlock:
    case TransferPhase::Table:
    case TransferPhase::Name:
    case TransferPhase::Tuner:
    case TransferPhase::Range:
        return true;
    default:
        return false;
    }
}

bool MemoryTransfer::IsWriting() const
{
    return state.phase == TransferPhase::LiveWrite || state.phase == TransferPhase::EepromWrite;
}

bool MemoryTransfer::IsBusy() const
{
    return IsReading() || IsWriting() || writeBackTimer.isActive();
}

int MemoryTransfer::TransferSize() const
{
    return IsWriting() ? static_cast<int>(job.data.size()) : stepsTotal;
}

int MemoryTransfer::PresetAddress(int preset) const
{
    const int size = facts.blockSize;
    if (!EepromMap::IsPresetNumber(preset) || !SettingsImage::IsAcceptableBlockSize(size))
        return -1;
    return EepromMap::PresetAddress(facts.BlockSizeAddress(), size, preset);
}

QString MemoryTransfer::Text(int message) const
{
    return MessageTable::Text(message);
}

QString MemoryTransfer::ModelName() const
{
    return facts.modelText;
}

// The message for a block size that cannot be used; number 0 when it can.
TransferMessage MemoryTransfer::SizeProblem(int size) const
{
    if (SettingsImage::IsAcceptableBlockSize(size))
        return {};
    // A raw 0xFF decodes to -1 as well: only a size never reported is unknown.
    if (size < 0 && !sizeReported)
        return Say(Message::BlockSizeUnknown, Text(Message::BlockSizeUnknown));
    return Say(Message::BlockSizeInvalid, Text(Message::BlockSizeInvalid).arg(size));
}

// The image must hold a block of the unit's size before it is written.
TransferMessage MemoryTransfer::FitProblem(const SettingsImage& source) const
{
    const int size = facts.blockSize;
    TransferMessage problem = SizeProblem(size);
    if (problem.number == 0 && source.Size() != size)
        problem =
            Say(Message::BlockMismatch, Text(Message::BlockMismatch).arg(source.Size()).arg(size));
    return problem;
}

// ---------------------------------------------------------------- progress

void MemoryTransfer::SetPhase(TransferPhase phase)
{
    state.phase = phase;
}

void MemoryTransfer::Begin(TransferPhase phase, const QString& text, int steps, TransferDone done)
{
    SetPhase(phase);
    readDone = std::move(done);
    // The losses of an earlier transfer do not lengthen this one's waits.
    replyTimeout = replyTimeout.Settled();
    stepsDone = 0;
    stepsTotal = steps > 0 ? steps : 1;
    percentShown = -1;
    Q_EMIT transferStarted(text);
    SetProgress(0);
}

// Every transfer ends here, whatever its phase: nothing is pending after it.
// A block-size read asked for while a write ran starts now, after the slots
// of transferFinished have seen an idle engine.
void MemoryTransfer::Finish(Outcome outcome)
{
    SetPhase(TransferPhase::Idle);
    state.memAddress = TransferState::IdleAddress;
    state.setupIndex = TransferState::IdleIndex;
    liveRetry.stop();
    eepromRetry.stop();
    paceTimer.stop();
    Q_EMIT transferFinished(outcome);
    if (sizeReadWanted && state.phase == TransferPhase::Idle) {
        sizeReadWanted = false;
        ReadBlockSize();
    }
}

// Ends the running read with its result: the progress window closes first,
// then the message is said, then the requester hears.
void MemoryTransfer::EndRead(TransferResult result)
{
    TransferDone done = std::exchange(readDone, {});
    Finish(result.kind == TransferResult::Kind::DataRead  ? Outcome::Completed
           : result.kind == TransferResult::Kind::Aborted ? Outcome::Aborted
                                                          : Outcome::Failed);
    Announce(result.messages);
    if (done)
        done(result);
}

// Ends the running read early and tells the user why.
void MemoryTransfer::Fail(int message, const QString& text)
{
    TransferResult result;
    result.presetNumber = state.presetNumber;
    result.messages.append(Say(message, text));
    EndRead(std::move(result));
}

void MemoryTransfer::Announce(const QList<TransferMessage>& messages)
{
    for (const TransferMessage& message : messages)
        Q_EMIT transferFailed(message.number, message.text);
}

void MemoryTransfer::Advance()
{
    ++stepsDone;
    SetProgress(stepsDone * 100 / stepsTotal);
}

void MemoryTransfer::SetProgress(int percent)
{
    if (percent == percentShown)
        return;
    percentShown = percent;
    Q_EMIT progressChanged(percent);
}

// ---------------------------------------------------------------- requests

void MemoryTransfer::Sent(int key, bool again)
{
    if (!again || exchange.key != key)
        exchange = {key, clock.elapsed(), -1, 0};
    ++exchange.sends;
    awaitingReply = true;
}

void MemoryTransfer::Answered()
{
    if (!awaitingReply)
        return;
    awaitingReply = false;
    exchange.answeredMs = clock.elapsed();
    if (exchange.sends == 1) {
        replyTimeout.Sample(exchange.answeredMs - exchange.firstSentMs);
        return;
    }
    replyTimeout.EndLosses();
    resentAnswered = exchange;
}

void MemoryTransfer::Stray(int key)
{
    if (key != resentAnswered.key)
        return;
    replyTimeout.Sample(resentAnswered.answeredMs - resentAnswered.firstSentMs);
    resentAnswered = {};
}

int MemoryTransfer::ReplyWait(int ceilingMs) const
{
    return timing.adaptive ? replyTimeout.Wait(timing.retryFloor, ceilingMs) : ceilingMs;
}

void MemoryTransfer::NoteTimeout(int waitedMs, int ceilingMs)
{
    replyTimeout.Backoff();
    Q_EMIT requestResent(waitedMs, ReplyWait(ceilingMs));
}

void MemoryTransfer::SendLiveRead(int index, bool again)
{
    state.setupIndex = index;
    link.SendFrame({MessageType::LiveSetup, MemoryOp::Read, static_cast<std::uint8_t>(index)});
    Sent(LiveKey + index, again);
    liveRetry.start(ReplyWait(timing.retry), timing.retry);
}

void MemoryTransfer::SendLiveWrite(bool again)
{
    const int index = state.setupIndex;
    link.SendFrame({MessageType::LiveSetup, MemoryOp::Write, static_cast<std::uint8_t>(index),
                    At(job.data, index)});
    Sent(LiveKey + index, again);
    liveRetry.start(ReplyWait(timing.retry), timing.retry);
}

void MemoryTransfer::SendEepromRead(int address, bool again)
{
    state.memAddress = address;
    link.SendFrame({MessageType::Eeprom, MemoryOp::Read, Low(address), High(address)});
    Sent(address, again);
    eepromRetry.start(ReplyWait(timing.retry), timing.retry);
}

void MemoryTransfer::OnLiveRetry()
{
    if (state.phase != TransferPhase::LiveRead && state.phase != TransferPhase::LiveWrite)
        return;
    // Without a reply pending, this is the repeat of a write the unit
    // answered with another value: no loss.
    if (awaitingReply)
        NoteTimeout(liveRetry.interval(), timing.retry);
    if (state.phase == TransferPhase::LiveRead)
        SendLiveRead(state.setupIndex, true);
    else
        SendLiveWrite(true);
}

void MemoryTransfer::OnEepromRetry()
{
    if (state.memAddress == TransferState::IdleAddress || IsWriting())
        return;
    NoteTimeout(eepromRetry.interval(), timing.retry);
    SendEepromRead(state.memAddress, true);
}

void MemoryTransfer::OnLinkPayload(const QByteArray& payload)
{
    if (payload.isEmpty())
        return;
    unitLost = false; // whatever it says, the unit is there again
    for (ReplyTimer* wait : {&liveRetry, &eepromRetry, &paceTimer})
        wait->NoteTraffic();
    if (payload[0] == static_cast<char>(MessageType::LiveSetup))
        HandleLiveSetupReply(payload);
    else if (payload[0] == static_cast<char>(MessageType::Eeprom))
        HandleEepromReply(payload);
}

// ---------------------------------------------------------------- lost unit

void MemoryTransfer::ConnectionLost()
{
    unitLost = true;
    // The next unit may sit on another cable: learn its line afresh.
    replyTimeout = {};
    if (writeBackTimer.isActive()) {
        // Announced to nobody yet: say only that nothing was written.
        writeBackTimer.stop();
        Refuse(writeBack.done, Say(Message::ReadLost, Text(Message::ReadLost)));
    }
    sizeReadWanted = false;
    if (IsWriting()) {
        const int all = runBytes + QueuedBytes();
        EndRun(Outcome::Failed,
               {Say(Message::WriteLost, Text(Message::WriteLost).arg(runConfirmed).arg(all))});
        return;
    }
    if (IsReading()) {
        Fail(Message::ReadLost, Text(Message::ReadLost));
        return;
    }
    // A size read of its own: the next connection asks again.
    SetPhase(TransferPhase::Idle);
    state.memAddress = TransferState::IdleAddress;
    eepromRetry.stop();
}

int MemoryTransfer::QueuedBytes() const
{
    int bytes = 0;
    for (const WriteJob& waiting : queued)
        bytes += static_cast<int>(waiting.data.size());
    return bytes;
}

// ---------------------------------------------------------------- abort

void MemoryTransfer::Abort()
{
    // A write-back that has not begun yet is dropped without a word: no
    // transfer was announced for it. So is a size read of its own.
    if (writeBackTimer.isActive()) {
        writeBackTimer.stop();
        TransferResult aborted;
        aborted.kind = TransferResult::Kind::Aborted;
        aborted.amStepSize = writeBack.amStepSize;
        if (auto done = std::exchange(writeBack.done, {}))
            done(aborted);
    }
    sizeReadWanted = false;
    if (IsWriting()) {
        EndRun(Outcome::Aborted, {});
        return;
    }
    if (IsReading()) {
        TransferResult result;
        result.kind = TransferResult::Kind::Aborted;
        result.presetNumber = state.presetNumber;
        EndRead(std::move(result));
        return;
    }
    SetPhase(TransferPhase::Idle);
    state.memAddress = TransferState::IdleAddress;
    eepromRetry.stop();
}
