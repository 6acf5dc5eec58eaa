#include "model/model_facts.h"
#include "model/settings_image.h"
#include "setup_layout.h"
#include "transfer/eeprom_map.h"

#include <QStringList>
#include <QTest>

using namespace Qt::StringLiterals;

// The simulated unit's own layout against the program's: for every model and
// for firmware on both sides of each version the program compares with, every
// field lies at the same place or is absent in both, the expected block size
// is the one the unit has, and the EEPROM setup area is found at the same
// addresses. A disagreement names the unit and the field.
class TestSetupLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithProgram_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        const QStringList models = {u"K110"_s,  u"K220"_s,  u"K230"_s,  u"K240"_s,
                                    u"k230v"_s, u"K110V"_s, u"K110X"_s, u"XR-9000"_s};
        // Each version the program compares with, and its neighbours.
        const QList<std::pair<int, int>> firmware = {{1, 0},  {1, 19}, {1, 20}, {1, 22},
                                                     {1, 23}, {1, 25}, {1, 26}, {1, 99},
                                                     {2, 0},  {2, 4},  {2, 5},  {2, 6}};
        for (const QString& model : models) {
            for (const auto& [major, minor] : firmware) {
                QTest::addRow("%s v%d.%02d", qPrintable(model), major, minor)
                    << model << major << minor;
            }
        }
    }
    void agreesWithProgram()
    {
        QFETCH(QString, model);
        QFETCH(int, major);
        QFETCH(int, minor);
        const SetupLayout sim(model, major, minor);
        ModelFacts facts;
        facts.modelText = model;
        facts.versionText = QString::asprintf("v%d.%02d", major, minor);
        facts.blockSize = sim.BlockSize(); // as the unit reports it
        SettingsImage image;
        QVERIFY(image.Reset(facts));

        QStringList differences;
        for (int canonical = 0; canonical < SetupLayout::FieldCount; ++canonical) {
            const int expected = sim.Position(canonical);
            const int program = image.Position(canonical);
            if (program != expected)
                differences
                    << u"canonical %1: unit %2, program %3"_s.arg(canonical).arg(expected).arg(
                           program);
        }
        if (facts.ImageOffset(ModelFacts::FullLayoutSize) != sim.BlockSize())
            differences << u"block size: unit %1, program expects %2"_s.arg(sim.BlockSize())
                               .arg(facts.ImageOffset(ModelFacts::FullLayoutSize));
        QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u"; "_s)));

        // The input records, read by the program where the unit keeps them.
        for (int input = 0; input < SettingsImage::InputRecordCount; ++input) {
            const int at = sim.InputRecordPosition(input);
            QVERIFY(image.SetByteAt(at, input));                // digital source
            QVERIFY(image.SetByteAt(at + 1, (input + 1) << 4)); // analog source
            if (sim.InputRecordSize() == 3)
                QVERIFY(image.SetByteAt(at + 2, input + 2)); // analog gain
        }
        for (int input = 0; input < SettingsImage::InputRecordCount; ++input) {
            const SettingsImage::InputRecord record = image.Input(input);
            QCOMPARE(record.digitalSource, input);
            QCOMPARE(record.analogSource, input + 1);
            QCOMPARE(record.analogGain, sim.InputRecordSize() == 3 ? input + 2 : -1);
        }

        const int base = facts.BlockSizeAddress();
        QCOMPARE(sim.BlockBase(), base);
        QCOMPARE(sim.CurrentTableAddress(), EepromMap::TableAddress(base, sim.BlockSize()));
        for (int k = EepromMap::FirstPreset; k <= EepromMap::LastPreset; ++k) {
            QCOMPARE(sim.PresetBase(k), EepromMap::PresetAddress(base, sim.BlockSize(), k));
            QCOMPARE(SetupLayout::PresetNameAddress(k), EepromMap::PresetNameAddress(k));
        }
    }
};

QTEST_GUILESS_MAIN(TestSetupLayout)
#include "test_setup_layout.moc"
