#include "transfer/memory_transfer.h"

#include "desktop/message_table.h"
#include "link/message_set.h"
#include "link/unit_link.h"
#include "model/live_status.h"
#include "transfer/eeprom_map.h"

#include <utility>

namespace {

// The protocol addresses 16 bits of EEPROM.
constexpr int AddressSpace = 0x10000;

std::uint8_t Low(int address)
{
    return static_cast<std::uint8_t>(address & 0xFF);
}

std::uint8_t High(int address)
{
    return static_cast<std::uint8_t>((address >> 8) & 0xFF);
}

std::uint8_t At(QByteArrayView bytes, qsizetype index)
{
    return static_cast<std::uint8_t>(bytes[index]);
}

} // namespace

MemoryTransfer::MemoryTransfer(UnitLink& unitLink, LiveStatus& liveStatus, QObject* parent)
    : QObject(parent), link(unitLink), status(liveStatus)
{
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

bool MemoryTransfer::IsBusy() const
{
    return activity != Activity::Idle || writeBackTimer.isActive();
}

int MemoryTransfer::PresetAddress(int preset) const
{
    const int size = status.facts.blockSize;
    if (!EepromMap::IsPresetNumber(preset) || !SettingsImage::IsAcceptableBlockSize(size))
        return -1;
    return EepromMap::PresetAddress(status.facts.BlockSizeAddress(), size, preset);
}

QString MemoryTransfer::Text(int message) const
{
    return MessageTable::Text(message);
}

QString MemoryTransfer::ModelName() const
{
    return status.facts.modelText;
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
bool MemoryTransfer::CheckImageFits()
{
    const int size = status.facts.blockSize;
    if (!CheckBlockSize(size))
        return false;
    if (image.Size() == size)
        return true;
    Q_EMIT transferFailed(Message::BlockMismatch,
                          Text(Message::BlockMismatch).arg(image.Size()).arg(size));
    return false;
}

// ---------------------------------------------------------------- progress

void MemoryTransfer::Begin(Activity newActivity, const QString& text, int steps)
{
    activity = newActivity;
    stepsDone = 0;
    stepsTotal = steps > 0 ? steps : 1;
    percentShown = -1;
    Q_EMIT transferStarted(text);
    SetProgress(0);
}

void MemoryTransfer::Finish(Outcome outcome)
{
    activity = Activity::Idle;
    liveRetry.stop();
    paceTimer.stop();
    // A block-size read asked for while a write ran keeps its retry.
    if (state.memAddress < 0)
        eepromRetry.stop();
    Q_EMIT transferFinished(outcome);
}

// Ends the running read early and tells the user why.
void MemoryTransfer::Fail(int message, const QString& text)
{
    state.memAddress = TransferState::IdleAddress;
    state.setupIndex = TransferState::IdleIndex;
    state.readingSize = state.readingSetup = state.readingTable = false;
    state.readingPresetName = state.readingTuner = false;
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
    if (state.setupIndex == TransferState::IdleIndex) {
        liveRetry.stop();
        return;
    }
    if (state.readingSetup)
        SendLiveRead(state.setupIndex);
    else
        SendLiveWrite();
}

void MemoryTransfer::OnEepromRetry()
{
    if (state.memAddress <= 0) {
        eepromRetry.stop();
        return;
    }
    SendEepromRead(state.memAddress);
}

// ---------------------------------------------------------------- reads

void MemoryTransfer::ReadBlockSize()
{
    if (activity != Activity::Idle && activity != Activity::Writing)
        return;
    state.readingSize = true;
    SendEepromRead(status.facts.BlockSizeAddress());
}

bool MemoryTransfer::ReadCurrentSetup()
{
    if (IsBusy())
        return false;
    const int size = status.facts.blockSize;
    if (!CheckBlockSize(size)) {
        // The size read of the connection may have been lost to a transfer
        // started before it was answered; ask again so a retry can work.
        if (size < 0 && !sizeReported && !state.readingSize)
            ReadBlockSize();
        return false;
    }
    image.Reset(status.facts);
    state.presetNumber = 0;
    state.blockBase = status.facts.BlockSizeAddress();
    state.readingSetup = true;
    state.readingTable = state.readingPresetName = state.readingTuner = false;
    // A size read still pending is dropped: its answer is known.
    state.readingSize = false;
    state.memAddress = TransferState::IdleAddress;
    eepromRetry.stop();
    // The live block, then the table and the read one past it.
    Begin(Activity::ReadingSetup, Text(Message::ReadingCurrentSetup).arg(ModelName()),
          size + EepromMap::SurroundTableSize + 1);
    SendLiveRead(0);
    return true;
}

bool MemoryTransfer::ReadPreset(int preset)
{
    if (IsBusy() || !EepromMap::IsPresetNumber(preset))
        return false;
    state.presetNumber = preset;
    state.readingSetup = state.readingTable = state.readingPresetName = false;
    state.readingTuner = false;
    // The size read, the status byte, the block, the table and the name,
    // each phase with its read one past the end. The size is not known yet;
    // the total is fixed again once it is.
    Begin(Activity::ReadingPreset, Text(Message::ReadingPreset).arg(preset).arg(ModelName()),
          2 + SettingsImage::MaxBlockSize + EepromMap::SurroundTableSize + 1 +
              EepromMap::PresetNameLength + 1);
    state.readingSize = true;
    SendEepromRead(status.facts.BlockSizeAddress());
    return true;
}

bool MemoryTransfer::ReadTunerPresets()
{
    if (IsBusy())
        return false;
    state.readingSize = state.readingSetup = state.readingTable = false;
    state.readingPresetName = false;
    state.readingTuner = true;
    Begin(Activity::ReadingTuner, Text(Message::ReadingTunerPresets).arg(ModelName()),
          1 + EepromMap::TunerImageSize);
    SendEepromRead(EepromMap::AmStepFlag);
    return true;
}

void MemoryTransfer::HandleEepromReply(QByteArrayView payload)
{
    if (payload.size() < 4)
        return;
    const int address = At(payload, 1) | At(payload, 2) << 8;
    const std::uint8_t value = At(payload, 3);

    // Only the reply to the pending read counts. A late duplicate after a
    // retry, or a reply for any other address, is dropped and the retry timer
    // keeps running, so nothing stalls and nothing lands in the wrong byte.
    // (Decided before the echo is handled: a slot of the write's end may
    // start a new read.)
    const bool answersRead = state.memAddress >= 0 && address == state.memAddress;
    if (state.writingEeprom)
        OnWriteEcho(address, value);
    if (!answersRead || address != state.memAddress)
        return;
    eepromRetry.stop();
    if (state.readingSize)
        OnBlockSize(value);
    else if (state.readingTuner)
        OnTunerByte(address, value);
    else if (state.readingSetup)
        OnPresetByte(address, value);
    else if (state.readingTable)
        OnTableByte(address, value);
    else if (state.readingPresetName)
        OnNameByte(address, value);
    else
        state.memAddress = TransferState::IdleAddress;
}

void MemoryTransfer::OnBlockSize(std::uint8_t value)
{
    status.facts.blockSize = ModelFacts::DecodeBlockSize(value);
    sizeReported = true;
    state.readingSize = false;
    state.memAddress = TransferState::IdleAddress;
    if (activity == Activity::ReadingPreset)
        Advance();
    Q_EMIT blockSizeRead(status.facts.blockSize);
    if (activity == Activity::ReadingPreset)
        StartPresetBlock();
}

void MemoryTransfer::StartPresetBlock()
{
    const int size = status.facts.blockSize;
    if (!SettingsImage::IsAcceptableBlockSize(size)) {
        Fail(Message::BlockSizeInvalid, Text(Message::BlockSizeInvalid).arg(size));
        return;
    }
    image.Reset(status.facts);
    // Now that S is known: the size read, the status byte, S bytes, and the
    // table and the name with their reads one past the end.
    stepsTotal = 2 + size + EepromMap::SurroundTableSize + 1 + EepromMap::PresetNameLength + 1;
    state.blockBase = PresetAddress(state.presetNumber);
    state.readingSetup = true;
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
    state.memAddress = TransferState::IdleAddress;
    state.readingTuner = false;
    Finish(Outcome::Completed);
    Q_EMIT tunerPresetsRead(TunerPresetList::Decode(tunerImage, state.amStepSize));
}

void MemoryTransfer::OnPresetByte(int address, std::uint8_t value)
{
    const int size = image.Size();
    if (address == state.blockBase) {
        const int preset = state.presetNumber;
        if (value == EepromMap::PresetStatusEmpty) {
            state.memAddress = TransferState::IdleAddress;
            state.readingSetup = false;
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
    if (position == size - 1) {
        state.readingSetup = false;
        state.readingTable = true;
    }
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
    state.readingTable = false;
    if (state.presetNumber == 0) {
        CompleteSetupRead();
        return;
    }
    state.readingPresetName = true;
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
    state.readingPresetName = false;
    CompleteSetupRead();
}

void MemoryTransfer::CompleteSetupRead()
{
    state.memAddress = TransferState::IdleAddress;
    SetProgress(100);
    Finish(Outcome::Completed);
    Q_EMIT setupBlockRead(state.presetNumber);
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
    if (activity == Activity::Writing) {
        OnLiveEcho(index, value);
        return;
    }
    if (activity != Activity::ReadingSetup || !state.readingSetup)
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
    state.readingSetup = false;
    state.readingTable = true;
    state.blockBase = status.facts.BlockSizeAddress();
    SendEepromRead(EepromMap::TableAddress(state.blockBase, image.Size()));
}

// ---------------------------------------------------------------- writes

bool MemoryTransfer::WriteSetup(int presetNumber)
{
    if (presetNumber == 0)
        return WriteCurrentSetup();
    if (EepromMap::IsPresetNumber(presetNumber))
        return WritePreset(presetNumber);
    return false;
}

bool MemoryTransfer::WriteCurrentSetup()
{
    if (activity != Activity::Idle && activity != Activity::Writing)
        return false;
    if (!CheckImageFits())
        return false;
    state.presetNumber = 0;
    return Enqueue(
        {true, 0, image.BlockBytes(), Text(Message::WritingCurrentSetup).arg(ModelName())});
}

bool MemoryTransfer::WritePreset(int preset)
{
    if (activity != Activity::Idle && activity != Activity::Writing)
        return false;
    if (!EepromMap::IsPresetNumber(preset) || !CheckImageFits())
        return false;
    state.presetNumber = preset;
    state.blockBase = PresetAddress(preset);
    const QString title = Text(Message::WritingPreset).arg(preset).arg(ModelName());
    return Enqueue({false, state.blockBase + 1, image.BlockAndTableBytes(), title}) &&
           Enqueue({false, EepromMap::PresetNameAddress(preset), image.NameBytes(), title});
}

bool MemoryTransfer::WriteEeprom(QByteArrayView data, int address)
{
    if (activity != Activity::Idle && activity != Activity::Writing)
        return false;
    if (data.isEmpty() || address < 0 || address + data.size() > AddressSpace)
        return false;
    return Enqueue(
        {false, address, data.toByteArray(), Text(Message::WritingEeprom).arg(0).arg(data.size())});
}

bool MemoryTransfer::WriteEepromByte(std::uint8_t value, int address)
{
    const char byte = static_cast<char>(value);
    return WriteEeprom(QByteArrayView(&byte, 1), address);
}

bool MemoryTransfer::WriteTunerPresets(const TunerPresetList& presets)
{
    if (activity != Activity::Idle && activity != Activity::Writing)
        return false;
    tunerImage = presets.Encode(state.amStepSize);
    writeBackTimer.start(timing.writeBackDelay);
    return true;
}

void MemoryTransfer::WriteBack()
{
    WriteEeprom(QByteArrayView(tunerImage.data(), static_cast<qsizetype>(tunerImage.size())),
                EepromMap::TunerImage);
}

bool MemoryTransfer::Enqueue(WriteJob newJob)
{
    if (activity == Activity::Writing) {
        queued.push_back(std::move(newJob));
        return true;
    }
    job = std::move(newJob);
    runBytes = 0;
    runUnconfirmed = 0;
    Begin(Activity::Writing, job.title, 1);
    StartJob();
    return true;
}

void MemoryTransfer::StartJob()
{
    const bool first = runBytes == 0;
    runBytes += static_cast<int>(job.data.size());
    if (job.live) {
        state.readingSetup = false;
        if (!first)
            Q_EMIT progressTextChanged(job.title);
        SetProgress(0);
        state.setupIndex = 0;
        SendLiveWrite();
        return;
    }
    state.writingEeprom = true;
    byteIndex = 0;
    unconfirmed = 0;
    StartWriteByte();
}

void MemoryTransfer::OnLiveEcho(int index, std::uint8_t value)
{
    if (!job.live)
        return;
    if (value != At(job.data, index)) {
        // The unit holds something else: say it again at once.
        SendLiveWrite();
        return;
    }
    const int size = static_cast<int>(job.data.size());
    SetProgress((index + 1) * 100 / size);
    if (index + 1 < size) {
        state.setupIndex = index + 1;
        SendLiveWrite();
        return;
    }
    liveRetry.stop();
    state.setupIndex = TransferState::IdleIndex;
    link.SendFrame({MessageType::LiveSetup, MemoryOp::EndWrite});
    Q_EMIT liveSetupWritten();
    FinishJob();
}

void MemoryTransfer::StartWriteByte()
{
    const int count = static_cast<int>(job.data.size());
    sends = 0;
    SetProgress(byteIndex * 100 / count);
    Q_EMIT progressTextChanged(Text(Message::WritingEeprom).arg(byteIndex).arg(count));
    SendWriteByte();
}

void MemoryTransfer::SendWriteByte()
{
    const int address = job.address + byteIndex;
    ++sends;
    link.SendFrame({MessageType::Eeprom, MemoryOp::Write, Low(address), High(address),
                    At(job.data, byteIndex)});
    paceTimer.start(timing.pace);
}

void MemoryTransfer::OnWriteEcho(int address, std::uint8_t value)
{
    if (address != job.address + byteIndex)
        return;
    if (value == At(job.data, byteIndex)) {
        NextWriteByte(true);
        return;
    }
    if (sends < MaxWriteSends)
        SendWriteByte();
    else
        NextWriteByte(false);
}

void MemoryTransfer::OnPaceTimeout()
{
    if (!state.writingEeprom)
        return;
    if (sends < MaxWriteSends)
        SendWriteByte();
    else
        NextWriteByte(false);
}

void MemoryTransfer::NextWriteByte(bool confirmed)
{
    paceTimer.stop();
    if (!confirmed)
        ++unconfirmed;
    ++byteIndex;
    if (byteIndex < job.data.size()) {
        StartWriteByte();
        return;
    }
    state.writingEeprom = false;
    runUnconfirmed += unconfirmed;
    Q_EMIT eepromWriteFinished(job.address, static_cast<int>(job.data.size()), unconfirmed == 0);
    FinishJob();
}

void MemoryTransfer::FinishJob()
{
    if (activity != Activity::Writing)
        return; // a slot aborted the run
    if (!queued.empty()) {
        job = std::move(queued.front());
        queued.pop_front();
        StartJob();
        return;
    }
    const int failedBytes = runUnconfirmed;
    const int allBytes = runBytes;
    Finish(failedBytes == 0 ? Outcome::Completed : Outcome::Failed);
    if (failedBytes > 0) {
        Q_EMIT transferFailed(Message::WriteUnconfirmed,
                              Text(Message::WriteUnconfirmed).arg(failedBytes).arg(allBytes));
    }
}

// ---------------------------------------------------------------- abort

void MemoryTransfer::Abort()
{
    // A write-back that has not begun yet is dropped without a word: no
    // transfer was announced for it.
    const bool wasActive = activity != Activity::Idle;
    const bool wasWritingEeprom = state.writingEeprom;
    state.setupIndex = TransferState::IdleIndex;
    state.memAddress = TransferState::IdleAddress;
    state.readingSize = state.readingSetup = state.readingTable = false;
    state.readingPresetName = state.readingTuner = false;
    state.writingEeprom = false;
    state.savingToFile = false;
    liveRetry.stop();
    eepromRetry.stop();
    paceTimer.stop();
    writeBackTimer.stop();
    queued.clear();
    activity = Activity::Idle;
    if (wasWritingEeprom)
        Q_EMIT eepromWriteFinished(job.address, static_cast<int>(job.data.size()), false);
    if (wasActive)
        Q_EMIT transferFinished(Outcome::Aborted);
}
