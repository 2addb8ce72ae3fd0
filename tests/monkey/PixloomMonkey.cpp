// Pixloom under seeded random use: menu commands, dialogs, mouse, wheel, keys and dropped
// files on the view, good, damaged and hostile textures and Targas, imports of pictures the
// size of the texture on show, saves. After every step the title's star must follow the
// modified flag and a texture just saved must read back and write the same bytes.

#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include "Monkey.h"
#include "pixloom/MainFrame.h"
#include "pixloom/PixloomApp.h"
#include "pixloom/PixloomView.h"
#include "texture/PixloomDoc.h"
#include "texture/TexFormat.h"

using namespace monkey;

namespace {

// Seeds that once failed; each runs whole every time.
const std::vector<std::uint64_t> kRegressionSeeds = {};

enum StepKind { Command, Mouse, Wheel, Key, Open, Drop, UndoRedo, Save, Close, Import };

const std::vector<Kind> kKinds = {{Command, 30}, {Mouse, 12},   {Wheel, 6}, {Key, 14},  {Open, 10},
                                  {Drop, 4},     {UndoRedo, 4}, {Save, 6},  {Close, 2}, {Import, 12}};

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

struct Pool : FilePool {
    Pool()
    {
        Rng rng(11);
        const auto good = Tex(32, 16, 24, rng);
        Add("wall.tex", good);
        Add("floor16.tex", Tex(16, 16, 16, rng));
        Add("sky32.tex", Tex(64, 8, 32, rng));
        Add("tiny.tex", Tex(1, 1, 24, rng));
        for (int i = 0; i < 6; ++i)
            Add(QString("damaged%1.tex").arg(i), Damage(good, rng));
        Add("empty.tex", std::vector<std::uint8_t>{});
        Add("wall.txt", good);
        Add("depth8.tex", Tex(8, 8, 8, rng));
        std::vector<std::uint8_t> huge(texture::TEX_FILLER_SIZE, 0);
        PutI32(huge, 0x7FFFFFFF);
        PutI32(huge, -5);
        PutI32(huge, 24);
        Add("huge.tex", huge);
        AddNonFiles("tex");
        Add("same24.tga", Targa(32, 16, 24, rng));
        Add("same32.tga", Targa(32, 16, 32, rng));
        Add("same16.tga", Targa(32, 16, 16, rng));
        Add("other.tga", Targa(7, 5, 24, rng));
        Add("cut.tga", Damage(Targa(32, 16, 24, rng), rng));
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(qRgba(10, 200, 30, 128));
        img.save(QDir(in).filePath("picture.png"));
        files.push_back(QDir(in).filePath("picture.png"));
    }
};

class PixloomSession final : public WindowSession {
public:
    explicit PixloomSession(const Pool& pool) : WindowSession(pool, "Pixloom", "tex")
    {
        m_app = std::make_unique<pixloom::CPixloomApp>(m_prompt);
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

protected:
    QWidget& Window() override { return Frame(); }
    bool Modified() override { return m_app->GetDocument().IsModified(); }

    std::string RoundTrip(const std::vector<std::uint8_t>& bytes) override
    {
        const texture::TexResult r = m_check.ReadTexBytes(bytes);
        if (!r.ok)
            return "does not load: " + r.message;
        std::vector<std::uint8_t> again;
        m_check.WriteTex(again);
        return again == bytes ? std::string() : "does not save back byte for byte";
    }

    std::string Do(int kind, Rng& rng) override
    {
        pixloom::CMainFrame& f = Frame();
        QWidget& view = *f.GetActiveView();
        switch (kind) {
        case Command: f.UpdateActions(); return CommandStep(f, f.menuBar(), rng);
        case Mouse: return MouseDrag(view, rng, 50, false);
        case Wheel: return WheelTurn(view, rng, 40);
        case Key: {
            static const std::vector<int> keys = {
                Qt::Key_Left,   Qt::Key_Right,  Qt::Key_Up,     Qt::Key_Down,  Qt::Key_Plus, Qt::Key_Minus,
                Qt::Key_Delete, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space, Qt::Key_Home, Qt::Key_0,
                Qt::Key_1,      Qt::Key_R,      Qt::Key_G,      Qt::Key_B,     Qt::Key_A,    Qt::Key_Equal};
            return KeyPress(keys, false, {&view, &view, &f}, rng);
        }
        case Open: {
            const QString path = m_pool.Any(rng);
            f.OpenDocumentFile(path);
            return "open " + QFileInfo(path).fileName().toStdString();
        }
        case Drop: return DropFile(f, view, rng);
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
        case Close: f.close(); return "close the window";
        case Import: return ImportMatching(rng);
        }
        return "nothing";
    }

private:
    pixloom::CMainFrame& Frame() { return *m_app->GetMainFrame(); }

    // File > Import of a Targa or PNG the size of the texture on show, so that it is taken.
    std::string ImportMatching(Rng& rng)
    {
        const texture::TexHeader& h = m_app->GetDocument().GetHeader();
        if (!m_app->GetDocument().IsLoaded() || h.xRes <= 0 || h.yRes <= 0 || h.xRes > 1024 || h.yRes > 1024)
            return "import: no texture of a size to match";
        static const int depths[] = {16, 24, 32};
        const int depth = depths[Pick(rng, 3)];
        QString path;
        if (Chance(rng, 60)) {
            path = WriteBytes(m_pool.in, "match.tga", Targa(h.xRes, h.yRes, depth, rng));
        } else {
            QImage img(h.xRes, h.yRes, depth == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    img.setPixel(x, y, static_cast<QRgb>(rng()));
            path = QDir(m_pool.in).filePath("match.png");
            img.save(path);
        }
        m_prompt->nextOpen = path;
        Frame().OnFileImport();
        return "import " + QFileInfo(path).fileName().toStdString() + " at " + std::to_string(depth) + " bits";
    }

    std::string DropFile(pixloom::CMainFrame& f, QWidget& view, Rng& rng)
    {
        const QString path = m_pool.Any(rng);
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

    std::unique_ptr<pixloom::CPixloomApp> m_app;
    texture::CPixloomDoc m_check;
};

} // namespace

int main(int argc, char** argv)
{
    return RunProgram<Pool, PixloomSession>(argc, argv, "pixloom_monkey", kKinds, kRegressionSeeds);
}
