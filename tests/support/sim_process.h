#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>

// One veltrix-unit-sim process with its frame trace. The trace goes to a
// file: a pipe nobody drains while the program under test runs would fill
// and stall the simulator.
class SimProcess
{
public:
    explicit SimProcess(const QStringList& arguments)
    {
        process.setProgram(qEnvironmentVariable("VELTRIX_SIM"));
        process.setArguments(arguments + QStringList{QStringLiteral("--trace")});
        process.setStandardErrorFile(traceFile.fileName());
        process.start();
    }
    ~SimProcess() { Stop(); }

    // Started when the simulator has printed its line's path.
    bool WaitStarted() { return process.waitForStarted(5000) && process.waitForReadyRead(5000); }
    QByteArray Trace() const
    {
        QFile file(traceFile.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The requests seen so far ("14 14", "1e 00 00 04", ...), in order.
    QStringList Requests() const
    {
        static const QRegularExpression request(QStringLiteral("<-\\s+([0-9a-f ]+)$"),
                                                QRegularExpression::MultilineOption);
        QStringList out;
        for (const QRegularExpressionMatch& m : request.globalMatch(QString::fromLatin1(Trace())))
            out.append(m.captured(1).trimmed());
        return out;
    }
    void Stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(3000);
    }

private:
    QTemporaryFile traceFile{QDir::tempPath() + QStringLiteral("/veltrix-sim-trace-XXXXXX")};
    bool opened = traceFile.open();
    QProcess process;
};
