// SPDX-License-Identifier: MIT
#include "components/ApplicationForms.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace {
// Never destroyed: at an exit that skips the owner's destructor (Qt ends the
// process itself when the display goes away) the forms stay reachable.
std::vector<QPointer<QWidget>>& Forms()
{
    static auto* forms = new std::vector<QPointer<QWidget>>;
    return *forms;
}
} // namespace

ApplicationForms::ApplicationForms() = default;

ApplicationForms::~ApplicationForms()
{
    // Deleting one form may delete others it owns; take each out first.
    std::vector<QPointer<QWidget>>& forms = Forms();
    while (!forms.empty()) {
        QPointer<QWidget> form = forms.back();
        forms.pop_back();
        delete form.data();
    }
}

void ApplicationForms::Adopt(QWidget* form)
{
    if (!form || Owns(form))
        return;
    // A dialog left open does not keep the program running once its main
    // window has closed.
    form->setAttribute(Qt::WA_QuitOnClose, false);
    std::vector<QPointer<QWidget>>& forms = Forms();
    std::erase_if(forms, [](const QPointer<QWidget>& kept) { return kept.isNull(); });
    forms.emplace_back(form);
}

bool ApplicationForms::Owns(const QObject* form)
{
    if (!form)
        return false;
    const std::vector<QPointer<QWidget>>& forms = Forms();
    return std::any_of(forms.begin(), forms.end(), [form](const QPointer<QWidget>& kept) { return kept == form; });
}

QObject* ApplicationForms::Owner()
{
    return QCoreApplication::instance();
}
