#pragma once

#include "event_wait.h"
#include "simulated_receiver.h"
#include "unit/unit_session.h"

#include <algorithm>

// A unit of that model and firmware on an unpaced in-process line without
// RDS: what tests of memory transfers want, where only the bytes matter.
inline SimOptions UnpacedUnit(const QString& model, const QString& firmware)
{
    SimOptions options;
    options.model = model;
    options.firmware = firmware;
    options.lineRate = 0;
    options.rdsPeriodMs = 0;
    options.inProcess = true;
    return options;
}

// Starts the session on the simulated unit's line (the unit started) and
// waits until it is connected with the block size and every input name
// known; false when that takes longer than timeoutMs.
inline bool ConnectToSim(UnitSession& session, SimulatedReceiver& sim, int timeoutMs)
{
    session.SetPortSetting(sim.SlavePath());
    session.Start();
    return WaitFor(
        [&session] {
            const LiveValues& v = session.Status();
            return v.connected && v.facts.blockSize > 0 &&
                   std::all_of(v.inputNameKnown.begin(), v.inputNameKnown.end(),
                               [](bool known) { return known; });
        },
        timeoutMs);
}
