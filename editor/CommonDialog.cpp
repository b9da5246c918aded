// The dialog over QFileDialog, or over a scripted chooser.
#include "CommonDialog.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QSize>
#include <QStringList>
#include <QTreeView>

#include <utility>

namespace {

CommonDialog::Chooser& ScriptedChooser() {
    static CommonDialog::Chooser chooser;
    return chooser;
}

constexpr const char* kDefaultSuffix = "G3D";
// Wide enough on a 1280 x 1024 screen to show a file's name, size, type and date whole.
constexpr QSize kDialogSize{900, 560};

// The name column takes what the size, type and date leave; those show whole.
void ShowColumnsWhole(QFileDialog& dialog) {
    dialog.setViewMode(QFileDialog::Detail);
    for (auto* view : dialog.findChildren<QTreeView*>()) {
        QHeaderView* header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

} // namespace

void CommonDialog::SetChooser(Chooser chooser) {
    ScriptedChooser() = std::move(chooser);
}

QString CommonDialog::QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const qsizetype open = description.indexOf(QLatin1Char('('));
        if (open >= 0) {
            description = description.left(open).trimmed();
        }
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << pattern;
            if (pattern.toLower() != pattern) {
                patterns << pattern.toLower();
            }
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<QString> CommonDialog::ask(Mode mode) const {
    if (ScriptedChooser()) {
        return ScriptedChooser()(mode, *this);
    }
    QFileDialog dialog(parent_);
    dialog.setNameFilter(QtFilter(Filter));
    if (mode == Mode::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QString::fromLatin1(kDefaultSuffix));
    }
    if (!FileName.isEmpty()) {
        dialog.selectFile(FileName);
    }
    dialog.resize(kDialogSize);
    ShowColumnsWhole(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

void CommonDialog::show(Mode mode) {
    const std::optional<QString> chosen = ask(mode);
    if (!chosen) {
        if (CancelError) {
            throw DialogCancelled();
        }
        return;
    }
    FileName = *chosen;
}
