// A fresh window over a fresh model for every test, with the message boxes and file dialogs
// scripted instead of shown.
#pragma once

#include "Colours.h"
#include "CommonDialog.h"
#include "MsgBox.h"
#include "PictureBox.h"
#include "frmMain.h"
#include "mObj.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class RecordingMsgBox : public MsgBox {
public:
    struct Message {
        std::string text;
        Icon icon;
        std::string title;
    };
    void Show(const std::string& text, Icon icon, const std::string& title) override {
        messages.push_back({text, icon, title});
    }
    std::vector<Message> messages;
};

// Sets the default locale for the life of the object.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) : saved_(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~DefaultLocale() { QLocale::setDefault(saved_); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

private:
    QLocale saved_;
};

class WindowFixture : public testing::Test {
protected:
    void SetUp() override {
        Obj() = c3dObj();
        MsgBox::Install(&msgBox);
        CommonDialog::SetChooser([this](CommonDialog::Mode mode, const CommonDialog& dialog) {
            dialogModes.push_back(mode);
            offeredNames.push_back(dialog.FileName);
            return nextChoice;
        });
        form = std::make_unique<frmMain>();
        form->resize(1100, 760);
        form->show();
        QApplication::processEvents();
    }

    void TearDown() override {
        form.reset();
        CommonDialog::SetChooser(nullptr);
        MsgBox::Install(nullptr);
    }

    // Checks the boxes of the left, perspective and top views, in that order.
    void CheckAllBoxes() {
        form->chkLeft->setChecked(true);
        form->chkPres->setChecked(true);
        form->chkTop->setChecked(true);
    }

    // Counts the pixels of a colour in a view.
    static int Count(const PictureBox* view, uint32_t colour) {
        const RasterCanvas& raster = view->raster();
        int n = 0;
        for (int y = 0; y < raster.ScaleHeight(); ++y) {
            for (int x = 0; x < raster.ScaleWidth(); ++x) {
                n += raster.pixel(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }
    static bool Blank(const PictureBox* view) {
        return Count(view, kBlack) == view->raster().ScaleWidth() * view->raster().ScaleHeight();
    }
    static uint32_t Pixel(const PictureBox* view, int x, int y) {
        return view->raster().pixel(x, y);
    }

    RecordingMsgBox msgBox;
    std::optional<QString> nextChoice;
    std::vector<CommonDialog::Mode> dialogModes;
    std::vector<QString> offeredNames;
    std::unique_ptr<frmMain> form;
};
