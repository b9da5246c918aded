// System failures get the window's own plain words; a file's bad content keeps the model's text,
// which names the line.
#include "FileFailure.h"

#include "FileError.h"

#include <QDir>

namespace {

QString Reason(FileCommand command, const std::exception& error) {
    const auto* fileError = dynamic_cast<const FileError*>(&error);
    if (fileError == nullptr) {
        return QString::fromStdString(error.what());
    }
    switch (fileError->reason()) {
    case FileError::Reason::NotFound:
        return command == FileCommand::Save ? QStringLiteral("The folder does not exist.")
                                            : QStringLiteral("The file does not exist.");
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
        break;
    }
    return QString::fromStdString(error.what());
}

} // namespace

QString FileFailureText(FileCommand command, const QString& file, const std::exception& error) {
    const QString headline = command == FileCommand::Save
                                 ? QStringLiteral("Could not save \"%1\".")
                                 : QStringLiteral("Could not open \"%1\".");
    return headline.arg(QDir::toNativeSeparators(file)) + QLatin1Char('\n') +
           Reason(command, error);
}
