// The read half of the memory transfer engine: the block size, the current
// setup, an A/V preset, the tuner presets and EEPROM ranges, one byte per
// request, each ending with its requester's result.

#include "common/message_table.h"
#include "link/unit_link.h"
#include "transfer/eeprom_map.h"
#include "transfer/memory_transfer.h"
#include "transfer/transfer_bytes.h"

#include <utility>

using namespace TransferBytes;

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

bool MemoryTransfer::ReadCurrentSetup(TransferDone done)
{
    if (IsBusy())
        return Refuse(done);
    if (RefusedForLostUnit(done))
        return false;
    const int size = facts.blockSize;
    if (const TransferMessage problem = SizeProblem(size); problem.number != 0) {
        // The size read of the connection may have been lost to a transfer
        // started before it was answered; ask again so a retry can work.
        if (size < 0 && !sizeReported && state.phase != TransferPhase::SizeRead)
            ReadBlockSize();
        return Refuse(done, problem);
    }
    image.Reset(facts);
    state.presetNumber = 0;
    state.blockBase = facts.BlockSizeAddress();
    // A size read still pending is dropped: its answer is known.
    state.memAddress = TransferState::IdleAddress;
    eepromRetry.stop();
    // The live block, then the table and the read one past it.
    Begin(TransferPhase::LiveRead, Text(Message::ReadingCurrentSetup).arg(ModelName()),
          size + EepromMap::SurroundTableSize + 1, std::move(done));
    SendLiveRead(0);
    return true;
}

bool MemoryTransfer::ReadPreset(int preset, TransferDone done)
{
    if (IsBusy() || !EepromMap::IsPresetNumber(preset))
        return Refuse(done);
    if (RefusedForLostUnit(done))
        return false;
    state.presetNumber = preset;
    // The size read, the status byte, the block, the table and the name,
    // each phase with its read one past the end. The size is not known yet;
    // the total is fixed again once it is.
    Begin(TransferPhase::PresetSize, Text(Message::ReadingPreset).arg(preset).arg(ModelName()),
          2 + SettingsImage::MaxBlockSize + EepromMap::SurroundTableSize + 1 +
              EepromMap::PresetNameLength + 1,
          std::move(done));
    SendEepromRead(facts.BlockSizeAddress());
    return true;
}

bool MemoryTransfer::ReadTunerPresets(TransferDone done)
{
    if (IsBusy())
        return Refuse(done);
    if (RefusedForLostUnit(done))
        return false;
    tunerStep = TunerPresetList::AmStep10;
    Begin(TransferPhase::Tuner, Text(Message::ReadingTunerPresets).arg(ModelName()),
          1 + EepromMap::TunerImageSize, std::move(done));
    SendEepromRead(EepromMap::AmStepFlag);
    return true;
}

bool MemoryTransfer::ReadEeprom(int address, int count, TransferDone done)
{
    if (IsBusy() || count <= 0 || address < 0 || address + count > AddressSpace)
        return Refuse(done);
    if (RefusedForLostUnit(done))
        return false;
    range.clear();
    range.reserve(count);
    rangeBase = address;
    Begin(TransferPhase::Range,
          Text(Message::ReadingEeprom).arg(address).arg(address + count - 1).arg(ModelName()),
          count, std::move(done));
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
    TransferResult result;
    result.kind = TransferResult::Kind::DataRead;
    result.address = rangeBase;
    result.bytes = std::exchange(range, {});
    EndRead(std::move(result));
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
    if (state.memAddress == TransferState::IdleAddress || address != state.memAddress) {
        Stray(address);
        return;
    }
    eepromRetry.stop();
    Answered();
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
        tunerStep = TunerPresetList::StepSizeFromFlag(value);
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
    TransferResult result;
    result.kind = TransferResult::Kind::DataRead;
    result.amStepSize = tunerStep;
    result.tuner = TunerPresetList::Decode(tunerImage, tunerStep);
    EndRead(std::move(result));
}

void MemoryTransfer::OnPresetByte(int address, std::uint8_t value)
{
    const int size = image.Size();
    if (address == state.blockBase) {
        if (value == EepromMap::PresetStatusEmpty) {
            TransferResult result;
            result.kind = TransferResult::Kind::PresetEmpty;
            result.presetNumber = state.presetNumber;
            EndRead(std::move(result));
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
    TransferResult result;
    result.kind = TransferResult::Kind::DataRead;
    result.presetNumber = state.presetNumber;
    result.image = image;
    EndRead(std::move(result));
}

void MemoryTransfer::HandleLiveSetupReply(QByteArrayView payload)
{
    if (payload.size() < 3)
        return;
    const int index = static_cast<std::int8_t>(At(payload, 1));
    const std::uint8_t value = At(payload, 2);
    // A reply for any index but the pending one is a late duplicate or
    // foreign; the retry timer goes on untouched.
    if (state.setupIndex == TransferState::IdleIndex || index != state.setupIndex) {
        Stray(LiveKey + index);
        return;
    }
    Answered();
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
