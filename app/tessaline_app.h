#pragma once
// CTessalineApp: the application object. InitInstance runs the whole
// program: settings location, language, then the converter dialog, modally.

class CTessalineApp {
public:
    // Returns false once the dialog has closed: there is nothing else to run.
    bool InitInstance();
};
