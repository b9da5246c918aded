// The dialog over QFileDialog, or over a scripted chooser.
#include "CommonDialog.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
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

// Texts as wide as a file's size, type and date usually are, for the widths of those columns.
QStringList ColumnSamples() {
    const QDateTime late(QDate(2026, 12, 31), QTime(23, 59, 59));
    return {QStringLiteral("1023.9 KiB"), QStringLiteral("plain text document"),
            QLocale().toString(late, QLocale::ShortFormat)};
}
// Room beside a column's text for the header's sort mark and the gap to the next column.
constexpr int kColumnPadding = 24;

// The size, type and date show whole; the name column takes the rest. The widths come from the
// font rather than from the folder's content, which would have to be measured file by file.
void ShowColumnsWhole(QFileDialog& dialog) {
    dialog.setViewMode(QFileDialog::Detail);
    const QStringList samples = ColumnSamples();
    for (auto* view : dialog.findChildren<QTreeView*>()) {
        QHeaderView* header = view->header();
        const QFontMetrics metrics(view->font());
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column <= static_cast<int>(samples.size()); ++column) {
            header->resizeSection(column,
                                  metrics.horizontalAdvance(samples[column - 1]) + kColumnPadding);
        }
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
