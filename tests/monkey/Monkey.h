#pragma once
// Seeded random use of a whole main window. A run is a list of steps; each step holds a kind
// and its own seed, and everything it does is drawn from that seed against the window as it
// then is, so a step list replays from a fresh window and any sub-list is still a valid run.
// A failing list is shrunk by removing steps (delta debugging) before it is reported.

#include <algorithm>
#include <chrono>
#include <cmath>
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
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest>

#include "gui/GuiPrompt.h"
#include "gui/Settings.h"

namespace monkey {

using Rng = std::mt19937_64;

struct Step {
    int kind = 0;
    std::uint64_t seed = 0;
};

inline int Pick(Rng& rng, int n)
{
    return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<std::uint64_t>(n));
}
inline bool Chance(Rng& rng, int percent)
{
    return Pick(rng, 100) < percent;
}

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
    const auto until = std::chrono::steady_clock::now() +
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    std::size_t n = 2;
    while (steps.size() >= 2 && std::chrono::steady_clock::now() < until) {
        const std::size_t chunk = (steps.size() + n - 1) / n;
        bool removed = false;
        for (std::size_t start = 0; start < steps.size() && std::chrono::steady_clock::now() < until; start += chunk) {
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
    static const char* texts[] = {"0",     "1",     "-1",         "3.5", "1e38", "-1e38", "nan",  "inf",
                                  "65535", "65536", "2147483648", "",    "abc",  "0,5",   " 12 ", "9999999999999"};
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
    for (QRadioButton* r : dialog.findChildren<QRadioButton*>())
        if (Chance(rng, 30))
            r->setChecked(true);
    return Chance(rng, 60);
}

// Answers a dialog the way a user mostly would: numbers near the ones shown, one option of a
// group, then the dialog's own buttons (Apply, a detail view) before OK; sometimes at random
// instead. pressButtons is off where a button could open a dialog nobody would close.
inline bool FillDialog(QWidget& dialog, Rng& rng, bool pressButtons)
{
    if (Chance(rng, 30))
        return FiddleDialog(dialog, rng);
    for (QLineEdit* e : dialog.findChildren<QLineEdit*>()) {
        bool number = false;
        const double v = e->text().trimmed().toDouble(&number);
        if (e->isReadOnly() || !number || !std::isfinite(v) || !Chance(rng, 70))
            continue;
        const double step = Chance(rng, 20) ? 1000.0 : 10.0;
        e->setText(QString::number(v + (Pick(rng, 2001) - 1000) * step / 1000.0, 'g', 7));
    }
    for (QRadioButton* r : dialog.findChildren<QRadioButton*>())
        if (Chance(rng, 40))
            r->setChecked(true);
    for (QCheckBox* c : dialog.findChildren<QCheckBox*>())
        if (Chance(rng, 20))
            c->setChecked(!c->isChecked());
    std::vector<QPushButton*> own;
    QPushButton* preferred = nullptr;
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        if (!b->isEnabled() || qobject_cast<QDialogButtonBox*>(b->parentWidget()))
            continue;
        own.push_back(b);
        if (b->isDefault())
            preferred = b;
    }
    for (int i = 0, n = pressButtons ? Pick(rng, 3) : 0; i < n && !own.empty() && dialog.isVisible(); ++i) {
        QPushButton* b = preferred && Chance(rng, 75)
            ? preferred
            : own[static_cast<std::size_t>(Pick(rng, static_cast<int>(own.size())))];
        b->click();
    }
    return Chance(rng, 80);
}

// A dialog runner for windows that take one: shows the dialog (so that it fills its fields),
// answers it and closes it; a button may have closed it already.
inline int AnswerDialog(QDialog& d, Rng& rng)
{
    d.show();
    const bool accept = FillDialog(d, rng, true);
    if (d.isVisible()) {
        if (accept)
            d.accept();
        else
            d.reject();
    }
    return d.result();
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
                if (FillDialog(*d, m_rng, false))
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
    std::optional<QString> nextOpen; // when set, what the next open dialog answers
    int messages = 0;

    void ShowMessage(const std::string&, common::MessageIcon) override { ++messages; }
    bool AskYesNo(const std::string&, common::MessageIcon) override { return Chance(rng, 50); }
    std::optional<QString> GetOpenFileName(const gui::FileDialogOptions& o) override
    {
        if (nextOpen) {
            std::optional<QString> chosen;
            chosen.swap(nextOpen);
            return chosen;
        }
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
            b[static_cast<std::size_t>(Pick(rng, static_cast<int>(b.size())))] ^=
                static_cast<std::uint8_t>(1u << Pick(rng, 8));
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

// How many checked steps found the document modified, for the summary line: edits that never
// happen leave the modified-flag invariant untested.
struct Tally {
    long long steps = 0;
    long long modified = 0;
};
inline Tally g_tally;

// The input files a run opens, in a temporary folder with a folder beside it for saves.
struct FilePool {
    QTemporaryDir dir;
    QString in = dir.filePath("in");
    QString saveDir = dir.filePath("out");
    std::vector<QString> files;

    FilePool()
    {
        QDir().mkpath(in);
        QDir().mkpath(saveDir);
    }
    void Add(const QString& name, const std::vector<std::uint8_t>& bytes)
    {
        files.push_back(WriteBytes(in, name, bytes));
    }
    void Add(const QString& name, const std::string& text)
    {
        Add(name, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    // A folder where a file is expected, and a name that does not exist.
    void AddNonFiles(const QString& suffix)
    {
        QDir().mkpath(QDir(in).filePath("folder." + suffix));
        files.push_back(QDir(in).filePath("folder." + suffix));
        files.push_back(QDir(in).filePath("missing." + suffix));
    }
    QString Any(Rng& rng) const { return files[static_cast<std::size_t>(Pick(rng, static_cast<int>(files.size())))]; }
};

// Input that acts on a widget the way a user's would.
inline QPoint RandomPoint(QWidget& w, Rng& rng)
{
    return {Pick(rng, std::max(1, w.width())), Pick(rng, std::max(1, w.height()))};
}

// Presses at p, moves `moves` times by up to spread pixels each way, releases.
inline void Drag(QWidget& w, QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers mod, int moves, int spread, Rng& rng)
{
    auto send = [&](QEvent::Type t, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(t, QPointF(p), QPointF(w.mapToGlobal(p)), button, held, mod);
        QApplication::sendEvent(&w, &e);
    };
    send(QEvent::MouseButtonPress, b, b);
    for (int i = 0; i < moves; ++i) {
        p += QPoint(Pick(rng, 2 * spread + 1) - spread, Pick(rng, 2 * spread + 1) - spread);
        send(QEvent::MouseMove, Qt::NoButton, b);
    }
    send(QEvent::MouseButtonRelease, b, Qt::NoButton);
}

inline std::string MouseDrag(QWidget& w, Rng& rng, int spread, bool withModifiers)
{
    static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
    const Qt::MouseButton b = buttons[Pick(rng, 4)];
    static const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier};
    const Qt::KeyboardModifiers mod = withModifiers ? mods[Pick(rng, 3)] : Qt::NoModifier;
    const QPoint p = RandomPoint(w, rng);
    const int moves = Pick(rng, 6);
    Drag(w, p, b, mod, moves, spread, rng);
    if (Chance(rng, 15)) {
        QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(p), QPointF(w.mapToGlobal(p)), b, b, mod);
        QApplication::sendEvent(&w, &e);
    }
    return "mouse drag, " + std::to_string(moves) + " moves";
}

inline std::string WheelTurn(QWidget& w, Rng& rng, int ctrlPercent)
{
    const QPoint p = RandomPoint(w, rng);
    const int delta = (Pick(rng, 7) - 3) * 120;
    QWheelEvent e(QPointF(p), QPointF(w.mapToGlobal(p)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Chance(rng, ctrlPercent) ? Qt::ControlModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
    return "wheel " + std::to_string(delta);
}

// One key from keys (or, 40% of the time when letters is set, any letter or digit) with a
// random modifier, on one of targets. Opening and quitting keep to their own steps.
inline std::string KeyPress(const std::vector<int>& keys, bool letters, const std::vector<QWidget*>& targets, Rng& rng)
{
    int key = !letters || Chance(rng, 60) ? keys[static_cast<std::size_t>(Pick(rng, static_cast<int>(keys.size())))]
                                          : (Chance(rng, 80) ? Qt::Key_A + Pick(rng, 26) : Qt::Key_0 + Pick(rng, 10));
    static const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                                 Qt::AltModifier};
    const Qt::KeyboardModifiers mod = mods[Pick(rng, 5)];
    if (mod == Qt::ControlModifier && (key == Qt::Key_O || key == Qt::Key_N || key == Qt::Key_Q))
        key = Qt::Key_B;
    QWidget* w = targets[static_cast<std::size_t>(Pick(rng, static_cast<int>(targets.size())))];
    w->setFocus();
    QTest::keyClick(w, static_cast<Qt::Key>(key), mod);
    return "key " + QKeySequence(key | mod.toInt()).toString().toStdString() + " on " + w->metaObject()->className();
}

// A random command of the menus and toolbars, when it is enabled.
inline std::string CommandStep(QWidget& window, QMenuBar* bar, Rng& rng)
{
    const auto actions = MenuActions(window, bar);
    QAction* a = actions[static_cast<std::size_t>(Pick(rng, static_cast<int>(actions.size())))];
    const std::string name = a->text().toStdString();
    if (!a->isEnabled())
        return "command " + name + " (disabled)";
    a->trigger();
    return "command " + name;
}

// What both programs' sessions share: a fresh start, the random streams every step reseeds,
// and the checks of the title and of the files the step saved.
class WindowSession : public ISession {
public:
    std::string Run(const Step& step) final
    {
        Rng rng(step.seed);
        m_prompt->rng.seed(step.seed ^ 0x9E3779B97F4A7C15ULL);
        m_prompt->nextOpen.reset();
        m_dialogRng.seed(step.seed ^ 0xC2B2AE3D27D4EB4FULL);
        m_closerRng.seed(step.seed ^ 0x165667B19E3779F9ULL);
        m_before = Stamp(m_pool.saveDir, m_suffix);
        if (!Window().isVisible())
            Window().show();
        std::string did = Do(step.kind, rng);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        return did;
    }

    std::string Check() final
    {
        const bool modified = Modified();
        ++g_tally.steps;
        g_tally.modified += modified ? 1 : 0;
        QWidget& w = Window();
        const QString shown = w.windowHandle() ? w.windowHandle()->title() : w.windowTitle();
        if (shown.contains("*") != modified)
            return "the title \"" + shown.toStdString() + "\" disagrees with the modified flag " +
                (modified ? "(set)" : "(clear)");
        std::string bad = CheckDocument();
        if (!bad.empty())
            return bad;
        for (const auto& f : Stamp(m_pool.saveDir, m_suffix)) {
            if (std::find(m_before.begin(), m_before.end(), f) != m_before.end())
                continue;
            bad = RoundTrip(ReadBytes(f.first));
            if (!bad.empty())
                return "the saved " + f.first.toStdString() + " " + bad;
        }
        return {};
    }

protected:
    // Forgets the settings and saves of earlier runs; the prompt answers every dialog from now on.
    WindowSession(const FilePool& pool, const char* program, const char* suffix) : m_pool(pool), m_suffix(suffix)
    {
        QSettings(gui::kCompanyKey, program).clear();
        for (const QFileInfo& fi : QDir(pool.saveDir).entryInfoList(QDir::Files))
            QFile::remove(fi.absoluteFilePath());
        m_prompt->openChoices = pool.files;
        m_prompt->saveDir = pool.saveDir;
        m_prompt->saveSuffix = suffix;
    }
    // For a program that owns its prompt; the session keeps using it.
    std::unique_ptr<MonkeyPrompt> ReleasePrompt() { return std::move(m_ownedPrompt); }

    virtual QWidget& Window() = 0;
    virtual bool Modified() = 0;
    virtual std::string Do(int kind, Rng& rng) = 0;
    // Empty while the window agrees with its document.
    virtual std::string CheckDocument() { return {}; }
    // Empty when bytes load and write back the same; otherwise what went wrong.
    virtual std::string RoundTrip(const std::vector<std::uint8_t>& bytes) = 0;

    const FilePool& m_pool;
    std::unique_ptr<MonkeyPrompt> m_ownedPrompt = std::make_unique<MonkeyPrompt>();
    MonkeyPrompt* m_prompt = m_ownedPrompt.get();
    Rng m_dialogRng;

private:
    QString m_suffix;
    Rng m_closerRng;
    ModalCloser m_closer{m_closerRng};
    std::vector<std::pair<QString, std::size_t>> m_before;
};

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
    const auto deadline = start +
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(o.seconds));
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
        const std::uint64_t seed =
            regression ? seeds[i] : (fresh = fresh * 6364136223846793005ULL + 1442695040888963407ULL) >> 1;
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
    std::printf("%s: %d runs, about %lld steps in %.1f s (%.0f steps/s), document modified after %.1f%% of them, "
                "no failure\n",
                program, runs, stepsRun, secs, secs > 0 ? stepsRun / secs : 0.0,
                g_tally.steps ? 100.0 * static_cast<double>(g_tally.modified) / static_cast<double>(g_tally.steps)
                              : 0.0);
    return 0;
}

// The program's whole run: an offscreen application whose settings and desktop files stay in
// a temporary folder, the input files, then Main.
template <class Pool, class Session>
int RunProgram(int argc, char** argv, const char* program, const std::vector<Kind>& kinds,
               const std::vector<std::uint64_t>& regressionSeeds)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    Pool pool;
    return Main(
        program, [&pool] { return std::make_unique<Session>(pool); }, kinds, regressionSeeds, 10);
}

} // namespace monkey
