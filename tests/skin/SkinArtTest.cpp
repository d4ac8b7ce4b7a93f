#include "skin/SkinArt.h"
#include "core/InstanceLock.h"
#include "import/frmAdd.h"
#include "skin/SkinImage.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QtEndian>

#include <atomic>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Every skinned image of the player's windows, by the name the art knows it by.
QStringList SkinnedNames(const QList<QWidget*>& windows) {
    QStringList names;
    for (QWidget* window : windows)
        for (const SkinImage* image : window->findChildren<SkinImage*>())
            names << window->objectName() + QLatin1Char('/') + image->objectName();
    return names;
}

double Brightness(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y)) * qAlpha(image.pixel(x, y)) / 255.0;
    return sum / (image.width() * image.height());
}

bool SameImage(const QPixmap& a, const QPixmap& b) {
    return a.toImage().convertToFormat(QImage::Format_ARGB32) ==
           b.toImage().convertToFormat(QImage::Format_ARGB32);
}

class SkinArtTest : public testing::Test {
protected:
    ProgramFolderFixture folder;
    void TearDown() override { SkinArt::UseBundle(QString()); }
    QString Write(const char* name, const QByteArray& bytes) {
        const QString path = folder.File(QString::fromUtf8(name));
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }
};

} // namespace

TEST_F(SkinArtTest, EveryImageOfEveryWindowIsDrawnAtBothScalesAndLightsUpOnHover) {
    ScriptedDialogs dialogs;
    RecordingSender sender;
    frmPlayer player(PlayerServices{dialogs, sender, folder.Path(), {}});
    QStringList names = SkinnedNames({&player, player.skin(), player.add()});
    ASSERT_EQ(names.size(), 81);
    for (const char* bar :
         {"picSpeed", "lblSongSpeed", "picSongProgress", "imgprogress", "lblProgress"})
        names << QStringLiteral("frmPlayer/") + QString::fromUtf8(bar);
    for (const QString& name : names) {
        const QPixmap one = SkinArt::Image(name, 1.0);
        const QPixmap two = SkinArt::Image(name, 2.0);
        ASSERT_FALSE(one.isNull()) << name.toStdString();
        ASSERT_FALSE(two.isNull()) << name.toStdString();
        EXPECT_EQ(two.size(), one.size() * 2) << name.toStdString();
        EXPECT_EQ(two.deviceIndependentSize(), QSizeF(one.size())) << name.toStdString();
        if (name.endsWith(QLatin1String("Over"))) {
            const QString normal = name.chopped(4);
            EXPECT_GT(Brightness(one), Brightness(SkinArt::Image(normal, 1.0)) + 3)
                << name.toStdString();
            EXPECT_EQ(one.size(), SkinArt::Image(normal, 1.0).size()) << name.toStdString();
        }
    }
    // Each image is as large as its control (the volume gauge's width is the volume).
    for (const SkinImage* image : player.findChildren<SkinImage*>()) {
        if (image->objectName() == QLatin1String("imgVol"))
            continue;
        const QString name = QStringLiteral("frmPlayer/") + image->objectName();
        EXPECT_EQ(SkinArt::Image(name, 1.0).size(), image->size()) << name.toStdString();
    }
}

TEST_F(SkinArtTest, PlayAndPauseAreDifferentDrawings) {
    for (const char* window : {"frmPlayer", "frmSkin"}) {
        const QString prefix = QString::fromUtf8(window) + QLatin1Char('/');
        EXPECT_FALSE(SameImage(SkinArt::Image(prefix + QStringLiteral("imgPlay"), 1),
                               SkinArt::Image(prefix + QStringLiteral("imgPause"), 1)));
    }
    EXPECT_FALSE(SameImage(SkinArt::Image(QStringLiteral("frmPlayer/imgrepeat"), 1),
                           SkinArt::Image(QStringLiteral("frmPlayer/imgnorepeat"), 1)));
}

TEST_F(SkinArtTest, ABundleReplacesTheImagesItHasAndTheRestStayBuiltIn) {
    const QPixmap builtInPlay = SkinArt::Image(QStringLiteral("frmPlayer/imgPlay"), 1);
    const QPixmap builtInStop = SkinArt::Image(QStringLiteral("frmPlayer/imgStop"), 1);
    ASSERT_EQ(SkinArt::UseBundle(QStringLiteral(JUKORA_TEST_SKIN)), SkinArt::Bundle::InUse);
    EXPECT_EQ(SkinArt::CurrentBundle(), SkinArt::Bundle::InUse);
    const QImage play = SkinArt::Image(QStringLiteral("frmPlayer/imgPlay"), 1)
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(play.isNull());
    EXPECT_EQ(QColor(play.pixel(20, 20)), QColor(Qt::red));
    // The bundle's stop image does not decode, and it has no pause: both come built in.
    EXPECT_TRUE(SameImage(SkinArt::Image(QStringLiteral("frmPlayer/imgStop"), 1), builtInStop));
    EXPECT_FALSE(SkinArt::Image(QStringLiteral("frmPlayer/imgPause"), 1).isNull());
    // A window made now shows the bundle's image.
    ScriptedDialogs dialogs;
    RecordingSender sender;
    {
        frmPlayer player(PlayerServices{dialogs, sender, folder.Path(), {}});
        player.show();
        const QImage shown =
            player.imgPlay.normal->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(QColor(shown.pixel(20, 20)), QColor(Qt::red));
    }
    // Back to the built-in art alone.
    EXPECT_EQ(SkinArt::UseBundle(QString()), SkinArt::Bundle::BuiltIn);
    EXPECT_TRUE(SameImage(SkinArt::Image(QStringLiteral("frmPlayer/imgPlay"), 1), builtInPlay));
}

TEST_F(SkinArtTest, ArtDecodedAheadIsTheArtDecodedOnShowingAndFollowsTheBundle) {
    const std::atomic<bool> stop{false};
    const QString play = QStringLiteral("frmPlayer/imgPlay");
    const QPixmap builtInPlay = SkinArt::Image(play, 1);
    SkinArt::DecodeAhead(QStringLiteral("frmPlayer"), stop);
    const int waiting = SkinArt::DecodedAheadCount();
    ASSERT_GT(waiting, 10);
    // Each image is taken once, as it was decoded; highlighted ones are left for later.
    EXPECT_TRUE(SameImage(SkinArt::Image(play, 1), builtInPlay));
    EXPECT_EQ(SkinArt::DecodedAheadCount(), waiting - 1);
    EXPECT_TRUE(SameImage(SkinArt::Image(play, 1), builtInPlay));
    EXPECT_FALSE(SkinArt::Image(QStringLiteral("frmPlayer/imgPlayOver"), 1).isNull());
    EXPECT_EQ(SkinArt::DecodedAheadCount(), waiting - 1);
    SkinArt::DropDecodedAhead();
    EXPECT_EQ(SkinArt::DecodedAheadCount(), 0);

    // Decoded ahead with a bundle in use: the bundle's image; a change of bundle drops them all.
    SkinArt::DecodeAhead(QStringLiteral("frmPlayer"), stop);
    ASSERT_EQ(SkinArt::UseBundle(QStringLiteral(JUKORA_TEST_SKIN)), SkinArt::Bundle::InUse);
    EXPECT_EQ(SkinArt::DecodedAheadCount(), 0);
    SkinArt::DecodeAhead(QStringLiteral("frmPlayer"), stop);
    const QImage bundled = SkinArt::Image(play, 1).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(QColor(bundled.pixel(20, 20)), QColor(Qt::red));
    ASSERT_EQ(SkinArt::UseBundle(QString()), SkinArt::Bundle::BuiltIn);
    EXPECT_EQ(SkinArt::DecodedAheadCount(), 0);
    EXPECT_TRUE(SameImage(SkinArt::Image(play, 1), builtInPlay));
}

TEST_F(SkinArtTest, TheShippedBundleIsWholeAndHoldsTheBuiltInArt) {
    const QByteArray shipped = ReadBytes(QStringLiteral(JUKORA_SKIN_BUNDLE));
    ASSERT_FALSE(shipped.isEmpty());
    EXPECT_TRUE(SkinArt::IsWholeResourceFile(shipped));
    const QPixmap builtIn = SkinArt::Image(QStringLiteral("frmSkin/imgBG"), 2);
    ASSERT_EQ(SkinArt::UseBundle(QStringLiteral(JUKORA_SKIN_BUNDLE)), SkinArt::Bundle::InUse);
    EXPECT_TRUE(SameImage(SkinArt::Image(QStringLiteral("frmSkin/imgBG"), 2), builtIn));
}

TEST_F(SkinArtTest, DamagedEmptyMissingAndUnreadableBundlesAreRefused) {
    const QByteArray shipped = ReadBytes(QStringLiteral(JUKORA_SKIN_BUNDLE));
    ASSERT_GT(shipped.size(), 100);
    const QPixmap builtIn = SkinArt::Image(QStringLiteral("frmPlayer/imgPlay"), 1);

    QByteArray loop = shipped; // the root directory names itself as its own child
    qToBigEndian<quint32>(0, loop.data() + qFromBigEndian<quint32>(shipped.constData() + 8) + 10);
    QByteArray farChildren = shipped; // more children than the file holds
    qToBigEndian<quint32>(0x7fffffff, farChildren.data() +
                                          qFromBigEndian<quint32>(shipped.constData() + 8) + 6);
    QByteArray farTree = shipped; // the tree starts past the end
    qToBigEndian<quint32>(shipped.size() + 10, farTree.data() + 8);

    const struct {
        const char* name;
        QByteArray bytes;
    } damaged[] = {
        {"empty.OCX", QByteArray()},
        {"text.OCX", QByteArray("this is not a skin, just some text that is long enough")},
        {"half.OCX", shipped.left(shipped.size() / 2)},
        {"header.OCX", shipped.left(24)},
        {"loop.OCX", loop},
        {"children.OCX", farChildren},
        {"tree.OCX", farTree},
    };
    for (const auto& d : damaged) {
        EXPECT_FALSE(SkinArt::IsWholeResourceFile(d.bytes)) << d.name;
        EXPECT_EQ(SkinArt::UseBundle(Write(d.name, d.bytes)), SkinArt::Bundle::Damaged) << d.name;
        EXPECT_TRUE(SameImage(SkinArt::Image(QStringLiteral("frmPlayer/imgPlay"), 1), builtIn))
            << d.name;
    }
    EXPECT_EQ(SkinArt::UseBundle(folder.File(QStringLiteral("none.OCX"))),
              SkinArt::Bundle::BuiltIn);
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("folder.OCX")));
    EXPECT_EQ(SkinArt::UseBundle(folder.File(QStringLiteral("folder.OCX"))),
              SkinArt::Bundle::Unreadable);
    EXPECT_TRUE(SameImage(SkinArt::Image(QStringLiteral("frmPlayer/imgPlay"), 1), builtIn));
}

// The real program, started with a bundle in the system folder of a home of its own.
class PlayerWithBundle : public testing::TestWithParam<const char*> {};

TEST_P(PlayerWithBundle, StartsAndKeepsRunning) {
    ProgramFolderFixture folder;
    folder.FillSongs(3);
    ProgramFolderFixture home(false);
    const QString kind = QString::fromUtf8(GetParam());
    QByteArray bundle;
    if (kind == QLatin1String("valid"))
        bundle = ReadBytes(QStringLiteral(JUKORA_TEST_SKIN));
    else if (kind == QLatin1String("damaged"))
        bundle = ReadBytes(QStringLiteral(JUKORA_SKIN_BUNDLE)).left(4000);
    ASSERT_TRUE(WriteWholeFile(home.File(QStringLiteral(".local/lib/KorvexX2.OCX")), bundle));

    QProcess player;
    QProcessEnvironment env = PlayerEnvironment(folder.Path());
    env.insert(QStringLiteral("HOME"), home.Path());
    player.setProcessEnvironment(env);
    player.start(QStringLiteral(JUKORA_PLAYER_BINARY), {});
    ASSERT_TRUE(player.waitForStarted(5000));
    // Up: it holds the instance lock of its folder and its lists are loaded.
    const bool up =
        WaitFor([&] { return QFile::exists(folder.File(InstanceLock::FileName())); }, 15000);
    Settle(1500);
    const bool running = player.state() == QProcess::Running;
    player.kill();
    player.waitForFinished(5000);
    const QByteArray said = player.readAllStandardError();
    EXPECT_TRUE(up) << said.toStdString();
    EXPECT_TRUE(running) << said.toStdString();
    EXPECT_EQ(said.contains("skin"), kind != QLatin1String("valid")) << said.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Bundles, PlayerWithBundle, testing::Values("damaged", "empty", "valid"));
