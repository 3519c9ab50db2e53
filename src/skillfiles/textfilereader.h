#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>

// Reads a whole skill file as text. Strict: a file that is not valid UTF-8 is
// refused rather than shown with replacement characters, so a later save cannot
// write the damage back.
class TextFileReader final
{
public:
    // Skill files are small markdown files; anything larger is not one.
    static constexpr qint64 maxBytes = qint64(16) * 1024 * 1024;

    // A leading byte-order mark is dropped: it marks the encoding and is not text.
    static Result<QString> readUtf8(const QString &path);
    // The same checks and limit, without decoding.
    static Result<QByteArray> readBytes(const QString &path);
    // Strict decoding; path only names the file in the message.
    static Result<QString> decodeUtf8(const QByteArray &bytes, const QString &path);
};
