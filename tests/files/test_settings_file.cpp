#include "common/message_table.h"
#include "files/load_plan.h"
#include "files/settings_file_gate.h"
#include "files/settings_file_reader.h"
#include "files/settings_file_writer.h"
#include "model/settings_field.h"
#include "test_files.h"

#include "test_bytes.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

// The settings file as the writer words it and the reader takes it back:
// byte-exact blocks, the rules of single keys, and hostile or partial files.
// Round trips through a unit are the end-to-end test's.
using namespace Qt::StringLiterals;
using Reader = SettingsFileReader;
using Kind = UnitWrite::Kind;

namespace {

LiveValues Unit(const char* model = "K230")
{
    LiveValues unit;
    unit.connected = true;
    unit.facts = ModelFacts{QString::fromLatin1(model), u"v2.05"_s};
    unit.facts.blockSize = unit.facts.ImageOffset(SettingsField::FullLayoutEnd);
    unit.mainVolume = -30;
    unit.mainSource = 2;
    unit.zoneVolume = -40;
    return unit;
}

// A block with a value of its own in every field the file carries, all
// inside their lists.
SettingsImage SampleImage(const ModelFacts& facts, bool metres = false)
{
    using namespace SettingsField;
    SettingsImage image;
    image.Reset(facts);
    for (int i = 0; i < SettingsImage::InputRecordCount; ++i)
        image.SetInput(i, {i % 7, i % 4, (i + 1) % 4, (i + 2) % 7, (i + 3) % 11, i % 9, i % 3});
    image.SetByte(TriggersAndRelay, 0x09); // auto trigger Zone, relay B
    image.SetByte(OnScreenDisplay, 0x02);
    image.SetByte(DynamicRange, 0x06); // 50 %, DTS on
    image.SetByte(PlIIDimension, 5);
    image.SetByte(PlIICenterWidth, 3);
    image.SetByte(PlIIPanorama, 1);
    image.SetByte(Neo6CenterGain, 4);
    image.SetByte(DecoderOptions, 0x05);
    image.SetByte(EnhancedStereo1, 0x09);
    image.SetByte(EnhancedStereo2, 0x06);
    const int sizes[] = {1, 2, 1, 0, 1};
    for (int n = 0; n < 5; ++n)
        image.SetByte(FrontSpeakers + n, sizes[n]);
    image.SetByte(Subwoofer, 0x0B); // on, Enhanced Bass, 80 Hz
    for (int n = 0; n < 8; ++n)
        image.SetByte(FrontLeftLevel + n, 3 * n);
    const int distances[] = {0, 9, 32, 39};
    for (int n = 0; n < 4; ++n)
        image.SetByte(FrontDistance + n, distances[n]);
    image.SetByte(DistanceUnit, metres ? 1 : 0);
    image.SetByte(Treble, 7);
    image.SetByte(Bass, 0);
    image.SetByte(ZoneVolumeControl, SettingsCode::ZoneVolumeFixed);
    const int modes[] = {0, 2, 3, 4, 6, 7, 8, 9, 12, 13};
    for (int i = 0; i < SettingsImage::InputRecordCount; ++i)
        image.SetSurround(i, {modes[i], i % 4, modes[9 - i], (i + 1) % 4});
    return image;
}

// The golden files hold each block exactly as the unit's file has it.
// VELTRIX_UPDATE_GOLDEN=1 rewrites them from the writer (review the diff).
QByteArray Golden(const QString& name, const QByteArray& actual)
{
    QFile file(QStringLiteral(VELTRIX_GOLDEN_DIR "/") + name);
    if (qEnvironmentVariableIsSet("VELTRIX_UPDATE_GOLDEN") && file.open(QIODevice::WriteOnly))
        file.write(actual);
    file.close();
    return FileBytes(file.fileName());
}

// What the file holds, and the writes of a load of it into a unit whose AM
// step is the file's.
struct Loaded : Reader::Result
{
    QList<UnitWrite> writes;
};

Loaded Load(QByteArray bytes, const LiveValues& unit = Unit(),
            Reader::ModelAnswer answer = Reader::ModelAnswer::Yes)
{
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    Loaded loaded;
    static_cast<Reader::Result&>(loaded) = Reader::LoadSettingsFile(device, unit, answer);
    const UnitConfiguration& held = loaded.configuration;
    loaded.writes = LoadPlan::Writes(held, unit, held.tuner ? held.tuner->AmStepSize() : 10,
                                     ConfigurationParts{});
    return loaded;
}

const UnitWrite* Find(const Loaded& result, Kind kind, int index = -1)
{
    for (const UnitWrite& write : result.writes) {
        if (write.kind == kind && (index < 0 || write.index == index))
            return &write;
    }
    return nullptr;
}

// A hand-written file with LF line ends: one section between the header and the end.
QByteArray File(const QByteArray& body, const char* model = "K230")
{
    return "<VELTRIX>\n\tModel \t\t\t" + QByteArray(model) + "\n" + body + "</VELTRIX>";
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenBlocks_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<bool>("metres");
        QTest::addColumn<QString>("golden");
        QTest::newRow("current setup, feet") << 0 << false << "current_k230_v205.vxf";
        QTest::newRow("preset 2, metres") << 2 << true << "preset2_k230_v205_metres.vxf";
    }
    // Every byte of a block: tabs, spaces, separators, CR CR LF.
    void goldenBlocks()
    {
        QFETCH(int, preset);
        QFETCH(bool, metres);
        QFETCH(QString, golden);
        const LiveValues unit = Unit();
        const std::array<QString, 10> names = {
            u"DVD"_s,     u"SATELLITE"_s, u"VCR"_s,  u"VIDEO 4"_s,      u"VIDEO 5"_s,
            u"VIDEO 6"_s, u"CD"_s,        u"DISC"_s, u"EXTERNAL 7.1"_s, u"TUNER"_s};
        const QByteArray text =
            SettingsFileWriter::BlockText(SettingsFileWriter::Unit::Of(unit.facts, true, false),
                                          preset, SampleImage(unit.facts, metres), names);
        QCOMPARE(text, Golden(golden, text));
    }

    // The same model in other letters asks nothing (another model's question
    // and its answers are the end-to-end test's).
    void modelInOtherLetters()
    {
        const Loaded loaded = Load(File("\t<LEVELSETUP>\n\t</LEVELSETUP>\n", "k230"), Unit(),
                                   Reader::ModelAnswer::Unasked);
        QCOMPARE(loaded.outcome, Reader::Outcome::Loaded);
    }

    void keyRules_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("canonical");
        QTest::addColumn<int>("value");
        using namespace SettingsField;
        // The lines of one section, or top-level lines when `section` is empty.
        const auto row =
            [](const char* name, const char* section, const char* lines, int canonical, int value) {
                const QByteArray tag(section);
                QTest::newRow(name)
                    << (tag.isEmpty() ? QByteArray(lines)
                                      : "\t<" + tag + ">\n" + lines + "\n\t</" + tag + ">\n")
                    << canonical << value;
            };
        row("relay B", "ADVANCED", "\t\tZone Relay  \t\tB", TriggersAndRelay, 0x08);
        row("ES front", "LISTENINGMODES",
            "\t\t<EHNANCED_STEREO_1>\n\t\t\tFront  \t\tOn\n\t\t</EHNANCED_STEREO_1>",
            EnhancedStereo1, 0x01);
        row("speakers A and B", "", "\tSpeaker A \t\tOn\n\tSpeaker B \t\tOn\n", SpeakerOutputs, 3);
        row("cutoff 150 Hz, bass on", "SPEAKERSETUP",
            "\t\tSubwoofer  \t\tOn\n\t\tSubwoofer Cutoff  \t150 Hz\n\t\tEnhanced Bass    \tOn",
            Subwoofer, 1 | 2 | 5 << 2);
        row("cutoff unknown", "SPEAKERSETUP", "\t\tSubwoofer  \t\tOn\n\t\tSubwoofer Cutoff  \tloud",
            Subwoofer, 1 | 3 << 2);
        row("metres", "SPEAKERSETUP", "\t\tFrontDistance  \t\t10.2 m", FrontDistance, 33);
        row("distance 41 ft", "SPEAKERSETUP", "\t\tFrontDistance  \t\t41 ft", FrontDistance, 0);
        row("level out of range", "LEVELSETUP", "\t\tCenter  \t+13 dB", CenterLevel, 0);
        row("huge number", "LEVELSETUP", "\t\tCenter  \t99999999999999999999", CenterLevel, 0);
        row("minus ends the number", "LEVELSETUP", "\t\tCenter  \t7-5 dB", CenterLevel, 7);
        row("lower-case keys and tags", "levelsetup", "\t\tbass  \t\t+4 DB", Bass, 7);
        row("zone fixed stays fixed", "ADVANCED", "\t\tZone Volume Control  \tFixed",
            ZoneVolumeControl, 165);
        row("zone variable takes the live volume", "ADVANCED",
            "\t\tZone Volume Control  \tVariable", ZoneVolumeControl, 256 - 40);
        row("live main volume", "", "", MainVolume, 48);
        row("digital source unknown", "INPUT_SETTINGS", "\t<0>\n\t\tDigitalSource \tcoax 3\n\t</0>",
            InputRecords, 0x0F);
        row("input tag out of range ends the section", "INPUT_SETTINGS",
            "\t<12>\n\t\tDigitalSource \tCoax 3\n\t</12>", InputRecords, 0);
    }
    // The rules of single keys, in the current setup written last (an empty
    // section makes every body a file that carries a current setup).
    void keyRules()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, canonical);
        QFETCH(int, value);
        const Loaded result = Load(File(body + "\t<LEVELSETUP>\n\t</LEVELSETUP>\n"));
        QCOMPARE(result.outcome, Reader::Outcome::Loaded);
        const UnitWrite* setup = Find(result, Kind::CurrentSetup);
        QVERIFY(setup);
        QCOMPARE(setup->setup.Byte(canonical), value);
    }

    void surroundModes_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("bytes"); // the input's two bytes in the table
        const auto row = [](const char* name, const char* line, int byte0, int byte1) {
            QTest::newRow(name) << QByteArray(line) << Bytes({byte0, byte1});
        };
        row("DD 2 chan NEO:6 is not DTS", "\t\tDolby Digital 2 chan \tDTS NEO:6 Cinema\n", 0x80, 0);
        row("unknown name", "\t\tStereo \t\t\tSpace Opera\n", 0, 0);
        row("letter case", "\t\tStereo \t\t\tpro logic iix: music\n", 0, 0x70);
        row("DTS downmix", "\t\tDTS \t\t\tDownmix\n", 0, 0x01);
        row("beyond the list", "\t\tDolby Digital others \t9\n", 0x09, 0);
    }
    void surroundModes()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, bytes);
        const Loaded result = Load(File("\t<PRESET_3>\n\t<SURROUND_MODES>\n\t\tInput 2\n" + lines +
                                        "\t</SURROUND_MODES>\n\t</PRESET_3>\n"));
        const UnitWrite* block = Find(result, Kind::PresetBlock, 3);
        QVERIFY(block);
        const int table = Unit().facts.blockSize;
        QCOMPARE(block->bytes.mid(table + 4, 2), bytes);
    }

    void partialFiles()
    {
        QCOMPARE(Load("<TunerPresets>\n").outcome, Reader::Outcome::NotSettingsFile);
        // No presets: the end tag commits the current setup, when the file
        // has one; a file without a setup section leaves the unit's alone.
        QVERIFY(Find(Load(File("\t<ADVANCED>\n\t</ADVANCED>\n")), Kind::CurrentSetup));
        QVERIFY(Load(File("\tSpeaker A \t\tOn\n")).writes.isEmpty());
        // Cut off before the end tag and without presets: no current setup.
        const Loaded cut = Load("<VELTRIX>\n\t<LEVELSETUP>\n\t\tBass  \t\t+4 dB\n");
        QVERIFY(cut.writes.isEmpty());
        QCOMPARE(cut.messages.value(0).id, Message::FileEndedEarly);
        // A preset numbered 9 is read and dropped; the current setup still
        // commits at the first preset line, and only sections before it count.
        const Loaded nine = Load(File("\t<LEVELSETUP>\n</>\n\t<PRESET_9>\n\t<LEVELSETUP>\n</>\n"
                                      "\t</PRESET_9>\n"));
        QCOMPARE(nine.writes.size(), 1);
        QVERIFY(Find(nine, Kind::CurrentSetup));
        QVERIFY(Load(File("\t<PRESET_9>\n\t<LEVELSETUP>\n</>\n\t</PRESET_9>\n")).writes.isEmpty());
        // A tuner section without its end tag erases nothing.
        const Loaded tuner = Load("<VELTRIX>\n\t<TunerPresets>\n\t\tFM Preset = 1\n");
        QVERIFY(!Find(tuner, Kind::TunerPresets));
        // The tuner tag is found whatever the line ends and letter case.
        const Loaded found =
            Load(File("\t<tunerpresets>\r\r\n\t\tAM Step Size = 9\r\n\t</TUNERPRESETS>\n"));
        QVERIFY(Find(found, Kind::TunerPresets));
        QCOMPARE(Find(found, Kind::TunerPresets)->tuner.AmStepSize(), 9);
    }

    // Who may save and load, and what the reader refuses before reading.
    void refusals_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("save");
        QTest::addColumn<int>("load"); // the reader's message
        const auto row = [](const char* model, const char* version, int size, int save, int load) {
            QTest::addRow("%s %s %d", model, version, size)
                << QString::fromLatin1(model) << QString::fromLatin1(version) << size << save
                << load;
        };
        const int no = Message::UnsupportedUnit;
        row("K230", "v2.05", 67, 0, 0);
        row("K230", "v2.00", 67, Message::NeedsFirmware205, 0);
        row("K110V", "V2.05", 67, 0, 0);
        row("k220", "v2.05", 47, no, no);
        row("K240", "v1.26", 67, no, no);
        row("K999", "v2.05", 67, no, no);
        row("", "", 67, no, no);
        row("K230", "v2.00", -1, Message::NeedsFirmware205, Message::BlockSizeUnknown);
        row("K230", "v2.05", 120, 0, Message::BlockSizeInvalid);
    }
    void refusals()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, size);
        QFETCH(int, load);
        LiveValues unit = Unit();
        unit.facts = ModelFacts{model, version, size};
        QTEST(SettingsFileGate::SaveRefusal(unit.facts), "save");
        QCOMPARE(SettingsFileGate::LoadRefusal(unit.facts),
                 load == Message::UnsupportedUnit ? load : 0);
        const Loaded result = Load(File(""), unit);
        QCOMPARE(result.outcome,
                 load ? Reader::Outcome::UnitNotSupported : Reader::Outcome::Loaded);
        QVERIFY(result.writes.isEmpty());
        QCOMPARE(load ? result.messages.value(0).id : 0, load);
    }

    // Hostile bytes: a huge line, binary junk, names too long (one whose cut
    // ends in white space, which the unit's padding would not keep).
    void hostileInput()
    {
        QByteArray file =
            File("\t<INPUT_SETTINGS>\n\t<1>\n\t\tInputName \tABCDEFGHIJKLMNOPQ\n\t</1>\n"
                 "\t<2>\n\t\tInputName \tVIDEO 6  \t\t\t\tXY\n\t</2>\n\t</INPUT_SETTINGS>\n");
        file.insert(10, QByteArray(3 * Reader::MaxLineLength, 'x') + "Model K240\n");
        QByteArray junk(5000, '\0');
        for (qsizetype i = 0; i < junk.size(); ++i)
            junk[i] = static_cast<char>((i * 37) % 256);
        file.insert(file.indexOf("</VELTRIX>"), junk + "\n");
        const Loaded result = Load(file, Unit(), Reader::ModelAnswer::Unasked);
        QCOMPARE(result.outcome, Reader::Outcome::Loaded);
        for (const auto& [index, name] : {std::pair{1, "ABCDEFGHIJKLM"}, {2, "VIDEO 6"}}) {
            const UnitWrite* rename = Find(result, Kind::InputName, index);
            QVERIFY(rename);
            QCOMPARE(rename->name, QString::fromLatin1(name));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
