// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

// The form is designed in a Japanese Gothic face that Linux desktops do not
// have. Looking the missing face up again for every text costs time at each
// start, so the installed face to use in its place is chosen once here.
QFont WithInstalledGothic(QFont font);
