#include "prefs/FileTypes.h"
#include "prefs/PrefsSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {
const QString kRegistered =
    QStringLiteral("The selected media formats will now use Jukora as there default player.");

QString ReadText(const QString& path) {
    return QString::fromUtf8(ReadBytes(path));
}

// Runs a program of the desktop (gio) with the test's XDG folders; its standard output.
QString RunDesktopTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(2000);
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Points the user's data and configuration folders at temporary ones for one test.
class Registration : public testing::Test, public PrefsWindow {
protected:
    QTemporaryDir xdg;
    QByteArray oldData, oldConfig;
    QString Applications() const { return xdg.path() + QStringLiteral("/data/applications"); }
    QString MimeApps() const { return xdg.path() + QStringLiteral("/config/mimeapps.list"); }

    void SetUp() override {
        oldData = qgetenv("XDG_DATA_HOME");
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", (xdg.path() + QStringLiteral("/data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (xdg.path() + QStringLiteral("/config")).toUtf8());
        Load();
        dialogs.shown.clear();
    }
    void TearDown() override {
        qputenv("XDG_DATA_HOME", oldData);
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }
    // A stand-in for the program that writes each argument it gets on a line of `record`.
    QString MakeProgram(const QString& folderName, const QString& record) {
        const QString path = xdg.path() + QLatin1Char('/') + folderName + QStringLiteral("/Jukora");
        EXPECT_TRUE(
            WriteWholeFile(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                     record.toUtf8() + "'\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
};

TEST(FileTypes, EachExtensionHasItsMimeType) {
    const std::vector<std::pair<const char*, const char*>> expected{
        {".mp3", "audio/mpeg"}, {".wma", "audio/x-ms-wma"},  {".wav", "audio/x-wav"},
        {".mid", "audio/midi"}, {".avi", "video/x-msvideo"}, {".wmv", "video/x-ms-wmv"},
        {".mpg", "video/mpeg"}, {".mpeg", "video/mpeg"},     {".vob", "video/mpeg"}};
    for (const auto& [extension, type] : expected)
        EXPECT_EQ(MimeTypeOfExtension(QString::fromLatin1(extension)), QString::fromLatin1(type))
            << extension;
    EXPECT_EQ(MimeTypeOfExtension(QStringLiteral(".nosuchtype")), QString());
}

TEST(FileTypes, TheOpenCommandQuotesThePathAndPassesTheFile) {
    EXPECT_EQ(OpenCommand(QStringLiteral("/opt/Program Files/Jukora")),
              QStringLiteral("\"/opt/Program Files/Jukora\" %f"));
    // ", `, $ and \ escaped for the argument, \ once more for the entry; % doubled.
    EXPECT_EQ(OpenCommand(QStringLiteral("/a\"b`c$d\\e%f/J")),
              QStringLiteral("\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e%%f/J\" %f"));
    // A program started on another program folder is started on it again.
    EXPECT_EQ(
        OpenCommand(QStringLiteral("/usr/lib/jukora/Jukora"), QStringLiteral("/home/a b/J")),
        QStringLiteral("env \"JUKORA_PROGRAM_FOLDER=/home/a b/J\" \"/usr/lib/jukora/Jukora\" %f"));
}

TEST(FileTypes, AnAssociationKeepsEveryOtherLine) {
    const QString before = QStringLiteral("[Default Applications]\n"
                                          "audio/mpeg=vlc.desktop;\n"
                                          "text/plain=gedit.desktop\n"
                                          "\n"
                                          "[Other]\n"
                                          "x=y\n");
    EXPECT_EQ(WithAssociation(before, QStringLiteral("Default Applications"),
                              QStringLiteral("audio/mpeg"), QStringLiteral("jukora.desktop")),
              QStringLiteral("[Default Applications]\n"
                             "audio/mpeg=jukora.desktop;vlc.desktop;\n"
                             "text/plain=gedit.desktop\n"
                             "\n"
                             "[Other]\n"
                             "x=y\n"));
    EXPECT_EQ(WithAssociation(before, QStringLiteral("Default Applications"),
                              QStringLiteral("video/mpeg"), QStringLiteral("jukora.desktop")),
              QStringLiteral("[Default Applications]\n"
                             "audio/mpeg=vlc.desktop;\n"
                             "text/plain=gedit.desktop\n"
                             "video/mpeg=jukora.desktop;\n"
                             "\n"
                             "[Other]\n"
                             "x=y\n"));
    EXPECT_EQ(WithAssociation(QString(), QStringLiteral("Added Associations"),
                              QStringLiteral("audio/midi"), QStringLiteral("jukora.desktop")),
              QStringLiteral("[Added Associations]\naudio/midi=jukora.desktop;\n"));
}

TEST_F(Registration, Mp3AndVobTickedWriteTheEntryAndExactlyThoseDefaults) {
    ASSERT_TRUE(WriteWholeFile(MimeApps(), "[Default Applications]\ntext/plain=gedit.desktop\n"));
    Info().programPath = MakeProgram(QStringLiteral("bin"), xdg.path() + QStringLiteral("/r"));
    Info().chka[0]->setChecked(true);
    Info().chkdvd->setChecked(true);
    Info().cmdSet_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, kRegistered);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Jukora"));

    const QString entry = ReadText(Applications() + QStringLiteral("/jukora.desktop"));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=\"") + Info().programPath +
                               QStringLiteral("\" %f\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nMimeType=audio/mpeg;video/mpeg;\n")));
    EXPECT_EQ(ReadText(MimeApps()), QStringLiteral("[Default Applications]\n"
                                                   "text/plain=gedit.desktop\n"
                                                   "audio/mpeg=jukora.desktop;\n"
                                                   "video/mpeg=jukora.desktop;\n"
                                                   "\n"
                                                   "[Added Associations]\n"
                                                   "audio/mpeg=jukora.desktop;\n"
                                                   "video/mpeg=jukora.desktop;\n"));
    // The desktop's own tools agree.
    const QString gio = RunDesktopTool(QStringLiteral("gio"),
                                       {QStringLiteral("mime"), QStringLiteral("audio/mpeg")});
    EXPECT_TRUE(
        gio.contains(QStringLiteral("Default application for “audio/mpeg”: jukora.desktop")) ||
        gio.contains(QStringLiteral("Default application for 'audio/mpeg': jukora.desktop")))
        << gio.toStdString();
}

TEST_F(Registration, NothingTickedWritesNothingAndStillSaysSo) {
    Info().cmdSet_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, kRegistered);
    EXPECT_FALSE(QFileInfo::exists(Applications()));
    EXPECT_FALSE(QFileInfo::exists(MimeApps()));
}

TEST_F(Registration, AProgramFolderWithABlankStillOpensTheFile) {
    const QString record = xdg.path() + QStringLiteral("/arguments");
    Info().programPath = MakeProgram(QStringLiteral("Program Files/Orvane"), record);
    Info().chka[0]->setChecked(true);
    Info().cmdSet_Click();
    const QString media = QStringLiteral(JUKORA_TEST_MEDIA) + QStringLiteral("/tone.mp3");
    const QString song = xdg.path() + QStringLiteral("/My Music/A - B.mp3");
    QDir().mkpath(QFileInfo(song).absolutePath());
    ASSERT_TRUE(QFile::copy(media, song));
    RunDesktopTool(QStringLiteral("gio"), {QStringLiteral("open"), song});
    QElapsedTimer waited;
    waited.start();
    while (ReadText(record).isEmpty() && waited.elapsed() < 10000)
        QThread::msleep(50);
    EXPECT_EQ(ReadText(record), song + QLatin1Char('\n'));
}

TEST_F(Registration, AFailedWriteIsReportedAndTheOtherTypesGoOn) {
    // The configuration folder is a file: mimeapps.list cannot be written.
    qputenv("XDG_CONFIG_HOME", (xdg.path() + QStringLiteral("/blocked")).toUtf8());
    ASSERT_TRUE(WriteWholeFile(xdg.path() + QStringLiteral("/blocked"), "not a folder"));
    Info().programPath = MakeProgram(QStringLiteral("bin"), xdg.path() + QStringLiteral("/r"));
    Info().chka[0]->setChecked(true);
    Info().chkv[0]->setChecked(true);
    Info().cmdSet_Click();
    ASSERT_EQ(dialogs.shown.size(), 5u);
    for (size_t i : {0u, 2u})
        EXPECT_EQ(dialogs.shown[i].title, QStringLiteral(" Error"));
    EXPECT_EQ(dialogs.shown[1].prompt, QStringLiteral("AGH 3"));
    EXPECT_EQ(dialogs.shown[3].prompt, QStringLiteral("AGH 3"));
    EXPECT_EQ(dialogs.shown[4].prompt, kRegistered);
}
} // namespace
