// The write half of the memory transfer engine: live-setup and EEPROM write
// jobs, queued into one run and confirmed byte by byte.

#include "common/message_table.h"
#include "link/message_set.h"
#include "link/unit_link.h"
#include "transfer/eeprom_map.h"
#include "transfer/memory_transfer.h"
#include "transfer/transfer_bytes.h"

#include <utility>

using namespace TransferBytes;

bool MemoryTransfer::WriteSetup(int presetNumber, const SettingsImage& source)
{
    if (presetNumber == 0)
        return WriteCurrentSetup(source);
    if (EepromMap::IsPresetNumber(presetNumber))
        return WritePreset(presetNumber, source);
    return false;
}

bool MemoryTransfer::WriteCurrentSetup(const SettingsImage& source)
{
    if (IsReading() || !CheckImageFits(source))
        return false;
    state.presetNumber = 0;
    return Enqueue(
        {true, 0, source.BlockBytes(), Text(Message::WritingCurrentSetup).arg(ModelName())});
}

bool MemoryTransfer::WritePreset(int preset, const SettingsImage& source)
{
    if (IsReading() || !EepromMap::IsPresetNumber(preset) || !CheckImageFits(source))
        return false;
    state.presetNumber = preset;
    state.blockBase = PresetAddress(preset);
    const QString title = Text(Message::WritingPreset).arg(preset).arg(ModelName());
    return Enqueue({false, state.blockBase + 1, source.BlockAndTableBytes(), title}) &&
           Enqueue({false, EepromMap::PresetNameAddress(preset), source.NameBytes(), title});
}

bool MemoryTransfer::WriteEeprom(QByteArrayView data, int address)
{
    if (IsReading())
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
    if (IsReading() || RefusedForLostUnit())
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
    if (RefusedForLostUnit())
        return false;
    if (IsWriting()) {
        queued.push_back(std::move(newJob));
        return true;
    }
    if (state.phase == TransferPhase::SizeRead) {
        // The size is asked again once the run has ended.
        state.memAddress = TransferState::IdleAddress;
        eepromRetry.stop();
        sizeReadWanted = true;
    }
    job = std::move(newJob);
    runBytes = 0;
    runConfirmed = 0;
    runRefused.clear();
    runClamped.clear();
    Begin(job.live ? TransferPhase::LiveWrite : TransferPhase::EepromWrite, job.title, 1);
    StartJob();
    return true;
}

void MemoryTransfer::StartJob()
{
    const bool first = runBytes == 0;
    runBytes += static_cast<int>(job.data.size());
    SetPhase(job.live ? TransferPhase::LiveWrite : TransferPhase::EepromWrite);
    byteIndex = 0;
    if (job.live) {
        if (!first)
            Q_EMIT progressTextChanged(job.title);
        SetProgress(0);
        StartLiveByte(0);
        return;
    }
    jobRefused = false;
    StartWriteByte();
}

void MemoryTransfer::StartLiveByte(int index)
{
    state.setupIndex = index;
    otherValue = -1;
    otherAnswers = 0;
    SendLiveWrite();
}

void MemoryTransfer::OnLiveEcho(int index, std::uint8_t value)
{
    if (!job.live)
        return;
    if (value != At(job.data, index)) {
        // The unit holds something else. The same other value three times
        // running is the unit's own limit: take it and go on. Anything else
        // is said again after the retry period, not at once, so a unit
        // that answers fast is not flooded.
        otherAnswers = value == otherValue ? otherAnswers + 1 : 1;
        otherValue = value;
        if (otherAnswers < LiveClampAnswers) {
            liveRetry.start(timing.retry);
            return;
        }
        runClamped.append(index);
    }
    ++runConfirmed;
    const int size = static_cast<int>(job.data.size());
    SetProgress((index + 1) * 100 / size);
    if (index + 1 < size) {
        StartLiveByte(index + 1);
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
    readingBack = false;
    link.SendFrame({MessageType::Eeprom, MemoryOp::Write, Low(address), High(address),
                    At(job.data, byteIndex)});
    paceTimer.start(timing.pace);
}

void MemoryTransfer::SendReadBack()
{
    const int address = job.address + byteIndex;
    readingBack = true;
    link.SendFrame({MessageType::Eeprom, MemoryOp::Read, Low(address), High(address)});
    paceTimer.start(timing.pace);
}

// An echo of the write and the reply to a read-back look alike: either way
// the unit says what it now holds at that address.
void MemoryTransfer::OnWriteEcho(int address, std::uint8_t value)
{
    if (address != job.address + byteIndex)
        return;
    if (value == At(job.data, byteIndex)) {
        NextWriteByte(true);
        return;
    }
    if (!readingBack) {
        // A different echo may be a stray one: ask what the unit holds.
        SendReadBack();
        return;
    }
    // The unit holds another value. After MaxWriteSends it refuses this
    // byte; the write goes on and reports it at the end.
    if (sends >= MaxWriteSends)
        NextWriteByte(false);
    else
        SendWriteByte();
}

void MemoryTransfer::OnPaceTimeout()
{
    if (state.phase != TransferPhase::EepromWrite)
        return;
    // No answer: read the byte back, and when that is not answered either,
    // write it again. A unit that stays silent ends the run through
    // ConnectionLost, never by skipping the byte.
    if (readingBack)
        SendWriteByte();
    else
        SendReadBack();
}

void MemoryTransfer::NextWriteByte(bool confirmed)
{
    paceTimer.stop();
    if (confirmed) {
        ++runConfirmed;
    } else {
        runRefused.append(job.address + byteIndex);
        jobRefused = true;
    }
    ++byteIndex;
    if (byteIndex < job.data.size()) {
        StartWriteByte();
        return;
    }
    Q_EMIT eepromWriteFinished(job.address, static_cast<int>(job.data.size()), !jobRefused);
    FinishJob();
}

void MemoryTransfer::FinishJob()
{
    if (!IsWriting())
        return; // a slot aborted the run
    if (!queued.empty()) {
        job = std::move(queued.front());
        queued.pop_front();
        StartJob();
        return;
    }
    const QList<int> refused = std::exchange(runRefused, {});
    const QList<int> clamped = std::exchange(runClamped, {});
    Finish(refused.isEmpty() ? Outcome::Completed : Outcome::Failed);
    if (!refused.isEmpty()) {
        Q_EMIT transferFailed(
            Message::WriteRefused,
            Text(Message::WriteRefused).arg(refused.size()).arg(runBytes).arg(NumberList(refused)));
    }
    SayClamped(clamped);
}

// Live bytes the unit keeps at its own value were taken as its answer: the
// user hears of them however the run ends, also when a later job of the run
// was cancelled or the unit went away.
void MemoryTransfer::SayClamped(const QList<int>& clamped)
{
    if (!clamped.isEmpty())
        Q_EMIT transferFailed(Message::LiveClamped,
                              Text(Message::LiveClamped).arg(NumberList(clamped)));
}
