#include "files/settings_file_writer.h"

#include "files/settings_file_format.h"
#include "settings_file_fixture.h"
#include "setup/setup_fields.h"
#include "setup/setup_flags.h"

#include <QFile>
#include <QTest>

namespace {

const SettingsFileWriter::Unit Header{QStringLiteral("K230"), QStringLiteral("v2.05"), true, false};

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

} // namespace

class TestSettingsFileWriter : public QObject
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
        QTest::newRow("v1.20") << "v1.20" << false << false << false;
        QTest::newRow("v1.23") << "v1.23" << true << false << false;
        QTest::newRow("v1.26") << "v1.26" << true << true << false;
        QTest::newRow("v2.00") << "v2.00" << true << true << true;
        QTest::newRow("v2.05") << "v2.05" << true << true << true;
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

    // Lines as the unit writes them: distances in the unit the block says,
    // the subwoofer's cutoff only while it is on, and a code no list names as
    // its number (nothing is indexed beyond a list).
    void lines_data()
    {
        QTest::addColumn<int>("variant"); // 0 sample, 1 metres, 2 subwoofer off, 3 odd codes
        QTest::addColumn<QByteArrayList>("present");
        QTest::addColumn<QByteArrayList>("absent");
        QTest::newRow("feet, subwoofer on")
            << 0
            << QByteArrayList{"\t\tFrontDistance  \t\t1 ft\r\r\n\t\tCenterDistance  \t10 ft\r\r\n"
                              "\t\tSurroundDistance  \t33 ft\r\r\n\t\tBackDistance  \t\t40 "
                              "ft\r\r\n",
                              "\t\tSubwoofer  \t\tOn\r\r\n\t\tSubwoofer Cutoff  \t80 Hz\r\r\n"}
            << QByteArrayList{};
        QTest::newRow("metres")
            << 1
            << QByteArrayList{"\t\tFrontDistance  \t\t0.3 m\r\r\n\t\tCenterDistance  \t3.0 m\r\r\n"
                              "\t\tSurroundDistance  \t9.9 m\r\r\n\t\tBackDistance  \t\t12.0 "
                              "m\r\r\n"}
            << QByteArrayList{};
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
        const LiveValues unit = Unit();
        UnitConfiguration content;
        content.modelText = Header.modelText;
        content.versionText = Header.versionText;
        content.speakerA = Header.speakerA;
        content.speakerB = Header.speakerB;
        content.currentSetup = SampleImage(unit.facts);
        content.inputNames = InputNames();
        for (int k : present)
            content.presets[static_cast<std::size_t>(k - 1)] = SampleImage(unit.facts);
        content.tuner.emplace();
        content.tuner->AddFm(1, 8805, 0, QStringLiteral("JAZZ"));

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
};

QTEST_GUILESS_MAIN(TestSettingsFileWriter)
#include "test_settings_file_writer.moc"
