// A fresh window over a fresh model for every test, with the message boxes and file dialogs
// scripted instead of shown.
#pragma once

#include "Colours.h"
#include "CommonDialog.h"
#include "PictureBox.h"
#include "RecordingMsgBox.h"
#include "ViewPixels.h"
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
    }

    // Checks the boxes of the left, perspective and top views, in that order.
    void CheckAllBoxes() {
        form->chkLeft->setChecked(true);
        form->chkPres->setChecked(true);
        form->chkTop->setChecked(true);
    }

    RecordingMsgBox msgBox;
    std::optional<QString> nextChoice;
    std::vector<CommonDialog::Mode> dialogModes;
    std::vector<QString> offeredNames;
    std::unique_ptr<frmMain> form;
};
