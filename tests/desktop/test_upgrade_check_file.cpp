#include "common/message_table.h"
#include "desktop/upgrade_check_file.h"
#include "desktop/upgrade_check_server.h"
#include "desktop/upgrade_check_verdict.h"

#include <QBuffer>
#include <QTest>

using Kind = UpgradeCheckVerdict::Kind;
Q_DECLARE_METATYPE(UpgradeCheckVerdict::Kind)

namespace {

const QUrl Server(QStringLiteral("https://updates.example.net"));

} // namespace

class TestUpgradeCheckFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("hasVersion");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<QString>("address");

        const QString page = QStringLiteral("https://example.net/get.htm");
        QTest::newRow("both") << QByteArray(
                                     "K220Version=1.05\nDownloadURL=https://example.net/get.htm\n")
                              << true << 1 << 5 << page;
        QTest::newRow("address first, CR LF")
            << QByteArray("DownloadURL = https://example.net/get.htm\r\nK220Version = 1.05\r\n")
            << true << 1 << 5 << page;
        QTest::newRow("1.4 is 1.04")
            << QByteArray("K220Version=1.4") << true << 1 << 4 << QString();
        QTest::newRow("bare major") << QByteArray("K220Version=2") << true << 2 << 0 << QString();
        QTest::newRow("keys ignore case")
            << QByteArray("k220version=1.10\ndownloadurl=https://example.net/get.htm") << true << 1
            << 10 << page;
        QTest::newRow("blank before the key")
            << QByteArray(" K220Version=1.05\n\tDownloadURL=x") << false << 0 << 0 << QString();
        QTest::newRow("last line wins")
            << QByteArray("K220Version=1.09\nK220Version=1.05\nDownloadURL=a\nDownloadURL=b")
            << true << 1 << 5 << QStringLiteral("b");
        QTest::newRow("a garbled last version cancels an earlier one")
            << QByteArray("K220Version=1.09\nK220Version=soon") << false << 0 << 0 << QString();
        QTest::newRow("other lines ignored")
            << QByteArray("# versions\nK110Version=9.99\n\nK220Version=1.04\nVersion=3.0") << true
            << 1 << 4 << QString();
        QTest::newRow("value after the first =")
            << QByteArray("DownloadURL=https://example.net/?a=b") << false << 0 << 0
            << QStringLiteral("https://example.net/?a=b");
        QTest::newRow("key without =")
            << QByteArray("K220Version 1.05\nDownloadURL") << false << 0 << 0 << QString();
        QTest::newRow("empty") << QByteArray() << false << 0 << 0 << QString();
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff\xfe K220Version=\x01\x02", 14) << false << 0 << 0 << QString();
        QTest::newRow("an HTML error page")
            << QByteArray("<html><body><h1>404 Not Found</h1></body></html>") << false << 0 << 0
            << QString();
    }

    void parse()
    {
        QFETCH(QByteArray, text);
        QBuffer buffer(&text);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const UpgradeCheckFile file = UpgradeCheckFile::Parse(buffer);
        QTEST(file.hasVersion, "hasVersion");
        if (file.hasVersion) {
            QTEST(file.major, "major");
            QTEST(file.minor, "minor");
        }
        QTEST(file.downloadUrl, "address");
    }

    void versionValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("valid");
        QTest::newRow("1.04") << QStringLiteral("1.04") << true;
        QTest::newRow("10.12") << QStringLiteral("10.12") << true;
        for (const char* bad : {"", ".", "1.", ".4", "-1.04", "+1.04", "1.04b", "1 .04", "1.2.3",
                                "v1.04", "1,04", "99999.1", "1.99999", "\xd9\xa1.04"}) {
            QTest::newRow(bad) << QString::fromUtf8(bad) << false;
        }
    }

    void versionValues()
    {
        QFETCH(QString, value);
        int major = -7;
        int minor = -7;
        QTEST(UpgradeCheckFile::ParseVersion(value, major, minor), "valid");
    }

    // The verdict for the program's own version 1.04.
    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("opens");

        const QString defaultPage =
            QStringLiteral("https://updates.example.net/support/upgrades_framset.htm");
        QTest::newRow("1.05 offers the download")
            << QByteArray("K220Version=1.05\nDownloadURL=https://example.net/get.htm")
            << Kind::NewerAvailable << UpgradeMessage::NewVersion
            << QStringLiteral("https://example.net/get.htm");
        QTest::newRow("2.00 over 1.99")
            << QByteArray("K220Version=2.00\nDownloadURL=http://e.net/") << Kind::NewerAvailable
            << UpgradeMessage::NewVersion << QStringLiteral("http://e.net/");
        QTest::newRow("newer without address: the default page")
            << QByteArray("K220Version=1.5") << Kind::NewerAvailable << UpgradeMessage::NewVersion
            << defaultPage;
        QTest::newRow("1.04 is the latest") << QByteArray("K220Version=1.04\nDownloadURL=x")
                                            << Kind::Latest << UpgradeMessage::Latest << QString();
        QTest::newRow("1.03 is older") << QByteArray("K220Version=1.03") << Kind::LocalNewer
                                       << UpgradeMessage::LocalNewer << QString();
        QTest::newRow("0.99 is older") << QByteArray("K220Version=0.99") << Kind::LocalNewer
                                       << UpgradeMessage::LocalNewer << QString();
        QTest::newRow("no version, only an address")
            << QByteArray("DownloadURL=https://example.net/") << Kind::NoInformation
            << UpgradeMessage::NoInformation << QString();
        for (const char* address :
             {"file:///usr/bin/xterm", "/usr/bin/xterm", "javascript:alert(1)", "ftp://e.net/x",
              "https://", "get.htm", "data:text/html,hi"}) {
            QTest::newRow(address)
                << (QByteArray("K220Version=1.05\nDownloadURL=") + address) << Kind::AddressRefused
                << UpgradeMessage::AddressRefused << QString();
        }
        QTest::newRow("an older file's odd address is not even looked at")
            << QByteArray("K220Version=1.00\nDownloadURL=file:///etc/passwd") << Kind::LocalNewer
            << UpgradeMessage::LocalNewer << QString();
    }

    void verdicts()
    {
        QFETCH(QByteArray, text);
        QFETCH(Kind, kind);
        QFETCH(int, message);
        const UpgradeCheckFile file = UpgradeCheckFile::Parse(text);
        const UpgradeCheckVerdict verdict = UpgradeCheckVerdict::FromFile(file, 1, 4, Server);
        QCOMPARE(verdict.kind, kind);
        QTEST(verdict.downloadUrl.toString(), "opens");
        if (kind == Kind::AddressRefused) {
            QVERIFY(verdict.message.contains(file.downloadUrl));
            QCOMPARE(verdict.message, MessageTable::Text(message).arg(file.downloadUrl));
        } else {
            QCOMPARE(verdict.message, MessageTable::Text(message));
        }
        QVERIFY(!verdict.message.isEmpty());
    }

    void comparison()
    {
        QCOMPARE(UpgradeCheckFile::Compare(1, 10, 1, 4), 1); // minor compared as a number
        QCOMPARE(UpgradeCheckFile::Compare(2, 0, 1, 99), 1);
        QCOMPARE(UpgradeCheckFile::Compare(0, 99, 1, 0), -1);
        QCOMPARE(UpgradeCheckFile::Compare(1, 4, 1, 4), 0);
    }

    void serverSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("versionFile");
        const QString path = QStringLiteral("/support/autoupdate/K220Version.txt");
        QTest::newRow("default") << QString() << QStringLiteral("https://www.orvane.com") + path;
        QTest::newRow("host") << QStringLiteral(" updates.example.net ")
                              << QStringLiteral("https://updates.example.net") + path;
        QTest::newRow("host and port") << QStringLiteral("updates.example.net:8443")
                                       << QStringLiteral("https://updates.example.net:8443") + path;
        QTest::newRow("local http server") << QStringLiteral("http://127.0.0.1:8000/ignored?x")
                                           << QStringLiteral("http://127.0.0.1:8000") + path;
        QTest::newRow("file scheme") << QStringLiteral("file:///etc") << QString();
        QTest::newRow("ftp scheme") << QStringLiteral("ftp://example.net") << QString();
        QTest::newRow("no host") << QStringLiteral("https://") << QString();
    }

    void serverSetting()
    {
        QFETCH(QString, setting);
        const QUrl url =
            UpgradeCheckServer::VersionFileUrl(UpgradeCheckServer::FromSetting(setting));
        QTEST(url.toString(), "versionFile");
    }
};

QTEST_GUILESS_MAIN(TestUpgradeCheckFile)
#include "test_upgrade_check_file.moc"
