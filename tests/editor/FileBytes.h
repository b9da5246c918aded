// Whole files written and read back as bytes, for the tests that open and save models.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

// Writes bytes as the whole content of the file; wrap in ASSERT_NO_FATAL_FAILURE to stop the
// test where the file cannot be written.
inline void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The file's bytes, or none where it cannot be read.
inline QByteArray ReadFile(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}
