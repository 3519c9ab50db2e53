#pragma once

#include <QString>

// Shows a file in the platform's file manager with the file selected.
class FileRevealer final
{
public:
    // "Show in Finder", "Show in Explorer" or "Show in File Manager".
    static QString actionText();
    // Fire and forget: a file that is gone is not reported.
    static void reveal(const QString &path);
};
