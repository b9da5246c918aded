// The words a failed Open or Save shows: which file, and why, as plainly as the failure allows.
#pragma once

#include <QString>

#include <exception>

enum class FileCommand { Open, Save };

// "Could not save "name"." and the reason on a line of its own.
QString FileFailureText(FileCommand command, const QString& file, const std::exception& error);
