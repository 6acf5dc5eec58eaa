#include "common/message_table.h"
#include "desktop/autostart.h"
#include "desktop/options_store.h"
#include "desktop/port_list.h"
#include "desktop/xdg_autostart_entry.h"
#include "link/serial_port.h"
#include "scripted_unit.h"
#include "unit/unit_session.h"

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString ConfFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(u"Orvane/Veltrix PC Interface.conf"_s);
}

UnitSession::Timing Fast(int period)
{
    UnitSession::Timing timing;
    timing.connectPeriod = period;
    timing.refreshPause = 10;
    timing.port.readTotal = 60000;
    return timing;
}

} // namespace

// What the program keeps between runs (the options, the log-on entry), how
// it reads its command line, and how it finds the unit's port.
class TestOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QFile::remove(ConfFile()); }

    void storedByHand_data()
    {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<QString>("loaded"); // port|minimized|icon|to tray|left click|x|y
        QTest::newRow("no store") << QByteArray() << "Auto Detect|1|1|1|0|-1|-1";
        QTest::newRow("by hand, read as numbers")
            << QByteArray("[Settings]\nPort=/dev/ttyUSB0\nAutostartMinimized=0\n"
                          "EnableTrayIcon=junk\nMinimizeToTray= 0 \nLeftClick=1\n"
                          "[Position]\nx=5000\ny=-3\n")
            << "/dev/ttyUSB0|0|1|0|1|5000|-3";
        // A left click outside its actions is Main Volume.
        for (const char* text : {"3", "-1", "x"})
            QTest::addRow("left click %s", text)
                << QByteArray("[Settings]\nLeftClick=") + text << "Auto Detect|1|1|1|0|-1|-1";
    }

    void storedByHand()
    {
        QFETCH(QByteArray, conf);
        if (!conf.isEmpty()) {
            QDir().mkpath(QFileInfo(ConfFile()).path());
            QFile file(ConfFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(conf);
        }
        const Options o = OptionsStore::Load();
        QTEST(u"%1|%2|%3|%4|%5|%6|%7"_s.arg(o.port)
                  .arg(o.autostartMinimized)
                  .arg(o.enableTrayIcon)
                  .arg(o.minimizeToTray)
                  .arg(o.leftClick)
                  .arg(o.x)
                  .arg(o.y),
              "loaded");
    }

    // The settings and the position are stored apart: neither moves the
    // other; the log-on choice is the entry's business, never stored.
    void settingsRoundTrip()
    {
        const Options saved{.port = u"/dev/serial/by-id/usb-FTDI (1)"_s,
                            .autostart = true,
                            .autostartMinimized = false,
                            .enableTrayIcon = false,
                            .minimizeToTray = false,
                            .leftClick = Options::Off};
        OptionsStore::SavePosition(7, 9);
        OptionsStore::SaveSettings(saved);
        const Options o = OptionsStore::Load();
        QCOMPARE(u"%1|%2|%3|%4|%5|%6|%7,%8"_s.arg(o.port)
                     .arg(o.autostart)
                     .arg(o.autostartMinimized)
                     .arg(o.enableTrayIcon)
                     .arg(o.minimizeToTray)
                     .arg(o.leftClick)
                     .arg(o.x)
                     .arg(o.y),
                 u"%1|0|0|0|0|%2|7,9"_s.arg(saved.port).arg(int(Options::Off)));
    }

    void autostartEntryLifeCycle()
    {
        QCOMPARE(XdgAutostartEntry().FilePath(),
                 QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
                     .filePath(u"autostart/veltrix-pc-interface.desktop"_s));
        QTemporaryDir home;
        XdgAutostartEntry entry(home.path());
        QCOMPARE(entry.Exists(), std::optional<bool>(false));
        QVERIFY(entry.Remove()); // nothing there is no failure
        QVERIFY(entry.Write(u"/opt/veltrix/bin/veltrix-pc-interface"_s));
        QCOMPARE(entry.Exists(), std::optional<bool>(true));
        QFile file(entry.FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.first(), QByteArray("[Desktop Entry]"));
        QVERIFY(lines.contains("Type=Application"));
        QVERIFY(lines.contains("Exec=/opt/veltrix/bin/veltrix-pc-interface /run"));
        QVERIFY(entry.Remove());
        QCOMPARE(entry.Exists(), std::optional<bool>(false));

        // A file where the folder should be: the place cannot be read.
        QTemporaryDir other;
        QFile blocker(other.filePath(u"autostart"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        XdgAutostartEntry blocked(other.path());
        QCOMPARE(blocked.Exists(), std::optional<bool>());
        QVERIFY(!blocked.Write(u"/bin/true"_s));
    }

    void execLineQuotesAndEscapes_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << u"/usr/bin/vx"_s << u"/usr/bin/vx /run"_s;
        QTest::newRow("space") << u"/home/a b/vx"_s << u"\"/home/a b/vx\" /run"_s;
        QTest::newRow("quote dollar") << u"/x/\"$y"_s << u"\"/x/\\\\\"\\\\$y\" /run"_s;
        QTest::newRow("backslash") << u"/x\\y"_s << u"\"/x\\\\\\\\y\" /run"_s;
        QTest::newRow("percent") << u"/x/100%"_s << u"/x/100%% /run"_s;
        QTest::newRow("newline") << u"/x\ny"_s << QString();
    }

    void execLineQuotesAndEscapes()
    {
        QFETCH(QString, program);
        QTEST(XdgAutostartEntry::ExecLine(program), "exec");
    }

    void autostartIsExactlySlashRun_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("autostart");
        QTest::newRow("/run") << "prog /run" << true;
        QTest::newRow("none") << "prog" << false;
        QTest::newRow("capitals") << "prog /RUN" << false;
        QTest::newRow("with more") << "prog /run x" << false;
        QTest::newRow("suffix") << "prog /runx" << false;
    }

    void autostartIsExactlySlashRun()
    {
        QFETCH(QString, line);
        QTEST(Autostart::IsAutostart(line.split(u' ')), "autostart");
    }

    // The table's escapes become line breaks; an unknown number has no text.
    void messageTableTexts()
    {
        QCOMPARE(MessageTable::Text(Message::SizeMismatch).count(u'\n'), 2);
        QVERIFY(MessageTable::Text(Message::PresetEmpty).endsWith(u"...\n"_s));
        QVERIFY(MessageTable::Text(1).isEmpty());
    }

    // Present devices that are COM1..COM8 show under those names only.
    void portListEntries()
    {
        const QList<PortList::Item> items =
            PortList::Items({{u"/dev/ttyS0"_s, {}},
                             {u"/dev/ttyS12"_s, {}},
                             {u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s}});
        QStringList texts;
        for (const PortList::Item& item : items)
            texts.append(item.text);
        QCOMPARE(texts.join(u','), u"Auto Detect,/dev/ttyS12,/dev/ttyUSB0 (FT232R USB UART),COM1,"
                                   "COM2,COM3,COM4,COM5,COM6,COM7,COM8"_s);
        QCOMPARE(PortList::PortOf(items, u"  "_s), u"Auto Detect"_s);
    }

    void openFailureReasons_data()
    {
        using Failure = SerialPort::OpenFailure;
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("accessible");
        QTest::addColumn<Failure>("reason");
        const int permission = QSerialPort::PermissionError;
        QTest::newRow("gone") << int(QSerialPort::DeviceNotFoundError) << false << false
                              << Failure::Missing;
        QTest::newRow("dangling") << permission << false << false << Failure::Missing;
        QTest::newRow("no access") << permission << true << false << Failure::PermissionDenied;
        QTest::newRow("locked") << permission << true << true << Failure::Busy;
        QTest::newRow("no uart") << int(QSerialPort::OpenError) << true << true << Failure::Other;
    }

    void openFailureReasons()
    {
        QFETCH(int, error);
        QFETCH(bool, exists);
        QFETCH(bool, accessible);
        QTEST(SerialPort::Classify(QSerialPort::SerialPortError(error), exists, accessible),
              "reason");
    }

    // COM1..COM8 first, then the adapters present when the walk passes
    // the eighth, then round again; a missing device is a Missing failure.
    void autoDetectTriesAdaptersAfterTheEighthPort()
    {
        UnitSession session;
        session.SetTiming(Fast(5));
        session.SetAutoDetectPattern(u"/nonexistent/com%1"_s);
        int listed = 0;
        session.SetAdapterLister([&listed] {
            ++listed;
            return QStringList{u"/nonexistent/ttyUSB0"_s, u"/nonexistent/ttyACM1"_s};
        });
        QSignalSpy failed(&session, &UnitSession::portOpenFailed);
        session.Start();
        QTRY_VERIFY(failed.size() >= 12);
        session.Stop();
        QStringList paths;
        for (const QList<QVariant>& call : failed)
            paths.append(call.at(0).toString().remove(u"/nonexistent/"_s));
        QCOMPARE(paths.mid(0, 12).join(u' '),
                 u"com1 com2 com3 com4 com5 com6 com7 com8 ttyUSB0 ttyACM1 com1 com2"_s);
        QCOMPARE(listed, 1);
        QCOMPARE(failed.first().at(1).value<SerialPort::OpenFailure>(),
                 SerialPort::OpenFailure::Missing);
    }

    // A newly named port drops the unit at once and is probed next; the
    // same port, or Auto Detect, changes nothing on the line.
    void changedNamedPortReconnects()
    {
        ScriptedUnit unit;
        unit.SetResponder(ScriptedUnit::Identifying("K220", 2, 5));
        UnitSession session;
        session.SetTiming(Fast(40));
        session.SetPortSetting(unit.SlavePath());
        session.Start();
        QTRY_VERIFY(session.Status().connected && !session.IsProbing());

        QSignalSpy shown(&session.Live(), &LiveStatus::connectionShown);
        session.ChangePortSetting(QString::fromLatin1(UnitSession::AutoDetect));
        session.ChangePortSetting(unit.SlavePath());
        QVERIFY(session.Status().connected);
        QVERIFY(shown.isEmpty());

        QSignalSpy failed(&session, &UnitSession::portOpenFailed);
        session.ChangePortSetting(u"/nonexistent/ttyUSB7"_s);
        QVERIFY(!session.Status().connected && !session.Link().IsOpen());
        QCOMPARE(shown, QList<QVariantList>{{false}});
        QVERIFY(session.IsProbing());
        QTRY_VERIFY(!failed.isEmpty());
        QCOMPARE(failed.first().at(0).toString(), u"/nonexistent/ttyUSB7"_s);
        QCOMPARE(session.PortSetting(), u"/nonexistent/ttyUSB7"_s);
        session.Stop();
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "test_options.moc"
