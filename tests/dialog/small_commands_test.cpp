// The small commands: Homepage, Help and the About box, as a user meets them.

#include "tests/dialog/dialog_fixture.h"

#include "app/file_paths.h"
#include "dialog/about_dlg.h"
#include "dialog/links.h"
#include "language/clanguage.h"
#include "language/key_table.h"
#include "resources/application_icon.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

namespace {

const QString kBrowserFailure = QStringLiteral(
    "The Program does not launch your web browser to access https://tessaline.example.org/ ,\n"
    "Please launch your web browser and input the URL manually.");

// A home folder with language/German.ini holding the given sections.
QString HomeWithGerman(const QByteArray& content) {
    const QString home = MakeTempFolder();
    QDir(home).mkdir(QStringLiteral("language"));
    QFile file(home + QStringLiteral("/language/German.ini"));
    if (file.open(QIODevice::WriteOnly)) file.write(content);
    return home;
}

const QByteArray kGerman =
    "[STRING]\r\nIDS_MESSAGE_UNKNOWN_ERROR=Unbekannter Fehler\r\nIDS_MESSAGE_ERROR=Fehler\r\n"
    "[DIALOG]\r\nIDD_PROGRAM_JPG_CAPTION=Tessaline auf Deutsch\r\nIDC_BUTTON_HELP=Hilfe\r\n";

QStringList LabelTexts(const CDialog& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.Window()->findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts << label->text();
    return texts;
}

}  // namespace

class SmallCommandsTest : public DialogTest {
protected:
    // The dialog, with whatever its initialisation showed (a missing
    // pictures folder on a test machine) put aside.
    void createQuietDialog() {
        createDialog();
        services.messageBoxes.clear();
    }
};

// ---- Homepage --------------------------------------------------------------

TEST_F(SmallCommandsTest, HomepageOpensTheProductPageWithoutAMessage) {
    createQuietDialog();
    click(IDC_BUTTON_HOMEPAGE);
    EXPECT_EQ(services.openedUrls, std::vector<QString>{kHomePageAddress});
    EXPECT_TRUE(services.messageBoxes.empty());
    EXPECT_TRUE(kHomePageAddress.startsWith(QStringLiteral("https://")));
}

TEST_F(SmallCommandsTest, WithoutABrowserHomepageShowsTheFixedTextWithCaption109) {
    services.openUrlSucceeds = false;
    createQuietDialog();
    click(IDC_BUTTON_HOMEPAGE);
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    const ShownMessageBox& box = services.messageBoxes[0];
    EXPECT_EQ(box.text, kBrowserFailure);
    EXPECT_EQ(box.caption, QStringLiteral("Unknown error"));
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(box.icon, MessageBoxIcon::None);
    EXPECT_TRUE(box.hadOwner);
}

TEST_F(SmallCommandsTest, TheBrowserFailureCaptionIsTranslatedButItsTextStaysEnglish) {
    TheLanguage().Initialize(HomeWithGerman(kGerman), QStringLiteral("German"));
    services.openUrlSucceeds = false;
    createQuietDialog();
    click(IDC_BUTTON_HOMEPAGE);
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].caption, QStringLiteral("Unbekannter Fehler"));
    EXPECT_EQ(services.messageBoxes[0].text, kBrowserFailure);
}

// ---- Help ------------------------------------------------------------------

TEST_F(SmallCommandsTest, HelpStartsTheViewerOnTheHelpBesideTheExecutable) {
    // The home folder (here a temporary folder) plays no role.
    createQuietDialog();
    click(IDC_BUTTON_HELP);
    ASSERT_EQ(services.startedProcesses.size(), 1u);
    EXPECT_EQ(services.startedProcesses[0].program, QStringLiteral("xdg-open"));
    const QString expected = GetFolderOfPath(ExecutablePath()) + QStringLiteral("help/Introduction.htm");
    EXPECT_EQ(services.startedProcesses[0].arguments, QStringList{expected});
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(SmallCommandsTest, HelpTwiceStartsTwoViewersAndAFailedStartIsNotReported) {
    services.startProcessSucceeds = false;
    createQuietDialog();
    click(IDC_BUTTON_HELP);
    click(IDC_BUTTON_HELP);
    EXPECT_EQ(services.startedProcesses.size(), 2u);
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST(HelpTopicPath, IsTheExecutablesFolderWithHelpIntroduction) {
    EXPECT_EQ(HelpTopicPath(QStringLiteral("/opt/tessaline/tessaline")),
              QStringLiteral("/opt/tessaline/help/Introduction.htm"));
    // A path with spaces is handed over whole, never split or quoted.
    EXPECT_EQ(HelpTopicPath(QStringLiteral("/home/a b/bin/tessaline")),
              QStringLiteral("/home/a b/bin/help/Introduction.htm"));
    EXPECT_EQ(HelpTopicPath(QStringLiteral("C:\\Program\\prog.exe")),
              QStringLiteral("C:\\Program\\help/Introduction.htm"));
    // No folder at all: the help is looked for relative to the current one.
    EXPECT_EQ(HelpTopicPath(QStringLiteral("tessaline")), QStringLiteral("help/Introduction.htm"));
}

// ---- The About box ---------------------------------------------------------

TEST_F(SmallCommandsTest, TheAboutBoxShowsNameVersionOurLineAndSupport) {
    QApplication::setWindowIcon(ApplicationIcon());  // as start-up does
    CAboutDlg about;
    about.Create();
    EXPECT_EQ(about.GetWindowText(), QStringLiteral("About Tessaline"));
    const QStringList labels = LabelTexts(about);
    EXPECT_TRUE(labels.contains(QStringLiteral("Tessaline Version 1.1"))) << labels.join(u'|').toStdString();
    EXPECT_TRUE(labels.contains(kAboutThirdLine));
    EXPECT_FALSE(kAboutThirdLine.isEmpty());
    EXPECT_TRUE(labels.contains(QStringLiteral("Support: ") + kSupportAddress));
    EXPECT_TRUE(kSupportAddress.contains(QStringLiteral("example.org")));
    auto* ok = qobject_cast<QPushButton*>(about.GetDlgItem(IDOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    // The icon sits in its own label with a picture.
    int pictures = 0;
    for (const QLabel* label : about.Window()->findChildren<QLabel*>())
        if (!label->pixmap().isNull()) ++pictures;
    EXPECT_EQ(pictures, 1);
}

TEST_F(SmallCommandsTest, TheAboutBoxStaysAsBuiltWhateverTheLanguage) {
    TheLanguage().Initialize(HomeWithGerman(kGerman), QStringLiteral("German"));
    CAboutDlg about;
    about.Create();
    EXPECT_EQ(about.GetWindowText(), QStringLiteral("About Tessaline"));
    EXPECT_EQ(about.GetDlgItemText(IDOK, 64), QStringLiteral("OK"));
    EXPECT_TRUE(LabelTexts(about).contains(QStringLiteral("Tessaline Version 1.1")));
}

TEST_F(SmallCommandsTest, OkEndsTheAboutBox) {
    CAboutDlg about;
    about.Create();
    qobject_cast<QPushButton*>(about.GetDlgItem(IDOK))->click();
    EXPECT_TRUE(about.IsEnded());
    EXPECT_EQ(about.Result(), IDOK);
}

TEST_F(SmallCommandsTest, ThePopupMenusAboutRunsTheAboutBoxModally) {
    createDialog();
    QString shownCaption;
    QTimer::singleShot(0, [&shownCaption] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        shownCaption = modal->windowTitle();
        for (auto* button : modal->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("OK")) button->click();
    });
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDM_ABOUT, MENU_COMMAND));
    EXPECT_EQ(shownCaption, QStringLiteral("About Tessaline"));
    EXPECT_FALSE(dialog->IsEnded());
}

// ---- The help's pages ------------------------------------------------------

namespace {

// The help folder of the source tree this test was built from (the build
// passes the folder in, as the file's own path may be a relative one).
QDir SourceHelpFolder() { return QDir(QStringLiteral(TESS_SOURCE_HELP_FOLDER)); }

}  // namespace

TEST(HelpPages, StartAtTheIntroductionAndLinkOnlyToPagesThatExist) {
    const QDir help = SourceHelpFolder();
    ASSERT_TRUE(help.exists(QStringLiteral("Introduction.htm"))) << help.path().toStdString();
    ASSERT_TRUE(help.exists(QStringLiteral("style.css")));
    const QStringList pages = help.entryList({QStringLiteral("*.htm")}, QDir::Files);
    EXPECT_GE(pages.size(), 10);
    const QRegularExpression link(QStringLiteral(R"(href="([^"#]+)(#[^"]*)?")"));
    for (const QString& page : pages) {
        QFile file(help.filePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(html.contains(QStringLiteral("<title>"))) << page.toStdString();
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(help.exists(target)) << page.toStdString() << " links to " << target.toStdString();
        }
    }
}

TEST(HelpPages, TheLanguageFilePageListsEveryKeyALanguageFileCanHold) {
    QFile file(SourceHelpFolder().filePath(QStringLiteral("language_files.htm")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (const LanguageKey& key : KeyTable())
        EXPECT_TRUE(html.contains(QStringLiteral("<code>") + QString::fromUtf16(key.name) + QStringLiteral("</code>")))
            << QString::fromUtf16(key.name).toStdString();
}
