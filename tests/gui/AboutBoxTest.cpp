#include "gui/AboutBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace tarnwick {
namespace {

TEST(AboutBox, ShowsTitleAndVersionAsAModalDialogThatEnterEscapeAndOkClose) {
    AboutBox box;
    EXPECT_TRUE(box.isModal());
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_FALSE(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    auto* ok = box.findChild<QPushButton*>(QStringLiteral("cmdOK"));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_unknown}) {
        box.open();
        EXPECT_EQ(QApplication::activeModalWidget(), &box);
        EXPECT_EQ(box.focusWidget(), ok);
        EXPECT_EQ(box.windowTitle(), u"About Tarnwick");
        EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), u"Tarnwick");
        EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), u"Version 1.1.0");
        if (key == Qt::Key_unknown)
            ok->click();
        else
            QTest::keyClick(&box, key);
        EXPECT_FALSE(box.isVisible()) << "key " << key;
    }
}

// A registry of values held in memory. Like the real one, a query into a buffer too small for
// the value fails, and keys open only under the local-machine root with all access.
class InMemoryRegistry : public Registry {
public:
    std::optional<KeyHandle> OpenKey(KeyHandle root, const QByteArray& key,
                                     quint32 access) override {
        if (root != LocalMachine || access != AllAccess || !Keys.count(key))
            return std::nullopt;
        OpenHandles[++LastHandle] = key;
        return LastHandle;
    }
    std::optional<Value> QueryValue(KeyHandle key, const QByteArray& name, quint32 size) override {
        const auto& values = Keys.at(OpenHandles.at(key));
        const auto found = values.find(name);
        if (found == values.end() || quint32(found->second.Bytes.size()) > size)
            return std::nullopt;
        return found->second;
    }
    void CloseKey(KeyHandle key) override { OpenHandles.erase(key); }

    std::map<QByteArray, std::map<QByteArray, Value>> Keys;
    std::map<KeyHandle, QByteArray> OpenHandles;
    KeyHandle LastHandle = 0;
};

// "System Info..." looks up the program in the registry's MSINFO PATH value, else in the
// MSINFO folder value when MSINFO32.EXE is there: what it checks, starts and says, in order.
// This system has no registry (type 0); the other cases run the lookup over one in memory.
TEST(SysInfo, TheProgramOfThePathValueOrOfTheFolderValueIsStartedElseItIsUnavailable) {
    const quint32 text = Registry::TextType, number = Registry::NumberType;
    const QByteArray none = "none";
    const struct {
        quint32 PathType;
        QByteArray Path, Folder;
        QStringList Log;
    } cases[] = {
        // The path value is started as it stands, without looking for the file; a value of zero
        // bytes ends the lookup.
        {text, QByteArray("D:\\info.exe\0", 12), "C:\\Tools", {"start D:\\info.exe"}},
        {text, "D:\\cannot.exe", none, {"start D:\\cannot.exe", "unavailable"}},
        {text, "", "C:\\Tools", {"unavailable"}},
        // A number becomes "&h" and its bytes from the last on, the last zero cut like a NUL;
        // other types are found, with an empty path that starts nothing.
        {number, QByteArray("\x01\x0b\xab\xcd", 4), none, {"start &hCDABB1"}},
        {number, QByteArray("\x10\0\0\0", 4), none, {"start &h0010"}},
        {Registry::ExpandableTextType, "%x%", "C:\\Tools", {"start ", "unavailable"}},
        {text,
         none,
         QByteArray("C:\\Tools\0", 9),
         {"check C:\\Tools\\MSINFO32.EXE", "start C:\\Tools\\MSINFO32.EXE"}},
        {text, none, "C:\\Empty\\", {"check C:\\Empty\\\\MSINFO32.EXE", "unavailable"}},
        {text, none, none, {"unavailable"}},
        {0, none, none, {"unavailable"}},
    };
    for (const auto& c : cases) {
        auto registry = std::make_shared<InMemoryRegistry>();
        auto& location = registry->Keys["SOFTWARE\\Microsoft\\Shared Tools Location"];
        location["Other"] = {text, "x"};
        if (c.Folder != none)
            location["MSINFO"] = {text, c.Folder};
        if (c.Path != none)
            registry->Keys["SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"]["PATH"] = {c.PathType,
                                                                                   c.Path};
        QStringList log;
        const auto exists = [&](const QString& path) {
            log << "check " + path;
            return !path.startsWith(u"C:\\Empty");
        };
        const auto start = [&](const QString& commandLine) {
            log << "start " + commandLine;
            return !commandLine.isEmpty() && !commandLine.contains(u"cannot");
        };
        const auto say = [&](const QString& message) {
            log << (message == "System Information Is Unavailable At This Time" ? "unavailable"
                                                                                : message);
        };
        std::shared_ptr<Registry> used = registry;
        if (c.PathType == 0)
            used = CreateSystemRegistry();
        AboutBox box(SysInfoServices{used, exists, start, say}, nullptr);
        box.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
        EXPECT_EQ(log, c.Log) << c.Path.constData();
        EXPECT_TRUE(registry->OpenHandles.empty()) << "every opened key is closed";
    }
}

} // namespace
} // namespace tarnwick
