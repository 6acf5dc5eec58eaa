#include "common/message_box.h"
#include "common/message_table.h"
#include "file_size_limit.h"
#include "files/compare_result_dlg.h"
#include "files/settings_file_commands.h"
#include "files/settings_file_format.h"
#include "files/settings_save_chain.h"
#include "model/settings_field.h"
#include "panel/test_control_panel_fixture.h"
#include "screenshot.h"
#include "sim_session.h"
#include "simulated_receiver.h"
#include "transfer/eeprom_map.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <optional>

// "Save Settings" from one simulated receiver and "Load Settings" into
// another with a blank memory: the second unit ends up holding what the
// first held, except what files do not carry.
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

struct Line
{
    int drop = 0;
    int corrupt = 0;
    bool noise = false;
};

} // namespace

Q_DECLARE_METATYPE(Line)

class TestSettingsFilesE2e : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QByteArray cleanFile; // the file saved over a clean line

    static std::unique_ptr<SimulatedReceiver> StartSim(const QString& model,
                                                       const QString& firmware, Line line = {})
    {
        auto sim = std::make_unique<SimulatedReceiver>(UnpacedUnit(model, firmware));
        if (!sim->Start())
            return nullptr;
        sim->SetFaults(line.drop, line.corrupt, line.noise);
        sim->SetRequestFaults(line.drop, line.corrupt, line.noise);
        return sim;
    }

    // A memory that holds nothing but the block size, which a unit always has.
    static void Blank(SimulatedReceiver& sim, const SimulatedReceiver& like, int sizeAddress)
    {
        QByteArray blank(SimUnit::EepromSize, char(0xFF));
        blank[sizeAddress] = like.Eeprom().at(sizeAddress);
        QVERIFY(sim.Unit().ReplaceEeprom(blank));
    }

    static std::unique_ptr<PanelFixture> Panel(SimulatedReceiver& sim, Line line = {})
    {
        auto f = std::make_unique<PanelFixture>(sim.SlavePath());
        if (line.drop || line.corrupt) // a lost request is asked again soon
            f->panel->Session().SetTiming({100, 10, {20, 60000, 1000}, {40, 40, 150}});
        return f->Ready() ? std::move(f) : nullptr;
    }

    static SettingsFileCommands& Commands(const PanelFixture& f)
    {
        return *f.panel->findChild<SettingsFileCommands*>();
    }

    // Clicks a command with the answers queued (a load that succeeds shows
    // nothing afterwards); true when it ended as `expect`.
    static bool Run(const PanelFixture& f, bool save, const QString& path, bool expect = true)
    {
        QSignalSpy done(&Commands(f), &SettingsFileCommands::commandFinished);
        SettingsFileCommands::SetNextPath(path);
        if (save) {
            MessageBox::SetNextAnswer(QMessageBox::Ok); // saved, or why not
            Q_EMIT f.panel->saveSettingsClicked();
        } else {
            MessageBox::SetNextAnswer(QMessageBox::Yes); // the warning
            Q_EMIT f.panel->loadSettingsClicked();
        }
        const bool ended = done.size() > 0 || done.wait(120000);
        if (ended && done.at(0).at(0).toBool() != expect)
            qWarning("ended with: %s", qPrintable(MessageBox::LastText()));
        return ended && done.at(0).at(0).toBool() == expect;
    }

    // A saved unit with input names of its own.
    static void Rename(const PanelFixture& f, SimulatedReceiver& sim)
    {
        f.panel->Session().Commands().SendInputName(2, u"MY DVD"_s);
        f.panel->Session().Commands().SendInputName(7, u"TURNTABLE"_s);
        QTRY_VERIFY_WITH_TIMEOUT(sim.Unit().InputName(7).startsWith("TURNTABLE"), 10000);
        QTest::qWait(200);
    }

    // Both memories over the mapped regions, without what files do not carry:
    // the presets' input records and names, and the fields the reader takes
    // from the live status or leaves alone.
    static void CompareUnits(SimulatedReceiver& a, SimulatedReceiver& b, const ModelFacts& facts)
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
        for (int canonical = SettingsField::InputRecords;
             canonical < SettingsField::InputRecordsEnd; ++canonical)
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
                const int back =
                    name.isEmpty() ? code
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

    // Loads `path` into a blank K230 and compares it with `source`.
    void LoadAndCompare(const QString& path, SimulatedReceiver& source, const ModelFacts& facts,
                        Line line = {})
    {
        auto target = StartSim(u"K230"_s, u"v2.05"_s, line);
        QVERIFY(target);
        Blank(*target, source, facts.BlockSizeAddress());
        auto f = Panel(*target, line);
        QVERIFY(f);
        QVERIFY(Run(*f, false, path));
        QVERIFY(!f->panel->Session().Transfer().IsBusy());
        QTest::qWait(100);
        CompareUnits(source, *target, facts);
    }

private Q_SLOTS:
    void initTestCase()
    {
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
        QTest::newRow("K240 v1.26") << u"K240"_s << u"v1.26"_s << int(Message::UnsupportedUnit)
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
        auto sim = StartSim(model, firmware);
        QVERIFY(sim);
        auto f = Panel(*sim);
        QVERIFY(f);
        SettingsFileCommands::SetNextPath(dir.filePath(u"gate.vxf"_s));
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        Q_EMIT f->panel->saveSettingsClicked();
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(saveMessage));
        QVERIFY(!QFile::exists(dir.filePath(u"gate.vxf"_s)));
        MessageBox::SetNextAnswer(loadMessage ? QMessageBox::Ok : QMessageBox::No);
        Q_EMIT f->panel->loadSettingsClicked();
        QCOMPARE(MessageBox::LastText(),
                 MessageTable::Text(loadMessage ? loadMessage : int(Message::LoadConfirm)));
        SettingsFileCommands::SetNextPath({});
    }

    void roundTrip_data()
    {
        QTest::addColumn<Line>("line");
        QTest::newRow("clean line") << Line{};
        QTest::newRow("drop 10 %, corrupt 5 %, noise") << Line{10, 5, true};
    }
    void roundTrip()
    {
        QFETCH(Line, line);
        auto source = StartSim(u"K230"_s, u"v2.05"_s);
        QVERIFY(source);
        auto f = Panel(*source, line); // the faults start once the room is on
        QVERIFY(f);
        Rename(*f, *source);
        // The file records the speaker check marks, which show while the room is on.
        f->Click(u"mainPower"_s);
        QTRY_VERIFY_WITH_TIMEOUT(f->Enabled(u"speakersA"_s), 10000);
        QTest::qWait(300);
        source->SetFaults(line.drop, line.corrupt, line.noise);
        source->SetRequestFaults(line.drop, line.corrupt, line.noise);
        const ModelFacts facts = f->panel->Session().Status().facts;
        const QString path = dir.filePath(u"unit%1.vxf"_s.arg(QTest::currentDataTag()[0] == 'c'));
        QVERIFY(Run(*f, true, path));
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::SettingsSaved));
        const QByteArray saved = ReadAll(path);
        QVERIFY(saved.endsWith("</VELTRIX>"));
        if (cleanFile.isEmpty())
            cleanFile = saved;
        else
            QCOMPARE(saved, cleanFile); // the faults cost time, never content
        f.reset();

        LoadAndCompare(path, *source, facts, line);
        if (QTest::currentTestFailed() || line.drop)
            return;
        // The same file with bare LF line ends, as an editor may leave it.
        QByteArray lf = saved;
        lf.replace("\r\r\n", "\n").replace("\r\n", "\n");
        const QString lfPath = dir.filePath(u"lf.vxf"_s);
        WriteAll(lfPath, lf);
        LoadAndCompare(lfPath, *source, facts);
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
        auto sim = StartSim(u"K230"_s, u"v2.05"_s);
        QVERIFY(sim);
        auto f = Panel(*sim);
        QVERIFY(f);
        const QString folder = dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + u"/earlier.vxf"_s;
        WriteAll(path, "earlier");
        MemoryTransfer& transfer = f->panel->Session().Transfer();
        SettingsSaveChain& chain = Commands(*f).SaveChain();
        QObject::connect(&transfer, &MemoryTransfer::transferStarted, &chain, [&] {
            if (cancel && chain.Step() == 3)
                QTimer::singleShot(0, &transfer, &MemoryTransfer::Abort);
        });
        {
            std::optional<FileSizeLimit> full;
            if (!cancel)
                QVERIFY(full.emplace(4096).Active());
            QVERIFY(Run(*f, true, path, false));
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
        auto sim = StartSim(u"K230"_s, u"v2.05"_s);
        QVERIFY(sim);
        auto f = Panel(*sim);
        QVERIFY(f);
        const QString path = dir.filePath(u"compare.vxf"_s);
        QVERIFY(Run(*f, true, path));
        QByteArray changed = ReadAll(path);
        const qsizetype bass = changed.indexOf("\t\tBass  \t\t");
        QVERIFY(bass > 0);
        changed.replace(bass, changed.indexOf('\r', bass) - bass, "\t\tBass  \t\t+10 dB");
        const QString changedPath = dir.filePath(u"changed.vxf"_s);
        WriteAll(changedPath, changed);
        const quint64 revision = sim->Unit().EepromRevision();

        for (const QString& file : {path, changedPath}) {
            QSignalSpy done(&Commands(*f), &SettingsFileCommands::commandFinished);
            SettingsFileCommands::SetNextPath(file);
            f->panel->findChild<QAction*>(u"compareWithFile"_s)->trigger();
            QVERIFY(done.wait(60000));
            QVERIFY(done.first().at(0).toBool());
            auto* shown = f->panel->findChild<CompareResultDlg*>();
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
        QCOMPARE(sim->Unit().EepromRevision(), revision); // nothing written
    }

    // A file of another model, the question answered No: not one write.
    void modelQuestionNoWritesNothing()
    {
        const QString path = dir.filePath(u"unit1.vxf"_s); // the K230's, from roundTrip
        QVERIFY(QFile::exists(path));
        auto sim = StartSim(u"K240"_s, u"v2.05"_s);
        QVERIFY(sim);
        auto f = Panel(*sim);
        QVERIFY(f);
        const QByteArray eeprom = sim->Eeprom();
        const QByteArray live = sim->LiveSetup();
        int writes = 0;
        QObject::connect(sim.get(), &SimulatedReceiver::frameReceived, [&](const QByteArray& p) {
            writes += (p.size() > 1 && p[1] == MemoryOp::Write &&
                       (p[0] == MessageType::LiveSetup || p[0] == MessageType::Eeprom)) ||
                      (p.size() > 3 && p[0] == MessageType::Set && p[1] == Variable::InputName);
        });
        MessageBox::SetNextAnswer(QMessageBox::Yes); // the warning
        MessageBox::SetNextAnswer(QMessageBox::No);  // the model question
        MessageBox::SetNextAnswer(QMessageBox::Ok);  // "Processing aborted."
        QSignalSpy done(&Commands(*f), &SettingsFileCommands::commandFinished);
        SettingsFileCommands::SetNextPath(path);
        Q_EMIT f->panel->loadSettingsClicked();
        QVERIFY(done.wait(5000));
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::ProcessingAborted));
        QTest::qWait(300);
        QCOMPARE(writes, 0);
        QCOMPARE(sim->Eeprom(), eeprom);
        QCOMPARE(sim->LiveSetup(), live);
    }
};

QTEST_MAIN(TestSettingsFilesE2e)
#include "test_settings_files_e2e.moc"
