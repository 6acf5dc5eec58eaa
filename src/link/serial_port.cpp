#include "link/serial_port.h"

#include "common/message_table.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <sys/ioctl.h>
#include <termios.h>

SerialPort::SerialPort(QObject* parent) : LineTransport(parent)
{
    writeTimer.setSingleShot(true);
    writeTimer.setTimerType(Qt::PreciseTimer);
    connect(&writeTimer, &QTimer::timeout, this, &SerialPort::FinishWrite);
    connect(&port, &QSerialPort::readyRead, this, [this] {
        // While a handler of readyRead runs (a nested event loop further
        // down), the port does not signal what it reads meanwhile: take it
        // here once that handler is done.
        while (port.isOpen() && port.bytesAvailable() > 0)
            Q_EMIT bytesArrived(port.readAll());
    });
    connect(&port, &QSerialPort::bytesWritten, this, &SerialPort::OnBytesWritten);
    connect(&port, &QSerialPort::errorOccurred, this, &SerialPort::OnError);
}

SerialPort::~SerialPort()
{
    Close();
}

QString SerialPort::DevicePath(const QString& portName)
{
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(portName);
    if (match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

bool SerialPort::Open(const QString& portName, const Timeouts& newTimeouts)
{
    Close();
    timeouts = newTimeouts;
    const QString path = DevicePath(portName);
    port.setPortName(path);
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    openHolder = {};
    const DeviceLock::Outcome locked = lock.Take(path);
    if (locked == DeviceLock::Outcome::Busy) {
        openFailure = OpenFailure::Busy;
        openHolder = lock.Holder();
        return false;
    }
    if (!port.open(QIODevice::ReadWrite)) {
        lock.Release();
        const QFileInfo device(path);
        openFailure =
            Classify(port.error(), device.exists(), device.isReadable() && device.isWritable());
        port.clearError();
        return false;
    }
    if (locked != DeviceLock::Outcome::Taken) {
        // The device came between the lock's open and the port's: never
        // a port without its lock; the next attempt takes both.
        port.close();
        port.clearError();
        openFailure = OpenFailure::Other;
        return false;
    }
    openFailure = OpenFailure::None;
    // A pseudo-terminal refuses both modem-line calls; that is no failure.
    port.setDataTerminalReady(true);
    port.setRequestToSend(false);
    port.clearError();
    ++opening;
    return true;
}

SerialPort::OpenFailure SerialPort::Classify(QSerialPort::SerialPortError error, bool exists,
                                             bool accessible)
{
    if (!exists || error == QSerialPort::DeviceNotFoundError)
        return OpenFailure::Missing;
    if (error == QSerialPort::PermissionError)
        return accessible ? OpenFailure::Busy : OpenFailure::PermissionDenied;
    return OpenFailure::Other;
}

QString SerialPort::OpenFailureText(const QString& path, OpenFailure failure, const Holder& holder)
{
    switch (failure) {
    case OpenFailure::Busy:
        if (holder.program.isEmpty())
            return MessageTable::Text(Message::PortInUse).arg(path);
        return MessageTable::Text(Message::PortInUseBy)
            .arg(path, holder.program, QString::number(holder.pid));
    case OpenFailure::Missing:
        return MessageTable::Text(Message::PortMissing).arg(path);
    case OpenFailure::PermissionDenied:
        return MessageTable::Text(Message::PortNoPermission).arg(path);
    case OpenFailure::None:
    case OpenFailure::Other:
        break;
    }
    return MessageTable::Text(Message::PortNotOpened).arg(path);
}

void SerialPort::Close()
{
    writes.clear();
    writeTimer.stop();
    if (port.isOpen())
        port.close();
    lock.Release();
    port.clearError();
    // The new count tells handlers that the opening they were called for is
    // over.
    ++opening;
}

void SerialPort::Drain(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // Each wait hands the port's buffer to the driver and starts the next
    // queued write from bytesWritten.
    while (port.isOpen() && !writes.empty() && port.bytesToWrite() > 0 && !deadline.hasExpired())
        port.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
    if (!port.isOpen())
        return;
    // Then the driver's own queue, polled: a line that never drains (a peer
    // that stopped reading) must not hold the program forever.
    constexpr int PollMs = 2;
    const int handle = static_cast<int>(port.handle());
    int pending = 0;
    while (handle >= 0 && ioctl(handle, TIOCOUTQ, &pending) == 0 && pending > 0 &&
           !deadline.hasExpired())
        QThread::msleep(PollMs);
}

bool SerialPort::IsOpen() const
{
    return port.isOpen();
}

void SerialPort::Write(QByteArrayView bytes)
{
    if (!port.isOpen() || bytes.isEmpty())
        return;
    writes.push_back(bytes.toByteArray());
    if (writes.size() == 1)
        StartWrite();
}

void SerialPort::StartWrite()
{
    written = 0;
    writeTimer.start(timeouts.writeTotal);
    if (port.write(writes.front()) < 0)
        FinishWrite();
}

void SerialPort::OnBytesWritten(qint64 count)
{
    if (writes.empty())
        return;
    written += count;
    if (written >= writes.front().size())
        FinishWrite();
}

void SerialPort::FinishWrite()
{
    if (writes.empty())
        return;
    writeTimer.stop();
    if (written < writes.front().size() && port.isOpen())
        port.clear(QSerialPort::Output); // timed out: the rest is not sent late
    writes.pop_front();
    if (!writes.empty())
        StartWrite();
}

void SerialPort::OnError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError)
        return;
    if (!port.isOpen())
        return;
    Close();
    QMetaObject::invokeMethod(this, &SerialPort::deviceLost, Qt::QueuedConnection);
}
