#pragma once

#include "updatecheckresult.h"

class QWidget;

// What an update check found, told in a small dialog; an available update
// offers to open its download page. The menu command and the About tab share it.
class UpdateResultDialog final
{
public:
    static void show(QWidget *parent, const UpdateCheckResult &result);
};
