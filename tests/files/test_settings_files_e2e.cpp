#include "common/message_box.h"
#include "common/message_table.h"
#include "files/compare_result_dlg.h"
#include "files/configuration_compare.h"
#include "files/settings_file_commands.h"
#include "files/settings_load_run.h"
#include "files/unit_configuration_read.h"
#include "panel/test_control_panel_fixture.h"
#include "screenshot.h"
#include "sim_session.h"
#include "simulated_receiver.h"
#include "test_files.h"
#include "transfer/eeprom_map.h"

#include <QAction>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>

// "Save Settings" from one simulated receiver and "Load Settings" into
// another with a blank memory: the second saves the same file. The
// simulated unit keeps the bytes as written and decodes its AM presets with
// its own step, so an encoding fault shows as it would on a real unit.
// Lossy lines are the fault matrix's: the same chain and run, byte for byte.
namespace {

// A started unit of that model and firmware, and the panel connected to it.
struct Rig
{
    std::unique_ptr<SimulatedReceiver> sim;
    std::unique_ptr<PanelFixture> f; // after its unit, so it goes first

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

    SettingsFileCommands& Commands() const { return *f->panel->findChild<SettingsFileCommands*>(); }

    // Clicks a command with the answers queued (a load that succeeds shows
    // nothing afterwards); true when it succeeded.
    bool Run(bool save, const QString& path) const
    {
        QSignalSpy done(&Commands(), &SettingsFileCommands::commandFinished);
        SettingsFileCommands::SetNextPath(path);
        MessageBox::SetNextAnswer(save ? QMessageBox::Ok : QMessageBox::Yes); // result, warning
        if (save)
            Q_EMIT f->panel->saveSettingsClicked();
        else
            Q_EMIT f->panel->loadSettingsClicked();
        const bool ok = (done.size() > 0 || done.wait(60000)) && done.at(0).at(0).toBool();
        if (!ok)
            qWarning("ended with: %s", qPrintable(MessageBox::LastText()));
        return ok;
    }
};

int SizeAddress(SimulatedReceiver& sim)
{
    return sim.Unit().Layout().Facts().BlockSizeAddress();
}

// A memory that holds nothing but the block size, which a unit always has,
// and the AM step flag.
QByteArray Blank(SimulatedReceiver& like, int amStep)
{
    QByteArray blank(SimUnit::EepromSize, char(0xFF));
    blank[SizeAddress(like)] = like.Eeprom().at(SizeAddress(like));
    blank[EepromMap::AmStepFlag] = char(amStep == 9 ? 0 : 1);
    return blank;
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

} // namespace

Q_DECLARE_METATYPE(UnitConfiguration)

class TestSettingsFilesE2e : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<UnitConfiguration>();
        QVERIFY(dir.isValid());
        MessageBox::SetUnqueuedAnswer(QMessageBox::Ok); // a failed load says why
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
        const QByteArray firstBytes = FileBytes(first);
        // The unit pads its names with spaces; the file holds the names.
        for (const QByteArray& line : firstBytes.split('\n')) {
            if (line.startsWith("\t\tInputName"))
                QVERIFY2(!line.endsWith(" \r\r"), line.constData());
        }

        const QByteArray blank = Blank(*a.sim, amStep);
        Rig b(model, firmware,
              [&](SimulatedReceiver& sim) { QVERIFY(sim.Unit().ReplaceEeprom(blank)); });
        QVERIFY(b.f);
        QVERIFY(b.Run(false, first));
        const QString again = dir.filePath(model + firmware + u"-b.vxf"_s);
        QVERIFY(b.Run(true, again));
        QCOMPARE(FileBytes(again), firstBytes);
    }

    // A K230's 9 kHz file into a 10 kHz K240: the model question answered No
    // sends not one write; answered Yes, each AM preset lands on its nearest
    // channel, and the unit then holds what the load says it wrote.
    void anotherModelAndAmStep()
    {
        Rig a(u"K240"_s, u"v2.05"_s);
        QVERIFY(a.f);
        const QString path = dir.filePath(u"nine.vxf"_s);
        QVERIFY(WriteFile(path,
                          "<VELTRIX>\r\n\tModel \t\t\tK230\r\n\t<TunerPresets>\r\n"
                          "\t\tAM Step Size = 9\r\n\t\tAM Preset = 1\r\n\t\tAM Frequency = 531\r\n"
                          "\t\tAM Preset = 2\r\n\t\tAM Frequency = 1602\r\n\t</TunerPresets>\r\n"
                          "</VELTRIX>"));
        int writes = 0;
        QObject::connect(a.sim.get(), &SimulatedReceiver::frameReceived, [&](const QByteArray& p) {
            writes += (p.size() > 1 && p[1] == MemoryOp::Write &&
                       (p[0] == MessageType::LiveSetup || p[0] == MessageType::Eeprom)) ||
                      (p.size() > 3 && p[0] == MessageType::Set && p[1] == Variable::InputName);
        });
        MessageBox::SetNextAnswer(QMessageBox::Yes); // the warning
        MessageBox::SetNextAnswer(QMessageBox::No);  // the model question
        MessageBox::SetNextAnswer(QMessageBox::Ok);  // "Processing aborted."
        QSignalSpy done(&a.Commands(), &SettingsFileCommands::commandFinished);
        SettingsFileCommands::SetNextPath(path);
        Q_EMIT a.f->panel->loadSettingsClicked();
        QVERIFY(done.wait(5000));
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::ProcessingAborted));
        Pause(100); // what would have been sent reaches the unit
        QCOMPARE(writes, 0);

        MessageBox::SetNextAnswer(QMessageBox::Yes); // the model question, after the warning
        QVERIFY(a.Run(false, path));
        QVERIFY(writes > 0);
        UnitConfigurationRead read(a.f->panel->Session());
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
    }

    // "Compare with Settings File...": one field changed in a file saved from
    // the unit is the one row of the list (a match is the command line's).
    void compareWithFile()
    {
        Rig rig(u"K230"_s, u"v2.05"_s);
        QVERIFY(rig.f);
        const QString path = dir.filePath(u"compare.vxf"_s);
        QVERIFY(rig.Run(true, path));
        QByteArray changed = FileBytes(path);
        const qsizetype bass = changed.indexOf("\t\tBass  \t\t");
        QVERIFY(bass > 0);
        changed.replace(bass, changed.indexOf('\r', bass) - bass, "\t\tBass  \t\t+10 dB");
        const QString changedPath = dir.filePath(u"changed.vxf"_s);
        QVERIFY(WriteFile(changedPath, changed));
        const quint64 revision = rig.sim->Unit().EepromRevision();
        QSignalSpy done(&rig.Commands(), &SettingsFileCommands::commandFinished);
        SettingsFileCommands::SetNextPath(changedPath);
        rig.f->panel->findChild<QAction*>(u"compareWithFile"_s)->trigger();
        QVERIFY(done.wait(60000));
        QVERIFY(done.first().at(0).toBool());
        std::unique_ptr<CompareResultDlg> shown(rig.f->panel->findChild<CompareResultDlg*>());
        QVERIFY(shown);
        SaveShot(*shown, u"compare-with-file"_s);
        QCOMPARE(shown->Differences().size(), 1);
        QVERIFY2(shown->Differences().first().startsWith(
                     u"Current setup > Levels > Bass: file +10 dB, unit "_s),
                 qPrintable(shown->Differences().first()));
        QCOMPARE(rig.sim->Unit().EepromRevision(), revision); // nothing written
    }
};

QTEST_MAIN(TestSettingsFilesE2e)
#include "test_settings_files_e2e.moc"
