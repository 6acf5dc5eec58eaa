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
    connect(&link, &UnitLink::payloadReceived, this, &MemoryTransfer::OnLinkPayload);
    for (QTimer* timer : {&liveRetry, &eepromRetry, &paceTimer, &writeBackTimer})
        timer->setTimerType(Qt::PreciseTimer);
    paceTimer.setSingleShot(true);
    writeBackTimer.setSingleShot(true);
    connect(&liveRetry, &QTimer::timeout, this, &MemoryTransfer::OnLiveRetry);
    connect(&eepromRetry, &QTimer::timeout, this, &MemoryTransfer::OnEepromRetry);
    connect(&paceTimer, &QTimer::timeout, this, &MemoryTransfer::OnPaceTimeout);
    connect(&writeBackTimer, &QTimer::timeout, this, &MemoryTransfer::WriteBack);
}

void MemoryTransfer::SetTiming(const Timing& newTiming)
{
    timing = newTiming;
}

// A transfer asked for while no unit is there would only retry into the void.
bool MemoryTransfer::RefusedForLostUnit()
{
    if (!unitLost)
        return false;
    Q_EMIT transferFailed(Message::ReadLost, Text(Message::ReadLost));
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

// Emits the message for a block size that cannot be used; true when it can.
bool MemoryTransfer::CheckBlockSize(int size)
{
    if (SettingsImage::IsAcceptableBlockSize(size))
        return true;
    // A raw 0xFF decodes to -1 as well: only a size never reported is unknown.
    if (size < 0 && !sizeReported)
        Q_EMIT transferFailed(Message::BlockSizeUnknown, Text(Message::BlockSizeUnknown));
    else
        Q_EMIT transferFailed(Message::BlockSizeInvalid, Text(Message::BlockSizeInvalid).arg(size));
    return false;
}

// The image must hold a block of the unit's size before it is written.
bool MemoryTransfer::CheckImageFits(const SettingsImage& source)
{
    const int size = facts.blockSize;
    if (!CheckBlockSize(size))
        return false;
    if (source.Size() == size)
        return true;
    Q_EMIT transferFailed(Message::BlockMismatch,
                          Text(Message::BlockMismatch).arg(source.Size()).arg(size));
    return false;
}

// ---------------------------------------------------------------- progress

void MemoryTransfer::SetPhase(TransferPhase phase)
{
    state.phase = phase;
}

void MemoryTransfer::Begin(TransferPhase phase, const QString& text, int steps)
{
    SetPhase(phase);
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

// Ends the running read early and tells the user why.
void MemoryTransfer::Fail(int message, const QString& text)
{
    Finish(Outcome::Failed);
    Q_EMIT transferFailed(message, text);
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

void MemoryTransfer::SendLiveRead(int index)
{
    state.setupIndex = index;
    link.SendFrame({MessageType::LiveSetup, MemoryOp::Read, static_cast<std::uint8_t>(index)});
    liveRetry.start(timing.retry);
}

void MemoryTransfer::SendLiveWrite()
{
    const int index = state.setupIndex;
    link.SendFrame({MessageType::LiveSetup, MemoryOp::Write, static_cast<std::uint8_t>(index),
                    At(job.data, index)});
    liveRetry.start(timing.retry);
}

void MemoryTransfer::SendEepromRead(int address)
{
    state.memAddress = address;
    link.SendFrame({MessageType::Eeprom, MemoryOp::Read, Low(address), High(address)});
    eepromRetry.start(timing.retry);
}

void MemoryTransfer::OnLiveRetry()
{
    if (state.phase == TransferPhase::LiveRead)
        SendLiveRead(state.setupIndex);
    else if (state.phase == TransferPhase::LiveWrite)
        SendLiveWrite();
    else
        liveRetry.stop();
}

void MemoryTransfer::OnEepromRetry()
{
    if (state.memAddress == TransferState::IdleAddress || IsWriting()) {
        eepromRetry.stop();
        return;
    }
    SendEepromRead(state.memAddress);
}

void MemoryTransfer::OnLinkPayload(const QByteArray& payload)
{
    if (payload.isEmpty())
        return;
    unitLost = false; // whatever it says, the unit is there again
    if (payload[0] == static_cast<char>(MessageType::LiveSetup))
        HandleLiveSetupReply(payload);
    else if (payload[0] == static_cast<char>(MessageType::Eeprom))
        HandleEepromReply(payload);
}

// ---------------------------------------------------------------- reads

void MemoryTransfer::ReadBlockSize()
{
    if (IsWriting()) {
        // The write's echoes share the line; the size waits for the run's end.
        sizeReadWanted = true;
        return;
    }
    if (state.phase != TransferPhase::Idle && state.phase != TransferPhase::SizeRead)
        return;
    SetPhase(TransferPhase::SizeRead);
    SendEepromRead(facts.BlockSizeAddress());
}

bool MemoryTransfer::ReadCurrentSetup()
{
    if (IsBusy() || RefusedForLostUnit())
        return false;
    const int size = facts.blockSize;
    if (!CheckBlockSize(size)) {
        // The size read of the connection may have been lost to a transfer
        // started before it was answered; ask again so a retry can work.
        if (size < 0 && !sizeReported && state.phase != TransferPhase::SizeRead)
            ReadBlockSize();
        return false;
    }
    image.Reset(facts);
    state.presetNumber = 0;
    state.blockBase = facts.BlockSizeAddress();
    // A size read still pending is dropped: its answer is known.
    state.memAddress = TransferState::IdleAddress;
    eepromRetry.stop();
    // The live block, then the table and the read one past it.
    Begin(TransferPhase::LiveRead, Text(Message::ReadingCurrentSetup).arg(ModelName()),
          size + EepromMap::SurroundTableSize + 1);
    SendLiveRead(0);
    return true;
}

bool MemoryTransfer::ReadPreset(int preset)
{
    if (IsBusy() || !EepromMap::IsPresetNumber(preset) || RefusedForLostUnit())
        return false;
    state.presetNumber = preset;
    // The size read, the status byte, the block, the table and the name,
    // each phase with its read one past the end. The size is not known yet;
    // the total is fixed again once it is.
    Begin(TransferPhase::PresetSize, Text(Message::ReadingPreset).arg(preset).arg(ModelName()),
          2 + SettingsImage::MaxBlockSize + EepromMap::SurroundTableSize + 1 +
              EepromMap::PresetNameLength + 1);
    SendEepromRead(facts.BlockSizeAddress());
    return true;
}

bool MemoryTransfer::ReadTunerPresets()
{
    if (IsBusy() || RefusedForLostUnit())
        return false;
    Begin(TransferPhase::Tuner, Text(Message::ReadingTunerPresets).arg(ModelName()),
          1 + EepromMap::TunerImageSize);
    SendEepromRead(EepromMap::AmStepFlag);
    return true;
}

bool MemoryTransfer::ReadEeprom(int address, int count)
{
    if (IsBusy() || count <= 0 || address < 0 || address + count > AddressSpace ||
        RefusedForLostUnit())
        return false;
    range.clear();
    range.reserve(count);
    rangeBase = address;
    Begin(TransferPhase::Range,
          Text(Message::ReadingEeprom).arg(address).arg(address + count - 1).arg(ModelName()),
          count);
    // The count travels in the steps: the run ends when they are all done.
    SendEepromRead(address);
    return true;
}

void MemoryTransfer::OnRangeByte(int address, std::uint8_t value)
{
    if (address != rangeBase + range.size())
        return;
    range.append(static_cast<char>(value));
    Advance();
    if (range.size() < stepsTotal) {
        SendEepromRead(address + 1);
        return;
    }
    Finish(Outcome::Completed);
    Q_EMIT eepromRead(rangeBase, std::exchange(range, {}));
}

void MemoryTransfer::HandleEepromReply(QByteArrayView payload)
{
    if (payload.size() < 4)
        return;
    const int address = At(payload, 1) | At(payload, 2) << 8;
    const std::uint8_t value = At(payload, 3);

    if (state.phase == TransferPhase::EepromWrite) {
        OnWriteEcho(address, value);
        return;
    }
    // Only the reply to the pending read counts. A late duplicate after a
    // retry, or a reply for any other address, is dropped and the retry timer
    // keeps running, so nothing stalls and nothing lands in the wrong byte.
    if (state.memAddress == TransferState::IdleAddress || address != state.memAddress)
        return;
    eepromRetry.stop();
    switch (state.phase) {
    case TransferPhase::SizeRead:
    case TransferPhase::PresetSize:
        OnBlockSize(value);
        return;
    case TransferPhase::Tuner:
        OnTunerByte(address, value);
        return;
    case TransferPhase::Range:
        OnRangeByte(address, value);
        return;
    case TransferPhase::PresetBlock:
        OnPresetByte(address, value);
        return;
    case TransferPhase::Table:
        OnTableByte(address, value);
        return;
    case TransferPhase::Name:
        OnNameByte(address, value);
        return;
    default:
        state.memAddress = TransferState::IdleAddress;
        return;
    }
}

void MemoryTransfer::OnBlockSize(std::uint8_t value)
{
    facts.blockSize = ModelFacts::DecodeBlockSize(value);
    sizeReported = true;
    state.memAddress = TransferState::IdleAddress;
    const bool presetRead = state.phase == TransferPhase::PresetSize;
    if (presetRead)
        Advance();
    else
        SetPhase(TransferPhase::Idle);
    Q_EMIT blockSizeRead(facts.blockSize);
    if (presetRead && state.phase == TransferPhase::PresetSize)
        StartPresetBlock();
}

void MemoryTransfer::StartPresetBlock()
{
    const int size = facts.blockSize;
    if (!SettingsImage::IsAcceptableBlockSize(size)) {
        Fail(Message::BlockSizeInvalid, Text(Message::BlockSizeInvalid).arg(size));
        return;
    }
    image.Reset(facts);
    // Now that S is known: the size read, the status byte, S bytes, and the
    // table and the name with their reads one past the end.
    stepsTotal = 2 + size + EepromMap::SurroundTableSize + 1 + EepromMap::PresetNameLength + 1;
    state.blockBase = PresetAddress(state.presetNumber);
    SetPhase(TransferPhase::PresetBlock);
    SendEepromRead(state.blockBase);
}

void MemoryTransfer::OnTunerByte(int address, std::uint8_t value)
{
    if (address == EepromMap::AmStepFlag) {
        state.amStepSize = TunerPresetList::StepSizeFromFlag(value);
        Advance();
        SendEepromRead(EepromMap::TunerImage);
        return;
    }
    const int index = TunerPresetList::ImageIndexOf(address);
    if (index < 0)
        return;
    tunerImage[static_cast<std::size_t>(index)] = value;
    Advance();
    if (address + 1 < EepromMap::TunerImageEnd) {
        SendEepromRead(address + 1);
        return;
    }
    Finish(Outcome::Completed);
    Q_EMIT tunerPresetsRead(TunerPresetList::Decode(tunerImage, state.amStepSize));
}

void MemoryTransfer::OnPresetByte(int address, std::uint8_t value)
{
    const int size = image.Size();
    if (address == state.blockBase) {
        const int preset = state.presetNumber;
        if (value == EepromMap::PresetStatusEmpty) {
            Finish(Outcome::Failed);
            Q_EMIT presetEmpty(preset);
            return;
        }
        if (value != EepromMap::PresetStatusPresent && static_cast<std::int8_t>(value) != size) {
            Fail(Message::SizeMismatch, Text(Message::SizeMismatch));
            return;
        }
        Advance();
        SendEepromRead(address + 1);
        return;
    }
    const int position = address - state.blockBase - 1;
    if (position < 0 || position >= size)
        return;
    image.SetByteAt(position, value);
    Advance();
    if (position == size - 1)
        SetPhase(TransferPhase::Table);
    SendEepromRead(address + 1);
}

void MemoryTransfer::OnTableByte(int address, std::uint8_t value)
{
    const int start = EepromMap::TableAddress(state.blockBase, image.Size());
    const int index = address - start;
    if (index < 0 || index > EepromMap::SurroundTableSize)
        return;
    Advance();
    if (index < EepromMap::SurroundTableSize) {
        image.SetTableByte(index, value);
        SendEepromRead(address + 1);
        return;
    }
    // The read one past the table only ends the phase.
    if (state.presetNumber == 0) {
        CompleteSetupRead();
        return;
    }
    SetPhase(TransferPhase::Name);
    SendEepromRead(EepromMap::PresetNameAddress(state.presetNumber));
}

void MemoryTransfer::OnNameByte(int address, std::uint8_t value)
{
    const int index = address - EepromMap::PresetNameAddress(state.presetNumber);
    if (index < 0 || index > EepromMap::PresetNameLength)
        return;
    Advance();
    if (index < EepromMap::PresetNameLength) {
        image.SetNameByte(index, value);
        SendEepromRead(address + 1);
        return;
    }
    // The read one past the name only ends the phase.
    CompleteSetupRead();
}

void MemoryTransfer::CompleteSetupRead()
{
    SetProgress(100);
    Finish(Outcome::Completed);
    Q_EMIT setupBlockRead(state.presetNumber, image);
}

void MemoryTransfer::HandleLiveSetupReply(QByteArrayView payload)
{
    if (payload.size() < 3 || state.setupIndex == TransferState::IdleIndex)
        return;
    const int index = static_cast<std::int8_t>(At(payload, 1));
    const std::uint8_t value = At(payload, 2);
    // A reply for any index but the pending one is a late duplicate or
    // foreign; the retry timer goes on untouched.
    if (index != state.setupIndex)
        return;
    if (state.phase == TransferPhase::LiveWrite) {
        OnLiveEcho(index, value);
        return;
    }
    if (state.phase != TransferPhase::LiveRead)
        return;

    image.SetByteAt(index, value);
    Advance();
    if (index + 1 < image.Size()) {
        SendLiveRead(index + 1);
        return;
    }
    // The block is complete: its surround mode table follows the size byte
    // in EEPROM.
    liveRetry.stop();
    state.setupIndex = TransferState::IdleIndex;
    SetPhase(TransferPhase::Table);
    state.blockBase = facts.BlockSizeAddress();
    SendEepromRead(EepromMap::TableAddress(state.blockBase, image.Size()));
}

// ---------------------------------------------------------------- lost unit

void MemoryTransfer::ConnectionLost()
{
    unitLost = true;
    if (writeBackTimer.isActive()) {
        // Announced to nobody yet: say only that nothing was written.
        writeBackTimer.stop();
        Q_EMIT transferFailed(Message::ReadLost, Text(Message::ReadLost));
    }
    const bool reading = IsReading();
    const bool writing = IsWriting();
    const int confirmed = runConfirmed;
    const int all = runBytes + QueuedBytes();
    const QList<int> clamped = std::exchange(runClamped, {});
    queued.clear();
    runRefused.clear();
    sizeReadWanted = false;
    state.savingToFile = false;
    if (!reading && !writing) {
        // A size read of its own: the next connection asks again.
        SetPhase(TransferPhase::Idle);
        state.memAddress = TransferState::IdleAddress;
        eepromRetry.stop();
        return;
    }
    if (state.phase == TransferPhase::EepromWrite) {
        SetPhase(TransferPhase::Idle);
        Q_EMIT eepromWriteFinished(job.address, static_cast<int>(job.data.size()), false);
    }
    Finish(Outcome::Failed);
    if (writing)
        Q_EMIT transferFailed(Message::WriteLost, Text(Message::WriteLost).arg(confirmed).arg(all));
    else
        Q_EMIT transferFailed(Message::ReadLost, Text(Message::ReadLost));
    SayClamped(clamped);
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
    const bool wasActive = IsReading() || IsWriting();
    const bool wasWritingEeprom = state.phase == TransferPhase::EepromWrite;
    state.savingToFile = false;
    writeBackTimer.stop();
    queued.clear();
    runRefused.clear();
    const QList<int> clamped = std::exchange(runClamped, {});
    sizeReadWanted = false;
    if (!wasActive) {
        SetPhase(TransferPhase::Idle);
        state.memAddress = TransferState::IdleAddress;
        eepromRetry.stop();
        return;
    }
    if (wasWritingEeprom) {
        SetPhase(TransferPhase::Idle);
        Q_EMIT eepromWriteFinished(job.address, static_cast<int>(job.data.size()), false);
    }
    Finish(Outcome::Aborted);
    SayClamped(clamped);
}
