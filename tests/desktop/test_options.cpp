#include "common/message_table.h"
#include "desktop/autostart.h"
#include "desktop/options_store.h"
#include "desktop/port_list.h"
#include "desktop/xdg_autostart_entry.h"
#include "link/serial_port.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString ConfFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Orvane/Veltrix PC Interface.conf"));
}

void WriteConf(const QByteArray& text)
{
    QDir().mkpath(QFileInfo(ConfFile()).path());
    QFile file(ConfFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

} // namespace

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
        if (!conf.isEmpty())
            WriteConf(conf);
        const Options o = OptionsStore::Load();
        QTEST(QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
                  .arg(o.port)
                  .arg(o.autostartMinimized)
                  .arg(o.enableTrayIcon)
                  .arg(o.minimizeToTray)
                  .arg(o.leftClick)
                  .arg(o.x)
                  .arg(o.y),
              "loaded");
    }

    // The settings and the position are stored apart: neither moves the other.
    void settingsRoundTrip()
    {
        Options saved;
        saved.port = QStringLiteral("/dev/serial/by-id/usb-FTDI (1)");
        saved.autostart = true; // the entry's business, never stored
        saved.autostartMinimized = false;
        saved.enableTrayIcon = false;
        saved.minimizeToTray = false;
        saved.leftClick = Options::Off;
        OptionsStore::SavePosition(7, 9);
        OptionsStore::SaveSettings(saved);
        const Options loaded = OptionsStore::Load();
        QCOMPARE(loaded.port, saved.port);
        QVERIFY(!loaded.autostart);
        QVERIFY(!loaded.autostartMinimized);
        QVERIFY(!loaded.enableTrayIcon);
        QVERIFY(!loaded.minimizeToTray);
        QCOMPARE(loaded.leftClick, int(Options::Off));
        QCOMPARE(QPoint(loaded.x, loaded.y), QPoint(7, 9));
    }

    void autostartEntryLifeCycle()
    {
        QTemporaryDir home;
        XdgAutostartEntry entry(home.path());
        QCOMPARE(entry.FilePath(),
                 home.filePath(QStringLiteral("autostart/veltrix-pc-interface.desktop")));
        QCOMPARE(entry.Exists(), std::optional<bool>(false));
        QVERIFY(entry.Remove()); // nothing there is no failure
        QVERIFY(entry.Write(QStringLiteral("/opt/veltrix/bin/veltrix-pc-interface")));
        QCOMPARE(entry.Exists(), std::optional<bool>(true));
        QFile file(entry.FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.first(), QByteArray("[Desktop Entry]"));
        QVERIFY(lines.contains("Type=Application"));
        QVERIFY(lines.contains("Exec=/opt/veltrix/bin/veltrix-pc-interface /run"));
        file.close();
        QVERIFY(entry.Remove());
        QCOMPARE(entry.Exists(), std::optional<bool>(false));

        // A file where the folder should be: the place cannot be read.
        QTemporaryDir other;
        QFile blocker(other.filePath(QStringLiteral("autostart")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        XdgAutostartEntry blocked(other.path());
        QCOMPARE(blocked.Exists(), std::optional<bool>());
        QVERIFY(!blocked.Write(QStringLiteral("/bin/true")));
    }

    void autostartEntryFollowsXdgConfigHome()
    {
        QCOMPARE(XdgAutostartEntry().FilePath(),
                 QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
                     .filePath(QStringLiteral("autostart/veltrix-pc-interface.desktop")));
    }

    void execLineQuotesAndEscapes_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << QStringLiteral("/usr/bin/vx")
                               << QStringLiteral("/usr/bin/vx /run");
        QTest::newRow("space") << QStringLiteral("/home/a b/vx")
                               << QStringLiteral("\"/home/a b/vx\" /run");
        QTest::newRow("quote dollar")
            << QStringLiteral("/x/\"$y") << QStringLiteral("\"/x/\\\\\"\\\\$y\" /run");
        QTest::newRow("backslash")
            << QStringLiteral("/x\\y") << QStringLiteral("\"/x\\\\\\\\y\" /run");
        QTest::newRow("percent") << QStringLiteral("/x/100%") << QStringLiteral("/x/100%% /run");
        QTest::newRow("newline") << QStringLiteral("/x\ny") << QString();
    }

    void execLineQuotesAndEscapes()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QCOMPARE(XdgAutostartEntry::ExecLine(program), exec);
    }

    void portListEntries()
    {
        const QList<PortList::Present> present = {
            {QStringLiteral("/dev/ttyS0"), QString()},
            {QStringLiteral("/dev/ttyS12"), QString()},
            {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART")}};
        const QList<PortList::Item> items = PortList::Items(present);
        QStringList texts;
        for (const PortList::Item& item : items)
            texts.append(item.text);
        QCOMPARE(texts, (QStringList{QStringLiteral("Auto Detect"), QStringLiteral("/dev/ttyS12"),
                                     QStringLiteral("/dev/ttyUSB0 (FT232R USB UART)"),
                                     QStringLiteral("COM1"), QStringLiteral("COM2"),
                                     QStringLiteral("COM3"), QStringLiteral("COM4"),
                                     QStringLiteral("COM5"), QStringLiteral("COM6"),
                                     QStringLiteral("COM7"), QStringLiteral("COM8")}));
        QCOMPARE(PortList::PortOf(items, QStringLiteral("  ")), QStringLiteral("Auto Detect"));
    }

    void openFailureReasons_data()
    {
        using Failure = SerialPort::OpenFailure;
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("accessible");
        QTest::addColumn<Failure>("reason");
        QTest::newRow("gone") << int(QSerialPort::DeviceNotFoundError) << false << false
                              << Failure::Missing;
        QTest::newRow("dangling") << int(QSerialPort::PermissionError) << false << false
                                  << Failure::Missing;
        QTest::newRow("no access")
            << int(QSerialPort::PermissionError) << true << false << Failure::PermissionDenied;
        QTest::newRow("locked") << int(QSerialPort::PermissionError) << true << true
                                << Failure::Busy;
        QTest::newRow("no uart") << int(QSerialPort::OpenError) << true << true << Failure::Other;
    }

    void openFailureReasons()
    {
        QFETCH(int, error);
        QFETCH(bool, exists);
        QFETCH(bool, accessible);
        QFETCH(SerialPort::OpenFailure, reason);
        QCOMPARE(SerialPort::Classify(static_cast<QSerialPort::SerialPortError>(error), exists,
                                      accessible),
                 reason);
    }

    void autostartIsExactlySlashRun_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("autostart");
        const auto words = [](const char* line) { return QString::fromLatin1(line).split(u' '); };
        QTest::newRow("/run") << words("prog /run") << true;
        QTest::newRow("none") << words("prog") << false;
        QTest::newRow("capitals") << words("prog /RUN") << false;
        QTest::newRow("with more") << words("prog /run x") << false;
        QTest::newRow("suffix") << words("prog /runx") << false;
    }

    void autostartIsExactlySlashRun()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, autostart);
        QCOMPARE(Autostart::IsAutostart(arguments), autostart);
    }

    void messageTableTexts()
    {
        QCOMPARE(MessageTable::Text(Message::StorePresetConfirm),
                 QStringLiteral("Are you sure you want to store this preset?  Any previous "
                                "preset will be overwritten."));
        QCOMPARE(MessageTable::Text(Message::SizeMismatch).count(QLatin1Char('\n')), 2);
        QCOMPARE(MessageTable::Text(Message::PresetEmpty), QStringLiteral("Preset is empty...\n"));
        QVERIFY(MessageTable::Text(1).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "test_options.moc"
