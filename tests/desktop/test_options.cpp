#include "common/message_table.h"
#include "desktop/options_store.h"
#include "desktop/autostart.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
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

    void defaultsWithoutAStore()
    {
        const Options options = OptionsStore::Load();
        QCOMPARE(options.port, QStringLiteral("Auto Detect"));
        QVERIFY(options.autostartMinimized);
        QVERIFY(options.enableTrayIcon);
        QVERIFY(options.minimizeToTray);
        QCOMPARE(options.leftClick, 0);
        QCOMPARE(options.x, -1);
        QCOMPARE(options.y, -1);
    }

    void valuesWrittenByHandAreReadAsNumbers()
    {
        WriteConf("[Settings]\nPort=/dev/ttyUSB0\nAutostartMinimized=0\nEnableTrayIcon=junk\n"
                  "MinimizeToTray= 0 \nLeftClick=1\n[Position]\nx=5000\ny=-3\n");
        const Options options = OptionsStore::Load();
        QCOMPARE(options.port, QStringLiteral("/dev/ttyUSB0"));
        QVERIFY(!options.autostartMinimized);
        QVERIFY(options.enableTrayIcon); // not a number: the default
        QVERIFY(!options.minimizeToTray);
        QCOMPARE(options.leftClick, 1);
        QCOMPARE(options.x, 5000);
        QCOMPARE(options.y, -3);
    }

    void positionRoundTrip()
    {
        OptionsStore::SavePosition(40, 60);
        const Options loaded = OptionsStore::Load();
        QCOMPARE(loaded.x, 40);
        QCOMPARE(loaded.y, 60);
        QCOMPARE(loaded.port, QStringLiteral("Auto Detect"));
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
