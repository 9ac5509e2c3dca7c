// The program's icon: a small LED matrix, drawn rather than shipped.
#pragma once

#include <QIcon>

QIcon JxProgramIcon();
