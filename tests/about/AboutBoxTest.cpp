#include "AboutBox.h"
#include "FormLayout.h"
#include "InMemoryRegistry.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

const QByteArray PathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

QByteArray Stored(const char* text) {
    return QByteArray(text) + '\0';
}

// The About box over an in-memory registry, a set of existing files and a program start
// that records what it was asked to start.
class SysInfoTest : public testing::Test {
protected:
    SysInfoTest() : Box(Services(), nullptr) {}

    SysInfoServices Services() {
        SysInfoServices services;
        services.SystemRegistry = Values;
        services.FileExists = [this](const QString& path) {
            Checked << path;
            return ExistingFiles.contains(path);
        };
        services.StartProgram = [this](const QString& commandLine) {
            Started << commandLine;
            return StartSucceeds;
        };
        services.ShowMessage = [this](const QString& text) { Messages << text; };
        return services;
    }

    void ExpectUnavailable() { EXPECT_EQ(Messages, QStringList{AboutBox::UnavailableText}); }

    std::shared_ptr<InMemoryRegistry> Values = std::make_shared<InMemoryRegistry>();
    QStringList ExistingFiles;
    bool StartSucceeds = true;
    QStringList Checked;
    QStringList Started;
    QStringList Messages;
    AboutBox Box;
};

TEST_F(SysInfoTest, FirstValueIsStartedUnchangedWithoutCheckingTheFile) {
    Values->SetValue(PathKey, "PATH", Registry::TextType, Stored("D:\\Nowhere\\info.exe"));
    Values->SetValue(FolderKey, "MSINFO", Registry::TextType, Stored("C:\\Tools"));
    Box.StartSysInfo();
    EXPECT_EQ(Started, QStringList{QStringLiteral("D:\\Nowhere\\info.exe")});
    EXPECT_TRUE(Checked.isEmpty());
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(SysInfoTest, FirstValueThatCannotStartIsUnavailable) {
    Values->SetValue(PathKey, "PATH", Registry::TextType, Stored("D:\\Nowhere\\info.exe"));
    StartSucceeds = false;
    Box.StartSysInfo();
    EXPECT_EQ(Started.size(), 1);
    ExpectUnavailable();
}

TEST_F(SysInfoTest, FolderValueWithTheProgramInItStartsFolderAndFileName) {
    Values->SetValue(FolderKey, "MSINFO", Registry::TextType, Stored("C:\\Tools"));
    ExistingFiles << QStringLiteral("C:\\Tools\\MSINFO32.EXE");
    Box.StartSysInfo();
    EXPECT_EQ(Started, QStringList{QStringLiteral("C:\\Tools\\MSINFO32.EXE")});
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(SysInfoTest, FolderEndingInBackslashGetsASecondOne) {
    Values->SetValue(FolderKey, "MSINFO", Registry::TextType, Stored("C:\\Tools\\"));
    ExistingFiles << QStringLiteral("C:\\Tools\\\\MSINFO32.EXE");
    Box.StartSysInfo();
    EXPECT_EQ(Checked, QStringList{QStringLiteral("C:\\Tools\\\\MSINFO32.EXE")});
    EXPECT_EQ(Started, QStringList{QStringLiteral("C:\\Tools\\\\MSINFO32.EXE")});
}

TEST_F(SysInfoTest, FolderValueWithoutTheProgramStartsNothing) {
    Values->SetValue(FolderKey, "MSINFO", Registry::TextType, Stored("C:\\Tools"));
    Box.StartSysInfo();
    EXPECT_EQ(Checked, QStringList{QStringLiteral("C:\\Tools\\MSINFO32.EXE")});
    EXPECT_TRUE(Started.isEmpty());
    ExpectUnavailable();
}

TEST_F(SysInfoTest, NoValueAtAllIsUnavailable) {
    Box.StartSysInfo();
    EXPECT_TRUE(Started.isEmpty());
    ExpectUnavailable();
}

TEST_F(SysInfoTest, ExpandableTextCountsAsFoundWithAnEmptyPath) {
    Values->SetValue(PathKey, "PATH", Registry::ExpandableTextType, Stored("%SystemRoot%\\x.exe"));
    Values->SetValue(FolderKey, "MSINFO", Registry::TextType, Stored("C:\\Tools"));
    ExistingFiles << QStringLiteral("C:\\Tools\\MSINFO32.EXE");
    StartSucceeds = false; // an empty command line starts nothing
    Box.StartSysInfo();
    EXPECT_EQ(Started, QStringList{QString()}) << "the folder value is not consulted";
    ExpectUnavailable();
}

TEST_F(SysInfoTest, ZeroByteValueEndsTheLookupAsUnavailable) {
    Values->SetValue(PathKey, "PATH", Registry::TextType, QByteArray());
    Values->SetValue(FolderKey, "MSINFO", Registry::TextType, Stored("C:\\Tools"));
    ExistingFiles << QStringLiteral("C:\\Tools\\MSINFO32.EXE");
    Box.StartSysInfo();
    EXPECT_TRUE(Started.isEmpty());
    EXPECT_TRUE(Checked.isEmpty());
    ExpectUnavailable();
}

TEST_F(SysInfoTest, SystemInfoButtonRunsTheLookup) {
    Box.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
    ExpectUnavailable();
}

TEST(AboutBoxTest, LoadShowsTitleAndVersionEveryTime) {
    AboutBox box;
    for (int load = 0; load < 2; ++load) {
        box.show();
        EXPECT_EQ(box.windowTitle(), QStringLiteral("About Tarnwick"));
        EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(),
                  QStringLiteral("Tarnwick"));
        EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
                  QStringLiteral("Version 1.1.0"));
        box.close();
    }
}

TEST(AboutBoxTest, IsAFixedModalDialogAtItsDesignedPlace) {
    AboutBox box;
    EXPECT_TRUE(box.isModal());
    EXPECT_EQ(box.geometry(), TwipsRect(2340, 1935, 5730, 3555));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_FALSE(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    box.open();
    EXPECT_EQ(QApplication::activeModalWidget(), &box);
    EXPECT_EQ(box.focusWidget(), box.findChild<QPushButton*>(QStringLiteral("cmdOK")));
    box.close();
}

TEST(AboutBoxTest, EnterEscapeAndOkAllCloseIt) {
    AboutBox box;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        box.open();
        ASSERT_TRUE(box.isVisible());
        QTest::keyClick(&box, key);
        EXPECT_FALSE(box.isVisible()) << "key " << key;
    }
    box.open();
    box.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    EXPECT_FALSE(box.isVisible());
}

} // namespace
} // namespace tarnwick
