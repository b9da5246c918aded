// System failures get the window's own plain words; a file's bad content keeps the model's text,
// which names the line. Where the model's text tells the user where their data is, or that the
// file was written after all, that text is shown too.
#include "FileFailure.h"

#include "FileError.h"

#include <QDir>

namespace {

// The window's words for a failure, or nothing where only the model's text says it.
QString ShortWords(FileCommand command, FileError::Reason reason) {
    switch (reason) {
    case FileError::Reason::NotFound:
        return command == FileCommand::Save ? QStringLiteral("The folder does not exist.")
                                            : QStringLiteral("The file does not exist.");
    case FileError::Reason::NotAFolder:
        return QStringLiteral("A part of the path is not a folder.");
    case FileError::Reason::PermissionDenied:
        return QStringLiteral("Permission denied.");
    case FileError::Reason::DiskFull:
        return QStringLiteral("The disk is full.");
    case FileError::Reason::IsFolder:
        return QStringLiteral("The name is a folder.");
    case FileError::Reason::NotRegularFile:
        return QStringLiteral("The file is not a regular file.");
    case FileError::Reason::BadContent:
    case FileError::Reason::Other:
    case FileError::Reason::Written:
        break;
    }
    return {};
}

QString Headline(FileCommand command, const FileError* error) {
    if (error != nullptr && error->reason() == FileError::Reason::Written) {
        return QStringLiteral("Saved \"%1\", but not completely.");
    }
    return command == FileCommand::Save ? QStringLiteral("Could not save \"%1\".")
                                        : QStringLiteral("Could not open \"%1\".");
}

QString Reason(FileCommand command, const FileError* error, const QString& text) {
    const QString words = error != nullptr ? ShortWords(command, error->reason()) : QString();
    if (words.isEmpty()) {
        return text;
    }
    return error->keptIn().empty() ? words : words + QLatin1Char('\n') + text;
}

} // namespace

QString FileFailureText(FileCommand command, const QString& file, const std::exception& error) {
    const auto* fileError = dynamic_cast<const FileError*>(&error);
    return Headline(command, fileError).arg(QDir::toNativeSeparators(file)) + QLatin1Char('\n') +
           Reason(command, fileError, QString::fromStdString(error.what()));
}

QString BackupNoticeText(const QString& file, const QString& backup) {
    return QStringLiteral("Opened \"%1\".\nIt has a backup, \"%2\", which may hold the model as it "
                          "was before a save was cut short. If the model looks incomplete, copy "
                          "the backup over the file.")
        .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(backup));
}
