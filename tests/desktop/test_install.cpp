#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

// Installs the build into a temporary prefix, as `cmake --install` does for a
// user, and checks the tree with the desktop's own validators.
namespace {

const QString AppId = QStringLiteral("com.orvane.VeltrixPcInterface");

struct Run
{
    int exitCode = -1;
    QString output;
};

Run Execute(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.output = QString::fromLocal8Bit(process.readAll());
    return run;
}

// What a well-formed XML file holds: element name -> the first text in such
// an element, "@name" -> the first value of that attribute, "<root>" -> the
// root element's name. Empty for a file that is not well-formed XML.
QHash<QString, QString> ReadXml(const QString& path)
{
    QHash<QString, QString> seen;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return seen;
    QXmlStreamReader xml(&file);
    QString current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            current = xml.name().toString();
            seen.insert(QStringLiteral("<root>"), seen.value(QStringLiteral("<root>"), current));
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                const QString key = QStringLiteral("@") + attribute.name().toString();
                if (!seen.contains(key))
                    seen.insert(key, attribute.value().toString());
            }
        } else if (xml.isCharacters() && !xml.isWhitespace() && !seen.contains(current)) {
            seen.insert(current, xml.text().toString().trimmed());
        }
    }
    if (xml.hasError())
        return {};
    return seen;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(prefix.isValid());
        const Run install = Execute(QStringLiteral(VELTRIX_CMAKE),
                                    {QStringLiteral("--install"), QStringLiteral(VELTRIX_BUILD_DIR),
                                     QStringLiteral("--prefix"), prefix.path()});
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    void theTree()
    {
        const QFileInfo program(Path("bin/veltrix-pc-interface"));
        QVERIFY(program.isFile() && program.isExecutable());

        QSettings entry(Path("share/applications/%ID%.desktop"), QSettings::IniFormat);
        entry.beginGroup(QStringLiteral("Desktop Entry"));
        QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), program.fileName());
        QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), AppId);
        QCOMPARE(entry.value(QStringLiteral("Name")).toString(),
                 QStringLiteral("Veltrix PC Interface"));

        const QImage png(Path("share/icons/hicolor/48x48/apps/%ID%.png"));
        QCOMPARE(png.size(), QSize(48, 48));

        const QHash<QString, QString> svg =
            ReadXml(Path("share/icons/hicolor/scalable/apps/%ID%.svg"));
        QCOMPARE(svg.value(QStringLiteral("<root>")), QStringLiteral("svg"));
        QCOMPARE(svg.value(QStringLiteral("@viewBox")), QStringLiteral("0 0 256 256"));

        const QHash<QString, QString> metainfo = ReadXml(Path("share/metainfo/%ID%.metainfo.xml"));
        QCOMPARE(metainfo.value(QStringLiteral("<root>")), QStringLiteral("component"));
        QCOMPARE(metainfo.value(QStringLiteral("id")), AppId);
        QCOMPARE(metainfo.value(QStringLiteral("launchable")), AppId + QStringLiteral(".desktop"));
        QCOMPARE(metainfo.value(QStringLiteral("binary")), program.fileName());
        QCOMPARE(metainfo.value(QStringLiteral("@version")), QStringLiteral("1.4"));
    }

    void theValidatorsAccept_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList()
                                       << QStringLiteral("share/applications/%ID%.desktop");
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{QStringLiteral("validate"),
                                                 QStringLiteral("--no-net")}
                                  << QStringLiteral("share/metainfo/%ID%.metainfo.xml");
    }

    void theValidatorsAccept()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        const QString path = QStandardPaths::findExecutable(tool);
        if (path.isEmpty()) {
            QSKIP(qPrintable(tool + QStringLiteral(" is not installed (Debian packages "
                                                   "desktop-file-utils, appstream: "
                                                   "scripts/install-deps)")));
        }
        const Run check = Execute(path, arguments << Path(file));
        QVERIFY2(check.exitCode == 0, qPrintable(check.output));
        // desktop-file-validate passes with hints; hints and warnings still
        // point at something to fix.
        QVERIFY2(!check.output.contains(QStringLiteral("warning:")) &&
                     !check.output.contains(QStringLiteral("hint:")),
                 qPrintable(check.output));
    }

private:
    // A path in the prefix; "%ID%" stands for the application's id.
    QString Path(const char* relative) const { return Path(QString::fromLatin1(relative)); }
    QString Path(QString relative) const
    {
        return prefix.filePath(relative.replace(QStringLiteral("%ID%"), AppId));
    }

    QTemporaryDir prefix;
};

QTEST_MAIN(TestInstall)
#include "test_install.moc"
