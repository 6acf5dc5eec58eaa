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

bool MemoryTransfer::WriteSetup(int presetNumber, const SettingsImage& source, TransferDone done)
{
    if (presetNumber == 0)
        return WriteCurrentSetup(source, std::move(done));
    if (EepromMap::IsPresetNumber(presetNumber))
        return WritePreset(presetNumber, source, std::move(done));
    return Refuse(done);
}

bool MemoryTransfer::WriteCurrentSetup(const SettingsImage& source, TransferDone done)
{
    if (IsReading())
        return Refuse(done);
    if (const TransferMessage problem = FitProblem(source); problem.number != 0)
        return Refuse(done, problem);
    auto request = std::make_shared<WriteRequest>();
    request->done = std::move(done);
    return Enqueue({true, 0, source.BlockBytes(),
                    Text(Message::WritingCurrentSetup).arg(ModelName()), request});
}

bool MemoryTransfer::WritePreset(int preset, const SettingsImage& source, TransferDone done)
{
    if (IsReading() || !EepromMap::IsPresetNumber(preset))
        return Refuse(done);
    if (const TransferMessage problem = FitProblem(source); problem.number != 0)
        return Refuse(done, problem);
    if (RefusedForLostUnit(done))
        return false;
    auto request = std::make_shared<WriteRequest>();
    request->done = std::move(done);
    const int status = PresetAddress(preset);
    const QString title = Text(Message::WritingPreset).arg(preset).arg(ModelName());
    return Enqueue({false, status + 1, source.BlockAndTableBytes(), title, request}) &&
           Enqueue(
               {false, EepromMap::PresetNameAddress(preset), source.NameBytes(), title, request});
}

bool MemoryTransfer::WriteEeprom(QByteArrayView data, int address, TransferDone done)
{
    if (IsReading() || data.isEmpty() || address < 0 || address + data.size() > AddressSpace)
        return Refuse(done);
    auto request = std::make_shared<WriteRequest>();
    request->done = std::move(done);
    return Enqueue({false, address, data.toByteArray(),
                    Text(Message::WritingEeprom).arg(0).arg(data.size()), request});
}

bool MemoryTransfer::WriteEepromByte(std::uint8_t value, int address, TransferDone done)
{
    const char byte = static_cast<char>(value);
    return WriteEeprom(QByteArrayView(&byte, 1), address, std::move(done));
}

bool MemoryTransfer::WriteTunerPresets(const TunerPresetList& presets, int amStepSize,
                                       TransferDone done)
{
    if (IsReading() || writeBackTimer.isActive())
        return Refuse(done);
    if (RefusedForLostUnit(done))
        return false;
    writeBack = {presets.Encode(amStepSize), amStepSize, std::move(done)};
    writeBackTimer.start(timing.writeBackDelay);
    return true;
}

void MemoryTransfer::WriteBack()
{
    const int step = writeBack.amStepSize;
    TransferDone done = std::exchange(writeBack.done, {});
    if (done) {
        done = [step, done = std::move(done)](const TransferResult& result) {
            TransferResult withStep = result;
            withStep.amStepSize = step;
            done(withStep);
        };
    }
    const TunerPresetList::Image& bytes = writeBack.image;
    WriteEeprom(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                EepromMap::TunerImage, std::move(done));
}

// The request is the run's already when this is the second job of a preset.
bool MemoryTransfer::Enqueue(WriteJob newJob)
{
    if (RefusedForLostUnit(newJob.request->done))
        return false;
    newJob.request->total += static_cast<int>(newJob.data.size());
    if (runRequests.empty() || runRequests.back() != newJob.request)
        runRequests.push_back(newJob.request);
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
            liveRetry.start(ReplyWait(timing.retry), timing.retry);
            return;
        }
        runClamped.append(index);
        job.request->clamped.append(index);
    }
    ++runConfirmed;
    ++job.request->confirmed;
    const int size = static_cast<int>(job.data.size());
    SetProgress((index + 1) * 100 / size);
    if (index + 1 < size) {
        StartLiveByte(index + 1);
        return;
    }
    liveRetry.stop();
    state.setupIndex = TransferState::IdleIndex;
    link.SendFrame({MessageType::LiveSetup, MemoryOp::EndWrite});
    FinishJob();
}

void MemoryTransfer::StartWriteByte()
{
    const int count = static_cast<int>(job.data.size());
    sends = 0;
    SetProgress(byteIndex * 100 / count);
    Q_EMIT progressTextChanged(Text(Message::WritingEeprom).arg(byteIndex).arg(count));
    SendWriteByte(false);
}

void MemoryTransfer::SendWriteByte(bool again)
{
    const int address = job.address + byteIndex;
    ++sends;
    readingBack = false;
    link.SendFrame({MessageType::Eeprom, MemoryOp::Write, Low(address), High(address),
                    At(job.data, byteIndex)});
    Sent(address, again);
    paceTimer.start(ReplyWait(timing.pace), timing.pace);
}

void MemoryTransfer::SendReadBack()
{
    const int address = job.address + byteIndex;
    readingBack = true;
    link.SendFrame({MessageType::Eeprom, MemoryOp::Read, Low(address), High(address)});
    Sent(address, true);
    paceTimer.start(ReplyWait(timing.pace), timing.pace);
}

// An echo of the write and the reply to a read-back look alike: either way
// the unit says what it now holds at that address.
void MemoryTransfer::OnWriteEcho(int address, std::uint8_t value)
{
    if (address != job.address + byteIndex) {
        Stray(address);
        return;
    }
    Answered();
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
        SendWriteByte(true);
}

void MemoryTransfer::OnPaceTimeout()
{
    if (state.phase != TransferPhase::EepromWrite)
        return;
    // No answer: read the byte back, and when that is not answered either,
    // write it again. A unit that stays silent ends the run through
    // ConnectionLost, never by skipping the byte.
    NoteTimeout(paceTimer.interval(), timing.pace);
    if (readingBack)
        SendWriteByte(true);
    else
        SendReadBack();
}

void MemoryTransfer::NextWriteByte(bool confirmed)
{
    paceTimer.stop();
    if (confirmed) {
        ++runConfirmed;
        ++job.request->confirmed;
    } else {
        runRefused.append(job.address + byteIndex);
        job.request->refused.append(job.address + byteIndex);
    }
    ++byteIndex;
    if (byteIndex < job.data.size()) {
        StartWriteByte();
        return;
    }
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
    QList<TransferMessage> messages;
    if (!runRefused.isEmpty()) {
        messages.append(Say(Message::WriteRefused, Text(Message::WriteRefused)
                                                       .arg(runRefused.size())
                                                       .arg(runBytes)
                                                       .arg(NumberList(runRefused))));
    }
    EndRun(messages.isEmpty() ? Outcome::Completed : Outcome::Failed, messages);
}

// Ends the run: the progress window closes, the messages are said (live
// bytes the unit kept at its own value were taken as its answer: the user
// hears of them however the run ends), then each request of the run hears,
// in the order they were asked for. A request whose bytes were all confirmed
// before the run was cut short is Written all the same.
void MemoryTransfer::EndRun(Outcome outcome, QList<TransferMessage> messages)
{
    const std::vector<std::shared_ptr<WriteRequest>> requests = std::exchange(runRequests, {});
    const QList<int> clamped = std::exchange(runClamped, {});
    queued.clear();
    runRefused.clear();
    if (!clamped.isEmpty())
        messages.append(
            Say(Message::LiveClamped, Text(Message::LiveClamped).arg(NumberList(clamped))));
    Finish(outcome);
    Announce(messages);
    for (const std::shared_ptr<WriteRequest>& request : requests) {
        TransferResult result;
        const bool whole = request->refused.isEmpty() && request->confirmed == request->total;
        result.kind = whole                         ? TransferResult::Kind::Written
                      : outcome == Outcome::Aborted ? TransferResult::Kind::Aborted
                                                    : TransferResult::Kind::Failed;
        result.confirmed = request->confirmed;
        result.total = request->total;
        result.refused = request->refused;
        result.clamped = request->clamped;
        result.messages = messages;
        if (auto done = std::exchange(request->done, {}))
            done(result);
    }
}
