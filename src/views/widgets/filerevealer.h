#pragma once

#include <QString>

class QWidget;

// Shows a file in the platform's file manager with the file selected.
class FileRevealer final
{
public:
    // "Show in Finder", "Show in Explorer" or "Show in File Manager".
    static QString actionText();
    // Fire and forget: a file that is gone is not reported. When nothing can
    // show it (no file manager, no folder opener), a message over `parent`
    // gives the path to copy instead.
    static void reveal(const QString &path, QWidget *parent = nullptr);
    // That message, shown without blocking the window.
    static void showPath(const QString &path, QWidget *parent);
};
