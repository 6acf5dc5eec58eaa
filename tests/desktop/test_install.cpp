#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>
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

    // A path in the prefix; "%ID%" stands for the application's id.
    QString Path(const char* relative) const
    {
        return prefix.filePath(QString::fromLatin1(relative).replace(u"%ID%"_s, appId));
    }

    // Runs a tool to its end; false when it fails or writes to stderr.
    static bool Run(const QString& program, const QStringList& arguments, QByteArray* out = nullptr)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        environment.insert(u"MANWIDTH"_s, u"80"_s);
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        const bool done = process.waitForFinished(60000) &&
                          process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        const QByteArray errors = process.readAllStandardError();
        if (out)
            *out = process.readAllStandardOutput();
        if (!errors.isEmpty())
            qWarning().noquote() << program << errors;
        return done && errors.isEmpty();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(prefix.isValid());
        // `cmake --install` into the prefix, as a user runs it.
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

    // Each manual page names its program and formats without a warning from
    // man (as lintian runs it, when man-db is there); the completion parses.
    void theManualPagesAndCompletion()
    {
        const bool manFound = !QStandardPaths::findExecutable(u"man"_s).isEmpty();
        for (const QString& program : {u"veltrix"_s, u"veltrix-pc-interface"_s}) {
            const QString page = prefix.filePath(u"share/man/man1/%1.1.gz"_s.arg(program));
            QByteArray text;
            QVERIFY2(Run(u"gzip"_s, {u"-dc"_s, page}, &text), qPrintable(page));
            QVERIFY(text.startsWith(".TH " + program.toUpper().toUtf8() + " 1 "));
            if (manFound)
                QVERIFY(Run(u"man"_s, {u"--warnings"_s, u"-E"_s, u"UTF-8"_s, u"-l"_s, u"-Tutf8"_s,
                                       u"-Z"_s, page}));
        }
        const QString completion = Path("share/bash-completion/completions/veltrix");
        QVERIFY(Run(u"bash"_s, {u"-n"_s, completion}));
    }
};

QTEST_MAIN(TestInstall)
#include "test_install.moc"
