#include "tests/dialog/dialog_fixture.h"

#include "app/settings_access.h"
#include "language/clanguage.h"

void DialogTest::SetUp() {
    FreshSettings();
    SetServices(&services);
    // No language folder: every text stays the built-in English one.
    TheLanguage().Initialize(MakeTempFolder(), QStringLiteral("english"));
}

void DialogTest::TearDown() {
    dialog.reset();
    SetServices(nullptr);
}

void DialogTest::useTemporaryFolders() {
    photos = MakeTempFolder();
    out = MakeTempFolder();
    WriteSetting(Settings::LastOutputFolder, out + u'/');
}

CTessalineDlg& DialogTest::createDialog() {
    dialog = std::make_unique<CTessalineDlg>();
    dialog->Create();
    return *dialog;
}

void DialogTest::click(int id) { dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED)); }

QLineEdit* DialogTest::edit(int id) { return qobject_cast<QLineEdit*>(dialog->GetDlgItem(id)); }

QString DialogTest::text(int id) { return dialog->GetDlgItemText(id, 1 << 16); }

void DialogTest::typeAndLeave(int id, const QString& value) {
    dialog->SetDlgItemText(id, value);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS));
}
