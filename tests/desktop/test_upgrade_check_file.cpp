#include "common/message_table.h"
#include "desktop/upgrade_check_file.h"
#include "desktop/upgrade_check_server.h"
#include "desktop/upgrade_check_verdict.h"

#include <QTest>

using Kind = UpgradeCheckVerdict::Kind;

class TestUpgradeCheckFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The version file's line rules: "version" is major.minor, or "-" for none.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("address");
        const QString page = QStringLiteral("https://e.net/?a=b");
        QTest::newRow("both, CR LF")
            << QByteArray("K220Version=1.05\r\nDownloadURL=https://e.net/?a=b\r\n") << "1.5"
            << page;
        QTest::newRow("address first, blanks round =")
            << QByteArray("DownloadURL = https://e.net/?a=b\nK220Version = 1.4") << "1.4" << page;
        QTest::newRow("bare major, keys ignore case")
            << QByteArray("k220version=2\ndownloadurl=https://e.net/?a=b") << "2.0" << page;
        QTest::newRow("blank before the key")
            << QByteArray(" K220Version=1.05\n\tDownloadURL=x") << "-"
            << "";
        QTest::newRow("last line wins")
            << QByteArray("K220Version=1.09\nK220Version=1.05\nDownloadURL=a\nDownloadURL=b")
            << "1.5"
            << "b";
        QTest::newRow("a garbled last version cancels")
            << QByteArray("K220Version=1.09\nK220Version=soon") << "-"
            << "";
        QTest::newRow("other lines, key without =")
            << QByteArray("K110Version=9.9\nK220Version 1.05\nDownloadURL") << "-"
            << "";
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff\xfe K220Version=\x01\x02", 14) << "-"
            << "";
        for (const char* bad : {"", ".", "1.", ".4", "-1.04", "+1.04", "1.04b", "1 .04", "1.2.3",
                                "v1.04", "1,04", "99999.1"})
            QTest::newRow(bad) << (QByteArray("K220Version=") + bad) << "-"
                               << "";
    }

    void parse()
    {
        QFETCH(QByteArray, text);
        const UpgradeCheckFile file = UpgradeCheckFile::Parse(text);
        QTEST(file.hasVersion ? QStringLiteral("%1.%2").arg(file.major).arg(file.minor)
                              : QStringLiteral("-"),
              "version");
        QTEST(file.downloadUrl, "address");
    }

    // What the user is told with the program at 1.04.
    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("opens");
        const int newer = int(Kind::NewerAvailable);
        QTest::newRow("1.05") << QByteArray("K220Version=1.05\nDownloadURL=https://e.net/g")
                              << newer << UpgradeMessage::NewVersion << "https://e.net/g";
        QTest::newRow("1.10 is above 1.4")
            << QByteArray("K220Version=1.10\nDownloadURL=http://e.net/") << newer
            << UpgradeMessage::NewVersion << "http://e.net/";
        QTest::newRow("no address: the default page")
            << QByteArray("K220Version=2.0") << newer << UpgradeMessage::NewVersion
            << "https://u.example.net/support/upgrades_framset.htm";
        QTest::newRow("1.04") << QByteArray("K220Version=1.04") << int(Kind::Latest)
                              << UpgradeMessage::Latest << "";
        QTest::newRow("1.03") << QByteArray("K220Version=1.03") << int(Kind::LocalNewer)
                              << UpgradeMessage::LocalNewer << "";
        QTest::newRow("0.99") << QByteArray("K220Version=0.99\nDownloadURL=file:///x")
                              << int(Kind::LocalNewer) << UpgradeMessage::LocalNewer << "";
        QTest::newRow("no version")
            << QByteArray("DownloadURL=https://e.net/") << int(Kind::NoInformation)
            << UpgradeMessage::NoInformation << "";
        for (const char* address : {"file:///usr/bin/xterm", "/usr/bin/xterm",
                                    "javascript:alert(1)", "ftp://e.net/x", "https://", "get.htm"})
            QTest::newRow(address)
                << (QByteArray("K220Version=1.05\nDownloadURL=") + address)
                << int(Kind::AddressRefused) << UpgradeMessage::AddressRefused << "";
    }

    void verdicts()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, message);
        const UpgradeCheckFile file = UpgradeCheckFile::Parse(text);
        const UpgradeCheckVerdict verdict = UpgradeCheckVerdict::FromFile(
            file, 1, 4, QUrl(QStringLiteral("https://u.example.net")));
        QTEST(int(verdict.kind), "kind");
        QTEST(verdict.downloadUrl.toString(), "opens");
        const QString expected = MessageTable::Text(message);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(verdict.message, expected.contains(QStringLiteral("%1"))
                                      ? expected.arg(file.downloadUrl)
                                      : expected);
    }

    void serverSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("server");
        QTest::newRow("default") << QString() << "https://www.orvane.com";
        QTest::newRow("host and port") << " u.example.net:8443 "
                                       << "https://u.example.net:8443";
        QTest::newRow("local http server") << "http://127.0.0.1:8000/x?y"
                                           << "http://127.0.0.1:8000";
        QTest::newRow("file") << "file:///etc"
                              << "";
        QTest::newRow("ftp") << "ftp://e.net"
                             << "";
    }

    void serverSetting()
    {
        QFETCH(QString, setting);
        QFETCH(QString, server);
        const QUrl url =
            UpgradeCheckServer::VersionFileUrl(UpgradeCheckServer::FromSetting(setting));
        QCOMPARE(url.toString(),
                 server.isEmpty() ? server
                                  : server + QStringLiteral("/support/autoupdate/K220Version.txt"));
    }
};

QTEST_GUILESS_MAIN(TestUpgradeCheckFile)
#include "test_upgrade_check_file.moc"
