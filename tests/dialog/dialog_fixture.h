#pragma once
// A converter dialog created offscreen with scripted platform services,
// fresh settings and the English built-in texts: what every dialog test
// starts from.

#include "dialog/tessaline_dlg.h"
#include "tests/support/scripted_platform_services.h"
#include "tests/support/test_environment.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSlider>

#include <memory>

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the dialog and runs its initialisation (settings written before
    // this call are what it restores).
    CTessalineDlg& createDialog();
    // Sends a button click through the dialog's routing.
    void click(int id);
    // Types into an edit box and leaves it (EN_KILLFOCUS).
    void typeAndLeave(int id, const QString& text);
    QLineEdit* edit(int id);
    QString text(int id);

    // Makes temporary folders for the test's photos and for the output, the
    // output folder remembered as the last one used (before createDialog).
    void useTemporaryFolders();

    ScriptedPlatformServices services;
    std::unique_ptr<CTessalineDlg> dialog;
    QString photos;
    QString out;
};
