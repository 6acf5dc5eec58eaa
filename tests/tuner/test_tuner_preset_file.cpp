#include "tuner/tuner_preset_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using TunerPresetFile::Outcome;

namespace {

// "FMnumber:frequency:mute:name" and "AMnumber:frequency" per preset, the
// step size first.
QStringList Texts(const TunerPresetList& list)
{
    QStringList texts{u"step %1"_s.arg(list.AmStepSize())};
    for (const FmPreset& p : list.FmPresets())
        texts << QString::asprintf("FM%d:%d:%d:", p.number, p.frequency, p.mute) + p.name;
    for (const AmPreset& p : list.AmPresets())
        texts << QString::asprintf("AM%d:%d", p.number, p.frequency);
    return texts;
}

// The inverse of Texts, for lists written in a table.
TunerPresetList MakeList(const QStringList& texts)
{
    TunerPresetList list;
    for (const QString& text : texts) {
        const QStringList f = text.mid(2).split(u':');
        if (text.startsWith(u"step "))
            list.SetAmStepSize(text.mid(5).toInt());
        else if (text.startsWith(u"FM"))
            list.AddFm(f[0].toInt(), f[1].toInt(), f[2].toInt(), f.mid(3).join(u':'));
        else
            list.AddAm(f[0].toInt(), f[1].toInt());
    }
    return list;
}

// A list the reader must replace entirely.
TunerPresetList OldList()
{
    return MakeList({u"step 9"_s, u"FM5:9000:1:OLD"_s, u"AM3:700"_s});
}

QStringList Read(const QByteArray& text, int* lines = nullptr)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    TunerPresetList list = OldList();
    const int read = TunerPresetFile::ReadSection(buffer, list);
    if (lines)
        *lines = read;
    return Texts(list);
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QByteArray SampleIndent0 = "<TunerPresets>\r\n\r\n"
                                 "\tAM Step Size = 9\r\n\r\n"
                                 "\tAM Preset = 1\r\n\tAM Frequency = 531\r\n\r\n"
                                 "\tFM Preset = 1\r\n\tFM Frequency = 88.05\r\n"
                                 "\tFM Mute = 1\r\n\tFM Preset Name = JAZZ\r\n\r\n"
                                 "\tFM Preset = 2\r\n\tFM Frequency = 108.50\r\n"
                                 "\tFM Mute = 0\r\n\tFM Preset Name = \r\n\r\n"
                                 "</TunerPresets>\r\n";

} // namespace

class TestTunerPresetFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The written text byte for byte, and reading it back gives the same list.
    void writeAndReadBack_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("indent");
        QTest::addColumn<QByteArray>("expected");
        const QStringList sample{u"step 9"_s, u"FM1:8805:1:JAZZ"_s, u"FM2:10850:0:"_s,
                                 u"AM1:531"_s};
        QTest::newRow("indent 0, step 9") << sample << 0 << SampleIndent0;
        QByteArray indented;
        for (const QByteArray& line : SampleIndent0.split('\n'))
            indented += line.isEmpty() || line == "\r" ? line + '\n' : '\t' + line + '\n';
        indented.chop(1);
        QTest::newRow("indent 1, step 9") << sample << 1 << indented;
        QTest::newRow("empty, step 10")
            << QStringList{u"step 10"_s} << 0
            << QByteArray("<TunerPresets>\r\n\r\n\tAM Step Size = 10\r\n\r\n</TunerPresets>\r\n");
        QTest::newRow("AM band edges, step 10, 13-character name")
            << QStringList{u"step 10"_s, u"FM30:8750:0:THIRTEEN CHAR"_s, u"AM10:1710"_s,
                           u"AM2:530"_s}
            << 0
            << QByteArray("<TunerPresets>\r\n\r\n\tAM Step Size = 10\r\n\r\n"
                          "\tAM Preset = 10\r\n\tAM Frequency = 1710\r\n\r\n"
                          "\tAM Preset = 2\r\n\tAM Frequency = 530\r\n\r\n"
                          "\tFM Preset = 30\r\n\tFM Frequency = 87.50\r\n"
                          "\tFM Mute = 0\r\n\tFM Preset Name = THIRTEEN CHAR\r\n\r\n"
                          "</TunerPresets>\r\n");
    }
    void writeAndReadBack()
    {
        QFETCH(QStringList, list);
        QFETCH(int, indent);
        QFETCH(QByteArray, expected);
        QCOMPARE(Texts(MakeList(list)), list);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(TunerPresetFile::WriteSection(buffer, MakeList(list), indent));
        QCOMPARE(buffer.data(), expected);
        int lines = 0;
        QCOMPARE(Read(expected, &lines), list);
        QCOMPARE(lines, expected.count('\n'));
    }

    // Each text is read with LF, CR LF and CR CR LF line ends alike; the list
    // read into held step 9, FM5 and AM3 before.
    void reader_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("expected");
        const QString old = u"step 9"_s;
        QTest::newRow("lower-case keys and tags, loose spacing")
            << QByteArray("<tunerpresets>\nam step size=10\n  fm preset=4 \n"
                          "Fm FREQUENCY =101.7\nfm mute= 1\nfm preset name =  ROCK  \n"
                          "am preset = 2\nam frequency = 1000\n</TUNERPRESETS>\n")
            << QStringList{u"step 10"_s, u"FM4:10170:1:ROCK"_s, u"AM2:1000"_s};
        QTest::newRow("FM out of band and odd numbers")
            << QByteArray("<TunerPresets>\nFM Preset = 1\nFM Frequency = 120\nFM Mute = 0\n"
                          "FM Preset Name = A\nFM Preset = 2x\nFM Frequency = 87.499\n"
                          "FM Mute = 7up\nFM Preset Name = B\nFM Preset = -3\n"
                          "FM Frequency = 88.059\nFM Mute = x\nFM Preset Name = C\n"
                          "FM Preset = 99999999999999\nFM Frequency = -95\nFM Preset Name = \n"
                          "</TunerPresets>\n")
            << QStringList{old, u"FM1:8750:0:A"_s, u"FM2:8750:7:B"_s, u"FM-3:8805:0:C"_s,
                           u"FM1000000000:8750:0:"_s};
        QTest::newRow("AM out of band with step 9, then step 10")
            << QByteArray("<TunerPresets>\nAM Preset = 1\nAM Frequency = 1711\n"
                          "AM Preset = 2\nAM Frequency = 529\nAM Step Size = 10\n"
                          "AM Preset = 3\nAM Frequency = abc\n</TunerPresets>\n")
            << QStringList{u"step 10"_s, u"AM1:531"_s, u"AM2:531"_s, u"AM3:530"_s};
        QTest::newRow("step 11 and 0 keep the step")
            << QByteArray("<TunerPresets>\nAM Step Size = 11\nAM Step Size = 0\n</TunerPresets>\n")
            << QStringList{old};
        QTest::newRow("lines before the section and after its end are not used")
            << QByteArray("FM Preset Name = EARLY\n</TunerPresets>\n"
                          "\t<TunerPresets>\nAM Step Size = 10abc\n</TunerPresets>\n"
                          "AM Preset = 1\nAM Frequency = 600\nFM Preset Name = LATE\n"
                          "<TunerPresets>\nAM Step Size = 9\n")
            << QStringList{u"step 10"_s};
        QTest::newRow("missing completing keys run into the next record")
            << QByteArray("<TunerPresets>\nAM Preset = 1\nAM Preset = 2\nAM Frequency = 600\n"
                          "FM Preset = 1\nFM Frequency = 90\nFM Mute = 1\n"
                          "FM Preset = 2\nFM Preset Name = TWO\n"
                          "FM Preset Name = NEXT\n</TunerPresets>\n")
            << QStringList{old, u"FM2:9000:1:TWO"_s, u"FM0:8750:0:NEXT"_s, u"AM2:600"_s};
        QTest::newRow("names: cut to 13, UTF-8, Latin-1, = inside")
            << QByteArray("<TunerPresets>\nFM Preset Name = FOURTEEN CHARS\n"
                          "FM Preset Name = Caf\xc3\xa9\nFM Preset Name = Caf\xe9\n"
                          "FM Preset Name = A=B\nno equals sign\n</TunerPresets>")
            << QStringList{old, u"FM0:8750:0:FOURTEEN CHAR"_s, u"FM0:8750:0:Café"_s,
                           u"FM0:8750:0:Café"_s, u"FM0:8750:0:A=B"_s};
        QTest::newRow("no section empties the list")
            << QByteArray("AM Step Size = 10\n") << QStringList{old};
    }
    void reader()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expected);
        for (const char* end : {"\n", "\r\n", "\r\r\n"}) {
            QByteArray withEnds = text;
            withEnds.replace("\n", end);
            QCOMPARE(Read(withEnds), expected);
        }
    }

    // More records than a band holds, over-long lines, NUL bytes and text
    // without line ends: bounded, no crash, the rest still read.
    void hostileInput()
    {
        QByteArray text = "<TunerPresets>\n";
        for (int n = 1; n <= 32; ++n)
            text += "AM Preset = " + QByteArray::number(n) + "\nAM Frequency = 600\n" +
                    "FM Preset = " + QByteArray::number(n) + "\nFM Preset Name = \n";
        int lines = 0;
        const QStringList full = Read(text, &lines);
        QCOMPARE(full.size(), 1 + 30 + 10);
        QCOMPARE(full.at(30), u"FM30:8750:0:"_s);
        QCOMPARE(full.last(), u"AM10:600"_s);
        QCOMPARE(lines, 1 + 32 * 4);

        const QByteArray longName = "<TunerPresets>\nFM Preset Name = " + QByteArray(100000, 'N') +
                                    "\n" + QByteArray(5000, '=') + "\nFM Preset = 4\n" +
                                    QByteArray("FM Preset Name = X\0Y\n", 21) +
                                    QByteArray(3000, '\0') + "\n</TunerPresets>\n";
        QCOMPARE(Read(longName, &lines),
                 QStringList({u"step 9"_s, u"FM0:8750:0:"_s + QString(13, u'N'),
                              u"FM4:8750:0:X"_s + QChar(0) + u"Y"_s}));
        QCOMPARE(lines, 7);

        QByteArray noEnds = "<TunerPresets>";
        noEnds += QByteArray(1 << 20, '\x01');
        QCOMPARE(Read(noEnds, &lines), QStringList{u"step 9"_s});
        QCOMPARE(lines, 1);

        TunerPresetList list = OldList();
        QBuffer closed;
        QCOMPARE(TunerPresetFile::ReadSection(closed, list), 0);
        QCOMPARE(Texts(list), Texts(OldList()));
    }

    void isTunerPresetFile_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("tag") << QByteArray("<TunerPresets>\r\n") << true;
        QTest::newRow("tag alone") << QByteArray("<TunerPresets>") << true;
        QTest::newRow("other case") << QByteArray("<TUNERPRESETS>\n") << true;
        QTest::newRow("leading blank") << QByteArray(" <TunerPresets>\r\n") << false;
        QTest::newRow("leading tab") << QByteArray("\t<TunerPresets>\r\n") << false;
        QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf<TunerPresets>") << false;
        QTest::newRow("settings file") << QByteArray("<VELTRIX>\r\r\n") << false;
        QTest::newRow("cut short") << QByteArray("<TunerPreset") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void isTunerPresetFile()
    {
        QFETCH(QByteArray, start);
        QFETCH(bool, accepted);
        QBuffer buffer;
        buffer.setData(start + "\tAM Step Size = 9\r\n");
        buffer.open(QIODevice::ReadOnly);
        buffer.seek(3);
        QCOMPARE(TunerPresetFile::IsTunerPresetFile(buffer), accepted);
        QCOMPARE(buffer.pos(), 3);
    }

    // Through real files: a save and a load give the same list; failures say
    // why and leave the list and any existing file alone.
    void saveAndLoad()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const TunerPresetList sample =
            MakeList({u"step 9"_s, u"FM1:8805:1:JAZZ"_s, u"FM2:10850:0:"_s, u"AM1:531"_s});
        const QString path = dir.filePath(u"presets.vxf"_s);
        QString error;
        QCOMPARE(TunerPresetFile::Save(path, sample, &error), Outcome::Done);
        QCOMPARE(FileBytes(path), SampleIndent0);
        TunerPresetList loaded;
        QCOMPARE(TunerPresetFile::Load(path, loaded, &error), Outcome::Done);
        QCOMPARE(Texts(loaded), Texts(sample));

        // Saving over an existing file replaces it whole.
        QCOMPARE(TunerPresetFile::Save(path, TunerPresetList(), nullptr), Outcome::Done);
        QCOMPARE(FileBytes(path), TunerPresetFile::SectionText(TunerPresetList(), 0));
    }

    void saveFails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing folder") << u"no such folder/presets.vxf"_s;
        QTest::newRow("file as folder") << u"existing.vxf/presets.vxf"_s;
        QTest::newRow("folder as target") << u"folder"_s;
        // The temporary file beside it cannot be made: its name is too long.
        QTest::newRow("existing file, no room for the temporary") << QString(250, u'L');
    }
    void saveFails()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray old = "old contents\n";
        QVERIFY(WriteFile(dir.filePath(u"existing.vxf"_s), old));
        QVERIFY(WriteFile(dir.filePath(QString(250, u'L')), old));
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

        QString error;
        QCOMPARE(TunerPresetFile::Save(dir.filePath(name), OldList(), &error), Outcome::Failed);
        QVERIFY(!error.isEmpty() && error != u"Unknown error"_s);
        QCOMPARE(FileBytes(dir.filePath(u"existing.vxf"_s)), old);
        QCOMPARE(FileBytes(dir.filePath(QString(250, u'L'))), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    void loadFails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("missing") << u"missing.vxf"_s << Outcome::Failed;
        QTest::newRow("folder") << u"folder"_s << Outcome::Failed;
        QTest::newRow("leading blank") << u"blank.vxf"_s << Outcome::NotTunerPresetFile;
        QTest::newRow("empty file") << u"empty.vxf"_s << Outcome::NotTunerPresetFile;
    }
    void loadFails()
    {
        QFETCH(QString, name);
        QFETCH(Outcome, outcome);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        QVERIFY(WriteFile(dir.filePath(u"blank.vxf"_s), ' ' + SampleIndent0));
        QVERIFY(WriteFile(dir.filePath(u"empty.vxf"_s), QByteArray()));

        TunerPresetList list = OldList();
        QString error;
        QCOMPARE(TunerPresetFile::Load(dir.filePath(name), list, &error), outcome);
        QCOMPARE(error.isEmpty(), outcome != Outcome::Failed);
        QCOMPARE(Texts(list), Texts(OldList()));
    }
};

QTEST_GUILESS_MAIN(TestTunerPresetFile)
#include "test_tuner_preset_file.moc"
