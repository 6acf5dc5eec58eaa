#include "common/message_table.h"
#include "files/load_plan.h"
#include "files/settings_file_format.h"
#include "files/settings_file_gate.h"
#include "files/settings_file_reader.h"
#include "files/settings_file_writer.h"
#include "settings_file_fixture.h"
#include "setup/setup_fields.h"
#include "transfer/eeprom_map.h"

#include <QFile>
#include <QTest>

// The settings file as the writer words it and the reader takes it back:
// byte-exact blocks, the rules of single keys, and hostile or partial files.
using Reader = SettingsFileReader;
using Kind = UnitWrite::Kind;
Q_DECLARE_METATYPE(Reader::Outcome)

namespace {

// The golden files hold each block exactly as the unit's file has it.
// VELTRIX_UPDATE_GOLDEN=1 rewrites them from the writer (review the diff).
QByteArray Golden(const char* name, const QByteArray& actual)
{
    const QString path = QStringLiteral(VELTRIX_GOLDEN_DIR "/") + QLatin1String(name);
    QFile file(path);
    if (qEnvironmentVariableIsSet("VELTRIX_UPDATE_GOLDEN") && file.open(QIODevice::WriteOnly))
        file.write(actual);
    file.close();
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray Block(const LiveValues& unit, int preset, const SettingsImage& image)
{
    const SettingsFileWriter::Unit header = SettingsFileWriter::Unit::Of(unit.facts, true, false);
    return SettingsFileWriter::BlockText(header, preset, image, InputNames());
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

// Random blocks in the current setup and presets 1, 2 and 4.
UnitConfiguration Content(const LiveValues& unit, quint32 seed)
{
    UnitConfiguration content;
    content.modelText = unit.facts.modelText;
    content.versionText = unit.facts.versionText;
    content.speakerA = content.speakerB = true;
    content.currentSetup = RandomImage(unit.facts, seed);
    content.inputNames = InputNames();
    for (int k : {1, 2, 4})
        content.presets[static_cast<std::size_t>(k - 1)] = RandomImage(unit.facts, seed + k);
    content.tuner.emplace();
    content.tuner->SetAmStepSize(9);
    content.tuner->AddAm(1, 531);
    content.tuner->AddFm(2, 10170, 1, QStringLiteral("ROCK"));
    return content;
}

// The file the writes of a load would save again.
QByteArray Resave(const Loaded& result, const SettingsFileWriter::Unit& unit,
                  const ModelFacts& facts)
{
    UnitConfiguration content;
    content.modelText = unit.modelText;
    content.versionText = unit.versionText;
    content.speakerA = unit.speakerA;
    content.speakerB = unit.speakerB;
    for (const UnitWrite& write : result.writes) {
        if (write.kind == Kind::InputName)
            content.inputNames[static_cast<std::size_t>(write.index)] = write.name;
        if (write.kind == Kind::CurrentSetup)
            content.currentSetup = write.setup;
        if (write.kind == Kind::TunerPresets)
            content.tuner = write.tuner;
        if (write.kind == Kind::PresetBlock) {
            SettingsImage preset;
            preset.Reset(facts);
            for (qsizetype i = 0; i < write.bytes.size(); ++i) {
                const int value = static_cast<std::uint8_t>(write.bytes[i]);
                if (i < preset.Size())
                    preset.SetByteAt(static_cast<int>(i), value);
                else
                    preset.SetTableByte(static_cast<int>(i - preset.Size()), value);
            }
            content.presets[static_cast<std::size_t>(write.index - 1)] = preset;
        }
    }
    return SettingsFileWriter::FileText(content);
}

const UnitWrite* Find(const Loaded& result, Kind kind, int index = -1)
{
    for (const UnitWrite& write : result.writes) {
        if (write.kind == kind && (index < 0 || write.index == index))
            return &write;
    }
    return nullptr;
}

SettingsImage CurrentSetup(const Loaded& result)
{
    const UnitWrite* write = Find(result, Kind::CurrentSetup);
    return write ? write->setup : SettingsImage();
}

// A hand-written file with LF line ends: one section between the header and the end.
QByteArray File(const QByteArray& body, const char* model = "K230")
{
    return "<VELTRIX>\n\tModel \t\t\t" + QByteArray(model) + "\n" + body + "</VELTRIX>";
}

// Compares two files line by line, so a failure names the first line that differs.
bool SameLines(const QByteArray& actual, const QByteArray& expected)
{
    const QList<QByteArray> a = actual.split('\n');
    const QList<QByteArray> b = expected.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (a.value(i) != b.value(i)) {
            qWarning("line %lld: %s instead of %s", static_cast<long long>(i + 1),
                     a.value(i).toPercentEncoding(" ").constData(),
                     b.value(i).toPercentEncoding(" ").constData());
            return false;
        }
    }
    return true;
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
        const QByteArray text = Block(unit, preset, SampleImage(unit.facts, metres));
        QCOMPARE(text, Golden(golden.toLatin1().constData(), text));
    }

    void firmwareLines_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("neo6");
        QTest::addColumn<bool>("dtsEs");
        QTest::addColumn<bool>("v200");
        for (const char* row : {"v1.20 000", "v1.23 100", "v1.26 110", "v2.00 111", "v2.05 111"})
            QTest::newRow(row) << QString::fromLatin1(row, 5) << (row[6] == '1') << (row[7] == '1')
                               << (row[8] == '1');
    }
    // The lines of settings a firmware lacks are left out, block by block.
    void firmwareLines()
    {
        QFETCH(QString, version);
        QFETCH(bool, neo6);
        QFETCH(bool, dtsEs);
        QFETCH(bool, v200);
        LiveValues unit = Unit("K230", version.toLatin1().constData());
        for (int preset : {0, 1}) {
            const QByteArray text = Block(unit, preset, SampleImage(unit.facts));
            QCOMPARE(text.contains("\t\tNEO:6 Music Mode Center Gain  \t\t"), neo6);
            QCOMPARE(text.contains("\t\tDTS-ES Matrix  \t\t"), dtsEs);
            QCOMPARE(text.contains("\t\tDTS Dynamic Range  \t"), dtsEs);
            QCOMPARE(text.contains("\t\t<EHNANCED_STEREO_1>\r\r\n"), v200);
            QCOMPARE(text.contains("\t\t</EHNANCED_STEREO_2>\r\r\n"), v200);
            QCOMPARE(text.contains("\t\tZone Volume Control  \t"), v200);
            QCOMPARE(text.contains("\t\tZone Relay  \t\t"), v200);
        }
    }

    // Lines as the unit writes them beyond the golden blocks: the subwoofer's
    // cutoff only while it is on, and a code no list names as its number
    // (nothing is indexed beyond a list).
    void lines_data()
    {
        QTest::addColumn<int>("variant"); // 2 subwoofer off, 3 odd codes
        QTest::addColumn<QByteArrayList>("present");
        QTest::addColumn<QByteArrayList>("absent");
        QTest::newRow("subwoofer off")
            << 2 << QByteArrayList{"\t\tSubwoofer  \t\tOff\r\r\n\t\tEnhanced Bass    \tOff\r\r\n"}
            << QByteArrayList{"Subwoofer Cutoff"};
        QTest::newRow("codes beyond the lists")
            << 3
            << QByteArrayList{"\t\tDigitalSource \t9\r\r\n",    "\t\tVideoSource \t15\r\r\n",
                              "\t\tAnalogSource \t12\r\r\n",    "\t\tAnalogGain \t14\r\r\n",
                              "\t\tFrontLeft  \t200\r\r\n",     "\t\tFrontSpeakers  \t\t7\r\r\n",
                              "\t\tFrontDistance  \t\t40\r\r\n"}
            << QByteArrayList{};
    }
    void lines()
    {
        QFETCH(int, variant);
        QFETCH(QByteArrayList, present);
        QFETCH(QByteArrayList, absent);
        const LiveValues unit = Unit();
        SettingsImage image = SampleImage(unit.facts, variant == 1, variant != 2);
        if (variant == 3) {
            image.SetInput(0, {9, -1, -1, 15, 12, 14, 3});
            image.SetByte(SettingsField::FrontLeftLevel, 200);
            image.SetByte(SettingsField::FrontSpeakers, 7);
            image.SetByte(SettingsField::FrontDistance, 40);
        }
        const QByteArray text = Block(unit, 0, image);
        for (const QByteArray& line : present)
            QVERIFY2(text.contains(line), line.constData());
        for (const QByteArray& line : absent)
            QVERIFY2(!text.contains(line), line.constData());
    }

    void presetBlocks_data()
    {
        QTest::addColumn<QList<int>>("present");
        QTest::newRow("2 and 4 empty") << QList<int>{1, 3, 5};
        QTest::newRow("all empty") << QList<int>{};
    }
    // Empty presets leave no trace; the file ends with the tuner section and
    // the end tag without a line end.
    void presetBlocks()
    {
        QFETCH(QList<int>, present);
        UnitConfiguration content = Content(Unit(), 1);
        for (int k = 1; k <= 5; ++k)
            content.presets[static_cast<std::size_t>(k - 1)] =
                present.contains(k) ? content.presets[0] : std::nullopt;
        const QByteArray file = SettingsFileWriter::FileText(content);
        for (int k = 1; k <= 5; ++k) {
            const QByteArray open = "\r\r\n\r\r\n\t<PRESET_" + QByteArray::number(k) + ">\r\r\n";
            const QByteArray close = "\r\r\n\t</PRESET_" + QByteArray::number(k) + ">\r\r\n";
            QCOMPARE(file.count(open), present.contains(k) ? 1 : 0);
            QCOMPARE(file.count(close), present.contains(k) ? 1 : 0);
        }
        QVERIFY(file.contains("\t</ADVANCED>\r\r\n\t<TunerPresets>\r\n") == present.isEmpty());
        QVERIFY(file.endsWith("\t</TunerPresets>\r\n</VELTRIX>"));
        QCOMPARE(file.count("<VELTRIX>"), 1);
    }

    void parseInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plus") << "+3 dB" << 3;
        QTest::newRow("minus") << "-12 dB" << -12;
        QTest::newRow("tag") << "\t<PRESET_4>" << 4;
        QTest::newRow("up to the dot") << "10.2 m" << 10;
        QTest::newRow("minus ends the scan") << "7-25" << -25;
        QTest::newRow("letters") << "ab" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("saturates") << "99999999999999999999" << Reader::MaxNumber;
        QTest::newRow("leading zeros") << "0000000000000000000042" << 42;
    }
    void parseInteger()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(Reader::ParseInteger(text), value);
    }

    void parseDecimal()
    {
        QCOMPARE(Reader::ParseDecimal(u"10.25 m"), 10.25);
        QCOMPARE(Reader::ParseDecimal(u"-0.5"), -0.5);
        QCOMPARE(Reader::ParseTenths(u"10.2 m"), 102);
        QCOMPARE(Reader::ParseTenths(u"0.39"), 3);
    }

    void getValue_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("matches");
        QTest::addColumn<QString>("value");
        const auto row = [](const char* name, const char* line, const char* key, bool matches,
                            const char* value) {
            QTest::newRow(name) << QString::fromLatin1(line) << QString::fromLatin1(key) << matches
                                << QString::fromLatin1(value);
        };
        row("separator", "\t\tFront  \t\tOn \r", "Front", true, "On");
        row("equals", "  Zone Relay = B", "Zone Relay", true, "B");
        row("letter case", "subwoofer cutoff\t80 Hz", "Subwoofer Cutoff", true, "80 Hz");
        row("empty value", "\t\tInputName \t", "InputName", true, "");
        row("not at the start", "Dolby Digital 2 chan \tDTS NEO:6 Cinema", "DTS", false, "");
    }
    void getValue()
    {
        QFETCH(QString, line);
        QFETCH(QString, key);
        QFETCH(bool, matches);
        QFETCH(QString, value);
        const QByteArray latin = key.toLatin1();
        const std::optional<QString> got = Reader::GetValue(line, QLatin1String(latin));
        QCOMPARE(got.has_value(), matches);
        if (matches)
            QCOMPARE(*got, value);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("K230") << "K230" << 1u;
        QTest::newRow("K240V") << "K240V" << 2u;
        QTest::newRow("K110") << "K110" << 3u;
    }
    // Random blocks, codes beyond their lists included: the file the load's
    // writes would save is the file loaded.
    void roundTrip()
    {
        QFETCH(QString, model);
        QFETCH(quint32, seed);
        const LiveValues unit = Unit(model.toLatin1().constData());
        const UnitConfiguration content = Content(unit, seed);
        const QByteArray file = SettingsFileWriter::FileText(content);
        const Loaded result = Load(file, unit);
        QCOMPARE(result.outcome, Reader::Outcome::Loaded);
        QVERIFY(result.messages.isEmpty());
        QVERIFY(SameLines(Resave(result, SettingsFileWriter::Unit::Of(content), unit.facts), file));
        // Line ends do not matter, in the tuner section neither.
        for (const auto& [from, to] : {std::pair{"\r", ""}, std::pair{"\r\r\n", "\r\n"}}) {
            const Loaded other = Load(QByteArray(file).replace(from, to), unit);
            QCOMPARE(other.writes.size(), result.writes.size());
            for (qsizetype i = 0; i < result.writes.size(); ++i) {
                QCOMPARE(other.writes[i].bytes, result.writes[i].bytes);
                QCOMPARE(other.writes[i].name, result.writes[i].name);
            }
        }
    }

    // Presets named by the codes the Surround Modes page has no item for
    // settle after one load.
    void twoChannelCodesSettle()
    {
        const LiveValues unit = Unit();
        UnitConfiguration content = Content(unit, 9);
        for (int i = 0; i < 10; ++i)
            content.presets[0]->SetSurround(i, {i % 2 ? 1 : 5, 0, i % 2 ? 5 : 1, 0});
        const QByteArray first = SettingsFileWriter::FileText(content);
        const Loaded result = Load(first, unit);
        const UnitWrite* block = Find(result, Kind::PresetBlock, 1);
        QVERIFY(block);
        const int table = unit.facts.blockSize;
        QCOMPARE(static_cast<std::uint8_t>(block->bytes[table]), std::uint8_t{0x20});
        QCOMPARE(static_cast<std::uint8_t>(block->bytes[table + 1]), std::uint8_t{0x40});
        QVERIFY(
            SameLines(Resave(result, SettingsFileWriter::Unit::Of(content), unit.facts), first));
    }

    // The writes and their order: renames as read, each preset at its close
    // tag (status, then block and table), the tuner presets, the current
    // setup last. Every EEPROM range is the unit's.
    void writeList()
    {
        const LiveValues unit = Unit();
        const int size = unit.facts.blockSize;
        const Loaded result = Load(SettingsFileWriter::FileText(Content(unit, 4)), unit);
        QList<Kind> kinds;
        for (const UnitWrite& write : result.writes)
            kinds.append(write.kind);
        QList<Kind> expected(10, Kind::InputName);
        for (int k : {1, 2, 4}) {
            Q_UNUSED(k);
            expected << Kind::PresetStatus << Kind::PresetBlock;
        }
        expected << Kind::TunerPresets << Kind::CurrentSetup;
        QCOMPARE(kinds, expected);
        QCOMPARE(result.writes[3].name, QStringLiteral("VIDEO 4"));
        QCOMPARE(result.writes[3].pauseAfter, LoadPlan::RenamePause);
        for (int k : {1, 2, 4}) {
            const int status = EepromMap::PresetAddress(1024, size, k);
            QCOMPARE(Find(result, Kind::PresetStatus, k)->address, status);
            QCOMPARE(Find(result, Kind::PresetStatus, k)->bytes, QByteArray(1, char(size)));
            const UnitWrite* block = Find(result, Kind::PresetBlock, k);
            QCOMPARE(block->address, status + 1);
            QCOMPARE(block->bytes.size(), size + 20);
            // Preset blocks carry no input settings.
            QCOMPARE(block->bytes.left(30), QByteArray(30, '\0'));
        }
        const UnitWrite* tuner = Find(result, Kind::TunerPresets);
        QCOMPARE(tuner->address, 32);
        QCOMPARE(tuner->bytes.size(), 350);
        QCOMPARE(tuner->tuner.AmStepSize(), 9);
        QCOMPARE(tuner->tuner.FmPresets().value(0).frequency, 10170);
        QCOMPARE(result.writes.last().bytes.size(), size);
    }

    // A K230 file in a K240 asks once; Yes loads all, No nothing.
    void modelQuestion()
    {
        const LiveValues k240 = Unit("K240");
        const QByteArray file = SettingsFileWriter::FileText(Content(Unit("K230"), 6));
        const Loaded asked = Load(file, k240, Reader::ModelAnswer::Unasked);
        QCOMPARE(asked.outcome, Reader::Outcome::ModelQuestion);
        QVERIFY(asked.writes.isEmpty());
        QCOMPARE(asked.question.id, Message::ModelMismatch);
        QCOMPARE(asked.question.args, QStringList{QStringLiteral("K230")});

        const Loaded yes = Load(file, k240, Reader::ModelAnswer::Yes);
        QCOMPARE(yes.outcome, Reader::Outcome::Loaded);
        QCOMPARE(yes.writes.size(), 18);

        const Loaded no = Load(file, k240, Reader::ModelAnswer::No);
        QCOMPARE(no.outcome, Reader::Outcome::Aborted);
        QVERIFY(no.writes.isEmpty());
        QCOMPARE(no.messages.value(0).id, Message::ProcessingAborted);

        // The same model in other letters asks nothing.
        const Loaded same =
            Load(QByteArray(file).replace("K230", "k230"), Unit(), Reader::ModelAnswer::Unasked);
        QCOMPARE(same.outcome, Reader::Outcome::Loaded);
    }

    void keyRules_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("canonical");
        QTest::addColumn<int>("value");
        using namespace SettingsField;
        const QByteArray relay = "\t<ADVANCED>\n\t\tZone Relay  \t\t";
        QTest::newRow("relay B") << relay + "B\n\t</ADVANCED>\n" << int(TriggersAndRelay) << 0x08;
        QTest::newRow("relay A") << relay + "A\n\t</ADVANCED>\n" << int(TriggersAndRelay) << 0x04;
        QTest::newRow("ES front") << QByteArray("\t<LISTENINGMODES>\n\t\t<EHNANCED_STEREO_1>\n"
                                                "\t\t\tFront  \t\tOn\n\t\t</EHNANCED_STEREO_1>\n"
                                                "\t</LISTENINGMODES>\n")
                                  << int(EnhancedStereo1) << 0x01;
        QTest::newRow("speaker A off")
            << QByteArray("\tSpeaker A \t\tOff\n") << int(SpeakerOutputs) << 0;
        QTest::newRow("speakers A and B")
            << QByteArray("\tSpeaker A \t\tOn\n\tSpeaker B \t\tOn\n") << int(SpeakerOutputs) << 3;
        const QByteArray speakers = "\t<SPEAKERSETUP>\n\t\tSubwoofer  \t\tOn\n";
        QTest::newRow("cutoff 150 Hz, bass on")
            << speakers + "\t\tSubwoofer Cutoff  \t150 Hz\n\t\tEnhanced Bass    \tOn\n\t</X>\n"
            << int(Subwoofer) << (1 | 2 | (5 << 2));
        QTest::newRow("cutoff unknown") << speakers + "\t\tSubwoofer Cutoff  \tloud\n\t</X>\n"
                                        << int(Subwoofer) << (1 | (3 << 2));
        QTest::newRow("metres") << QByteArray(
                                       "\t<SPEAKERSETUP>\n\t\tFrontDistance  \t\t10.2 m\n</>\n")
                                << int(FrontDistance) << 33;
        QTest::newRow("distance out of range")
            << QByteArray("\t<SPEAKERSETUP>\n\t\tFrontDistance  \t\t41 ft\n</>\n")
            << int(FrontDistance) << 0;
        QTest::newRow("level out of range")
            << QByteArray("\t<LEVELSETUP>\n\t\tCenter  \t+13 dB\n</>\n") << int(CenterLevel) << 0;
        QTest::newRow("lower-case keys and tags")
            << QByteArray("\t<levelsetup>\n\t\tbass  \t\t+4 DB\n</>\n") << int(Bass) << 7;
        QTest::newRow("zone fixed stays fixed")
            << QByteArray("\t<ADVANCED>\n\t\tZone Volume Control  \tFixed\n\t</ADVANCED>\n")
            << int(ZoneVolumeControl) << 165;
        QTest::newRow("zone variable takes the live volume")
            << QByteArray("\t<ADVANCED>\n\t\tZone Volume Control  \tVariable\n\t</ADVANCED>\n")
            << int(ZoneVolumeControl) << 256 - 40;
        QTest::newRow("live main volume") << QByteArray() << int(MainVolume) << 48;
        QTest::newRow("live source") << QByteArray() << int(Source) << 3;
        QTest::newRow("digital source unknown")
            << QByteArray("\t<INPUT_SETTINGS>\n\t<0>\n\t\tDigitalSource \tcoax 3\n\t</0>\n</>\n")
            << int(InputRecords) << 0x0F;
        QTest::newRow("input tag out of range ends the section")
            << QByteArray("\t<INPUT_SETTINGS>\n\t<12>\n\t\tDigitalSource \tCoax 3\n\t</12>\n</>\n")
            << int(InputRecords) << 0;
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
        QCOMPARE(CurrentSetup(result).Byte(canonical), value);
    }

    void surroundModes_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("byte0");
        QTest::addColumn<int>("byte1");
        QTest::newRow("DD 2 chan NEO:6 is not DTS")
            << QByteArray("\t\tDolby Digital 2 chan \tDTS NEO:6 Cinema\n") << 0x80 << 0x00;
        QTest::newRow("unknown name") << QByteArray("\t\tStereo \t\t\tSpace Opera\n") << 0 << 0;
        QTest::newRow("letter case")
            << QByteArray("\t\tStereo \t\t\tpro logic iix: music\n") << 0 << 0x70;
        QTest::newRow("DTS downmix") << QByteArray("\t\tDTS \t\t\tDownmix\n") << 0 << 0x01;
        QTest::newRow("beyond the list")
            << QByteArray("\t\tDolby Digital others \t9\n") << 0x09 << 0;
    }
    void surroundModes()
    {
        QFETCH(QByteArray, lines);
        QFETCH(int, byte0);
        QFETCH(int, byte1);
        const Loaded result = Load(File("\t<PRESET_3>\n\t<SURROUND_MODES>\n\t\tInput 2\n" + lines +
                                        "\t</SURROUND_MODES>\n\t</PRESET_3>\n"));
        const UnitWrite* block = Find(result, Kind::PresetBlock, 3);
        QVERIFY(block);
        const int table = Unit().facts.blockSize;
        QCOMPARE(static_cast<std::uint8_t>(block->bytes[table + 4]), byte0);
        QCOMPARE(static_cast<std::uint8_t>(block->bytes[table + 5]), byte1);
    }

    // What is or is not written when parts are missing or out of range.
    void partialFiles()
    {
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

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("blockSize");
        QTest::addColumn<Reader::Outcome>("outcome");
        QTest::addColumn<int>("message");
        const auto row = [](const char* name, const QByteArray& bytes, const char* model,
                            const char* version, int size, Reader::Outcome outcome, int message) {
            QTest::newRow(name) << bytes << QString::fromLatin1(model)
                                << QString::fromLatin1(version) << size << outcome << message;
        };
        const auto refused = Reader::Outcome::UnitNotSupported;
        row("not a settings file", "<TunerPresets>\n", "K230", "v2.05", 67,
            Reader::Outcome::NotSettingsFile, Message::NotSettingsFile);
        row("K220", File(""), "K220", "v2.05", 47, refused, Message::UnsupportedUnit);
        row("v1.26", File(""), "K230", "v1.26", 64, refused, Message::UnsupportedUnit);
        row("size unknown", File(""), "K230", "v2.00", -1, refused, Message::BlockSizeUnknown);
        row("size too large", File(""), "K230", "v2.00", 120, refused, Message::BlockSizeInvalid);
    }
    void refusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, blockSize);
        QFETCH(Reader::Outcome, outcome);
        QFETCH(int, message);
        LiveValues unit = Unit();
        unit.facts = ModelFacts{model, version, blockSize};
        const Loaded result = Load(bytes, unit);
        QCOMPARE(result.outcome, outcome);
        QVERIFY(result.writes.isEmpty());
        QCOMPARE(result.messages.value(0).id, message);
        QVERIFY(!MessageTable::Text(message).isEmpty());
    }

    void gates_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("save");
        QTest::addColumn<int>("load");
        const auto row = [](const char* model, const char* version, int save, int load) {
            QTest::addRow("%s %s", model, version)
                << QString::fromLatin1(model) << QString::fromLatin1(version) << save << load;
        };
        const int no = Message::UnsupportedUnit;
        row("K230", "v2.05", 0, 0);
        row("K230", "v2.00", Message::NeedsFirmware205, 0);
        row("K110V", "V2.05", 0, 0);
        row("k220", "v2.05", no, no);
        row("K240", "v1.26", no, no);
        row("K999", "v2.05", no, no);
        row("", "", no, no);
    }
    void gates()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, save);
        QFETCH(int, load);
        const ModelFacts facts{model, version, 67};
        QCOMPARE(SettingsFileGate::SaveRefusal(facts), save);
        QCOMPARE(SettingsFileGate::LoadRefusal(facts), load);
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
        const UnitWrite* rename = Find(result, Kind::InputName, 1);
        QVERIFY(rename);
        QCOMPARE(rename->name, QStringLiteral("ABCDEFGHIJKLM"));
        rename = Find(result, Kind::InputName, 2);
        QVERIFY(rename);
        QCOMPARE(rename->name, QStringLiteral("VIDEO 6"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
