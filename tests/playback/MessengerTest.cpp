#include "playback/Messenger.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

TEST(Messenger, TextLayoutAndBytes) {
    const QString clearing =
        Messenger::NowPlayingText(QString(), QString(), QString(), QStringLiteral("{1} - {0}"), 0);
    EXPECT_EQ(clearing.size(), 32);
    EXPECT_EQ(clearing, QStringLiteral("\\0Music\\00\\0{1} - {0}\\0\\0\\0\\0\\0") + QChar(u'\0'));
    EXPECT_EQ(Messenger::NowPlayingBytes(clearing).size(), 64);
    EXPECT_EQ(Messenger::NowPlayingBytes(QStringLiteral("A\u00e9")), QByteArray("A\0\xe9\0", 4));

    const QString song = Messenger::NowPlayingText(QStringLiteral("T\\0{0}"), QStringLiteral("A"),
                                                   QString(), QStringLiteral("{1} - {0}"), -1);
    EXPECT_EQ(song,
              QStringLiteral("\\0Music\\01\\0{1} - {0}\\0T\\0{0}\\0A\\0\\0\\0") + QChar(u'\0'));
}

namespace {
// A private session bus for the test, ended with it.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    const QString& Address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

class Receiver : public QObject {
    Q_OBJECT
public:
    QByteArray payload;
    quint32 tag = 0;
public slots:
    void NowPlaying(uint dataTag, const QByteArray& bytes) {
        tag = dataTag;
        payload = bytes;
    }
};
} // namespace

TEST(Messenger, ASignalOnTheSessionBusCarriesThePayload) {
    PrivateBus bus;
    ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon did not start";
    QDBusConnection sender = QDBusConnection::connectToBus(bus.Address(), QStringLiteral("sender"));
    QDBusConnection listener =
        QDBusConnection::connectToBus(bus.Address(), QStringLiteral("listener"));
    ASSERT_TRUE(sender.isConnected());
    Receiver receiver;
    ASSERT_TRUE(listener.connect(
        QString(), QLatin1String(Messenger::kPath), QLatin1String(Messenger::kInterface),
        QLatin1String(Messenger::kMember), &receiver, SLOT(NowPlaying(uint, QByteArray))));
    Messenger::SendNowPlaying(QStringLiteral("Blue River"), QStringLiteral("Northwind"), QString(),
                              QStringLiteral("{1} - {0}"), -1, QStringLiteral("Music"), sender);
    QElapsedTimer clock;
    clock.start();
    while (receiver.payload.isEmpty() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(receiver.tag, Messenger::kDataTag);
    EXPECT_EQ(receiver.payload, Messenger::NowPlayingBytes(Messenger::NowPlayingText(
                                    QStringLiteral("Blue River"), QStringLiteral("Northwind"),
                                    QString(), QStringLiteral("{1} - {0}"), -1)));
    QDBusConnection::disconnectFromBus(QStringLiteral("sender"));
    QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
}

TEST(Messenger, WithoutABusNothingIsSentAndNothingFails) {
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none"));
    EXPECT_FALSE(none.isConnected());
    Messenger::SendNowPlaying(QStringLiteral("T"), QStringLiteral("A"), QString(),
                              QStringLiteral("{1} - {0}"), -1, QStringLiteral("Music"), none);
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
}

#include "MessengerTest.moc"
