// Drives the memory transfer engine as a unit would answer it, or would not.
// The input picks the unit (model, firmware, block size, memory pattern) and
// a first transfer, then what the line does: a true answer to the last
// request, a false, stale or foreign one, raw payloads, silence (the timers
// fire), Cancel, a lost unit, another transfer. Checked: every write request
// lies inside a block (or below the live size) asked to be written; no EEPROM
// byte is reported written unless the unit claimed the value sent for it;
// every transfer ends once, every request has one result; Cancel and a lost
// unit end it at once.

#include "link/message_set.h"
#include "link/unit_link.h"
#include "model/model_facts.h"
#include "model/settings_image.h"
#include "transfer/eeprom_map.h"
#include "transfer/memory_transfer.h"

#include "../support/test_bytes.h"
#include "fuzz_support.h"

#include <pty.h>
#include <termios.h>

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <vector>

namespace {

// The fuzz input, read from the front; zeros once it is used up.
struct Script
{
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    bool AtEnd() const { return at >= size; }
    std::uint8_t Next() { return at < size ? data[at++] : 0; }
    QByteArray Take(int count)
    {
        QByteArray out;
        for (int i = 0; i < count && !AtEnd(); ++i)
            out.append(static_cast<char>(Next()));
        return out;
    }
};

// A pseudo-terminal whose far end nobody reads: once its buffer is full, what
// the link writes stays queued and costs no system call. The input plays the
// unit; a tty that took every write would spend the run in the kernel.
struct Line
{
    int master = -1;
    int slave = -1;
    QString path;
    UnitLink link;

    bool Open()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(name);
        return link.Open(path, {});
    }
};

Line* line = nullptr;

// One unit and the engine under test, with what the checks need to know.
class Run
{
public:
    explicit Run(Script& input) : script(input), transfer(line->link, facts)
    {
        static const char* const models[] = {"K230", "K110", "K220", "K240"};
        static const char* const versions[] = {"v2.05", "v2.00", "v1.23", "v1.20"};
        const std::uint8_t unit = script.Next();
        facts.modelText = QString::fromLatin1(models[unit & 3]);
        facts.versionText = QString::fromLatin1(versions[(unit >> 2) & 3]);
        // The size the unit stores; what the engine knows is read, or not.
        const std::uint8_t stored = script.Next();
        const std::uint8_t pattern = script.Next();
        for (std::size_t i = 0; i < eeprom.size(); ++i)
            eeprom.at(i) = static_cast<std::uint8_t>(i * pattern + (i >> 8));
        for (std::size_t i = 0; i < live.size(); ++i)
            live.at(i) = static_cast<std::uint8_t>(i ^ pattern);
        eeprom.at(static_cast<std::size_t>(facts.BlockSizeAddress())) = stored;
        facts.blockSize =
            (unit & 0x10) ? -1 : (stored == 0 ? 67 : static_cast<std::int8_t>(stored));
        transfer.SetTiming({0, 0, 0});

        QObject::connect(&line->link, &UnitLink::payloadSent, &transfer,
                         [this](const QByteArray& p) { OnRequest(p); });
        QObject::connect(&transfer, &MemoryTransfer::transferStarted,
                         [this] { Require(++started == finished + 1); });
        QObject::connect(&transfer, &MemoryTransfer::transferFinished, [this] {
            Require(++finished == started);
            if (!transfer.IsBusy()) { // nothing queued or scheduled
                allowed.clear();
                liveLimit = 0;
            }
        });
    }

    void Play()
    {
        Start(script.Next());
        while (!script.AtEnd())
            Step(script.Next());
        Cancel();
        Require(!transfer.IsBusy());
        for (int calls : results)
            Require(calls == 1);
    }

private:
    // Claims of the unit: (address, a value it said it holds there).
    using Claims = std::set<std::pair<int, int>>;
    // An EEPROM block a write asks for: its address and bytes.
    using Block = std::pair<int, QByteArray>;

    // The callback of one request: it must come exactly once.
    TransferDone Result(std::function<void(const TransferResult&)> check = {})
    {
        const std::size_t id = results.size();
        results.push_back(0);
        return [this, id, check = std::move(check)](const TransferResult& result) {
            Require(++results.at(id) == 1);
            if (check)
                check(result);
        };
    }

    void Start(std::uint8_t choice)
    {
        const int preset = 1 + choice / 16 % 5;
        SettingsImage image;
        image.Reset(facts);
        for (int i = 0; i < image.Size(); ++i)
            image.SetByteAt(i, (i * 7 + choice) & 0xFF);
        const int size = image.Size();
        switch (choice % 8) {
        case 0:
            transfer.ReadCurrentSetup(Result());
            break;
        case 1:
            transfer.ReadPreset(preset, Result());
            break;
        case 2:
            transfer.ReadTunerPresets(Result());
            break;
        case 3:
            transfer.ReadEeprom(choice * 8, 1 + choice % 40, Result());
            break;
        case 4:
            Write({}, size, [&](TransferDone done) {
                return transfer.WriteCurrentSetup(image, std::move(done));
            });
            break;
        case 5:
            Write({{transfer.PresetAddress(preset) + 1, image.BlockAndTableBytes()},
                   {EepromMap::PresetNameAddress(preset), image.NameBytes()}},
                  0, [&](TransferDone done) {
                      return transfer.WritePreset(preset, image, std::move(done));
                  });
            break;
        case 6: {
            const QByteArray data = script.Take(1 + choice % 24);
            const int address = (choice << 4) | script.Next();
            Write({{address, data}}, 0, [&](TransferDone done) {
                return transfer.WriteEeprom(data, address, std::move(done));
            });
            break;
        }
        default:
            transfer.ReadBlockSize();
            break;
        }
    }

    void Step(std::uint8_t action)
    {
        switch (action % 8) {
        case 0:
            Answer(false);
            break;
        case 1:
            Answer(true);
            break;
        case 2: { // a reply for a neighbouring address or index
            const int delta = static_cast<std::int8_t>(script.Next());
            Reply(last, delta, script.Next());
            break;
        }
        case 3:
            Feed(script.Take(script.Next() % 8));
            break;
        case 4: // silence: whatever timer is due fires
            QCoreApplication::processEvents();
            break;
        case 5:
            Cancel();
            break;
        case 6: {
            const bool busy = transfer.IsBusy();
            transfer.ConnectionLost();
            Require(!busy || started == finished);
            break;
        }
        default:
            Start(script.Next());
            break;
        }
    }

    void Cancel()
    {
        transfer.Abort();
        Require(started == finished);
    }

    // Allows the blocks (and the live indexes below liveSize) that `write`
    // asks the engine to write, before it runs: its first byte may go out at
    // once. A write the engine refuses allows nothing. A write reported
    // written had every byte of its blocks claimed by the unit.
    void Write(const std::vector<Block>& blocks, int liveSize,
               const std::function<bool(TransferDone)>& write)
    {
        const std::size_t allowedBefore = allowed.size();
        const int liveBefore = liveLimit;
        for (const auto& [address, bytes] : blocks) {
            if (address >= 0 && !bytes.isEmpty())
                allowed.push_back({address, address + static_cast<int>(bytes.size())});
        }
        liveLimit = std::max(liveLimit, liveSize);
        const TransferDone done = Result([this, blocks](const TransferResult& result) {
            if (result.kind != TransferResult::Kind::Written)
                return;
            for (const auto& [address, bytes] : blocks) {
                for (qsizetype i = 0; i < bytes.size(); ++i)
                    Require(eepromClaims.count({address + static_cast<int>(i),
                                                static_cast<std::uint8_t>(bytes.at(i))}) == 1);
            }
        });
        if (!write(done)) {
            allowed.resize(allowedBefore);
            liveLimit = liveBefore;
        }
    }

    void OnRequest(const QByteArray& request)
    {
        last = request;
        const auto type = static_cast<std::uint8_t>(request.at(0));
        const bool write = request.size() > 1 && request.at(1) == char(MemoryOp::Write);
        if (!write)
            return;
        if (type == MessageType::Eeprom) {
            Require(request.size() == 5);
            const int address = Address(request);
            bool inside = false;
            for (const auto& [first, end] : allowed)
                inside = inside || (address >= first && address < end);
            Require(inside);
        } else if (type == MessageType::LiveSetup) {
            Require(request.size() == 4);
            Require(static_cast<std::uint8_t>(request.at(2)) < liveLimit);
        }
    }

    static int Address(const QByteArray& request)
    {
        return static_cast<std::uint8_t>(request.at(2)) | static_cast<std::uint8_t>(request.at(3))
                                                              << 8;
    }

    // Answers the last request as the unit would, or with a false value.
    void Answer(bool falsely)
    {
        if (last.size() < 3)
            return;
        const auto type = static_cast<std::uint8_t>(last.at(0));
        const auto op = static_cast<std::uint8_t>(last.at(1));
        std::uint8_t lie = falsely ? script.Next() : 0;
        if (type == MessageType::Eeprom && last.size() >= 4) {
            const auto address = static_cast<std::size_t>(Address(last));
            if (op == MemoryOp::Write && last.size() == 5 && !falsely)
                eeprom.at(address) = static_cast<std::uint8_t>(last.at(4));
            Reply(last, 0, falsely ? lie : eeprom.at(address));
        } else if (type == MessageType::LiveSetup) {
            const auto index = static_cast<std::uint8_t>(last.at(2));
            if (op == MemoryOp::Write && last.size() == 4 && !falsely)
                live.at(index) = static_cast<std::uint8_t>(last.at(3));
            Reply(last, 0, falsely ? lie : live.at(index));
        }
    }

    // A reply about the request's address (or index) moved by delta.
    void Reply(const QByteArray& request, int delta, std::uint8_t value)
    {
        if (request.size() < 3)
            return;
        const auto type = static_cast<std::uint8_t>(request.at(0));
        if (type == MessageType::Eeprom && request.size() >= 4) {
            const int address = (Address(request) + delta) & 0xFFFF;
            eepromClaims.insert({address, value});
            Feed(Bytes({type, address & 0xFF, address >> 8, value}));
        } else if (type == MessageType::LiveSetup) {
            const int index = (static_cast<std::uint8_t>(request.at(2)) + delta) & 0xFF;
            Feed(Bytes({type, index, value}));
        }
    }

    void Feed(const QByteArray& payload) { Q_EMIT line->link.payloadReceived(payload); }

    Script& script;
    ModelFacts facts;
    MemoryTransfer transfer;
    std::array<std::uint8_t, 0x10000> eeprom{};
    std::array<std::uint8_t, 256> live{};
    std::vector<std::pair<int, int>> allowed; // [first, end) of blocks asked to be written
    int liveLimit = 0;                        // live indexes below it may be written
    Claims eepromClaims;
    QByteArray last;          // the request the unit saw last
    std::vector<int> results; // per request: its results so far
    int started = 0;
    int finished = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    StartApplication(argc, argv);
    static Line shared;
    Require(shared.Open());
    line = &shared;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Script script{data, size};
    Run(script).Play();
    // Reopening the port now and then drops the frames queued behind the full
    // buffer, so the queue stays bounded; doing it after every input would
    // cost more than the input itself.
    static int runs = 0;
    if (++runs % 256 == 0) {
        line->link.Close();
        Require(line->link.Open(line->path, {}));
    }
    return 0;
}
