#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Installs the build into a temporary prefix, as `cmake --install` does for a
// user, and checks the tree, with the desktop's own validators where present.
class TestInstall : public QObject
{
    Q_OBJECT

    const QString appId = u"com.orvane.VeltrixPcInterface"_s;
    QTemporaryDir prefix;

    // The program's output when it ran to its end with exit code 0.
    static std::optional<QString> Run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        const bool done = process.waitForFinished(60000) &&
                          process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        const QString text = QString::fromLocal8Bit(process.readAll());
        if (!done)
            qWarning().noquote() << program << text;
        return done ? std::optional(text) : std::nullopt;
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
        QVERIFY(
            Run(QStringLiteral(VELTRIX_CMAKE),
                {u"--install"_s, QStringLiteral(VELTRIX_BUILD_DIR), u"--prefix"_s, prefix.path()}));
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

    void theValidatorsAccept_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << "desktop-file-validate" << QStringList{Path("share/applications/%ID%.desktop")};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{u"validate"_s, u"--no-net"_s,
                                                 Path("share/metainfo/%ID%.metainfo.xml")};
    }

    void theValidatorsAccept()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        const QString path = QStandardPaths::findExecutable(tool);
        if (path.isEmpty())
            QSKIP(qPrintable(tool + u" is not installed (Debian packages desktop-file-utils, "
                                    "appstream: scripts/install-deps)"_s));
        const std::optional<QString> output = Run(path, arguments);
        QVERIFY(output);
        // desktop-file-validate passes with hints, which still point at a fault.
        QVERIFY2(!output->contains(u"warning:"_s) && !output->contains(u"hint:"_s),
                 qPrintable(*output));
    }
};

QTEST_MAIN(TestInstall)
#include "test_install.moc"
