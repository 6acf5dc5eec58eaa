#include "link/message_set.h"
#include "setup_fields.h"
#include "sim_unit.h"
#include "tuner_table.h"

#include <QSet>
#include "test_bytes.h"

#include <QTest>

namespace {

int At(const QByteArray& bytes, int index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

// The unit's answer to an EEPROM read, as the program would send it.
int ReadEeprom(SimUnit& unit, int address)
{
    const QByteArrayList replies = unit.Handle(Bytes({30, 0, address & 0xFF, address >> 8}));
    if (replies.size() != 1 || replies.first().size() != 4)
        return -1;
    return At(replies.first(), 3);
}

int SetupField(const SimUnit& unit, int canonical)
{
    const int position = unit.Layout().Position(canonical);
    return position < 0 ? -1 : At(unit.LiveSetup(), position);
}

} // namespace

class SimMemoryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void liveSetupEchoes();
    void liveSetupWriteTakesEffectAtEnd();
    void liveSetupFollowsTheVariables();
    void eepromEchoesAndBounds();
    void factoryImage_data();
    void factoryImage();
    void tunerTableWords_data();
    void tunerTableWords();
    void tunerTableNames();
    void storePreset();
    void storeKeepsAnExistingName();
    void recallPreset();
    void replaceEepromNeedsTheWholeImage();
};

void SimMemoryTest::liveSetupEchoes()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    const int last = unit.Layout().BlockSize() - 1;
    QCOMPARE(last, 66);
    const int zoneByte = At(unit.LiveSetup(), last);
    QCOMPARE(unit.Handle(Bytes({29, 0, last})), QByteArrayList{Bytes({29, last, zoneByte})});
    QCOMPARE(unit.Handle(Bytes({29, 1, 40, 0})), QByteArrayList{Bytes({29, 40, 0})});
    QCOMPARE(unit.Handle(Bytes({29, 0, 40})), QByteArrayList{Bytes({29, 40, 0})});
    QCOMPARE(unit.Handle(Bytes({29, 1, 0, 255})), QByteArrayList{Bytes({29, 0, 255})});
    QVERIFY(unit.Handle(Bytes({29, 0, last + 1})).isEmpty());
    QVERIFY(unit.Handle(Bytes({29, 1, last + 1, 1})).isEmpty());
    QCOMPARE(unit.LiveSetup().size(), last + 1);
}

void SimMemoryTest::liveSetupWriteTakesEffectAtEnd()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    unit.Handle(Bytes({22, KeyCode::MainPower}));
    const int source = unit.Layout().Position(SetupFields::Source);
    const int volume = unit.Layout().Position(SetupFields::MainVolume);
    const int bass = unit.Layout().Position(SetupFields::Bass);
    // Written bytes only echo; the unit switches when the write ends.
    QCOMPARE(unit.Handle(Bytes({29, 1, source, 7})), QByteArrayList{Bytes({29, source, 7})});
    QCOMPARE(unit.Handle(Bytes({29, 1, volume, 18 + 20})), QByteArrayList{Bytes({29, volume, 38})});
    QCOMPARE(unit.Handle(Bytes({29, 1, bass, SetupFields::ToneCode(-4)})),
             QByteArrayList{Bytes({29, bass, 3})});
    QCOMPARE(unit.Value(Variable::MainSource), SourceTuner);
    QCOMPARE(unit.Handle(Bytes({29, 2})),
             (QByteArrayList{Bytes({20, 23, -20}), Bytes({20, 33, -4}), Bytes({20, 39, 3}), Bytes({20, 53, 6})}));
    QCOMPARE(unit.Value(Variable::MainSource), 6);
}

void SimMemoryTest::liveSetupFollowsTheVariables()
{
    SimUnit unit(QStringLiteral("K110"), 2, 5);
    unit.Handle(Bytes({22, KeyCode::MainPower}));
    unit.Handle(Bytes({22, KeyCode::ZonePower}));
    unit.Handle(Bytes({22, KeyCode::MainVolumeUp}));
    unit.Handle(Bytes({21, Variable::Treble, 6}));
    unit.Handle(Bytes({22, KeyCode::MainSource[1]}));
    unit.Handle(Bytes({21, Variable::ZoneVolume, 5}));
    QCOMPARE(SetupField(unit, SetupFields::MainVolume), 18 - -29);
    QCOMPARE(SetupField(unit, SetupFields::Treble), 8);
    QCOMPARE(SetupField(unit, SetupFields::Source), 2);
    // On a K110 the zone volume is at 65, the block's last byte.
    QCOMPARE(unit.Layout().Position(SetupFields::ZoneVolume), 65);
    QCOMPARE(SetupField(unit, SetupFields::ZoneVolume), 5);
    unit.Handle(Bytes({21, Variable::ZoneVolume, -70}));
    QCOMPARE(SetupField(unit, SetupFields::ZoneVolume), int(SetupFields::ZoneVolumeOutOfRange));
}

void SimMemoryTest::eepromEchoesAndBounds()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    QCOMPARE(unit.Handle(Bytes({30, 1, 0xFF, 0x07, 0x5A})), QByteArrayList{Bytes({30, 0xFF, 0x07, 0x5A})});
    QCOMPARE(ReadEeprom(unit, 2047), 0x5A);
    QCOMPARE(unit.Eeprom().size(), SimUnit::EepromSize);
    QCOMPARE(unit.EepromRevision(), quint64{1});
    // Rewriting the same value is echoed but is no change.
    QCOMPARE(unit.Handle(Bytes({30, 1, 0xFF, 0x07, 0x5A})).size(), 1);
    QCOMPARE(unit.EepromRevision(), quint64{1});
    QVERIFY(unit.Handle(Bytes({30, 0, 0x00, 0x08})).isEmpty());
    QVERIFY(unit.Handle(Bytes({30, 1, 0x00, 0x08, 1})).isEmpty());
    QCOMPARE(unit.Eeprom().size(), SimUnit::EepromSize);
}

void SimMemoryTest::factoryImage_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("blockSize");
    QTest::addColumn<int>("base");
    QTest::newRow("K230 v2.05") << QStringLiteral("K230") << 2 << 5 << 67 << 1024;
    QTest::newRow("K240 v2.00") << QStringLiteral("K240") << 2 << 0 << 67 << 1024;
    QTest::newRow("K230 v1.99") << QStringLiteral("K230") << 1 << 99 << 65 << 1024;
    QTest::newRow("K110 v2.05") << QStringLiteral("K110") << 2 << 5 << 66 << 1024;
    QTest::newRow("K220 v2.05") << QStringLiteral("K220") << 2 << 5 << 57 << 768;
    QTest::newRow("K220 v1.20") << QStringLiteral("K220") << 1 << 20 << 54 << 768;
    QTest::newRow("unsupported text") << QStringLiteral("Z900") << 2 << 5 << 57 << 1024;
}

void SimMemoryTest::factoryImage()
{
    QFETCH(QString, model);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, blockSize);
    QFETCH(int, base);
    SimUnit unit(model, major, minor);
    const SetupLayout& layout = unit.Layout();
    const QByteArray& eeprom = unit.Eeprom();
    QCOMPARE(layout.BlockSize(), blockSize);
    QCOMPARE(layout.BlockBase(), base);
    QCOMPARE(unit.LiveSetup().size(), blockSize);
    QCOMPARE(eeprom.size(), SimUnit::EepromSize);

    // The block size as the program reads it, and the map around it.
    QCOMPARE(ReadEeprom(unit, base), blockSize);
    QCOMPARE(eeprom.mid(base + 1, blockSize), unit.LiveSetup());
    QVERIFY(layout.PresetBase(5) + blockSize + 21 <= SimUnit::EepromSize);
    for (int k = 1; k <= AvPresetCount; ++k) {
        const int status = ReadEeprom(unit, base + k * (blockSize + 21));
        const QByteArray name = eeprom.mid(643 + 13 * k, 13);
        if (k <= 3) {
            QCOMPARE(status, blockSize);
            QVERIFY(name.at(0) >= 'A' && name.at(0) <= 'Z');
            QVERIFY(name.endsWith('\0'));
            // No byte after the name's end is anything but 0.
            QVERIFY(!name.mid(name.indexOf('\0')).contains(QByteArray(1, 'A')));
        } else {
            QCOMPARE(status, 255);
            QCOMPARE(name, QByteArray(13, '\0'));
        }
    }
    const QByteArray table = eeprom.mid(base + blockSize + 1, 20);
    for (char byte : table) {
        QVERIFY(((byte >> 4) & 0x0F) <= 11);
        QVERIFY((byte & 0x0F) <= 3);
    }

    // Fields at their layout positions: no two fields share a byte (but the
    // zone volume, which is the block's last byte like its control).
    QSet<int> taken;
    for (int canonical = 30; canonical < 65; ++canonical) {
        const int position = layout.Position(canonical);
        if (position < 0)
            continue;
        QVERIFY2(position < blockSize, qPrintable(QString::number(canonical)));
        QVERIFY2(!taken.contains(position), qPrintable(QString::number(canonical)));
        taken.insert(position);
    }
    QVERIFY(layout.InputRecordPosition(9) + layout.InputRecordSize() <= layout.Position(30));
    QCOMPARE(layout.Position(SetupFields::ZoneVolume), blockSize - 1);
    QCOMPARE(SetupField(unit, SetupFields::Source), SourceTuner + 1);
    QCOMPARE(SetupField(unit, SetupFields::MainVolume), 18 + 30);
    QCOMPARE(SetupField(unit, SetupFields::ZoneVolume), 256 - 40);
    QCOMPARE(SetupField(unit, SetupFields::Bass), 5);
    for (int level = 46; level <= 52; ++level)
        QCOMPARE(SetupField(unit, level), 12);
    QCOMPARE(unit.Value(Variable::MainVolume), -30);
    QCOMPARE(unit.Value(Variable::MainSource), SourceTuner);

    // The tuner table decodes to valid frequencies, the unused slots empty.
    QCOMPARE(TunerTable::AmStep(eeprom), 10);
    for (int n = 1; n <= TunerTable::FmCount; ++n) {
        const int slot = 32 + 11 * (n - 1);
        if (n <= 12) {
            QVERIFY(TunerTable::FmInBand(TunerTable::FmFrequency(eeprom, n)));
            QVERIFY(eeprom.at(slot + 2) != '\0');
        } else {
            QCOMPARE(eeprom.mid(slot, 2), QByteArray(2, char(0xFF)));
        }
    }
    for (int n = 1; n <= TunerTable::AmCount; ++n) {
        if (n <= 4)
            QVERIFY(TunerTable::AmInBand(TunerTable::AmFrequency(eeprom, n)));
        else
            QCOMPARE(At(eeprom, 362 + 2 * (n - 1)), 0xFF);
    }
}

void SimMemoryTest::tunerTableWords_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<bool>("fm");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("frequency");
    QTest::newRow("FM 87.50") << Bytes({0x07, 0xAC}) << true << 10 << 8750;
    QTest::newRow("FM 108.50") << Bytes({0x09, 0x50}) << true << 10 << 10850;
    QTest::newRow("FM below band") << Bytes({0x07, 0xAB}) << true << 10 << 0;
    QTest::newRow("FM empty") << Bytes({0xFF, 0xFF}) << true << 10 << 0;
    QTest::newRow("AM 530 step 10") << Bytes({0x00, 98}) << false << 10 << 530;
    QTest::newRow("AM 531 step 9") << Bytes({0x00, 109}) << false << 9 << 531;
    QTest::newRow("AM empty") << Bytes({0xFF, 0x00}) << false << 10 << 0;
    QTest::newRow("AM above band") << Bytes({0x00, 217}) << false << 10 << 0;
}

void SimMemoryTest::tunerTableWords()
{
    QFETCH(QByteArray, slot);
    QFETCH(bool, fm);
    QFETCH(int, step);
    QFETCH(int, frequency);
    QByteArray eeprom(SimUnit::EepromSize, char(0xFF));
    eeprom[TunerTable::AmStepAddress] = step == 10 ? 1 : 0;
    eeprom.replace(fm ? TunerTable::FmBase : TunerTable::AmBase, 2, slot);
    QCOMPARE(fm ? TunerTable::FmFrequency(eeprom, 1) : TunerTable::AmFrequency(eeprom, 1),
             frequency);
    if (frequency == 0)
        return;
    // Encoding the frequency gives the same word back.
    QByteArray encoded = eeprom;
    if (fm)
        TunerTable::PutFm(encoded, 1, frequency, "", false);
    else
        TunerTable::PutAm(encoded, 1, frequency);
    QCOMPARE(encoded.mid(fm ? TunerTable::FmBase : TunerTable::AmBase, 2), slot);
}

void SimMemoryTest::tunerTableNames()
{
    QByteArray eeprom(SimUnit::EepromSize, char(0xFF));
    TunerTable::PutFm(eeprom, 30, 9000, "ABCDEFGH", true);
    QCOMPARE(eeprom.mid(32 + 11 * 29 + 2, 9), QByteArray("ABCDEFGH\x01"));
    TunerTable::PutFm(eeprom, 2, 9000, "ABC", false);
    QCOMPARE(eeprom.mid(32 + 11 + 2, 9), QByteArray("ABC     ") + '\0');
    TunerTable::PutFm(eeprom, 3, 9000, "TOO LONG NAME", false);
    QCOMPARE(eeprom.mid(32 + 22 + 2, 8), QByteArray(8, '\0'));
    // Out-of-range numbers never write.
    const QByteArray before = eeprom;
    TunerTable::PutFm(eeprom, 31, 9000, "X", false);
    TunerTable::PutAm(eeprom, 0, 900);
    TunerTable::PutAm(eeprom, 11, 900);
    QCOMPARE(eeprom, before);
    QCOMPARE(TunerTable::FmFrequency(QByteArray(100, '\0'), 30), 0);
}

void SimMemoryTest::storePreset()
{
    SimUnit unit(QStringLiteral("K220"), 2, 5);
    const SetupLayout& layout = unit.Layout();
    const int size = layout.BlockSize();
    unit.Handle(Bytes({22, KeyCode::MainPower}));
    unit.Handle(Bytes({22, KeyCode::MainVolumeDown}));
    unit.Handle(Bytes({30, 1, (layout.CurrentTableAddress() + 3) & 0xFF,
                   (layout.CurrentTableAddress() + 3) >> 8, 0x42}));

    QVERIFY(unit.Handle(Bytes({25, 4})).isEmpty());
    const int base = 768 + 4 * (size + 21);
    QCOMPARE(layout.PresetBase(4), base);
    QCOMPARE(At(unit.Eeprom(), base), size);
    QCOMPARE(unit.Eeprom().mid(base + 1, size), unit.LiveSetup());
    QCOMPARE(unit.Eeprom().mid(base + 1 + size, 20),
             unit.Eeprom().mid(layout.CurrentTableAddress(), 20));
    QCOMPARE(At(unit.Eeprom(), base + 1 + size + 3), 0x42);
    QCOMPARE(unit.Eeprom().mid(643 + 13 * 4, 13), QByteArray("A/V PRESET 4\0", 13));
}

void SimMemoryTest::storeKeepsAnExistingName()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    const QByteArray name = unit.Eeprom().mid(643 + 13, 13);
    QVERIFY(name.startsWith("MOVIES"));
    unit.Handle(Bytes({25, 1}));
    QCOMPARE(unit.Eeprom().mid(643 + 13, 13), name);
}

void SimMemoryTest::recallPreset()
{
    SimUnit unit(QStringLiteral("K240"), 2, 5);
    unit.Handle(Bytes({22, KeyCode::MainPower}));
    const QByteArray stored = unit.Eeprom().mid(unit.Layout().PresetBase(2) + 1, 67);
    // Preset 2 is CD at -35 dB, treble +2, speakers A and B, zone at -30 dB;
    // the zone is off, but its new volume is still reported.
    QCOMPARE(unit.Handle(Bytes({22, KeyCode::RecallPreset[1]})),
             (QByteArrayList{Bytes({20, 23, -35}), Bytes({20, 27, -30}), Bytes({20, 32, 2}), Bytes({20, 39, 3}),
                             Bytes({20, 53, 6}), Bytes({20, 59, 1})}));
    QCOMPARE(unit.LiveSetup(), stored);
    QCOMPARE(unit.Value(Variable::ZoneVolume), -30);
    QCOMPARE(unit.Eeprom().mid(unit.Layout().CurrentTableAddress(), 20),
             unit.Eeprom().mid(unit.Layout().PresetBase(2) + 1 + 67, 20));

    // A preset stored now comes back after other changes.
    unit.Handle(Bytes({22, KeyCode::MainVolumeUp}));
    unit.Handle(Bytes({25, 5}));
    unit.Handle(Bytes({22, KeyCode::MainSource[0]}));
    QCOMPARE(unit.Handle(Bytes({22, KeyCode::RecallPreset[4]})),
             (QByteArrayList{Bytes({20, 39, 3}), Bytes({20, 53, 6})}));

    // An empty preset, or one of another size, recalls nothing.
    unit.Handle(
        Bytes({30, 1, unit.Layout().PresetBase(4) & 0xFF, unit.Layout().PresetBase(4) >> 8, 50}));
    const QByteArray before = unit.LiveSetup();
    QVERIFY(unit.Handle(Bytes({22, KeyCode::RecallPreset[3]})).isEmpty());
    QCOMPARE(unit.LiveSetup(), before);
}

void SimMemoryTest::replaceEepromNeedsTheWholeImage()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    const QByteArray factory = unit.Eeprom();
    QVERIFY(!unit.ReplaceEeprom(QByteArray(2047, 'x')));
    QVERIFY(!unit.ReplaceEeprom(QByteArray(2049, 'x')));
    QCOMPARE(unit.Eeprom(), factory);
    QVERIFY(unit.ReplaceEeprom(QByteArray(2048, 'x')));
    QCOMPARE(ReadEeprom(unit, 19), int('x'));
}

QTEST_GUILESS_MAIN(SimMemoryTest)
#include "sim_memory_test.moc"
