// The file dialog shared by Open and Save: its settings, and the name chosen last, which the
// next dialog offers again.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

class QWidget;

// Thrown by a cancelled dialog when CancelError is set; it ends the command that showed it.
class DialogCancelled : public std::runtime_error {
public:
    DialogCancelled() : std::runtime_error("the file dialog was cancelled") {}
};

class CommonDialog {
public:
    enum class Mode { Open, Save };
    // Picks a name instead of showing a dialog, or returns nothing to cancel.
    using Chooser = std::function<std::optional<QString>(Mode mode, const CommonDialog& dialog)>;

    explicit CommonDialog(QWidget* parent) : parent_(parent) {}

    bool CancelError = false;
    // "Description|pattern" pairs, e.g. "G3D File (*.G3D)|*.G3D".
    QString Filter;
    // The full name of the chosen file.
    QString FileName;

    void ShowOpen() { show(Mode::Open); }
    void ShowSave() { show(Mode::Save); }

    // Filter in Qt's form; patterns also match their lower-case spelling, so a case-sensitive
    // file system still lists model.g3d.
    static QString QtFilter(const QString& filter);

    // Scripts every dialog of the program, for tests; an empty chooser shows real dialogs.
    static void SetChooser(Chooser chooser);

private:
    void show(Mode mode);
    std::optional<QString> ask(Mode mode) const;

    QWidget* parent_;
};
