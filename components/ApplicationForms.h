// SPDX-License-Identifier: MIT
#pragma once

class QObject;
class QWidget;

// Forms owned by the application: they live, hidden between uses, until the
// program ends. Qt cannot make the application object a widget's parent, so
// they are kept here instead. The program holds one ApplicationForms for as
// long as its application object lives, declared after it, so that the forms
// are deleted before the application object (windows deleted after it crash,
// windows never deleted are reported as leaks).
class ApplicationForms {
public:
    ApplicationForms();
    // Deletes the forms still owned.
    ~ApplicationForms();
    ApplicationForms(const ApplicationForms&) = delete;
    ApplicationForms& operator=(const ApplicationForms&) = delete;

    // Takes form over; it leaves the list by itself when deleted earlier. An
    // adopted form does not keep the program running when the main window closes.
    static void Adopt(QWidget* form);
    static bool Owns(const QObject* form);
    // The owner recorded for an adopted form: the application object.
    static QObject* Owner();
};
