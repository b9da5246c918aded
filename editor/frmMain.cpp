// The main window: fixed layout, redraw and view commands, tools and mouse editing, interactive
// rotation and scaling, and the file and coordinate commands.
#include "frmMain.h"

#include "BoxNumber.h"
#include "CaptionLabel.h"
#include "Colours.h"
#include "FileFailure.h"
#include "MsgBox.h"
#include "PictureBox.h"
#include "SkipOnError.h"
#include "mObj.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

#include <array>
#include <utility>

namespace {

// ---- layout, in pixels ----
// The smallest client area that shows the views whole, in the grid and enlarged alike; the
// window starts maximized, and this is its size when it is not.
constexpr int kClientWidth = 1018;
constexpr int kClientHeight = 690;
constexpr QRect kViewFront{104, 0, 457, 345};
constexpr QRect kViewLeft{560, 0, 457, 345};
constexpr QRect kViewPresp{560, 344, 457, 345};
constexpr QRect kViewTop{104, 344, 457, 345};
constexpr int kGridWidth = 457;
constexpr int kGridHeight = 345;
constexpr int kEnlargedWidth = 914;
constexpr int kEnlargedHeight = 690;
constexpr int kCaptionHeight = 17;
constexpr int kToolPanelWidth = 104;
constexpr QSize kToolIcon{26, 26};

constexpr const char* kFontFamily = "Verdana";
constexpr double kFontPoints = 8.25;
// The captions' light yellow, 0x0080FFFF as 0x00BBGGRR.
constexpr QColor kCaptionColour{0xFF, 0xFF, 0x80};

constexpr const char* kG3dFilter = "G3D File (*.G3D)|*.G3D";
// A name no file can give a model, as a line ends at its line feed: a model still named so after
// LoadFileEx was not loaded, the file's first line not being the header.
constexpr char kNotLoaded = '\n';
constexpr const char* kAboutText = "Tessaly, written by the Tessaly developers\r\n"
                                   "tessaly-dev@example.org\r\n"
                                   "https://tessaly.example.org";

// Degrees per rotation step, and the Shift values that add a turn about z.
constexpr float kStep = 1.0f;
constexpr int16_t kShiftOnly = 1;
constexpr int16_t kCtrlOnly = 2;

QFont VerdanaFont(bool bold) {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPointSizeF(kFontPoints);
    font.setBold(bold);
    return font;
}

std::array<float, 3> Centre() {
    const c3dObj& model = Obj();
    return {model.GetCX(), model.GetCY(), model.GetCZ()};
}

float StoredOffset(int16_t point, int axis) {
    const c3dObj& model = Obj();
    return axis == 0 ? model.GetX(point) : axis == 1 ? model.GetY(point) : model.GetZ(point);
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
    setTabOrder();
    connectHandlers();
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    Form_Load();
}

// ---------------------------------------------------------------------------------------------
// Layout

void frmMain::buildControls(QWidget* client) {
    buildToolPanel(client);
    buildViews(client);
}

void frmMain::buildToolPanel(QWidget* client) {
    auto checkBox = [client](const char* name, const QString& text, QRect at) {
        auto* box = new QCheckBox(text, client);
        box->setObjectName(QString::fromLatin1(name));
        box->setFont(VerdanaFont(false));
        box->setGeometry(at);
        return box;
    };
    chkLeft = checkBox("chkLeft", QStringLiteral("Left View"), {8, 16, 81, 25});
    chkPres = checkBox("chkPres", QStringLiteral("Prespective"), {8, 40, 89, 25});
    chkTop = checkBox("chkTop", QStringLiteral("Top View"), {8, 64, 81, 25});

    auto textBox = [client](const char* name, const QString& text, QRect at) {
        auto* box = new QLineEdit(text, client);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(at);
        return box;
    };
    txtSelectedObj = textBox("txtSelectedObj", QStringLiteral("Point"), {16, 110, 65, 19});

    auto toolButton = [client](const char* name, const char* icon, const char* tip, QRect at,
                               bool bold) {
        auto* button = new QToolButton(client);
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))));
        button->setIconSize(kToolIcon);
        button->setToolTip(QString::fromLatin1(tip));
        button->setGeometry(at);
        if (bold) {
            button->setFont(VerdanaFont(true));
        }
        return button;
    };
    cmdArrow = toolButton("cmdArrow", "arrow", "", {16, 136, 33, 33}, false);
    cmdDelete = toolButton("cmdDelete", "delete", "Delete Point", {48, 136, 33, 33}, true);
    cmdAdd = toolButton("cmdAdd", "add", "Add Point", {16, 168, 33, 33}, true);
    cmdRotate = toolButton("cmdRotate", "rotate", "Rotate", {48, 168, 33, 33}, false);
    cmdMove = toolButton("cmdMove", "move", "Move", {16, 200, 33, 33}, false);
    cmdResize = toolButton("cmdResize", "resize", "Resize", {48, 200, 33, 33}, false);

    txtX = textBox("txtX", QString(), {0, 336, 33, 19});
    txtY = textBox("txtY", QString(), {32, 336, 33, 19});
    txtZ = textBox("txtZ", QString(), {64, 336, 33, 19});
    cmdSet = new QPushButton(QStringLiteral("Set Point"), client);
    cmdSet->setObjectName(QStringLiteral("cmdSet"));
    cmdSet->setGeometry(16, 360, 65, 25);
    txtCx = textBox("txtCx", QString(), {0, 408, 33, 19});
    txtCy = textBox("txtCy", QString(), {32, 408, 33, 19});
    txtCz = textBox("txtCz", QString(), {64, 408, 33, 19});
    cmdSetC = new QPushButton(QStringLiteral("Set Center"), client);
    cmdSetC->setObjectName(QStringLiteral("cmdSetC"));
    cmdSetC->setGeometry(16, 432, 65, 25);

    mousePos = new QLabel(client);
    mousePos->setObjectName(QStringLiteral("mousePos"));
    mousePos->setGeometry(0, 472, 97, 17);
    mousePos->setAutoFillBackground(true);
    QPalette palette = mousePos->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Text));
    mousePos->setPalette(palette);

    // Two rules along the top edge of the tool panel, the second over the first.
    auto rule = [client](const char* name, QPalette::ColorRole role) {
        auto* line = new QFrame(client);
        line->setObjectName(QString::fromLatin1(name));
        line->setGeometry(0, 0, kToolPanelWidth, 1);
        line->setAutoFillBackground(true);
        QPalette colours = line->palette();
        colours.setColor(QPalette::Window, colours.color(role));
        line->setPalette(colours);
        return line;
    };
    Line1 = rule("Line1", QPalette::WindowText);
    Line2 = rule("Line2", QPalette::HighlightedText);
}

void frmMain::buildViews(QWidget* client) {
    auto view = [client](const char* name, QRect at) {
        auto* box = new PictureBox(client);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(at);
        box->setFocusPolicy(Qt::StrongFocus);
        return box;
    };
    auto caption = [](PictureBox* box, const char* name, const QString& text, int width) {
        auto* label = new CaptionLabel(text, box);
        label->setObjectName(QString::fromLatin1(name));
        label->setFont(VerdanaFont(true));
        label->setGeometry(0, 0, width, kCaptionHeight);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, kCaptionColour);
        label->setPalette(palette);
        label->setAttribute(Qt::WA_TranslucentBackground);
        return label;
    };
    pic = view("pic", kViewFront);
    lbU = caption(pic, "lbU", QStringLiteral("Front View"), 73);
    picLeft = view("picLeft", kViewLeft);
    lbLeft = caption(picLeft, "lbLeft", QStringLiteral("Left View"), 65);
    picPresp = view("picPresp", kViewPresp);
    LbFront = caption(picPresp, "LbFront", QStringLiteral("Prespective View"), 121);
    picTop = view("picTop", kViewTop);
    lbTop = caption(picTop, "lbTop", QStringLiteral("Top View"), 65);

    front_ = {pic, vwFront, 0, 1};
    left_ = {picLeft, vwLeft, 2, 1};
    top_ = {picTop, vwTop, 0, 2};
}

void frmMain::buildMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuOpen = mnuFile->addAction(QStringLiteral("&Open"));
    mnuSave = mnuFile->addAction(QStringLiteral("&Save"));
    mnuFile->addSeparator();
    mnuRefresh = mnuFile->addAction(QStringLiteral("Refresh"));
    mnuRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    mnuReset = mnuFile->addAction(QStringLiteral("&Reset"));
    mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));

    QMenu* mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuViewAll = mnuView->addAction(QStringLiteral("&View All"));
    mnuFront = mnuView->addAction(QStringLiteral("&Front View"));
    mnuLeft = mnuView->addAction(QStringLiteral("&Left View"));
    mnuTop = mnuView->addAction(QStringLiteral("&Top View"));

    mnuAbout = menuBar()->addAction(QStringLiteral("&About"));
}

void frmMain::setTabOrder() {
    const QWidget* order[] = {chkLeft, chkPres,   chkTop,   txtSelectedObj, cmdArrow, cmdDelete,
                              cmdAdd,  cmdRotate, cmdMove,  cmdResize,      txtX,     txtY,
                              txtZ,    cmdSet,    txtCx,    txtCy,          txtCz,    cmdSetC,
                              pic,     picLeft,   picPresp, picTop};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
    }
}

void frmMain::connectHandlers() {
    connect(mnuOpen, &QAction::triggered, this, [this] { mnuOpen_Click(); });
    connect(mnuSave, &QAction::triggered, this, [this] { mnuSave_Click(); });
    connect(mnuRefresh, &QAction::triggered, this, [this] { mnuRefresh_Click(); });
    connect(mnuReset, &QAction::triggered, this, [this] { mnuReset_Click(); });
    connect(mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
    connect(mnuViewAll, &QAction::triggered, this, [this] { mnuViewAll_Click(); });
    connect(mnuFront, &QAction::triggered, this, [this] { mnuFront_Click(); });
    connect(mnuLeft, &QAction::triggered, this, [this] { mnuLeft_Click(); });
    connect(mnuTop, &QAction::triggered, this, [this] { mnuTop_Click(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });

    // toggled fires on every change of the value, from the user or from code, and not when
    // code sets the value the box already has.
    connect(chkLeft, &QCheckBox::toggled, this, [this] { chkLeft_Click(); });
    connect(chkPres, &QCheckBox::toggled, this, [this] { chkPres_Click(); });
    connect(chkTop, &QCheckBox::toggled, this, [this] { chkTop_Click(); });

    connect(cmdArrow, &QToolButton::clicked, this, [this] { cmdArrow_Click(); });
    connect(cmdAdd, &QToolButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdDelete, &QToolButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdMove, &QToolButton::clicked, this, [this] { cmdMove_Click(); });
    connect(cmdRotate, &QToolButton::clicked, this, [this] { cmdRotate_Click(); });
    connect(cmdResize, &QToolButton::clicked, this, [this] { cmdResize_Click(); });
    connect(cmdSet, &QPushButton::clicked, this, [this] { cmdSet_Click(); });
    connect(cmdSetC, &QPushButton::clicked, this, [this] { cmdSetC_Click(); });

    connect(pic, &PictureBox::MouseDown, this, &frmMain::pic_MouseDown);
    connect(picLeft, &PictureBox::MouseDown, this, &frmMain::picLeft_MouseDown);
    connect(picTop, &PictureBox::MouseDown, this, &frmMain::picTop_MouseDown);
    connect(pic, &PictureBox::MouseMove, this, &frmMain::pic_MouseMove);
    connect(picLeft, &PictureBox::MouseMove, this, &frmMain::picLeft_MouseMove);
    connect(picTop, &PictureBox::MouseMove, this, &frmMain::picTop_MouseMove);
    connect(pic, &PictureBox::KeyDown, this, &frmMain::pic_KeyDown);
    connect(picLeft, &PictureBox::KeyDown, this, &frmMain::picLeft_KeyDown);
    connect(picTop, &PictureBox::KeyDown, this, &frmMain::picTop_KeyDown);

    connect(lbU, &CaptionLabel::DblClick, this, [this] { mnuFront_Click(); });
    connect(lbLeft, &CaptionLabel::DblClick, this, [this] { mnuLeft_Click(); });
    connect(lbTop, &CaptionLabel::DblClick, this, [this] { mnuTop_Click(); });
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
    pic->Cls();
    picTop->Cls();
    picLeft->Cls();
    picPresp->Cls();
    const c3dObj& model = Obj();
    model.DrawFrontView(*pic, kGreen, kYellow);
    ShowNumber(txtCx, model.GetCX());
    ShowNumber(txtCy, model.GetCY());
    ShowNumber(txtCz, model.GetCZ());
    // A point the perspective cannot project ends that view only; the others are still drawn.
    if (chkPres->isChecked()) {
        SkipOnError([&] { model.DrawPrespectiveView(*picPresp, kGreen, kYellow); });
    }
    if (chkLeft->isChecked()) {
        model.DrawLeftView(*picLeft, kGreen, kYellow);
    }
    if (chkTop->isChecked()) {
        model.DrawTopView(*picTop, kGreen, kYellow);
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
    pic->resize(pic->width(), kGridHeight);
    pic->resize(kGridWidth, pic->height());
    picLeft->setGeometry(pic->width() + pic->x(), 0, kGridWidth, kGridHeight);
    picTop->setGeometry(pic->x(), pic->height(), kGridWidth, kGridHeight);
    picPresp->setGeometry(picLeft->x(), pic->height(), kGridWidth, kGridHeight);
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
    pic->resize(kEnlargedWidth, pic->height());
    pic->resize(pic->width(), kEnlargedHeight);
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
    view->setGeometry(pic->x(), 0, kEnlargedWidth, kEnlargedHeight);
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

void frmMain::chooseTool(const QString& text, bool resize, bool add, bool del, bool move,
                         bool rotate, bool select) {
    txtSelectedObj->setText(text);
    txtSelectedObj->setCursorPosition(0); // a long name shows its start
    SetTool(resize, add, del, move, rotate, select);
}

void frmMain::cmdArrow_Click() {
    chooseTool(QStringLiteral("Select"), false, false, false, false, false, true);
}
void frmMain::cmdAdd_Click() {
    chooseTool(QStringLiteral("Add"), false, true, false, false, false, false);
}
void frmMain::cmdDelete_Click() {
    chooseTool(QStringLiteral("Erase"), false, false, true, false, false, false);
}
void frmMain::cmdMove_Click() {
    chooseTool(QStringLiteral("Move"), false, false, false, true, false, false);
}
void frmMain::cmdRotate_Click() {
    chooseTool(QStringLiteral("Rotate Object"), false, false, false, false, true, false);
}
void frmMain::cmdResize_Click() {
    chooseTool(QStringLiteral("Resize"), true, false, false, false, false, false);
}

void frmMain::pic_MouseDown(int16_t Button, int16_t /*Shift*/, float X, float Y) {
    ViewMouseDown(front_, Button, X, Y);
}
void frmMain::picLeft_MouseDown(int16_t Button, int16_t /*Shift*/, float X, float Y) {
    ViewMouseDown(left_, Button, X, Y);
}
void frmMain::picTop_MouseDown(int16_t Button, int16_t /*Shift*/, float X, float Y) {
    ViewMouseDown(top_, Button, X, Y);
}
void frmMain::pic_MouseMove(int16_t Button, int16_t Shift, float X, float Y) {
    ViewMouseMove(front_, Button, Shift, X, Y);
}
void frmMain::picLeft_MouseMove(int16_t Button, int16_t Shift, float X, float Y) {
    ViewMouseMove(left_, Button, Shift, X, Y);
}
void frmMain::picTop_MouseMove(int16_t Button, int16_t Shift, float X, float Y) {
    ViewMouseMove(top_, Button, Shift, X, Y);
}

// The selected point's stored offsets into txtX, txtY, txtZ; a box whose value cannot be read
// keeps its text.
void frmMain::ShowSelectedPoint() {
    SkipOnError([&] { ShowNumber(txtX, Obj().GetX(SelectedPoint)); });
    SkipOnError([&] { ShowNumber(txtY, Obj().GetY(SelectedPoint)); });
    SkipOnError([&] { ShowNumber(txtZ, Obj().GetZ(SelectedPoint)); });
}

void frmMain::ViewMouseDown(const EditView& view, int16_t Button, float X, float Y) {
    if (Button == PictureBox::kLeftButton) {
        SkipOnError([&] {
            const std::array<float, 3> c = Centre();
            SelectedPoint =
                Obj().SelectPoint(*view.box, X - c[static_cast<std::size_t>(view.across)],
                                  Y - c[static_cast<std::size_t>(view.down)], view.code);
        });
        if (SelectedPoint != -1) {
            ShowSelectedPoint();
            SkipOnError([&] { Obj().SelectInAllView(*pic, *picLeft, *picTop, SelectedPoint); });
        }
    }
    std::array<float, 3> pressed{0.0f, 0.0f, 0.0f};
    pressed[static_cast<std::size_t>(view.across)] = X;
    pressed[static_cast<std::size_t>(view.down)] = Y;
    AddOrDeleteAt(Button, pressed[0], pressed[1], pressed[2]);
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

void frmMain::ViewMouseMove(const EditView& view, int16_t Button, int16_t Shift, float X, float Y) {
    DragTransform(Button, Shift, X, Y);
    if (Button != PictureBox::kLeftButton || !bMove || SelectedPoint == -1) {
        return;
    }
    // The two shown coordinates jump under the pointer; the hidden one keeps its place.
    SkipOnError([&] {
        const auto hidden = static_cast<std::size_t>(3 - view.across - view.down);
        std::array<float, 3> target{};
        target[hidden] = StoredOffset(SelectedPoint, static_cast<int>(hidden)) + Centre()[hidden];
        target[static_cast<std::size_t>(view.across)] = X;
        target[static_cast<std::size_t>(view.down)] = Y;
        Obj().SetXYZ(SelectedPoint, target[0], target[1], target[2]);
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
    const c3dObj& model = Obj();
    model.DrawFrontView(*pic, c, p);
    if (chkPres->isChecked()) {
        SkipOnError([&] { model.DrawPrespectiveView(*picPresp, c, p); });
    }
    if (chkLeft->isChecked()) {
        model.DrawLeftView(*picLeft, c, p);
    }
    if (chkTop->isChecked()) {
        model.DrawTopView(*picTop, c, p);
    }
}

void frmMain::DragTransform(int16_t Button, int16_t Shift, float X, float Y) {
    mousePos->setText(NumberText(X) + QLatin1Char(',') + NumberText(Y));
    if (Button == PictureBox::kLeftButton) {
        if (bRotate) {
            DrawViews(kBlack, kBlack);
            const float aboutY = LastX > X ? kStep : -kStep;
            const float aboutX = LastY > Y ? kStep : -kStep;
            SkipOnError([&] { Obj().RotateXYZ(0, aboutY, 0); });
            SkipOnError([&] { Obj().RotateXYZ(aboutX, 0, 0); });
            if (Shift == kShiftOnly) {
                SkipOnError([&] { Obj().RotateXYZ(0, 0, kStep); });
            } else if (Shift == kCtrlOnly) {
                SkipOnError([&] { Obj().RotateXYZ(0, 0, -kStep); });
            }
            DrawViews(kGreen, kYellow);
        }
        if (bResize) {
            DrawViews(kBlack, kBlack);
            if (X > PressX) {
                SkipOnError([&] { Obj().Resize(1); });
            } else if (PressX > X) {
                SkipOnError([&] { Obj().Resize(-1); });
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
    SkipOnError([&] {
        switch (KeyCode) {
        case PictureBox::kKeyUp:
            Obj().RotateXYZ(kStep, 0, 0);
            break;
        case PictureBox::kKeyDown:
            Obj().RotateXYZ(-kStep, 0, 0);
            break;
        case PictureBox::kKeyLeft:
            Obj().RotateXYZ(0, kStep, 0);
            break;
        case PictureBox::kKeyRight:
            Obj().RotateXYZ(0, -kStep, 0);
            break;
        case PictureBox::kKeyShift:
            Obj().RotateXYZ(0, 0, kStep);
            break;
        case PictureBox::kKeyCtrl:
            Obj().RotateXYZ(0, 0, -kStep);
            break;
        default:
            break;
        }
    });
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
// over the user's file.
void frmMain::mnuOpen_Click() {
    const std::optional<QString> name = AskFileName(CommonDialog::Mode::Open);
    if (!name) {
        return;
    }
    const c3dObj& model = Obj();
    c3dObj loaded;
    loaded.SetCxyz(model.GetCX(), model.GetCY(), model.GetCZ());
    loaded.ObjName = std::string(1, kNotLoaded);
    try {
        loaded.LoadFileEx(QFile::encodeName(*name).toStdString());
    } catch (const std::exception& error) {
        ShowFileFailure(FileCommand::Open, *name, error);
        return;
    }
    if (loaded.ObjName == std::string(1, kNotLoaded)) {
        return; // not a model file: the loader has said so
    }
    mnuReset_Click();
    Obj() = std::move(loaded);
    mnuRefresh_Click();
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
