// The window's stored layout as one table, in tab order: every control with its place, text,
// font, tooltip, picture and handlers; the menus as a second table; and the code that builds the
// window from both.
#include "frmMainLayout.h"

#include "CaptionLabel.h"
#include "PictureBox.h"
#include "TextBox.h"
#include "frmMain.h"

#include <QCheckBox>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <iterator>
#include <type_traits>

namespace {

// Number: a compact font that shows a number of up to six characters whole in its narrow box.
// Fitted: the platform's font, narrowed where the button's text would touch its edges.
// Line: the platform's font, smaller where its line would be taller than the box.
enum class Font { Standard, Verdana, VerdanaBold, Number, Fitted, Line };

constexpr const char* kFontFamily = "Verdana";
constexpr double kFontPoints = 8.25;
// The captions' light yellow, 0x0080FFFF as 0x00BBGGRR.
constexpr QColor kCaptionColour{0xFF, 0xFF, 0x80};
constexpr QSize kToolIcon{26, 26};
// What the number boxes are for; their text is their value, so assistive technology reads that.
constexpr const char* kPointBox = "The selected point's offset from the centre";
constexpr const char* kCentreBox = "The centre, about which the model turns and scales";

using Click = void (frmMain::*)();
using Mouse = void (frmMain::*)(int16_t Button, int16_t Shift, float X, float Y);
using Key = void (frmMain::*)(int16_t KeyCode, int16_t Shift);

struct Control;
using Make = QWidget* (*)(frmMain& form, QWidget* parent, const Control& control);

struct Control {
    Make make;
    const char* name;
    const char* spoken = ""; // the name assistive technology reads, where the text does not say it
    const char* described = ""; // what it is for, read after its name and value; else its tooltip
    QRect at;                   // a caption's place lies within its view
    const char* text = "";
    Font font = Font::Standard;
    const char* tip = "";
    const char* picture = ""; // a tool button's icon
    // A rule's colour; the rules are the only controls that use it.
    QPalette::ColorRole rule = QPalette::NoRole;
    const char* in = nullptr; // the view a caption lies in
    Click click = nullptr;    // a click, a check box's change of value, a caption's double-click
    Mouse mouseDown = nullptr;
    Mouse mouseMove = nullptr;
    Key keyDown = nullptr;
    bool readOnly = false; // shows a state: takes no typing and no focus
};

// The widest numbers of up to six characters a number box must show whole.
constexpr const char* kWidestNumbers[] = {"-888.8", "-8E+08", "888888"};
// A button's text keeps at least this many pixels from each of its edges.
constexpr int kButtonTextMargin = 4;
constexpr double kPointStep = 0.5;
// The tallest text a number box holds without clipping, and the smallest text still readable.
constexpr int kNumberPixelsMax = 15;
constexpr int kPixelsMin = 6;

QFont VerdanaFont(bool bold) {
    QFont verdana(QString::fromLatin1(kFontFamily));
    verdana.setPointSizeF(kFontPoints);
    verdana.setBold(bold);
    return verdana;
}

bool LineFits(const QFont& font, QSize room) {
    return QFontMetrics(font).height() <= room.height();
}

bool NumbersFit(const QFont& font, QSize room) {
    const QFontMetrics metrics(font);
    return LineFits(font, room) &&
           std::all_of(std::begin(kWidestNumbers), std::end(kWidestNumbers), [&](const char* n) {
               return metrics.horizontalAdvance(QString::fromLatin1(n)) <= room.width();
           });
}

// The largest font, narrowed, in which the widest numbers fit.
void FitNumbers(TextBox* box) {
    const QSize room = box->Room();
    QFont font = box->font();
    font.setStretch(QFont::SemiCondensed);
    int pixels = kNumberPixelsMax;
    font.setPixelSize(pixels);
    while (pixels > kPixelsMin && !NumbersFit(font, room)) {
        font.setPixelSize(--pixels);
    }
    box->setFont(font);
}

// The platform's font, or a smaller one where its line is taller than the box.
void FitLine(TextBox* box) {
    const QSize room = box->Room();
    QFont font = box->font();
    for (int pixels = QFontInfo(font).pixelSize(); pixels > kPixelsMin && !LineFits(font, room);
         --pixels) {
        font.setPixelSize(pixels - 1);
    }
    box->setFont(font);
}

// The platform's font, narrowed and then made smaller only as far as the text needs to keep
// clear of the button's edges.
void FitButtonText(QPushButton* button) {
    const int room = button->width() - 2 * kButtonTextMargin;
    QFont font = button->font();
    for (const int stretch : {int{QFont::Unstretched}, int{QFont::SemiCondensed}}) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(button->text()) <= room) {
            button->setFont(font);
            return;
        }
    }
    while (font.pointSizeF() > 1 && QFontMetrics(font).horizontalAdvance(button->text()) > room) {
        font.setPointSizeF(font.pointSizeF() - kPointStep);
    }
    button->setFont(font);
}

void ApplyFont(QWidget* widget, Font font) {
    switch (font) {
    case Font::Standard:
        break;
    case Font::Verdana:
    case Font::VerdanaBold:
        widget->setFont(VerdanaFont(font == Font::VerdanaBold));
        break;
    case Font::Number:
        FitNumbers(qobject_cast<TextBox*>(widget));
        break;
    case Font::Line:
        FitLine(qobject_cast<TextBox*>(widget));
        break;
    case Font::Fitted:
        FitButtonText(qobject_cast<QPushButton*>(widget));
        break;
    }
}

// What a kind of control needs besides its place, text, font and tooltip.
void Finish(QWidget* /*widget*/, const Control& /*control*/) {}

void Finish(QToolButton* button, const Control& control) {
    button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(control.picture))));
    button->setIconSize(kToolIcon);
}

void Finish(PictureBox* view, const Control& /*control*/) {
    view->setFocusPolicy(Qt::StrongFocus);
}

void Finish(CaptionLabel* caption, const Control& /*control*/) {
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, kCaptionColour);
    caption->setPalette(palette);
    caption->setAttribute(Qt::WA_TranslucentBackground);
}

// The position label: the system's window colours, as a text box has them.
void Finish(QLabel* label, const Control& /*control*/) {
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Text));
    label->setPalette(palette);
}

// A rule along the top edge of the tool panel.
void Finish(QFrame* line, const Control& control) {
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, palette.color(control.rule));
    line->setPalette(palette);
}

// Creates the control of one member, of that member's type, and stores it there.
template <auto Member>
QWidget* MakeControl(frmMain& form, QWidget* parent, const Control& control) {
    using Widget = std::remove_pointer_t<std::remove_reference_t<decltype(form.*Member)>>;
    auto* widget = new Widget(parent);
    form.*Member = widget;
    Finish(widget, control);
    return widget;
}

void ConnectHandlers(frmMain& form, QWidget* widget, const Control& control) {
    if (control.click != nullptr) {
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            // toggled fires on every change of the value, from the user or from code, and not
            // when code sets the value the box already has.
            QObject::connect(box, &QCheckBox::toggled, &form, control.click);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QObject::connect(button, &QAbstractButton::clicked, &form, control.click);
        } else if (auto* caption = qobject_cast<CaptionLabel*>(widget)) {
            QObject::connect(caption, &CaptionLabel::DblClick, &form, control.click);
        }
    }
    if (auto* view = qobject_cast<PictureBox*>(widget); view != nullptr && control.mouseDown) {
        QObject::connect(view, &PictureBox::MouseDown, &form, control.mouseDown);
        QObject::connect(view, &PictureBox::MouseMove, &form, control.mouseMove);
        QObject::connect(view, &PictureBox::KeyDown, &form, control.keyDown);
    }
}

template <auto Member> constexpr Make kMake = &MakeControl<Member>;

// In tab order; the captions cannot take the focus, and the rules have no tab place.
const Control kControls[] = {
    {.make = kMake<&frmMain::chkLeft>,
     .name = "chkLeft",
     .at = {8, 16, 81, 25},
     .text = "Left View",
     .font = Font::Verdana,
     .click = &frmMain::chkLeft_Click},
    {.make = kMake<&frmMain::chkPres>,
     .name = "chkPres",
     .spoken = "Perspective",
     .at = {8, 40, 89, 25},
     .text = "Prespective",
     .font = Font::Verdana,
     .click = &frmMain::chkPres_Click},
    {.make = kMake<&frmMain::chkTop>,
     .name = "chkTop",
     .at = {8, 64, 81, 25},
     .text = "Top View",
     .font = Font::Verdana,
     .click = &frmMain::chkTop_Click},
    {.make = kMake<&frmMain::txtSelectedObj>,
     .name = "txtSelectedObj",
     .spoken = "Tool",
     .at = {16, 110, 65, 19},
     .text = "Point",
     .font = Font::Line,
     .readOnly = true},
    {.make = kMake<&frmMain::cmdArrow>,
     .name = "cmdArrow",
     .spoken = "Select",
     .at = {16, 136, 33, 33},
     .picture = "arrow",
     .click = &frmMain::cmdArrow_Click},
    {.make = kMake<&frmMain::cmdDelete>,
     .name = "cmdDelete",
     .spoken = "Erase",
     .at = {48, 136, 33, 33},
     .font = Font::VerdanaBold,
     .tip = "Delete Point",
     .picture = "delete",
     .click = &frmMain::cmdDelete_Click},
    {.make = kMake<&frmMain::cmdAdd>,
     .name = "cmdAdd",
     .spoken = "Add",
     .at = {16, 168, 33, 33},
     .font = Font::VerdanaBold,
     .tip = "Add Point",
     .picture = "add",
     .click = &frmMain::cmdAdd_Click},
    {.make = kMake<&frmMain::cmdRotate>,
     .name = "cmdRotate",
     .spoken = "Rotate Object",
     .at = {48, 168, 33, 33},
     .tip = "Rotate",
     .picture = "rotate",
     .click = &frmMain::cmdRotate_Click},
    {.make = kMake<&frmMain::cmdMove>,
     .name = "cmdMove",
     .spoken = "Move",
     .at = {16, 200, 33, 33},
     .tip = "Move",
     .picture = "move",
     .click = &frmMain::cmdMove_Click},
    {.make = kMake<&frmMain::cmdResize>,
     .name = "cmdResize",
     .spoken = "Resize",
     .at = {48, 200, 33, 33},
     .tip = "Resize",
     .picture = "resize",
     .click = &frmMain::cmdResize_Click},
    {.make = kMake<&frmMain::txtX>,
     .name = "txtX",
     .spoken = "Point x",
     .described = kPointBox,
     .at = {0, 336, 33, 19},
     .font = Font::Number},
    {.make = kMake<&frmMain::txtY>,
     .name = "txtY",
     .spoken = "Point y",
     .described = kPointBox,
     .at = {32, 336, 33, 19},
     .font = Font::Number},
    {.make = kMake<&frmMain::txtZ>,
     .name = "txtZ",
     .spoken = "Point z",
     .described = kPointBox,
     .at = {64, 336, 33, 19},
     .font = Font::Number},
    {.make = kMake<&frmMain::cmdSet>,
     .name = "cmdSet",
     .at = {16, 360, 65, 25},
     .text = "Set Point",
     .font = Font::Fitted,
     .click = &frmMain::cmdSet_Click},
    {.make = kMake<&frmMain::txtCx>,
     .name = "txtCx",
     .spoken = "Centre x",
     .described = kCentreBox,
     .at = {0, 408, 33, 19},
     .font = Font::Number},
    {.make = kMake<&frmMain::txtCy>,
     .name = "txtCy",
     .spoken = "Centre y",
     .described = kCentreBox,
     .at = {32, 408, 33, 19},
     .font = Font::Number},
    {.make = kMake<&frmMain::txtCz>,
     .name = "txtCz",
     .spoken = "Centre z",
     .described = kCentreBox,
     .at = {64, 408, 33, 19},
     .font = Font::Number},
    {.make = kMake<&frmMain::cmdSetC>,
     .name = "cmdSetC",
     .at = {16, 432, 65, 25},
     .text = "Set Center",
     .font = Font::Fitted,
     .click = &frmMain::cmdSetC_Click},
    {.make = kMake<&frmMain::mousePos>,
     .name = "mousePos",
     .described = "Pointer position",
     .at = {0, 472, 97, 17}},
    {.make = kMake<&frmMain::pic>,
     .name = "pic",
     .spoken = "Front view",
     .at = {{104, 0}, layout::kView},
     .mouseDown = &frmMain::pic_MouseDown,
     .mouseMove = &frmMain::pic_MouseMove,
     .keyDown = &frmMain::pic_KeyDown},
    {.make = kMake<&frmMain::picLeft>,
     .name = "picLeft",
     .spoken = "Left view",
     .at = {{560, 0}, layout::kView},
     .mouseDown = &frmMain::picLeft_MouseDown,
     .mouseMove = &frmMain::picLeft_MouseMove,
     .keyDown = &frmMain::picLeft_KeyDown},
    {.make = kMake<&frmMain::picPresp>,
     .name = "picPresp",
     .spoken = "Perspective view",
     .at = {{560, 344}, layout::kView}},
    {.make = kMake<&frmMain::picTop>,
     .name = "picTop",
     .spoken = "Top view",
     .at = {{104, 344}, layout::kView},
     .mouseDown = &frmMain::picTop_MouseDown,
     .mouseMove = &frmMain::picTop_MouseMove,
     .keyDown = &frmMain::picTop_KeyDown},
    {.make = kMake<&frmMain::lbU>,
     .name = "lbU",
     .at = {0, 0, 73, 17},
     .text = "Front View",
     .font = Font::VerdanaBold,
     .in = "pic",
     .click = &frmMain::mnuFront_Click},
    {.make = kMake<&frmMain::lbLeft>,
     .name = "lbLeft",
     .at = {0, 0, 65, 17},
     .text = "Left View",
     .font = Font::VerdanaBold,
     .in = "picLeft",
     .click = &frmMain::mnuLeft_Click},
    {.make = kMake<&frmMain::lbTop>,
     .name = "lbTop",
     .at = {0, 0, 65, 17},
     .text = "Top View",
     .font = Font::VerdanaBold,
     .in = "picTop",
     .click = &frmMain::mnuTop_Click},
    {.make = kMake<&frmMain::LbFront>,
     .name = "LbFront",
     .spoken = "Perspective View",
     .at = {0, 0, 121, 17},
     .text = "Prespective View",
     .font = Font::VerdanaBold,
     .in = "picPresp"},
    // Two rules on the same place, the second over the first.
    {.make = kMake<&frmMain::Line1>,
     .name = "Line1",
     .at = {0, 0, layout::kToolPanelWidth, 1},
     .rule = QPalette::WindowText},
    {.make = kMake<&frmMain::Line2>,
     .name = "Line2",
     .at = {0, 0, layout::kToolPanelWidth, 1},
     .rule = QPalette::HighlightedText},
};

struct MenuItem {
    const char* menu; // nullptr: an item of the menu bar itself
    QAction* frmMain::*member;
    const char* caption;
    Click handler;
    int shortcut = 0;
};

// A member of nullptr is a separator.
const MenuItem kMenus[] = {
    {"&File", &frmMain::mnuOpen, "&Open", &frmMain::mnuOpen_Click},
    {"&File", &frmMain::mnuSave, "&Save", &frmMain::mnuSave_Click},
    {"&File", nullptr, nullptr, nullptr},
    {"&File", &frmMain::mnuRefresh, "Refresh", &frmMain::mnuRefresh_Click, Qt::Key_F5},
    {"&File", &frmMain::mnuReset, "&Reset", &frmMain::mnuReset_Click},
    {"&File", nullptr, nullptr, nullptr},
    {"&File", &frmMain::mnuExit, "E&xit", &frmMain::mnuExit_Click},
    {"&View", &frmMain::mnuViewAll, "&View All", &frmMain::mnuViewAll_Click},
    {"&View", &frmMain::mnuFront, "&Front View", &frmMain::mnuFront_Click},
    {"&View", &frmMain::mnuLeft, "&Left View", &frmMain::mnuLeft_Click},
    {"&View", &frmMain::mnuTop, "&Top View", &frmMain::mnuTop_Click},
    {nullptr, &frmMain::mnuAbout, "&About", &frmMain::mnuAbout_Click},
};

} // namespace

void frmMain::buildControls(QWidget* client) {
    QWidget* previous = nullptr;
    for (const Control& control : kControls) {
        QWidget* parent =
            control.in != nullptr ? client->findChild<QWidget*>(QLatin1String(control.in)) : client;
        QWidget* widget = control.make(*this, parent, control);
        widget->setObjectName(QLatin1String(control.name));
        // A caption's place is within its view's drawing area, inside the view's border.
        widget->setGeometry(parent == client
                                ? control.at
                                : control.at.translated(parent->contentsRect().topLeft()));
        if (widget->property("text").isValid()) {
            widget->setProperty("text", QString::fromLatin1(control.text));
        }
        ApplyFont(widget, control.font);
        widget->setToolTip(QString::fromLatin1(control.tip));
        // Without a name of its own, a control is read by its text; without a description, by
        // its tooltip.
        widget->setAccessibleName(QString::fromLatin1(control.spoken));
        widget->setAccessibleDescription(QString::fromLatin1(control.described));
        if (control.readOnly) {
            widget->setProperty("readOnly", true);
            widget->setFocusPolicy(Qt::NoFocus);
        }
        ConnectHandlers(*this, widget, control);
        if ((widget->focusPolicy() & Qt::TabFocus) != 0) {
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
}

void frmMain::buildMenus() {
    QMenu* menu = nullptr;
    for (const MenuItem& item : kMenus) {
        if (item.menu == nullptr) {
            menu = nullptr;
        } else if (menu == nullptr || menu->title() != QLatin1String(item.menu)) {
            menu = menuBar()->addMenu(QString::fromLatin1(item.menu));
        }
        if (item.member == nullptr) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu != nullptr ? menu->addAction(QString::fromLatin1(item.caption))
                                          : menuBar()->addAction(QString::fromLatin1(item.caption));
        if (item.shortcut != 0) {
            action->setShortcut(QKeySequence(item.shortcut));
        }
        connect(action, &QAction::triggered, this, item.handler);
        this->*item.member = action;
    }
}
