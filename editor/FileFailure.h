// The words a failed Open or Save shows: which file, and why, as plainly as the failure allows;
// and those of Open when the file has a backup.
#pragma once

#include <QString>

#include <exception>

enum class FileCommand { Open, Save };

// "Could not save "name"." and the reason on a line of its own.
QString FileFailureText(FileCommand command, const QString& file, const std::exception& error);

// That file has a backup, which may hold its model as it was before a save was cut short.
QString BackupNoticeText(const QString& file, const QString& backup);
