// The editor's only window: its controls in their fixed layout, the view commands and redraw,
// the editing tools with their mouse handlers, interactive rotation and scaling, and the file
// and coordinate commands.
#pragma once

#include "CommonDialog.h"
#include "FileFailure.h"
#include "TextBox.h"
#include "ViewRedraw.h"

#include <QMainWindow>

#include <cstdint>
#include <exception>
#include <optional>

class CaptionLabel;
class PictureBox;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);

    // ---- controls ----
    QCheckBox* chkLeft = nullptr;
    QCheckBox* chkPres = nullptr;
    QCheckBox* chkTop = nullptr;
    TextBox* txtSelectedObj = nullptr;
    QToolButton* cmdArrow = nullptr;
    QToolButton* cmdDelete = nullptr;
    QToolButton* cmdAdd = nullptr;
    QToolButton* cmdRotate = nullptr;
    QToolButton* cmdMove = nullptr;
    QToolButton* cmdResize = nullptr;
    TextBox* txtX = nullptr;
    TextBox* txtY = nullptr;
    TextBox* txtZ = nullptr;
    QPushButton* cmdSet = nullptr;
    TextBox* txtCx = nullptr;
    TextBox* txtCy = nullptr;
    TextBox* txtCz = nullptr;
    QPushButton* cmdSetC = nullptr;
    QLabel* mousePos = nullptr;
    PictureBox* pic = nullptr;
    CaptionLabel* lbU = nullptr;
    PictureBox* picLeft = nullptr;
    CaptionLabel* lbLeft = nullptr;
    PictureBox* picPresp = nullptr;
    CaptionLabel* LbFront = nullptr;
    PictureBox* picTop = nullptr;
    CaptionLabel* lbTop = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    CommonDialog cdc;

    QAction* mnuOpen = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuRefresh = nullptr;
    QAction* mnuReset = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuViewAll = nullptr;
    QAction* mnuFront = nullptr;
    QAction* mnuLeft = nullptr;
    QAction* mnuTop = nullptr;
    QAction* mnuAbout = nullptr;

    // ---- tool state, selection and press record ----
    bool bSelect = false;
    bool bResize = false;
    bool bAdd = false;
    bool bDelete = false;
    bool bMove = false;
    bool bRotate = false;
    float PressX = 0.0f;
    float LastX = 0.0f;
    float LastY = 0.0f;
    int16_t SelectedPoint = -1;

    // ---- start-up, redraw and view arrangement ----
    void Form_Load();
    void mnuRefresh_Click();
    void chkLeft_Click();
    void chkPres_Click();
    void chkTop_Click();
    void mnuViewAll_Click();
    void mnuFront_Click();
    void mnuLeft_Click();
    void mnuTop_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    // ---- tools and mouse editing ----
    void cmdArrow_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdMove_Click();
    void cmdRotate_Click();
    void cmdResize_Click();
    void pic_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void picLeft_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void picTop_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void pic_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void picLeft_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void picTop_MouseMove(int16_t Button, int16_t Shift, float X, float Y);

    // ---- interactive rotation and scaling ----
    void pic_KeyDown(int16_t KeyCode, int16_t Shift);
    void picLeft_KeyDown(int16_t KeyCode, int16_t Shift);
    void picTop_KeyDown(int16_t KeyCode, int16_t Shift);
    void DragTransform(int16_t Button, int16_t Shift, float X, float Y);
    void KeyRotate(int16_t KeyCode, int16_t Shift);
    void DrawViews(uint32_t c, uint32_t p);

    // ---- file and coordinate commands ----
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuReset_Click();
    void cmdSet_Click();
    void cmdSetC_Click();

private:
    // The stored layout and the menus, with their handlers connected.
    void buildControls(QWidget* client);
    void buildMenus();

    void SetTool(bool resize, bool add, bool del, bool move, bool rotate, bool select);
    void chooseTool(const QString& text, bool resize, bool add, bool del, bool move, bool rotate,
                    bool select);
    void AddOrDeleteAt(int16_t Button, float x, float y, float z);
    // A press or move in the flat view of the given code, read on that view's two axes.
    void ViewMouseDown(PictureBox& view, int16_t code, int16_t Button, float X, float Y);
    void ViewMouseMove(int16_t code, int16_t Button, int16_t Shift, float X, float Y);
    void ShowSelectedPoint();
    // The views' pixel buffers for the redraw routine, which boxes are checked, and the repaint
    // the views ask for once drawn.
    ViewCanvases Surfaces();
    ShownViews Shown() const;
    void DescribeViews();
    void RepaintViews();
    void EnlargeAlone(PictureBox* view);
    std::optional<QString> AskFileName(CommonDialog::Mode mode);
    static void ShowBackupNotice(const QString& file);
    static void ShowFileFailure(FileCommand command, const QString& file,
                                const std::exception& error);
};
