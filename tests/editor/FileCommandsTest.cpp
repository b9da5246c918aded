// Open, Save and Reset from the File menu, on real files in a temporary folder and with the file
// dialog scripted: what the model, the views and the files hold after each way a command can end.
#include "FileError.h"
#include "FileFailure.h"
#include "ModelCentre.h"
#include "ModelChecks.h"
#include "QtFileBytes.h"
#include "QtMsgBox.h"
#include "ViewPixels.h"
#include "WindowFixture.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace {

// The views as the redraw leaves them for the model as it is now.
void ExpectRedrawnFromTheModel(const frmMain& form) {
    const c3dObj& model = Obj();
    EXPECT_TRUE(ShowsTheDrawing(form.pic, model, &c3dObj::DrawFrontView));
    EXPECT_TRUE(ShowsTheDrawing(form.picLeft, model, &c3dObj::DrawLeftView));
    EXPECT_TRUE(ShowsTheDrawing(form.picTop, model, &c3dObj::DrawTopView));
    EXPECT_TRUE(ShowsTheDrawing(form.picPresp, model, &c3dObj::DrawPrespectiveView));
}

const QByteArray kTwoPoints = "G3DModel\r\nsquare\r\n10,-20,5\r\n-30,40,0\r\n";

// A loaded model of three points, drawn in all four views, and a folder for files.
class FileCommand : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(folder.isValid());
        LoadOldModel();
        CheckAllBoxes();
        ASSERT_GT(Count(form->pic, kYellow), 0);
    }

    void LoadOldModel() {
        Obj() = c3dObj();
        Obj().ObjName = "old";
        PlaceAroundTheCentre({{-150, -100, -50}, {150, 100, 50}, {-150, 100, 0}});
        form->mnuRefresh->trigger();
    }

    QString File(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }

    QTemporaryDir folder;
};

using FileOpen = FileCommand;
using FileSave = FileCommand;
using FileReset = FileCommand;
using FileDialog = FileCommand;

} // namespace

TEST_F(FileOpen, ReplacesTheModelWithTheFilesPointsAroundTheUnchangedCentre) {
    const QString name = File("square.G3D");
    WriteFile(name, kTwoPoints);
    nextChoice = name;
    form->pic_MouseDown(1, 0, kCx + 150, kCy + 100);
    ASSERT_EQ(form->SelectedPoint, 1);

    form->mnuOpen->trigger();
    form->cmdSet->click(); // the old selection named no point of the new model

    ASSERT_EQ(dialogModes.size(), 1U);
    EXPECT_EQ(form->SelectedPoint, -1);
    EXPECT_EQ(dialogModes[0], CommonDialog::Mode::Open);
    EXPECT_TRUE(SameOffsets(Obj(), {{10, -20, 5}, {-30, 40, 0}}));
    EXPECT_EQ(Obj().ObjName, "square");
    EXPECT_TRUE(CentreIs(Obj(), kCx, kCy, kCz));
    ExpectRedrawnFromTheModel(*form);
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("200"));
    EXPECT_TRUE(msgBox.messages.empty());
}

TEST_F(FileOpen, CancelledDialogChangesNothing) {
    form->txtX->setText(QStringLiteral("7"));
    form->txtCy->setText(QStringLiteral("typed"));
    const c3dObj before = Obj();
    const Screen screen(*form);
    nextChoice = std::nullopt;

    form->mnuOpen->trigger();

    EXPECT_EQ(dialogModes.size(), 1U);
    EXPECT_TRUE(SameOffsets(Obj(), before));
    EXPECT_EQ(Obj().ObjName, "old");
    ExpectScreen(*form, screen);
    EXPECT_EQ(form->txtX->text(), QStringLiteral("7"));
    EXPECT_EQ(form->txtCy->text(), QStringLiteral("typed"));
    EXPECT_TRUE(msgBox.messages.empty());
}

TEST_F(FileOpen, FailedOpenKeepsTheModelItsNameTheSelectionAndTheViewsAndSaysWhy) {
    struct Case {
        const char* name;
        std::optional<QByteArray> bytes; // nothing: no such file; empty name: a folder
        const char* says;
    };
    const Case cases[] = {
        {"missing.G3D", std::nullopt, "does not exist"},
        {"folder.G3D", QByteArray(), "is a folder"},
        {"empty.G3D", QByteArray(""), "line 1"},
        {"header-only.G3D", QByteArray("G3DModel\r\n"), "line 2"},
        {"broken.G3D", QByteArray("G3DModel\r\nb\r\n1,2,3\r\n4,5,6\r\n1,2\r\n7,7,7\r\n"),
         "line 5: expected three numbers separated by commas"},
        {"no-header.G3D", QByteArray("g3dmodel\r\npoints\r\n1,2,3\r\n"), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = File(c.name);
        if (c.bytes && c.bytes->isNull()) {
            ASSERT_TRUE(QDir(folder.path()).mkdir(QString::fromLatin1(c.name)));
        } else if (c.bytes) {
            WriteFile(name, *c.bytes);
        }
        LoadOldModel();
        form->pic_MouseDown(1, 0, kCx + 150, kCy + 100);
        ASSERT_EQ(form->SelectedPoint, 1);
        const c3dObj before = Obj();
        const Screen screen(*form);
        msgBox.messages.clear();
        nextChoice = name;

        form->mnuOpen->trigger();

        EXPECT_TRUE(SameOffsets(Obj(), before));
        EXPECT_EQ(Obj().ObjName, "old");
        EXPECT_EQ(form->SelectedPoint, 1);
        ExpectScreen(*form, screen);
        ASSERT_EQ(msgBox.messages.size(), 1U);
        const RecordingMsgBox::Message& shown = msgBox.messages[0];
        EXPECT_EQ(shown.icon, MsgBox::Icon::Critical);
        EXPECT_EQ(shown.title, "Tessaly");
        if (c.says == nullptr) {
            EXPECT_EQ(shown.text, " Invalid File "); // the loader's own message, and no other
        } else {
            EXPECT_NE(shown.text.find(QDir::toNativeSeparators(name).toStdString()),
                      std::string::npos)
                << shown.text;
            EXPECT_NE(shown.text.find(c.says), std::string::npos) << shown.text;
        }
    }
}

// The second time, the file has backups, as a save cut short leaves them: the newest is named.
TEST_F(FileOpen, SameFileOpenedTwiceHoldsItsPointsOnceAndNamesItsNewestBackup) {
    const QString name = File("square.G3D");
    WriteFile(name, kTwoPoints);
    nextChoice = name;

    form->mnuOpen->trigger();
    EXPECT_TRUE(msgBox.messages.empty());
    // The newest by time, not by number; a broken link among them is passed over.
    std::filesystem::create_symlink("gone", File("square.G3D.~1~").toStdString());
    for (const auto& [backup, later] : {std::pair{"square.G3D.~2~", 0}, {"square.G3D~", 1}}) {
        WriteFile(File(backup), kTwoPoints);
        const std::filesystem::path file = File(backup).toStdString();
        std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) +
                                                   std::chrono::hours(later));
    }
    form->mnuOpen->trigger();

    EXPECT_TRUE(SameOffsets(Obj(), {{10, -20, 5}, {-30, 40, 0}}));
    ASSERT_EQ(msgBox.messages.size(), 1U);
    EXPECT_EQ(msgBox.messages[0].icon, MsgBox::Icon::Information);
    EXPECT_NE(msgBox.messages[0].text.find("square.G3D~\""), std::string::npos);
}

TEST_F(FileSave, WritesTheModelAndOpenThenOffersTheSavedName) {
    Obj() = c3dObj();
    Obj().ObjName = "cube";
    Obj().SetCxyz(100, 100, 0);
    Obj().AddPoint(110, 90, 0);
    Obj().AddPoint(100, 100, 5);
    form->txtCx->setText(QStringLiteral("typed"));
    const Screen screen(*form);
    const QString name = File("cube.G3D");
    nextChoice = name;

    form->mnuSave->trigger();

    EXPECT_EQ(ReadFile(name), QByteArray("G3DModel\r\ncube\r\n10,-10,0\r\n0,0,5\r\n"));
    // Save neither redraws nor writes any box.
    ExpectScreen(*form, screen);
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("typed"));

    nextChoice = std::nullopt;
    form->mnuOpen->trigger();
    ASSERT_EQ(dialogModes.size(), 2U);
    EXPECT_EQ(dialogModes[0], CommonDialog::Mode::Save);
    EXPECT_EQ(dialogModes[1], CommonDialog::Mode::Open);
    EXPECT_EQ(offeredNames[1], name);

    // Opened again into the emptied model at the same centre, the points come back.
    nextChoice = name;
    form->mnuOpen->trigger();
    EXPECT_TRUE(SameOffsets(Obj(), {{10, -10, 0}, {0, 0, 5}}));
    EXPECT_EQ(Obj().ObjName, "cube");
}

TEST_F(FileSave, NamesWithSpacesAndAccentsAreWrittenAndReadBack) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Modelle für Anna")));
    const QString name = File("Modelle für Anna/Würfel 2.G3D");
    nextChoice = name;

    form->mnuSave->trigger();

    ASSERT_TRUE(QFile::exists(name));
    EXPECT_TRUE(ReadFile(name).startsWith("G3DModel\r\nold\r\n-150,-100,-50\r\n"));
    form->mnuReset->trigger();
    form->mnuOpen->trigger();
    EXPECT_TRUE(SameOffsets(Obj(), {{-150, -100, -50}, {150, 100, 50}, {-150, 100, 0}}));
}

TEST_F(FileSave, SaveOffersTheNameOpenedLast) {
    const QString name = File("square.G3D");
    WriteFile(name, kTwoPoints);
    nextChoice = name;
    form->mnuOpen->trigger();

    nextChoice = std::nullopt;
    form->mnuSave->trigger();

    ASSERT_EQ(offeredNames.size(), 2U);
    EXPECT_EQ(offeredNames[1], name);
    EXPECT_EQ(ReadFile(name), kTwoPoints);
}

TEST_F(FileSave, CancelledDialogWritesNothing) {
    nextChoice = std::nullopt;

    form->mnuSave->trigger();

    EXPECT_EQ(dialogModes.size(), 1U);
    EXPECT_TRUE(
        QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    EXPECT_EQ(Obj().nPoints(), 3);
    EXPECT_TRUE(msgBox.messages.empty());
}

TEST_F(FileSave, FailedSaveLeavesTheExistingFileByteForByteAndSaysWhy) {
    const QByteArray old = "G3DModel\r\nkept\r\n1,2,3\r\n4.5,-6,7e+20\r\n";
    WriteFile(File("kept.G3D"), old);
    WriteFile(File("read-only.G3D"), old);
    WriteFile(File("notes.txt"), old);
    QFile::setPermissions(File("read-only.G3D"), QFileDevice::ReadOwner);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.G3D")));
    ASSERT_EQ(mkfifo(File("fifo.G3D").toLocal8Bit().constData(), 0600), 0);
    const QStringList entries = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden);
    struct Case {
        const char* name;
        bool grownPastTheFloatRange;
        const char* says;
    };
    const Case cases[] = {
        {"missing/m.G3D", false, "folder does not exist"},
        {"notes.txt/m.G3D", false, "not a folder"},
        {"folder.G3D", false, "is a folder"},
        {"fifo.G3D", false, "not a regular file"},
        {"read-only.G3D", false, "ermission denied"},
        {"kept.G3D", true, "float range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadOldModel();
        for (int i = 0; c.grownPastTheFloatRange && i < 1000; ++i) {
            Obj().Resize(1);
        }
        const c3dObj before = Obj();
        msgBox.messages.clear();
        nextChoice = File(c.name);

        form->mnuSave->trigger();

        EXPECT_TRUE(SameOffsets(Obj(), before));
        ASSERT_EQ(msgBox.messages.size(), 1U);
        const std::string& text = msgBox.messages[0].text;
        EXPECT_NE(text.find(QDir::toNativeSeparators(File(c.name)).toStdString()),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        EXPECT_EQ(msgBox.messages[0].icon, MsgBox::Icon::Critical);
    }
    EXPECT_EQ(ReadFile(File("kept.G3D")), old);
    EXPECT_EQ(ReadFile(File("read-only.G3D")), old);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden), entries);
}

// Where the model's text says where the old content is, or that the file was written after
// all, the message shows it beside the window's short words; elsewhere the short words do.
TEST(FileFailureText, KeepsTheWordsThatTellWhereTheDataIs) {
    using Reason = FileError::Reason;
    const std::pair<FileError, const char*> cases[] = {
        {FileError(Reason::DiskFull, "old content kept in /a/m.G3D~", 0, "/a/m.G3D~"), "Could not"},
        {FileError(Reason::Written, "the file is saved, but the folder is not flushed"), "Saved"},
        {FileError(Reason::DiskFull, "cannot write /a/m.G3D"), nullptr}};
    for (const auto& [error, headline] : cases) {
        const QString text = FileFailureText(::FileCommand::Save, QStringLiteral("m"), error);
        EXPECT_TRUE(text.startsWith(QLatin1String(headline != nullptr ? headline : "Could not")));
        EXPECT_EQ(text.contains(QString::fromStdString(error.what())), headline != nullptr)
            << text.toStdString();
    }
}

TEST_F(FileDialog, OpenAndSaveAskForG3dFilesAndEndOnCancel) {
    struct Shown {
        CommonDialog::Mode mode;
        QString filter;
        bool cancelError;
    };
    std::vector<Shown> shown;
    CommonDialog::SetChooser([&shown](CommonDialog::Mode mode, const CommonDialog& dialog) {
        shown.push_back({mode, dialog.Filter, dialog.CancelError});
        return std::optional<QString>();
    });

    // Each command sets the dialog up itself rather than relying on what the last one left.
    for (QAction* command : {form->mnuOpen, form->mnuSave}) {
        form->cdc.Filter = QStringLiteral("All (*)|*");
        form->cdc.CancelError = false;
        command->trigger();
    }

    ASSERT_EQ(shown.size(), 2U);
    for (const Shown& s : shown) {
        EXPECT_EQ(s.filter, QStringLiteral("G3D File (*.G3D)|*.G3D"));
        EXPECT_TRUE(s.cancelError);
    }
    EXPECT_EQ(shown[0].mode, CommonDialog::Mode::Open);
    EXPECT_EQ(shown[1].mode, CommonDialog::Mode::Save);
    EXPECT_EQ(Obj().nPoints(), 3);
    EXPECT_TRUE(
        QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

TEST_F(FileDialog, TheRealDialogsOfferTheNameChosenLast) {
    CommonDialog::SetChooser(nullptr);
    const QString name = File("last.G3D");
    WriteFile(name, kTwoPoints);
    form->cdc.FileName = name;
    for (QAction* command : {form->mnuOpen, form->mnuSave}) {
        QStringList offered;
        // Looks for the dialog once its own event loop runs, then cancels it.
        std::function<void()> answer = [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                offered = dialog->selectedFiles();
                dialog->reject();
            } else {
                QTimer::singleShot(10, answer);
            }
        };
        QTimer::singleShot(0, answer);
        command->trigger();
        EXPECT_EQ(offered, QStringList{name}) << command->text().toStdString();
    }
    EXPECT_EQ(ReadFile(name), kTwoPoints);
}

TEST(FileDialogFilter, ListsUpperAndLowerCaseNamesAlike) {
    const QString filter = CommonDialog::QtFilter(QStringLiteral("G3D File (*.G3D)|*.G3D"));
    EXPECT_TRUE(filter.startsWith(QStringLiteral("G3D File (")));
    EXPECT_TRUE(filter.contains(QStringLiteral("*.G3D")));
    EXPECT_TRUE(filter.contains(QStringLiteral("*.g3d")));
    EXPECT_FALSE(filter.contains(QLatin1Char('|')));
}

TEST_F(FileReset, RemovesEveryPointButTheViewsShowThemUntilF5) {
    Obj().AddPoint(kCx, kCy, kCz); // four points
    form->mnuRefresh->trigger();
    form->pic_MouseDown(1, 0, kCx + 150, kCy + 100); // selects point 1
    ASSERT_EQ(form->SelectedPoint, 1);
    const QString x = form->txtX->text();
    const Screen screen(*form);

    form->mnuReset->trigger();

    EXPECT_EQ(Obj().nPoints(), 0);
    EXPECT_TRUE(CentreIs(Obj(), kCx, kCy, kCz));
    EXPECT_EQ(Obj().ObjName, "old");
    EXPECT_EQ(form->SelectedPoint, -1); // the selected point is gone with the others
    EXPECT_EQ(form->txtX->text(), x);
    ExpectScreen(*form, screen);

    form->mnuReset->trigger(); // on the empty model
    EXPECT_EQ(Obj().nPoints(), 0);

    form->mnuRefresh->trigger();
    EXPECT_TRUE(Blank(form->pic));
    EXPECT_TRUE(Blank(form->picLeft));
    EXPECT_TRUE(Blank(form->picTop));
    EXPECT_TRUE(Blank(form->picPresp));
}

// Open then Save writes back the very bytes the editor wrote, whatever the window's centre.
TEST_F(FileOpen, EveryExampleModelOpensWithAllItsPointsAndSavesBackTheSameBytes) {
    namespace fs = std::filesystem;
    const fs::path examples(TESSALY_EXAMPLES_DIR);
    ASSERT_TRUE(fs::is_directory(examples)) << examples;
    int opened = 0;
    for (const auto& entry : fs::directory_iterator(examples)) {
        if (entry.path().extension() != ".G3D") {
            continue;
        }
        SCOPED_TRACE(entry.path().filename().string());
        const QString name = QString::fromStdString(entry.path().string());
        const QByteArray bytes = ReadFile(name);
        // Every line ends in CR LF; the point lines follow the header and the name.
        ASSERT_TRUE(bytes.startsWith("G3DModel\r\n"));
        ASSERT_TRUE(bytes.endsWith("\r\n"));
        EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));
        const auto lines = bytes.split('\n');
        int pointLines = 0;
        for (qsizetype i = 2; i < lines.size(); ++i) {
            pointLines += lines[i].trimmed().isEmpty() ? 0 : 1;
        }
        Obj().SetCxyz(kCx + 0.3f, kCy + 0.7f, kCz + 0.1f);
        nextChoice = name;

        form->mnuOpen->trigger();

        EXPECT_GT(Obj().nPoints(), 1);
        EXPECT_EQ(Obj().nPoints(), pointLines);
        EXPECT_FALSE(Obj().ObjName.empty());
        EXPECT_GT(Count(form->pic, kYellow), 0);
        nextChoice = File("saved.G3D");
        form->mnuSave->trigger();
        EXPECT_EQ(ReadFile(File("saved.G3D")), bytes);
        ++opened;
    }
    EXPECT_TRUE(msgBox.messages.empty());
    EXPECT_GE(opened, 3);
}

// Drives the real message box: the file's name and a line of it carry markup that rich text would
// show as a heading and a live link.
TEST_F(FileOpen, MessagesShowTheFilesNameAndTextAsPlainText) {
    const QString link = QStringLiteral("<a href=\"https://example.org\">Repair</a>");
    const QString opened = File("<h1>model.G3D");
    WriteFile(opened, "G3DModel\r\nm\r\n1,2,3\r\n" + link.toUtf8() + ",1,2\r\n");
    const QString saved = File("<b>missing/model.G3D");
    const struct {
        QAction* command;
        QString chosen;
        QStringList says;
    } cases[] = {
        {form->mnuOpen, opened, {QDir::toNativeSeparators(opened), link}},
        {form->mnuSave, saved, {QDir::toNativeSeparators(saved)}},
        {form->mnuAbout, QString(), {}},
    };
    QtMsgBox real(form.get());
    MsgBox::Install(&real);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command->text().toStdString());
        nextChoice = c.chosen;
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        QTimer poll; // closes the box once its own event loop runs
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                format = box->textFormat();
                box->accept();
            }
        });
        poll.start(10);
        c.command->trigger();
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_FALSE(text.isEmpty());
        for (const QString& part : c.says) {
            EXPECT_TRUE(text.contains(part)) << text.toStdString();
        }
    }
    MsgBox::Install(&msgBox);
}
