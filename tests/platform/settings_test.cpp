#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using platform::GetSetting;
using platform::SaveSetting;

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(platform::settingsPath(app)); }
    void writeFile(const QByteArray& text) {
        const QString path = platform::settingsPath(app);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const QString app = "BandwrightTest";
};

TEST_F(SettingsStore, LivesInTheUsersXdgConfigFolder) {
    EXPECT_EQ(platform::settingsPath(app),
              qEnvironmentVariable("XDG_CONFIG_HOME") + "/BandwrightTest/BandwrightTest.ini");
    EXPECT_FALSE(QFile::exists(platform::settingsPath(app)));
    EXPECT_EQ(GetSetting(app, "StartUp", "Connection", "dflt"), "dflt");
    EXPECT_FALSE(QFile::exists(platform::settingsPath(app))) << "reading must not create the file";
}

TEST_F(SettingsStore, RealValuesRoundTripUnchanged) {
    const QStringList values = {
        "Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;",
        R"(C:\temp\new folder\tables, and more.mdb)",
        "/home/user/My Sheets/Office; block A.bws",
        "  leading and trailing blanks  ",
        "\"quoted\"",
        "line one\nline two",
        "a = b = c",
        "",
        "Grüße, 63 Hz",
    };
    int i = 0;
    for (const QString& v : values)
        SaveSetting(app, "Startup", QString("Key%1").arg(i++), v);
    i = 0;
    for (const QString& v : values)
        EXPECT_EQ(GetSetting(app, "Startup", QString("Key%1").arg(i++), "missing"), v);
}

TEST_F(SettingsStore, SectionsAndKeysIgnoreLetterCase) {
    SaveSetting(app, "StartUp", "Connection", "one");
    SaveSetting(app, "Startup", "DefaultView", "2");
    EXPECT_EQ(GetSetting(app, "startup", "CONNECTION"), "one");
    EXPECT_EQ(GetSetting(app, "STARTUP", "defaultview"), "2");
    SaveSetting(app, "startUP", "connection", "two");
    EXPECT_EQ(GetSetting(app, "StartUp", "Connection"), "two");
    SaveSetting(app, "Startup", QString::fromUtf8("Gr\u00f6\u00dfe"), "3");
    EXPECT_EQ(GetSetting(app, "startup", QString::fromUtf8("GR\u00d6\u00dfE")), "3");
    // One section in the file, not two.
    QFile f(platform::settingsPath(app));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()).count("["), 1);
}

TEST_F(SettingsStore, ReadsAFileEditedByHand) {
    writeFile("# written by hand\r\n[STARTUP]\r\nConnection=Provider=X;Data=1;\r\n"
              "DefaultDir = C:\\tables\\new\r\n\r\n[startup]\r\nFile1=first\r\n"
              "garbage line without equals\r\nFILE1=a, b\r\n");
    EXPECT_EQ(GetSetting(app, "StartUp", "Connection"), "Provider=X;Data=1;");
    EXPECT_EQ(GetSetting(app, "StartUp", "DefaultDir"), "C:\\tables\\new");
    EXPECT_EQ(GetSetting(app, "StartUp", "File1"), "a, b");
    // Writing keeps everything else that was there.
    SaveSetting(app, "StartUp", "File2", "x");
    EXPECT_EQ(GetSetting(app, "StartUp", "DefaultDir"), "C:\\tables\\new");
    EXPECT_EQ(GetSetting(app, "StartUp", "File1"), "a, b");
    // ... the comments and unreadable lines too, in their places.
    {
        QFile f(platform::settingsPath(app));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(text.startsWith("# written by hand\n")) << text.toStdString();
        // A key given twice keeps its first place and its last value.
        EXPECT_TRUE(text.contains("File1=a, b\ngarbage line without equals\nFile2=x\n"))
            << text.toStdString();
    }

    // Quoted by hand: a backslash that is no escape of ours stays.
    writeFile("[StartUp]\nTemplateFile=\"C:\\Program Files\\Bandwright\\tables.mdb\"\n");
    EXPECT_EQ(GetSetting(app, "StartUp", "TemplateFile"),
              "C:\\Program Files\\Bandwright\\tables.mdb");

    // Saved in an 8-bit code page: the letters survive, also past a later write.
    writeFile("[StartUp]\nDefaultDir=C:\\M\xFCller\\Bl\xE4tter\n");
    SaveSetting(app, "StartUp", "File1", "x");
    EXPECT_EQ(GetSetting(app, "StartUp", "DefaultDir"),
              QString::fromUtf8("C:\\M\xC3\xBCller\\Bl\xC3\xA4tter"));
}

TEST_F(SettingsStore, AStoreThatCannotBeReadOrWrittenIsReported) {
    // A folder where the file should be: neither readable nor replaceable.
    QDir().mkpath(platform::settingsPath(app));
    EXPECT_THROW(GetSetting(app, "StartUp", "Connection"), platform::SettingsError);
    EXPECT_THROW(SaveSetting(app, "StartUp", "Connection", "x"), platform::SettingsError);
    QDir(platform::settingsPath(app)).removeRecursively();
}

} // namespace
