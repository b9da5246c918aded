// Whole files written and read back as bytes, for the tests that name files and hold bytes in Qt's
// types.
#pragma once

#include "FileBytes.h"

#include <QByteArray>
#include <QString>

// On Linux Qt hands file names to the system in UTF-8, as toStdString gives them.
inline void WriteFile(const QString& name, const QByteArray& bytes) {
    WriteBytes(name.toStdString(), bytes.toStdString());
}

inline QByteArray ReadFile(const QString& name) {
    return QByteArray::fromStdString(ReadBytes(name.toStdString()));
}
