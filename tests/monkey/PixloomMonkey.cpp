// Pixloom under seeded random use: menu commands, dialogs, mouse, wheel, keys and dropped
// files on the view, good, damaged and hostile textures and Targas, saves. After every step
// the title's star must follow the modified flag and a texture just saved must read back and
// write the same bytes.

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest>

#include "Monkey.h"
#include "gui/Settings.h"
#include "pixloom/MainFrame.h"
#include "pixloom/PixloomApp.h"
#include "pixloom/PixloomView.h"
#include "texture/PixloomDoc.h"
#include "texture/TexFormat.h"

using namespace monkey;

namespace {

// Seeds that once failed; each runs whole every time.
const std::vector<std::uint64_t> kRegressionSeeds = {};

enum StepKind { Command, Mouse, Wheel, Key, Open, Drop, UndoRedo, Save, Close };

const std::vector<Kind> kKinds = {{Command, 34}, {Mouse, 14}, {Wheel, 6},    {Key, 16}, {Open, 10},
                                  {Drop, 4},     {UndoRedo, 6}, {Save, 6}, {Close, 2}};

void PutI32(std::vector<std::uint8_t>& out, std::int32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
}

std::vector<std::uint8_t> Tex(int w, int h, int bpp, Rng& rng)
{
    std::vector<std::uint8_t> out(texture::TEX_FILLER_SIZE, 0xA5);
    PutI32(out, w);
    PutI32(out, h);
    PutI32(out, bpp);
    for (long i = 0; i < long(w) * h * (bpp / 8); ++i)
        out.push_back(static_cast<std::uint8_t>(rng()));
    return out;
}

std::vector<std::uint8_t> Targa(int w, int h, int depth, Rng& rng)
{
    std::vector<std::uint8_t> out(18, 0);
    out[2] = 2;
    out[12] = static_cast<std::uint8_t>(w & 0xFF);
    out[13] = static_cast<std::uint8_t>(w >> 8);
    out[14] = static_cast<std::uint8_t>(h & 0xFF);
    out[15] = static_cast<std::uint8_t>(h >> 8);
    out[16] = static_cast<std::uint8_t>(depth);
    for (long i = 0; i < long(w) * h * (depth / 8); ++i)
        out.push_back(static_cast<std::uint8_t>(rng()));
    return out;
}

struct Pool {
    QTemporaryDir dir;
    QString saveDir;
    std::vector<QString> files;

    Pool()
    {
        const QString in = dir.filePath("in");
        saveDir = dir.filePath("out");
        QDir().mkpath(in);
        QDir().mkpath(saveDir);
        Rng rng(11);
        const auto good = Tex(32, 16, 24, rng);
        files.push_back(WriteBytes(in, "wall.tex", good));
        files.push_back(WriteBytes(in, "floor16.tex", Tex(16, 16, 16, rng)));
        files.push_back(WriteBytes(in, "sky32.tex", Tex(64, 8, 32, rng)));
        files.push_back(WriteBytes(in, "tiny.tex", Tex(1, 1, 24, rng)));
        for (int i = 0; i < 6; ++i)
            files.push_back(WriteBytes(in, QString("damaged%1.tex").arg(i), Damage(good, rng)));
        files.push_back(WriteBytes(in, "empty.tex", {}));
        files.push_back(WriteBytes(in, "wall.txt", good));
        files.push_back(WriteBytes(in, "depth8.tex", Tex(8, 8, 8, rng)));
        std::vector<std::uint8_t> huge(texture::TEX_FILLER_SIZE, 0);
        PutI32(huge, 0x7FFFFFFF);
        PutI32(huge, -5);
        PutI32(huge, 24);
        files.push_back(WriteBytes(in, "huge.tex", huge));
        QDir().mkpath(QDir(in).filePath("folder.tex"));
        files.push_back(QDir(in).filePath("folder.tex"));
        files.push_back(QDir(in).filePath("missing.tex"));
        files.push_back(WriteBytes(in, "same24.tga", Targa(32, 16, 24, rng)));
        files.push_back(WriteBytes(in, "same32.tga", Targa(32, 16, 32, rng)));
        files.push_back(WriteBytes(in, "same16.tga", Targa(32, 16, 16, rng)));
        files.push_back(WriteBytes(in, "other.tga", Targa(7, 5, 24, rng)));
        files.push_back(WriteBytes(in, "cut.tga", Damage(Targa(32, 16, 24, rng), rng)));
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(qRgba(10, 200, 30, 128));
        img.save(QDir(in).filePath("picture.png"));
        files.push_back(QDir(in).filePath("picture.png"));
    }
};

Pool* g_pool = nullptr;

class PixloomSession final : public ISession {
public:
    PixloomSession()
    {
        QSettings(gui::kCompanyKey, "Pixloom").clear();
        for (const QFileInfo& fi : QDir(g_pool->saveDir).entryInfoList(QDir::Files))
            QFile::remove(fi.absoluteFilePath());
        m_prompt.openChoices = g_pool->files;
        m_prompt.saveDir = g_pool->saveDir;
        m_prompt.saveSuffix = "tex";
        m_app = std::make_unique<pixloom::CPixloomApp>(&m_prompt);
        if (!m_app->InitInstance({}))
            throw std::runtime_error("Pixloom did not start");
        Frame().resize(700, 500);
        QCoreApplication::processEvents();
    }

    ~PixloomSession() override
    {
        m_app->GetDocument().SetModifiedFlag(false);
        m_app.reset();
    }

    std::string Run(const Step& step) override
    {
        Rng rng(step.seed);
        m_prompt.rng.seed(step.seed ^ 0x9E3779B97F4A7C15ULL);
        m_closerRng.seed(step.seed ^ 0x165667B19E3779F9ULL);
        m_before = Stamp(g_pool->saveDir, "tex");
        if (!Frame().isVisible())
            Frame().show();
        std::string did = Do(step.kind, rng);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        return did;
    }

    std::string Check() override
    {
        texture::CPixloomDoc& doc = m_app->GetDocument();
        const QString shown = Frame().windowHandle() ? Frame().windowHandle()->title() : Frame().windowTitle();
        if (shown.contains("*") != doc.IsModified())
            return "the title \"" + shown.toStdString() + "\" disagrees with the modified flag " +
                   (doc.IsModified() ? "(set)" : "(clear)");
        for (const auto& f : Stamp(g_pool->saveDir, "tex")) {
            if (std::find(m_before.begin(), m_before.end(), f) != m_before.end())
                continue;
            const auto bytes = ReadBytes(f.first);
            const texture::TexResult r = m_check.ReadTexBytes(bytes);
            if (!r.ok)
                return "the saved " + f.first.toStdString() + " does not load: " + r.message;
            std::vector<std::uint8_t> again;
            m_check.WriteTex(again);
            if (again != bytes)
                return "the saved " + f.first.toStdString() + " does not save back byte for byte";
        }
        return {};
    }

private:
    pixloom::CMainFrame& Frame() { return *m_app->GetMainFrame(); }

    QString AnyFile(Rng& rng)
    {
        return g_pool->files[static_cast<std::size_t>(Pick(rng, static_cast<int>(g_pool->files.size())))];
    }

    std::string Do(int kind, Rng& rng)
    {
        pixloom::CMainFrame& f = Frame();
        QWidget& view = *f.GetActiveView();
        switch (kind) {
        case Command: {
            f.UpdateActions();
            const auto actions = MenuActions(f, f.menuBar());
            QAction* a = actions[static_cast<std::size_t>(Pick(rng, static_cast<int>(actions.size())))];
            const std::string name = a->text().toStdString();
            if (!a->isEnabled())
                return "command " + name + " (disabled)";
            a->trigger();
            return "command " + name;
        }
        case Mouse: {
            static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
            const Qt::MouseButton b = buttons[Pick(rng, 3)];
            QPoint p(Pick(rng, std::max(1, view.width())), Pick(rng, std::max(1, view.height())));
            auto send = [&](QEvent::Type t, Qt::MouseButton button, Qt::MouseButtons held) {
                QMouseEvent e(t, QPointF(p), QPointF(view.mapToGlobal(p)), button, held, Qt::NoModifier);
                QApplication::sendEvent(&view, &e);
            };
            send(QEvent::MouseButtonPress, b, b);
            const int moves = Pick(rng, 6);
            for (int i = 0; i < moves; ++i) {
                p += QPoint(Pick(rng, 101) - 50, Pick(rng, 101) - 50);
                send(QEvent::MouseMove, Qt::NoButton, b);
            }
            send(QEvent::MouseButtonRelease, b, Qt::NoButton);
            return "mouse drag, " + std::to_string(moves) + " moves";
        }
        case Wheel: {
            const QPoint p(Pick(rng, std::max(1, view.width())), Pick(rng, std::max(1, view.height())));
            const int delta = (Pick(rng, 7) - 3) * 120;
            QWheelEvent e(QPointF(p), QPointF(view.mapToGlobal(p)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Chance(rng, 40) ? Qt::ControlModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&view, &e);
            return "wheel " + std::to_string(delta);
        }
        case Key: {
            static const int keys[] = {Qt::Key_Left,  Qt::Key_Right,  Qt::Key_Up,     Qt::Key_Down,
                                       Qt::Key_Plus,  Qt::Key_Minus,  Qt::Key_Delete, Qt::Key_Return,
                                       Qt::Key_Escape, Qt::Key_Space, Qt::Key_Home,   Qt::Key_0,
                                       Qt::Key_1,     Qt::Key_R,      Qt::Key_G,      Qt::Key_B,
                                       Qt::Key_A,     Qt::Key_Equal};
            int key = keys[Pick(rng, static_cast<int>(std::size(keys)))];
            static const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier,
                                                         Qt::ControlModifier, Qt::AltModifier};
            const Qt::KeyboardModifiers mod = mods[Pick(rng, 5)];
            QWidget* w = Chance(rng, 70) ? &view : static_cast<QWidget*>(&f);
            w->setFocus();
            QTest::keyClick(w, static_cast<Qt::Key>(key), mod);
            return "key " + QKeySequence(key | mod.toInt()).toString().toStdString();
        }
        case Open: {
            const QString path = AnyFile(rng);
            f.OpenDocumentFile(path);
            return "open " + QFileInfo(path).fileName().toStdString();
        }
        case Drop: {
            const QString path = AnyFile(rng);
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(path)});
            const QPoint p(view.width() / 2, view.height() / 2);
            QWidget* target = Chance(rng, 50) ? &view : static_cast<QWidget*>(&f);
            if (!target->acceptDrops())
                return "drop " + QFileInfo(path).fileName().toStdString() + " (no drop target)";
            QDragEnterEvent enter(p, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            if (!enter.isAccepted())
                return "drop " + QFileInfo(path).fileName().toStdString() + " (refused)";
            QDropEvent drop(QPointF(p), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            return "drop " + QFileInfo(path).fileName().toStdString();
        }
        case UndoRedo: {
            const bool undo = Chance(rng, 60);
            QTest::keyClick(&view, undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
            return undo ? "Ctrl+Z" : "Ctrl+Y";
        }
        case Save:
            if (Chance(rng, 50)) {
                f.OnFileSave();
                return "save";
            }
            f.OnFileSaveAs();
            return "save as";
        case Close:
            f.close();
            return "close the window";
        }
        return "nothing";
    }

    MonkeyPrompt m_prompt;
    std::unique_ptr<pixloom::CPixloomApp> m_app;
    texture::CPixloomDoc m_check;
    Rng m_closerRng;
    ModalCloser m_closer{m_closerRng};
    std::vector<std::pair<QString, std::size_t>> m_before;
};

} // namespace

int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    Pool pool;
    g_pool = &pool;
    return Main("pixloom_monkey", [] { return std::make_unique<PixloomSession>(); }, kKinds, kRegressionSeeds, 10);
}
