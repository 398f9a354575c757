// SPDX-License-Identifier: MIT
#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

QtMessageBox::QtMessageBox(std::function<std::string()> title) : title_(std::move(title)) {}

std::string QtMessageBox::ApplicationTitle() const
{
    return title_ ? title_() : std::string();
}

int QtMessageBox::Show(const std::string& text, const std::string& caption, int flags)
{
    const bool question = (flags & MB_YESNO) != 0;
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(caption), QString::fromStdString(text),
                    question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    const int answer = box.exec();
    if (question)
        return answer == QMessageBox::Yes ? IDYES : IDNO;
    return IDOK;
}
