// Times the program's start to its window on screen, from outside: the
// bench spawns itself as a child that starts the application exactly as the
// program's main does (same libraries, same UnitApp, a throw-away home whose
// port leads nowhere, the offscreen platform unless --platform names
// another). The child reports the monotonic time of four marks: main entered
// (the loader has mapped and relocated the libraries), the main window's
// Show event, its first Expose, and the next turn of the event loop (the
// first frame painted). Each mark counts from just before the spawn.
//
// Usage: bench_startup [--runs N] [--platform NAME]
// Exit status 1 when the median time to the first frame misses the goal.

#include "bench_support.h"
#include "panel/unit_app.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr double GoalMs = 300;
constexpr const char* ChildFlag = "--child";

// In the child: notes the first Show of a top-level widget and the first
// Expose of a window, prints the marks after the next turn of the loop and
// ends the application.
class ShownProbe : public QObject
{
public:
    explicit ShownProbe(qint64 enteredNs) : mainNs(enteredNs) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && shownNs == 0) {
            const auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->isWindow())
                shownNs = bench::MonotonicNs();
        } else if (event->type() == QEvent::Expose && exposedNs == 0) {
            const auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isExposed()) {
                exposedNs = bench::MonotonicNs();
                QTimer::singleShot(0, this, &ShownProbe::Report);
            }
        }
        return false;
    }

private:
    void Report()
    {
        std::printf("%lld %lld %lld %lld\n", static_cast<long long>(mainNs),
                    static_cast<long long>(shownNs), static_cast<long long>(exposedNs),
                    static_cast<long long>(bench::MonotonicNs()));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    qint64 mainNs;
    qint64 shownNs = 0;
    qint64 exposedNs = 0;
};

int RunChild(int argc, char** argv, qint64 mainNs)
{
    UnitApp app(argc, argv);
    ShownProbe probe(mainNs);
    app.installEventFilter(&probe);
    return app.Run();
}

struct Marks
{
    double mainMs = 0;
    double shownMs = 0;
    double exposedMs = 0;
    double paintedMs = 0;
};

bool StartOnce(const QString& self, const QString& platform, Marks* marks)
{
    bench::Scratch scratch;
    bench::Child child;
    if (!scratch.Make(scratch.Path(QStringLiteral("no-unit"))) ||
        !child.Start(self, {QString::fromLatin1(ChildFlag)}, scratch.Env(platform)))
        return false;
    const QList<QByteArray> fields = child.ReadLine(10000).split(' ');
    const bool ended = child.Wait(10000) == 0;
    if (fields.size() != 4)
        return false;
    auto since = [&](int i) { return double(fields[i].toLongLong() - child.StartNs()) / 1e6; };
    *marks = {since(0), since(1), since(2), since(3)};
    return ended;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void PrintRow(const char* name, const QList<double>& values)
{
    std::printf("%-28s %9.1f %9.1f %9.1f %9.1f\n", name, values.first(),
                *std::min_element(values.begin(), values.end()), Median(values),
                *std::max_element(values.begin(), values.end()));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], ChildFlag) == 0) {
        const qint64 mainNs = bench::MonotonicNs();
        argv[1] = argv[0]; // the application sees its own name and no flag
        return RunChild(argc - 1, argv + 1, mainNs);
    }

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Starts to time."),
                                        QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption platformOption(
        QStringLiteral("platform"),
        QStringLiteral("Qt platform of the starts (xcb needs DISPLAY)."), QStringLiteral("name"),
        QStringLiteral("offscreen"));
    parser.addOptions({runsOption, platformOption});
    parser.process(app);
    const QString platform = parser.value(platformOption);
    const int runs = parser.value(runsOption).toInt();
    if (runs <= 0) {
        std::fprintf(stderr, "bench_startup: --runs must be positive\n");
        return 2;
    }

    QList<double> mains, shown, exposed, painted;
    for (int i = 0; i < runs; ++i) {
        Marks m;
        if (!StartOnce(QCoreApplication::applicationFilePath(), platform, &m)) {
            std::fprintf(stderr, "bench_startup: start %d did not report its window\n", i + 1);
            return 2;
        }
        mains << m.mainMs;
        shown << m.shownMs;
        exposed << m.exposedMs;
        painted << m.paintedMs;
    }
    std::printf(
        "Process start (spawn) to the control panel on screen, platform %s, %d starts; ms\n",
        qPrintable(platform), runs);
    std::printf("%-28s %9s %9s %9s %9s\n", "mark", "first", "min", "median", "max");
    PrintRow("main entered", mains);
    PrintRow("window shown (Show)", shown);
    PrintRow("window exposed (Expose)", exposed);
    PrintRow("first frame painted", painted);
    const bool ok = Median(painted) < GoalMs;
    std::printf("goal: median to the first frame below %.0f ms%s\n", GoalMs, ok ? "" : "  missed");
    return ok ? 0 : 1;
}
