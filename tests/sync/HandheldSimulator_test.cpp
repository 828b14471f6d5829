// The handheld simulator against scripted desktops over loopback: the desktop side of
// each script follows the desktop's word order, so these also pin the handheld's half.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

#include "HandheldSimulator.h"
#include "sync/CSyncListener.h"
#include "sync/CSyncTransport.h"

namespace {

using Words = std::vector<std::string>;

class SimulatorAgainstScript : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath("handheld");
        QDir(dir.path()).mkpath("desktop");
        QDir(dir.path()).mkpath("work");
        transport.SetTimeout(3000);
        options.inputFolder = dir.filePath("handheld");
        options.outputFolder = dir.filePath("out");
        options.timeoutMs = 3000;
    }
    void Put(const QString& folder, const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(folder + "/" + name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    sim::HandheldResult Play(std::function<void(CSyncTransport&)> desktop) {
        CSyncListener listener(transport, [&] { desktop(transport); });
        EXPECT_TRUE(listener.Start(0));
        sim::HandheldResult r = sim::RunHandheld("127.0.0.1", listener.Port(), options);
        listener.Stop();
        return r;
    }
    QByteArray Reply(int capacity = CSyncTransport::kReplyCapacity) { return transport.ReceiveReply(capacity); }
    void Ack() { transport.ReceiveReply(CSyncTransport::kAckCapacity); }

    // Desktop overwrites Handheld, as the desktop runs it; what the handheld said back
    // to each "FileSend" and at the end goes to the log.
    void DesktopOverwrites(CSyncTransport& t, std::vector<std::string>& replies) {
        QString name, id;
        t.ReadDeviceIdentity(name, id);
        deviceName = name;
        deviceId = id;
        t.SendCommand("SyncModeDesktopOverides");
        Ack();
        for (const QString& f : QDir(dir.filePath("desktop")).entryList(QDir::Files, QDir::Name)) {
            t.SendCommand("FileSend");
            const QByteArray r = Reply();
            replies.push_back(r.toStdString());
            if (r == "SyncHasToStop") {
                t.SendCommand("EndConnection");
                Ack();
                return;
            }
            t.SendCommand(f.toUtf8());
            Ack();
            t.SendFile(dir.filePath("desktop/" + f));
        }
        t.SendCommand("EndOfFiles");
        Ack();
        const QByteArray r = Reply();
        replies.push_back(r.toStdString());
        if (r == "SyncFinalize") {
            t.SendCommand("SyncSuccess");
            Ack();
        }
        t.SendCommand("EndConnection");
        Ack();
    }

    // Handheld overwrites Desktop up to the handheld's answer to "SyncFinalize".
    void HandheldOverwrites(CSyncTransport& t, std::vector<std::string>& replies) {
        QString name, id;
        t.ReadDeviceIdentity(name, id);
        t.SendCommand("SyncModeIphoneOverides");
        Ack();
        t.SendCommand("OK");
        QByteArray r = Reply();
        t.SendCommand("OK");
        while (r != "EndOfFiles" && !t.ConnectionFailed()) {
            replies.push_back(r.toStdString());
            if (r == "SyncHasToStop") {
                t.SendCommand("EndConnection");
                Ack();
                return;
            }
            if (r == "FileSend") {
                const QByteArray file = Reply(CSyncTransport::kNameCapacity);
                t.SendCommand("OK");
                t.ReceiveFile(dir.filePath("work"), QString::fromUtf8(file));
            }
            r = Reply();
            t.SendCommand("OK");
        }
        if (t.ConnectionFailed()) return;
        t.SendCommand("SyncFinalize");
        replies.push_back(Reply().toStdString());
        t.SendCommand("OK");
        t.SendCommand("EndConnection");
        t.CloseConnection();
    }

    QTemporaryDir dir;
    CSyncTransport transport;
    sim::HandheldOptions options;
    QString deviceName, deviceId;
};

TEST_F(SimulatorAgainstScript, TakesEveryFileTheDesktopSendsAndFinalizes) {
    Put("desktop", "A.orv", "alpha");
    Put("desktop", "B.ort", QByteArray(5000, 'b'));
    options.deviceName = QString::fromUtf8("Zoë’s iPhone");
    options.deviceId = "DEV-42";
    std::vector<std::string> replies;
    const sim::HandheldResult r = Play([&](CSyncTransport& t) { DesktopOverwrites(t, replies); });

    EXPECT_EQ(deviceName, QString::fromUtf8("Zoë’s iPhone"));
    EXPECT_EQ(deviceId, "DEV-42");
    EXPECT_EQ(r.mode, 1);
    EXPECT_TRUE(r.endConnection);
    EXPECT_FALSE(r.connectionFailed);
    EXPECT_EQ(replies, (Words{"OK", "OK", "SyncFinalize"}));
    EXPECT_EQ(r.desktopWords, (Words{"SendDeviceName", "SendDeviceID", "SyncModeDesktopOverides", "FileSend",
                                     "FileSend", "EndOfFiles", "SyncSuccess", "EndConnection"}));
    QFile b(dir.filePath("out/files/B.ort"));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(b.readAll(), QByteArray(5000, 'b'));
    EXPECT_TRUE(QFile::exists(dir.filePath("out/transcript.txt")));
    EXPECT_TRUE(QFile::exists(dir.filePath("out/result.txt")));
}

TEST_F(SimulatorAgainstScript, StopsAtTheChosenPlace) {
    Put("desktop", "A.orv", "alpha");
    Put("desktop", "B.orv", "beta");
    options.stopAt = 2;
    std::vector<std::string> replies;
    const sim::HandheldResult r = Play([&](CSyncTransport& t) { DesktopOverwrites(t, replies); });
    EXPECT_EQ(replies, (Words{"OK", "SyncHasToStop"}));
    EXPECT_TRUE(r.endConnection);
    EXPECT_EQ(r.received.size(), 1);
}

TEST_F(SimulatorAgainstScript, ReportsAFailureAtTheChosenPlace) {
    options.failAt = 1;
    std::vector<std::string> replies;
    Play([&](CSyncTransport& t) { DesktopOverwrites(t, replies); });
    EXPECT_EQ(replies, (Words{"SyncFailed"}));
}

TEST_F(SimulatorAgainstScript, SendsItsFilesAndAnswersSyncFinalize) {
    Put("handheld", "Notes.orv", "n");
    Put("handheld", "pic.png", QByteArray(9000, 'p'));
    Put("handheld", "DeletedFiles.xml", "<x/>");  // the deleted list is not one of the files
    struct Case {
        const char* label;
        int stopAt, failAt;
        Words replies;
    };
    for (const Case& c : {Case{"Plain", 0, 0, {"FileSend", "FileSend", "OK"}},
                          Case{"FailsFinalize", 0, 1, {"FileSend", "FileSend", "SyncFailed"}},
                          Case{"StopsBeforeTheSecondFile", 2, 0, {"FileSend", "SyncHasToStop"}}}) {
        SCOPED_TRACE(c.label);
        options.stopAt = c.stopAt;
        options.failAt = c.failAt;
        std::vector<std::string> replies;
        const sim::HandheldResult r = Play([&](CSyncTransport& t) { HandheldOverwrites(t, replies); });
        EXPECT_EQ(replies, c.replies);
        EXPECT_EQ(r.mode, 2);
        EXPECT_TRUE(r.endConnection);
    }
    QFile pic(dir.filePath("work/pic.png"));
    ASSERT_TRUE(pic.open(QIODevice::ReadOnly));
    EXPECT_EQ(pic.size(), 9000);
    EXPECT_FALSE(QFile::exists(dir.filePath("work/DeletedFiles.xml")));
}

TEST_F(SimulatorAgainstScript, HangsUpAfterTheChosenNumberOfMessages) {
    Put("handheld", "Big.orv", QByteArray(3 * 4096, 'z'));
    // OK, name, OK, ID, OK, FileSend, name, size, first chunk: then the line goes dead.
    options.hangUpAfter = 9;
    std::vector<std::string> replies;
    const sim::HandheldResult r = Play([&](CSyncTransport& t) { HandheldOverwrites(t, replies); });
    EXPECT_FALSE(r.endConnection);
    EXPECT_TRUE(r.connectionFailed);
    EXPECT_TRUE(transport.Peers().size() == 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("work/Big.orv"))) << "a partial file is not kept";
}

TEST_F(SimulatorAgainstScript, SplitsWordsThatArriveTogether) {
    const sim::HandheldResult r = Play([&](CSyncTransport& t) {
        t.SendCommand("SyncModeSynchronization");
        Ack();
        // Two words in one send, as when the desktop reports a failure and hangs up.
        t.SendCommand("ProcessFailureEndConnection");
        Ack();
        Ack();
    });
    EXPECT_EQ(r.desktopWords, (Words{"SyncModeSynchronization", "ProcessFailure", "EndConnection"}));
    EXPECT_TRUE(r.endConnection);
}

}  // namespace
