#pragma once

#include "desktop/desktop_integration.h"
#include "desktop/url_opener.h"
#include "desktop/xdg_autostart_entry.h"
#include "event_wait.h"
#include "scripted_unit.h"
#include "test_bytes.h"
#include "unit/unit_session.h"

#include <QMainWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Opens nothing: records the addresses, and says whether the desktop could.
class RecordingOpener : public UrlOpener
{
public:
    QList<QUrl> opened;
    bool works = true;

protected:
    bool Open(const QUrl& url) override
    {
        opened.append(url);
        return works;
    }
};

template <typename T = QWidget> T* Child(const QObject& parent, const QString& name)
{
    T* child = parent.findChild<T*>(name);
    if (!child)
        qFatal("no child %s", qPrintable(name));
    return child;
}

inline QByteArray Report(int variable, int value)
{
    return Bytes({MessageType::Variable, variable, value});
}

// A window with its desktop pieces (File menu with Exit, a log-on entry in
// a folder of its own) and a session, connected to a scripted unit by
// Connect so commands reach the line.
struct DesktopFixture
{
    explicit DesktopFixture(const Options& options = {})
    {
        session->SetPortSetting(options.port);
        auto* file = new QMenu(window.get());
        QAction* exit = file->addAction(u"E&xit"_s);
        desktop = new DesktopIntegration(window.get(), *session, options, file, exit, nullptr);
        desktop->SetAutostartEntry(std::make_unique<XdgAutostartEntry>(home.path()));
        desktop->SetProgramPath(u"/opt/vx/veltrix-pc-interface"_s);
    }

    bool Connect(const QByteArray& model)
    {
        unit = std::make_unique<ScriptedUnit>();
        unit->SetResponder(ScriptedUnit::Identifying(model, 2, 5));
        UnitSession::Timing timing;
        timing.connectPeriod = 30;
        timing.refreshPause = 5;
        timing.port.readTotal = 60000;
        session->SetTiming(timing);
        session->SetPortSetting(unit->SlavePath());
        QObject::connect(&session->Link(), &UnitLink::payloadSent, window.get(),
                         [this](const QByteArray& payload) { sent.append(payload); });
        session->Start();
        const bool ready = WaitFor(
            [this] {
                return session->Status().connected && !session->IsProbing() &&
                       !session->Status().facts.versionText.isEmpty();
            },
            5000);
        sent.clear();
        return ready;
    }

    void Feed(const QList<QByteArray>& payloads) const
    {
        for (const QByteArray& p : payloads)
            session->Dispatch(p);
    }

    QString EntryPath() const { return XdgAutostartEntry(home.path()).FilePath(); }

    QTemporaryDir home;
    std::unique_ptr<ScriptedUnit> unit;
    std::unique_ptr<UnitSession> session = std::make_unique<UnitSession>();
    std::unique_ptr<QMainWindow> window = std::make_unique<QMainWindow>();
    DesktopIntegration* desktop = nullptr;
    QList<QByteArray> sent; // the payloads sent, in order
};
