#include "test_files.h"
#include "tuner/tuner_preset_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>
#include <utility>

using namespace Qt::Literals::StringLiterals;
using TunerPresetFile::Outcome;

namespace {

// The step size, then "FMnumber:frequency:mute:name" and "AMnumber:frequency".
QStringList Texts(const TunerPresetList& list)
{
    QStringList texts{u"step %1"_s.arg(list.AmStepSize())};
    for (const FmPreset& p : list.FmPresets())
        texts << QString::asprintf("FM%d:%d:%d:", p.number, p.frequency, p.mute) + p.name;
    for (const AmPreset& p : list.AmPresets())
        texts << QString::asprintf("AM%d:%d", p.number, p.frequency);
    return texts;
}

// What the reader must replace: step 9, one FM and one AM preset.
TunerPresetList OldList()
{
    TunerPresetList list;
    list.SetAmStepSize(9);
    list.AddFm(5, 9000, 1, u"OLD"_s);
    list.AddAm(3, 700);
    return list;
}

TunerPresetList Read(const QByteArray& text, int* lines = nullptr)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    TunerPresetList list = OldList();
    const int read = TunerPresetFile::ReadSection(buffer, list);
    if (lines)
        *lines = read;
    return list;
}

const QByteArray Sample = "<TunerPresets>\r\n\r\n\tAM Step Size = 9\r\n\r\n"
                          "\tAM Preset = 1\r\n\tAM Frequency = 531\r\n\r\n"
                          "\tFM Preset = 1\r\n\tFM Frequency = 88.05\r\n"
                          "\tFM Mute = 1\r\n\tFM Preset Name = JAZZ\r\n\r\n"
                          "\tFM Preset = 30\r\n\tFM Frequency = 108.50\r\n"
                          "\tFM Mute = 0\r\n\tFM Preset Name = \r\n\r\n</TunerPresets>\r\n";

} // namespace

class TestTunerPresetFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Reading a section and writing the list again gives the same bytes:
    // presets in the file's order, the band edges, the longest name.
    void roundTrip()
    {
        for (const QByteArray& text :
             {Sample, QByteArray("<TunerPresets>\r\n\r\n\tAM Step Size = 10\r\n\r\n"
                                 "\tAM Preset = 10\r\n\tAM Frequency = 1710\r\n\r\n"
                                 "\tAM Preset = 2\r\n\tAM Frequency = 530\r\n\r\n"
                                 "\tFM Preset = 2\r\n\tFM Frequency = 87.50\r\n"
                                 "\tFM Mute = 0\r\n\tFM Preset Name = THIRTEEN CHAR\r\n\r\n"
                                 "</TunerPresets>\r\n")}) {
            int lines = 0;
            QCOMPARE(TunerPresetFile::SectionText(Read(text, &lines), 0), text);
            QCOMPARE(lines, text.count('\n'));
        }
    }

    // Each text ('|' ends a line) is read with LF, CR LF and CR CR LF line
    // ends alike, into OldList(); the expected list is '|'-separated too.
    // In turn: any letter case and spacing; FM values out of band and odd
    // numbers; AM values out of band, step 9 then 10; only lines inside the
    // section; records missing their completing keys; names cut to 13
    // characters, in Latin-1, with '=' inside.
    void reader()
    {
        for (
            const auto& [text, expected] :
            {std::pair{"<tunerpresets>|am step size=10|  fm preset=4 |Fm FREQUENCY =101.7|"
                       "fm mute= 1|fm preset name =  ROCK  |am preset = 2|am frequency = 1000|"
                       "</TUNERPRESETS>|",
                       u"step 10|FM4:10170:1:ROCK|AM2:1000"_s},
             {"<TunerPresets>|FM Preset = 1|FM Frequency = 120|FM Preset Name = A|"
              "FM Preset = 2x|FM Frequency = 87.499|FM Mute = 7up|FM Preset Name = B|"
              "FM Preset = -3|FM Frequency = 88.059|FM Preset Name = C|"
              "FM Preset = 99999999999999|FM Frequency = -95|FM Preset Name = |"
              "FM Frequency = 42949760.54|FM Preset Name = |",
              u"step 9|FM1:8750:0:A|FM2:8750:7:B|FM-3:8805:0:C|FM1000000000:8750:0:|FM0:8750:0:"_s},
             {"<TunerPresets>|AM Preset = 1|AM Frequency = 1711|AM Preset = 2|"
              "AM Frequency = 529|AM Step Size = 10abc|AM Preset = 3|"
              "AM Frequency = abc|AM Step Size = 11|</TunerPresets>|",
              u"step 10|AM1:531|AM2:531|AM3:530"_s},
             {"FM Preset Name = EARLY|</TunerPresets>|\t<TunerPresets>|"
              "AM Step Size = 0|</TunerPresets>|AM Step Size = 10|FM Preset Name = L|",
              u"step 9"_s},
             {"<TunerPresets>|AM Preset = 1|AM Preset = 2|AM Frequency = 600|"
              "FM Preset = 1|FM Frequency = 90|FM Mute = 1|FM Preset = 2|"
              "FM Preset Name = TWO|FM Preset Name = NEXT|</TunerPresets>|",
              u"step 9|FM2:9000:1:TWO|FM0:8750:0:NEXT|AM2:600"_s},
             {"<TunerPresets>|FM Preset Name = FOURTEEN CHARS|"
              "FM Preset Name = Caf\xe9|FM Preset Name = A=B|no equals sign|</TunerPresets>",
              u"step 9|FM0:8750:0:FOURTEEN CHAR|FM0:8750:0:Café|FM0:8750:0:A=B"_s}}) {
            for (const char* end : {"\n", "\r\n", "\r\r\n"})
                QCOMPARE(Texts(Read(QByteArray(text).replace("|", end))), expected.split(u'|'));
        }
    }

    // Over-long lines, NUL bytes, no line ends: bounded, and the lines after
    // an over-long one are still read (the bound on records is the fuzzer's).
    void hostileInput()
    {
        int lines = 0;
        const QStringList odd =
            Texts(Read("<TunerPresets>\nFM Preset Name = " + QByteArray(100000, 'N') + "\n" +
                           QByteArray("FM Preset Name = X\0Y\n", 21) + QByteArray(3000, '\0') +
                           "\n</TunerPresets>\n",
                       &lines));
        QCOMPARE(odd, QStringList({u"step 9"_s, u"FM0:8750:0:NNNNNNNNNNNNN"_s,
                                   u"FM0:8750:0:X"_s + QChar(0) + u'Y'}));
        QCOMPARE(lines, 5);
        QCOMPARE(Texts(Read("<TunerPresets>" + QByteArray(1 << 20, '\1'), &lines)),
                 QStringList{u"step 9"_s});
        QCOMPARE(lines, 1);

        // A name from the unit with line breaks stays on its line.
        TunerPresetList fromUnit;
        fromUnit.AddFm(1, 8750, 0, u"A\nFM=\rB"_s);
        QVERIFY(
            TunerPresetFile::SectionText(fromUnit, 0).contains("\tFM Preset Name = A FM= B\r\n"));
    }

    // Through real files (whole round trips are the command line's): a file
    // cut off, empty, not a file or with anything before its tag (even a
    // byte order mark) is refused, says why if it could not be read, and
    // leaves the list as it was; the tag's letter case does not matter. A save that cannot
    // put its file in place (the temporary name beside this one is
    // too long) says why and leaves the file there as it was.
    void files()
    {
        QTemporaryDir temp;
        const QDir dir(temp.path());
        for (const auto& [name, bytes, outcome] :
             {std::tuple{"cut.vxf", Sample.left(Sample.size() - 20), Outcome::CutOff},
              {"empty.vxf", QByteArray(), Outcome::NotTunerPresetFile},
              {"bom.vxf", "\xef\xbb\xbf" + Sample, Outcome::NotTunerPresetFile},
              {"upper.vxf", QByteArray(Sample).replace("<TunerPresets>", "<TUNERPRESETS>"),
               Outcome::Done},
              {"", QByteArray(), Outcome::Failed}}) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            if (*name)
                QVERIFY(WriteFile(path, bytes));
            TunerPresetList list = OldList();
            QString error;
            QCOMPARE(TunerPresetFile::Load(path, list, &error), outcome);
            QCOMPARE(error.isEmpty(), outcome != Outcome::Failed);
            QCOMPARE(Texts(list), Texts(outcome == Outcome::Done ? Read(Sample) : OldList()));
        }
        const QString path = dir.filePath(QString(250, u'L'));
        QVERIFY(WriteFile(path, "old\n"));
        QString error;
        QCOMPARE(TunerPresetFile::Save(path, OldList(), &error), Outcome::Failed);
        QVERIFY(!error.isEmpty() && error != u"Unknown error"_s);
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden).size(), 5);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old\n"));
    }
};

QTEST_GUILESS_MAIN(TestTunerPresetFile)
#include "test_tuner_preset_file.moc"
