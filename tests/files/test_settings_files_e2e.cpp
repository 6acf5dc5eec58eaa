#include "cli/cli_settings_run.h"
#include "common/message_box.h"
#include "common/message_table.h"
#include "file_size_limit.h"
#include "files/compare_result_dlg.h"
#include "files/configuration_compare.h"
#include "files/settings_file_commands.h"
#include "files/settings_file_format.h"
#include "files/settings_load_run.h"
#include "files/settings_save_chain.h"
#include "files/unit_configuration_read.h"
#include "model/settings_field.h"
#include "panel/test_control_panel_fixture.h"
#include "screenshot.h"
#include "sim_session.h"
#include "simulated_receiver.h"
#include "transfer/eeprom_map.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <optional>

// "Save Settings" from one simulated receiver and "Load Settings" into
// another with a blank memory: the second unit ends up holding what the
// first held, except what files do not carry, and saves the same file. The
// simulated unit keeps the bytes as written and decodes its AM presets with
// its own step, so an encoding fault shows as it would on a real unit.
// Lossy lines are the fault matrix's: the same chain and run, byte for byte.
namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A started unit of that model and firmware, and the panel connected to it.
struct Rig
{
    std::unique_ptr<SimulatedReceiver> sim;
    std::unique_ptr<PanelFixture> f;

    Rig(const QString& model, const QString& firmware,
        const std::function<void(SimulatedReceiver&)>& memory = {})
        : sim(std::make_unique<SimulatedReceiver>(UnpacedUnit(model, firmware)))
    {
        if (memory)
            memory(*sim);
        if (QTest::currentTestFailed() || !sim->Start())
            return;
        f = std::make_unique<PanelFixture>(sim->SlavePath());
        if (!f->Ready())
            f.reset();
        else // a load renames without the file's pauses
            Commands().LoadRun().SetRenamePause(0);
    }
    ~Rig() { f.reset(); } // the panel goes before the unit

    SettingsFileCommands& Commands() const { return *f->panel->findChild<SettingsFileCommands*>(); }

    // Clicks a command with the answers queued (a load that succeeds shows
    // nothing afterwards); true when it ended as `expect`.
    bool Run(bool save, const QString& path, bool expect = true) const
    {
        QSignalSpy done(&Commands(), &SettingsFileCommands::commandFinished);
        SettingsFileCommands::SetNextPath(path);
        MessageBox::SetNextAnswer(save ? QMessageBox::Ok : QMessageBox::Yes); // result, warning
        if (save)
            Q_EMIT f->panel->saveSettingsClicked();
        else
            Q_EMIT f->panel->loadSettingsClicked();
        const bool ended = done.size() > 0 || done.wait(60000);
        if (ended && done.at(0).at(0).toBool() != expect)
            qWarning("ended with: %s", qPrintable(MessageBox::LastText()));
        return ended && done.at(0).at(0).toBool() == expect;
    }
};

int SizeAddress(SimulatedReceiver& sim)
{
    return sim.Unit().Layout().Facts().BlockSizeAddress();
}

// A memory that holds nothing but the block size, which a unit always has,
// and the AM step flag when `amStep` is given.
QByteArray Blank(SimulatedReceiver& like, int amStep = 0)
{
    QByteArray blank(SimUnit::EepromSize, char(0xFF));
    blank[SizeAddress(like)] = like.Eeprom().at(SizeAddress(like));
    if (amStep)
        blank[EepromMap::AmStepFlag] = char(amStep == 9 ? 0 : 1);
    return blank;
}

// Loads a unit of `like`'s kind with `memory`.
std::function<void(SimulatedReceiver&)> Memory(const QByteArray& memory)
{
    return [memory](SimulatedReceiver& sim) { QVERIFY(sim.Unit().ReplaceEeprom(memory)); };
}

// Random setup blocks and tables, presets present or empty, random tuner
// presets inside their bands, and a random live setup.
void Randomize(SimulatedReceiver& sim, int amStep, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray eeprom = Blank(sim, amStep);
    const int base = SizeAddress(sim);
    const int size = ModelFacts::DecodeBlockSize(quint8(eeprom.at(base)));
    const auto put = [&](int address, int value) { eeprom[address] = char(value & 0xFF); };
    for (int i = 1; i <= EepromMap::PresetStride(size) - 1; ++i)
        put(base + i, int(random.bounded(256)));
    for (int k = 1; k <= 5; ++k) {
        const int status = EepromMap::PresetAddress(base, size, k);
        put(status, random.bounded(3) == 0 ? EepromMap::PresetStatusEmpty : size);
        for (int i = 1; i < EepromMap::PresetStride(size); ++i)
            put(status + i, int(random.bounded(256)));
    }
    for (int n = 0; n < 30; ++n) {
        if (random.bounded(2))
            continue;
        const int slot = EepromMap::TunerImage + 11 * n;
        const int word = (8750 + 5 * int(random.bounded(421)) + 1070) / 5;
        put(slot, word >> 8);
        put(slot + 1, word);
        const int length = int(random.bounded(9));
        for (int i = 0; i < 8; ++i)
            put(slot + 2 + i, length == 0 ? 0 : (i < length ? 'A' + int(random.bounded(26)) : ' '));
        put(slot + 10, int(random.bounded(2)));
    }
    for (int n = 0; n < 10; ++n) {
        if (random.bounded(3) == 0)
            continue;
        const int low = (530 + 450 + amStep - 1) / amStep;
        const int high = (1710 + 450) / amStep;
        const int word = low + int(random.bounded(high - low + 1));
        put(EepromMap::TunerImageEnd - 20 + 2 * n, word >> 8);
        put(EepromMap::TunerImageEnd - 20 + 2 * n + 1, word);
    }
    QVERIFY(sim.Unit().ReplaceEeprom(eeprom));
    QByteArray live = sim.Unit().LiveSetup();
    for (qsizetype i = 0; i < live.size(); ++i)
        live[i] = char(random.bounded(256));
    QVERIFY(sim.Unit().ReplaceLiveSetup(live));
}

// Both memories over the mapped regions, without what files do not carry:
// the presets' input records and names, and the fields the reader takes
// from the live status or leaves alone.
void CompareUnits(SimulatedReceiver& a, SimulatedReceiver& b, const ModelFacts& facts)
{
    const int size = facts.blockSize;
    SettingsImage layout;
    layout.Reset(facts);
    QList<int> masked;
    for (int canonical : {58, 63, 64, 66})
        masked << layout.Position(canonical);
    // A preset's speaker outputs neither: the file's speaker lines are the unit's.
    QList<int> presetMasked = masked;
    presetMasked << layout.Position(SettingsField::SpeakerOutputs);
    for (int canonical = SettingsField::InputRecords; canonical < SettingsField::InputRecordsEnd;
         ++canonical)
        presetMasked << layout.Position(canonical);
    auto block = [&](QByteArray bytes, bool preset) {
        for (int position : preset ? presetMasked : masked) {
            if (position >= 0 && position < bytes.size())
                bytes[position] = 0;
        }
        return bytes;
    };
    QCOMPARE(block(b.LiveSetup().left(size), false), block(a.LiveSetup().left(size), false));
    for (int k = EepromMap::FirstPreset; k <= EepromMap::LastPreset; ++k) {
        const int at = EepromMap::PresetAddress(facts.BlockSizeAddress(), size, k);
        QCOMPARE(b.Eeprom().at(at), a.Eeprom().at(at));
        if (quint8(a.Eeprom().at(at)) == EepromMap::PresetStatusEmpty)
            continue;
        QCOMPARE(block(b.Eeprom().mid(at + 1, size), true),
                 block(a.Eeprom().mid(at + 1, size), true));
        // Two-channel modes travel by name, and some names stand for two codes.
        QByteArray table = a.Eeprom().mid(at + 1 + size, 20);
        for (char& byte : table) {
            const int code = quint8(byte) >> 4;
            const QByteArray name = SettingsFileFormat::TwoChannelName(code);
            const int back = name.isEmpty()
                                 ? code
                                 : SettingsFileFormat::TwoChannelCode(QString::fromLatin1(name));
            byte = char(((back < 0 ? code : back) << 4) | (quint8(byte) & 0x0F));
        }
        QCOMPARE(b.Eeprom().mid(at + 1 + size, 20), table);
    }
    QCOMPARE(b.Eeprom().mid(EepromMap::TunerImage, EepromMap::TunerImageSize),
             a.Eeprom().mid(EepromMap::TunerImage, EepromMap::TunerImageSize));
    for (int i = 0; i < InputCount; ++i)
        QCOMPARE(b.Unit().InputName(i), a.Unit().InputName(i));
}

} // namespace

Q_DECLARE_METATYPE(UnitConfiguration)

class TestSettingsFilesE2e : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString saved; // the K230's file, from roundTrip

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<UnitConfiguration>();
        QVERIFY(dir.isValid());
        MessageBox::SetUnqueuedAnswer(QMessageBox::Ok); // a failed load says why
    }

    void gates_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<int>("saveMessage");
        QTest::addColumn<int>("loadMessage"); // 0: the warning is asked
        QTest::newRow("K220 v2.05") << u"K220"_s << u"v2.05"_s << int(Message::UnsupportedUnit)
                                    << int(Message::UnsupportedUnit);
        QTest::newRow("K230 v2.00")
            << u"K230"_s << u"v2.00"_s << int(Message::NeedsFirmware205) << 0;
    }
    void gates()
    {
        QFETCH(QString, model);
        QFETCH(QString, firmware);
        QFETCH(int, saveMessage);
        QFETCH(int, loadMessage);
        Rig rig(model, firmware);
        QVERIFY(rig.f);
        SettingsFileCommands::SetNextPath(dir.filePath(u"gate.vxf"_s));
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        Q_EMIT rig.f->panel->saveSettingsClicked();
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(saveMessage));
        QVERIFY(!QFile::exists(dir.filePath(u"gate.vxf"_s)));
        MessageBox::SetNextAnswer(loadMessage ? QMessageBox::Ok : QMessageBox::No);
        Q_EMIT rig.f->panel->loadSettingsClicked();
        QCOMPARE(MessageBox::LastText(),
                 MessageTable::Text(loadMessage ? loadMessage : int(Message::LoadConfirm)));
        SettingsFileCommands::SetNextPath({});
    }

    // A unit with names of its own and the room on (the file records the
    // speaker check marks, which show while it is on) into a blank one.
    void roundTrip()
    {
        Rig source(u"K230"_s, u"v2.05"_s);
        QVERIFY(source.f);
        UnitCommands& commands = source.f->panel->Session().Commands();
        commands.SendInputName(2, u"MY DVD"_s);
        commands.SendInputName(7, u"TURNTABLE"_s);
        source.f->Click(u"mainPower"_s);
        const LiveValues& live = source.f->panel->Session().Status();
        QTRY_VERIFY_WITH_TIMEOUT(live.inputNames[7].startsWith(u"TURNTABLE"_s) &&
                                     source.f->Enabled(u"speakersA"_s),
                                 10000);
        const ModelFacts facts = live.facts;
        saved = dir.filePath(u"unit.vxf"_s);
        QVERIFY(source.Run(true, saved));
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::SettingsSaved));
        QVERIFY(ReadAll(saved).endsWith("</VELTRIX>"));
        source.f.reset();

        Rig target(u"K230"_s, u"v2.05"_s, Memory(Blank(*source.sim)));
        QVERIFY(target.f);
        QVERIFY(target.Run(false, saved));
        QVERIFY(!target.f->panel->Session().Transfer().IsBusy());
        CompareUnits(*source.sim, *target.sim, facts);
    }

    // Backups restore what was saved: a unit of random memory saved, the
    // file loaded into a blank unit of the same model, firmware and AM step,
    // and that unit saved again give the same file byte for byte.
    void backupSavesTheSameFile_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<int>("amStep");
        // Each model, firmware and AM step once.
        QTest::newRow("K230 v2.05 9 kHz") << u"K230"_s << u"v2.05"_s << 9;
        QTest::newRow("K240 v3.01 10 kHz") << u"K240"_s << u"v3.01"_s << 10;
        QTest::newRow("K110 v3.01 9 kHz") << u"K110"_s << u"v3.01"_s << 9;
    }
    void backupSavesTheSameFile()
    {
        QFETCH(QString, model);
        QFETCH(QString, firmware);
        QFETCH(int, amStep);
        Rig a(model, firmware,
              [&](SimulatedReceiver& sim) { Randomize(sim, amStep, qHash(model + firmware)); });
        QVERIFY(a.f);
        const QString first = dir.filePath(model + firmware + u"-a.vxf"_s);
        QVERIFY(a.Run(true, first));
        const QByteArray firstBytes = ReadAll(first);
        // The unit pads its names with spaces; the file holds the names.
        for (const QByteArray& line : firstBytes.split('\n')) {
            if (line.startsWith("\t\tInputName"))
                QVERIFY2(!line.endsWith(" \r\r"), line.constData());
        }

        Rig b(model, firmware, Memory(Blank(*a.sim, amStep)));
        QVERIFY(b.f);
        QVERIFY(b.Run(false, first));
        const QString again = dir.filePath(model + firmware + u"-b.vxf"_s);
        QVERIFY(b.Run(true, again));
        QCOMPARE(ReadAll(again), firstBytes);
    }

    // A 9 kHz file into a 10 kHz unit: each AM preset on its nearest channel.
    // With the encoding broken (the file's step used), `load --verify`'s
    // read, decoded as the unit decodes, names each AM preset that moved.
    void amStepOfTheUnit()
    {
        Rig a(u"K230"_s, u"v2.05"_s);
        QVERIFY(a.f);
        const QString path = dir.filePath(u"nine.vxf"_s);
        WriteAll(path, "<VELTRIX>\r\n\tModel \t\t\tK230\r\n\t<TunerPresets>\r\n"
                       "\t\tAM Step Size = 9\r\n\t\tAM Preset = 1\r\n\t\tAM Frequency = 531\r\n"
                       "\t\tAM Preset = 2\r\n\t\tAM Frequency = 1602\r\n\t</TunerPresets>\r\n"
                       "</VELTRIX>");
        QVERIFY(a.Run(false, path));
        UnitSession& session = a.f->panel->Session();
        UnitConfigurationRead read(session);
        QSignalSpy held(&read, &UnitConfigurationRead::finished);
        QVERIFY(read.Start() && held.wait(60000));
        const auto unit = held.first().at(1).value<UnitConfiguration>();
        QVERIFY(unit.tuner);
        QCOMPARE(unit.tuner->AmPresets().size(), 2);
        QCOMPARE(unit.tuner->AmPresets().at(0).frequency, 530);
        QCOMPARE(unit.tuner->AmPresets().at(1).frequency, 1600);
        const SettingsLoadRun& load = a.Commands().LoadRun();
        QVERIFY(ConfigurationCompare::Differences(load.Configuration(), unit, load.Written(), true)
                    .isEmpty());

        QVERIFY(a.sim->Unit().ReplaceEeprom(Blank(*a.sim, 9)));
        CliRequest request;
        request.command = CliRequest::Command::Load;
        request.file = path;
        request.verify = true;
        CliSettingsRun verify(session, request);
        verify.LoadRun().SetEncodingStep(10);
        QSignalSpy done(&verify, &CliSettingsRun::finished);
        verify.Start();
        QVERIFY(done.wait(60000));
        QVERIFY(!done.first().at(0).toBool());
        const QStringList lines = done.first().at(1).toStringList();
        // 531 kHz as a 10 kHz word is 432 kHz to the unit, below the band: gone.
        QVERIFY(lines.contains(u"Tuner > AM preset 1: file 531 kHz, unit (none)"_s));
        QVERIFY(lines.contains(u"Tuner > AM preset 2: file 1602 kHz, unit 1395 kHz"_s));
        QCOMPARE(done.first().at(2).toString(),
                 MessageTable::Text(Message::CliVerifyFailed).arg(u"2 differences"_s));
    }

    void failedSaveKeepsEarlierFile_data()
    {
        QTest::addColumn<bool>("cancel");   // else the disk is full (a file size limit)
        QTest::newRow("cancelled") << true; // at A/V preset 3
        QTest::newRow("disk full") << false;
    }
    // A save cancelled in the middle of the chain or stopped by a full disk:
    // the error box says why, the earlier file stays byte for byte as it was,
    // no temporary is left beside it, and the unit can be read again.
    void failedSaveKeepsEarlierFile()
    {
        QFETCH(bool, cancel);
        Rig rig(u"K230"_s, u"v2.05"_s);
        QVERIFY(rig.f);
        const QString folder = dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + u"/earlier.vxf"_s;
        WriteAll(path, "earlier");
        MemoryTransfer& transfer = rig.f->panel->Session().Transfer();
        SettingsSaveChain& chain = rig.Commands().SaveChain();
        QObject::connect(&transfer, &MemoryTransfer::transferStarted, &chain, [&] {
            if (cancel && chain.Step() == 3)
                QTimer::singleShot(0, &transfer, &MemoryTransfer::Abort);
        });
        {
            std::optional<FileSizeLimit> full;
            if (!cancel)
                QVERIFY(full.emplace(4096).Active());
            QVERIFY(rig.Run(true, path, false));
        }
        QVERIFY(MessageBox::LastText().startsWith(
            MessageTable::Text(Message::SaveIncomplete).section(u"%1"_s, 0, 0)));
        if (cancel)
            QVERIFY(
                MessageBox::LastText().contains(MessageTable::Text(Message::TransferCancelled)));
        QCOMPARE(ReadAll(path), QByteArray("earlier"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QVERIFY(!chain.IsRunning());
    }

    // "Compare with Settings File...": a file saved from the unit matches it;
    // one field changed in the file is the one row of the list.
    void compareWithFile()
    {
        Rig rig(u"K230"_s, u"v2.05"_s);
        QVERIFY(rig.f);
        const QString path = dir.filePath(u"compare.vxf"_s);
        QVERIFY(rig.Run(true, path));
        QByteArray changed = ReadAll(path);
        const qsizetype bass = changed.indexOf("\t\tBass  \t\t");
        QVERIFY(bass > 0);
        changed.replace(bass, changed.indexOf('\r', bass) - bass, "\t\tBass  \t\t+10 dB");
        const QString changedPath = dir.filePath(u"changed.vxf"_s);
        WriteAll(changedPath, changed);
        const quint64 revision = rig.sim->Unit().EepromRevision();

        for (const QString& file : {path, changedPath}) {
            QSignalSpy done(&rig.Commands(), &SettingsFileCommands::commandFinished);
            SettingsFileCommands::SetNextPath(file);
            rig.f->panel->findChild<QAction*>(u"compareWithFile"_s)->trigger();
            QVERIFY(done.wait(60000));
            QVERIFY(done.first().at(0).toBool());
            auto* shown = rig.f->panel->findChild<CompareResultDlg*>();
            QVERIFY(shown);
            if (file == path) {
                QCOMPARE(shown->Summary(), MessageTable::Text(Message::UnitMatchesFile));
                QVERIFY(shown->Differences().isEmpty());
            } else {
                SaveShot(*shown, u"compare-with-file"_s);
                QCOMPARE(shown->Differences().size(), 1);
                QVERIFY2(shown->Differences().first().startsWith(
                             u"Current setup > Levels > Bass: file +10 dB, unit "_s),
                         qPrintable(shown->Differences().first()));
            }
            delete shown;
        }
        QCOMPARE(rig.sim->Unit().EepromRevision(), revision); // nothing written
    }

    // A file of another model, the question answered No: not one write.
    void modelQuestionNoWritesNothing()
    {
        QVERIFY(QFile::exists(saved));
        Rig rig(u"K240"_s, u"v2.05"_s);
        QVERIFY(rig.f);
        const QByteArray eeprom = rig.sim->Eeprom();
        const QByteArray live = rig.sim->LiveSetup();
        int writes = 0;
        QObject::connect(
            rig.sim.get(), &SimulatedReceiver::frameReceived, [&](const QByteArray& p) {
                writes += (p.size() > 1 && p[1] == MemoryOp::Write &&
                           (p[0] == MessageType::LiveSetup || p[0] == MessageType::Eeprom)) ||
                          (p.size() > 3 && p[0] == MessageType::Set && p[1] == Variable::InputName);
            });
        MessageBox::SetNextAnswer(QMessageBox::Yes); // the warning
        MessageBox::SetNextAnswer(QMessageBox::No);  // the model question
        MessageBox::SetNextAnswer(QMessageBox::Ok);  // "Processing aborted."
        QSignalSpy done(&rig.Commands(), &SettingsFileCommands::commandFinished);
        SettingsFileCommands::SetNextPath(saved);
        Q_EMIT rig.f->panel->loadSettingsClicked();
        QVERIFY(done.wait(5000));
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::ProcessingAborted));
        Pause(100); // what would have been sent reaches the unit
        QCOMPARE(writes, 0);
        QCOMPARE(rig.sim->Eeprom(), eeprom);
        QCOMPARE(rig.sim->LiveSetup(), live);
    }
};

QTEST_MAIN(TestSettingsFilesE2e)
#include "test_settings_files_e2e.moc"
