// The perspective view on Mesa's software renderer: textures the right way round for every
// kind of texture vertex, the checkerboard of a missing texture, the selection, edits, and
// the window without OpenGL.

#include <QSignalSpy>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "EditorFixtures.h"
#include "ScriptedGuiPrompt.h"
#include "common/Prompt.h"
#include "editor/app/Commands.h"
#include "editor/app/MainFrame.h"
#include "editor/perspective/PerspectiveView.h"
#include "editor/textures/TextureCommands.h"
#include "editor/textures/TexturesPane.h"
#include "editor/tree/QM4EditTreeView.h"
#include "editor/app/QM4EditApp.h"
#include "editor/ortho/QM4EditView.h"
#include "gui/Settings.h"
#include "scene/QM4EditDoc.h"
#include "scene/SceneEdit.h"
#include "texture/PixloomDoc.h"

using namespace qm4edit;

namespace {

struct Rgb {
    int r, g, b;
};
constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

// An 8 x 8 texture in four quadrants: red top left, green top right, blue bottom left, white
// bottom right.
bool WriteQuadrantTexture(const QString& path)
{
    texture::CPixloomDoc doc;
    doc.GetHeader().xRes = doc.GetHeader().yRes = 8;
    doc.GetHeader().bpp = 24;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const Rgb c = y < 4 ? (x < 4 ? kRed : kGreen) : (x < 4 ? kBlue : kWhite);
            std::uint8_t* p = doc.GetPixel(x, y);
            p[0] = std::uint8_t(c.b), p[1] = std::uint8_t(c.g), p[2] = std::uint8_t(c.r), p[3] = 0;
        }
    struct Silent final : common::IPrompt {
        void ShowMessage(const std::string&, common::MessageIcon) override {}
        bool AskYesNo(const std::string&, common::MessageIcon) override { return false; }
    } prompt;
    return doc.OnSaveDocument(common::PathFromUtf8(path.toStdString()), prompt);
}

template <std::size_t N>
std::array<std::uint8_t, N> Uv(float u, float v)
{
    std::array<std::uint8_t, N> r{};
    std::memcpy(r.data(), &u, 4);
    std::memcpy(r.data() + 4, &v, 4);
    return r;
}

// A square of side 20 in the x-y plane facing +z, two polygons of the given type word. The
// list the type selects maps the texture upright (v = 0 at the top edge); the other two
// lists hold it turned half round, so reading the wrong list shows.
scenegen::GenScene Quad(std::uint16_t type, const std::string& textureName)
{
    scenegen::GenScene s;
    s.vertices = {{-10, 10, 0}, {10, 10, 0}, {10, -10, 0}, {-10, -10, 0}};
    const float upright[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const int kind = scene::CQM4EditDoc::GetTextureVertexKind(type);
    for (int i = 0; i < 4; ++i) {
        const float* uv = upright[kind == 0 ? i : (i + 2) % 4];
        s.unlit.push_back(Uv<8>(uv[0], uv[1]));
        uv = upright[kind == 1 ? i : (i + 2) % 4];
        s.prelit.push_back(Uv<12>(uv[0], uv[1]));
        uv = upright[kind == 2 ? i : (i + 2) % 4];
        s.lit.push_back(Uv<15>(uv[0], uv[1]));
    }
    scenegen::GenObject o;
    for (auto [a, b, c] : {std::array<std::uint16_t, 3>{0, 1, 2}, std::array<std::uint16_t, 3>{0, 2, 3}}) {
        scenegen::GenPolygon p = fixtures::Tri(a, b, c);
        p.texVertex[0] = a, p.texVertex[1] = b, p.texVertex[2] = c;
        p.type = type;
        o.polygons.push_back(p);
    }
    o.hasBounds = 0;
    s.objects = {o};
    s.textureNames = {textureName};
    return s;
}

bool Near(QRgb px, Rgb want)
{
    return std::abs(qRed(px) - want.r) < 70 && std::abs(qGreen(px) - want.g) < 70 && std::abs(qBlue(px) - want.b) < 70;
}

// Pixels of the highlight colour the tests choose, cyan: no colour of the quadrant texture.
int CountHighlight(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            n += qRed(c) < 20 && qGreen(c) > 240 && qBlue(c) > 240;
        }
    return n;
}

struct TestApp {
    ScriptedGuiPrompt* prompt = nullptr;
    std::unique_ptr<CQM4EditApp> app;
    explicit TestApp(const QString& file)
    {
        auto p = std::make_unique<ScriptedGuiPrompt>();
        prompt = p.get();
        app = std::make_unique<CQM4EditApp>(std::move(p));
        app->InitInstance({"QM4Edit", file}, false);
    }
    CMainFrame& frame() { return *app->GetMainWnd(); }
};

} // namespace

class PerspectiveTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    scene::CQM4EditDoc m_doc;
    std::unique_ptr<CPerspectiveView> m_view;
    fixtures::FakeSelection m_sel;

    // Shows the scene head-on, filling the view, and returns the picture.
    QImage ShowHeadOn(const scenegen::GenScene& s)
    {
        const auto bytes = fixtures::Bytes(s);
        if (!m_doc.Serialize(bytes).Ok())
            return {};
        m_view->SetScene(common::PathFromUtf8(m_dir.path().toStdString()));
        m_view->grabFramebuffer(); // builds the scene and fits the camera
        m_view->Camera().pitch = 0;
        m_view->Camera().yaw = 0;
        m_view->fitScene();
        return m_view->grabFramebuffer();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
#ifdef Q_OS_WIN
        // Under wine the pane is greyed (FrameTest covers a greyed pane); on Windows itself
        // these run as on Linux.
        if (!CPerspectiveView::OpenGLUnavailableReason().isEmpty())
            QSKIP(qPrintable(CPerspectiveView::OpenGLUnavailableReason()));
#endif
        QVERIFY2(CPerspectiveView::OpenGLUnavailableReason().isEmpty(),
                 qPrintable(CPerspectiveView::OpenGLUnavailableReason()));
        QVERIFY(WriteQuadrantTexture(QDir(m_dir.path()).filePath("Quad.TEX")));
        m_view = std::make_unique<CPerspectiveView>(m_doc);
        m_view->resize(200, 200);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanupTestCase()
    {
        m_view.reset();
    }

    void texturesAreUprightForEveryKindAndFlip()
    {
        // The upper bits of the type word do not change the list.
        for (std::uint16_t type : {std::uint16_t(0x3401), std::uint16_t(0x1209), std::uint16_t(0xF20A)}) {
            for (bool flip : {false, true}) {
                m_view->SetFlipTextureV(flip);
                const QImage img = ShowHeadOn(Quad(type, "quad.tex"));
                QVERIFY(m_view->MissingTextures().isEmpty());
                const QString where = QString("type %1 flip %2").arg(type, 0, 16).arg(flip);
                const int c = 100, d = 30;
                QVERIFY2(Near(img.pixel(c - d, c - d), flip ? kBlue : kRed), qPrintable(where));
                QVERIFY2(Near(img.pixel(c + d, c - d), flip ? kWhite : kGreen), qPrintable(where));
                QVERIFY2(Near(img.pixel(c - d, c + d), flip ? kRed : kBlue), qPrintable(where));
                QVERIFY2(Near(img.pixel(c + d, c + d), flip ? kGreen : kWhite), qPrintable(where));
            }
        }
        m_view->SetFlipTextureV(false);
    }

    void missingTextureIsACheckerboardReportedOnce()
    {
        QSignalSpy spy(m_view.get(), &CPerspectiveView::StatusMessage);
        const QImage img = ShowHeadOn(Quad(0, "absent.tex"));
        int magenta = 0, black = 0;
        for (int y = 40; y < 160; ++y)
            for (int x = 40; x < 160; ++x) {
                magenta += Near(img.pixel(x, y), {255, 0, 255});
                black += Near(img.pixel(x, y), {0, 0, 0});
            }
        QVERIFY(magenta > 1000 && black > 1000);
        QCOMPARE(m_view->MissingTextures(), QStringList{"absent.tex"});
        m_view->grabFramebuffer();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toString(), QString("Missing textures: absent.tex"));
    }

    void selectionIsDrawnInTheHighlightColour()
    {
        fixtures::FakeSelection& sel = m_sel;
        m_view->SetSelection(&sel);
        m_view->SetHiliteColor(0xFFFF00);
        QCOMPARE(CountHighlight(ShowHeadOn(Quad(0, "quad.tex"))), 0);
        sel.kind = qm4edit::TreeItemKind::Polygon;
        sel.polygons = {{0, 1, 2}};
        const int polygon = CountHighlight(m_view->grabFramebuffer());
        sel.kind = qm4edit::TreeItemKind::Object;
        sel.polygons = {{0, 1, 2}, {0, 2, 3}};
        const int object = CountHighlight(m_view->grabFramebuffer());
        QVERIFY(polygon > 200);
        QVERIFY(object > polygon);
        sel.kind = qm4edit::TreeItemKind::Vertex;
        sel.data = 1;
        const int vertex = CountHighlight(m_view->grabFramebuffer());
        QVERIFY(vertex > 8 && vertex < 100);
        // Indices that name nothing draw nothing.
        sel.data = 4;
        QCOMPARE(CountHighlight(m_view->grabFramebuffer()), 0);
        sel.kind = qm4edit::TreeItemKind::Polygon;
        sel.polygons = {{0, 1, 60000}};
        QCOMPARE(CountHighlight(m_view->grabFramebuffer()), 0);
        m_view->SetSelection(nullptr);
    }

    // A click picks the face under it (Shift adds, Ctrl toggles), a drag orbits without
    // picking, Escape asks to clear; the picked faces are tinted and the rest drawn as before.
    void clickPicksTheFaceUnderItAndTheTintLeavesTheRestAlone()
    {
        CFaceSelection faces;
        m_view->SetFaceSelection(&faces);
        m_view->SetHiliteColor(0xFFFF00);
        const QImage plain = ShowHeadOn(Quad(0, "quad.tex"));
        QSignalSpy picks(m_view.get(), &CPerspectiveView::FacePicked);
        QSignalSpy clears(m_view.get(), &CPerspectiveView::FaceSelectionClearRequested);
        // Polygon 0 is the upper right half of the square, polygon 1 the lower left.
        const QPoint upperRight(140, 60), lowerLeft(60, 140);
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, upperRight);
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::ShiftModifier, lowerLeft);
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::ControlModifier, upperRight);
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QCOMPARE(picks.count(), 4);
        const QList<QVariantList> want = {{0, 0, int(FacePick::Replace)},
                                          {0, 1, int(FacePick::Add)},
                                          {0, 0, int(FacePick::Toggle)},
                                          {-1, -1, int(FacePick::Replace)}};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(picks[i], want[i]);

        // Escape asks only while faces are picked.
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QCOMPARE(clears.count(), 0);
        const FaceRef upper{0, 0};
        faces.Pick(&upper, FacePick::Replace);
        m_view->FaceSelectionChanged();
        const QImage tinted = m_view->grabFramebuffer();
        QVERIFY(tinted.pixel(upperRight) != plain.pixel(upperRight));
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                if (x < y - 3) // well inside the lower left half, or beside the square
                    QCOMPARE(tinted.pixel(x, y), plain.pixel(x, y));
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QCOMPARE(clears.count(), 1);

        // A drag turns the camera and picks nothing.
        const float yaw = m_view->Camera().yaw;
        QTest::mousePress(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(m_view.get(), QPoint(120, 100));
        QTest::mouseMove(m_view.get(), QPoint(140, 100));
        QTest::mouseRelease(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(140, 100));
        QVERIFY(m_view->Camera().yaw != yaw);
        QCOMPARE(picks.count(), 4);
        m_view->SetFaceSelection(nullptr);
    }

    void movedVertexRewritesOnlyItsCorners()
    {
        QImage before = ShowHeadOn(Quad(0, "quad.tex"));
        QVERIFY(Near(before.pixel(170, 170), kWhite) || before.pixel(170, 170) != before.pixel(2, 2));
        // Pull the bottom-right corner in: that part of the view shows background after.
        QVERIFY(m_doc.SetVertex(2, 0, 0, 0));
        QCOMPARE(m_view->Mesh().ChangedVertices(m_doc), std::vector<int>{2});
        m_doc.UpdateGeometry();
        m_view->OnUpdate();
        const QImage after = m_view->grabFramebuffer();
        QCOMPARE(after.pixel(150, 150), after.pixel(2, 2));
        QVERIFY(m_view->Mesh().ChangedVertices(m_doc).empty());
        QCOMPARE(m_view->Mesh().Vertices()[2].x, 0.0f); // first polygon's third corner
    }

    void retexturingRebuildsAndUndoShowsTheOldTexturesAgain()
    {
        const QImage before = ShowHeadOn(Quad(0, "quad.tex"));
        QVERIFY(Near(before.pixel(70, 70), kRed));
        QVERIFY(Near(before.pixel(70, 130), kBlue));
        // u mirrored on every texture vertex; the lower-left polygon gets a texture not on disk.
        scene::CSceneEdit edit;
        edit.SetTexVertices({{scene::TEXVERTEX_UNLIT, 0, 1, 0},
                             {scene::TEXVERTEX_UNLIT, 1, 0, 0},
                             {scene::TEXVERTEX_UNLIT, 2, 0, 1},
                             {scene::TEXVERTEX_UNLIT, 3, 1, 1}});
        edit.SetTextureNames({"quad.tex", "absent.tex"});
        edit.SetPolygonTextures({{{0, 1}, 1}});
        edit.Apply(m_doc);
        m_view->OnTexturingChanged();
        const QImage after = m_view->grabFramebuffer();
        QVERIFY(Near(after.pixel(130, 70), kRed));
        QVERIFY(Near(after.pixel(70, 130), {255, 0, 255}) || Near(after.pixel(70, 130), {0, 0, 0}));
        QCOMPARE(m_view->MissingTextures(), QStringList{"absent.tex"});
        edit.Revert(m_doc);
        m_view->OnTexturingChanged();
        QCOMPARE(m_view->grabFramebuffer(), before);
    }

    void perspectiveTakesTheViewportsPlaceAndResetGoesBackToTop()
    {
        const QString file = fixtures::WriteFile(m_dir.path(), "quad.qm4", fixtures::Bytes(Quad(0, "quad.tex")));
        TestApp t(file);
        CMainFrame& f = t.frame();
        QVERIFY(f.GetPerspectiveView());
        QVERIFY(f.Action(ID_VIEW_PERSPECTIVE)->isEnabled());
        f.Action(ID_VIEW_PERSPECTIVE)->trigger();
        QVERIFY(f.IsPerspective() && f.Action(ID_VIEW_PERSPECTIVE)->isChecked());
        QVERIFY(!f.Action(ID_VIEW_TOP)->isChecked());
        f.Action(ID_VIEW_FRONT)->trigger();
        QVERIFY(!f.IsPerspective() && f.Action(ID_VIEW_FRONT)->isChecked());
        f.Action(ID_VIEW_PERSPECTIVE)->trigger();
        f.Action(ID_VIEW_RESET)->trigger();
        QVERIFY(!f.IsPerspective());
        QCOMPARE(f.GetSceneView()->GetProjection(), qm4edit::Projection::Top);
        QVERIFY(f.Action(ID_VIEW_TOP)->isChecked());
        f.Action(ID_VIEW_FLIPTEXTUREV)->trigger();
        QVERIFY(f.GetPerspectiveView()->FlipTextureV());
        QCOMPARE(gui::ReadProfileInt("QM4Edit", "FlipTextureV", 0), 1);
        f.Action(ID_VIEW_FLIPTEXTUREV)->trigger();
    }

    // In the window: a click names the face in the status bar and the tree follows it; the
    // Textures pane gives it another texture, which the 3D view shows at once and after undo.
    void pickedFaceIsNamedFollowedAndRetexturedFromThePane()
    {
        scenegen::GenScene s = Quad(0, "quad.tex");
        s.textureNames.push_back("absent.tex");
        const QString file = fixtures::WriteFile(m_dir.path(), "pick.qm4", fixtures::Bytes(s));
        TestApp t(file);
        CMainFrame& f = t.frame();
        f.resize(700, 500);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.Action(ID_VIEW_PERSPECTIVE)->trigger();
        f.Action(ID_VIEW_TEXTURES)->trigger();
        QApplication::processEvents();
        CPerspectiveView& view = *f.GetPerspectiveView();
        view.grabFramebuffer();
        view.Camera().pitch = 0;
        view.Camera().yaw = 0;
        view.fitScene();
        view.grabFramebuffer();
        const int side = std::min(view.width(), view.height());
        const QPoint upperRight(view.width() / 2 + side / 5, view.height() / 2 - side / 5);

        QVERIFY(view.grabFramebuffer().rect().contains(upperRight + QPoint(6, 6)));
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, upperRight);
        QCOMPARE(f.statusBar()->currentMessage(), QString("Object 1, Polygon 1, texture quad.tex"));
        QCOMPARE(f.GetTreeView()->GetSelectedKind(), qm4edit::TreeItemKind::Polygon);
        QCOMPARE(f.GetTreeView()->GetSelectedData(), 0);
        QCOMPARE(f.Textures().Faces().Count(), std::size_t(1));
        QVERIFY(Near(view.grabFramebuffer().pixel(upperRight), kGreen) == false); // tinted

        CTexturesPane& pane = f.Textures().Pane();
        pane.SetCurrentTexture(1);
        QTest::keyClick(pane.List(), Qt::Key_Return);
        QCOMPARE(t.app->GetDocument().GetPolygon(0, 0).texture, 1);
        // Escape lets the face go; the checkerboard of the missing texture shows there.
        view.requestActivate();
        QTest::keyClick(&view, Qt::Key_Escape);
        QVERIFY(f.Textures().Faces().IsEmpty());
        // The checkerboard's squares, magenta or black, around the point.
        auto magentaNear = [](const QImage& img, QPoint p) {
            int n = 0;
            for (int dy = -6; dy <= 6; ++dy)
                for (int dx = -6; dx <= 6; ++dx) {
                    const QRgb c = img.pixel((p + QPoint(dx, dy)) * img.devicePixelRatio());
                    n += Near(c, {255, 0, 255}) || Near(c, {0, 0, 0});
                }
            return n;
        };
        QVERIFY(magentaNear(view.grabFramebuffer(), upperRight) > 10);
        f.Action(ID_EDIT_UNDO)->trigger();
        QCOMPARE(t.app->GetDocument().GetPolygon(0, 0).texture, 0);
        QCOMPARE(magentaNear(view.grabFramebuffer(), upperRight), 0);
        t.prompt->QueueSaveChanges(gui::SaveChangesAnswer::No);
    }

    void withoutOpenGLPerspectiveIsGreyedAndTheRestWorks()
    {
        const QString file = fixtures::WriteFile(m_dir.path(), "quad.qm4", fixtures::Bytes(Quad(0, "quad.tex")));
        CPerspectiveView::ForceOpenGLUnavailable("no OpenGL 3.3 context could be made");
        TestApp t(file);
        CPerspectiveView::ForceOpenGLUnavailable({});
        CMainFrame& f = t.frame();
        QVERIFY(!f.GetPerspectiveView());
        f.UpdateActions();
        QVERIFY(!f.Action(ID_VIEW_PERSPECTIVE)->isEnabled());
        const QString why = "Perspective view unavailable: no OpenGL 3.3 context could be made";
        QCOMPARE(f.statusBar()->currentMessage(), why);
        QCOMPARE(f.Action(ID_VIEW_PERSPECTIVE)->statusTip(), why);
        f.Action(ID_VIEW_PERSPECTIVE)->trigger();
        QVERIFY(!f.IsPerspective());
        f.Action(ID_VIEW_SIDE)->trigger();
        QCOMPARE(f.GetSceneView()->GetProjection(), qm4edit::Projection::Side);
        QVERIFY(f.Action(ID_VIEW_SIDE)->isChecked());
    }
};

int RunPerspectiveTests(int argc, char** argv)
{
    PerspectiveTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "PerspectiveTest.moc"
