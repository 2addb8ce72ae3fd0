// The texture tool driven through its menus, headless, with every dialog scripted.

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QWheelEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "DropSimulation.h"
#include "MenuWalk.h"
#include "ScriptedGuiPrompt.h"
#include "gui/FileAssocDlg.h"
#include "gui/Settings.h"
#include "interchange/ImageCodec.h"
#include "pixloom/AboutDlg.h"
#include "pixloom/MainFrame.h"
#include "pixloom/PixloomApp.h"
#include "pixloom/PixloomStrings.h"
#include "pixloom/PixloomView.h"
#include "pixloom/Resource.h"
#include "pixloom/TexHeaderDlg.h"
#include "texture/PixloomDoc.h"
#include "texture/TexFormat.h"
#include "texture/TexMessages.h"

using namespace pixloom;

namespace {

// An asymmetric, colour-distinct pattern: a swapped channel, a mirror or an upside-down row
// changes what is read back.
void PatternPixel(int x, int y, std::uint8_t* bgra)
{
    bgra[0] = static_cast<std::uint8_t>(x * 5 + 1);
    bgra[1] = static_cast<std::uint8_t>(y * 9 + 2);
    bgra[2] = static_cast<std::uint8_t>(x * 3 + y * 2 + 40);
    bgra[3] = static_cast<std::uint8_t>(x + y);
}

void PutI32(QByteArray& out, std::int32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
}

QByteArray TexBytes(int w, int h, int bpp, const std::uint8_t* filler = nullptr)
{
    QByteArray out;
    for (int i = 0; i < texture::TEX_FILLER_SIZE; ++i)
        out.append(static_cast<char>(filler ? filler[i] : 0xA0 + i));
    PutI32(out, w);
    PutI32(out, h);
    PutI32(out, bpp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t p[4];
            PatternPixel(x, y, p);
            out.append(reinterpret_cast<const char*>(p), bpp / 8);
        }
    return out;
}

// An uncompressed Targa of one colour, bottom row first.
QByteArray TargaBytes(int w, int h, int depth, const std::uint8_t* bgra)
{
    QByteArray out(18, '\0');
    out[2] = 2;
    out[12] = static_cast<char>(w & 0xFF);
    out[13] = static_cast<char>(w >> 8);
    out[14] = static_cast<char>(h & 0xFF);
    out[15] = static_cast<char>(h >> 8);
    out[16] = static_cast<char>(depth);
    for (int i = 0; i < w * h; ++i)
        out.append(reinterpret_cast<const char*>(bgra), depth / 8);
    return out;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void Trigger(CMainFrame* frame, int id)
{
    QAction* action = frame->GetAction(id);
    QVERIFY2(action, qPrintable(QString("no command %1").arg(id)));
    action->trigger();
}

bool Enabled(CMainFrame* frame, int id)
{
    return frame->GetAction(id)->isEnabled();
}

// Remembers whether the wait cursor was up while a question was on screen.
class CursorWatchingPrompt : public ScriptedGuiPrompt {
public:
    bool AskYesNo(const std::string& text, common::MessageIcon icon) override
    {
        m_waitCursorDuringQuestion = QApplication::overrideCursor() != nullptr;
        return ScriptedGuiPrompt::AskYesNo(text, icon);
    }
    bool m_waitCursorDuringQuestion = false;
};

QRgb ViewColor(std::uint32_t colorref)
{
    return qRgb(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

} // namespace

class PixloomTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    }

    void init() { QSettings(gui::kCompanyKey, "Pixloom").clear(); }

    // Keyboard users reach every item by Alt, the menu's key and the item's key, with the view
    // holding the focus.
    void everyMenuItemAnswersItsAccessKey()
    {
        const QString tex = Path("walk.tex");
        QVERIFY(WriteAll(tex, TexBytes(16, 8, 32)));
        menuwalk::CancellingPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({tex}));
        CMainFrame& frame = *app.GetMainFrame();
        QVERIFY(QTest::qWaitForWindowActive(&frame));

        menuwalk::Walker walk(frame, [&frame] { return frame.GetActiveView(); });
        const QStringList failures = walk.Run();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
        for (const char* item :
             {"&View > &Fit to Window\tCtrl+9", "&View > A&lpha", "H&eader > &Show...", "&Options > &Background..."})
            QVERIFY2(walk.Reached().contains(item), item);
    }

    void commandsFollowLoadedAndModifiedFlags()
    {
        const QString tex = Path("wall.tex");
        QVERIFY(WriteAll(tex, TexBytes(16, 8, 24)));

        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.GetMainFrame();
        QVERIFY(frame->isVisible());

        const int always[] = {ID_FILE_OPEN,          ID_FILE_NEW,          ID_APP_EXIT,
                              ID_OPTIONS_BACKGROUND, ID_OPTIONS_ASSOCIATE, ID_APP_ABOUT};
        const int needTexture[] = {ID_FILE_IMPORT, ID_FILE_EXPORT, ID_HEADER_SHOW};
        auto expect = [&](bool loaded, bool savable) {
            for (int id : always)
                QVERIFY2(Enabled(frame, id), qPrintable(QString::number(id)));
            for (int id : needTexture)
                QCOMPARE(Enabled(frame, id), loaded);
            QCOMPARE(Enabled(frame, ID_FILE_SAVE), savable);
            QCOMPARE(Enabled(frame, ID_FILE_SAVE_AS), savable);
        };
        expect(false, false);
        QCOMPARE(frame->windowTitle(), QString("Untitled[*] - Pixloom"));

        prompt.QueueFileName(tex);
        Trigger(frame, ID_FILE_OPEN);
        const gui::FileDialogOptions& open = prompt.FileDialogs().back();
        QVERIFY(prompt.LastDialogWasOpen());
        QCOMPARE(open.filter, QString(texture::msg::TEX_FILTER));
        QVERIFY(open.fileMustExist);
        QVERIFY(open.defaultExt.isEmpty());
        QVERIFY(open.initialName.isEmpty());
        QVERIFY(app.GetDocument().IsLoaded());
        expect(true, false);
        QCOMPARE(frame->windowTitle(), QString("wall.tex[*] - Pixloom"));
        QVERIFY(!frame->isWindowModified());
        QCOMPARE(app.GetRecentFiles().Files().value(0), QDir::toNativeSeparators(tex));

        // Our own export, imported straight back, is the simplest import there is.
        const QString tga = Path("wall.tga");
        prompt.QueueFileName(tga);
        Trigger(frame, ID_FILE_EXPORT);
        expect(true, false);
        prompt.QueueFileName(tga);
        Trigger(frame, ID_FILE_IMPORT);
        expect(true, true);
        QVERIFY(frame->isWindowModified());

        // Replacing a modified texture asks first; Cancel keeps it, No lets it go.
        prompt.QueueSaveChanges(gui::SaveChangesAnswer::Cancel);
        Trigger(frame, ID_FILE_NEW);
        QVERIFY(app.GetDocument().IsLoaded());
        QVERIFY(prompt.All().back().text.find(QDir::toNativeSeparators(tex).toStdString()) != std::string::npos);
        prompt.QueueSaveChanges(gui::SaveChangesAnswer::No);
        Trigger(frame, ID_FILE_NEW);
        QVERIFY(!app.GetDocument().IsLoaded());
        expect(false, false);
        QCOMPARE(frame->windowTitle(), QString("Untitled[*] - Pixloom"));
        QVERIFY(prompt.ScriptUsedUp());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void keysReachTheirCommands()
    {
        const QString tex = Path("keys.tex");
        QVERIFY(WriteAll(tex, TexBytes(4, 4, 32)));
        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.GetMainFrame();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));

        prompt.QueueFileName(tex);
        QTest::keyClick(frame, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(app.GetDocument().IsLoaded());
        // Nothing to save yet, and the editing keys lead nowhere: no dialog may appear.
        QTest::keyClick(frame, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(frame, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(frame, Qt::Key_F6);
        QCOMPARE(prompt.FileDialogs().size(), std::size_t(1));
        QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(!app.GetDocument().IsLoaded());
        QVERIFY(prompt.ScriptUsedUp());
    }

    void recentFilesAppearInTheFileMenuAndOpen()
    {
        const QString a = Path("a.tex"), b = Path("b.tex");
        QVERIFY(WriteAll(a, TexBytes(4, 4, 32)));
        QVERIFY(WriteAll(b, TexBytes(6, 2, 16)));
        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({a}));
        QVERIFY(app.GetMainFrame()->OpenDocumentFile(b));

        QMenu* file = app.GetMainFrame()->GetFileMenu();
        emit file->aboutToShow();
        QAction* first = app.GetMainFrame()->GetAction(ID_FILE_MRU_FILE1);
        QAction* second = app.GetMainFrame()->GetAction(ID_FILE_MRU_FILE1 + 1);
        QVERIFY(first && second);
        QCOMPARE(first->text(), "&1 " + QDir::toNativeSeparators(b));
        QVERIFY(file->actions().contains(second));
        second->trigger();
        QCOMPARE(app.GetDocument().GetHeader().xRes, 4);

        // An entry whose file has gone leaves the list once it fails to open.
        QVERIFY(QFile::remove(b));
        emit file->aboutToShow();
        app.GetMainFrame()->GetAction(ID_FILE_MRU_FILE1 + 1)->trigger();
        QCOMPARE(app.GetRecentFiles().Files(), QStringList{QDir::toNativeSeparators(a)});
        QCOMPARE(prompt.All().size(), std::size_t(1));
    }

    void viewDrawsTextureTopLeftClippedOverBackground()
    {
        const int w = 300, h = 200;
        const QString tex = Path("big.tex");
        QVERIFY(WriteAll(tex, TexBytes(w, h, 32)));
        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({tex}));
        CMainFrame* frame = app.GetMainFrame();
        CPixloomView* view = frame->GetActiveView();
        std::uint32_t bk = 0x00336699;
        view->SetBkColor(bk);

        auto check = [&](const char* what) {
            const QImage img = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(img.size(), view->size());
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    QRgb want = ViewColor(bk);
                    if (x < w && y < h && app.GetDocument().IsLoaded()) {
                        std::uint8_t p[4];
                        PatternPixel(x, y, p);
                        want = qRgb(p[2], p[1], p[0]);
                    }
                    if (img.pixel(x, y) != want)
                        QFAIL(qPrintable(QString("%1: pixel (%2, %3) is %4, expected %5")
                                             .arg(what)
                                             .arg(x)
                                             .arg(y)
                                             .arg(img.pixel(x, y), 8, 16)
                                             .arg(want, 8, 16)));
                }
        };

        frame->resize(500, 400);
        QTRY_VERIFY(view->width() > w && view->height() > h);
        check("large window");

        frame->resize(150, 120);
        QTRY_VERIFY(view->width() < w && view->height() < h);
        check("small window");

        prompt.QueueColor(0x00FF0000);
        Trigger(frame, ID_OPTIONS_BACKGROUND);
        QCOMPARE(prompt.ColorInitials().back(), bk);
        QCOMPARE(view->GetBkColor(), std::uint32_t(0x00FF0000));
        bk = 0x00FF0000;
        check("new background");

        Trigger(frame, ID_FILE_NEW);
        frame->resize(500, 400);
        QTRY_VERIFY(view->width() > w);
        check("nothing loaded");
    }

    void headerAndAboutDialogsShowWhatTheyShould()
    {
        std::uint8_t filler[texture::TEX_FILLER_SIZE];
        for (int i = 0; i < texture::TEX_FILLER_SIZE; ++i)
            filler[i] = static_cast<std::uint8_t>(i);
        const QString tex = Path("hdr.tex");
        QVERIFY(WriteAll(tex, TexBytes(8, 4, 32, filler)));
        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({tex}));

        QString fillerText, xRes, yRes, bpp, title;
        bool numbersReadOnly = false, fillerEditable = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CTexHeaderDlg*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            title = dlg->windowTitle();
            fillerText = dlg->FillerEdit()->text();
            xRes = dlg->XResEdit()->text();
            yRes = dlg->YResEdit()->text();
            bpp = dlg->BppEdit()->text();
            numbersReadOnly =
                dlg->XResEdit()->isReadOnly() && dlg->YResEdit()->isReadOnly() && dlg->BppEdit()->isReadOnly();
            fillerEditable = !dlg->FillerEdit()->isReadOnly();
            // An edited filler, confirmed with OK, must not reach the document.
            dlg->FillerEdit()->setText("FFFF FFFF");
            dlg->accept();
        });
        Trigger(app.GetMainFrame(), ID_HEADER_SHOW);
        QCOMPARE(title, QString("TEX Header"));
        QCOMPARE(fillerText, QString("0001 0203 0405 0607 0809 0A0B 0C0D 0E0F 1011 1213"));
        QCOMPARE(fillerText.size(), 49);
        QCOMPARE(xRes, QString("8"));
        QCOMPARE(yRes, QString("4"));
        QCOMPARE(bpp, QString("32"));
        QVERIFY(numbersReadOnly);
        QVERIFY(fillerEditable);
        QVERIFY(std::equal(filler, filler + texture::TEX_FILLER_SIZE, app.GetDocument().GetHeader().filler));
        QVERIFY(!app.GetDocument().IsModified());

        QString version, info;
        bool infoReadOnly = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CPixloomAboutDlg*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            title = dlg->windowTitle();
            for (QLabel* label : dlg->findChildren<QLabel*>())
                if (label->text().startsWith("Pixloom"))
                    version = label->text();
            info = dlg->InfoEdit()->toPlainText();
            infoReadOnly = dlg->InfoEdit()->isReadOnly();
            dlg->accept();
        });
        Trigger(app.GetMainFrame(), ID_APP_ABOUT);
        QCOMPARE(title, QString("About Pixloom"));
        QCOMPARE(version, QString("Pixloom Version 1.2"));
        QVERIFY(!info.isEmpty());
        QVERIFY(infoReadOnly);

        // The association dialog carries the texture tool's values; Cancel does nothing.
        QString setReset, remove;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<gui::CFileAssocDlg*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            title = dlg->windowTitle();
            setReset = dlg->SetResetButton()->text();
            remove = dlg->RemoveButton()->text();
            dlg->reject();
        });
        Trigger(app.GetMainFrame(), ID_OPTIONS_ASSOCIATE);
        QCOMPARE(title, QString("TEX File Associations"));
        QCOMPARE(setReset, QString("Set/Reset TEX File Associations"));
        QCOMPARE(remove, QString("Remove TEX File Associations"));
        QVERIFY(prompt.All().empty());
    }

    void backgroundAndShowStyleSurviveARestart()
    {
        {
            ScriptedGuiPrompt prompt;
            CPixloomApp app(&prompt);
            QVERIFY(app.InitInstance({}));
            CPixloomView* view = app.GetMainFrame()->GetActiveView();
            QCOMPARE(view->GetBkColor(), std::uint32_t(16777215));
            QVERIFY(!(app.GetMainFrame()->windowState() & Qt::WindowMaximized));

            prompt.QueueColor(0x00112233);
            Trigger(app.GetMainFrame(), ID_OPTIONS_BACKGROUND);
            prompt.QueueColor(std::nullopt); // Cancel changes nothing
            Trigger(app.GetMainFrame(), ID_OPTIONS_BACKGROUND);
            QCOMPARE(prompt.ColorInitials().back(), std::uint32_t(0x00112233));
            QCOMPARE(view->GetBkColor(), std::uint32_t(0x00112233));
            app.GetMainFrame()->showMaximized();
        }
        QSettings s(gui::kCompanyKey, "Pixloom");
        QCOMPARE(s.value("Settings/BkColor").toInt(), 0x00112233);
        QCOMPARE(s.value("Settings/WindowShowStyle").toInt(), 3);

        {
            ScriptedGuiPrompt prompt;
            CPixloomApp app(&prompt);
            QVERIFY(app.InitInstance({}));
            QCOMPARE(app.GetMainFrame()->GetActiveView()->GetBkColor(), std::uint32_t(0x00112233));
            QVERIFY(app.GetMainFrame()->windowState() & Qt::WindowMaximized);
            app.GetMainFrame()->showMinimized();
        }
        QCOMPARE(QSettings(gui::kCompanyKey, "Pixloom").value("Settings/WindowShowStyle").toInt(), 2);

        // A start that fails never showed a window: the stored state stays.
        {
            ScriptedGuiPrompt prompt;
            CPixloomApp app(&prompt);
            QVERIFY(!app.InitInstance({Path("missing.tex")}));
        }
        QCOMPARE(QSettings(gui::kCompanyKey, "Pixloom").value("Settings/WindowShowStyle").toInt(), 2);

        // A stored state that would hide the window opens it normally.
        gui::WriteProfileInt("Pixloom", "WindowShowStyle", 0);
        {
            ScriptedGuiPrompt prompt;
            CPixloomApp app(&prompt);
            QVERIFY(app.InitInstance({}));
            QVERIFY(app.GetMainFrame()->isVisible());
            QCOMPARE(app.GetMainFrame()->GetShowStyle(), 1);
        }
    }

    void exportThenImportThroughTheMenus()
    {
        const int w = 12, h = 7;
        const QString tex = Path("crate.tex");
        QVERIFY(WriteAll(tex, TexBytes(w, h, 24)));
        CursorWatchingPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({tex}));
        CMainFrame* frame = app.GetMainFrame();
        texture::CPixloomDoc& doc = app.GetDocument();

        const QString tga = Path("crate.tga");
        prompt.QueueFileName(tga);
        Trigger(frame, ID_FILE_EXPORT);
        const gui::FileDialogOptions exportDlg = prompt.FileDialogs().back();
        QVERIFY(!prompt.LastDialogWasOpen());
        QCOMPARE(exportDlg.filter, QString(str::EXPORT_FILTER));
        QCOMPARE(exportDlg.defaultExt, QString("tga"));
        QCOMPARE(exportDlg.initialName, QString("crate.tga"));
        QVERIFY(exportDlg.overwritePrompt);
        QVERIFY(!doc.IsModified());

        QByteArray targa = ReadAll(tga);
        QCOMPARE(targa.size(), 18 + w * h * 3);
        QCOMPARE(int(targa[2]), 2);
        QCOMPARE(int(targa[16]), 24);
        // Bottom row first.
        std::uint8_t p[4];
        PatternPixel(0, h - 1, p);
        QCOMPARE(std::uint8_t(targa[18]), p[0]);

        // Edited elsewhere: every channel inverted.
        for (int i = 18; i < targa.size(); ++i)
            targa[i] = static_cast<char>(255 - std::uint8_t(targa[i]));
        QVERIFY(WriteAll(tga, targa));
        prompt.QueueFileName(tga);
        Trigger(frame, ID_FILE_IMPORT);
        const gui::FileDialogOptions importDlg = prompt.FileDialogs().back();
        QVERIFY(prompt.LastDialogWasOpen());
        // Both dialogs offer Targa first; PNG and BMP come after it.
        QVERIFY(importDlg.filter.startsWith("Targa Files (*.tga)|*.tga|"));
        QVERIFY(exportDlg.filter.startsWith("Targa Files (*.tga)|*.tga|PNG Image (*.png)|*.png|"));
        QCOMPARE(importDlg.defaultExt, QString("tga"));
        QCOMPARE(importDlg.initialName, QString("crate.tga"));
        QVERIFY(importDlg.fileMustExist);
        QVERIFY(doc.IsModified());
        PatternPixel(5, 3, p);
        QCOMPARE(doc.GetPixel(5, 3)[2], std::uint8_t(255 - p[2]));
        QCOMPARE(frame->GetActiveView()->grab().toImage().pixel(5, 3), qRgb(255 - p[2], 255 - p[1], 255 - p[0]));

        // A deeper Targa asks first: No changes nothing, Yes takes its pixels.
        const std::uint8_t deep[4] = {1, 2, 3, 200};
        const QString tga32 = Path("deep.tga");
        QVERIFY(WriteAll(tga32, TargaBytes(w, h, 32, deep)));
        prompt.QueueFileName(tga32);
        prompt.QueueYesNo(false);
        Trigger(frame, ID_FILE_IMPORT);
        QVERIFY(prompt.All().back().question);
        QCOMPARE(prompt.All().back().icon, common::MessageIcon::Exclamation);
        QVERIFY(QString::fromStdString(prompt.All().back().text)
                    .startsWith("The Targa image has a bit-per-pixel level of 32 while the original TEX image has a "
                                "BPP level of 24.  Do you want me to downgrade"));
        QVERIFY(!prompt.m_waitCursorDuringQuestion);
        QCOMPARE(doc.GetPixel(5, 3)[2], std::uint8_t(255 - p[2]));

        prompt.QueueFileName(tga32);
        prompt.QueueYesNo(true);
        Trigger(frame, ID_FILE_IMPORT);
        QCOMPARE(doc.GetPixel(w - 1, h - 1)[0], std::uint8_t(1));
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // Save writes the texture at its own depth, with its own header, over the file.
        QVERIFY(Enabled(frame, ID_FILE_SAVE));
        Trigger(frame, ID_FILE_SAVE);
        QVERIFY(!doc.IsModified());
        QVERIFY(!Enabled(frame, ID_FILE_SAVE));
        const QByteArray saved = ReadAll(tex);
        QCOMPARE(saved.size(), 32 + w * h * 3);
        QCOMPARE(saved.left(32), TexBytes(w, h, 24).left(32));
        QCOMPARE(saved.mid(32, 3), QByteArray("\x01\x02\x03", 3));

        ScriptedGuiPrompt quiet;
        texture::CPixloomDoc reopened;
        QVERIFY(reopened.OnOpenDocument(ToDocPath(tex), quiet));
        QCOMPARE(reopened.GetPixel(3, 3)[1], std::uint8_t(2));
        QVERIFY(prompt.ScriptUsedUp());
    }

    void closingWithUnsavedChangesAsksFirst()
    {
        const QString tex = Path("close.tex");
        QVERIFY(WriteAll(tex, TexBytes(4, 4, 32)));
        const QString tga = Path("close.tga");
        const std::uint8_t red[4] = {0, 0, 255, 255};
        QVERIFY(WriteAll(tga, TargaBytes(4, 4, 32, red)));

        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({tex}));
        CMainFrame* frame = app.GetMainFrame();
        prompt.QueueFileName(tga);
        Trigger(frame, ID_FILE_IMPORT);
        QVERIFY(app.GetDocument().IsModified());

        prompt.QueueSaveChanges(gui::SaveChangesAnswer::Cancel);
        QVERIFY(!frame->close());
        QVERIFY(frame->isVisible());
        QCOMPARE(ReadAll(tex), TexBytes(4, 4, 32));

        // Yes saves, and only then the window goes.
        prompt.QueueSaveChanges(gui::SaveChangesAnswer::Yes);
        QVERIFY(frame->close());
        QCOMPARE(ReadAll(tex).mid(32, 4), QByteArray("\x00\x00\xff\xff", 4));

        // Save As to a fresh name makes it the document's and puts it first in the list.
        QVERIFY(app.GetMainFrame()->OpenDocumentFile(tex));
        prompt.QueueFileName(tga);
        Trigger(frame, ID_FILE_IMPORT);
        const QString copy = Path("copy.tex");
        prompt.QueueFileName(copy);
        Trigger(frame, ID_FILE_SAVE_AS);
        const gui::FileDialogOptions& saveAs = prompt.FileDialogs().back();
        QCOMPARE(saveAs.filter, QString(texture::msg::TEX_FILTER));
        QCOMPARE(saveAs.defaultExt, QString("tex"));
        QVERIFY(saveAs.initialName.isEmpty());
        QVERIFY(saveAs.overwritePrompt);
        QCOMPARE(frame->windowTitle(), QString("copy.tex[*] - Pixloom"));
        QCOMPARE(app.GetRecentFiles().Files().value(0), QDir::toNativeSeparators(copy));
        QCOMPARE(ReadAll(copy).size(), 32 + 4 * 4 * 4);
    }

    void zoomChannelsAndPixelReadout()
    {
        const QString tex = Path("zoom.tex");
        QVERIFY(WriteAll(tex, TexBytes(300, 200, 32)));
        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({tex}));
        CMainFrame* frame = app.GetMainFrame();
        CPixloomView* view = frame->GetActiveView();
        view->SetBkColor(0x00336699);
        auto shown = [&](int x, int y) { return view->viewport()->grab().toImage().pixel(x, y); };
        std::uint8_t p[4];

        // Two steps in: every texture pixel is a 4x4 block, and the picture scrolls.
        Trigger(frame, ID_VIEW_ZOOM_IN);
        Trigger(frame, ID_VIEW_ZOOM_IN);
        QCOMPARE(view->GetZoomLog2(), 2);
        view->horizontalScrollBar()->setValue(0);
        view->verticalScrollBar()->setValue(0);
        PatternPixel(3, 1, p);
        QCOMPARE(shown(13, 7), qRgb(p[2], p[1], p[0]));
        QVERIFY(view->horizontalScrollBar()->maximum() > 0);
        view->horizontalScrollBar()->setValue(40);
        PatternPixel(13, 1, p);
        QCOMPARE(shown(13, 7), qRgb(p[2], p[1], p[0]));

        // The wheel zooms about the pointer: the pixel under it stays under it.
        const QPoint at(101, 77);
        const std::optional<QPoint> before = view->TexturePixelAt(at);
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QCOMPARE(view->GetZoomLog2(), 3);
        QCOMPARE(view->TexturePixelAt(at), before);

        // The steps end at 1/8; the last step disables the command.
        for (int i = 0; i < 10; ++i)
            Trigger(frame, ID_VIEW_ZOOM_OUT);
        QCOMPARE(view->GetZoomLog2(), -3);
        frame->UpdateActions();
        QVERIFY(!Enabled(frame, ID_VIEW_ZOOM_OUT));
        Trigger(frame, ID_VIEW_ACTUAL_SIZE);
        QCOMPARE(view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32),
                 RenderTexture(app.GetDocument(), 0x00336699, view->viewport()->size()));

        // One channel as grey; the radio set keeps one mark.
        Trigger(frame, ID_VIEW_CHANNEL_ALPHA);
        PatternPixel(5, 3, p);
        QCOMPARE(shown(5, 3), qRgb(p[3], p[3], p[3]));
        Trigger(frame, ID_VIEW_CHANNEL_GREEN);
        QCOMPARE(shown(5, 3), qRgb(p[1], p[1], p[1]));
        QVERIFY(frame->GetAction(ID_VIEW_CHANNEL_GREEN)->isChecked());
        QVERIFY(!frame->GetAction(ID_VIEW_CHANNEL_ALPHA)->isChecked());
        Trigger(frame, ID_VIEW_CHANNEL_RGB);

        // The status bar reads the pixel under the pointer back.
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 3), view->viewport()->mapToGlobal(QPointF(5, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
        QStringList texts;
        for (QLabel* label : frame->statusBar()->findChildren<QLabel*>())
            texts << label->text();
        QVERIFY2(
            texts.contains(QString("X: 5  Y: 3  R: %1  G: %2  B: %3  A: %4").arg(p[2]).arg(p[1]).arg(p[0]).arg(p[3])),
            qPrintable(texts.join('|')));
        QVERIFY2(texts.contains("300 x 200, 32 bpp, 100%"), qPrintable(texts.join('|')));
        Trigger(frame, ID_VIEW_STATUS_BAR);
        QVERIFY(frame->statusBar()->isHidden());

        // A 16-bit texture keeps one alpha bit: black or white, never a dark grey.
        QVERIFY(WriteAll(tex, TexBytes(8, 8, 16)));
        Trigger(frame, ID_FILE_RELOAD);
        Trigger(frame, ID_VIEW_CHANNEL_ALPHA);
        for (int x = 0; x < 8; ++x) {
            const QRgb c = shown(x, 2);
            QVERIFY(c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255));
        }
    }

    // The real dialogs, not the scripted ones: they open where the texture lives, whatever
    // folder the program started in.
    void exportAndImportDialogsOpenInTheTexturesFolder()
    {
        QDir(m_dir.path()).mkpath("deep/er");
        const QString tex = Path("deep/er/wall.tex");
        QVERIFY(WriteAll(tex, TexBytes(4, 4, 24)));
        CPixloomApp app(nullptr);
        QVERIFY(app.InitInstance({tex}));
        for (int id : {ID_FILE_EXPORT, ID_FILE_IMPORT}) {
            QString folder, name;
            QTimer::singleShot(0, [&] {
                if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    folder = dlg->directory().absolutePath();
                    name = QFileInfo(dlg->selectedFiles().value(0)).absoluteFilePath();
                    dlg->reject();
                }
            });
            Trigger(app.GetMainFrame(), id);
            QCOMPARE(folder, QFileInfo(tex).absolutePath());
            QCOMPARE(name, QFileInfo(Path("deep/er/wall.tga")).absoluteFilePath());
        }
    }

    void droppedTextureOpensAndDroppedImageImportsAfterAsking()
    {
        const QString tex = Path("drop.tex"), tga = Path("drop red.tga"), png = Path("drop.png");
        QVERIFY(WriteAll(tex, TexBytes(4, 3, 24)));
        const std::uint8_t red[4] = {0, 0, 255, 255};
        QVERIFY(WriteAll(tga, TargaBytes(4, 3, 24, red)));
        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.GetMainFrame();
        const auto url = [](const QString& p) { return QUrl::fromLocalFile(p); };

        // Without a texture there is nothing to import into.
        QVERIFY(!DropUrls(frame, {url(tga)}));
        QVERIFY(DropUrls(frame, {url(tex)}));
        QCOMPARE(frame->windowTitle(), QString("drop.tex[*] - Pixloom"));
        // Refused before they land: several files, a web address, another kind of file.
        QVERIFY(!DropUrls(frame, {url(tga), url(png)}));
        QVERIFY(!DropUrls(frame, {QUrl("https://example.com/drop.tex")}));
        QVERIFY(!DropUrls(frame, {url(Path("drop.txt"))}));
        QVERIFY(prompt.All().empty());

        prompt.QueueYesNo(false);
        QVERIFY(DropUrls(frame, {url(tga)}));
        QCOMPARE(prompt.All().back().text, std::string("Import drop red.tga into the texture?"));
        QVERIFY(prompt.All().back().question);
        QVERIFY(!frame->isWindowModified());
        prompt.QueueYesNo(true);
        QVERIFY(DropUrls(frame, {url(tga)}));
        QVERIFY(frame->isWindowModified());
        QCOMPARE(app.GetDocument().GetPixel(3, 2)[2], std::uint8_t(255));

        // A second texture over the modified one asks to save first, as Open does.
        prompt.QueueSaveChanges(gui::SaveChangesAnswer::Cancel);
        QVERIFY(DropUrls(frame, {url(tex)}));
        QVERIFY(frame->isWindowModified());
        QVERIFY(prompt.ScriptUsedUp());
    }

    void pngExportCarriesTheTargaPixelsAndImportsBack()
    {
        for (const int bpp : {16, 24, 32}) {
            const int w = 7, h = 5;
            const QString tex = Path(QString("png%1.tex").arg(bpp));
            QVERIFY(WriteAll(tex, TexBytes(w, h, bpp)));
            ScriptedGuiPrompt prompt;
            CPixloomApp app(&prompt);
            QVERIFY(app.InitInstance({tex}));
            CMainFrame* frame = app.GetMainFrame();
            const QString tga = Path("same.tga"), png = Path("same.png");
            prompt.QueueFileName(tga);
            Trigger(frame, ID_FILE_EXPORT);
            prompt.QueueFileName(png);
            Trigger(frame, ID_FILE_EXPORT);
            const interchange::DecodeResult decoded = interchange::DecodeImageFile(png.toStdString());
            QVERIFY2(decoded.image, decoded.message.c_str());
            QCOMPARE(decoded.image->hasAlpha, bpp != 24);
            const QByteArray targa = ReadAll(tga);
            const auto* t = reinterpret_cast<const std::uint8_t*>(targa.constData()) + 18;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const std::uint8_t* src = t + ((h - 1 - y) * w + x) * (bpp / 8);
                    std::uint8_t want[4] = {src[0], src[1], src[2], 255};
                    if (bpp == 16) {
                        texture::DecodeTga16(static_cast<std::uint16_t>(src[0] | src[1] << 8), want);
                        want[3] = want[3] ? 255 : 0;
                    } else if (bpp == 32) {
                        want[3] = src[3];
                    }
                    const std::uint8_t* got = decoded.image->image.rgba.data() + (y * w + x) * 4;
                    QCOMPARE(QByteArray(reinterpret_cast<const char*>(got), 4),
                             QByteArray(QByteArray(1, char(want[2])) + char(want[1]) + char(want[0]) + char(want[3])));
                }
            // Back in, the texture is what the Targa import would have made of it.
            const QByteArray before = [&] {
                std::vector<std::uint8_t> out;
                app.GetDocument().WriteTex(out);
                return QByteArray(reinterpret_cast<const char*>(out.data()), qsizetype(out.size()));
            }();
            prompt.QueueYesNo(true);
            prompt.QueueFileName(png);
            Trigger(frame, ID_FILE_IMPORT);
            QVERIFY(app.GetDocument().IsModified());
            std::vector<std::uint8_t> after;
            app.GetDocument().WriteTex(after);
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(after.data()), qsizetype(after.size())), before);
            app.GetDocument().SetModifiedFlag(false);
        }
    }

    void imageMagickPngImportsAfterTheDepthQuestion()
    {
        const QString tex = Path("im.tex"), png = Path("im.png");
        QVERIFY(WriteAll(tex, TexBytes(4, 3, 16)));
        if (QProcess::execute("convert", {"-size", "4x3", "xc:#FF0000", "PNG24:" + png}) != 0)
            QSKIP("ImageMagick is not available");
        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({tex}));
        prompt.QueueYesNo(true);
        prompt.QueueFileName(png);
        Trigger(app.GetMainFrame(), ID_FILE_IMPORT);
        QVERIFY(app.GetDocument().IsModified());
        QCOMPARE(app.GetDocument().GetPixel(3, 2)[2], std::uint8_t(255));
        QCOMPARE(app.GetDocument().GetPixel(3, 2)[0], std::uint8_t(0));
    }

    void refusedOpenLeavesNoStaleTitle()
    {
        const QString good = Path("good.tex"), bad = Path("bad.tex");
        QVERIFY(WriteAll(good, TexBytes(4, 4, 32)));
        QVERIFY(WriteAll(bad, TexBytes(4, 4, 32).left(40)));
        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(app.InitInstance({good}));
        QCOMPARE(app.GetMainFrame()->windowTitle(), QString("good.tex[*] - Pixloom"));
        // Nothing is on show after the refusal, so no file may be named; one that cannot be
        // read at all leaves the texture, and its name, as they were.
        QVERIFY(app.GetMainFrame()->OpenDocumentFile(Path("nowhere.tex")) == false);
        QCOMPARE(app.GetMainFrame()->windowTitle(), QString("good.tex[*] - Pixloom"));
        QVERIFY(!app.GetMainFrame()->OpenDocumentFile(bad));
        QCOMPARE(app.GetMainFrame()->windowTitle(), QString("Untitled[*] - Pixloom"));
        QCOMPARE(prompt.All().size(), std::size_t(2));
    }

    void refusedCommandLineFileEndsStartup()
    {
        struct Case {
            QString name;
            QByteArray bytes;
            std::string message;
            common::MessageIcon icon;
        };
        const Case cases[] = {
            {"notes.txt", TexBytes(2, 2, 32), texture::msg::NOT_A_TEX, common::MessageIcon::None},
            {"short.tex", TexBytes(2, 2, 32).left(40), "Expecting file of length 48 but received file of length 40",
             common::MessageIcon::Exclamation},
            {"eight.tex", TexBytes(2, 2, 8), "Unrecognized bit depth 8", common::MessageIcon::Stop},
        };
        for (const Case& c : cases) {
            const QString path = Path(c.name);
            QVERIFY(WriteAll(path, c.bytes));
            ScriptedGuiPrompt prompt;
            CPixloomApp app(&prompt);
            QVERIFY2(!app.InitInstance({path}), qPrintable(c.name));
            QCOMPARE(app.GetMainFrame(), nullptr);
            QCOMPARE(prompt.All().size(), std::size_t(1));
            QCOMPARE(prompt.All()[0].text, c.message);
            QCOMPARE(prompt.All()[0].icon, c.icon);
            QVERIFY(app.GetRecentFiles().Files().isEmpty());
        }

        // A file that is not there at all is reported too.
        ScriptedGuiPrompt prompt;
        CPixloomApp app(&prompt);
        QVERIFY(!app.InitInstance({Path("nowhere.tex")}));
        QCOMPARE(prompt.All().size(), std::size_t(1));
    }

private:
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_dir;
};

QTEST_MAIN(PixloomTest)
#include "PixloomTest.moc"
