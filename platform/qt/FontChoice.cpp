// SPDX-License-Identifier: MIT
#include "platform/qt/FontChoice.h"

#include <QFontDatabase>
#include <QStringList>

QFont WithInstalledGothic(QFont font)
{
    // In order of likeness to the design face: fixed-pitch Gothic faces with
    // the same 12-pixel metrics first.
    const QStringList candidates = {font.family(), QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                                    QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP"),
                                    QStringLiteral("VL Gothic"), QStringLiteral("Takao Gothic")};
    // The list of installed faces, not a lookup by name: asking for a face
    // that is missing makes fontconfig run its whole substitution.
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : candidates) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            font.setFamily(family);
            return font;
        }
    }
    // None of them: the desktop's own sans-serif face, found by Qt.
    font.setFamily(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    return font;
}
