#include "cli/cli_settings_run.h"
#include "common/message_table.h"
#include "event_wait.h"
#include "files/configuration_compare.h"
#include "files/settings_load_run.h"
#include "files/settings_save_chain.h"
#include "files/unit_configuration_read.h"
#include "sim_session.h"
#include "transfer/eeprom_map.h"
#include "unit/unit_session.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Backups restore what was saved: a unit of random memory is saved, the file
// loaded into a blank unit of the same model, firmware and AM step, and that
// unit saved again; the two files are the same byte for byte. The simulated
// unit keeps the bytes as written and decodes its AM presets with its own
// step, so an encoding fault shows as it would on a real unit.
namespace {

constexpr int Wait = 60000;

// One simulated unit with a session connected to it.
struct Rig
{
    Rig(const QString& model, const QString& firmware)
        : sim(std::make_unique<SimulatedReceiver>(UnpacedUnit(model, firmware)))
    {}

    bool Connect()
    {
        return sim->Start() && ConnectToSim(session, *sim, Wait) &&
               WaitFor([this] { return !session.Transfer().IsBusy(); }, Wait);
    }

    std::unique_ptr<SimulatedReceiver> sim;
    UnitSession session;
};

int SizeAddress(SimulatedReceiver& sim)
{
    return sim.Unit().Layout().Facts().BlockSizeAddress();
}

// A blank memory (nothing but the block size) with the AM step flag set.
QByteArray Blank(SimulatedReceiver& like, int amStep)
{
    QByteArray blank(SimUnit::EepromSize, char(0xFF));
    const int size = SizeAddress(like);
    blank[size] = like.Eeprom().at(size);
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

QByteArray Save(UnitSession& session, const QString& path)
{
    SettingsSaveChain chain(session);
    QSignalSpy done(&chain, &SettingsSaveChain::finished);
    if (!chain.Start(path) || !WaitFor([&] { return !done.isEmpty(); }, Wait) ||
        !done.first().at(0).toBool())
        return QByteArray();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Load(SettingsLoadRun& load, const QString& path)
{
    load.SetRenamePause(0);
    QSignalSpy done(&load, &SettingsLoadRun::finished);
    return load.Start(path) && WaitFor([&] { return !done.isEmpty(); }, Wait) &&
           done.first().at(0).toBool();
}

UnitConfiguration ReadUnit(UnitSession& session)
{
    UnitConfigurationRead read(session);
    QSignalSpy done(&read, &UnitConfigurationRead::finished);
    if (!read.Start() || !WaitFor([&] { return !done.isEmpty(); }, Wait))
        return {};
    return done.first().at(1).value<UnitConfiguration>();
}

} // namespace

Q_DECLARE_METATYPE(UnitConfiguration)

class TestBackupRoundTrip : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<UnitConfiguration>(); }

    void saveLoadSave_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<int>("amStep");
        // Each model, firmware and AM step once.
        QTest::newRow("K230 v2.05 9 kHz") << u"K230"_s << u"v2.05"_s << 9;
        QTest::newRow("K240 v3.01 10 kHz") << u"K240"_s << u"v3.01"_s << 10;
        QTest::newRow("K110 v3.01 9 kHz") << u"K110"_s << u"v3.01"_s << 9;
    }
    void saveLoadSave()
    {
        QFETCH(QString, model);
        QFETCH(QString, firmware);
        QFETCH(int, amStep);
        Rig a(model, firmware);
        Randomize(*a.sim, amStep, qHash(model + firmware));
        QVERIFY(a.Connect());
        const QString first = dir.filePath(model + firmware + u"-a.vxf"_s);
        const QByteArray saved = Save(a.session, first);
        QVERIFY(!saved.isEmpty());
        // The unit pads its names with spaces; the file holds the names.
        for (const QByteArray& line : saved.split('\n')) {
            if (line.startsWith("\t\tInputName"))
                QVERIFY2(!line.endsWith(" \r\r"), line.constData());
        }

        Rig b(model, firmware);
        QVERIFY(b.sim->Unit().ReplaceEeprom(Blank(*a.sim, amStep)));
        QVERIFY(b.Connect());
        SettingsLoadRun load(b.session);
        QVERIFY(Load(load, first));
        const QByteArray again = Save(b.session, dir.filePath(model + firmware + u"-b.vxf"_s));
        QCOMPARE(again, saved);
    }

    // A 9 kHz file into a 10 kHz unit: each AM preset on its nearest channel.
    // With the encoding broken (the file's step used), the verify's read,
    // decoded as the unit decodes, names each AM preset that moved.
    void amStepOfTheUnit()
    {
        Rig a(u"K230"_s, u"v2.05"_s);
        QVERIFY(a.Connect());
        const QString path = dir.filePath(u"nine.vxf"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<VELTRIX>\r\n\tModel \t\t\tK230\r\n\t<TunerPresets>\r\n\t\tAM Step Size = 9\r\n"
                   "\t\tAM Preset = 1\r\n\t\tAM Frequency = 531\r\n"
                   "\t\tAM Preset = 2\r\n\t\tAM Frequency = 1602\r\n\t</TunerPresets>\r\n"
                   "</VELTRIX>");
        file.close();

        SettingsLoadRun load(a.session);
        QVERIFY(Load(load, path));
        const UnitConfiguration held = ReadUnit(a.session);
        QVERIFY(held.tuner);
        QCOMPARE(held.tuner->AmPresets().size(), 2);
        QCOMPARE(held.tuner->AmPresets().at(0).frequency, 530);
        QCOMPARE(held.tuner->AmPresets().at(1).frequency, 1600);
        QVERIFY(ConfigurationCompare::Differences(load.Configuration(), held, load.Written(), true)
                    .isEmpty());

        // `load --verify` with the encoding broken on purpose (10 kHz words
        // into a 9 kHz unit): the read-back, decoded as the unit decodes it,
        // names each AM preset that moved, and the command fails.
        QVERIFY(a.sim->Unit().ReplaceEeprom(Blank(*a.sim, 9)));
        CliRequest request;
        request.command = CliRequest::Command::Load;
        request.file = path;
        request.verify = true;
        CliSettingsRun verify(a.session, request);
        verify.LoadRun().SetEncodingStep(10);
        QSignalSpy done(&verify, &CliSettingsRun::finished);
        verify.Start();
        QVERIFY(WaitFor([&] { return !done.isEmpty(); }, Wait));
        QVERIFY(!done.first().at(0).toBool());
        const QStringList lines = done.first().at(1).toStringList();
        // 531 kHz as a 10 kHz word is 432 kHz to the unit, below the band: gone.
        QVERIFY(lines.contains(u"Tuner > AM preset 1: file 531 kHz, unit (none)"_s));
        QVERIFY(lines.contains(u"Tuner > AM preset 2: file 1602 kHz, unit 1395 kHz"_s));
        QCOMPARE(done.first().at(2).toString(),
                 MessageTable::Text(Message::CliVerifyFailed).arg(u"2 differences"_s));
    }
};

QTEST_GUILESS_MAIN(TestBackupRoundTrip)
#include "test_backup_round_trip.moc"
