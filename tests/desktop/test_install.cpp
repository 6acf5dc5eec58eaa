#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Installs the build into a temporary prefix, as `cmake --install` does for a
// user, and checks the tree, with the desktop's own validators where present.
class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(prefix.isValid());
        QCOMPARE(Run(QStringLiteral(VELTRIX_CMAKE),
                     {QStringLiteral("--install"), QStringLiteral(VELTRIX_BUILD_DIR),
                      QStringLiteral("--prefix"), prefix.path()}),
                 0);
    }

    void theTree()
    {
        const QFileInfo program(Path("bin/veltrix-pc-interface"));
        QVERIFY(program.isFile() && program.isExecutable());
        QSettings entry(Path("share/applications/%ID%.desktop"), QSettings::IniFormat);
        QCOMPARE(entry.value(QStringLiteral("Desktop Entry/Exec")).toString(), program.fileName());
        QCOMPARE(entry.value(QStringLiteral("Desktop Entry/Icon")).toString(), AppId);
        QCOMPARE(QImage(Path("share/icons/hicolor/48x48/apps/%ID%.png")).size(), QSize(48, 48));
        QFile svg(Path("share/icons/hicolor/scalable/apps/%ID%.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly) && svg.readAll().contains("viewBox=\"0 0 256 256\""));
        QFile metainfo(Path("share/metainfo/%ID%.metainfo.xml"));
        QVERIFY(metainfo.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(metainfo.readAll());
        QVERIFY(text.contains(
            QStringLiteral("<launchable type=\"desktop-id\">%1.desktop<").arg(AppId)));
        QVERIFY(text.contains(QStringLiteral("<binary>%1</binary>").arg(program.fileName())));
    }

    void theValidatorsAccept_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << "desktop-file-validate" << QStringList{Path("share/applications/%ID%.desktop")};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{QStringLiteral("validate"),
                                                 QStringLiteral("--no-net"),
                                                 Path("share/metainfo/%ID%.metainfo.xml")};
    }

    void theValidatorsAccept()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        const QString path = QStandardPaths::findExecutable(tool);
        if (path.isEmpty())
            QSKIP(qPrintable(
                tool + QStringLiteral(" is not installed (Debian packages desktop-file-utils, "
                                      "appstream: scripts/install-deps)")));
        QString output;
        QCOMPARE(Run(path, arguments, &output), 0);
        // desktop-file-validate passes with hints, which still point at a fault.
        QVERIFY2(!output.contains(QStringLiteral("warning:")) &&
                     !output.contains(QStringLiteral("hint:")),
                 qPrintable(output));
    }

private:
    // The exit code, or -1 when the program did not run to its end.
    static int Run(const QString& program, const QStringList& arguments, QString* output = nullptr)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        const bool done =
            process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
        const QString text = QString::fromLocal8Bit(process.readAll());
        if (output)
            *output = text;
        if (!done || process.exitCode() != 0)
            qWarning().noquote() << program << text;
        return done ? process.exitCode() : -1;
    }

    // A path in the prefix; "%ID%" stands for the application's id.
    QString Path(const char* relative) const
    {
        return prefix.filePath(
            QString::fromLatin1(relative).replace(QStringLiteral("%ID%"), AppId));
    }

    const QString AppId = QStringLiteral("com.orvane.VeltrixPcInterface");
    QTemporaryDir prefix;
};

QTEST_MAIN(TestInstall)
#include "test_install.moc"
