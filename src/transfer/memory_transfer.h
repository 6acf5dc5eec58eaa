#pragma once

#include "transfer/transfer_state.h"

#include <QByteArrayView>
#include <QObject>
#include <QTimer>

class UnitLink;
struct LiveStatus;

// Moves bytes between the program and the receiver's memories: the live
// setup (type 29, 8-bit index) and the EEPROM (type 30, 16-bit address), one
// byte per request. A request is repeated by its retry timer until a fitting
// reply arrives or the transfer is aborted.
//
// Runs on the owner's thread. Replies reach it through HandleLiveSetupReply
// and HandleEepromReply, called by the session's dispatch for every type-29
// and type-30 payload.
class MemoryTransfer : public QObject
{
    Q_OBJECT

public:
    struct Timing
    {
        int retry = 1000; // ms before a pending read is sent again
        int pace = 750;   // ms before an unanswered EEPROM write moves on
    };

    MemoryTransfer(UnitLink& link, LiveStatus& status, QObject* parent = nullptr);

    void SetTiming(const Timing& timing);
    const TransferState& State() const { return state; }

    // Reads the block size byte at the base of the setup area; repeated every
    // retry period until answered. The answer lands in status.facts.blockSize.
    void ReadBlockSize();

    void HandleLiveSetupReply(QByteArrayView payload);
    void HandleEepromReply(QByteArrayView payload);

Q_SIGNALS:
    // The unit answered the block-size read; size is already decoded.
    void blockSizeRead(int size);

private:
    void SendEepromRead(int address);
    void OnEepromRetry();

    UnitLink& link;
    LiveStatus& status;
    Timing timing;
    TransferState state;
    QTimer eepromRetry;
};
