#pragma once
// CTessalineApp: the application object. InitInstance runs the whole
// program: settings location, language, then the converter dialog, modally.

#include <QString>

class CTessalineApp {
public:
    // Returns false once the dialog has closed: there is nothing else to run.
    // A non-empty `photo` is opened once the dialog is up.
    bool InitInstance(const QString& photo = QString());
};
