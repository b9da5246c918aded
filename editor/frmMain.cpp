// The main window: fixed layout, redraw and view commands, tools and mouse editing, interactive
// rotation and scaling, and the file and coordinate commands.
#include "frmMain.h"

#include "Backups.h"
#include "BoxNumber.h"
#include "Colours.h"
#include "FileFailure.h"
#include "G3dFile.h"
#include "MsgBox.h"
#include "PictureBox.h"
#include "SkipOnError.h"
#include "TextBox.h"
#include "ViewRedraw.h"
#include "frmMainLayout.h"
#include "mObj.h"

#include <QCheckBox>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QToolButton>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

constexpr const char* kG3dFilter = "G3D File (*.G3D)|*.G3D";
constexpr const char* kAboutText = "Tessaly, written by the Tessaly developers\r\n"
                                   "tessaly-dev@example.org\r\n"
                                   "https://tessaly.example.org";

// Degrees per rotation step.
constexpr float kStep = 1.0f;

// The turn each key gives, in degrees about x, y and z; other keys give none.
struct KeyTurn {
    int16_t key;
    float x, y, z;
};
constexpr KeyTurn kKeyTurns[] = {
    {PictureBox::kKeyUp, kStep, 0, 0},    {PictureBox::kKeyDown, -kStep, 0, 0},
    {PictureBox::kKeyLeft, 0, kStep, 0},  {PictureBox::kKeyRight, 0, -kStep, 0},
    {PictureBox::kKeyShift, 0, 0, kStep}, {PictureBox::kKeyCtrl, 0, 0, -kStep},
};

// The stored offsets of a point; std::out_of_range when it names no point.
Point3D StoredOffsets(int16_t point) {
    const c3dObj& model = Obj();
    return {model.GetX(point), model.GetY(point), model.GetZ(point)};
}

using BoxNumber::NumberText;
using BoxNumber::ReadNumber;
using BoxNumber::ShowNumber;

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), cdc(this) {
    // The pictures live in a static library, which does not register them by itself.
    Q_INIT_RESOURCE(tessaly);
    setWindowTitle(QStringLiteral("Tessaly"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tessaly.svg")));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    buildControls(client);
    buildMenus();
    resize(layout::kClient.width(), layout::kClient.height() + menuBar()->sizeHint().height());
    Form_Load();
    DescribeViews();
}

// ---------------------------------------------------------------------------------------------
// Start-up, redraw and view arrangement

void frmMain::Form_Load() {
    SelectedPoint = -1;
    const auto w = static_cast<float>(pic->ScaleWidth());
    const auto h = static_cast<float>(pic->ScaleHeight());
    Obj().SetCxyz(w / 2, h / 2, w / 4);
}

void frmMain::mnuRefresh_Click() {
    const ViewCanvases views = Surfaces();
    ClearViews(views);
    // A point the perspective cannot project ends that view only; the others are still drawn.
    SkipOnError([&] {
        DrawShownViews(Obj(), views, Shown(), kGreen, kYellow, [&] {
            const c3dObj& model = Obj();
            ShowNumber(txtCx, model.GetCX());
            ShowNumber(txtCy, model.GetCY());
            ShowNumber(txtCz, model.GetCZ());
        });
    });
    RepaintViews();
}

ViewCanvases frmMain::Surfaces() {
    return {.front = pic->Surface(),
            .left = picLeft->Surface(),
            .top = picTop->Surface(),
            .presp = picPresp->Surface()};
}

ShownViews frmMain::Shown() const {
    return {
        .presp = chkPres->isChecked(), .left = chkLeft->isChecked(), .top = chkTop->isChecked()};
}

// What each view shows, as assistive technology reads it: the model's points, or nothing.
void frmMain::DescribeViews() {
    const int32_t count = Obj().nPoints();
    const QString points =
        count == 1 ? QStringLiteral("1 point") : QStringLiteral("%1 points").arg(count);
    const ShownViews shown = Shown();
    const std::pair<PictureBox*, bool> views[] = {
        {pic, true}, {picLeft, shown.left}, {picTop, shown.top}, {picPresp, shown.presp}};
    for (const auto& [view, drawn] : views) {
        view->setAccessibleDescription(drawn ? points : QStringLiteral("Blank"));
    }
}

void frmMain::RepaintViews() {
    DescribeViews();
    for (PictureBox* view : {pic, picLeft, picTop, picPresp}) {
        view->Drawn();
    }
}

void frmMain::chkLeft_Click() {
    mnuRefresh_Click();
}
void frmMain::chkPres_Click() {
    mnuRefresh_Click();
}
void frmMain::chkTop_Click() {
    mnuRefresh_Click();
}

void frmMain::mnuViewAll_Click() {
    pic->setVisible(true);
    picLeft->setVisible(true);
    picTop->setVisible(true);
    picPresp->setVisible(true);
    pic->resize(pic->width(), layout::kView.height());
    pic->resize(layout::kView.width(), pic->height());
    picLeft->setGeometry({{pic->width() + pic->x(), 0}, layout::kView});
    picTop->setGeometry({{pic->x(), pic->height()}, layout::kView});
    picPresp->setGeometry({{picLeft->x(), pic->height()}, layout::kView});
    mnuRefresh_Click();
}

// Each check box changed here redraws at once, before the enlargement.
void frmMain::mnuFront_Click() {
    pic->setVisible(true);
    picLeft->setVisible(false);
    chkLeft->setChecked(false);
    picTop->setVisible(false);
    chkTop->setChecked(false);
    picPresp->setVisible(false);
    chkPres->setChecked(false);
    pic->resize(layout::kEnlargedView.width(), pic->height());
    pic->resize(pic->width(), layout::kEnlargedView.height());
}

void frmMain::mnuLeft_Click() {
    EnlargeAlone(picLeft);
}
void frmMain::mnuTop_Click() {
    EnlargeAlone(picTop);
}

void frmMain::EnlargeAlone(PictureBox* view) {
    pic->setVisible(false);
    picLeft->setVisible(view == picLeft);
    chkLeft->setChecked(view == picLeft);
    picTop->setVisible(view == picTop);
    chkTop->setChecked(view == picTop);
    picPresp->setVisible(false);
    chkPres->setChecked(false);
    view->setGeometry({{pic->x(), 0}, layout::kEnlargedView});
}

void frmMain::mnuAbout_Click() {
    MsgBox::Current().Show(kAboutText, MsgBox::Icon::None, MsgBox::kTitle);
}

void frmMain::mnuExit_Click() {
    close();
}

// ---------------------------------------------------------------------------------------------
// Tools and mouse editing

void frmMain::SetTool(bool resize, bool add, bool del, bool move, bool rotate, bool select) {
    bResize = resize;
    bAdd = add;
    bDelete = del;
    bMove = move;
    bRotate = rotate;
    bSelect = select;
}

// The tool box shows the tool's name as its button is read aloud, both from the layout's table.
void frmMain::chooseTool(const QString& text, bool resize, bool add, bool del, bool move,
                         bool rotate, bool select) {
    txtSelectedObj->setText(text);
    txtSelectedObj->setCursorPosition(0); // a long name shows its start
    SetTool(resize, add, del, move, rotate, select);
}

void frmMain::cmdArrow_Click() {
    chooseTool(cmdArrow->accessibleName(), false, false, false, false, false, true);
}
void frmMain::cmdAdd_Click() {
    chooseTool(cmdAdd->accessibleName(), false, true, false, false, false, false);
}
void frmMain::cmdDelete_Click() {
    chooseTool(cmdDelete->accessibleName(), false, false, true, false, false, false);
}
void frmMain::cmdMove_Click() {
    chooseTool(cmdMove->accessibleName(), false, false, false, true, false, false);
}
void frmMain::cmdRotate_Click() {
    chooseTool(cmdRotate->accessibleName(), false, false, false, false, true, false);
}
void frmMain::cmdResize_Click() {
    chooseTool(cmdResize->accessibleName(), true, false, false, false, false, false);
}

void frmMain::pic_MouseDown(int16_t Button, int16_t /*Shift*/, float X, float Y) {
    ViewMouseDown(*pic, vwFront, Button, X, Y);
}
void frmMain::picLeft_MouseDown(int16_t Button, int16_t /*Shift*/, float X, float Y) {
    ViewMouseDown(*picLeft, vwLeft, Button, X, Y);
}
void frmMain::picTop_MouseDown(int16_t Button, int16_t /*Shift*/, float X, float Y) {
    ViewMouseDown(*picTop, vwTop, Button, X, Y);
}
void frmMain::pic_MouseMove(int16_t Button, int16_t Shift, float X, float Y) {
    ViewMouseMove(vwFront, Button, Shift, X, Y);
}
void frmMain::picLeft_MouseMove(int16_t Button, int16_t Shift, float X, float Y) {
    ViewMouseMove(vwLeft, Button, Shift, X, Y);
}
void frmMain::picTop_MouseMove(int16_t Button, int16_t Shift, float X, float Y) {
    ViewMouseMove(vwTop, Button, Shift, X, Y);
}

// The selected point's stored offsets into txtX, txtY, txtZ; a box whose value cannot be read
// keeps its text.
void frmMain::ShowSelectedPoint() {
    SkipOnError([&] { ShowNumber(txtX, Obj().GetX(SelectedPoint)); });
    SkipOnError([&] { ShowNumber(txtY, Obj().GetY(SelectedPoint)); });
    SkipOnError([&] { ShowNumber(txtZ, Obj().GetZ(SelectedPoint)); });
}

void frmMain::ViewMouseDown(PictureBox& view, int16_t code, int16_t Button, float X, float Y) {
    const ViewAxes axes = *AxesOf(code);
    const Point3D centre = Centre();
    if (Button == PictureBox::kLeftButton) {
        SelectedPoint = Obj().SelectPoint(view, X - Along(centre, axes.across),
                                          Y - Along(centre, axes.down), code);
        if (SelectedPoint != -1) {
            ShowSelectedPoint();
            SkipOnError([&] { Obj().SelectInAllView(*pic, *picLeft, *picTop, SelectedPoint); });
        }
    }
    // The axis the view does not show is pressed at 0.
    Point3D pressed;
    Along(pressed, axes.across) = X;
    Along(pressed, axes.down) = Y;
    AddOrDeleteAt(Button, pressed.x, pressed.y, pressed.z);
    LastX = X;
    LastY = Y;
    if (Button == PictureBox::kLeftButton) {
        PressX = X;
    }
}

void frmMain::AddOrDeleteAt(int16_t Button, float x, float y, float z) {
    mousePos->setText(NumberText(x) + QLatin1Char(',') + NumberText(y) + QLatin1Char(',') +
                      NumberText(z));
    if (Button != PictureBox::kLeftButton) {
        return;
    }
    if (bAdd) {
        SkipOnError([&] { Obj().AddPoint(x, y, z); });
        mnuRefresh_Click();
    } else if (bDelete && SelectedPoint != -1) {
        SkipOnError([&] { Obj().DeletePoint(SelectedPoint); });
        mnuRefresh_Click();
    }
}

void frmMain::ViewMouseMove(int16_t code, int16_t Button, int16_t Shift, float X, float Y) {
    DragTransform(Button, Shift, X, Y);
    if (Button != PictureBox::kLeftButton || !bMove || SelectedPoint == -1) {
        return;
    }
    // The two shown coordinates jump under the pointer; the hidden one keeps its place.
    SkipOnError([&] {
        const ViewAxes axes = *AxesOf(code);
        const Axis hidden = HiddenAxis(axes);
        Point3D target;
        Along(target, hidden) =
            Along(StoredOffsets(SelectedPoint), hidden) + Along(Centre(), hidden);
        Along(target, axes.across) = X;
        Along(target, axes.down) = Y;
        Obj().SetXYZ(SelectedPoint, target.x, target.y, target.z);
    });
    ShowSelectedPoint();
    mnuRefresh_Click();
}

// ---------------------------------------------------------------------------------------------
// Interactive rotation and scaling

void frmMain::pic_KeyDown(int16_t KeyCode, int16_t Shift) {
    KeyRotate(KeyCode, Shift);
}
void frmMain::picLeft_KeyDown(int16_t KeyCode, int16_t Shift) {
    KeyRotate(KeyCode, Shift);
}
void frmMain::picTop_KeyDown(int16_t KeyCode, int16_t Shift) {
    KeyRotate(KeyCode, Shift);
}

// A perspective that cannot project a point is skipped alone: the left and top views are still
// erased and drawn again, so no old drawing stays under the new one.
void frmMain::DrawViews(uint32_t c, uint32_t p) {
    SkipOnError([&] { DrawShownViews(Obj(), Surfaces(), Shown(), c, p); });
    RepaintViews();
}

void frmMain::DragTransform(int16_t Button, int16_t Shift, float X, float Y) {
    mousePos->setText(NumberText(X) + QLatin1Char(',') + NumberText(Y));
    if (Button == PictureBox::kLeftButton) {
        if (bRotate) {
            DrawViews(kBlack, kBlack);
            const float aboutY = LastX > X ? kStep : -kStep;
            const float aboutX = LastY > Y ? kStep : -kStep;
            Obj().RotateXYZ(0, aboutY, 0);
            Obj().RotateXYZ(aboutX, 0, 0);
            if (Shift == PictureBox::kShiftMask) { // Shift alone
                Obj().RotateXYZ(0, 0, kStep);
            } else if (Shift == PictureBox::kCtrlMask) { // Ctrl alone
                Obj().RotateXYZ(0, 0, -kStep);
            }
            DrawViews(kGreen, kYellow);
        }
        if (bResize) {
            DrawViews(kBlack, kBlack);
            if (X > PressX) {
                Obj().Resize(1);
            } else if (PressX > X) {
                Obj().Resize(-1);
            }
            DrawViews(kGreen, kYellow);
        }
    }
    DrawCenter(*pic, *picLeft, *picTop, kBlue);
}

void frmMain::KeyRotate(int16_t KeyCode, int16_t /*Shift*/) {
    if (!bRotate) {
        return;
    }
    DrawCenter(*pic, *picLeft, *picTop, kBlack);
    DrawViews(kBlack, kBlack);
    const auto turn = std::find_if(std::begin(kKeyTurns), std::end(kKeyTurns),
                                   [KeyCode](const KeyTurn& t) { return t.key == KeyCode; });
    if (turn != std::end(kKeyTurns)) {
        Obj().RotateXYZ(turn->x, turn->y, turn->z);
    }
    DrawViews(kGreen, kYellow);
    DrawCenter(*pic, *picLeft, *picTop, kBlue);
}

// ---------------------------------------------------------------------------------------------
// File and coordinate commands

// The name chosen in the file dialog; nothing when the dialog was cancelled.
std::optional<QString> frmMain::AskFileName(CommonDialog::Mode mode) {
    cdc.CancelError = true;
    cdc.Filter = QString::fromLatin1(kG3dFilter);
    try {
        if (mode == CommonDialog::Mode::Open) {
            cdc.ShowOpen();
        } else {
            cdc.ShowSave();
        }
    } catch (const DialogCancelled&) {
        return std::nullopt;
    }
    return cdc.FileName;
}

void frmMain::ShowFileFailure(FileCommand command, const QString& file,
                              const std::exception& error) {
    MsgBox::Current().Show(FileFailureText(command, file, error).toStdString(),
                           MsgBox::Icon::Critical, MsgBox::kTitle);
}

// The file is read into a model of its own first: a failed Open keeps the model, its name, the
// selection and the views exactly as they were, so a later Save cannot write a partial model
// over the user's file. That model is centred at the origin, so each offset is the number read,
// not rounded through a position, and then moved to the window's centre, which keeps offsets: a
// file Tessaly saved comes back byte for byte from Open then Save.
void frmMain::mnuOpen_Click() {
    const std::optional<QString> name = AskFileName(CommonDialog::Mode::Open);
    if (!name) {
        return;
    }
    c3dObj loaded;
    bool isModel = false;
    try {
        isModel = G3dFile::Load(loaded, QFile::encodeName(*name).toStdString());
    } catch (const std::exception& error) {
        ShowFileFailure(FileCommand::Open, *name, error);
        return;
    }
    if (!isModel) {
        return; // the first line is not the header: the loader has said so
    }
    const c3dObj& model = Obj();
    loaded.SetCxyz(model.GetCX(), model.GetCY(), model.GetCZ());
    mnuReset_Click();
    Obj() = std::move(loaded);
    mnuRefresh_Click();
    ShowBackupNotice(*name);
}

// A backup of the file is what a save cut short by a crash leaves behind: the file may then be the
// cut one, and the backup the whole model.
void frmMain::ShowBackupNotice(const QString& file) {
    const std::string backup = Backups::Newest(QFile::encodeName(file).toStdString());
    if (!backup.empty()) {
        MsgBox::Current().Show(
            BackupNoticeText(file, QFile::decodeName(backup.c_str())).toStdString(),
            MsgBox::Icon::Information, MsgBox::kTitle);
    }
}

void frmMain::mnuSave_Click() {
    const std::optional<QString> name = AskFileName(CommonDialog::Mode::Save);
    if (!name) {
        return;
    }
    try {
        Obj().SaveFile(QFile::encodeName(*name).toStdString());
    } catch (const std::exception& error) {
        ShowFileFailure(FileCommand::Save, *name, error);
    }
}

void frmMain::mnuReset_Click() {
    const auto n = static_cast<int16_t>(Obj().nPoints());
    // One call more than there are points; the last finds the list empty. The counter is wider
    // than an index so that a full model of 32,767 points does not overflow it.
    for (int i = 0; i <= n; ++i) {
        Obj().DeletePoint(static_cast<int16_t>(i));
    }
    // The selection named a point of the model that is gone; Set Point must not move another.
    SelectedPoint = -1;
}

void frmMain::cmdSet_Click() {
    if (SelectedPoint != -1) {
        SkipOnError([&] {
            const auto z = ReadNumber(txtZ->text());
            const auto y = ReadNumber(txtY->text());
            const auto x = ReadNumber(txtX->text());
            if (x && y && z) {
                Obj().SetXYZ(SelectedPoint, *x, *y, *z);
            }
        });
    }
    mnuRefresh_Click();
}

void frmMain::cmdSetC_Click() {
    const auto z = ReadNumber(txtCz->text());
    const auto y = ReadNumber(txtCy->text());
    const auto x = ReadNumber(txtCx->text());
    if (x && y && z) {
        Obj().SetCxyz(*x, *y, *z);
    }
    mnuRefresh_Click();
}
