#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Installs the build into a temporary prefix, as `cmake --install` does for a
// user, and checks the tree.
class TestInstall : public QObject
{
    Q_OBJECT

    const QString appId = u"com.orvane.VeltrixPcInterface"_s;
    QTemporaryDir prefix;

    // Runs `cmake --install` into the prefix; its output goes to the log on failure.
    bool Install() const
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(
            QStringLiteral(VELTRIX_CMAKE),
            {u"--install"_s, QStringLiteral(VELTRIX_BUILD_DIR), u"--prefix"_s, prefix.path()});
        const bool done = process.waitForFinished(60000) &&
                          process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (!done)
            qWarning().noquote() << process.readAll();
        return done;
    }

    // A path in the prefix; "%ID%" stands for the application's id.
    QString Path(const char* relative) const
    {
        return prefix.filePath(QString::fromLatin1(relative).replace(u"%ID%"_s, appId));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(prefix.isValid());
        QVERIFY(Install());
    }

    void theTree()
    {
        const QFileInfo program(Path("bin/veltrix-pc-interface"));
        QVERIFY(program.isFile() && program.isExecutable());
        QSettings entry(Path("share/applications/%ID%.desktop"), QSettings::IniFormat);
        QCOMPARE(entry.value(u"Desktop Entry/Exec"_s).toString(), program.fileName());
        QCOMPARE(entry.value(u"Desktop Entry/Icon"_s).toString(), appId);
        QCOMPARE(QImage(Path("share/icons/hicolor/48x48/apps/%ID%.png")).size(), QSize(48, 48));
        QFile svg(Path("share/icons/hicolor/scalable/apps/%ID%.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly) && svg.readAll().contains("viewBox=\"0 0 256 256\""));
        QFile metainfo(Path("share/metainfo/%ID%.metainfo.xml"));
        QVERIFY(metainfo.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(metainfo.readAll());
        QVERIFY(text.contains(u"<launchable type=\"desktop-id\">%1.desktop<"_s.arg(appId)));
        QVERIFY(text.contains(u"<binary>%1</binary>"_s.arg(program.fileName())));
    }
};

QTEST_MAIN(TestInstall)
#include "test_install.moc"
