#pragma once
// Seeded random use of a whole main window. A run is a list of steps; each step holds a kind
// and its own seed, and everything it does is drawn from that seed against the window as it
// then is, so a step list replays from a fresh window and any sub-list is still a valid run.
// A failing list is shrunk by removing steps (delta debugging) before it is reported.

#include <algorithm>
#include <chrono>
#include <iterator>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>

#include "gui/GuiPrompt.h"

namespace monkey {

using Rng = std::mt19937_64;

struct Step {
    int kind = 0;
    std::uint64_t seed = 0;
};

inline int Pick(Rng& rng, int n) { return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<std::uint64_t>(n)); }
inline bool Chance(Rng& rng, int percent) { return Pick(rng, 100) < percent; }

// One window under test. Run does one step and says what it did; Check returns an empty
// string while every invariant holds.
class ISession {
public:
    virtual ~ISession() = default;
    virtual std::string Run(const Step& step) = 0;
    virtual std::string Check() = 0;
};
using SessionFactory = std::function<std::unique_ptr<ISession>()>;

struct Failure {
    std::size_t at = 0; // index of the failing step
    std::string what;
    std::vector<std::string> log; // what each step did, up to the failure
};

inline std::optional<Failure> Replay(const SessionFactory& make, const std::vector<Step>& steps,
                                     std::chrono::steady_clock::time_point deadline = {})
{
    std::unique_ptr<ISession> s;
    std::vector<std::string> log;
    auto fail = [&](std::size_t i, std::string what) { return Failure{i, std::move(what), log}; };
    try {
        s = make();
    } catch (const std::exception& e) {
        return fail(0, std::string("exception at start: ") + e.what());
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (deadline != std::chrono::steady_clock::time_point{} && std::chrono::steady_clock::now() > deadline)
            break;
        try {
            log.push_back(s->Run(steps[i]));
            if (std::getenv("MONKEY_VERBOSE"))
                std::printf("  %zu: %s\n", i, log.back().c_str());
        } catch (const std::exception& e) {
            log.push_back("(threw)");
            return fail(i, std::string("exception escaped: ") + e.what());
        } catch (...) {
            log.push_back("(threw)");
            return fail(i, "unknown exception escaped");
        }
        std::string bad = s->Check();
        if (!bad.empty())
            return fail(i, bad);
    }
    return std::nullopt;
}

// Delta debugging over the step list: drop chunks while the run still fails.
inline std::vector<Step> Shrink(const SessionFactory& make, std::vector<Step> steps, double seconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                             std::chrono::duration<double>(seconds));
    std::size_t n = 2;
    while (steps.size() >= 2 && std::chrono::steady_clock::now() < until) {
        const std::size_t chunk = (steps.size() + n - 1) / n;
        bool removed = false;
        for (std::size_t start = 0; start < steps.size() && std::chrono::steady_clock::now() < until;
             start += chunk) {
            std::vector<Step> rest(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(start));
            const std::size_t end = std::min(steps.size(), start + chunk);
            rest.insert(rest.end(), steps.begin() + static_cast<std::ptrdiff_t>(end), steps.end());
            if (auto f = Replay(make, rest)) {
                rest.resize(f->at + 1);
                steps = std::move(rest);
                n = std::max<std::size_t>(n - 1, 2);
                removed = true;
                break;
            }
        }
        if (!removed) {
            if (n >= steps.size())
                break;
            n = std::min(steps.size(), n * 2);
        }
    }
    return steps;
}

// Every action reachable from the menu bar (submenus included) and the toolbars, each once.
// Commands added later are picked up here without changes.
inline std::vector<QAction*> MenuActions(QWidget& window, QMenuBar* bar)
{
    std::vector<QAction*> out;
    std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& list) {
        for (QAction* a : list) {
            if (a->isSeparator())
                continue;
            if (a->menu()) {
                emit a->menu()->aboutToShow(); // lets lazily built menus (recent files) fill in
                walk(a->menu()->actions());
                continue;
            }
            if (std::find(out.begin(), out.end(), a) == out.end())
                out.push_back(a);
        }
    };
    walk(bar->actions());
    for (QToolBar* tb : window.findChildren<QToolBar*>())
        walk(tb->actions());
    return out;
}

// Fills a dialog's fields with random text and picks random options; true to accept.
inline bool FiddleDialog(QWidget& dialog, Rng& rng)
{
    static const char* texts[] = {"0", "1", "-1", "3.5", "1e38", "-1e38", "nan", "inf", "65535", "65536",
                                  "2147483648", "", "abc", "0,5", " 12 ", "9999999999999"};
    for (QLineEdit* e : dialog.findChildren<QLineEdit*>())
        if (Chance(rng, 50))
            e->setText(texts[Pick(rng, static_cast<int>(std::size(texts)))]);
    for (QSpinBox* s : dialog.findChildren<QSpinBox*>())
        if (Chance(rng, 50))
            s->setValue(s->minimum() + Pick(rng, std::max(1, s->maximum() - s->minimum() + 1)));
    for (QComboBox* c : dialog.findChildren<QComboBox*>())
        if (Chance(rng, 50) && c->count() > 0)
            c->setCurrentIndex(Pick(rng, c->count()));
    for (QCheckBox* c : dialog.findChildren<QCheckBox*>())
        if (Chance(rng, 30))
            c->setChecked(!c->isChecked());
    return Chance(rng, 60);
}

// Closes any modal dialog or popup menu that was opened without a runner, so that no step can
// block. Dialogs are answered at random first.
class ModalCloser {
public:
    explicit ModalCloser(Rng& rng) : m_rng(rng)
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                if (FiddleDialog(*d, m_rng))
                    d->accept();
                else
                    d->reject();
            } else if (QWidget* w = QApplication::activeModalWidget()) {
                w->close();
            }
        });
        m_timer.start();
    }

private:
    Rng& m_rng;
    QTimer m_timer;
};

// The prompt both programs get: every question, file dialog and colour dialog is answered from
// the current step's seed; messages are only counted.
class MonkeyPrompt : public gui::IGuiPrompt {
public:
    Rng rng{1};
    std::vector<QString> openChoices; // files the open dialogs pick from
    QString saveDir;
    QString saveSuffix;
    QString lastSaved; // the name the last save dialog returned
    int messages = 0;

    void ShowMessage(const std::string&, common::MessageIcon) override { ++messages; }
    bool AskYesNo(const std::string&, common::MessageIcon) override { return Chance(rng, 50); }
    std::optional<QString> GetOpenFileName(const gui::FileDialogOptions& o) override
    {
        if (openChoices.empty() || Chance(rng, 10))
            return std::nullopt;
        // Mostly a file the dialog's filter offers, so that imports get somewhere.
        std::vector<QString> offered;
        for (const QString& f : openChoices)
            if (o.filter.contains("*." + QFileInfo(f).suffix(), Qt::CaseInsensitive))
                offered.push_back(f);
        const std::vector<QString>& from = offered.empty() || Chance(rng, 25) ? openChoices : offered;
        return from[static_cast<std::size_t>(Pick(rng, static_cast<int>(from.size())))];
    }
    std::optional<QString> GetSaveFileName(const gui::FileDialogOptions& o) override
    {
        if (Chance(rng, 10))
            return std::nullopt;
        QString suffix = o.defaultExt.isEmpty() ? saveSuffix : o.defaultExt;
        if (Chance(rng, 10))
            suffix = "txt"; // a name the format refuses
        lastSaved = QDir(saveDir).filePath(QString("saved%1.%2").arg(Pick(rng, 4)).arg(suffix));
        return lastSaved;
    }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t) override
    {
        if (Chance(rng, 20))
            return std::nullopt;
        return static_cast<std::uint32_t>(rng() & 0xFFFFFF);
    }
    gui::SaveChangesAnswer AskSaveChanges(const QString&) override
    {
        switch (Pick(rng, 3)) {
        case 0: return gui::SaveChangesAnswer::Yes;
        case 1: return gui::SaveChangesAnswer::No;
        default: return gui::SaveChangesAnswer::Cancel;
        }
    }
};

// Damaged copies of good bytes: truncated, bit-flipped, with a stretch overwritten by
// extreme values, or grown by garbage.
inline std::vector<std::uint8_t> Damage(std::vector<std::uint8_t> b, Rng& rng)
{
    if (b.empty())
        return b;
    switch (Pick(rng, 4)) {
    case 0: b.resize(static_cast<std::size_t>(Pick(rng, static_cast<int>(b.size())))); break;
    case 1:
        for (int i = 0, n = 1 + Pick(rng, 8); i < n; ++i)
            b[static_cast<std::size_t>(Pick(rng, static_cast<int>(b.size())))] ^= static_cast<std::uint8_t>(1u << Pick(rng, 8));
        break;
    case 2: {
        const std::size_t at = static_cast<std::size_t>(Pick(rng, static_cast<int>(b.size())));
        const std::uint8_t v = Chance(rng, 50) ? 0xFF : 0x7F;
        for (std::size_t i = at; i < std::min(b.size(), at + 4); ++i)
            b[i] = v;
        break;
    }
    default:
        for (int i = 0, n = 1 + Pick(rng, 64); i < n; ++i)
            b.push_back(static_cast<std::uint8_t>(rng()));
    }
    return b;
}

inline QString WriteBytes(const QString& dir, const QString& name, const std::vector<std::uint8_t>& b)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(reinterpret_cast<const char*>(b.data()), static_cast<qint64>(b.size()));
    return path;
}

inline std::vector<std::uint8_t> ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray a = f.readAll();
    return {a.begin(), a.end()};
}

// The files of a folder with a hash of their contents, to see which ones a step wrote.
inline std::vector<std::pair<QString, std::size_t>> Stamp(const QString& dir, const QString& suffix)
{
    std::vector<std::pair<QString, std::size_t>> out;
    for (const QFileInfo& fi : QDir(dir).entryInfoList({"*." + suffix}, QDir::Files, QDir::Name)) {
        QFile f(fi.absoluteFilePath());
        out.emplace_back(fi.absoluteFilePath(), f.open(QIODevice::ReadOnly) ? qHash(f.readAll()) : 0);
    }
    return out;
}

struct Options {
    double seconds = 10;
    int stepsPerSeed = 300;
    std::optional<std::uint64_t> seed;
};

// The offscreen platform's notes about what it cannot do, once per step, bury the report.
inline void QuietPlatformNotes()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType t, const QMessageLogContext& c, const QString& m) {
        if (m.startsWith("This plugin does not support"))
            return;
        if (previous)
            previous(t, c, m);
    });
}

inline Options OptionsFromEnvironment(double defaultSeconds)
{
    Options o;
    o.seconds = defaultSeconds;
    if (const char* s = std::getenv("MONKEY_SECONDS"))
        o.seconds = std::atof(s);
    if (const char* s = std::getenv("MONKEY_STEPS"))
        o.stepsPerSeed = std::max(1, std::atoi(s));
    if (const char* s = std::getenv("MONKEY_SEED"))
        o.seed = std::strtoull(s, nullptr, 0);
    return o;
}

// The kinds a run draws from, with weights.
struct Kind {
    int kind;
    int weight;
};

inline std::vector<Step> MakeSteps(std::uint64_t seed, int count, const std::vector<Kind>& kinds)
{
    Rng rng(seed);
    int total = 0;
    for (const Kind& k : kinds)
        total += k.weight;
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i) {
        int r = Pick(rng, total);
        int kind = kinds.front().kind;
        for (const Kind& k : kinds) {
            if (r < k.weight) {
                kind = k.kind;
                break;
            }
            r -= k.weight;
        }
        steps.push_back({kind, rng()});
    }
    return steps;
}

// Runs the regression seeds, then fresh seeds until the time is up. Returns the exit code.
inline int Main(const char* program, const SessionFactory& make, const std::vector<Kind>& kinds,
                const std::vector<std::uint64_t>& regressionSeeds, double defaultSeconds)
{
    QuietPlatformNotes();
    const Options o = OptionsFromEnvironment(defaultSeconds);
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                      std::chrono::duration<double>(o.seconds));
    std::vector<std::uint64_t> seeds = regressionSeeds;
    if (o.seed)
        seeds = {*o.seed};
    std::uint64_t fresh = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    long long stepsRun = 0;
    int runs = 0;
    for (std::size_t i = 0;; ++i) {
        const bool regression = i < seeds.size();
        if (!regression && (o.seed || std::chrono::steady_clock::now() >= deadline))
            break;
        const std::uint64_t seed = regression ? seeds[i] : (fresh = fresh * 6364136223846793005ULL + 1442695040888963407ULL) >> 1;
        const std::vector<Step> steps = MakeSteps(seed, o.stepsPerSeed, kinds);
        // Regression seeds always run whole; fresh ones stop at the deadline.
        const auto f = Replay(make, steps, regression ? std::chrono::steady_clock::time_point{} : deadline);
        ++runs;
        if (!f) {
            stepsRun += static_cast<long long>(steps.size());
            continue;
        }
        std::printf("%s: FAILED with MONKEY_SEED=%llu MONKEY_STEPS=%d at step %zu: %s\n", program,
                    static_cast<unsigned long long>(seed), o.stepsPerSeed, f->at, f->what.c_str());
        std::vector<Step> failing(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(f->at + 1));
        const std::vector<Step> small = Shrink(make, failing, 120);
        const auto again = Replay(make, small);
        std::printf("shortest failing step list found (%zu of %zu steps):\n", small.size(), failing.size());
        for (std::size_t k = 0; again && k < again->log.size(); ++k)
            std::printf("  %zu: kind %d seed %llu: %s\n", k, small[k].kind,
                        static_cast<unsigned long long>(small[k].seed), again->log[k].c_str());
        if (again)
            std::printf("  -> %s\n", again->what.c_str());
        std::fflush(stdout);
        return 1;
    }
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %d runs, about %lld steps in %.1f s (%.0f steps/s), no failure\n", program, runs, stepsRun,
                secs, secs > 0 ? stepsRun / secs : 0.0);
    return 0;
}

} // namespace monkey
